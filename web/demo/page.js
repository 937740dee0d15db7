// The page: reads the controls, has the worker draw, and shows the picture
// at its true pixels with the command line that draws it and its PNG. While
// a picture is being drawn, only the newest of the requests made meanwhile
// waits; the others are dropped.
import { commandLine } from "./command_line.js";

const $ = (id) => document.getElementById(id);
const numbers = { checksumLength: "Checksum length", resolution: "Resolution",
  background: "Background", intensity: "Intensity", seed: "Seed" };
const canvas = $("picture");
const worker = new Worker(new URL("./worker.js", import.meta.url), { type: "module" });

let source = { text: "" }; // or { file, hash, contents } for a dropped file
let lastId = 0;
let drawing = null;
let waiting = null;
let downloadAddress = null;

function readOptions() {
  const options = { colorMode: $("colorMode").value, flipBgr: $("flipBgr").checked,
    transparent: $("transparent").checked };
  for (const [name, label] of Object.entries(numbers)) {
    const value = $(name).valueAsNumber;
    if (!Number.isSafeInteger(value)) return { problem: `${label}: a whole number, please` };
    options[name] = value;
  }
  return { options };
}

function say(text, failed = false) {
  $("status").textContent = text;
  $("status").classList.toggle("failed", failed);
}

function request() {
  const { options, problem } = readOptions();
  if (problem) {
    say(problem, true);
    return;
  }
  const checksum = $("checksum").value;
  const command = commandLine(source.file !== undefined ? source : { text: checksum }, options);
  $("command").textContent = command;
  const job = { id: ++lastId, checksum, options, command };
  if (drawing) {
    waiting = job;
  } else {
    send(job);
  }
}

function send(job) {
  drawing = job;
  document.body.dataset.busy = "yes";
  worker.postMessage({ id: job.id, checksum: job.checksum, options: job.options });
}

// RGBA for the canvas: opaque, but for the background colour of a
// transparent picture, which the PNG marks transparent too.
function imageOf({ size, pixels }, options) {
  const image = new ImageData(size, size);
  const level = options.background;
  for (let i = 0, j = 0; i < pixels.length; i += 3, j += 4) {
    const [red, green, blue] = [pixels[i], pixels[i + 1], pixels[i + 2]];
    image.data.set([red, green, blue], j);
    const clear = options.transparent && red === level && green === level && blue === level;
    image.data[j + 3] = clear ? 0 : 255;
  }
  return image;
}

function show(picture, job, milliseconds) {
  canvas.width = canvas.height = picture.size;
  canvas.getContext("2d").putImageData(imageOf(picture, job.options), 0, 0);
  zoom();
  if (downloadAddress) URL.revokeObjectURL(downloadAddress);
  downloadAddress = URL.createObjectURL(new Blob([picture.png], { type: "image/png" }));
  $("download").href = downloadAddress;
  $("download").hidden = false;
  say(`${picture.size} × ${picture.size} pixels, drawn in ${Math.round(milliseconds)} ms`);
}

worker.onmessage = ({ data }) => {
  const job = drawing;
  drawing = null;
  if (data.error !== undefined) {
    say(data.error, true);
    $("download").hidden = true;
  } else {
    show(data.picture, job, data.milliseconds);
  }
  canvas.dataset.drawnFor = job.command;
  canvas.dataset.failed = data.error !== undefined ? "yes" : "no";
  if (waiting) {
    send(waiting);
    waiting = null;
  } else {
    delete document.body.dataset.busy;
  }
};

worker.onerror = (event) => {
  say(`The drawing worker stopped: ${event.message ?? "it could not load"}`, true);
};

function zoom() {
  canvas.style.width = `${canvas.width * Number($("zoom").value)}px`;
}

async function hashDropped() {
  const digest = await crypto.subtle.digest(source.hash, source.contents);
  const hex = [...new Uint8Array(digest)].map((byte) => byte.toString(16).padStart(2, "0"));
  $("checksum").value = hex.join("");
  $("checksumLength").value = String(Math.min(128, hex.length * 2));
  request();
}

$("settings").addEventListener("submit", (event) => event.preventDefault());
$("settings").addEventListener("input", (event) => {
  if (event.target.id === "zoom") return zoom();
  if (event.target.id === "checksum") source = { text: event.target.value };
  if (event.target.id === "hash" && source.file !== undefined) {
    source = { ...source, hash: $("hash").value };
    return hashDropped();
  }
  request();
});
$("now").addEventListener("click", () => {
  $("seed").value = String(Math.floor(Date.now() / 1000));
  request();
});

document.addEventListener("dragover", (event) => {
  event.preventDefault();
  document.body.classList.add("dropping");
});
document.addEventListener("dragleave", () => document.body.classList.remove("dropping"));
document.addEventListener("drop", async (event) => {
  event.preventDefault();
  document.body.classList.remove("dropping");
  const file = event.dataTransfer.files[0];
  if (!file) return;
  source = { file: file.name, hash: $("hash").value, contents: await file.arrayBuffer() };
  await hashDropped();
});

$("seed").value = String(Math.floor(Date.now() / 1000));
request();
