#!/usr/bin/env node
// Builds the one self-contained page: web/index.html with its style sheet,
// its JavaScript modules (joined into one module script, in the order their
// imports need) and the WebAssembly module (gzip, then base64; the page
// unpacks it with the browser's DecompressionStream) inlined, so that the
// file works from disk and with no network.
//
//   node scripts/inline-page.mjs WEB_DIR MODULE.wasm OUT.html
import { readFileSync, writeFileSync } from "node:fs";
import { dirname, join, normalize } from "node:path";
import { gzipSync } from "node:zlib";

const [webDir, wasmPath, outPath] = process.argv.slice(2);
if (!outPath) {
  console.error("usage: inline-page.mjs WEB_DIR MODULE.wasm OUT.html");
  process.exit(2);
}

const importLine = /^import\s+[^;]*?from\s+"(\.\.?\/[\w./-]+\.js)";\s*$/gm;

// Each module once, after the modules it imports. Imports name modules of
// web/ and its folders, by paths relative to the importing module; the
// joined script has one scope, so top-level names are unique across the
// modules.
const order = [];
const seen = new Set();
function add(name, stack = []) {
  if (seen.has(name)) return;
  if (stack.includes(name)) throw new Error(`import cycle: ${[...stack, name].join(" -> ")}`);
  const source = readFileSync(join(webDir, name), "utf8");
  for (const [, dep] of source.matchAll(importLine)) add(normalize(join(dirname(name), dep)), [...stack, name]);
  seen.add(name);
  order.push({ name, source });
}

let html = readFileSync(join(webDir, "index.html"), "utf8");
const entry = html.match(/<script type="module" src="([\w.-]+\.js)"><\/script>/);
if (!entry) throw new Error("index.html has no module script");
add(entry[1]);

const script = order
  .map(({ name, source }) =>
    `// ${name}\n` + source.replace(importLine, "").replace(/^export\s+(?=(async\s+)?(function|class|const|let)\b)/gm, ""))
  .join("\n");
const css = readFileSync(join(webDir, "style.css"), "utf8");
const wasm = gzipSync(readFileSync(wasmPath), { level: 9 }).toString("base64");

// Functions as replacements, so that "$" in the sources stays as it is.
html = html
  .replace('<link rel="stylesheet" href="style.css">', () => `<style>\n${css}</style>`)
  .replace(entry[0], () => `<script type="module">\n${script.replaceAll("</script", "<\\/script")}</script>`)
  .replace(/(<script id="wb-module" type="application\/octet-stream">)(<\/script>)/, (_, open, close) => open + wasm + close);
if (!html.includes(wasm)) throw new Error('index.html has no <script id="wb-module">');
writeFileSync(outPath, html);
