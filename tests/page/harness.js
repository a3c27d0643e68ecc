// Shared set-up of the page tests: headless Chromium from Debian, the built
// page opened from disk, and a Web Serial port object put in place before
// the page loads. The port has the standard interface; its far side is a
// simulated beacon (the core's, in a module instance of its own), and it
// records what the page did with it: open options, every byte written with
// the time it was handed over, closes.
import { mkdtempSync, readdirSync, readFileSync, existsSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";
import assert from "node:assert/strict";
import puppeteer from "puppeteer-core";
import { injectUsb } from "./usb-fake.js";

export const root = resolve(import.meta.dirname, "../..");
export const pagePath = join(root, "build/web/wrenbolt-config.html");

// throttled: a hidden tab's timers slowed as a desktop browser slows them
// (puppeteer turns that off by default).
export async function launch({ throttled = false } = {}) {
  if (!existsSync(pagePath)) throw new Error(`${pagePath} is missing: run make web`);
  return puppeteer.launch({
    executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    args: ["--no-sandbox", "--disable-gpu"],
    ignoreDefaultArgs: throttled
      ? ["--disable-background-timer-throttling", "--disable-renderer-backgrounding", "--disable-backgrounding-occluded-windows"]
      : [],
  });
}

// Runs in the page before its scripts. beacons: one entry per port, e.g.
// [{ model: "tarsel" }, { model: "basic", fault: "silent" }] or a fleet
// [{ fleet: "tarsel,basic" }]; none: no Web Serial at all, as in Firefox.
function injectSerial(beacons) {
  if (beacons === null) {
    delete Navigator.prototype.serial;
    return;
  }
  // failOpens: how many opens to refuse next, as a port just plugged in may.
  const log = { opens: [], closes: 0, ports: [], failOpens: 0 };
  window.__serial = log;
  const serial = new EventTarget();
  const ports = beacons.map((beacon, index) => {
    const record = { writes: [], beacon: null };
    log.ports.push(record);
    let inner = null;
    let writable = null;
    const port = new EventTarget();
    port.getInfo = () => ({ usbVendorId: 0x0403, usbProductId: 0x6001 + index });
    // The device lost before any "disconnect": the read under way and every
    // later write fail with NetworkError, and the port has no stream left.
    port.vanish = () => {
      port.unplugged = true;
      port.vanished = true;
      const controller = inner?.controller;
      if (inner) inner.controller = null;
      controller?.error(new DOMException("The device has been lost.", "NetworkError"));
    };
    Object.defineProperty(port, "readable", { get: () => (port.vanished ? null : inner?.readable ?? null) });
    Object.defineProperty(port, "writable", { get: () => (inner?.readable ? writable : null) });
    port.open = async (options) => {
      // Unplugged, or failing as an adapter just plugged in may.
      if (port.unplugged || log.failOpens > 0) {
        if (!port.unplugged) log.failOpens--;
        throw new DOMException("Failed to open serial port.", "NetworkError");
      }
      log.opens.push(options);
      inner ??= await (beacon.fleet
        ? window.wrenbolt.SimulatedPort.createFleet(beacon.fleet)
        : window.wrenbolt.SimulatedPort.create(beacon.model, beacon.fault ?? "none"));
      record.beacon = inner;
      await inner.open(options);
      writable = new WritableStream({
        async write(chunk) {
          if (port.vanished) throw new DOMException("The device has been lost.", "NetworkError");
          for (const byte of chunk) record.writes.push([performance.now(), byte]);
          const writer = inner.writable.getWriter();
          try {
            await writer.write(chunk);
          } finally {
            writer.releaseLock();
          }
        },
      });
    };
    port.close = async () => {
      if (writable.locked) throw new TypeError("The writable stream is locked.");
      log.closes++;
      await inner.close();
    };
    return port;
  });
  // The last port is offered by the chooser; the others were granted on an
  // earlier visit, as getPorts reports them.
  const granted = ports.slice(0, -1);
  serial.requestPort = async () => {
    const port = ports[ports.length - 1];
    if (!granted.includes(port)) granted.push(port);
    return port;
  };
  serial.getPorts = async () => granted.slice();
  Object.defineProperty(Navigator.prototype, "serial", { get: () => serial, configurable: true });
}

// The adapter of port `index` unplugged, or plugged in again: the events a
// browser fires, on the port and on navigator.serial with the port as target.
// afterIdentifyMs: only that long after the page's first identification
// request (ESC V) on the port, timed in the page.
export async function replug(page, index, type, afterIdentifyMs = null) {
  await page.evaluate(
    async (i, kind, afterMs) => {
      const writes = window.__serial.ports[i].writes;
      for (;;) {
        const at = writes.findIndex(([, b], n) => b === 0x56 && writes[n - 1]?.[1] === 0x1b);
        if (afterMs === null || (at >= 0 && performance.now() >= writes[at][0] + afterMs)) break;
        await new Promise((r) => setTimeout(r, 5));
      }
      const port = (await navigator.serial.getPorts())[i];
      port.unplugged = kind === "disconnect";
      if (kind === "disconnect") port.dispatchEvent(new Event("disconnect"));
      const event = new Event(kind);
      Object.defineProperty(event, "target", { value: port });
      navigator.serial.dispatchEvent(event);
    },
    index,
    type,
    afterIdentifyMs,
  );
}

// A page with the given beacons (see injectSerial), USB adapters if asked
// (see usb-fake.js) and a download folder.
export async function openPage(browser, { beacons = [{ model: "tarsel" }], query = "", usb = null } = {}) {
  const page = await browser.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  await page.evaluateOnNewDocument(injectSerial, beacons);
  if (usb) await page.evaluateOnNewDocument(injectUsb, usb);
  const downloads = mkdtempSync(join(tmpdir(), "wb-downloads-"));
  const cdp = await page.createCDPSession();
  await cdp.send("Browser.setDownloadBehavior", { behavior: "allow", downloadPath: downloads });
  await page.goto(`file://${pagePath}${query}`);
  await page.waitForSelector("body[data-ready]");
  return { page, errors, downloads };
}

// The status line until it satisfies done; every text it showed, in order.
export async function statusUntil(page, done, timeoutMs = 60000) {
  const seen = [];
  const end = Date.now() + timeoutMs;
  for (;;) {
    // One round trip a look (an element handle would take three).
    const text = await page.evaluate(() => document.querySelector('[role="status"]').textContent);
    if (seen.at(-1) !== text) seen.push(text);
    if (done(text)) return seen;
    if (Date.now() > end) throw new Error(`status stuck; seen: ${JSON.stringify(seen)}`);
    await new Promise((r) => setTimeout(r, 20));
  }
}

// Clicks the button with this accessible name.
export async function press(page, name) {
  const button = await page.waitForSelector(`::-p-aria(${name}[role="button"])`);
  await button.click();
}

export async function field(page, label) {
  return page.waitForSelector(`::-p-aria(${label})`);
}

export async function valueOf(page, label) {
  return (await field(page, label)).evaluate((e) => (e.type === "checkbox" ? e.checked : e.value));
}

export async function typeInto(page, label, text) {
  const input = await field(page, label);
  await input.click({ count: 3 });
  await input.evaluate((e) => {
    e.value = "";
  });
  await input.type(text);
}

// The bytes of a finished download.
export async function downloaded(dir, name, timeoutMs = 10000) {
  const end = Date.now() + timeoutMs;
  while (Date.now() < end) {
    if (readdirSync(dir).includes(name)) return new Uint8Array(readFileSync(join(dir, name)));
    await new Promise((r) => setTimeout(r, 50));
  }
  throw new Error(`no download ${name}; have ${readdirSync(dir)}`);
}

// What the page says under the port once an operation lost its port: the
// reason; after a write, also how many image bytes went out, which must be
// those the fake line took (lineBytes, run in the page: every byte it took).
const Gone = "The port was lost: the device is gone (adapter unplugged or line hung up)";
const CutWrite = new RegExp(
  `^${Gone.replace(/[()]/g, "\\$&")}\nPort lost: (\\d+) of 256 bytes written\\. The beacon holds the start of the new configuration and the rest of the old one\\.\nTo restore it: Load backup\\.wb1 \\(downloaded before the write\\) and press Write Config\\.$`,
);

export async function checkLostNote(page, wrote, lineBytes) {
  await page.waitForFunction(() => document.getElementById("port-note").textContent.startsWith("The port was lost"));
  const note = await page.$eval("#port-note", (e) => e.textContent);
  if (!wrote) {
    assert.equal(note, Gone);
    return;
  }
  const bytes = await page.evaluate(lineBytes);
  const start = bytes.findIndex((b, i) => b === 0x1b && bytes[i + 1] === 0x44 && bytes[i + 2] === 0xaa && bytes[i + 3] === 0x55);
  const sent = bytes.length - start - 4;
  assert.ok(start >= 0 && sent > 32 && sent < 256, `${sent} image bytes`);
  assert.match(note, CutWrite);
  assert.equal(Number(note.match(CutWrite)[1]), sent);
}
