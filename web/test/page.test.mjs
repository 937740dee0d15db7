// The demo page in a real browser: the settings of the table set on its
// controls and the checksum typed, then the canvas read back pixel by pixel,
// the PNG of its download and the picture of the command line it shows,
// each against what the command draws.
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { createHash } from "node:crypto";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { after, before, describe, test } from "node:test";
import { fileURLToPath } from "node:url";

import { launchBrowser } from "./browser.mjs";
import { cases } from "./cases.mjs";
import { binary, runCommand } from "./native.mjs";
import { readPng } from "./png.mjs";
import { serve } from "./static_server.mjs";

const defaults = { resolution: 300, background: 0, intensity: 30, checksumLength: 32,
  colorMode: "mixed", flipBgr: false, transparent: false };
let server, browser, page, folder;

before(async () => {
  server = await serve(fileURLToPath(new URL("..", import.meta.url)));
  browser = await launchBrowser();
  page = await browser.newPage();
  const problems = [];
  page.on("pageerror", (error) => problems.push(error));
  await page.goto(`${server.address}/demo/`);
  await settled();
  assert.deepEqual(problems, []);
  folder = mkdtempSync(join(tmpdir(), "tessadox-page-"));
});

after(async () => {
  await browser?.close();
  server?.close();
  if (folder) rmSync(folder, { recursive: true });
});

// Until the picture on the canvas is the one of the settings on the page.
function settled() {
  return page.waitForFunction(() => {
    const canvas = document.getElementById("picture");
    return !document.body.dataset.busy &&
      canvas.dataset.drawnFor === document.getElementById("command").textContent;
  });
}

function setControls(options) {
  return page.evaluate((settings) => {
    for (const [name, value] of Object.entries(settings)) {
      const control = document.getElementById(name);
      if (control.type === "checkbox") control.checked = value;
      else control.value = String(value);
    }
  }, { ...defaults, ...options, seed: String(options.seed) });
}

// Pastes the checksum into its field, as an input event tells the page, or
// types it key by key.
async function enterChecksum(text, { typed = false } = {}) {
  if (typed) {
    await page.locator("#checksum").fill("");
    await page.locator("#checksum").pressSequentially(text);
  } else {
    await page.evaluate((pasted) => {
      const field = document.getElementById("checksum");
      field.value = pasted;
      field.dispatchEvent(new InputEvent("input", { bubbles: true, inputType: "insertFromPaste" }));
    }, text);
  }
  await settled();
}

// What the page shows: the canvas's RGBA, the command line and the bytes of
// the download. The bytes cross as base64, which is faster than arrays.
async function shown() {
  const seen = await page.evaluate(async () => {
    const base64 = (bytes) => {
      let text = "";
      for (let i = 0; i < bytes.length; i += 0x8000) {
        text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
      }
      return btoa(text);
    };
    const canvas = document.getElementById("picture");
    const rgba = canvas.getContext("2d").getImageData(0, 0, canvas.width, canvas.height).data;
    const download = await fetch(document.getElementById("download").href);
    return { size: canvas.width, rgba: base64(rgba), png: base64(new Uint8Array(await download.arrayBuffer())),
      command: document.getElementById("command").textContent, failed: canvas.dataset.failed };
  });
  return { ...seen, rgba: Buffer.from(seen.rgba, "base64"), png: Buffer.from(seen.png, "base64") };
}

// The command line as the page shows it, run by a shell with the built
// command first on the PATH, in `cwd`; its picture.png.
function runShown(command, cwd = folder) {
  const run = spawnSync("bash", ["-c", command], { cwd,
    env: { PATH: `${dirname(binary)}:${process.env.PATH}` } });
  assert.equal(run.status, 0, run.stderr.toString());
  return readFileSync(join(cwd, "picture.png"));
}

// The canvas holds the PNG's pixels, opaque, but for those of a transparent
// picture's background colour, which are clear whatever their RGB.
function assertSamePixels(rgba, expected, transparent, level) {
  const wanted = Buffer.alloc(expected.size * expected.size * 4);
  for (let i = 0, j = 0; i < expected.pixels.length; i += 3, j += 4) {
    const rgb = expected.pixels.subarray(i, i + 3);
    if (transparent && rgb.every((value) => value === level)) {
      rgba.copy(wanted, j, j, j + 3);
    } else {
      wanted.set(rgb, j);
      wanted[j + 3] = 255;
    }
  }
  if (!rgba.equals(wanted)) {
    const at = rgba.findIndex((value, i) => value !== wanted[i]);
    assert.fail(`pixel ${at >> 2}: ${[...rgba.subarray(at & ~3, (at & ~3) + 4)]} on the canvas, ` +
      `${[...wanted.subarray(at & ~3, (at & ~3) + 4)]} from the command`);
  }
}

describe("the page draws what the command draws", () => {
  for (const { name, checksum, options, args } of cases) {
    test(name, async () => {
      // A text field holds no line breaks.
      const typed = checksum.replaceAll("\n", "");
      await setControls(options);
      await enterChecksum(typed);
      const page = await shown();
      const settings = { ...defaults, ...options };
      assert.equal(page.failed, "no");
      const native = runCommand(typed, args, options.seed);
      assert.equal(native.status, 0, native.stderr);
      const expected = readPng(native.png);
      assert.equal(page.size, expected.size);
      assertSamePixels(page.rgba, expected, settings.transparent, settings.background);
      assert.ok(page.png.equals(native.png), "the download is not the command's PNG");
      assert.ok(runShown(page.command).equals(native.png), `${page.command} draws another picture`);
    });
  }
});

describe("the page's other inputs", () => {
  test("typed key by key, the picture is the last key's, drawn while the page went on", async () => {
    const [checksum, seed] = ["be3d3dee8eb4d4b87ab9fdd2b0d6a04b6fd7ac1b", 1700000000];
    await setControls({ resolution: 400, checksumLength: 40, colorMode: "areas", seed });
    await enterChecksum(checksum, { typed: true });
    const native = runCommand(checksum, ["-l", "40", "-r", "400", "-a"], seed);
    const seen = await shown();
    assertSamePixels(seen.rgba, readPng(native.png), false, 0);
    assert.ok(seen.png.equals(native.png));
  });

  test("a dropped file is hashed with SHA-256, and the command line hashes it too", async () => {
    const name = "it's a file.txt";
    const contents = "a file dropped on the page\n";
    await setControls({ resolution: 120, seed: 1700000000 });
    await page.evaluate(([fileName, text]) => {
      const transfer = new DataTransfer();
      transfer.items.add(new File([text], fileName));
      document.dispatchEvent(new DragEvent("drop", { dataTransfer: transfer, bubbles: true }));
    }, [name, contents]);
    const digest = createHash("sha256").update(contents).digest("hex");
    await page.waitForFunction((hex) => document.getElementById("checksum").value === hex, digest);
    await settled();
    const page_ = await shown();
    assert.match(page_.command, /^sha256sum < 'it'\\''s a file.txt' \| .* -l 64 -r 120 > picture.png$/);
    writeFileSync(join(folder, name), contents);
    const native = runCommand(digest, ["-l", "64", "-r", "120"], 1700000000);
    assert.ok(page_.png.equals(native.png));
    assert.ok(runShown(page_.command).equals(native.png));
    assertSamePixels(page_.rgba, readPng(native.png), false, 0);
  });

  test("the library's refusal and a field that holds no number are said, not drawn", async () => {
    await setControls({ resolution: 0, seed: 1 });
    await enterChecksum("469369a0");
    assert.equal((await shown()).failed, "yes");
    assert.match(await page.locator("#status").textContent(), /resolution is 0 or below/);
    await setControls({ resolution: 200, seed: 1 });
    await page.locator("#intensity").fill("");
    assert.match(await page.locator("#status").textContent(), /Intensity: a whole number/);
  });
});
