#!/usr/bin/env node
// Builds the one self-contained page: page/index.html with its style sheet
// and its JavaScript modules, bundled and minified by esbuild into one
// module script, and the WebAssembly module (gzip, then base64; the page
// unpacks it with the browser's DecompressionStream) inlined, so that the
// file works from disk and with no network.
//
// With --site DIR it also writes the installable web app: DIR/index.html
// (the same page, with its manifest and the service worker's start),
// manifest.webmanifest, the icons and sw.js (minified, its own file),
// whose cache name comes from the content of the other files, so that a
// changed site is a new version.
//
//   node scripts/build-page.mjs WEB_DIR MODULE.wasm OUT.html [--site DIR]
//
// esbuild comes from scripts/package-lock.json (npm ci in scripts/).
import { createHash } from "node:crypto";
import { copyFileSync, mkdirSync, readFileSync, writeFileSync } from "node:fs";
import { dirname, join, resolve } from "node:path";
import { gzipSync } from "node:zlib";
import * as esbuild from "esbuild";

const [webDir, wasmPath, outPath, siteFlag, siteDir, ...extra] = process.argv.slice(2);
if (!outPath || extra.length > 0 || (siteFlag !== undefined && (siteFlag !== "--site" || !siteDir))) {
  console.error("usage: build-page.mjs WEB_DIR MODULE.wasm OUT.html [--site DIR]");
  process.exit(2);
}

// One build option set for the page's bundle and the worker: minified,
// non-ASCII text kept as it is (the page is UTF-8), no lowering of syntax.
const common = { minify: true, charset: "utf8", legalComments: "none", logLevel: "silent" };

// A warning is a fault in the page's sources (a missing export, a
// duplicate key, a comparison that is always false): it fails the build,
// as a compiler warning does.
function failOnWarnings(what, warnings) {
  if (warnings.length === 0) return;
  const text = esbuild.formatMessagesSync(warnings, { kind: "warning" }).join("");
  throw new Error(`${what}: esbuild warned\n${text}`);
}

// Inside an inline <script> or <style>, "</script" or "</style" would end
// the element early and "<!--" would change how the rest is parsed.
function checkInline(what, text, tag) {
  const bad = new RegExp(`</${tag}|<!--`, "i").exec(text);
  if (bad) throw new Error(`${what} holds "${bad[0]}", which cannot stand inside an inline <${tag}>`);
}

async function bundle(entry) {
  const result = await esbuild.build({
    ...common,
    // Messages name the files by their paths inside page/.
    absWorkingDir: resolve(webDir),
    entryPoints: [entry],
    bundle: true,
    format: "esm",
    platform: "browser",
    // esbuild itself writes "</script" in strings as "<\/script".
    write: false,
  });
  failOnWarnings(entry, result.warnings);
  const script = result.outputFiles[0].text;
  checkInline(`the bundle of ${entry}`, script, "script");
  return script;
}

// The module's WB_EXPORTs are the one list of its interface: the page may
// call no name the module lacks (a TypeError at run time, perhaps only on a
// rare path) and the module keeps no export the page never calls.
function checkExports(script, wasmBytes) {
  const exported = WebAssembly.Module.exports(new WebAssembly.Module(wasmBytes))
    .map(({ name }) => name)
    .filter((name) => name.startsWith("wb_"));
  const called = new Set(script.match(/\bwb_\w+/g) ?? []);
  const missing = [...called].filter((name) => !exported.includes(name));
  const unused = exported.filter((name) => !called.has(name));
  if (missing.length) throw new Error(`the page calls what the module does not export: ${missing.join(", ")}`);
  if (unused.length) throw new Error(`the module exports what the page never calls: ${unused.join(", ")}`);
}

async function minify(what, source, loader) {
  const result = await esbuild.transform(source, { ...common, loader, sourcefile: what });
  failOnWarnings(what, result.warnings);
  return result.code;
}

async function main() {
  let html = readFileSync(join(webDir, "index.html"), "utf8");
  const entry = html.match(/<script type="module" src="([\w.-]+\.js)"><\/script>/);
  if (!entry) throw new Error("index.html has no module script");
  const script = await bundle(entry[1]);
  const css = await minify("style.css", readFileSync(join(webDir, "style.css"), "utf8"), "css");
  checkInline("style.css", css, "style");
  const module = readFileSync(wasmPath);
  checkExports(script, module);
  const wasm = gzipSync(module, { level: 9 }).toString("base64");

  // Functions as replacements, so that "$" in the sources stays as it is.
  const stylesheet = '<link rel="stylesheet" href="style.css">';
  if (!html.includes(stylesheet)) throw new Error(`index.html has no ${stylesheet}`);
  html = html
    .replace(stylesheet, () => `<style>\n${css}</style>`)
    .replace(entry[0], () => `<script type="module">\n${script}</script>`)
    .replace(/(<script id="wb-module" type="application\/octet-stream">)(<\/script>)/, (_, open, close) => open + wasm + close);
  if (!html.includes(wasm)) throw new Error('index.html has no <script id="wb-module">');
  // The icon goes in too, so that the one file asks for no /favicon.ico.
  const manifest = JSON.parse(readFileSync(join(webDir, "manifest.webmanifest"), "utf8"));
  const icon = readFileSync(join(webDir, manifest.icons[0].src)).toString("base64");
  const withIcon = html.replace("</head>", () => `<link rel="icon" href="data:image/png;base64,${icon}">\n</head>`);
  if (withIcon === html) throw new Error("index.html has no </head>");
  html = withIcon;
  writeFileSync(outPath, html);

  if (siteDir) await writeSite(html);
}

async function writeSite(html) {
  const manifest = JSON.parse(readFileSync(join(webDir, "manifest.webmanifest"), "utf8"));
  const files = ["index.html", "manifest.webmanifest", ...manifest.icons.map((icon) => icon.src)];
  const head =
    '<link rel="manifest" href="manifest.webmanifest">\n' +
    `<meta name="theme-color" content="${manifest.theme_color}">\n` +
    `<link rel="apple-touch-icon" href="${manifest.icons[0].src}">\n`;
  // The install prompt's screenshots are the user guide's: copied, but not
  // kept by the service worker, which the app does not need them for.
  for (const { src } of manifest.screenshots ?? []) {
    mkdirSync(dirname(join(siteDir, src)), { recursive: true });
    copyFileSync(join(webDir, "../docs", src), join(siteDir, src));
  }
  const site = html.replace("<html ", '<html data-site="true" ').replace("</head>", () => head + "</head>");
  if (site === html) throw new Error("index.html has no <html ...> or </head>");
  const hash = createHash("sha256");
  for (const file of files) {
    mkdirSync(dirname(join(siteDir, file)), { recursive: true });
    if (file === "index.html") writeFileSync(join(siteDir, file), site);
    else copyFileSync(join(webDir, file), join(siteDir, file));
    hash.update(file).update(readFileSync(join(siteDir, file)));
  }
  // The cache name and file list go in before minifying, which drops the
  // list's placeholder comment.
  // A worker without either would never see a new version or cache nothing.
  const source = readFileSync(join(webDir, "sw.js"), "utf8");
  const placeholders = ['"wrenbolt-dev"', "[/* FILES */]"];
  if (placeholders.some((text) => source.split(text).length !== 2)) throw new Error("sw.js lacks its cache name or file list");
  const worker = source
    .replace(placeholders[0], () => JSON.stringify(`wrenbolt-${hash.digest("hex").slice(0, 16)}`))
    .replace(placeholders[1], () => JSON.stringify(["./", ...files]));
  writeFileSync(join(siteDir, "sw.js"), await minify("sw.js", worker, "js"));
}

main().catch((error) => {
  console.error(`build-page.mjs: ${error.message}`);
  process.exit(1);
});
