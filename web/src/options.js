// The options of a draw, checked and turned into the ints that the engine
// reads, in the order of web/wasm/web_api.h.

const colorModes = { gray: 0, mixed: 1, areas: 2 };

// The command's defaults; the seed, like the command's without
// SOURCE_DATE_EPOCH, is the current second.
const defaults = {
  resolution: 300,
  background: 0,
  intensity: 30,
  checksumLength: 32,
  colorMode: "mixed",
  flipBgr: false,
  transparent: false,
};
const integerOptions = ["resolution", "background", "intensity", "checksumLength"];
const known = new Set([...Object.keys(defaults), "seed"]);

export const fieldCount = 9;

function int32(name, value) {
  if (typeof value !== "number" || !Number.isInteger(value)) {
    throw new TypeError(`tessadox: ${name} must be an integer, not ${String(value)}`);
  }
  if (value < -0x80000000 || value > 0x7fffffff) {
    throw new RangeError(`tessadox: ${name} must fit in 32 bits, not ${value}`);
  }
  return value;
}

function flag(name, value) {
  if (typeof value !== "boolean") {
    throw new TypeError(`tessadox: ${name} must be true or false, not ${String(value)}`);
  }
  return value ? 1 : 0;
}

// The seed as a BigInt from 0 to 2^64 - 1: a number must be a safe integer.
function seedOf(value) {
  if (typeof value === "number" && Number.isSafeInteger(value) && value >= 0) {
    return BigInt(value);
  }
  if (typeof value === "bigint" && value >= 0n && value < 1n << 64n) {
    return value;
  }
  throw new RangeError(
    `tessadox: seed must be a whole number of seconds from 0 up, not ${String(value)}`);
}

export function currentSecond() {
  return Math.floor(Date.now() / 1000);
}

// Returns the ints for the engine, the seed used, and whether the picture's
// red and blue are exchanged.
export function optionValues(options = {}) {
  if (options === null || typeof options !== "object") {
    throw new TypeError("tessadox: the options must be an object");
  }
  for (const name of Object.keys(options)) {
    if (!known.has(name)) {
      throw new TypeError(`tessadox: no such option: ${name}`);
    }
  }
  const chosen = { ...defaults };
  for (const [name, value] of Object.entries(options)) {
    if (value !== undefined) chosen[name] = value;
  }
  if (!Object.hasOwn(colorModes, chosen.colorMode)) {
    throw new TypeError(
      `tessadox: colorMode must be "mixed", "gray" or "areas", not ${String(chosen.colorMode)}`);
  }
  const seed = chosen.seed === undefined ? currentSecond() : chosen.seed;
  const seedBits = seedOf(seed);
  const [resolution, background, intensity, checksumLength] = integerOptions.map((name) =>
    int32(name, chosen[name]));
  const values = new Int32Array([
    resolution,
    background,
    intensity,
    checksumLength,
    colorModes[chosen.colorMode],
    flag("flipBgr", chosen.flipBgr),
    flag("transparent", chosen.transparent),
    Number(BigInt.asIntN(32, seedBits)),
    Number(BigInt.asIntN(32, seedBits >> 32n)),
  ]);
  return { values, seed, flipBgr: values[5] === 1 };
}
