#!/usr/bin/env node
// The browser page in headless Chromium: the size of the one file, the time
// from opening it to a usable form, and Read Config and Write Config against
// the page's simulated Tarsel beacon, each set against the protocol floor as
// bench/exchange_timing does for the native tool. Prints figures; asserts
// nothing.
//
//   node bench/web/page_timing.mjs [--runs N] [--screenshot PATH]
import { statSync } from "node:fs";
import { parseArgs } from "node:util";
import { launch, pagePath } from "../../tests/web/harness.js";

const { values } = parseArgs({ options: { runs: { type: "string", default: "5" }, screenshot: { type: "string" } } });
const runs = Number(values.runs);

// The floor: tick counts, read time-outs, pauses and the replies on the
// wire at 2400 baud (10 bits a byte), as in bench/exchange_timing.
const tickMs = 100, timeoutMs = 103, byteMs = 10000 / 2400, windowTicks = 7;
const versionBytes = "Wrenbolt-Tarsel v1.07\r\n".length;
const identify = Math.max(tickMs, (2 + versionBytes) * byteMs) + windowTicks * timeoutMs;
const imageArrival = Math.max(2 * 10, 10 + 257 * byteMs) + timeoutMs;
const readFloor = identify + imageArrival + (windowTicks - 1) * timeoutMs;
const writeFloor = identify + 4 * 10 + 8 * 32 * 20 + imageArrival;

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

// Clicks a button and waits in the page for the status text that ends it.
function timed(page, button, final) {
  return page.evaluate(
    (button, final) =>
      new Promise((resolve, reject) => {
        const status = document.querySelector('[role="status"]');
        const t0 = performance.now();
        const observer = new MutationObserver(() => {
          const text = status.textContent;
          if (text === final) {
            observer.disconnect();
            resolve(performance.now() - t0);
          } else if (!/^(Reading|Version Read|Writing|Verifying)/.test(text)) {
            observer.disconnect();
            reject(new Error(text));
          }
        });
        observer.observe(status, { childList: true, characterData: true, subtree: true });
        document.getElementById(button).click();
      }),
    button,
    final,
  );
}

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
