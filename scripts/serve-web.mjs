#!/usr/bin/env node
// Serves the web app (build/web/site) on 127.0.0.1 only, for trying it and
// for the tests: Chromium treats http://127.0.0.1 as a secure origin, so
// the service worker, the install and Web Serial all work as on HTTPS.
//
//   node scripts/serve-web.mjs [--port N] [--dir DIR]      (port 0: any free one)
import { createServer } from "node:http";
import { readFile, stat } from "node:fs/promises";
import { extname, join, resolve, sep } from "node:path";
import { fileURLToPath } from "node:url";
import { parseArgs } from "node:util";
import { gzipSync } from "node:zlib";

const Types = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".webmanifest": "application/manifest+json",
  ".png": "image/png",
  ".json": "application/json",
  ".wasm": "application/wasm",
};

// Resolves to the server once it listens; server.address().port is the port.
export function serve(dir, port = 8040) {
  const rootDir = resolve(dir);
  const server = createServer(async (request, response) => {
    try {
      let path = decodeURIComponent(new URL(request.url, "http://127.0.0.1").pathname);
      if (path.endsWith("/")) path += "index.html";
      const file = resolve(join(rootDir, path));
      if (file !== rootDir && !file.startsWith(rootDir + sep)) throw new Error("outside the site");
      if (!(await stat(file)).isFile()) throw new Error("not a file");
      let body = await readFile(file);
      // Always asked again, so that a new sw.js is seen at once.
      const headers = { "Content-Type": Types[extname(file)] ?? "application/octet-stream", "Cache-Control": "no-cache", Vary: "Accept-Encoding" };
      // Text goes compressed to a browser that takes it (PNG is compressed already).
      if (extname(file) !== ".png" && /\bgzip\b/.test(request.headers["accept-encoding"] ?? "")) {
        body = gzipSync(body);
        headers["Content-Encoding"] = "gzip";
      }
      headers["Content-Length"] = body.length;
      response.writeHead(200, headers);
      response.end(request.method === "HEAD" ? undefined : body);
    } catch {
      response.writeHead(404, { "Content-Type": "text/plain" });
      response.end("Not found\n");
    }
  });
  return new Promise((done, fail) => {
    server.once("error", fail);
    server.listen(port, "127.0.0.1", () => done(server));
  });
}

if (process.argv[1] && resolve(process.argv[1]) === fileURLToPath(import.meta.url)) {
  const root = resolve(fileURLToPath(import.meta.url), "../..");
  const { values } = parseArgs({ options: { port: { type: "string", default: "8040" }, dir: { type: "string", default: join(root, "build/web/site") } } });
  const server = await serve(values.dir, Number(values.port));
  console.log(`Serving ${values.dir} at http://127.0.0.1:${server.address().port}/ (Ctrl-C stops)`);
}
