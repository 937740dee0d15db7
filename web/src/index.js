// tessadox: a checksum drawn as the attractor of the affine maps that its
// hexadecimal digits define, by the same engine and to the same pixels and
// PNG bytes as the tessadox command, in workers off the caller's thread.
import { checksumBytesAtMost } from "../dist/option_table.js";
import { errorFrom, TessadoxError } from "./errors.js";
import { createPool, run } from "./pool.js";
import { described, optionsFrom, optionTable, settingsOf } from "./options.js";

export { TessadoxError };

// The library's options as the package takes them: each one's name here
// (checksumLength) and in the library (checksum_length), the type it takes
// ("integer", "boolean", or "name" for a value by name), its default, its
// lowest and highest value, and the names of its values where they have
// names. Read-only.
export const options = Object.freeze(optionTable.map(
  ({ key, name, kind, defaultValue, lowest, highest, values }) => Object.freeze({ name: key,
    libraryName: name, type: kind, defaultValue, lowest, highest, values })));

// The one pool of workers for every draw of this thread.
const pool = createPool();
const encoder = new TextEncoder();

// The checksum's first bytes, copied now, so that a change to the caller's
// bytes after this call does not change the picture: no draw reads more.
function checksumBytes(checksum) {
  if (typeof checksum === "string") {
    // Every UTF-16 unit makes at least one byte of UTF-8; one unit more
    // keeps the last character that is read whole, were it two units.
    return encoder.encode(checksum.slice(0, checksumBytesAtMost + 1))
      .slice(0, checksumBytesAtMost);
  }
  let view;
  if (ArrayBuffer.isView(checksum)) {
    view = new Uint8Array(checksum.buffer, checksum.byteOffset, checksum.byteLength);
  } else if (checksum instanceof ArrayBuffer ||
      (typeof SharedArrayBuffer === "function" && checksum instanceof SharedArrayBuffer)) {
    view = new Uint8Array(checksum);
  } else {
    throw new TypeError("tessadox: the checksum must be a string or bytes (a typed array, " +
      `a DataView or an ArrayBuffer), not ${described(checksum)}`);
  }
  return view.slice(0, checksumBytesAtMost);
}

export function draw(checksum, options) {
  let bytes, settings, seed, signal;
  try {
    bytes = checksumBytes(checksum);
    ({ settings, seed, signal } = settingsOf(options));
  } catch (error) {
    return Promise.reject(error);
  }
  return run(pool, "draw", { bytes, settings }, { signal, transfer: [bytes.buffer], errorFrom })
    .then(({ size, pixels, png, resolved }) => ({ size, pixels, png, seed,
      options: optionsFrom(resolved) }));
}

export function version() {
  return run(pool, "version", {}, { errorFrom });
}
