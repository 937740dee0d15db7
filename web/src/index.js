// tessadox: a checksum drawn as the attractor of the affine maps that its
// hexadecimal digits define, by the same engine and to the same pixels and
// PNG bytes as the tessadox command.
import { drawWith, loadEngine, TessadoxError } from "./engine.js";
import { optionValues } from "./options.js";

export { TessadoxError };

const encoder = new TextEncoder();

function checksumBytes(checksum) {
  if (typeof checksum === "string") return encoder.encode(checksum);
  if (checksum instanceof Uint8Array) return checksum;
  if (ArrayBuffer.isView(checksum)) {
    return new Uint8Array(checksum.buffer, checksum.byteOffset, checksum.byteLength);
  }
  if (checksum instanceof ArrayBuffer) return new Uint8Array(checksum);
  throw new TypeError("tessadox: the checksum must be a string or bytes");
}

export async function draw(checksum, options = {}) {
  const bytes = checksumBytes(checksum);
  const { values, seed, flipBgr } = optionValues(options);
  const engine = await loadEngine();
  return { ...drawWith(engine, bytes, values, flipBgr), seed };
}

export async function version() {
  const engine = await loadEngine();
  return engine.UTF8ToString(engine._tessadox_version());
}
