#!/usr/bin/env node
// Builds the one self-contained page: web/index.html with its style sheet,
// its JavaScript modules (joined into one module script, in the order their
// imports need) and the WebAssembly module (gzip, then base64; the page
// unpacks it with the browser's DecompressionStream) inlined, so that the
// file works from disk and with no network.
//
// With --site DIR it also writes the installable web app: DIR/index.html
// (the same page, with its manifest and the service worker's start),
// manifest.webmanifest, the icons and sw.js, whose cache name comes from
// the content of the other files, so that a changed site is a new version.
//
//   node scripts/inline-page.mjs WEB_DIR MODULE.wasm OUT.html [--site DIR]
import { createHash } from "node:crypto";
import { copyFileSync, mkdirSync, readFileSync, writeFileSync } from "node:fs";
import { dirname, join, posix } from "node:path";
import { gzipSync } from "node:zlib";

const [webDir, wasmPath, outPath, siteFlag, siteDir] = process.argv.slice(2);
if (!outPath || (siteFlag !== undefined && (siteFlag !== "--site" || !siteDir))) {
  console.error("usage: inline-page.mjs WEB_DIR MODULE.wasm OUT.html [--site DIR]");
  process.exit(2);
}

// Imports name modules of web/ and its folders by relative path.
const importLine = /^import\s+[^;]*?from\s+"(\.\.?\/[\w./-]+\.js)";\s*$/gm;

// Each module once, after the modules it imports; names are paths inside
// web/. The joined script has one scope, so top-level names are unique
// across the modules.
const order = [];
const seen = new Set();
function add(name, stack = []) {
  if (seen.has(name)) return;
  if (stack.includes(name)) throw new Error(`import cycle: ${[...stack, name].join(" -> ")}`);
  const source = readFileSync(join(webDir, name), "utf8");
  for (const [, dep] of source.matchAll(importLine)) add(posix.normalize(posix.join(posix.dirname(name), dep)), [...stack, name]);
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

if (siteDir) {
  const manifest = JSON.parse(readFileSync(join(webDir, "manifest.webmanifest"), "utf8"));
  const files = ["index.html", "manifest.webmanifest", ...manifest.icons.map((icon) => icon.src)];
  const head =
    '<link rel="manifest" href="manifest.webmanifest">\n' +
    `<meta name="theme-color" content="${manifest.theme_color}">\n` +
    `<link rel="icon" href="${manifest.icons[0].src}">\n` +
    `<link rel="apple-touch-icon" href="${manifest.icons[0].src}">\n`;
  const site = html.replace("<html ", '<html data-site="true" ').replace("</head>", () => head + "</head>");
  if (site === html) throw new Error("index.html has no <html ...> or </head>");
  const hash = createHash("sha256");
  for (const file of files) {
    mkdirSync(dirname(join(siteDir, file)), { recursive: true });
    if (file === "index.html") writeFileSync(join(siteDir, file), site);
    else copyFileSync(join(webDir, file), join(siteDir, file));
    hash.update(file).update(readFileSync(join(siteDir, file)));
  }
  const worker = readFileSync(join(webDir, "sw.js"), "utf8")
    .replace('"wrenbolt-dev"', () => JSON.stringify(`wrenbolt-${hash.digest("hex").slice(0, 16)}`))
    .replace("[/* FILES */]", () => JSON.stringify(["./", ...files]));
  if (worker.includes("wrenbolt-dev") || worker.includes("FILES")) throw new Error("sw.js lacks its cache name or file list");
  writeFileSync(join(siteDir, "sw.js"), worker);
}
