#!/usr/bin/env node
// The web app (build/web/site) served on 127.0.0.1: its total size, and the
// time from opening it to a usable form once the service worker serves it
// from the cache. Prints figures; asserts nothing. With --screenshots DIR:
// the app at phone width and the tone chart.
//
//   node bench/page/site_timing.mjs [--runs N] [--screenshots DIR]
import { readdirSync, statSync } from "node:fs";
import { join } from "node:path";
import { parseArgs } from "node:util";
import { launch, root } from "../../tests/page/harness.js";
import { serve } from "../../scripts/serve-web.mjs";

const { values } = parseArgs({ options: { runs: { type: "string", default: "5" }, screenshots: { type: "string" } } });
const runs = Number(values.runs);
const site = join(root, "build/web/site");
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

function sizes(dir) {
  return readdirSync(dir, { recursive: true })
    .map((name) => join(dir, name))
    .filter((path) => statSync(path).isFile())
    .map((path) => [path.slice(dir.length + 1), statSync(path).size]);
}

const server = await serve(site, 0);
const url = `http://127.0.0.1:${server.address().port}/?sim=tarsel`;
const browser = await launch();
try {
  const page = await browser.newPage();
  await page.goto(url);
  await page.waitForSelector("body[data-ready]");
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, { timeout: 20000 });
  const ready = [];
  for (let i = 0; i < runs; i++) {
    await page.reload();
    await page.waitForSelector("body[data-ready]");
    ready.push(await page.evaluate(() => window.wrenboltReadyMs));
  }
  const files = sizes(site);
  const total = files.reduce((sum, [, n]) => sum + n, 0);
  console.log(`site total            ${total} bytes (${(total / 1024).toFixed(1)} KiB) in ${files.length} files: ` + files.map(([f, n]) => `${f} ${n}`).join(", "));
  console.log(`cached open to usable form  median ${median(ready).toFixed(0)} ms over ${runs} reloads (min ${Math.min(...ready).toFixed(0)}, max ${Math.max(...ready).toFixed(0)})`);

  if (values.screenshots) {
    await page.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true });
    await page.reload();
    await page.waitForSelector("body[data-ready]");
    await page.click("#read-config");
    await page.waitForFunction(() => document.getElementById("status").textContent === "Read Config Successful", { timeout: 20000 });
    await page.screenshot({ path: join(values.screenshots, "web-app-phone.png") });
    await page.setViewport({ width: 1100, height: 900 });
    const group = await page.$(".group-tone-sequence");
    await group.screenshot({ path: join(values.screenshots, "web-tone-chart.png") });
  }
} finally {
  await browser.close();
  server.close();
}
