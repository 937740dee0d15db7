// The workers that draw, so that a draw never holds up the caller's thread:
// module Workers in browsers, worker_threads in Node; started as draws come,
// no more than the cores (and four), and kept for the next. A draw that its
// signal aborts is stopped through the library's stop: the worker's progress
// function reads a word of shared memory that the caller sets. Where a page
// may not share memory (it is not cross-origin isolated), or where the
// library does not stop in time, the worker is ended instead and a new one
// takes its place.

const mostWorkers = 4;
// The library stops a draw within 2^20 steps of being asked, some tens of
// milliseconds here; a worker that has not answered by then is ended.
const stopWaitMilliseconds = 100;

// Node's Worker and the calls that differ from a browser's, loaded once.
async function workerHost() {
  if (typeof globalThis.Worker === "function") {
    return {
      cores: globalThis.navigator?.hardwareConcurrency ?? 1,
      start(onMessage, onFailure) {
        const worker = new Worker(new URL("./worker.js", import.meta.url), { type: "module" });
        worker.onmessage = (event) => onMessage(event.data);
        worker.onerror = (event) => {
          event.preventDefault?.();
          onFailure(new Error(`tessadox: the drawing worker failed: ${event.message ?? "it did not load"}`));
        };
        return { post: (message) => worker.postMessage(message), end: () => worker.terminate(),
          hold() {}, release() {} };
      },
    };
  }
  const [{ Worker: NodeWorker }, os] = await Promise.all([import("node:worker_threads"),
    import("node:os")]);
  return {
    cores: os.availableParallelism?.() ?? os.cpus().length,
    start(onMessage, onFailure) {
      const worker = new NodeWorker(new URL("./worker.js", import.meta.url));
      worker.on("message", onMessage);
      worker.on("error", (error) => onFailure(error));
      worker.on("exit", (code) => onFailure(new Error(`tessadox: the drawing worker ended (${code})`)));
      // An idle worker does not keep the process alive; a busy one does,
      // until its draw has been answered.
      worker.unref();
      return { post: (message) => worker.postMessage(message), end: () => worker.terminate(),
        hold: () => worker.ref(), release: () => worker.unref() };
    },
  };
}

// Shared memory, where the caller may have it: Node always, a page when it
// is cross-origin isolated.
function canShareMemory() {
  return typeof SharedArrayBuffer === "function" && globalThis.crossOriginIsolated !== false;
}

function abortReason(signal) {
  return signal.reason ?? new DOMException("The draw was aborted", "AbortError");
}

export function createPool() {
  return { host: null, workers: [], queue: [], lastId: 0 };
}

function startWorker(pool) {
  const stop = canShareMemory() ? new Int32Array(new SharedArrayBuffer(4)) : null;
  const worker = { job: null, stop, gone: false };
  const drop = () => {
    worker.gone = true;
    pool.workers = pool.workers.filter((other) => other !== worker);
  };
  worker.port = pool.host.start(
    (answer) => {
      if (worker.gone) return;
      const job = worker.job;
      worker.job = null;
      worker.port.release();
      if (answer.fatal) {
        drop();
        worker.port.end();
      }
      if (job !== null) settle(job, answer);
      dispatch(pool);
    },
    (error) => {
      if (worker.gone) return;
      drop();
      const job = worker.job;
      worker.job = null;
      if (job !== null) finish(job, () => job.reject(error));
      dispatch(pool);
    });
  worker.port.post({ type: "start", stop });
  pool.workers.push(worker);
  return worker;
}

function finish(job, then) {
  job.signal?.removeEventListener("abort", job.onAbort);
  clearTimeout(job.stopTimer);
  then();
}

function settle(job, answer) {
  finish(job, () => {
    if (job.signal?.aborted) job.reject(abortReason(job.signal));
    else if (answer.error !== undefined) job.reject(job.errorFrom(answer.error));
    else job.resolve(answer.result);
  });
}

function dispatch(pool) {
  while (pool.queue.length > 0) {
    let worker = pool.workers.find((one) => one.job === null);
    if (worker === undefined) {
      if (pool.workers.length >= Math.min(mostWorkers, Math.max(1, pool.host.cores))) return;
      worker = startWorker(pool);
    }
    const job = pool.queue.shift();
    worker.job = job;
    job.worker = worker;
    worker.port.hold();
    worker.port.post({ type: job.type, id: job.id, ...job.request },
      job.transfer ?? []);
  }
}

function abort(pool, job) {
  const queued = pool.queue.indexOf(job);
  if (queued >= 0) {
    pool.queue.splice(queued, 1);
    finish(job, () => job.reject(abortReason(job.signal)));
    return;
  }
  const worker = job.worker;
  if (worker === undefined || worker.job !== job) return;
  if (worker.stop !== null) {
    // The worker answers soon, with the library's "stopped", and settle()
    // turns any answer of an aborted job into the signal's reason.
    Atomics.store(worker.stop, 0, job.id);
    job.stopTimer = setTimeout(() => end(pool, worker, job), stopWaitMilliseconds);
    return;
  }
  end(pool, worker, job);
}

function end(pool, worker, job) {
  if (worker.job !== job) return;
  worker.job = null;
  worker.gone = true;
  pool.workers = pool.workers.filter((other) => other !== worker);
  worker.port.end();
  finish(job, () => job.reject(abortReason(job.signal)));
  dispatch(pool);
}

// Runs a request of `type` on a worker; the answer's result, or an error
// that `errorFrom` makes from the answer's error. The request's transfer
// list is handed over, not copied.
export function run(pool, type, request, { signal, transfer, errorFrom }) {
  return new Promise((resolve, reject) => {
    if (signal?.aborted) {
      reject(abortReason(signal));
      return;
    }
    const job = { type, id: ++pool.lastId, request, transfer, signal, resolve, reject, errorFrom };
    job.onAbort = () => abort(pool, job);
    signal?.addEventListener("abort", job.onAbort, { once: true });
    pool.queue.push(job);
    pool.host ??= workerHost();
    Promise.resolve(pool.host).then((host) => {
      pool.host = host;
      dispatch(pool);
    }, (error) => {
      pool.host = null;
      pool.queue = pool.queue.filter((other) => other !== job);
      finish(job, () => reject(error));
    });
  });
}
