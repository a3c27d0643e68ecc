// The page's WebUSB path in headless Chromium: a fake navigator.usb whose
// adapters pass bytes to the simulated beacon only once their line is set
// up as the chip wants it (tests/page/usb-fake.js).
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { checkLostNote, launch, openPage, press, statusUntil, typeInto, valueOf } from "./harness.js";

let browser;
before(async () => {
  browser = await launch();
});
after(async () => {
  await browser?.close();
});

const Finished = (s) => s !== "" && !/^(Reading|Version Read|Writing|Verifying)/.test(s);

// Each family's adapter, and what its label in the port list names.
const Chips = [
  { chip: "ftdi", title: "FTDI FT232R" },
  { chip: "ftdi-h", title: "FTDI FT232H" },
  { chip: "ch34x", title: "CH340/CH341" },
  { chip: "cp210x", title: "CP210x" },
  { chip: "pl2303", title: "PL2303" },
  { chip: "cdc", title: "CDC-ACM" },
];

async function chooseUsb(page) {
  await press(page, "Choose USB Device");
  await page.waitForFunction(() => document.getElementById("port").selectedOptions[0]?.textContent.startsWith("USB adapter"));
  return page.$eval("#port", (e) => e.selectedOptions[0].textContent);
}

// The image a write sent: 256 bytes after the write request, each in an
// OUT transfer of its own and at least 20 ms after the one before.
function sentImage(writes) {
  const bytes = writes.map(([, b]) => b);
  const start = bytes.findIndex((b, i) => b === 0x1b && bytes[i + 1] === 0x44 && bytes[i + 2] === 0xaa && bytes[i + 3] === 0x55);
  assert.ok(start >= 0, "the write request was sent");
  const image = writes.slice(start + 4, start + 4 + 256);
  assert.equal(image.length, 256);
  assert.ok(image.every(([, , transfer]) => transfer === 1), "one transfer per image byte");
  const gaps = image.slice(1).map(([t], i) => t - image[i][0]);
  assert.ok(Math.min(...gaps) >= 19.9, `image bytes ${Math.min(...gaps).toFixed(2)} ms apart`);
  return image.map(([, b]) => b);
}

for (const { chip, title } of Chips) {
  test(`Over a ${title} adapter: Read Config, then a backed-up, paced Write Config`, async () => {
    const { page, errors } = await openPage(browser, { beacons: [], usb: [{ chip, model: "tarsel" }] });
    assert.match(await chooseUsb(page), new RegExp(`^USB adapter 1 \\(${title}, `));
    const filters = await page.evaluate(() => window.__usb.filters);
    assert.deepEqual(filters, [{ vendorId: 0x0403 }, { vendorId: 0x1a86 }, { vendorId: 0x10c4 }, { vendorId: 0x067b }, { classCode: 2 }]);

    await press(page, "Read Config");
    assert.equal((await statusUntil(page, Finished)).at(-1), "Read Config Successful");
    assert.equal(await valueOf(page, "Speed"), "20");

    await typeInto(page, "Speed", "25");
    const before = await page.evaluate(() => window.__usb.devices[0].writes.length);
    await press(page, "Write Config");
    const seen = await statusUntil(page, (s) => Finished(s) && !s.startsWith("Read Config"));
    assert.equal(seen.at(-1), "Config Written Successfully!");
    assert.ok(seen.includes("Verifying Config"));

    const record = await page.evaluate(() => {
      const d = window.__usb.devices[0];
      return { writes: d.writes, eeprom: [...d.beacon.eeprom()], lost: d.beacon.lostBytes(), maxPendingIn: d.maxPendingIn, statusOnly: d.statusOnly, state: d.state };
    });
    const image = sentImage(record.writes.slice(before));
    assert.equal(record.lost, 0);
    assert.deepEqual(record.eeprom, image, "the beacon stored the image sent");
    assert.equal(await valueOf(page, "Speed"), "26");
    assert.ok(record.maxPendingIn >= 2, `${record.maxPendingIn} IN transfers waiting at once`);
    // The FTDI's status-only packets came and carried nothing into the image.
    if (chip.startsWith("ftdi")) assert.ok(record.statusOnly > 0);
    if (chip === "ch34x") assert.equal(record.state.rate.toFixed(1), "2403.8");
    assert.deepEqual(errors, []);
    await page.close();
  });
}

test("A USB adapter unplugged during a read or a write: the operation ends at the port's first failure and the adapter leaves the list", async () => {
  for (const { button, at, status } of [
    { button: "Read Config", at: "Reading Config", status: "Read: Failed 1" },
    { button: "Write Config", at: "Writing Config : **", status: "Write: Failed 1" },
  ]) {
    const { page, errors } = await openPage(browser, { beacons: [], usb: [{ chip: "ch34x", model: "basic" }] });
    await chooseUsb(page);
    if (button === "Write Config") {
      await press(page, "Read Config");
      await statusUntil(page, Finished);
    }
    await press(page, button);
    await statusUntil(page, (s) => s === at);
    await page.evaluate(() => window.__usb.unplug(0));
    const seen = await statusUntil(page, (s) => !s.startsWith("Reading") && !s.startsWith("Writing"));
    assert.equal(seen.at(-1), status);
    await checkLostNote(page, button === "Write Config", () => window.__usb.devices[0].writes.map(([, b]) => b));
    await page.waitForFunction(() => ![...document.getElementById("port").options].some((o) => o.textContent.startsWith("USB adapter")));
    assert.equal(await page.$eval("#read-config", (e) => e.disabled), false);
    assert.deepEqual(errors, []);
    await page.close();
  }
});

test("The port list follows the chosen adapter: unplugged, nothing is chosen, never the adapter that took its place", async () => {
  const usb = [{ chip: "ch34x", model: "basic" }, { chip: "ch34x", model: "tarsel" }];
  const { page, errors } = await openPage(browser, { beacons: [], usb });
  await chooseUsb(page);
  // The first adapter, which the second moves up to replace in the list.
  await page.select("#port", "port:0");
  await page.evaluate(() => window.__usb.unplug(0));
  await page.waitForFunction(() => document.getElementById("port").value === "");
  await press(page, "Read Version");
  assert.match((await statusUntil(page, Finished)).at(-1), /^Could not open Com Port /);
  assert.equal(await page.evaluate(() => window.__usb.devices[1].writes.length), 0, "nothing reached the other adapter");
  // Chosen again, the other adapter answers.
  await page.select("#port", "port:0");
  await press(page, "Read Version");
  const answered = await statusUntil(page, (s) => s.startsWith("Version Read") || Finished(s));
  assert.equal(answered.at(-1), 'Version Read : "Wrenbolt-Tarsel v1.07\r\n"');
  assert.deepEqual(errors, []);
  await page.close();
});

test("A USB device the page cannot use says why, and nothing reaches the line", async () => {
  const cases = [
    { usb: { chip: "cp210x", claimable: false }, note: /in use by the computer's own driver\. On a computer, use Choose Port/ },
    { usb: { chip: "unknown" }, note: /^This USB device is not a serial adapter the page knows/ },
  ];
  for (const { usb, note } of cases) {
    const { page, errors } = await openPage(browser, { beacons: [], usb: [usb] });
    await chooseUsb(page);
    await press(page, "Read Config");
    const seen = await statusUntil(page, Finished);
    assert.notEqual(seen.at(-1), "Read Config Successful");
    assert.match(await page.$eval("#port-note", (e) => e.textContent), note, usb.chip);
    const { writes, opened } = await page.evaluate(() => ({ writes: window.__usb.devices[0].writes.length, opened: window.__usb.devices[0].state !== null }));
    assert.equal(writes, 0);
    assert.ok(opened || usb.chip === "unknown");
    // The device is left closed, so that another try can open it.
    assert.equal(await page.evaluate(() => window.__usb.devices[0].device.opened), false);
    assert.deepEqual(errors, []);
    await page.close();
  }
});
