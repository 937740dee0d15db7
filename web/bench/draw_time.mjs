// How the package's draws compare with the native command's, and how they
// leave the caller's thread free: node web/bench/draw_time.mjs [ROUNDS].
//
// 1. -r 1000 (and -r 300) drawn by draw() in Node and in headless Chromium,
//    through a worker, the PNG included, against the command run as a
//    process on one thread (TESSADOX_THREADS=1) and on its default, its
//    start and PNG included: the median of ROUNDS, taken in turns.
// 2. Where the WebAssembly time goes: the module called on this thread,
//    -i 0 (framing, warm-up and PNG) against -i 30.
// 3. A 10 ms interval while a draw of about 2 s runs in Node: its ticks
//    against the 2 s / 10 ms that an idle thread fires.
// 4. How long an abort takes to reject, in Node and in Chromium, in a page
//    that is cross-origin isolated and in one that is not.
import { spawnSync } from "node:child_process";
import { fileURLToPath } from "node:url";

import { draw } from "../src/index.js";
import { drawInEngine, loadEngine } from "../src/engine.js";
import { optionNames } from "../src/options.js";
import { launchBrowser } from "../test/browser.mjs";
import { binary } from "../test/native.mjs";
import { serve } from "../test/static_server.mjs";

const rounds = Number(process.argv[2] ?? 7);
const checksum = "469369a0d4125559535c4c5062a3c303";
const median = (times) => [...times].sort((a, b) => a - b)[Math.floor(times.length / 2)];
const ms = (value) => `${value.toFixed(0)} ms`;

function command(resolution, threads) {
  return (seed) => {
    const env = { SOURCE_DATE_EPOCH: String(seed), ...(threads ? { TESSADOX_THREADS: threads } : {}) };
    const started = performance.now();
    const run = spawnSync(binary, ["-r", String(resolution)], { input: checksum, env, maxBuffer: 64 << 20 });
    if (run.status !== 0) throw new Error(run.stderr.toString());
    return performance.now() - started;
  };
}

const root = fileURLToPath(new URL("..", import.meta.url));
const servers = { plain: await serve(root), isolated: await serve(root, { isolated: true }) };
const browser = await launchBrowser();
try {
  const pages = {};
  for (const kind of ["plain", "isolated"]) {
    pages[kind] = await browser.newPage();
    await pages[kind].goto(`${servers[kind].address}/test/element.html`);
    await pages[kind].evaluate(async () => {
      const { draw } = await import("/src/index.js");
      globalThis.timedDraw = async (checksum, options) => {
        const started = performance.now();
        await draw(checksum, options);
        return performance.now() - started;
      };
      globalThis.abortTime = async (checksum) => {
        const controller = new AbortController();
        const endless = draw(checksum, { resolution: 1000, intensity: 2 ** 31 - 1, signal: controller.signal });
        await new Promise((resolve) => setTimeout(resolve, 500));
        const started = performance.now();
        controller.abort();
        await endless.catch(() => {});
        return performance.now() - started;
      };
      await draw("0", { resolution: 10 });
    });
  }
  await draw(checksum, { resolution: 10 }); // the module's loading is not timed

  console.log("1. draw() against the command, median of", rounds);
  console.log("   resolution  Node  Chromium  command 1 thread  command default  Node/1  Chromium/1");
  for (const resolution of [300, 1000]) {
    const times = { node: [], chromium: [], one: [], all: [] };
    for (let round = 0; round < rounds; ++round) {
      const seed = 1700000000 + round;
      let started = performance.now();
      await draw(checksum, { resolution, seed });
      times.node.push(performance.now() - started);
      times.chromium.push(await pages.plain.evaluate(([text, options]) => timedDraw(text, options),
        [checksum, { resolution, seed }]));
      times.one.push(command(resolution, "1")(seed));
      times.all.push(command(resolution, undefined)(seed));
    }
    const [node, chromium, one, all] = [times.node, times.chromium, times.one, times.all].map(median);
    console.log(`   -r ${String(resolution).padEnd(8)} ${ms(node).padStart(7)} ${ms(chromium).padStart(9)}` +
      ` ${ms(one).padStart(17)} ${ms(all).padStart(16)} ${(node / one).toFixed(2).padStart(7)}` +
      ` ${(chromium / one).toFixed(2).padStart(11)}`);
  }

  console.log("2. the module on this thread, -r 1000, median of", rounds);
  const engine = await loadEngine();
  const numbers = new Map([...optionNames].map(([number, name]) => [name, number]));
  const bytes = new TextEncoder().encode(checksum);
  for (const intensity of [0, 30]) {
    const wasm = [];
    const native = [];
    for (let round = 0; round < rounds; ++round) {
      const settings = [[numbers.get("resolution"), 1000n], [numbers.get("intensity"), BigInt(intensity)],
        [numbers.get("seed"), BigInt(1700000000 + round)]];
      const started = performance.now();
      drawInEngine(engine, { bytes, settings }, optionNames);
      wasm.push(performance.now() - started);
      const nativeStarted = performance.now();
      const run = spawnSync(binary, ["-r", "1000", "-i", String(intensity)], { input: checksum,
        env: { SOURCE_DATE_EPOCH: String(1700000000 + round), TESSADOX_THREADS: "1" }, maxBuffer: 64 << 20 });
      if (run.status !== 0) throw new Error(run.stderr.toString());
      native.push(performance.now() - nativeStarted);
    }
    console.log(`   -i ${String(intensity).padEnd(3)} module ${ms(median(wasm)).padStart(7)}` +
      `   command, 1 thread ${ms(median(native)).padStart(7)}`);
  }

  // An intensity that takes about 2 s, from the time of -i 30.
  const sample = performance.now();
  await draw(checksum, { resolution: 1000, seed: 1 });
  const intensity = Math.max(1, Math.round(30 * 2000 / (performance.now() - sample)));
  let ticks = 0;
  const ticking = setInterval(() => ++ticks, 10);
  const started = performance.now();
  await draw(checksum, { resolution: 1000, intensity, seed: 1 });
  const lasted = performance.now() - started;
  clearInterval(ticking);
  console.log(`3. a 10 ms interval during a draw of ${ms(lasted)} in Node (-r 1000 -i ${intensity}):` +
    ` ${ticks} ticks of ${Math.floor(lasted / 10)}, ${(100 * ticks / Math.floor(lasted / 10)).toFixed(0)} %`);

  const nodeAborts = [];
  for (let round = 0; round < 5; ++round) {
    const controller = new AbortController();
    const endless = draw(checksum, { resolution: 1000, intensity: 2 ** 31 - 1, signal: controller.signal });
    await new Promise((resolve) => setTimeout(resolve, 500));
    const abortStarted = performance.now();
    controller.abort();
    await endless.catch(() => {});
    nodeAborts.push(performance.now() - abortStarted);
  }
  const browserAborts = {};
  for (const kind of ["isolated", "plain"]) {
    browserAborts[kind] = [];
    for (let round = 0; round < 5; ++round) {
      browserAborts[kind].push(await pages[kind].evaluate((text) => abortTime(text), checksum));
    }
  }
  console.log(`4. from abort() to the rejection, median of 5: Node ${ms(median(nodeAborts))},` +
    ` Chromium isolated ${ms(median(browserAborts.isolated))}, Chromium not isolated` +
    ` ${ms(median(browserAborts.plain))}`);
} finally {
  await browser.close();
  for (const server of Object.values(servers)) server.close();
}
