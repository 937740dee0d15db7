// How long a draw takes in WebAssembly under Node against the native
// command, for the same pictures: node web/bench/draw_time.mjs [ROUNDS].
// The command's time includes starting the process and writing the PNG, as
// the package's includes encoding it; it is timed with one thread and with
// its default. Prints the median of each.
import { spawnSync } from "node:child_process";

import { draw } from "../src/index.js";
import { binary } from "../test/native.mjs";

const rounds = Number(process.argv[2] ?? 7);
const checksum = "469369a0d4125559535c4c5062a3c303";
const settings = [
  ["-r 300", { resolution: 300 }],
  ["-r 1000", { resolution: 1000 }],
  ["-r 1000 -a", { resolution: 1000, colorMode: "areas" }],
  ["-r 1000 -g", { resolution: 1000, colorMode: "gray" }],
];

function median(times) {
  const sorted = [...times].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

async function timed(work) {
  const times = [];
  for (let i = 0; i < rounds; ++i) {
    const started = performance.now();
    await work(i);
    times.push(performance.now() - started);
  }
  return median(times);
}

function command(args, threads) {
  return (seed) => {
    const env = { SOURCE_DATE_EPOCH: String(seed), ...(threads ? { TESSADOX_THREADS: threads } : {}) };
    const run = spawnSync(binary, args.split(" "), { input: checksum, env, maxBuffer: 64 << 20 });
    if (run.status !== 0) throw new Error(run.stderr.toString());
  };
}

await draw(checksum, { resolution: 10 }); // the module's loading is not timed
console.log("settings      wasm ms  native 1 thread ms  native default ms  wasm / native 1 thread");
for (const [args, options] of settings) {
  const wasm = await timed((seed) => draw(checksum, { ...options, seed }));
  const one = await timed(command(args, "1"));
  const fallback = await timed(command(args, undefined));
  console.log(`${args.padEnd(12)} ${wasm.toFixed(0).padStart(8)} ${one.toFixed(0).padStart(19)}` +
    ` ${fallback.toFixed(0).padStart(18)} ${(wasm / one).toFixed(2).padStart(23)}`);
}
