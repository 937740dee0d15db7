// The WebAssembly engine, inside one worker: loaded once, on the first
// request, and a draw through the library's own functions that copies the
// checksum into the module's memory and the pixels and PNG bytes out, then
// frees everything it allocated, whatever happens.
import createTessadoxModule from "../dist/tessadox_module.js";
import { TessadoxError } from "./errors.js";

let loading;

export function loadEngine() {
  loading ??= createTessadoxModule();
  return loading;
}

const text = (engine, address) => (address === 0 ? null : engine.UTF8ToString(address));
const int64 = (engine, address) => new BigInt64Array(engine.HEAPU8.buffer, address, 1)[0];

// The option numbers that the library answers a name for. They are fixed
// and given out in order, so a gap would be a retired option.
const optionNumbersTried = 64;
// An option whose values have names has few of them; those are looked up.
const namedValuesAtMost = 64n;

// The library's table of options as the package reads it: number, name,
// default, range and the names of the values, where they have names. The
// build writes it into dist/option_table.js for the caller's thread, and
// every worker checks that its module still answers the same.
export function describeOptions(engine) {
  const cells = engine._malloc(24);
  if (cells === 0) throw outOfMemory();
  try {
    const options = [];
    for (let number = 1; number <= optionNumbersTried; ++number) {
      const name = text(engine, engine._tessadox_option_name(number));
      if (name === null) continue;
      engine._tessadox_option_range(number, cells, cells + 8, cells + 16);
      const [defaultValue, lowest, highest] = [0, 8, 16].map((at) => int64(engine, cells + at));
      let values = null;
      if (highest - lowest < namedValuesAtMost) {
        for (let value = lowest; value <= highest; ++value) {
          const valueName = text(engine, engine._tessadox_option_value_name(number, value));
          if (valueName !== null) (values ??= {})[valueName] = value;
        }
      }
      options.push({ number, name, defaultValue, lowest, highest, values });
    }
    return options;
  } finally {
    engine._free(cells);
  }
}

// The most bytes of a checksum that any draw reads: those of a draw that
// reads as many as the checksum has, the library's 0 for the length.
export function checksumBytesAtMost(engine, checksumLength) {
  const options = engine._tessadox_options_new();
  if (options === 0) throw outOfMemory();
  try {
    engine._tessadox_options_set(options, checksumLength, 0n);
    return engine._tessadox_checksum_bytes(options);
  } finally {
    engine._tessadox_options_free(options);
  }
}

export function engineVersion(engine) {
  return text(engine, engine._tessadox_version());
}

// Memory that the module's allocator could not give: the library was not
// asked, so there is no code of its own to tell.
function outOfMemory() {
  return new Error("tessadox: the WebAssembly module has no more memory");
}

function refusal(engine, code, option) {
  const sentence = text(engine, engine._tessadox_error_text(code));
  return new TessadoxError(code, option === undefined ? `tessadox: ${sentence}`
    : `tessadox: ${option.name} ${option.value}: ${sentence}${option.range ?? ""}`, option?.name);
}

// ", from 1 to 1000": the range of a refused option, as the library gives it.
function rangeOf(engine, number) {
  const cells = engine._malloc(16);
  if (cells === 0) return "";
  try {
    if (engine._tessadox_option_range(number, 0, cells, cells + 8) < 0) return "";
    return `, from ${int64(engine, cells)} to ${int64(engine, cells + 8)}`;
  } finally {
    engine._free(cells);
  }
}

// Draws `bytes` (a Uint8Array) with `settings`, a list of [option number,
// BigInt value] set in that order on the library's defaults. `names` gives
// each number's name for messages; `stopRequested` is asked between
// stretches of the draw whether to give up. Returns the picture's size, its
// pixels as the PNG holds them, the PNG bytes, and every option as the draw
// resolved it, as [number, BigInt] pairs.
export function drawInEngine(engine, { bytes, settings }, names, stopRequested = () => false) {
  const allocated = [];
  const allocate = (count) => {
    const address = engine._malloc(count);
    if (address === 0) throw outOfMemory();
    allocated.push(address);
    return address;
  };
  let options = 0;
  let picture = 0;
  let png = 0;
  try {
    options = engine._tessadox_options_new();
    if (options === 0) throw outOfMemory();
    for (const [number, value] of settings) {
      const code = engine._tessadox_options_set(options, number, value);
      if (code < 0) {
        throw refusal(engine, code, { name: names.get(number), value, range: rangeOf(engine, number) });
      }
    }
    const reads = engine._tessadox_checksum_bytes(options);
    if (reads < 0) throw refusal(engine, reads);
    const length = Math.min(bytes.length, reads);
    const input = allocate(Math.max(1, length));
    engine.HEAPU8.set(bytes.subarray(0, length), input);
    // Three words for the answers, a pointer, a size and a 64-bit value:
    // the pointer cleared before each call, so that a call that fails early
    // leaves nothing to free.
    const answers = allocate(16);
    const word = answers >> 2;

    engine.HEAPU32[word] = 0;
    engine.stopRequested = stopRequested;
    let code;
    try {
      code = engine._tessadox_web_draw(input, length, options, answers);
    } finally {
      engine.stopRequested = undefined;
    }
    picture = engine.HEAPU32[word];
    if (code < 0) throw refusal(engine, code);
    const size = engine._tessadox_picture_size(picture);
    const start = engine._tessadox_picture_pixels(picture);
    const pixels = engine.HEAPU8.slice(start, start + size * size * 3);

    const resolved = [];
    for (const number of names.keys()) {
      const got = engine._tessadox_picture_option(picture, number, answers + 8);
      if (got < 0) throw refusal(engine, got);
      resolved.push([number, int64(engine, answers + 8)]);
    }

    engine.HEAPU32[word] = 0;
    code = engine._tessadox_encode_png(picture, answers, answers + 4);
    png = engine.HEAPU32[word];
    if (code < 0) throw refusal(engine, code);
    const pngBytes = engine.HEAPU8.slice(png, png + engine.HEAPU32[word + 1]);
    return { size, pixels, png: pngBytes, resolved };
  } finally {
    if (png !== 0) engine._tessadox_png_free(png);
    if (picture !== 0) engine._tessadox_picture_free(picture);
    if (options !== 0) engine._tessadox_options_free(options);
    for (const address of allocated) engine._free(address);
  }
}
