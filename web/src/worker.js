// A drawing worker of the pool (pool.js), in a browser or in Node: loads the
// module on the first request, checks that it answers what the caller's
// thread was built with, and answers one request at a time.
import { options as built, version as builtVersion } from "../dist/option_table.js";
import { describeOptions, drawInEngine, engineVersion, loadEngine } from "./engine.js";
import { errorMessage } from "./errors.js";
import { optionNames } from "./options.js";

const inBrowser = typeof globalThis.WorkerGlobalScope !== "undefined";
const port = inBrowser ? null : (await import("node:worker_threads")).parentPort;
const answer = (message, transfer = []) =>
  inBrowser ? self.postMessage(message, transfer) : port.postMessage(message, transfer);

let stop = null; // the word that the caller sets to the id of a draw to stop
let ready;

// BigInts are compared as text: JSON has none.
const asText = (value) => JSON.stringify(value, (key, inner) =>
  typeof inner === "bigint" ? String(inner) : inner);

async function engine() {
  ready ??= loadEngine().then((loaded) => {
    if (asText(describeOptions(loaded)) !== asText(built) || engineVersion(loaded) !== builtVersion) {
      throw new Error("tessadox: the WebAssembly module does not match dist/option_table.js; " +
        "build both again with scripts/build-wasm");
    }
    return loaded;
  });
  return ready;
}

async function handle(message) {
  if (message.type === "start") {
    stop = message.stop;
    return;
  }
  const { type, id } = message;
  let loaded;
  try {
    loaded = await engine();
  } catch (error) {
    answer({ id, error: errorMessage(error), fatal: true });
    return;
  }
  try {
    if (type === "version") {
      answer({ id, result: engineVersion(loaded) });
      return;
    }
    const stopRequested = stop === null ? undefined : () => Atomics.load(stop, 0) === id;
    const picture = drawInEngine(loaded, message, optionNames, stopRequested);
    answer({ id, result: picture }, [picture.pixels.buffer, picture.png.buffer]);
  } catch (error) {
    // A WebAssembly trap (memory that could not grow, say) leaves the module
    // in no state to draw again: this worker ends and another takes over.
    const trapped = error instanceof WebAssembly.RuntimeError;
    answer({ id, error: errorMessage(error), fatal: trapped });
  }
}

// One request at a time, in the order they came.
let queue = Promise.resolve();
const receive = (message) => {
  queue = queue.then(() => handle(message));
};
if (inBrowser) self.onmessage = (event) => receive(event.data);
else port.on("message", receive);
