// The package against the native command: the same pixels and PNG bytes for
// every case of the table, the library's refusals as thrown errors, and a
// module whose memory stays the same over many draws.
import assert from "node:assert/strict";
import { describe, test } from "node:test";

import { draw, TessadoxError, version } from "../src/index.js";
import { loadEngine } from "../src/engine.js";
import { cases } from "./cases.mjs";
import { runCommand } from "./native.mjs";
import { readPng } from "./png.mjs";

const md5 = "469369a0d4125559535c4c5062a3c303";

describe("the same picture as the command", () => {
  for (const { name, checksum, options, args } of cases) {
    test(name, async () => {
      const native = runCommand(checksum, args, options.seed);
      assert.equal(native.status, 0, native.stderr);
      const picture = await draw(checksum, options);
      const expected = readPng(native.png);
      assert.equal(picture.size, expected.size);
      assert.equal(picture.pixels.length, picture.size * picture.size * 3);
      assert.ok(Buffer.from(picture.pixels).equals(Buffer.from(expected.pixels)), "pixels differ");
      assert.ok(Buffer.from(picture.png).equals(Buffer.from(native.png)), "PNG bytes differ");
      assert.equal(picture.seed, options.seed);
    });
  }
});

describe("the checksum and the seed in other forms", () => {
  test("bytes draw what the string's UTF-8 bytes draw", async () => {
    const text = "é€4693😀69a0d4125559535c4c";
    const fromString = await draw(text, { resolution: 80, seed: 7 });
    const bytes = new TextEncoder().encode(text);
    for (const form of [bytes, bytes.buffer, new DataView(bytes.buffer)]) {
      assert.deepEqual((await draw(form, { resolution: 80, seed: 7 })).png, fromString.png);
    }
  });

  test("a BigInt seed draws what the number draws, up to 2^64 - 1", async () => {
    const asNumber = await draw(md5, { resolution: 80, seed: 2 ** 32 + 5 });
    assert.deepEqual((await draw(md5, { resolution: 80, seed: 2n ** 32n + 5n })).png, asNumber.png);
    assert.deepEqual((await draw(md5, { resolution: 80, seed: 5 })).png, asNumber.png);
    const largest = await draw(md5, { resolution: 80, seed: 2n ** 64n - 1n });
    assert.deepEqual(largest.png, (await draw(md5, { resolution: 80, seed: 2 ** 32 - 1 })).png);
  });

  test("without a seed, the current second seeds it, as for the command", async () => {
    const before = Math.floor(Date.now() / 1000);
    const picture = await draw(md5, { resolution: 60 });
    assert.ok(picture.seed >= before && picture.seed <= Math.floor(Date.now() / 1000) + 1);
    assert.deepEqual(picture.png, (await draw(md5, { resolution: 60, seed: picture.seed })).png);
  });

  test("undefined options take the defaults", async () => {
    const picture = await draw(md5, { seed: 3, background: undefined, colorMode: undefined });
    assert.equal(picture.size, 300);
    assert.deepEqual(picture.png, runCommand(md5, [], 3).png);
  });
});

describe("refusals", () => {
  const refusedByTheLibrary = [
    ["a resolution of 0", { resolution: 0 }, -2, /resolution is 0 or below/],
    ["a negative resolution", { resolution: -7 }, -2, /resolution is 0 or below/],
    ["a transparent background above 255", { background: 256, transparent: true }, -5,
      /transparent background must lie between 0 and 255/],
  ];
  for (const [name, options, code, text] of refusedByTheLibrary) {
    test(`${name}: a TessadoxError with the library's code and text, as the command fails`, async () => {
      const refusal = await draw(md5, { ...options, seed: 1 }).catch((error) => error);
      assert.ok(refusal instanceof TessadoxError && refusal instanceof Error);
      assert.equal(refusal.code, code);
      assert.match(refusal.message, text);
      const args = [["-r", options.resolution], ["-b", options.background]]
        .filter(([, value]) => value !== undefined).flat().map(String);
      assert.equal(runCommand(md5, options.transparent ? [...args, "-t"] : args, 1).status, 1);
    });
  }

  const refusedByTheScript = [
    ["an unknown colouring", { colorMode: "blue" }, TypeError],
    ["a misspelt option", { colormode: "gray" }, TypeError],
    ["a flag given as a number", { flipBgr: 1 }, TypeError],
    ["a fraction", { resolution: 2.5 }, TypeError],
    ["a number as text", { intensity: "30" }, TypeError],
    ["a value beyond 32 bits", { background: 2 ** 31 }, RangeError],
    ["a negative seed", { seed: -1 }, RangeError],
    ["a seed beyond 64 bits", { seed: 2n ** 64n }, RangeError],
    ["a seed beyond the safe integers", { seed: 2 ** 53 }, RangeError],
  ];
  for (const [name, options, kind] of refusedByTheScript) {
    test(`${name}: a ${kind.name} before the engine runs`, async () => {
      await assert.rejects(draw(md5, options), kind);
    });
  }

  test("a checksum that is neither text nor bytes", async () => {
    await assert.rejects(draw(42), TypeError);
    await assert.rejects(draw(md5, "gray"), TypeError);
  });
});

describe("the module's memory", () => {
  // The bytes that the module's allocator has handed out and not had back:
  // mallinfo's uordblks, the eighth of its ints.
  const inUse = (engine) => {
    const info = engine._malloc(64);
    engine._mallinfo(info);
    const bytes = engine.HEAP32[(info >> 2) + 7];
    engine._free(info);
    return bytes;
  };

  test("is all given back after draws and refusals", async () => {
    const engine = await loadEngine();
    const large = { resolution: 1000, intensity: 0, seed: 1 };
    const refused = { ...large, background: 256, transparent: true };
    await draw(md5, large);
    await assert.rejects(draw(md5, refused));
    const bytes = inUse(engine);
    for (let i = 0; i < 5; ++i) {
      await draw(md5, large);
      await draw(md5, { resolution: 50, seed: i });
      await assert.rejects(draw(md5, refused));
      await assert.rejects(draw(md5, { resolution: 0 }));
    }
    assert.equal(inUse(engine), bytes);
  });

  test("the version is the library's", async () => {
    assert.equal(await version(), "2.1");
  });
});
