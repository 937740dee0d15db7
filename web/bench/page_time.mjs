// How long the demo page takes to show a picture after a paste, in headless
// Chromium: from the input event to the frame after the picture was shown,
// for 1000 x 1000 at the default intensity and a few other sizes.
// node web/bench/page_time.mjs [ROUNDS]; prints each median.
import { fileURLToPath } from "node:url";

import { launchBrowser } from "../test/browser.mjs";
import { serve } from "../test/static_server.mjs";

const rounds = Number(process.argv[2] ?? 5);
const server = await serve(fileURLToPath(new URL("..", import.meta.url)));
const browser = await launchBrowser();
try {
  const page = await browser.newPage();
  await page.goto(`${server.address}/demo/`);
  await page.waitForFunction(() => document.getElementById("picture").dataset.drawn !== undefined);
  for (const resolution of [300, 600, 1000]) {
    const times = [];
    for (let i = 0; i < rounds; ++i) {
      times.push(await page.evaluate(([size, round]) => new Promise((resolve) => {
        document.getElementById("resolution").value = String(size);
        document.getElementById("seed").value = String(1700000000 + round);
        const picture = document.getElementById("picture");
        const field = document.getElementById("checksum");
        const observer = new MutationObserver(() => {
          observer.disconnect();
          requestAnimationFrame(() => resolve(performance.now() - started));
        });
        observer.observe(picture, { attributeFilter: ["data-drawn"] });
        field.value = `469369a0d4125559535c4c5062a3c30${round % 10}`;
        const started = performance.now();
        field.dispatchEvent(new InputEvent("input", { bubbles: true }));
      }), [resolution, i]));
    }
    times.sort((a, b) => a - b);
    console.log(`${resolution} x ${resolution}: ${times[Math.floor(times.length / 2)].toFixed(0)} ms ` +
      `(${times.map((t) => t.toFixed(0)).join(", ")})`);
  }
} finally {
  await browser.close();
  server.close();
}
