// A static server for the browser tests: the files below `root`, on
// 127.0.0.1 at a port the system picks, with the types a browser wants;
// `isolated` adds the headers that make its pages cross-origin isolated,
// which lets them share memory with their workers.
import { readFile } from "node:fs/promises";
import { createServer } from "node:http";
import { extname, join, normalize } from "node:path";

const types = { ".html": "text/html", ".js": "text/javascript", ".mjs": "text/javascript",
  ".css": "text/css", ".wasm": "application/wasm", ".png": "image/png", ".json": "application/json" };
const isolation = { "cross-origin-opener-policy": "same-origin",
  "cross-origin-embedder-policy": "require-corp" };

export async function serve(root, { isolated = false } = {}) {
  const server = createServer(async (request, response) => {
    const path = normalize(decodeURIComponent(new URL(request.url, "http://x").pathname));
    const file = join(root, path.endsWith("/") ? join(path, "index.html") : path);
    try {
      const body = await readFile(file);
      response.writeHead(200, { "content-type": types[extname(file)] ?? "application/octet-stream",
        ...(isolated ? isolation : {}) });
      response.end(body);
    } catch {
      response.writeHead(404).end();
    }
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  return { address: `http://127.0.0.1:${server.address().port}`, close: () => server.close() };
}
