// What `npm pack` makes: a package that installs into an empty folder with
// nothing else, draws there what the command draws, and whose declarations
// check a TypeScript program that uses it.
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { after, test } from "node:test";
import { fileURLToPath } from "node:url";

import { runCommand } from "./native.mjs";

const here = fileURLToPath(new URL("..", import.meta.url));
const folder = mkdtempSync(join(tmpdir(), "tessadox-pack-"));
after(() => rmSync(folder, { recursive: true }));

const npm = (args, cwd) =>
  execFileSync("npm", [...args, "--no-audit", "--no-fund", "--offline"], { cwd, encoding: "utf8" });

test("the packed package installs alone and draws the command's picture", () => {
  const [packed] = JSON.parse(npm(["pack", "--json", "--pack-destination", folder], here));
  assert.deepEqual(packed.files.map((file) => file.path).sort(), ["README.md",
    "dist/tessadox_module.js", "package.json", "src/engine.js", "src/index.d.ts", "src/index.js",
    "src/options.js"]);
  const user = join(folder, "user");
  execFileSync("mkdir", [user]);
  writeFileSync(join(user, "package.json"), JSON.stringify({ type: "module", private: true }));
  npm(["install", join(folder, packed.filename)], user);
  const installed = JSON.parse(readFileSync(join(user, "package-lock.json"), "utf8")).packages;
  assert.deepEqual(Object.keys(installed).sort(), ["", "node_modules/tessadox"]);

  writeFileSync(join(user, "draw.mjs"), `
    import { draw } from "tessadox";
    const picture = await draw("469369a0d4125559535c4c5062a3c303", { resolution: 120, colorMode: "gray", seed: 1700000000 });
    process.stdout.write(picture.png);`);
  const png = execFileSync("node", ["draw.mjs"], { cwd: user });
  const native = runCommand("469369a0d4125559535c4c5062a3c303", ["-r", "120", "-g"], 1700000000);
  assert.ok(png.equals(native.png));

  writeFileSync(join(user, "use.ts"), `
    import { draw, TessadoxError, type Picture } from "tessadox";
    const picture: Picture = await draw(new Uint8Array([52, 54]), { colorMode: "areas", seed: 5n });
    const bytes: Uint8Array = picture.png;
    const size: number = picture.size + bytes.length;
    try { await draw("x", { resolution: 0 }); } catch (error) {
      if (error instanceof TessadoxError) console.log(error.code, size);
    }
    // @ts-expect-error: not a colouring
    await draw("x", { colorMode: "blue" });`);
  const tsc = fileURLToPath(new URL("../node_modules/typescript/bin/tsc", import.meta.url));
  execFileSync("node", [tsc, "--noEmit", "--strict", "--module", "nodenext", "--target", "es2022",
    "use.ts"], { cwd: user, encoding: "utf8" });
});
