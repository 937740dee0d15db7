// The native command, run as a user runs it: the checksum on standard input,
// the seed in SOURCE_DATE_EPOCH. TESSADOX_BINARY names it; by default the
// build of the source tree, build/tessadox.
import { spawnSync } from "node:child_process";
import { fileURLToPath } from "node:url";

export const binary =
  process.env.TESSADOX_BINARY ?? fileURLToPath(new URL("../../build/tessadox", import.meta.url));

export function runCommand(checksum, args, seed) {
  const run = spawnSync(binary, args, {
    input: checksum,
    env: { PATH: process.env.PATH, SOURCE_DATE_EPOCH: String(seed) },
    maxBuffer: 64 << 20,
  });
  if (run.error) throw run.error;
  return { status: run.status, png: new Uint8Array(run.stdout), stderr: run.stderr.toString() };
}
