// The golden vectors of tests/vectors.json, every client's contract, as the
// package takes them: each case's options by the package's names and types.
import { readFileSync } from "node:fs";

import { options } from "../src/index.js";

const file = new URL("../../tests/vectors.json", import.meta.url);

function packageOptions(libraryOptions) {
  const taken = {};
  for (const [name, value] of Object.entries(libraryOptions)) {
    const option = options.find((entry) => entry.libraryName === name);
    if (option === undefined) throw new Error(`vectors.json: no option ${name} in the package`);
    taken[option.name] = option.type === "boolean" ? value !== 0 : value;
  }
  return taken;
}

export const vectors = JSON.parse(readFileSync(file, "utf8")).cases.map((vector) => ({
  ...vector, packageOptions: { ...packageOptions(vector.options), seed: vector.seed } }));
