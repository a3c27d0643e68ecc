#!/usr/bin/env node
// Read Config and Write Config through the page's WebUSB path, over the fake
// adapter of each chip family (tests/page/usb-fake.js) in front of the
// simulated Tarsel beacon, each set against the protocol floor as
// page_timing.mjs does for the simulated port. Prints figures; asserts
// nothing.
//
//   node bench/page/usb_timing.mjs [--runs N]
import { parseArgs } from "node:util";
import { launch, openPage } from "../../tests/page/harness.js";
import { median, readFloor, timed, writeFloor } from "./timing_common.mjs";

const { values } = parseArgs({ options: { runs: { type: "string", default: "3" } } });
const runs = Number(values.runs);

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
