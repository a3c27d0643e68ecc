// The hunt clock at phone width, on a fixed clock the test moves: the
// schedule in the Hunt plan panel, the count-down and the due beacon before
// and after the start, the switch-on signal, taps kept across a reload, the
// CSV log, and axe-core's rules on the open clock.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { writeFileSync } from "node:fs";
import { join } from "node:path";
import { downloaded, launch, openPage, press } from "./harness.js";

const axePath = join(import.meta.dirname, "node_modules/axe-core/axe.min.js");
const Phone = { width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 1 };

let browser;
before(async () => {
  browser = await launch();
});
after(async () => {
  await browser?.close();
});

const fox = (name, slot, text = name) => ({ name, slot, set: { morseText: text, txFrequencyMHz: 144.5 } });
// Switched on from 07:31:00, in the minute after switchOnFrom; "=MOI" is
// a name a spreadsheet would run.
const plan = {
  model: "tarsel",
  event: { start: "2027-05-16T09:00:00+02:00", cycleSec: 300, slotSec: 60, switchOnFrom: "2027-05-16T07:30:30+02:00" },
  beacons: [fox("MOE", 0), fox("=MOI", 1, "MOI"), fox("MO5", 4), { name: "MO", set: { morseText: "MO", txFrequencyMHz: 144.9 } }],
};

// The page's clock stopped at a moment ("07:30:18" on the start's day, in
// its offset), and the plan loaded; vibrations counted.
async function setTime(page, time) {
  await page.evaluate((ms) => {
    window.__now = ms;
  }, Date.parse(`2027-05-16T${time}+02:00`));
}
async function openWithPlan(page, downloads, time) {
  await page.evaluate(() => {
    window.__buzz = 0;
    Object.defineProperty(navigator, "vibrate", { value: () => ++window.__buzz, configurable: true });
    window.wrenbolt.setClockSource(() => window.__now);
  });
  await setTime(page, time);
  const path = join(downloads, "event.json");
  writeFileSync(path, JSON.stringify(plan));
  const [chooser] = await Promise.all([page.waitForFileChooser(), press(page, "Load plan")]);
  await chooser.accept([path]);
  await page.waitForSelector("#plan-schedule:not([hidden])");
}
const shown = (page) =>
  page.$eval("#hunt-clock", (e) => ({
    headline: e.querySelector("#clock-headline").textContent,
    detail: e.querySelector("#clock-detail").textContent,
    onAir: [...e.querySelectorAll('li[data-on-air="true"] .clock-name')].map((n) => n.textContent),
    due: [...e.querySelectorAll('li[data-due="true"] .clock-name')].map((n) => n.textContent),
  }));
async function shownAt(page, time, headline) {
  await setTime(page, time);
  await page.waitForFunction((h) => document.getElementById("clock-headline").textContent === h, { timeout: 15000 }, headline);
  return shown(page);
}
const pressed = (page) =>
  page.$$eval('#clock-beacons button[aria-pressed="true"]', (list) => list.map((b) => b.getAttribute("aria-label")));

test("The hunt clock counts down to each switch-on, follows the cycle, keeps its taps and logs them", async () => {
  const { page, downloads, errors } = await openPage(browser);
  // A phone's viewport takes a new load.
  await page.setViewport(Phone);
  await page.reload();
  await page.waitForSelector("body[data-ready]");
  await openWithPlan(page, downloads, "07:30:18");
  const schedule = await page.$eval("#plan-schedule", (t) => [...t.rows].map((r) => [...r.cells].map((c) => c.textContent)));
  assert.deepEqual(schedule[0], ["Beacon", "TX MHz", "Slot", "Switch on at", "First cycle at", "Initial Delay", "Total Runtime", "Loop Time"]);
  assert.deepEqual(schedule[2], ["=MOI", "144.500", "1", "07:31:00", "09:01:00", "90 min", "-", "300 s"]);
  assert.deepEqual(schedule[4], ["MO", "144.900", "continuous", "-", "-", "-", "-", "-"]);

  await press(page, "Open hunt clock");
  assert.deepEqual(await shown(page), {
    headline: "Switch on MOE, =MOI, MO5 in 0:42",
    detail: "First cycle in 1:29:42: MOE",
    onAir: [],
    due: ["MOE", "=MOI", "MO5"],
  });
  assert.equal(await page.$eval("#clock-device-time", (e) => e.textContent), "Device time 07:30:18 (UTC+02:00): compare it with your watch");
  await page.addScriptTag({ path: axePath });
  const violations = await page.evaluate(async () =>
    (await window.axe.run(document)).violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(" ")).join(", ")}`),
  );
  assert.deepEqual(violations, [], "the open clock at phone width");
  assert.equal(await page.evaluate(() => document.documentElement.scrollWidth), 390);

  await setTime(page, "07:30:55");
  await press(page, "=MOI: Switched on");
  assert.equal(await page.evaluate(() => window.__buzz), 0);
  // The switch-on moment: one buzz, and nobody is due any more.
  assert.deepEqual(await shownAt(page, "07:31:00", "First cycle in 1:29:00: MOE"), { headline: "First cycle in 1:29:00: MOE", detail: "", onAir: [], due: [] });
  assert.equal(await page.evaluate(() => window.__buzz), 1);
  await setTime(page, "07:31:12");
  await press(page, "MOE: Switched on");

  assert.deepEqual(await shownAt(page, "09:05:30", "Cycle 2: MOE on air"), { headline: "Cycle 2: MOE on air", detail: "Next: =MOI in 0:30", onAir: ["MOE"], due: [] });
  await press(page, "=MOI: Not heard");
  assert.deepEqual((await shownAt(page, "09:07:00", "Cycle 2: No beacon on air")).detail, "Next: MO5 in 2:00");
  assert.deepEqual(errors, []);

  // A reload (or a closed tab): the same plan finds its taps again.
  await page.reload();
  await page.waitForSelector("body[data-ready]");
  // What else the device's storage may hold is left out of the log.
  await page.evaluate(() => {
    const key = Object.keys(localStorage).find((k) => k.startsWith("wrenbolt-clock-"));
    const bad = [[1e15, 0, "on"], ["x", 0, "heard"], [1810450800, 99, "heard"], [1810450800, 0, "shouted"], [1810450800, -1, "on"], 7];
    localStorage.setItem(key, JSON.stringify([...JSON.parse(localStorage.getItem(key)), ...bad]));
  });
  await openWithPlan(page, downloads, "09:08:00");
  await press(page, "Open hunt clock");
  assert.deepEqual(await pressed(page), ["MOE: Switched on", "=MOI: Switched on"]);
  await press(page, "Download log");
  const log = new TextDecoder().decode(await downloaded(downloads, "hunt-clock-log.csv"));
  assert.equal(
    log,
    "time,beacon,event\n" +
      "2027-05-16T07:30:55+02:00,'=MOI,switched on 5 s early (planned 07:31:00)\n" +
      "2027-05-16T07:31:12+02:00,MOE,switched on 12 s late (planned 07:31:00)\n" +
      "2027-05-16T09:05:30+02:00,'=MOI,not heard in cycle 2\n",
  );
  // Another plan has taps of its own.
  plan.beacons[0].set.txFrequencyMHz = 144.52;
  await press(page, "Close");
  await openWithPlan(page, downloads, "09:08:00");
  await press(page, "Open hunt clock");
  assert.deepEqual(await pressed(page), []);
  if (process.env.WB_SCREENSHOT) await page.screenshot({ path: process.env.WB_SCREENSHOT });
  await page.close();
});
