#!/usr/bin/env node
// Read Config and Write Config through the page's WebUSB path, over the fake
// adapter of each chip family (tests/web/usb-fake.js) in front of the
// simulated Tarsel beacon, each set against the protocol floor as
// page_timing.mjs does for the simulated port. Prints figures; asserts
// nothing.
//
//   node bench/web/usb_timing.mjs [--runs N]
import { parseArgs } from "node:util";
import { launch, openPage } from "../../tests/web/harness.js";

const { values } = parseArgs({ options: { runs: { type: "string", default: "3" } } });
const runs = Number(values.runs);

// The floor, as in page_timing.mjs and bench/exchange_timing.
const tickMs = 100, timeoutMs = 103, byteMs = 10000 / 2400, windowTicks = 7;
const versionBytes = "Wrenbolt-Tarsel v1.07\r\n".length;
const identify = Math.max(tickMs, (2 + versionBytes) * byteMs) + windowTicks * timeoutMs;
const imageArrival = Math.max(2 * 10, 10 + 257 * byteMs) + timeoutMs;
const readFloor = identify + imageArrival + (windowTicks - 1) * timeoutMs;
const writeFloor = identify + 4 * 10 + 8 * 32 * 20 + imageArrival;

const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

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
  console.log(`floor: Read Config ${readFloor.toFixed(1)} ms, Write Config ${writeFloor.toFixed(1)} ms (goal: within 5 %)`);
  for (const chip of ["ftdi", "ftdi-h", "ch34x", "cp210x", "pl2303", "cdc"]) {
    const { page } = await openPage(browser, { beacons: [], usb: [{ chip, model: "tarsel" }] });
    await page.click("#choose-usb");
    await page.waitForFunction(() => document.getElementById("port").value.startsWith("port:"));
    const reads = [];
    for (let i = 0; i < runs; i++) reads.push(await timed(page, "read-config", "Read Config Successful"));
    await page.$eval("#backup", (e) => {
      e.checked = false;
    });
    const writes = [];
    for (let i = 0; i < runs; i++) writes.push(await timed(page, "write-config", "Config Written Successfully!"));
    const r = median(reads), w = median(writes);
    console.log(
      `${chip.padEnd(7)} Read Config median ${r.toFixed(1).padStart(7)} ms  ratio ${(r / readFloor).toFixed(3)}   ` +
        `Write Config median ${w.toFixed(1).padStart(7)} ms  ratio ${(w / writeFloor).toFixed(3)}   (runs ${runs})`,
    );
    await page.close();
  }
} finally {
  await browser.close();
}
