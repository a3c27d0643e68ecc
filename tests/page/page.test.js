// The browser page end to end in headless Chromium, through what a user
// has: buttons and fields by their accessible names, the status line, the
// port chooser, downloads and the file chooser.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { writeFileSync } from "node:fs";
import { join } from "node:path";
import { checkLostNote, downloaded, field, launch, openPage, pagePath, press, statusUntil, typeInto, valueOf } from "./harness.js";

let browser;
before(async () => {
  browser = await launch();
});
after(async () => {
  await browser?.close();
});

const done = (text) => (s) => s === text;
// The texts the status line showed after the command (before it: empty, or
// the previous outcome).
const shown = (seen) => seen.slice(seen.indexOf("Reading Version"));
const LineOptions = { baudRate: 2400, dataBits: 8, stopBits: 1, parity: "none", flowControl: "none" };

// The image bytes of a write, [time, byte] each, as the port took them
// after the write request; checks their pacing: the beacon stores each byte
// before it can take the next, at least 20 ms from one image byte to the
// next, or its EEPROM drops bytes.
function sentImage(sent) {
  const bytes = sent.map(([, b]) => b);
  const start = bytes.findIndex((b, i) => b === 0x1b && bytes[i + 1] === 0x44 && bytes[i + 2] === 0xaa && bytes[i + 3] === 0x55);
  assert.ok(start >= 0, "the write request was sent");
  const image = sent.slice(start + 4, start + 4 + 256);
  assert.equal(image.length, 256);
  const gaps = image.slice(1).map(([t], i) => t - image[i][0]);
  assert.ok(Math.min(...gaps) >= 19.9, `image bytes ${Math.min(...gaps).toFixed(2)} ms apart`);
  return image;
}

async function readConfig(page) {
  await press(page, "Read Config");
  return statusUntil(page, (s) => !/^(Reading|Version Read)/.test(s) && s !== "");
}

test("Read Config on both models fills the form and enables the model's fields", async () => {
  for (const [model, version] of [["basic", "Wrenbolt v2.1\r\n"], ["tarsel", "Wrenbolt-Tarsel v1.07\r\n"]]) {
    const { page, errors } = await openPage(browser, { beacons: [{ model }] });
    await press(page, "Choose Port");
    await press(page, "Read Version");
    assert.deepEqual(shown(await statusUntil(page, (s) => s.startsWith("Version Read"))), ["Reading Version", `Version Read : "${version}"`]);
    assert.deepEqual(shown(await readConfig(page)).slice(-3), ["Reading Version", "Reading Config", "Read Config Successful"]);
    assert.equal(await page.$eval('[role="status"]', (e) => e.dataset.outcome), "success");
    assert.equal(await valueOf(page, "Speed"), "20");
    assert.equal(await valueOf(page, "TX Frequency"), "146.565");
    assert.match(await valueOf(page, "Tones"), /^1, 20, 1, 20, 1, 11, 11, 11, 1, 20,\s*\n/);
    const disabled = async (label) => (await field(page, label)).evaluate((e) => e.disabled);
    assert.equal(await disabled("Enable LED"), model !== "basic");
    assert.equal(await disabled("RX Frequency"), model !== "tarsel");
    assert.equal(await disabled("Unlock Code"), model !== "tarsel");
    if (model === "tarsel") assert.equal(await valueOf(page, "Unlock Code"), "5862");

    const log = await page.evaluate(() => ({ opens: window.__serial.opens, closes: window.__serial.closes }));
    assert.equal(log.opens.length, 2);
    for (const options of log.opens) assert.deepEqual(options, LineOptions);
    assert.equal(log.closes, 2, "the port is closed after each operation, its streams released");
    assert.deepEqual(errors, []);
    await page.close();
  }
});

test("Write Config backs up, writes paced bytes and verifies what the beacon stored", async () => {
  const { page, downloads, errors } = await openPage(browser, { beacons: [{ model: "tarsel" }] });
  await press(page, "Choose Port");
  await readConfig(page);
  await typeInto(page, "Speed", "25");
  await typeInto(page, "Text", "vk2abc");
  assert.equal(await valueOf(page, "Text"), "VK2ABC");
  assert.equal(await page.$eval("#f-1008-stored", (e) => e.value), "→ 26");
  const changes = await page.$$eval("#changes-list li", (items) => items.map((li) => li.textContent));
  assert.deepEqual(changes.sort(), ["Speed: 20 → 26", 'Text: " WRENBOLT " → "VK2ABC"'].sort());

  const before = await page.evaluate(() => window.__serial.ports[0].writes.length);
  // Closing the tab while the image goes out asks first; staying lets the
  // write run on.
  const asked = [];
  page.on("dialog", (dialog) => {
    asked.push(dialog.type());
    dialog.dismiss();
  });
  await press(page, "Write Config");
  // The device commands and the plan's buttons wait from the backup read
  // on, with the reason beside them: no press cuts the write short.
  await statusUntil(page, (s) => s === "Reading Version");
  const waiting = () =>
    page.evaluate(() => ({
      disabled: ["read-version", "read-config", "write-config", "plan-load", "plan-build"].filter((id) => document.getElementById(id).disabled),
      reason: document.getElementById("device-wait").textContent,
      plan: document.getElementById("plan-wait").textContent,
    }));
  const whileWriting = {
    disabled: ["read-version", "read-config", "write-config", "plan-load", "plan-build"],
    reason: "Write Config is under way: the device commands wait until it ends.",
    plan: "Write Config is under way: the plan waits until it ends.",
  };
  assert.deepEqual(await waiting(), whileWriting);
  await statusUntil(page, (s) => s.startsWith("Writing Config : *"));
  assert.deepEqual(await waiting(), whileWriting);
  await page.$eval("#read-config", (e) => e.click());
  await page.close({ runBeforeUnload: true });
  const seen = await statusUntil(page, (s) => /Success|Fail|mismatch|not/.test(s) && !s.startsWith("Read Config"));
  assert.deepEqual(asked, ["beforeunload"]);
  assert.equal(seen.at(-1), "Config Written Successfully!");
  assert.ok(seen.includes("Verifying Config"));

  // The backup: the beacon's image before the write, byte for byte.
  const backup = await downloaded(downloads, "backup.wb1");
  assert.equal(backup.length, 264);
  assert.equal(String.fromCharCode(...backup.slice(0, 4)), "WB14");

  const { writes, eeprom, lost } = await page.evaluate(() => {
    const port = window.__serial.ports[0];
    return { writes: port.writes, eeprom: [...port.beacon.eeprom()], lost: port.beacon.lostBytes() };
  });
  const image = sentImage(writes.slice(before));
  assert.equal(lost, 0);
  assert.deepEqual(eeprom, image.map(([, b]) => b), "the beacon stored the image sent");
  assert.notDeepEqual(eeprom, [...backup.slice(8)]);

  // The form now shows what the beacon stores, and nothing is pending.
  assert.equal(await valueOf(page, "Speed"), "26");
  assert.equal(await page.$eval("#changes-note", (e) => e.textContent), "The beacon holds what the form shows.");
  assert.deepEqual(await waiting(), { disabled: [], reason: "", plan: "" });
  assert.deepEqual(errors, []);
  // With the write done the tab closes without asking.
  // A question would be dismissed and keep the tab open.
  await page.close({ runBeforeUnload: true });
  for (let waited = 0; !page.isClosed() && waited < 15000; waited += 100) {
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  assert.deepEqual(asked, ["beforeunload"]);
  assert.ok(page.isClosed());
});

test("In a background tab a write keeps its pace", async () => {
  // A hidden tab's own timers fire about once a second: 256 paced bytes
  // would take minutes, and this test would time out.
  const throttled = await launch({ throttled: true });
  try {
    const { page, errors } = await openPage(throttled, { beacons: [{ model: "tarsel" }] });
    await press(page, "Choose Port");
    await readConfig(page);
    await typeInto(page, "Speed", "25");
    const before = await page.evaluate(() => window.__serial.ports[0].writes.length);
    await press(page, "Write Config");
    await (await throttled.newPage()).bringToFront();
    assert.equal(await page.evaluate(() => document.visibilityState), "hidden");
    const seen = await statusUntil(page, (s) => /Success|Fail|not/.test(s) && !s.startsWith("Read Config"), 40000);
    assert.equal(seen.at(-1), "Config Written Successfully!");
    const { writes, lost } = await page.evaluate(() => ({ writes: window.__serial.ports[0].writes, lost: window.__serial.ports[0].beacon.lostBytes() }));
    sentImage(writes.slice(before));
    assert.equal(lost, 0);
    assert.deepEqual(errors, []);
  } finally {
    await throttled.close();
  }
});

test("A silent beacon: three attempts, then not found", async () => {
  const { page } = await openPage(browser, { beacons: [{ model: "tarsel", fault: "silent" }] });
  await press(page, "Choose Port");
  await press(page, "Read Config");
  const seen = await statusUntil(page, (s) => s.startsWith("Wrenbolt not found"));
  assert.deepEqual(shown(seen), ["Reading Version", "Wrenbolt not found : ()"]);
  await page.waitForFunction(() => document.querySelector('[role="status"]').dataset.outcome === "failure");
  assert.equal(await valueOf(page, "Speed"), "20");
  await page.close();
});

// The port lost under an operation: its "disconnect", or a read or write
// that fails for good before any "disconnect". The operation ends at once
// with the port's first failure, as on the command line, never as a beacon
// that sent a corrupted image; a write says how many image bytes went out.
test("An adapter lost during a read or a write: the operation ends at the port's first failure and the page says why", async () => {
  const disconnect = () => navigator.serial.getPorts().then(([port]) => port.dispatchEvent(new Event("disconnect")));
  const vanish = () => navigator.serial.getPorts().then(([port]) => port.vanish());
  const cases = [
    { press: "Read Config", at: "Reading Config", lose: disconnect, status: "Read: Failed 1" },
    { press: "Read Config", at: "Reading Config", lose: vanish, status: "Read: Failed 1" },
    { press: "Write Config", at: "Writing Config : **", lose: vanish, status: "Write: Failed 1" },
  ];
  for (const { press: button, at, lose, status } of cases) {
    const { page, errors, downloads } = await openPage(browser, { beacons: [{ model: "basic" }] });
    await press(page, "Choose Port");
    if (button === "Write Config") await readConfig(page);
    await press(page, button);
    await statusUntil(page, done(at));
    // The port an operation runs on cannot be changed under it.
    assert.equal(await page.$eval("#port", (e) => e.disabled), true);
    await page.evaluate(lose);
    const seen = await statusUntil(page, (s) => !s.startsWith("Reading") && !s.startsWith("Writing"));
    assert.equal(seen.at(-1), status, lose.toString());
    assert.equal(await page.$eval('[role="status"]', (e) => e.dataset.outcome), "failure");
    // Nothing went out after the failure: the count is what the line
    // took, part of the image; the rest of the old one stays.
    await checkLostNote(page, button === "Write Config", () => window.__serial.ports[0].writes.map(([, b]) => b));
    if (button === "Write Config") {
      await downloaded(downloads, "backup.wb1");
      assert.equal(await page.$eval("#changes-note", (e) => e.textContent), "Read Config to compare the form with the beacon.");
    }
    assert.equal(await page.$eval("#read-config", (e) => e.disabled), false);
    assert.equal(await page.$eval("#port", (e) => e.disabled), false);
    assert.deepEqual(errors, []);
    await page.close();
  }
});

test("A write to a beacon of another model is refused before a byte of it is sent", async () => {
  // A Basic beacon granted before, and a Tarsel one offered by the chooser.
  const { page } = await openPage(browser, { beacons: [{ model: "basic" }, { model: "tarsel" }] });
  await press(page, "Choose Port");
  await readConfig(page);
  await page.select("#port", "port:0");
  const original = await page.evaluate(async () => {
    // The Basic beacon's image before anything reaches it.
    return [...(await window.wrenbolt.SimulatedPort.create("basic")).eeprom()];
  });
  await press(page, "Write Config");
  const seen = await statusUntil(page, (s) => s.startsWith("Model mismatch") || /Success/.test(s) && !s.startsWith("Read"));
  assert.equal(seen.at(-1), "Model mismatch: Read Config First");
  const { bytes, eeprom } = await page.evaluate(() => {
    const port = window.__serial.ports[0];
    return { bytes: port.writes.map(([, b]) => b), eeprom: [...port.beacon.eeprom()] };
  });
  assert.deepEqual(bytes, [0x1b, 0x56, 0x1b, 0x55], "only the backup's version and read requests");
  assert.deepEqual(eeprom, original);
  await page.close();
});

test("Save downloads config1.wb1 and Load takes a file from the chooser", async () => {
  const { page, downloads, errors } = await openPage(browser, { beacons: [] });
  await press(page, "Save");
  await statusUntil(page, done("Read Version First"));
  await page.select("#model", "2");
  await typeInto(page, "Text", "QRP TÉST");
  await typeInto(page, "Unlock Code", "7");
  await press(page, "Save");
  await statusUntil(page, done("File Saved"));
  const file = await downloaded(downloads, "config1.wb1");
  assert.equal(file.length, 264);
  assert.deepEqual([...file.slice(0, 8)], [0x57, 0x42, 0x31, 0x34, 0x00, 0x01, 0x00, 0x00]);

  await typeInto(page, "Text", "OTHER");
  const load = async (path) => {
    const [chooser] = await Promise.all([page.waitForFileChooser(), press(page, "Load")]);
    await chooser.accept([path]);
  };
  await load(join(downloads, "config1.wb1"));
  await statusUntil(page, done("File Loaded"));
  assert.equal(await valueOf(page, "Text"), "QRP TÉST");
  assert.equal(await valueOf(page, "Unlock Code"), "0007");

  // The same record as JSON in the command line's format, and back.
  await press(page, "Export JSON");
  const json = JSON.parse(new TextDecoder().decode(await downloaded(downloads, "config1.json")));
  assert.equal(json.model, "tarsel");
  assert.equal(json.morseText, "QRP TÉST");
  assert.equal(json.unlockCode, 7);
  const importJson = async (text) => {
    const path = join(downloads, `import-${Date.now()}.json`);
    writeFileSync(path, text);
    const [chooser] = await Promise.all([page.waitForFileChooser(), press(page, "Import JSON")]);
    await chooser.accept([path]);
  };
  await importJson(JSON.stringify({ ...json, morseSpeedWpm: 12, randomTones: 1 }));
  await page.waitForFunction(() => document.getElementById("f-1008").value === "12");
  assert.equal(await valueOf(page, "Random Tones"), true);
  await importJson('{"morseSpeedWpm": "fast"}');
  await page.waitForFunction(() => document.getElementById("json-note").textContent !== "");
  assert.match(await page.$eval("#json-note", (e) => e.textContent), /^Not imported: morseSpeedWpm/);
  assert.equal(await valueOf(page, "Speed"), "12");
  // Refused before the core parses them: no stack exhausted, no freeze.
  for (const [text, why] of [["[".repeat(100000), "nests deeper than 64 levels"], [`{"morseText": "${"A".repeat(1 << 20)}"}`, "is larger than 1 MiB"]]) {
    await importJson(text);
    await page.waitForFunction((why) => document.getElementById("json-note").textContent.endsWith(why), {}, why);
    assert.equal(await page.$eval("#json-note", (e) => e.textContent), `Not imported: the file ${why}`);
  }
  assert.equal(await valueOf(page, "Speed"), "12");
  assert.deepEqual(errors, []);

  const bad = join(downloads, "bad.wb1");
  writeFileSync(bad, "WB15 not a beacon image");
  await load(bad);
  await statusUntil(page, done("Invalid File Format"));

  // A Morse text too long for the layout: the notice, then the cut image is saved.
  await typeInto(page, "Text", "A".repeat(61));
  await press(page, "Save");
  await page.waitForSelector("dialog[open]");
  assert.equal(await page.$eval("#notice-caption", (e) => e.textContent), "Text/Tones Truncated");
  assert.equal(await page.$eval("#notice-text", (e) => e.textContent), "The Morse Text or Tones are too long and have been tuncated.  ");
  await press(page, "OK");

  await statusUntil(page, done("File Saved"));
  await page.close();
});

test("The device commands wait until the page has started", async () => {
  const page = await browser.newPage();
  // What a press right after opening would meet.
  await page.evaluateOnNewDocument(() => {
    document.addEventListener("DOMContentLoaded", () => {
      window.atStart = {
        ready: document.body.dataset.ready === "true",
        disabled: ["read-version", "read-config", "write-config", "choose-port"].map((id) => document.getElementById(id).disabled),
        reason: document.getElementById("device-wait").textContent,
      };
    });
  });
  await page.goto(`file://${pagePath}?sim=tarsel`);
  await page.waitForSelector("body[data-ready]");
  assert.deepEqual(await page.evaluate(() => window.atStart), { ready: false, disabled: [true, true, true, true], reason: "The page is starting." });
  assert.equal(await page.$eval("#read-config", (e) => e.disabled), false);
  assert.equal(await page.$eval("#device-wait", (e) => e.textContent), "");
  await page.close();
});

test("Without Web Serial the page says so and still runs the simulator", async () => {
  const { page, errors } = await openPage(browser, { beacons: null, query: "?sim=tarsel" });
  const note = await page.$eval("#no-serial", (e) => (e.hidden ? "" : e.textContent));
  assert.match(note, /Web Serial/);
  assert.match(note, /Chrome/);
  assert.equal(await page.$eval("#choose-port", (e) => e.disabled), true);
  // Every setting by the dialog's label, and the dialog's buttons.
  for (const label of ["Pre Tones Delay", "Tones Duration", "Loop Time", "Tone Speed", "Initial Delay", "Total Runtime",
    "TX Frequency", "RX Frequency", "Calibration", "Unlock Code", "Tones", "Text", "Speed", "Tone", "Enable LED",
    "Random Tones", "Random Speed", "Random Morse", "Auto Start", "Disable RX"]) {
    const tag = await (await field(page, label)).evaluate((e) => e.tagName);
    assert.equal(tag, label === "Tones" ? "TEXTAREA" : "INPUT", label);
  }
  // The models and the simulated beacons are the module's, as are the
  // file choosers' extension and the address's choice.
  const options = (id) => page.$eval(id, (e) => [...e.options].map((o) => [o.value, o.textContent]));
  assert.deepEqual(await options("#model"), [["0", "None (read a beacon)"], ["1", "Basic"], ["2", "Tarsel"]]);
  assert.deepEqual(await options("#port"), [
    ["sim:basic", "Simulated Basic beacon"],
    ["sim:tarsel", "Simulated Tarsel beacon"],
    ["sim:fleet=tarsel,tarsel,tarsel", "Simulated fleet: Tarsel, Tarsel, Tarsel"],
    ["sim:fleet=basic,basic,basic", "Simulated fleet: Basic, Basic, Basic"],
  ]);
  assert.equal(await page.$eval("#port", (e) => e.value), "sim:tarsel");
  assert.deepEqual(await page.$$eval("#load-file, #plan-base-file", (l) => l.map((e) => e.accept)), [".wb1", ".wb1"]);
  const seen = await readConfig(page);
  assert.equal(seen.at(-1), "Read Config Successful");
  assert.equal(await valueOf(page, "Unlock Code"), "5862");
  // Typed text takes the dialog's capitals, one byte for one: "ß" and "ÿ"
  // have none; a character no byte holds shows as the "?" that is sent. A
  // flag shows as the core's sheet shows it.
  await typeInto(page, "Text", "cq dé ßÿ x’y");
  assert.equal(await valueOf(page, "Text"), "CQ DÉ ßÿ X?Y");
  await (await field(page, "Random Tones")).click();
  await page.waitForFunction(() => [...document.querySelectorAll("#changes-list li")].some((li) => li.textContent.startsWith("Random Tones")));
  const changes = await page.$$eval("#changes-list li", (l) => l.map((e) => e.textContent));
  assert.ok(changes.includes("Random Tones: no → yes"), changes.join("; "));
  assert.deepEqual(errors, []);
  await page.close();
});
