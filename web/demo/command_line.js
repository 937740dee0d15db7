// The command line that draws what the page shows: the checksum, or the
// file that it was taken from, piped into tessadox with the page's seed and
// every option, as the draw resolved it, that differs from the library's
// default, which is the command's.
import { options as table } from "../src/index.js";

const defaults = new Map(table.map((option) => [option.name, option.defaultValue]));
const valueFlags = [["checksumLength", "-l"], ["resolution", "-r"], ["background", "-b"],
  ["intensity", "-i"]];

// A word for a POSIX shell: as it is when it holds nothing the shell reads
// specially, else in single quotes.
export function shellWord(text) {
  if (/^[A-Za-z0-9_.,/:=+@%-]+$/.test(text)) return text;
  return `'${text.replaceAll("'", `'\\''`)}'`;
}

// `drawn` holds the options of the picture (picture.options).
export function commandArguments(drawn) {
  const args = [];
  for (const [name, flag] of valueFlags) {
    if (BigInt(drawn[name]) !== defaults.get(name)) args.push(flag, String(drawn[name]));
  }
  if (drawn.colorMode === "areas") args.push("-a");
  if (drawn.colorMode === "gray") args.push("-g");
  if (drawn.flipBgr) args.push("-c");
  if (drawn.transparent) args.push("-t");
  return args;
}

// The file to save the picture as: named after the checksum's leading
// hexadecimal digits, which are what a picture is drawn from.
export function fileName(checksum) {
  const digits = checksum.trim().match(/^[0-9A-Fa-f]*/)[0].slice(0, 128).toLowerCase();
  return digits === "" ? "tessadox.png" : `tessadox-${digits}.png`;
}

// source: { text } for a typed checksum, or { file, hash } for a file hashed
// with "SHA-256" and the like. Reading the file on standard input keeps its
// name out of what the checksum tool prints.
export function commandLine(source, drawn, output) {
  const input = source.file !== undefined
    ? `${source.hash.replace("-", "").toLowerCase()}sum < ${shellWord(source.file)}`
    : `printf '%s' ${shellWord(source.text)}`;
  const command = ["tessadox", ...commandArguments(drawn)].join(" ");
  return `${input} | SOURCE_DATE_EPOCH=${drawn.seed} ${command} > ${shellWord(output)}`;
}
