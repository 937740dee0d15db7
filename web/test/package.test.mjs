// The package under Node: the golden vectors and the command's pictures,
// the checksum's forms, every refusal's message, draws off the event loop
// that an AbortSignal stops and maxSteps bounds, the checksum copied when
// draw() is called, the module's memory given back, and the version.
import assert from "node:assert/strict";
import { createHash } from "node:crypto";
import { readFileSync } from "node:fs";
import { describe, test } from "node:test";

import { draw, options, TessadoxError, version } from "../src/index.js";
import { drawInEngine, loadEngine } from "../src/engine.js";
import { optionNames } from "../src/options.js";
import { cases } from "./cases.mjs";
import { runCommand } from "./native.mjs";
import { readPng } from "./png.mjs";
import { vectors } from "./vectors.mjs";

const md5 = "469369a0d4125559535c4c5062a3c303";
const sha256 = (bytes) => createHash("sha256").update(bytes).digest("hex");

describe("the golden vectors", () => {
  // Started together, so that the pool's workers share them out.
  const drawn = new Map(vectors.map((vector) =>
    [vector.name, draw(vector.checksum, vector.packageOptions).catch((error) => error)]));
  for (const vector of vectors) {
    test(vector.name, async () => {
      const picture = await drawn.get(vector.name);
      assert.ok(!(picture instanceof Error), picture.message);
      assert.equal(sha256(picture.png), vector.png_sha256, "PNG bytes");
      assert.equal(sha256(picture.pixels), vector.pixels_sha256, "pixels");
    });
  }
});

describe("the same picture as the command", () => {
  for (const { name, checksum, options: settings, args } of cases) {
    test(name, async () => {
      const native = runCommand(checksum, args, settings.seed);
      assert.equal(native.status, 0, native.stderr);
      const picture = await draw(checksum, settings);
      const expected = readPng(native.png);
      assert.equal(picture.size, expected.size);
      assert.ok(Buffer.from(picture.pixels).equals(Buffer.from(expected.pixels)), "pixels differ");
      assert.ok(Buffer.from(picture.png).equals(Buffer.from(native.png)), "PNG bytes differ");
      assert.equal(picture.seed, settings.seed);
    });
  }
});

describe("the checksum, the seed and the resolved options", () => {
  test("bytes draw what the string's UTF-8 bytes draw", async () => {
    const text = "é€4693😀69a0d4125559535c4c";
    const fromString = await draw(text, { resolution: 80, seed: 7 });
    const bytes = new TextEncoder().encode(text);
    for (const form of [bytes, bytes.buffer, new DataView(bytes.buffer), new Uint16Array(bytes.buffer.slice(0, 30))]) {
      const expected = form instanceof Uint16Array ? await draw(bytes.subarray(0, 30), { resolution: 80, seed: 7 }) : fromString;
      assert.deepEqual((await draw(form, { resolution: 80, seed: 7 })).png, expected.png);
    }
  });

  test("a character of two UTF-16 units at the last byte read is read whole", async () => {
    const text = `${"a".repeat(127)}😀`;
    const bytes = new TextEncoder().encode(text);
    const options = { resolution: 40, checksumLength: 128, seed: 2 };
    assert.deepEqual((await draw(text, options)).png, (await draw(bytes, options)).png);
  });

  test("a BigInt seed draws what the number draws; the generator takes it modulo 2^32", async () => {
    const asNumber = await draw(md5, { resolution: 80, seed: 2 ** 32 + 5 });
    assert.deepEqual((await draw(md5, { resolution: 80, seed: 2n ** 32n + 5n })).png, asNumber.png);
    assert.deepEqual((await draw(md5, { resolution: 80, seed: 5 })).png, asNumber.png);
    const largest = await draw(md5, { resolution: 80, seed: 2n ** 63n - 1n });
    assert.deepEqual(largest.png, (await draw(md5, { resolution: 80, seed: 2 ** 32 - 1 })).png);
    assert.equal(largest.options.seed, 2n ** 63n - 1n);
  });

  test("without a seed, the current second seeds it, as for the command", async () => {
    const before = Math.floor(Date.now() / 1000);
    const picture = await draw(md5, { resolution: 60 });
    assert.ok(picture.seed >= before && picture.seed <= Math.floor(Date.now() / 1000) + 1);
    assert.deepEqual(picture.png, (await draw(md5, { resolution: 60, seed: picture.seed })).png);
  });

  test("undefined options take the library's defaults, which are the command's", async () => {
    const picture = await draw(md5, { seed: 3, background: undefined, colorMode: undefined });
    assert.equal(picture.size, 300);
    assert.deepEqual(picture.png, runCommand(md5, [], 3).png);
    for (const option of options.filter(({ name }) => name !== "seed")) {
      const value = picture.options[option.name];
      assert.equal(option.type === "boolean" ? BigInt(value) : option.type === "name"
        ? option.values[value] : BigInt(value), option.defaultValue, option.name);
    }
  });

  test("the options tell what the draw replaced: 1500 draws 1000, 0 the checksum's own length", async () => {
    const sha = "2b3a8fd68a6c6bd8b4f7df7c30c9185c3ed1c0b0e1b3c30a1cf6ef1bda3ce6b7";
    const own = await draw(sha, { resolution: 1500, intensity: 0, checksumLength: 0, seed: 1 });
    assert.equal(own.size, 1000);
    assert.equal(own.options.resolution, 1000);
    assert.equal(own.options.checksumLength, 64);
    const cut = await draw(`${sha.slice(0, 21)}x`, { resolution: 20, checksumLength: 0, seed: 1 });
    assert.equal(cut.options.checksumLength, 16);
  });
});

describe("refusals name what was wrong", () => {
  const refused = [
    ["a number as text", "x", { resolution: "300" }, TypeError,
      'tessadox: resolution must be an integer (a number or a BigInt), not a string ("300")'],
    ["a fraction", "x", { intensity: 2.5 }, TypeError,
      "tessadox: intensity must be an integer (a number or a BigInt), not a number (2.5)"],
    ["a flag as a number", "x", { flipBgr: 1 }, TypeError,
      "tessadox: flipBgr must be a boolean, not a number (1)"],
    ["an unknown colouring", "x", { colorMode: "blue" }, TypeError,
      'tessadox: colorMode must be one of "gray", "mixed", "areas", not a string ("blue")'],
    ["a misspelt option", "x", { colormode: "gray" }, TypeError,
      /^tessadox: no option is named "colormode"; the options are resolution, .*colorMode/],
    ["threads, which the module does not take", "x", { threads: 2 }, TypeError,
      /^tessadox: no option threads here: the WebAssembly module draws on one thread/],
    ["a Map of options", "x", new Map([["resolution", 10]]), TypeError,
      "tessadox: the options must be a plain object, not a Map"],
    ["options as text", "x", "gray", TypeError,
      'tessadox: the options must be a plain object, not a string ("gray")'],
    ["an array of options", "x", [], TypeError, "tessadox: the options must be a plain object, not an array"],
    ["a signal that is none", "x", { signal: {} }, TypeError,
      "tessadox: signal must be an AbortSignal, not an object"],
    ["a number beyond the safe integers", "x", { seed: 2 ** 53 }, RangeError,
      /^tessadox: seed must be a safe integer or a BigInt, not 9007199254740992/],
    ["a BigInt beyond 64 bits", "x", { maxSteps: 2n ** 64n }, RangeError,
      "tessadox: maxSteps must fit in 64 bits, not 18446744073709551616n"],
    ["a checksum that is neither text nor bytes", 42, {}, TypeError,
      /^tessadox: the checksum must be a string or bytes .*, not a number \(42\)$/],
  ];
  for (const [name, checksum, settings, kind, message] of refused) {
    test(`${name}: a ${kind.name}`, async () => {
      const error = await draw(checksum, settings).then(() => null, (thrown) => thrown);
      assert.ok(error instanceof kind, `${error}`);
      if (typeof message === "string") assert.equal(error.message, message);
      else assert.match(error.message, message);
    });
  }

  const byTheLibrary = [
    ["a resolution of 0", { resolution: 0 }, ["-r", "0"]],
    ["a negative seed", { seed: -1 }, null],
    ["a negative bound of steps", { maxSteps: -1 }, null],
    ["a transparent background above 255", { background: 256, transparent: true }, ["-b", "256", "-t"]],
  ];
  for (const [name, settings, args] of byTheLibrary) {
    test(`${name}: a TessadoxError with the library's code, the option and its sentence`, async () => {
      const error = await draw(md5, { seed: 1, ...settings }).then(() => null, (thrown) => thrown);
      assert.ok(error instanceof TessadoxError, `${error}`);
      assert.ok(error.code < 0);
      const [option] = Object.entries(settings).filter(([, value]) => value !== undefined && value !== true)
        .map(([key]) => key);
      if (error.option !== undefined) {
        assert.equal(error.option, option);
        const { lowest, highest } = options.find((entry) => entry.name === option);
        assert.match(error.message, new RegExp(`^tessadox: ${option} -?\\d+: \\w.*, from ${lowest} to ${highest}$`));
      } else {
        assert.match(error.message, /^tessadox: \w/);
      }
      if (args !== null) assert.equal(runCommand(md5, args, 1).status, 1);
    });
  }
});

describe("off the caller's thread", () => {
  const endless = { resolution: 1000, intensity: 2 ** 31 - 1, seed: 1 };

  test("an endless draw leaves the event loop running, and its signal stops it", async () => {
    const controller = new AbortController();
    let ticks = 0;
    const ticking = setInterval(() => {
      if (++ticks === 10) controller.abort();
    }, 10);
    const error = await draw(md5, { ...endless, signal: controller.signal }).catch((thrown) => thrown);
    clearInterval(ticking);
    assert.ok(ticks >= 10);
    assert.equal(error.name, "AbortError");
    // The pool draws on afterwards.
    assert.deepEqual((await draw(md5, { resolution: 50, seed: 9 })).png, runCommand(md5, ["-r", "50"], 9).png);
  });

  test("an aborted signal rejects with its reason, before or while the draw waits its turn", async () => {
    const reason = new Error("no longer wanted");
    await assert.rejects(draw(md5, { signal: AbortSignal.abort(reason) }), (error) => error === reason);
    // More draws than workers: the last ones wait in the queue, and stop there.
    const controllers = Array.from({ length: 6 }, () => new AbortController());
    const draws = controllers.map((controller) =>
      draw(md5, { ...endless, signal: controller.signal }).catch((error) => error));
    for (const controller of controllers.reverse()) controller.abort();
    for (const error of await Promise.all(draws)) assert.equal(error.name, "AbortError");
  });

  test("maxSteps refuses a draw of more steps before it starts, and lets one of fewer draw", async () => {
    const error = await draw(md5, { ...endless, maxSteps: 10 ** 9 }).catch((thrown) => thrown);
    assert.ok(error instanceof TessadoxError, `${error}`);
    const small = { resolution: 40, seed: 4 };
    assert.deepEqual((await draw(md5, { ...small, maxSteps: 10 ** 9 })).png, (await draw(md5, small)).png);
  });

  test("the checksum's bytes are copied when draw() is called, and only the bytes read", async () => {
    const bytes = new TextEncoder().encode(md5);
    const drawing = draw(bytes, { resolution: 60, seed: 5 });
    bytes.fill(48);
    assert.deepEqual((await drawing).png, (await draw(md5, { resolution: 60, seed: 5 })).png);
    // 2 GiB of which 32 are read: never copied whole (the pages stay untouched).
    const huge = new Uint8Array(2 ** 31);
    huge.set(new TextEncoder().encode(md5));
    assert.deepEqual((await draw(huge, { resolution: 60, seed: 5 })).png,
      (await draw(md5, { resolution: 60, seed: 5 })).png);
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

  test("is all given back after draws, refusals and stops, in the worker's own code", async () => {
    const engine = await loadEngine();
    const bytes = new TextEncoder().encode(md5);
    const numbers = new Map([...optionNames].map(([number, name]) => [name, number]));
    const setting = (name, value) => [numbers.get(name), BigInt(value)];
    const large = [setting("resolution", 1000), setting("intensity", 0), setting("seed", 1)];
    const refused = [...large, setting("background", 256), setting("transparent", 1)];
    const attempt = (settings, stop) => {
      try {
        drawInEngine(engine, { bytes, settings }, optionNames, stop);
      } catch (error) {
        assert.ok(error instanceof TessadoxError, `${error}`);
      }
    };
    attempt(large);
    attempt(refused);
    const before = inUse(engine);
    for (let i = 0; i < 4; ++i) {
      attempt(large);
      attempt([setting("resolution", 50), setting("seed", i)]);
      attempt(refused);
      attempt([setting("resolution", 0)]);
      attempt([setting("resolution", 300), setting("intensity", 100)], () => true);
    }
    assert.equal(inUse(engine), before);
  });
});

describe("the version", () => {
  test("is CMake's project version, in the module and in package.json", async () => {
    const cmake = readFileSync(new URL("../../CMakeLists.txt", import.meta.url), "utf8")
      .match(/^project\(tessadox VERSION (\d+\.\d+)/m)[1];
    assert.equal(await version(), cmake);
    for (const file of ["../package.json", "../package-lock.json"]) {
      const json = JSON.parse(readFileSync(new URL(file, import.meta.url), "utf8"));
      assert.equal(json.version, `${cmake}.0`, file);
    }
  });
});
