// The options of a draw, checked on the caller's thread against the
// library's table of options (dist/option_table.js, the module's own
// answers) and turned into [option number, BigInt] pairs for a worker to
// set; and a picture's options, as the draw resolved them, turned back.
import { options as table } from "../dist/option_table.js";

// The library's names in the package's spelling: checksum_length is
// checksumLength.
const camelCase = (name) => name.replace(/_([a-z])/g, (_, letter) => letter.toUpperCase());

// The module draws on one thread, whatever the options say; the pool of
// workers is the package's way of drawing more than one picture at a time.
const notOffered = new Map([["threads",
  "the WebAssembly module draws on one thread; draws run side by side in workers"]]);

function kindOf(option) {
  if (option.values !== null) return "name";
  if (option.lowest === 0n && option.highest === 1n) return "boolean";
  return "integer";
}

export const optionTable = Object.freeze(table
  .filter((option) => !notOffered.has(option.name))
  .map((option) => Object.freeze({ ...option, key: camelCase(option.name), kind: kindOf(option),
    values: option.values && Object.freeze({ ...option.values }) })));
const byKey = new Map(optionTable.map((option) => [option.key, option]));
export const optionNames = new Map(optionTable.map((option) => [option.number, option.key]));
const int64 = { lowest: -(2n ** 63n), highest: 2n ** 63n - 1n };

// A value as a message names it: its type, and the value itself where that
// is short.
export function described(value) {
  if (value === null) return "null";
  if (Array.isArray(value)) return "an array";
  switch (typeof value) {
    case "string": return `a string (${JSON.stringify(value.length > 40 ? `${value.slice(0, 40)}…` : value)})`;
    case "number": return `a number (${value})`;
    case "bigint": return `a BigInt (${value}n)`;
    case "boolean": return `a boolean (${value})`;
    case "undefined": return "undefined";
    case "function": return "a function";
    case "symbol": return "a symbol";
    default: {
      const name = Object.getPrototypeOf(value)?.constructor?.name;
      return name && name !== "Object" ? `a ${name}` : "an object";
    }
  }
}

// A plain object, of this realm or another (an iframe's, a vm's): its
// prototype is null or an Object.prototype.
export function isPlainObject(value) {
  if (value === null || typeof value !== "object") return false;
  const prototype = Object.getPrototypeOf(value);
  return prototype === null || Object.getPrototypeOf(prototype) === null;
}

function valueOf(option, value) {
  const refuse = (expected) =>
    new TypeError(`tessadox: ${option.key} must be ${expected}, not ${described(value)}`);
  switch (option.kind) {
    case "boolean":
      if (typeof value !== "boolean") throw refuse("a boolean");
      return value ? 1n : 0n;
    case "name": {
      const names = Object.keys(option.values);
      if (typeof value !== "string" || !Object.hasOwn(option.values, value)) {
        throw refuse(`one of ${names.map((name) => JSON.stringify(name)).join(", ")}`);
      }
      return option.values[value];
    }
    default: {
      if (typeof value === "number") {
        if (!Number.isInteger(value)) throw refuse("an integer (a number or a BigInt)");
        if (!Number.isSafeInteger(value)) {
          throw new RangeError(`tessadox: ${option.key} must be a safe integer or a BigInt, ` +
            `not ${value}, which a number does not hold exactly`);
        }
        return BigInt(value);
      }
      if (typeof value !== "bigint") throw refuse("an integer (a number or a BigInt)");
      if (value < int64.lowest || value > int64.highest) {
        throw new RangeError(`tessadox: ${option.key} must fit in 64 bits, not ${value}n`);
      }
      return value;
    }
  }
}

export function currentSecond() {
  return Math.floor(Date.now() / 1000);
}

function isAbortSignal(value) {
  return typeof value?.aborted === "boolean" && typeof value.addEventListener === "function";
}

// The settings for a worker, the seed that the draw uses (the current
// second when none is given, as for the command), and the signal, if any.
export function settingsOf(options) {
  if (options === undefined) options = {};
  if (!isPlainObject(options)) {
    throw new TypeError(`tessadox: the options must be a plain object, not ${described(options)}`);
  }
  const settings = [];
  let seed;
  let signal;
  for (const [key, value] of Object.entries(options)) {
    if (key === "signal") {
      if (value !== undefined && !isAbortSignal(value)) {
        throw new TypeError(`tessadox: signal must be an AbortSignal, not ${described(value)}`);
      }
      signal = value;
      continue;
    }
    const option = byKey.get(key);
    if (option === undefined) {
      const library = [...notOffered].find(([name]) => camelCase(name) === key);
      throw new TypeError(library ? `tessadox: no option ${key} here: ${library[1]}`
        : `tessadox: no option is named ${JSON.stringify(key)}; the options are ` +
          `${[...byKey.keys(), "signal"].join(", ")}`);
    }
    if (value === undefined) continue;
    if (option.name === "seed") seed = value;
    settings.push([option.number, valueOf(option, value)]);
  }
  if (seed === undefined) {
    seed = currentSecond();
    settings.push([byKey.get("seed").number, BigInt(seed)]);
  }
  return { settings, seed, signal };
}

// The options of a drawn picture from the worker's [number, BigInt] pairs,
// in the package's types: booleans, names, and numbers where they are safe.
export function optionsFrom(resolved) {
  const options = {};
  for (const [number, value] of resolved) {
    const option = optionTable.find((entry) => entry.number === number);
    if (option === undefined) continue;
    if (option.kind === "boolean") options[option.key] = value !== 0n;
    else if (option.kind === "name") {
      options[option.key] = Object.keys(option.values).find((name) => option.values[name] === value);
    } else {
      const number = Number(value);
      options[option.key] = Number.isSafeInteger(number) ? number : value;
    }
  }
  return options;
}
