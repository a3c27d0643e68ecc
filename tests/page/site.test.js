// The installable web app (build/web/site) served on 127.0.0.1: its service
// worker, Chromium's installability check, a reload with no network, an
// update offered and never forced; the page at phone size, with the tone
// chart; and axe-core's accessibility rules on the page, the Hunt plan
// panel and the truncation notice, at laptop and phone width. And the
// build of both (scripts/build-page.mjs) from small web folders of its own:
// what it bundles and inlines, and each fault it refuses.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { spawnSync } from "node:child_process";
import { cpSync, mkdirSync, mkdtempSync, readFileSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { dirname, join } from "node:path";
import { gunzipSync } from "node:zlib";
import { field, launch, pagePath, press, root, statusUntil, typeInto } from "./harness.js";
import { serve } from "../../scripts/serve-web.mjs";

const sitePath = join(root, "build/web/site");
const axePath = join(import.meta.dirname, "node_modules/axe-core/axe.min.js");
const Phone = { width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 1 };
const Laptop = { width: 1280, height: 800 };

let browser;
let server;
let port;
// A copy of the site, so that a new version can be put in its place.
const dir = mkdtempSync(join(tmpdir(), "wb-site-"));
before(async () => {
  cpSync(sitePath, dir, { recursive: true });
  server = await serve(dir, 0);
  port = server.address().port;
  browser = await launch();
});
after(async () => {
  await browser?.close();
  server?.close();
});

const stopServer = () =>
  new Promise((done) => {
    server.closeAllConnections();
    server.close(done);
  });

async function openSite(query = "?sim=tarsel", viewport = Laptop) {
  const page = await browser.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  await page.setViewport(viewport);
  await page.goto(`http://127.0.0.1:${port}/${query}`);
  await page.waitForSelector("body[data-ready]");
  return { page, errors };
}

async function readConfig(page) {
  await press(page, "Read Config");
  return (await statusUntil(page, (s) => !/^(Reading|Version Read)/.test(s) && s !== "")).at(-1);
}

test("The site installs, works with no network, and offers a new version without forcing it", async () => {
  const { page, errors } = await openSite();
  // Installed and in control of the page (it claims the page that made it).
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, { timeout: 20000 });
  const cdp = await page.createCDPSession();
  const { installabilityErrors } = await cdp.send("Page.getInstallabilityErrors");
  assert.deepEqual(installabilityErrors, []);
  const manifest = JSON.parse(readFileSync(join(dir, "manifest.webmanifest"), "utf8"));
  assert.equal(manifest.name, "Wrenbolt Config");
  assert.equal(manifest.display, "standalone");

  // No server and no network: the page opens from the cache and reads the
  // simulated beacon.
  await stopServer();
  await page.setOfflineMode(true);
  await page.reload();
  await page.waitForSelector("body[data-ready]");
  assert.equal(await readConfig(page), "Read Config Successful");
  assert.equal(await page.$eval("#app-update", (e) => e.hidden), true);

  // A new version: the page notices it and offers to reload, and does not
  // reload by itself; during a write the offer waits.
  writeFileSync(join(dir, "sw.js"), readFileSync(join(dir, "sw.js"), "utf8").replace(/wrenbolt-[0-9a-f]{16}/, "wrenbolt-0000000000000001"));
  server = await serve(dir, port);
  await page.setOfflineMode(false);
  await page.evaluate(() => {
    window.stillThisPage = true;
    return navigator.serviceWorker.getRegistration().then((r) => r.update());
  });
  await page.waitForSelector("#app-update:not([hidden])", { timeout: 20000 });
  await press(page, "Write Config");
  await statusUntil(page, (s) => s.startsWith("Writing Config"));
  assert.equal(await page.$eval("#app-update", (e) => e.disabled), true);
  await page.$eval("#app-update", (e) => e.click());
  assert.equal((await statusUntil(page, (s) => /Success|Fail|not/.test(s))).at(-1), "Config Written Successfully!");
  assert.equal(await page.evaluate(() => window.stillThisPage), true);
  assert.equal(await page.$eval("#app-update", (e) => e.disabled), false);

  // Pressed: the new version takes over and the page reloads into it.
  await Promise.all([page.waitForNavigation(), press(page, "Reload to update")]);
  await page.waitForSelector("body[data-ready]");
  assert.equal(await page.evaluate(() => window.stillThisPage), undefined);
  assert.deepEqual(await page.evaluate(() => caches.keys()), ["wrenbolt-0000000000000001"]);
  assert.deepEqual(errors, []);
  await page.close();
});

test("At phone size nothing scrolls sideways, targets are finger-sized, the status stays in sight and the tones read in lines", async () => {
  const { page, errors } = await openSite("?sim=tarsel", Phone);
  assert.equal(await readConfig(page), "Read Config Successful");
  const layout = await page.evaluate(() => {
    const visible = (e) => e.getClientRects().length > 0 && getComputedStyle(e).visibility !== "hidden";
    // A check box is reached through its label.
    const small = [...document.querySelectorAll("button, select, input[type=text], label")]
      .filter((e) => e.tagName !== "LABEL" || e.control?.type === "checkbox")
      .filter(visible)
      .filter((e) => e.getBoundingClientRect().height < 44)
      .map((e) => e.id || e.textContent);
    const tones = document.querySelector(".group-tone-sequence textarea");
    return {
      scrollWidth: document.documentElement.scrollWidth,
      small,
      toneWrap: getComputedStyle(tones).whiteSpace,
      toneFits: tones.scrollWidth <= tones.clientWidth,
    };
  });
  assert.equal(layout.scrollWidth, 390);
  assert.deepEqual(layout.small, []);
  assert.equal(layout.toneWrap, "pre");
  assert.ok(layout.toneFits, "a ten-entry tone line fits the box");
  await page.evaluate(() => window.scrollTo(0, document.body.scrollHeight));
  const status = await page.$eval("#status", (e) => e.getBoundingClientRect().toJSON());
  assert.ok(status.top >= 0 && status.bottom <= 844, `status at ${status.top}`);

  // The chart shows the form's tones, and follows an edit.
  const chart = () => page.$eval("#tone-chart", (e) => ({ tones: e.dataset.tones, bars: e.querySelectorAll("rect").length }));
  const text = await page.$eval(".group-tone-sequence textarea", (e) => e.value);
  const numbers = text.match(/\d+/g);
  assert.deepEqual(await chart(), { tones: numbers.join(" "), bars: numbers.length });
  await typeInto(page, "Tones", "3, 9, 27");
  assert.deepEqual(await chart(), { tones: "3 9 27", bars: 3 });
  assert.deepEqual(errors, []);
  await page.close();
});

test("A field scrolled to the top of the window stays clear of the status line, however tall it is", async () => {
  for (const viewport of [Laptop, Phone]) {
    const { page, errors } = await openSite("?sim=tarsel", viewport);
    // The version reply takes more lines than a short status on a phone.
    const commands = [["Read Version", (s) => s.startsWith("Version Read :")], ["Read Config", (s) => s === "Read Config Successful"]];
    for (const [command, done] of commands) {
      await press(page, command);
      await statusUntil(page, done);
      for (const label of ["Speed", "Unlock Code"]) {
        const seen = await (await field(page, label)).evaluate((e) => {
          e.scrollIntoView({ block: "start" });
          return { top: e.getBoundingClientRect().top, below: document.querySelector("header").getBoundingClientRect().bottom };
        });
        assert.ok(seen.top >= seen.below, `${label} at ${seen.top}, status line down to ${seen.below} at ${viewport.width} px`);
      }
    }
    assert.deepEqual(errors, []);
    await page.close();
  }
});

test("On load nothing moves at phone and laptop width, and the server sends the text compressed", async () => {
  for (const viewport of [Phone, Laptop]) {
    const page = await browser.newPage();
    await page.setViewport(viewport);
    // Chromium's layout-shift entries, as Cumulative Layout Shift adds them.
    await page.evaluateOnNewDocument(() => {
      window.shifts = [];
      new PerformanceObserver((list) => {
        for (const shift of list.getEntries()) {
          if (shift.hadRecentInput) continue;
          const sources = shift.sources.map((s) => s.node?.id || s.node?.className || s.node?.nodeName);
          window.shifts.push({ value: shift.value, sources });
        }
      }).observe({ type: "layout-shift", buffered: true });
    });
    await page.goto(`http://127.0.0.1:${port}/?sim=tarsel`);
    await page.waitForSelector("body[data-ready]");
    await new Promise((done) => setTimeout(done, 1000));
    const shifts = await page.evaluate(() => window.shifts);
    const total = shifts.reduce((sum, shift) => sum + shift.value, 0);
    assert.ok(total < 0.1, `${viewport.width} px: CLS ${total.toFixed(3)} ${JSON.stringify(shifts)}`);
    await page.close();
  }

  const response = await fetch(`http://127.0.0.1:${port}/`, { headers: { "Accept-Encoding": "gzip" } });
  assert.equal(response.headers.get("content-encoding"), "gzip");
  assert.match(await response.text(), /<meta name="description" content="[^"]+">/);
});

test("axe-core finds no violations on the page, the Hunt plan panel and the truncation notice", async () => {
  for (const viewport of [Laptop, Phone]) {
    const { page, errors } = await openSite("?sim=fleet", viewport);
    await page.addScriptTag({ path: axePath });
    const violations = () =>
      page.evaluate(async () =>
        (await window.axe.run(document)).violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(" ")).join(", ")}`),
      );
    assert.deepEqual(await violations(), [], `page at ${viewport.width}`);
    assert.equal(await readConfig(page), "Read Config Successful");
    await page.$eval("#plan-beacons", (e) => {
      e.value = "MOE\nMOI\nMOS";
    });
    await press(page, "Plan from form");
    await page.waitForSelector("#plan-check:not([hidden])");
    assert.deepEqual(await violations(), [], `plan panel at ${viewport.width}`);
    await typeInto(page, "Text", "A".repeat(61));
    await page.$eval("#save", (e) => e.click());
    await page.waitForSelector("dialog[open]");
    assert.deepEqual(await violations(), [], `truncation notice at ${viewport.width}`);
    assert.deepEqual(errors, []);
    await page.close();
  }
});

test("The one file fetches nothing from disk, holds one bundled, minified module and no source comment", async () => {
  const html = readFileSync(pagePath, "utf8");
  assert.deepEqual(html.match(/<script\b[^>]*>/g), ['<script id="wb-module" type="application/octet-stream">', '<script type="module">']);
  // Its icon is inside, so that no /favicon.ico is asked for.
  const icon = /<link rel="icon" href="data:image\/png;base64,[^"]+">/;
  assert.match(html, icon);
  assert.doesNotMatch(html.replace(icon, ""), /<link\b|\bsrc="/);
  const script = html.match(/<script type="module">([^]*?)<\/script>/)[1];
  assert.doesNotMatch(script, /^\s*(import|export)\b|\bimport\s*\(/m);
  assert.ok(!script.includes("Timers that keep time in a background tab"), "comments are gone");

  const page = await browser.newPage();
  const requests = [];
  page.on("request", (request) => requests.push(request.url()));
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  await page.goto(`file://${pagePath}?sim=tarsel`);
  await page.waitForSelector("body[data-ready]");
  assert.equal(await readConfig(page), "Read Config Successful");
  assert.deepEqual(requests.filter((url) => !url.startsWith("blob:") && !url.startsWith("data:")), [`file://${pagePath}?sim=tarsel`]);
  assert.deepEqual(errors, []);
  await page.close();
});

// A small web folder for the build: two modules with the same top-level
// name, one in a subfolder importing back up, texts that an inliner could
// spoil ("</script>", "</style>", "$&"), a style sheet, a manifest with one icon and
// the real service worker. changes: file name to new content (null drops
// the file). The module is a valid one with no exports (a custom section
// only); "module.wasm" in changes puts another in its place.
const FakeWasm = Buffer.from([0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00, 0x00, 0x03, 0x02, 0x77, 0x62]);
// A module exporting one empty function, wb_unused.
const UnusedExportWasm = Buffer.from([
  0x00, 0x61, 0x73, 0x6d, 0x01, 0x00, 0x00, 0x00,
  0x01, 0x04, 0x01, 0x60, 0x00, 0x00, // a type () -> ()
  0x03, 0x02, 0x01, 0x00, // one function of it
  0x07, 0x0d, 0x01, 0x09, ...Buffer.from("wb_unused"), 0x00, 0x00, // exported
  0x0a, 0x04, 0x01, 0x02, 0x00, 0x0b, // its empty body
]);
function webFolder(changes = {}) {
  const web = mkdtempSync(join(tmpdir(), "wb-build-"));
  const files = {
    "index.html":
      '<!doctype html>\n<html lang="en">\n<head>\n<meta charset="utf-8">\n<title>t</title>\n<link rel="stylesheet" href="style.css">\n</head>\n' +
      '<body>\n<p id="out"></p>\n<script id="wb-module" type="application/octet-stream"></script>\n<script type="module" src="main.js"></script>\n</body>\n</html>\n',
    "style.css": '/* the text\'s colour */\np { color: rgb(1, 2, 3); }\np::after { content: "</style>"; }\n',
    "main.js":
      'import { one } from "./a.js";\nimport { two } from "./sub/b.js";\n' +
      'document.getElementById("out").textContent = [one(), two(), "</script>", "$&$1", "\\u00b0"].join(" ");\n',
    "a.js": 'const name = "a";\nexport function one() { return name; }\n',
    "sub/b.js": 'import { one } from "../a.js";\nconst name = "b";\nexport function two() { return name + one(); }\n',
    "manifest.webmanifest": JSON.stringify({ theme_color: "#123456", icons: [{ src: "icons/i.png" }] }),
    "icons/i.png": "icon",
    "sw.js": readFileSync(join(root, "page/sw.js"), "utf8"),
    ...changes,
  };
  for (const [name, text] of Object.entries(files)) {
    if (text === null) continue;
    mkdirSync(dirname(join(web, name)), { recursive: true });
    writeFileSync(join(web, name), text);
  }
  if (!("module.wasm" in changes)) writeFileSync(join(web, "module.wasm"), FakeWasm);
  return web;
}

function buildPage(web, args = [join(web, "module.wasm"), join(web, "out.html"), "--site", join(web, "site")]) {
  const run = spawnSync(process.execPath, [join(root, "scripts/build-page.mjs"), web, ...args], { encoding: "utf8" });
  return { status: run.status, stderr: run.stderr };
}

test("The build bundles the modules into one scope-safe file that works from disk, and names the site's cache by its content", async () => {
  const web = webFolder();
  assert.deepEqual(buildPage(web), { status: 0, stderr: "" });
  const html = readFileSync(join(web, "out.html"), "utf8");
  const packed = html.match(/<script id="wb-module" type="application\/octet-stream">([^<]*)<\/script>/)[1];
  assert.deepEqual(gunzipSync(Buffer.from(packed, "base64")), FakeWasm);
  assert.ok(!html.includes("the text's colour"), "the style sheet is minified");

  const page = await browser.newPage();
  await page.goto(`file://${join(web, "out.html")}`);
  await page.waitForFunction(() => document.getElementById("out").textContent !== "", { timeout: 15000 });
  assert.deepEqual(await page.$eval("#out", (e) => [e.textContent, getComputedStyle(e).color, getComputedStyle(e, "::after").content]), [
    "a ba </script> $&$1 °",
    "rgb(1, 2, 3)",
    '"</style>"',
  ]);
  await page.close();

  const site = readFileSync(join(web, "site/index.html"), "utf8");
  assert.match(site, /^<!doctype html>\n<html data-site="true" lang="en">/);
  assert.ok(site.includes('<link rel="manifest" href="manifest.webmanifest">\n<meta name="theme-color" content="#123456">\n'));
  const worker = readFileSync(join(web, "site/sw.js"), "utf8");
  assert.ok(worker.includes('["./","index.html","manifest.webmanifest","icons/i.png"]'), worker);
  const cacheName = (folder) => readFileSync(join(folder, "site/sw.js"), "utf8").match(/"(wrenbolt-[0-9a-f]{16})"/)[1];
  // The same files make the same name; a changed icon a new one.
  const again = webFolder();
  const changed = webFolder({ "icons/i.png": "icon 2" });
  assert.equal(buildPage(again).status, 0);
  assert.equal(buildPage(changed).status, 0);
  assert.equal(cacheName(again), cacheName(web));
  assert.notEqual(cacheName(changed), cacheName(web));
});

test("The build refuses bad arguments and faulty sources, naming the fault", () => {
  const cases = [
    { title: "no output", args: ["module.wasm"], status: 2, error: /^usage: build-page\.mjs WEB_DIR MODULE\.wasm OUT\.html \[--site DIR\]/ },
    { title: "--site without a folder", args: ["module.wasm", "out.html", "--site"], status: 2, error: /^usage:/ },
    { title: "an unknown flag", args: ["module.wasm", "out.html", "--sight", "site"], status: 2, error: /^usage:/ },
    { title: "an extra argument", args: ["module.wasm", "out.html", "--site", "site", "more"], status: 2, error: /^usage:/ },
    { title: "a missing module", changes: { "a.js": null }, error: /Could not resolve "\.\/a\.js"/ },
    { title: "an import of a name not exported", changes: { "a.js": "export const uno = 1;\n" }, error: /No matching export in ".*a\.js" for import "one"/ },
    { title: "a syntax error", changes: { "sub/b.js": "export function two() { return 'b' +; }\n" }, error: /sub\/b\.js:1:36: ERROR: Unexpected ";"/ },
    { title: "a warning", changes: { "a.js": 'export function one() { return { n: "a", n: "b" }.n; }\n' }, error: /main\.js: esbuild warned\n.*Duplicate key "n".*\n\s+a\.js:1:41:/s },
    { title: "a call the module does not export", changes: { "a.js": 'export function one() { return globalThis.x?.wb_missing; }\n' }, error: /the page calls what the module does not export: wb_missing$/m },
    { title: "an export the page never calls", changes: { "module.wasm": UnusedExportWasm }, error: /the module exports what the page never calls: wb_unused$/m },
    { title: "no module script", changes: { "index.html": "<html lang=\"en\">\n<head></head>\n</html>\n" }, error: /index\.html has no module script/ },
    {
      title: "no WebAssembly slot",
      changes: { "index.html": '<html lang="en">\n<head><link rel="stylesheet" href="style.css"></head>\n<script type="module" src="main.js"></script>\n</html>\n' },
      error: /index\.html has no <script id="wb-module">/,
    },
    {
      title: "no style sheet link",
      changes: { "index.html": '<html lang="en">\n<head></head>\n<script id="wb-module" type="application/octet-stream"></script><script type="module" src="main.js"></script>\n</html>\n' },
      error: /index\.html has no <link rel="stylesheet" href="style\.css">/,
    },
    { title: "a script that opens an HTML comment", changes: { "a.js": 'export function one() { return "<!--"; }\n' }, error: /the bundle of main\.js holds "<!--"/ },
    { title: "a worker without its cache name", changes: { "sw.js": 'const Cache = "x";\nconst Files = [/* FILES */];\n' }, error: /sw\.js lacks its cache name or file list/ },
    { title: "a worker without its file list", changes: { "sw.js": 'const Cache = "wrenbolt-dev";\nconst Files = [];\n' }, error: /sw\.js lacks its cache name or file list/ },
    { title: "a worker with its cache name twice", changes: { "sw.js": 'const Cache = "wrenbolt-dev";\nconst Old = "wrenbolt-dev";\nconst Files = [/* FILES */];\n' }, error: /sw\.js lacks/ },
  ];
  for (const { title, args, changes, status = 1, error } of cases) {
    const web = webFolder(changes);
    const run = buildPage(web, args?.map((arg) => (arg.includes(".") || arg === "site" ? join(web, arg) : arg)));
    assert.equal(run.status, status, `${title}: ${run.stderr}`);
    assert.match(run.stderr, error, title);
    if (status === 1) assert.match(run.stderr, /^build-page\.mjs: /, title);
  }
});
