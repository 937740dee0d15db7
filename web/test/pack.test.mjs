// What `npm pack` makes: a package with its licence that installs alone into
// a folder made by `npm init -y`, where the README's first example runs as it
// is written and writes the command's PNG; whose element imports without a
// browser, as during server-side rendering; and whose declarations check a
// TypeScript program that uses it.
import assert from "node:assert/strict";
import { execFileSync } from "node:child_process";
import { mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
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

// The README's first example and the file name it says to save it as.
function readmeExample() {
  const readme = readFileSync(join(here, "README.md"), "utf8");
  const [, name, code] = readme.match(/save this as `([\w.]+)`[\s\S]*?```js\n([\s\S]*?)```/);
  return { name, code };
}

test("the packed package installs alone, and the README's example runs in an `npm init -y` folder", () => {
  const [packed] = JSON.parse(npm(["pack", "--json", "--pack-destination", folder], here));
  assert.deepEqual(packed.files.map((file) => file.path).sort(), ["LICENSE", "README.md",
    "dist/option_table.js", "dist/tessadox_module.js", "package.json", "src/element.d.ts",
    "src/element.js", "src/engine.js", "src/errors.js", "src/index.d.ts", "src/index.js",
    "src/options.js", "src/pool.js", "src/worker.js"]);
  const user = join(folder, "user");
  mkdirSync(user);
  npm(["init", "-y"], user);
  npm(["install", join(folder, packed.filename)], user);
  const installed = JSON.parse(readFileSync(join(user, "package-lock.json"), "utf8")).packages;
  assert.deepEqual(Object.keys(installed).sort(), ["", "node_modules/tessadox"]);

  const { name, code } = readmeExample();
  writeFileSync(join(user, name), code);
  execFileSync("node", [name], { cwd: user, encoding: "utf8" });
  const native = runCommand("469369a0d4125559535c4c5062a3c303", ["-r", "200"], 1700000000);
  assert.equal(native.status, 0, native.stderr);
  assert.ok(readFileSync(join(user, "picture.png")).equals(native.png),
    "the README's example does not write the command's picture");

  // No window, no document, no customElements: the element's module loads
  // and leaves the defining to a browser.
  const rendered = execFileSync("node", ["--input-type=module", "-e", `
    import { TessadoxPicture } from "tessadox/element";
    console.log(typeof TessadoxPicture, TessadoxPicture.observedAttributes.join(" "));`],
  { cwd: user, encoding: "utf8" });
  assert.equal(rendered.trim(), "function checksum resolution background intensity " +
    "checksum-length color-mode flip-bgr transparent seed max-steps");

  writeFileSync(join(user, "use.mts"), `
    import { draw, options, TessadoxError, type Picture } from "tessadox";
    import { TessadoxPicture } from "tessadox/element";
    const controller = new AbortController();
    const picture: Picture = await draw(new Uint8Array([52, 54]),
      { colorMode: "areas", seed: 5n, maxSteps: 10 ** 6, signal: controller.signal });
    const bytes: Uint8Array = picture.png;
    const size: number = picture.size + bytes.length + picture.options.checksumLength;
    const names: string[] = options.map((option) => option.name);
    try { await draw("x", { resolution: 0 }); } catch (error) {
      if (error instanceof TessadoxError) console.log(error.code, error.option, size, names);
    }
    const element: TessadoxPicture | null = null;
    console.log(element);
    // @ts-expect-error: not a colouring
    await draw("x", { colorMode: "blue" });`);
  const tsc = fileURLToPath(new URL("../node_modules/typescript/bin/tsc", import.meta.url));
  execFileSync("node", [tsc, "--noEmit", "--strict", "--module", "nodenext", "--target", "es2022",
    "--lib", "es2022,dom", "use.mts"], { cwd: user, encoding: "utf8" });
});
