// The page: sets the controls' values on the <tessadox-picture> element,
// which draws in a worker and drops a draw that a newer setting overtook,
// and shows with the picture the command line that draws it, its PNG to
// download, and what the draw replaced of the settings.
import { commandLine, fileName } from "./command_line.js";

const $ = (id) => document.getElementById(id);
const picture = $("picture");
// The controls, their options' attributes on the element, and the names
// that a message about them gives.
const numbers = [["checksumLength", "checksum-length", "Checksum length", "-l"],
  ["resolution", "resolution", "Resolution", "-r"], ["background", "background", "Background", "-b"],
  ["intensity", "intensity", "Intensity", "-i"], ["seed", "seed", "Seed", null]];
const flags = [["flipBgr", "flip-bgr"], ["transparent", "transparent"]];

let source = { text: $("checksum").value }; // or { file, hash, contents } for a hashed file
let requested = null; // what the element was last asked to draw
let started = 0;
let downloadAddress = null;

function say(text, failed = false) {
  $("status").textContent = text;
  $("status").classList.toggle("failed", failed);
}

function readSettings() {
  const settings = { checksum: $("checksum").value, colorMode: $("colorMode").value };
  for (const [name, , label] of numbers) {
    const value = $(name).valueAsNumber;
    if (!Number.isSafeInteger(value)) return { problem: `${label}: a whole number, please` };
    settings[name] = value;
  }
  for (const [name] of flags) settings[name] = $(name).checked;
  return { settings };
}

function request() {
  const { settings, problem } = readSettings();
  if (problem) {
    say(problem, true);
    return;
  }
  requested = { settings, source: source.file !== undefined ? source : { text: settings.checksum } };
  picture.setAttribute("checksum", settings.checksum);
  picture.setAttribute("color-mode", settings.colorMode);
  for (const [name, attribute] of numbers) picture.setAttribute(attribute, String(settings[name]));
  for (const [name, attribute] of flags) picture.toggleAttribute(attribute, settings[name]);
  picture.setAttribute("aria-label", `The picture of the checksum ${settings.checksum || "(empty)"}`);
  picture.dataset.requested = JSON.stringify(settings);
  document.body.dataset.busy = "yes";
  started = performance.now();
}

function zoom() {
  const size = picture.picture?.size ?? Number($("resolution").value);
  picture.style.width = `${size * Number($("zoom").value)}px`;
}

// What the draw replaced: a resolution above the most, a checksum length
// outside its range, or the length that 0 stood for.
function notices(settings, drawn) {
  const said = [];
  for (const [name, , label, flag] of numbers) {
    if (flag === null || Number(drawn[name]) === settings[name]) continue;
    said.push(name === "checksumLength" && settings[name] === 0
      ? `-l 0 read the checksum's own ${drawn[name]} characters: -l ${drawn[name]}.`
      : `${label} ${settings[name]} (${flag} ${settings[name]}) draws as ${flag} ${drawn[name]}.`);
  }
  return said;
}

picture.addEventListener("load", () => {
  const drawn = picture.picture;
  const { settings, source: from } = requested;
  const output = fileName(settings.checksum);
  showCommand(commandLine(from, drawn.options, output));
  if (downloadAddress) URL.revokeObjectURL(downloadAddress);
  downloadAddress = URL.createObjectURL(new Blob([drawn.png], { type: "image/png" }));
  Object.assign($("download"), { href: downloadAddress, download: output, hidden: false });
  say(`${drawn.size} × ${drawn.size} pixels, -l ${drawn.options.checksumLength}, drawn in ` +
    `${Math.round(performance.now() - started)} ms`);
  const said = notices(settings, drawn.options);
  $("notice").textContent = said.join(" ");
  $("notice").hidden = said.length === 0;
  zoom();
  picture.dataset.failed = "no";
  settle();
});

picture.addEventListener("error", (event) => {
  say(event.message, true);
  $("download").hidden = true;
  $("notice").hidden = true;
  $("command").textContent = "";
  picture.dataset.failed = "yes";
  settle();
});

// Each word of the command line unbroken: a line breaks only between
// words, not after the hyphen in a file name or inside a checksum.
function showCommand(line) {
  const words = line.split(" ").map((word) => Object.assign(document.createElement("span"),
    { textContent: word, className: "word" }));
  $("command").replaceChildren(...words.flatMap((word, i) => (i === 0 ? [word] : [" ", word])));
}

function settle() {
  picture.dataset.drawn = picture.dataset.requested;
  delete document.body.dataset.busy;
}

async function hashFile(file) {
  source = { file: file.name, hash: $("hash").value, contents: await file.arrayBuffer() };
  await hashSource();
}

async function hashSource() {
  const digest = await crypto.subtle.digest(source.hash, source.contents);
  const hex = [...new Uint8Array(digest)].map((byte) => byte.toString(16).padStart(2, "0"));
  $("checksum").value = hex.join("");
  request();
}

$("settings").addEventListener("submit", (event) => event.preventDefault());
$("settings").addEventListener("input", (event) => {
  const id = event.target.id;
  if (id === "zoom") return zoom();
  if (id === "file") return undefined; // its change event hashes it
  if (id === "checksum") source = { text: event.target.value };
  if (id === "hash" && source.file !== undefined) {
    source = { ...source, hash: $("hash").value };
    return hashSource();
  }
  return request();
});
$("file").addEventListener("change", () => {
  const file = $("file").files[0];
  if (file) hashFile(file);
});
$("now").addEventListener("click", () => {
  $("seed").value = String(Math.floor(Date.now() / 1000));
  request();
});
$("copy").addEventListener("click", async () => {
  try {
    await navigator.clipboard.writeText($("command").textContent);
    $("copy").textContent = "Copied";
  } catch {
    getSelection().selectAllChildren($("command"));
    $("copy").textContent = "Selected: copy it with the keyboard";
  }
  setTimeout(() => { $("copy").textContent = "Copy the command"; }, 2000);
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
  if (file) await hashFile(file);
});

$("seed").value = String(Math.floor(Date.now() / 1000));
request();
