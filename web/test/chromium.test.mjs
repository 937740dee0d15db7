// The package in headless Chromium: the golden vectors drawn in a page's
// workers, an abort in a page that shares memory with them and in one that
// does not, and <tessadox-picture> from its attributes to its pixels, a
// change that draws it again, and its accessible name.
import assert from "node:assert/strict";
import { after, before, describe, test } from "node:test";
import { fileURLToPath } from "node:url";

import { launchBrowser } from "./browser.mjs";
import { vectors } from "./vectors.mjs";
import { serve } from "./static_server.mjs";

const root = fileURLToPath(new URL("..", import.meta.url));
let servers, browser;

before(async () => {
  servers = { plain: await serve(root), isolated: await serve(root, { isolated: true }) };
  browser = await launchBrowser();
});

after(async () => {
  await browser?.close();
  for (const server of Object.values(servers ?? {})) server.close();
});

async function open(kind) {
  const page = await browser.newPage();
  const problems = [];
  page.on("pageerror", (error) => problems.push(error));
  await page.goto(`${servers[kind].address}/test/element.html`);
  return { page, problems };
}

// SHA-256 in hex, in the page.
const hashing = `const sha256 = async (bytes) => [...new Uint8Array(await crypto.subtle.digest("SHA-256", bytes))]
  .map((byte) => byte.toString(16).padStart(2, "0")).join("");`;

describe("the package in a page", () => {
  test("draws every golden vector", async () => {
    const { page, problems } = await open("plain");
    const seen = await page.evaluate(async ([cases, hash]) => {
      const sha256 = new Function(`${hash}; return sha256;`)();
      const { draw } = await import("/src/index.js");
      return Promise.all(cases.map(async ({ name, checksum, packageOptions }) => {
        const picture = await draw(checksum, packageOptions);
        return { name, png: await sha256(picture.png), pixels: await sha256(picture.pixels) };
      }));
    }, [vectors.map(({ name, checksum, packageOptions }) => ({ name, checksum, packageOptions })), hashing]);
    for (const [i, vector] of vectors.entries()) {
      assert.deepEqual(seen[i], { name: vector.name, png: vector.png_sha256, pixels: vector.pixels_sha256 });
    }
    assert.deepEqual(problems, []);
    await page.close();
  });

  for (const kind of ["isolated", "plain"]) {
    test(`an abort stops an endless draw in a page that is ${kind === "plain" ? "not " : ""}cross-origin isolated`, async () => {
      const { page } = await open(kind);
      const seen = await page.evaluate(async () => {
        const { draw } = await import("/src/index.js");
        const controller = new AbortController();
        const endless = draw("469369a0", { resolution: 1000, intensity: 2 ** 31 - 1, signal: controller.signal });
        await new Promise((resolve) => setTimeout(resolve, 300));
        controller.abort();
        const error = await endless.catch((thrown) => thrown);
        const after = await draw("469369a0", { resolution: 20, seed: 1 });
        return { isolated: crossOriginIsolated, error: error.name, after: after.size };
      });
      assert.deepEqual(seen, { isolated: kind === "isolated", error: "AbortError", after: 20 });
      await page.close();
    });
  }
});

describe("<tessadox-picture>", () => {
  const [first, second] = ["gray-white", "mixed-white"].map((name) => vectors.find((vector) => vector.name === name));
  const attributes = (vector) => Object.fromEntries([["checksum", vector.checksum], ["seed", vector.seed],
    ...Object.entries(vector.options).map(([name, value]) => [name.replaceAll("_", "-"), value])]);

  test("draws its attributes' picture, draws again when one changes, and is an image with a name", async () => {
    const { page, problems } = await open("plain");
    await page.evaluate(async () => { await import("/src/element.js"); });
    // The RGB of the element's picture as a canvas reads it, hashed, once
    // the element says it has loaded.
    const drawnHash = (change) => page.evaluate(async ([settings, hash]) => {
      const sha256 = new Function(`${hash}; return sha256;`)();
      let element = document.querySelector("tessadox-picture");
      if (element === null) {
        element = document.createElement("tessadox-picture");
        element.style.width = "5rem";
      }
      const loaded = new Promise((resolve, reject) => {
        element.addEventListener("load", resolve, { once: true });
        element.addEventListener("error", (event) => reject(event.error), { once: true });
      });
      for (const [name, value] of Object.entries(settings)) element.setAttribute(name, String(value));
      if (!element.isConnected) document.body.append(element);
      await loaded;
      const image = element.shadowRoot.querySelector("img");
      const canvas = new OffscreenCanvas(image.naturalWidth, image.naturalHeight);
      const context = canvas.getContext("2d");
      context.drawImage(image, 0, 0);
      const rgba = context.getImageData(0, 0, canvas.width, canvas.height).data;
      const rgb = new Uint8Array(rgba.length / 4 * 3);
      for (let i = 0, j = 0; i < rgba.length; i += 4, j += 3) rgb.set(rgba.subarray(i, i + 3), j);
      return { pixels: await sha256(rgb), png: await sha256(element.picture.png),
        width: element.getBoundingClientRect().width };
    }, [change, hashing]);

    const drawn = await drawnHash(attributes(first));
    assert.deepEqual(drawn, { pixels: first.pixels_sha256, png: first.png_sha256, width: 80 });
    await assert.doesNotReject(page.getByRole("img", { name: `tessadox picture of ${first.checksum}` }).waitFor());
    const again = await drawnHash({ "color-mode": "mixed" });
    assert.deepEqual(again, { pixels: second.pixels_sha256, png: second.png_sha256, width: 80 });
    assert.deepEqual(problems, []);
    await page.close();
  });

  test("says a refusal with an error event", async () => {
    const { page } = await open("plain");
    const message = await page.evaluate(async () => {
      await import("/src/element.js");
      const element = document.createElement("tessadox-picture");
      element.setAttribute("resolution", "ten");
      const failed = new Promise((resolve) => element.addEventListener("error", (event) => resolve(event.message)));
      document.body.append(element);
      return failed;
    });
    assert.equal(message, 'tessadox-picture: resolution must be a whole number, not "ten"');
    await page.close();
  });
});
