// The command line that draws what the page shows: the checksum, or the
// file that it was taken from, piped into tessadox with the page's seed and
// every option that differs from the command's default.

const defaults = { checksumLength: 32, resolution: 300, background: 0, intensity: 30 };
const valueFlags = [["checksumLength", "-l"], ["resolution", "-r"], ["background", "-b"],
  ["intensity", "-i"]];

// A word for a POSIX shell: as it is when it holds nothing the shell reads
// specially, else in single quotes.
export function shellWord(text) {
  if (/^[A-Za-z0-9_.,/:=+@%-]+$/.test(text)) return text;
  return `'${text.replaceAll("'", `'\\''`)}'`;
}

export function commandArguments(options) {
  const args = [];
  for (const [name, flag] of valueFlags) {
    if (options[name] !== defaults[name]) args.push(flag, String(options[name]));
  }
  if (options.colorMode === "areas") args.push("-a");
  if (options.colorMode === "gray") args.push("-g");
  if (options.flipBgr) args.push("-c");
  if (options.transparent) args.push("-t");
  return args;
}

// source: { text } for a typed checksum, or { file, hash } for a file hashed
// with "SHA-256" and the like. Reading the file on standard input keeps its
// name out of what the checksum tool prints.
export function commandLine(source, options) {
  const input = source.file !== undefined
    ? `${source.hash.replace("-", "").toLowerCase()}sum < ${shellWord(source.file)}`
    : `printf '%s' ${shellWord(source.text)}`;
  const command = ["tessadox", ...commandArguments(options)].join(" ");
  return `${input} | SOURCE_DATE_EPOCH=${options.seed} ${command} > picture.png`;
}
