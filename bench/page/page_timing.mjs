#!/usr/bin/env node
// The browser page in headless Chromium: the size of the one file (and of
// its script and style sheet against their sources in page/), the time
// from opening it to a usable form, and Read Config and Write Config against
// the page's simulated Tarsel beacon, each set against the protocol floor as
// bench/exchange_timing does for the native tool. Prints figures; asserts
// nothing.
//
//   node bench/page/page_timing.mjs [--runs N] [--screenshot PATH]
import { readdirSync, readFileSync, statSync } from "node:fs";
import { join } from "node:path";
import { parseArgs } from "node:util";
import { launch, pagePath, root } from "../../tests/page/harness.js";
import { median, readFloor, timed, writeFloor } from "./timing_common.mjs";

const { values } = parseArgs({ options: { runs: { type: "string", default: "5" }, screenshot: { type: "string" } } });
const runs = Number(values.runs);

const browser = await launch();
try {
  const ready = [];
  for (let i = 0; i < runs; i++) {
    const page = await browser.newPage();
    await page.goto(`file://${pagePath}?sim=tarsel`);
    await page.waitForSelector("body[data-ready]");
    ready.push(await page.evaluate(() => window.wrenboltReadyMs));
    await page.close();
  }

  const page = await browser.newPage();
  await page.setViewport({ width: 1100, height: 900 });
  await page.goto(`file://${pagePath}?sim=tarsel`);
  await page.waitForSelector("body[data-ready]");
  const reads = [];
  for (let i = 0; i < runs; i++) reads.push(await timed(page, "read-config", "Read Config Successful"));
  if (values.screenshot) await page.screenshot({ path: values.screenshot, fullPage: true });
  await page.$eval("#backup", (e) => {
    e.checked = false;
  });
  const writes = [];
  for (let i = 0; i < runs; i++) writes.push(await timed(page, "write-config", "Config Written Successfully!"));
  await page.$eval("#backup", (e) => {
    e.checked = true;
  });
  const backed = await timed(page, "write-config", "Config Written Successfully!");

  const size = statSync(pagePath).size;
  console.log(`wrenbolt-config.html  ${size} bytes (${(size / 1024).toFixed(1)} KiB; goal under 400 KiB)`);
  // The page's sources as written (every module but the service worker,
  // and the style sheet) against what the build inlined.
  const web = join(root, "page");
  const sources = readdirSync(web, { recursive: true })
    .filter((name) => (name.endsWith(".js") && name !== "sw.js") || name === "style.css")
    .reduce((sum, name) => sum + statSync(join(web, name)).size, 0);
  const html = readFileSync(pagePath, "utf8");
  const inlined = [/<script type="module">([^]*?)<\/script>/, /<style>([^]*?)<\/style>/]
    .reduce((sum, pattern) => sum + Buffer.byteLength(html.match(pattern)?.[1] ?? ""), 0);
  console.log(`  script and style    ${inlined} bytes minified, from ${sources} bytes of sources (${((100 * inlined) / sources).toFixed(0)} %)`);
  console.log(`open to usable form   median ${median(ready).toFixed(0)} ms over ${runs} loads (goal under 1000 ms)`);
  const report = (name, xs, floor) =>
    console.log(
      `${name.padEnd(13)} runs ${xs.length}  median ${median(xs).toFixed(1).padStart(7)} ms  ` +
        `(min ${Math.min(...xs).toFixed(1)}, max ${Math.max(...xs).toFixed(1)})  floor ${floor.toFixed(1)} ms  ratio ${(median(xs) / floor).toFixed(3)}`,
    );
  report("Read Config", reads, readFloor);
  report("Write Config", writes, writeFloor);
  console.log(`Write Config with the backup read first: ${backed.toFixed(1)} ms`);
} finally {
  await browser.close();
}
