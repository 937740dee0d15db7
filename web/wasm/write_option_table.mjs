// Writes the module's answers about its options into an ES module, for the
// caller's thread, which checks options and copies the checksum before any
// worker has loaded the engine: node web/wasm/write_option_table.mjs FILE.
import { writeFileSync } from "node:fs";

import { checksumBytesAtMost, describeOptions, engineVersion, loadEngine } from "../src/engine.js";

const engine = await loadEngine();
const options = describeOptions(engine);
const checksumLength = options.find((option) => option.name === "checksum_length").number;
const literal = (value) => JSON.stringify(value, (key, inner) =>
  typeof inner === "bigint" ? `${inner}n` : inner, 2).replace(/"(-?\d+n)"/g, "$1");
writeFileSync(process.argv[2], `// Written by scripts/build-wasm from the answers of the module beside it,
// tessadox_module.js, to tessadox_option_name, tessadox_option_range and
// tessadox_option_value_name. Every worker checks them against its module.
export const version = ${JSON.stringify(engineVersion(engine))};
export const checksumBytesAtMost = ${checksumBytesAtMost(engine, checksumLength)};
export const options = ${literal(options)};
`);
