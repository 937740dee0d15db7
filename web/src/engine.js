// The WebAssembly engine: loaded once, on the first draw, and a draw through
// it that copies the checksum and the options into the module's memory and
// the pixels and PNG bytes out, then frees all of it, whatever happens.
import createTessadoxModule from "../dist/tessadox_module.js";
import { fieldCount } from "./options.js";

// A negative answer of the library, with the library's own sentence for it.
export class TessadoxError extends Error {
  constructor(code, text) {
    super(`tessadox: ${text}`);
    this.name = "TessadoxError";
    this.code = code;
  }
}

const noMemory = -3;
let loading;

export function loadEngine() {
  loading ??= createTessadoxModule().then((engine) => {
    if (engine._tessadox_web_field_count() !== fieldCount) {
      throw new Error("tessadox: the WebAssembly module does not match this script");
    }
    return engine;
  });
  return loading;
}

function failure(engine, code) {
  return new TessadoxError(code, engine.UTF8ToString(engine._tessadox_error_text(code)));
}

function check(engine, code) {
  if (code < 0) throw failure(engine, code);
}

function exchangeRedAndBlue(pixels) {
  for (let i = 0; i < pixels.length; i += 3) {
    const red = pixels[i];
    pixels[i] = pixels[i + 2];
    pixels[i + 2] = red;
  }
}

// Draws with ints from optionValues; checksum is a Uint8Array. The pixels
// are those of the PNG: with flipBgr, blue, green and red.
export function drawWith(engine, checksum, values, flipBgr) {
  const allocated = [];
  const allocate = (bytes) => {
    const address = engine._malloc(bytes);
    if (address === 0) throw failure(engine, noMemory);
    allocated.push(address);
    return address;
  };
  let picture = 0;
  let png = 0;
  try {
    const input = allocate(Math.max(1, checksum.length));
    engine.HEAPU8.set(checksum, input);
    const fields = allocate(values.byteLength);
    engine.HEAP32.set(values, fields >> 2);
    // Two words for the answers, a pointer and then a size: cleared before
    // each call, so that a call that fails early leaves nothing to free.
    const answers = allocate(8);
    const clearAnswers = () => engine.HEAPU32.fill(0, answers >> 2, (answers >> 2) + 2);

    clearAnswers();
    check(engine, engine._tessadox_web_draw(input, checksum.length, fields, answers));
    picture = engine.HEAPU32[answers >> 2];
    const size = engine._tessadox_picture_size(picture);
    const start = engine._tessadox_picture_pixels(picture);
    const pixels = engine.HEAPU8.slice(start, start + size * size * 3);

    clearAnswers();
    const encoded = engine._tessadox_web_encode_png(picture, fields, answers, answers + 4);
    png = engine.HEAPU32[answers >> 2];
    check(engine, encoded);
    const pngBytes = engine.HEAPU8.slice(png, png + engine.HEAPU32[(answers >> 2) + 1]);
    if (flipBgr) exchangeRedAndBlue(pixels);
    return { size, pixels, png: pngBytes };
  } finally {
    if (png !== 0) engine._tessadox_free_png(png);
    if (picture !== 0) engine._tessadox_picture_free(picture);
    for (const address of allocated) engine._free(address);
  }
}
