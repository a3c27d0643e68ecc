// The "Hunt plan" panel in headless Chromium against the page's simulated
// fleet: beacons connected and removed one after another, in real time.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { createHash } from "node:crypto";
import { unlinkSync, writeFileSync } from "node:fs";
import { join } from "node:path";
import { downloaded, launch, openPage, press, replug, statusUntil, typeInto } from "./harness.js";

let browser;
before(async () => {
  browser = await launch();
});
after(async () => {
  await browser?.close();
});

const sha256 = (bytes) => createHash("sha256").update(bytes).digest("hex");
const latin1 = (bytes) => String.fromCharCode(...bytes);

async function tableText(page, id) {
  return page.$eval(`#${id}`, (t) => [...t.rows].map((r) => [...r.cells].map((c) => c.textContent)));
}
async function note(page) {
  return page.$eval("#plan-note", (e) => e.textContent);
}
// Print hunt sheet: the page the core made, as the tab opened to print it
// would load it.
async function printedSheet(page) {
  await page.evaluate(() => {
    window.sheetOpened = undefined;
    window.open = (url) => {
      fetch(url).then((r) => r.text()).then((t) => { window.sheetOpened = t; });
      return null;
    };
  });
  await press(page, "Print hunt sheet");
  await page.waitForFunction(() => window.sheetOpened !== undefined);
  return page.evaluate(() => window.sheetOpened);
}
async function setBeacons(page, lines) {
  await page.$eval("#plan-beacons", (e, v) => {
    e.value = v;
  }, lines);
}

test("A plan from the form programs a fleet, refuses the Basic in the line and reports every attempt; its audit writes nothing", async () => {
  const { page, downloads, errors } = await openPage(browser, { query: "?sim=fleet=tarsel,basic,tarsel" });
  assert.equal(await page.$eval("#port", (e) => e.selectedOptions[0].textContent), "Simulated fleet: Tarsel, Basic, Tarsel");
  await page.select("#model", "2");
  await typeInto(page, "TX Frequency", "144.5");
  await typeInto(page, "Speed", "25");
  await setBeacons(page, "MOE\nMOI");
  await press(page, "Plan from form");
  assert.equal(await note(page), "");
  const check = await tableText(page, "plan-check");
  assert.deepEqual(check[0], ["Field", "MOE", "MOI"]);
  const row = (label) => check.find((r) => r[0] === label).slice(1);
  assert.deepEqual(row("Text"), ['" MOE "', '" MOI "']);
  assert.deepEqual(row("TX Frequency"), ["144.500", "144.500"]);
  assert.deepEqual(row("Speed"), ["26", "26"], "the value the Tarsel layout stores");
  assert.equal(check.find((r) => r[0] === "Enable LED"), undefined, "a Tarsel has no LED switch");

  await press(page, "Run plan");
  await statusUntil(page, (s) => s === "Connect beacon MOE (1 of 2)");
  assert.equal(await page.$eval("#plan-audit", (e) => e.disabled), true, "no audit during a run");
  const seen = await statusUntil(page, (s) => / beacons programmed$/.test(s), 150000);
  assert.equal(seen.at(-1), "2 of 2 beacons programmed");
  const wrong = "Wrong model: a Basic beacon for a Tarsel plan; not written";
  for (const text of ["Connect beacon MOE (1 of 2)", "Writing Config : ********", "Verifying Config", wrong, "Connect beacon MOI (2 of 2)"]) {
    assert.ok(seen.includes(text), `status showed ${text}: ${JSON.stringify(seen)}`);
  }
  const log = await page.$$eval("#plan-log li", (items) => items.map((li) => li.textContent));
  assert.deepEqual(log, [
    "Connect beacon MOE (1 of 2)",
    "Backup saved to MOE-before.wb1",
    "Beacon MOE programmed (1 of 2); remove it",
    "Beacon removed",
    "Connect beacon MOI (2 of 2)",
    wrong,
    "Beacon removed",
    "Connect beacon MOI (2 of 2)",
    "Backup saved to MOI-before.wb1",
    "Beacon MOI programmed (2 of 2); remove it",
  ]);

  // What each beacon of the fleet holds: the two Tarsels the plan's images,
  // the Basic its factory image, untouched.
  const { images, basicFactory, tarselFactory, lost } = await page.evaluate(async () => {
    const fleet = window.wrenbolt.simulated.get("fleet=tarsel,basic,tarsel");
    const factory = async (model) => [...(await window.wrenbolt.SimulatedPort.create(model)).eeprom()];
    return {
      images: fleet.fleetEeproms().map((image) => [...image]),
      basicFactory: await factory("basic"),
      tarselFactory: await factory("tarsel"),
      lost: fleet.lostBytes(),
    };
  });
  assert.equal(images.length, 3);
  assert.deepEqual(images[1], basicFactory);
  assert.equal(lost, 0, "every image byte paced");
  const shaOf = check.find((r) => r[0] === "SHA-256").slice(1);
  for (const [i, name] of [[0, "MOE"], [2, "MOI"]]) {
    assert.ok(latin1(images[i]).includes(` ${name} `));
    assert.ok(sha256(Uint8Array.from(images[i])).startsWith(shaOf[i === 0 ? 0 : 1]));
  }

  const results = await tableText(page, "plan-results");
  const tarsel = "Wrenbolt-Tarsel v1.07";
  assert.deepEqual(results.slice(1).map((r) => r.slice(0, 3).concat(r[4])), [
    ["MOE", tarsel, "Config Written Successfully!", "MOE-before.wb1"],
    ["MOI", "Wrenbolt v2.1", wrong, ""],
    ["MOI", tarsel, "Config Written Successfully!", "MOI-before.wb1"],
  ]);
  assert.equal(results[2][3], "", "nothing written to the Basic");

  // The backups downloaded as they were read: the factory image each
  // Tarsel held before its write.
  for (const name of ["MOE", "MOI"]) {
    const backup = await downloaded(downloads, `${name}-before.wb1`);
    assert.equal(backup.length, 264);
    assert.deepEqual([...backup.slice(8)], tarselFactory);
  }

  await press(page, "Download report");
  const csv = new TextDecoder().decode(await downloaded(downloads, "hunt-report.csv")).split("\n");
  assert.equal(csv[0], "time,name,version,status,sha256,backup");
  assert.equal(csv.at(-1), "", "each line ends in a line break");
  const rows = csv.slice(1, -1).map((line) => line.split(","));
  assert.equal(rows.length, 3);
  for (const r of rows) assert.match(r[0], /^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$/);
  assert.deepEqual(rows.map((r) => r.slice(1)), [
    ["MOE", tarsel, "Config Written Successfully!", sha256(Uint8Array.from(images[0])), "MOE-before.wb1"],
    ["MOI", "Wrenbolt v2.1", wrong, "", ""],
    ["MOI", tarsel, "Config Written Successfully!", sha256(Uint8Array.from(images[2])), "MOI-before.wb1"],
  ]);
  assert.equal(await page.$eval('[role="status"]', (e) => e.dataset.outcome), "success");

  // The hunt sheet, with each beacon's last row of the report.
  const sheet = await printedSheet(page);
  assert.match(sheet, /<h1>Hunt sheet: /);
  assert.match(sheet, /<th>MOE<\/th><th>MOI<\/th>/);
  assert.match(sheet, /144\.500/);
  assert.match(sheet, /Config Written Successfully!/);
  assert.doesNotMatch(sheet, /<script|https?:/);

  // Audit plan: the same three beacons brought back and read one after
  // another; the Basic's text is in no entry. Nothing is written.
  const fleetNow = () => page.evaluate(() => {
    const port = window.wrenbolt.simulated.get("fleet=tarsel,basic,tarsel");
    return { images: port.fleetEeproms().map((image) => [...image]), writes: port.fleetWrites() };
  });
  await press(page, "Audit plan");
  await statusUntil(page, (s) => s === "Connect a beacon to check (0 of 2 seen)");
  for (const id of ["plan-run", "plan-audit", "plan-load", "plan-report", "read-config"]) {
    assert.equal(await page.$eval(`#${id}`, (e) => e.disabled), true, `${id} waits for the audit`);
  }
  const audited = await statusUntil(page, (s) => / beacons match the plan/.test(s), 150000);
  assert.equal(audited.at(-1), "2 of 2 beacons match the plan");
  const auditLog = await page.$$eval("#plan-log li", (items) => items.map((li) => li.textContent));
  const stranger = 'Beacon " WRENBOLT ": not in the plan';
  assert.deepEqual(auditLog, [
    "Connect a beacon to check (0 of 2 seen)",
    "MOE: matches the plan",
    "Beacon removed",
    "Connect a beacon to check (1 of 2 seen)",
    stranger,
    "Beacon removed",
    "Connect a beacon to check (1 of 2 seen)",
    "MOI: matches the plan",
    "2 of 2 beacons match the plan",
  ]);
  assert.equal(await page.$eval('[role="status"]', (e) => e.dataset.outcome), "failure", "a stranger was on the cable");
  const checked = await tableText(page, "plan-results");
  assert.deepEqual(checked[0], ["Name", "Text", "Version", "Result", "SHA-256", "Differences"]);
  assert.deepEqual(checked.slice(1).map((r) => [r[0], r[1], r[2], r[3], r[5]]), [
    ["MOE", '" MOE "', tarsel, "matches", ""],
    ["", '" WRENBOLT "', "Wrenbolt v2.1", "not in plan", ""],
    ["MOI", '" MOI "', tarsel, "matches", ""],
  ]);
  const again = await fleetNow();
  assert.equal(again.writes, 0, "no write request reached a beacon");
  assert.deepEqual(again.images, images, "each beacon holds what it held");
  const imageSums = images.map((image) => sha256(Uint8Array.from(image)));
  checked.slice(1).forEach((r, i) => assert.ok(imageSums[i].startsWith(r[4]), "the digest of what was read"));
  await press(page, "Download report");
  const auditCsv = new TextDecoder().decode(await downloaded(downloads, "audit-report.csv")).split("\n");
  assert.equal(auditCsv[0], "time,name,version,result,sha256,differences");
  assert.equal(auditCsv.at(-1), "");
  const auditRows = auditCsv.slice(1, -1).map((line) => line.split(","));
  for (const r of auditRows) assert.match(r[0], /^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$/);
  assert.deepEqual(auditRows.map((r) => r.slice(1)), [
    ["MOE", tarsel, "matches", imageSums[0], ""],
    [" WRENBOLT ", "Wrenbolt v2.1", "not in plan", imageSums[1], ""],
    ["MOI", tarsel, "matches", imageSums[2], ""],
  ]);
  unlinkSync(join(downloads, "audit-report.csv"));
  // The hunt sheet now marks each beacon with its audit's result.
  const auditSheet = await printedSheet(page);
  assert.equal(auditSheet.match(/matches/g)?.length, 2);
  assert.doesNotMatch(auditSheet, /Config Written Successfully!/);

  // The plan changed since: the first beacon differs; Stop ends the audit
  // while it waits for that beacon's removal.
  await typeInto(page, "TX Frequency", "144.6");
  await press(page, "Plan from form");
  await press(page, "Audit plan");
  const differs = "MOE: differs from the plan";
  const difference = "TX Frequency: beacon 144.500, plan 144.600";
  await page.waitForFunction((text) => [...document.querySelectorAll("#plan-log li")].some((li) => li.textContent === text), { timeout: 60000 }, differs);
  await press(page, "Stop");
  const stopped = await statusUntil(page, (s) => / beacons match the plan/.test(s));
  assert.equal(stopped.at(-1), "0 of 2 beacons match the plan. Never seen: MOI");
  assert.deepEqual(await page.$$eval("#plan-log li", (items) => items.map((li) => li.textContent)), [
    "Connect a beacon to check (0 of 2 seen)",
    differs,
    `  ${difference}`,
    "Interrupted",
    "0 of 2 beacons match the plan",
    "Never seen: MOI",
  ]);
  const differing = await tableText(page, "plan-results");
  assert.deepEqual(differing.slice(1).map((r) => [r[0], r[3], r[5]]), [["MOE", "differs", difference]]);
  await press(page, "Download report");
  const stoppedCsv = new TextDecoder().decode(await downloaded(downloads, "audit-report.csv")).split("\n");
  assert.equal(stoppedCsv.length, 3);
  assert.ok(stoppedCsv[1].endsWith(`,MOE,${tarsel},differs,${imageSums[0]},txFrequencyMHz`), stoppedCsv[1]);
  assert.equal((await fleetNow()).writes, 0);
  assert.equal(await page.$eval("#plan-run", (e) => e.disabled), false);
  assert.equal(await page.$eval("#plan-audit", (e) => e.disabled), false);
  if (process.env.WB_SHOT) {
    await page.setViewport({ width: 1280, height: 900 });
    await (await page.$("section.plan")).screenshot({ path: process.env.WB_SHOT });
  }
  assert.deepEqual(errors, []);
  await page.close();
});

test("A plan waits for an adapter plugged in again, and Stop ends it after the write under way", async () => {
  // Unplugged as the beacon is asked for, or once it has answered and before
  // its image is read: then it counts as not programmed, is taken away, and
  // MOE goes to the next beacon.
  for (const afterIdentifyMs of [null, 300]) {
    const { page, downloads, errors } = await openPage(browser, { beacons: [{ fleet: "tarsel,tarsel" }] });
    await press(page, "Choose Port");
    await page.select("#model", "2");
    await setBeacons(page, "MOE\nMOI");
    await press(page, "Plan from form");
    await press(page, "Run plan");
    await statusUntil(page, (s) => s === "Connect beacon MOE (1 of 2)");
    assert.equal(await page.$eval("#read-config", (e) => e.disabled), true, "the plan has the port");
    await replug(page, 0, "disconnect", afterIdentifyMs);
    await statusUntil(page, (s) => s === "Waiting for the port (Could not open Com Port Serial port 1 (USB 0403:6001))");
    assert.equal(await page.$eval("#port-note", (e) => e.textContent), "The serial port was disconnected.");
    // Plugged in again: the run goes on, though the first open fails as
    // one just after plugging in may.
    await page.evaluate(() => {
      window.__serial.failOpens = 1;
    });
    await replug(page, 0, "connect");
    await statusUntil(page, (s) => s.startsWith("Writing Config : *"), 60000);
    assert.equal(await page.$eval("#port-note", (e) => e.textContent), "");
    assert.equal(await page.evaluate(() => window.__serial.failOpens), 0, "the open was tried again");
    await press(page, "Stop");
    const seen = await statusUntil(page, (s) => / beacons programmed$/.test(s), 60000);
    assert.equal(seen.at(-1), "1 of 2 beacons programmed");
    assert.ok(seen.includes("Verifying Config"), "the write under way was finished");
    const log = await page.$$eval("#plan-log li", (items) => items.map((li) => li.textContent));
    assert.equal(log.at(-1), "Interrupted");
    assert.ok(!log.some((line) => line.includes("MOI")), "MOI was never asked for");
    assert.equal(await page.$eval("#read-config", (e) => e.disabled), false);
    assert.equal(await page.$eval('[role="status"]', (e) => e.dataset.outcome), "failure");

    const images = await page.evaluate(() => window.__serial.ports[0].beacon.fleetEeproms().map((image) => [...image]));
    await press(page, "Download report");
    const csv = new TextDecoder().decode(await downloaded(downloads, "hunt-report.csv")).split("\n");
    const written = `,MOE,Wrenbolt-Tarsel v1.07,Config Written Successfully!,${sha256(Uint8Array.from(images.at(-1)))},MOE-before`;
    assert.ok(csv.at(-2).includes(written), csv.join("\n"));
    assert.deepEqual(errors, []);
    await page.close();
  }
});

test("A plan the core refuses names the beacon and the key, and cannot be run", async () => {
  const { page, downloads, errors } = await openPage(browser);
  const loadPlan = async (name, plan) => {
    const path = join(downloads, name);
    writeFileSync(path, JSON.stringify(plan));
    // A mark in the note that the panel's answer replaces.
    await page.$eval("#plan-note", (e) => {
      e.textContent = "(loading)";
    });
    const [chooser] = await Promise.all([page.waitForFileChooser(), press(page, "Load plan")]);
    await chooser.accept([path]);
    await page.waitForFunction(() => document.getElementById("plan-note").textContent !== "(loading)");
  };
  const runDisabled = () => page.$eval("#plan-run", (e) => e.disabled);
  const beacons = [{ name: "MOE", set: { morseText: " MOE " } }, { name: "MOI", set: { morseText: " MOI ", morseSpeedWpm: "fast" } }];

  await loadPlan("bad-plan.json", { model: "tarsel", beacons });
  assert.match(await note(page), /^bad-plan\.json: beacon "MOI": morseSpeedWpm: /);
  assert.equal(await runDisabled(), true);
  assert.equal(await page.$eval("#plan-check", (e) => e.hidden), true);

  // Refused at its third beacon: the first two are not a plan either.
  const twice = [beacons[0], { name: "MOI", set: { morseText: " MOE " } }, { name: "MOE", set: { morseText: " MOS " } }];
  await loadPlan("twice.json", { model: "tarsel", beacons: twice });
  const twiceNote = await note(page);
  assert.match(twiceNote, /^twice\.json: .*MOE/);
  await page.click("#plan-same-text");
  assert.equal(await note(page), twiceNote);
  assert.equal(await runDisabled(), true);
  await page.click("#plan-same-text");

  // A form with no model makes no plan.
  await setBeacons(page, "MOE\nMOX moe");
  await press(page, "Plan from form");
  assert.equal(await note(page), "A plan is for one model: read a beacon or choose its Model first");
  assert.equal(await runDisabled(), true);

  // Two beacons sending one identification, from the form: both named.
  await page.select("#model", "1");
  await press(page, "Plan from form");
  assert.equal(await note(page), 'hunt-plan.json: beacons "MOE" and "MOX" would both send the Morse text " MOE " ("Allow the same text on two beacons" allows it)');
  assert.equal(await page.$eval('label[for="plan-same-text"]', (e) => e.textContent), "Allow the same text on two beacons");
  await page.click("#plan-same-text");
  assert.equal(await note(page), "");
  assert.equal(await runDisabled(), false);

  // The page has no folder to find a base file in: the user chooses it.
  await typeInto(page, "TX Frequency", "147.25");
  await press(page, "Save");
  const base = await downloaded(downloads, "config1.wb1");
  writeFileSync(join(downloads, "event.wb1"), base);
  await loadPlan("event-plan.json", { model: "basic", baseFile: "event.wb1", beacons: [{ name: "MÖE", set: { morseText: " MÖE " } }] });
  assert.equal(await note(page), "The plan's base file event.wb1 is needed: choose it");
  assert.equal(await runDisabled(), true);
  const chooseBase = async (name) => {
    const [chooser] = await Promise.all([page.waitForFileChooser(), press(page, "Load base file")]);
    await chooser.accept([join(downloads, name)]);
  };
  // A file that is not a .wb1 is refused, and another can be chosen.
  writeFileSync(join(downloads, "not-a.wb1"), "WB1");
  await chooseBase("not-a.wb1");
  await page.waitForFunction(() => document.getElementById("plan-note").textContent.includes("baseFile"));
  assert.equal(await page.$eval("#plan-base", (e) => e.hidden), false);
  assert.equal(await runDisabled(), true);
  await chooseBase("event.wb1");
  await page.waitForFunction(() => !document.getElementById("plan-check").hidden);
  const check = await tableText(page, "plan-check");
  assert.deepEqual(check.find((r) => r[0] === "TX Frequency"), ["TX Frequency", "147.250"]);
  assert.deepEqual(check[0], ["Field", "MÖE"], "a UTF-8 name");
  assert.deepEqual(check.find((r) => r[0] === "Text"), ["Text", '" MÖE "'], "a Latin-1 text byte");
  assert.equal(await runDisabled(), false);
  // The sheet keeps them as they are.
  const sheet = await printedSheet(page);
  assert.match(sheet, /<th>MÖE<\/th>/);
  assert.doesNotMatch(sheet, /Ã/);

  // Too deep or too large for the core to parse: refused before it is,
  // and the plan shown before is gone with it.
  const deep = join(downloads, "deep.json");
  writeFileSync(deep, "[".repeat(100000));
  const large = join(downloads, "large.json");
  writeFileSync(large, JSON.stringify({ model: "basic", beacons: [{ name: "MOE", note: "A".repeat(1 << 20) }] }));
  for (const [path, why] of [[deep, "deep.json nests deeper than 64 levels"], [large, "large.json is larger than 1 MiB"]]) {
    await page.$eval("#plan-note", (e) => {
      e.textContent = "(loading)";
    });
    const [chooser] = await Promise.all([page.waitForFileChooser(), press(page, "Load plan")]);
    await chooser.accept([path]);
    await page.waitForFunction(() => document.getElementById("plan-note").textContent !== "(loading)");
    assert.equal(await note(page), why);
    assert.equal(await runDisabled(), true);
    assert.equal(await page.$eval("#plan-check", (e) => e.hidden), true);
    await page.click("#plan-same-text");
    assert.equal(await runDisabled(), true, "no old plan comes back on a recheck");
  }
  assert.deepEqual(errors, []);
  await page.close();
});
