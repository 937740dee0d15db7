// The demo page in a real browser: the settings of the table set on its
// controls and the checksum pasted, then the picture read back pixel by
// pixel, the PNG of its download and the picture of the command line it
// shows, each against what the command draws; the page's other inputs; and
// its layout at a desktop's and a phone's size.
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { createHash } from "node:crypto";
import { mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { after, before, describe, test } from "node:test";
import { fileURLToPath } from "node:url";

import { launchBrowser } from "./browser.mjs";
import { cases } from "./cases.mjs";
import { binary, runCommand } from "./native.mjs";
import { readPng } from "./png.mjs";
import { serve } from "./static_server.mjs";

// The command's defaults, which the table's settings start from.
const defaults = { resolution: 300, background: 0, intensity: 30, checksumLength: 32,
  colorMode: "mixed", flipBgr: false, transparent: false };
const screenshots = process.env.TESSADOX_SCREENSHOTS ??
  fileURLToPath(new URL("../../build/web-screenshots", import.meta.url));
let server, browser, context, page, folder;

before(async () => {
  server = await serve(fileURLToPath(new URL("..", import.meta.url)));
  browser = await launchBrowser();
  context = await browser.newContext({ acceptDownloads: true });
  await context.grantPermissions(["clipboard-read", "clipboard-write"], { origin: server.address });
  page = await context.newPage();
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

// Until the picture is the one of the settings on the page.
function settled() {
  return page.waitForFunction(() => {
    const picture = document.getElementById("picture");
    return !document.body.dataset.busy && picture.dataset.drawn === picture.dataset.requested;
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

// What the page shows: the picture's RGBA as a canvas reads it, the command
// line, the status, and the download's name and bytes. The bytes cross as
// base64, which is faster than arrays.
async function shown() {
  const seen = await page.evaluate(async () => {
    const base64 = (bytes) => {
      let text = "";
      for (let i = 0; i < bytes.length; i += 0x8000) {
        text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
      }
      return btoa(text);
    };
    const element = document.getElementById("picture");
    const image = element.shadowRoot.querySelector("img");
    const canvas = new OffscreenCanvas(image.naturalWidth, image.naturalHeight);
    const context = canvas.getContext("2d");
    context.drawImage(image, 0, 0);
    const rgba = context.getImageData(0, 0, canvas.width, canvas.height).data;
    const link = document.getElementById("download");
    const download = await fetch(link.href);
    return { size: canvas.width, rgba: base64(rgba), png: base64(new Uint8Array(await download.arrayBuffer())),
      name: link.download, command: document.getElementById("command").textContent,
      status: document.getElementById("status").textContent,
      notice: document.getElementById("notice").hidden ? "" : document.getElementById("notice").textContent,
      failed: element.dataset.failed };
  });
  return { ...seen, rgba: Buffer.from(seen.rgba, "base64"), png: Buffer.from(seen.png, "base64") };
}

// The command line as the page shows it, run by a shell with the built
// command first on the PATH, in `cwd`; the PNG it wrote, under the name it
// gave. Nothing on its standard input, which the command line does not read
// (a pipe left open there held each run up by a second).
function runShown(command, cwd = folder) {
  const run = spawnSync("bash", ["-c", command], { cwd, stdio: ["ignore", "pipe", "pipe"],
    env: { PATH: `${dirname(binary)}:${process.env.PATH}` } });
  assert.equal(run.status, 0, run.stderr.toString());
  return readFileSync(join(cwd, command.match(/> (\S+)$/)[1]));
}

// The picture holds the PNG's pixels, opaque, but for those of a
// transparent picture's background colour, which are clear whatever their RGB.
function assertSamePixels(rgba, expected, transparent, level) {
  const wanted = Buffer.alloc(expected.size * expected.size * 4);
  for (let i = 0, j = 0; i < expected.pixels.length; i += 3, j += 4) {
    const rgb = expected.pixels.subarray(i, i + 3);
    if (transparent && rgb.every((value) => value === level)) {
      rgba.copy(wanted, j, j, j + 4);
      assert.equal(rgba[j + 3], 0, `pixel ${i / 3} is not clear`);
    } else {
      wanted.set(rgb, j);
      wanted[j + 3] = 255;
    }
  }
  if (!rgba.equals(wanted)) {
    const at = rgba.findIndex((value, i) => value !== wanted[i]);
    assert.fail(`pixel ${at >> 2}: ${[...rgba.subarray(at & ~3, (at & ~3) + 4)]} on the page, ` +
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
      const seen = await shown();
      const settings = { ...defaults, ...options };
      assert.equal(seen.failed, "no");
      const native = runCommand(typed, args, options.seed);
      assert.equal(native.status, 0, native.stderr);
      const expected = readPng(native.png);
      assert.equal(seen.size, expected.size);
      assertSamePixels(seen.rgba, expected, settings.transparent, settings.background);
      assert.ok(seen.png.equals(native.png), "the download is not the command's PNG");
      assert.ok(runShown(seen.command).equals(native.png), `${seen.command} draws another picture`);
    });
  }
});

describe("the page's other inputs", () => {
  test("at once, a picture of the example checksum, drawn as its own length", async () => {
    const fresh = await context.newPage();
    await fresh.goto(`${server.address}/demo/`);
    await fresh.waitForFunction(() => document.getElementById("picture").dataset.drawn !== undefined);
    const example = await fresh.locator("#checksum").inputValue();
    assert.match(example, /^[0-9a-f]{32}$/);
    assert.match(await fresh.locator("#status").textContent(), /^300 × 300 pixels, -l 32, drawn in/);
    await fresh.close();
  });

  test("a 64-digit checksum draws as -l 64, which the status and the command line show", async () => {
    const digest = "2b3a8fd68a6c6bd8b4f7df7c30c9185c3ed1c0b0e1b3c30a1cf6ef1bda3ce6b7";
    await setControls({ resolution: 120, checksumLength: 0, seed: 1700000000 });
    await enterChecksum(digest);
    const seen = await shown();
    assert.match(seen.status, /-l 64,/);
    assert.match(seen.notice, /-l 0 read the checksum's own 64 characters/);
    assert.equal(seen.name, `tessadox-${digest}.png`);
    assert.equal(seen.command,
      `printf '%s' ${digest} | SOURCE_DATE_EPOCH=1700000000 tessadox -l 64 -r 120 > tessadox-${digest}.png`);
    assert.ok(runShown(seen.command).equals(runCommand(digest, ["-l", "64", "-r", "120"], 1700000000).png));
  });

  test("-r 1500 says that it draws 1000", async () => {
    await setControls({ resolution: 1500, intensity: 0, seed: 3 });
    await enterChecksum("469369a0d4125559535c4c5062a3c303");
    const seen = await shown();
    assert.equal(seen.size, 1000);
    assert.match(seen.notice, /Resolution 1500 \(-r 1500\) draws as -r 1000/);
    assert.match(seen.command, / -r 1000 -i 0 > /);
  });

  test("typed key by key, the picture is the last key's", async () => {
    const [checksum, seed] = ["be3d3dee8eb4d4b87ab9fdd2b0d6a04b6fd7ac1b", 1700000000];
    await setControls({ resolution: 400, checksumLength: 40, colorMode: "areas", seed });
    await enterChecksum(checksum, { typed: true });
    const native = runCommand(checksum, ["-l", "40", "-r", "400", "-a"], seed);
    const seen = await shown();
    assertSamePixels(seen.rgba, readPng(native.png), false, 0);
    assert.ok(seen.png.equals(native.png));
  });

  for (const how of ["dropped", "chosen with the file picker"]) {
    test(`a file ${how} is hashed with SHA-256, and the command line hashes it too`, async () => {
      const name = "it's a file.txt";
      const contents = `a file ${how} on the page\n`;
      await setControls({ resolution: 120, checksumLength: 0, seed: 1700000000 });
      if (how === "dropped") {
        await page.evaluate(([fileName, text]) => {
          const transfer = new DataTransfer();
          transfer.items.add(new File([text], fileName));
          document.dispatchEvent(new DragEvent("drop", { dataTransfer: transfer, bubbles: true }));
        }, [name, contents]);
      } else {
        await page.locator("#file").setInputFiles({ name, mimeType: "text/plain", buffer: Buffer.from(contents) });
      }
      const digest = createHash("sha256").update(contents).digest("hex");
      await page.waitForFunction((hex) => document.getElementById("checksum").value === hex, digest);
      await settled();
      const seen = await shown();
      assert.equal(seen.command, `sha256sum < 'it'\\''s a file.txt' | SOURCE_DATE_EPOCH=1700000000 ` +
        `tessadox -l 64 -r 120 > tessadox-${digest}.png`);
      writeFileSync(join(folder, name), contents);
      const native = runCommand(digest, ["-l", "64", "-r", "120"], 1700000000);
      assert.ok(seen.png.equals(native.png));
      assert.ok(runShown(seen.command).equals(native.png));
    });
  }

  test("the download is named after the checksum, and the copy button copies the command line", async () => {
    await setControls({ resolution: 60, seed: 5 });
    await enterChecksum("not hexadecimal");
    assert.equal((await shown()).name, "tessadox.png");
    await enterChecksum("9F3a d41d8cd98f00b204e9800998ecf8427e");
    const [download] = await Promise.all([page.waitForEvent("download"), page.locator("#download").click()]);
    assert.equal(download.suggestedFilename(), "tessadox-9f3a.png");
    await page.locator("#copy").click();
    assert.equal(await page.evaluate(() => navigator.clipboard.readText()), (await shown()).command);
  });

  test("the library's refusal and a field that holds no number are said, not drawn", async () => {
    await setControls({ resolution: 0, seed: 1 });
    await enterChecksum("469369a0");
    assert.equal((await shown()).failed, "yes");
    assert.match(await page.locator("#status").textContent(), /resolution 0: /);
    await setControls({ resolution: 200, seed: 1 });
    await page.locator("#intensity").fill("");
    assert.match(await page.locator("#status").textContent(), /Intensity: a whole number/);
  });
});

describe("the page's layout", () => {
  for (const [width, height] of [[1280, 800], [390, 844]]) {
    test(`at ${width} × ${height}: no sideways scrolling at any zoom, the picture in view, the command line unbroken inside words, every control labelled`, async () => {
      const sized = await context.newPage({ viewport: { width, height } });
      await sized.setViewportSize({ width, height });
      await sized.goto(`${server.address}/demo/`);
      await sized.waitForFunction(() => document.getElementById("picture").dataset.drawn !== undefined);
      mkdirSync(screenshots, { recursive: true });
      await sized.screenshot({ path: join(screenshots, `demo-${width}x${height}.png`), fullPage: true });
      const broken = await sized.evaluate(() => [...document.querySelectorAll("#command .word")]
        .filter((word) => word.getClientRects().length > 1).map((word) => word.textContent));
      assert.deepEqual(broken, [], "the command line breaks inside words");
      const picture = await sized.locator("#picture").boundingBox();
      assert.ok(picture.x >= 0 && picture.x + picture.width <= width, "the picture is cut off");
      for (const zoom of ["1", "2", "3"]) {
        await sized.locator("#zoom").selectOption(zoom);
        const [scrollWidth, clientWidth] = await sized.evaluate(() =>
          [document.documentElement.scrollWidth, document.documentElement.clientWidth]);
        assert.ok(scrollWidth <= clientWidth, `zoom ${zoom}: the page scrolls sideways (${scrollWidth} > ${clientWidth})`);
      }
      const unnamed = await sized.evaluate(() => [...document.querySelectorAll("input, select, button")]
        .filter((control) => control.labels?.length === 0 && !control.getAttribute("aria-label") &&
          control.textContent.trim() === "").map((control) => control.id));
      assert.deepEqual(unnamed, []);
      await sized.close();
    });
  }

  test("every control is reached with the keyboard, in order", async () => {
    const controls = await page.evaluate(() => [...document.querySelectorAll("input, select, button")]
      .map((control) => control.id));
    await page.locator("#checksum").focus();
    const reached = [await page.evaluate(() => document.activeElement.id)];
    for (let i = 1; i < controls.length; ++i) {
      await page.keyboard.press("Tab");
      reached.push(await page.evaluate(() => document.activeElement.id));
    }
    assert.deepEqual(reached, controls);
  });

  test("the picture is an image named after its checksum", async () => {
    await setControls({ resolution: 50, seed: 1 });
    await enterChecksum("469369a0d4125559535c4c5062a3c303");
    await assert.doesNotReject(page.getByRole("img",
      { name: "The picture of the checksum 469369a0d4125559535c4c5062a3c303" }).waitFor());
  });
});
