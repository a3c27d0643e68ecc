// The installable web app (build/web/site) served on 127.0.0.1: its service
// worker, Chromium's installability check, a reload with no network, an
// update offered and never forced; the page at phone size, with the tone
// chart; and axe-core's accessibility rules on the page, the Hunt plan
// panel and the truncation notice, at laptop and phone width.
import { after, before, test } from "node:test";
import assert from "node:assert/strict";
import { cpSync, mkdtempSync, readFileSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { launch, press, root, statusUntil, typeInto } from "./harness.js";
import { serve } from "../../scripts/serve-web.mjs";

const sitePath = join(root, "build/web/site");
const axePath = join(import.meta.dirname, "node_modules/axe-core/axe.min.js");
const Phone = { width: 390, height: 844, isMobile: true, hasTouch: true, deviceScaleFactor: 1 };
const Laptop = { width: 1280, height: 800 };

let browser;
let server;
let port;
// A copy of the site, so that a new version can be put in its place.
const dir = mkdtempSync(join(tmpdir(), "wb-site-"));
before(async () => {
  cpSync(sitePath, dir, { recursive: true });
  server = await serve(dir, 0);
  port = server.address().port;
  browser = await launch();
});
after(async () => {
  await browser?.close();
  server?.close();
});

const stopServer = () =>
  new Promise((done) => {
    server.closeAllConnections();
    server.close(done);
  });

async function openSite(query = "?sim=tarsel", viewport = Laptop) {
  const page = await browser.newPage();
  const errors = [];
  page.on("pageerror", (error) => errors.push(error.message));
  await page.setViewport(viewport);
  await page.goto(`http://127.0.0.1:${port}/${query}`);
  await page.waitForSelector("body[data-ready]");
  return { page, errors };
}

async function readConfig(page) {
  await press(page, "Read Config");
  return (await statusUntil(page, (s) => !/^(Reading|Version Read)/.test(s) && s !== "")).at(-1);
}

test("The site installs, works with no network, and offers a new version without forcing it", async () => {
  const { page, errors } = await openSite();
  // Installed and in control of the page (it claims the page that made it).
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, { timeout: 20000 });
  const cdp = await page.createCDPSession();
  const { installabilityErrors } = await cdp.send("Page.getInstallabilityErrors");
  assert.deepEqual(installabilityErrors, []);
  const manifest = JSON.parse(readFileSync(join(dir, "manifest.webmanifest"), "utf8"));
  assert.equal(manifest.name, "Wrenbolt Config");
  assert.equal(manifest.display, "standalone");

  // No server and no network: the page opens from the cache and reads the
  // simulated beacon.
  await stopServer();
  await page.setOfflineMode(true);
  await page.reload();
  await page.waitForSelector("body[data-ready]");
  assert.equal(await readConfig(page), "Read Config Successful");
  assert.equal(await page.$eval("#app-update", (e) => e.hidden), true);

  // A new version: the page notices it and offers to reload, and does not
  // reload by itself; during a write the offer waits.
  writeFileSync(join(dir, "sw.js"), readFileSync(join(dir, "sw.js"), "utf8").replace(/wrenbolt-[0-9a-f]{16}/, "wrenbolt-0000000000000001"));
  server = await serve(dir, port);
  await page.setOfflineMode(false);
  await page.evaluate(() => {
    window.stillThisPage = true;
    return navigator.serviceWorker.getRegistration().then((r) => r.update());
  });
  await page.waitForSelector("#app-update:not([hidden])", { timeout: 20000 });
  await press(page, "Write Config");
  await statusUntil(page, (s) => s.startsWith("Writing Config"));
  assert.equal(await page.$eval("#app-update", (e) => e.disabled), true);
  await page.$eval("#app-update", (e) => e.click());
  assert.equal((await statusUntil(page, (s) => /Success|Fail|not/.test(s))).at(-1), "Config Written Successfully!");
  assert.equal(await page.evaluate(() => window.stillThisPage), true);
  assert.equal(await page.$eval("#app-update", (e) => e.disabled), false);

  // Pressed: the new version takes over and the page reloads into it.
  await Promise.all([page.waitForNavigation(), press(page, "Reload to update")]);
  await page.waitForSelector("body[data-ready]");
  assert.equal(await page.evaluate(() => window.stillThisPage), undefined);
  assert.deepEqual(await page.evaluate(() => caches.keys()), ["wrenbolt-0000000000000001"]);
  assert.deepEqual(errors, []);
  await page.close();
});

test("At phone size nothing scrolls sideways, targets are finger-sized, the status stays in sight and the tones read in lines", async () => {
  const { page, errors } = await openSite("?sim=tarsel", Phone);
  assert.equal(await readConfig(page), "Read Config Successful");
  const layout = await page.evaluate(() => {
    const visible = (e) => e.getClientRects().length > 0 && getComputedStyle(e).visibility !== "hidden";
    // A check box is reached through its label.
    const small = [...document.querySelectorAll("button, select, input[type=text], label")]
      .filter((e) => e.tagName !== "LABEL" || e.control?.type === "checkbox")
      .filter(visible)
      .filter((e) => e.getBoundingClientRect().height < 44)
      .map((e) => e.id || e.textContent);
    const tones = document.querySelector(".group-tone-sequence textarea");
    return {
      scrollWidth: document.documentElement.scrollWidth,
      small,
      toneWrap: getComputedStyle(tones).whiteSpace,
      toneFits: tones.scrollWidth <= tones.clientWidth,
    };
  });
  assert.equal(layout.scrollWidth, 390);
  assert.deepEqual(layout.small, []);
  assert.equal(layout.toneWrap, "pre");
  assert.ok(layout.toneFits, "a ten-entry tone line fits the box");
  await page.evaluate(() => window.scrollTo(0, document.body.scrollHeight));
  const status = await page.$eval("#status", (e) => e.getBoundingClientRect().toJSON());
  assert.ok(status.top >= 0 && status.bottom <= 844, `status at ${status.top}`);

  // The chart shows the form's tones, and follows an edit.
  const chart = () => page.$eval("#tone-chart", (e) => ({ tones: e.dataset.tones, bars: e.querySelectorAll("rect").length }));
  const text = await page.$eval(".group-tone-sequence textarea", (e) => e.value);
  const numbers = text.match(/\d+/g);
  assert.deepEqual(await chart(), { tones: numbers.join(" "), bars: numbers.length });
  await typeInto(page, "Tones", "3, 9, 27");
  assert.deepEqual(await chart(), { tones: "3 9 27", bars: 3 });
  assert.deepEqual(errors, []);
  await page.close();
});

test("axe-core finds no violations on the page, the Hunt plan panel and the truncation notice", async () => {
  for (const viewport of [Laptop, Phone]) {
    const { page, errors } = await openSite("?sim=fleet", viewport);
    await page.addScriptTag({ path: axePath });
    const violations = () =>
      page.evaluate(async () =>
        (await window.axe.run(document)).violations.map((v) => `${v.id}: ${v.nodes.map((n) => n.target.join(" ")).join(", ")}`),
      );
    assert.deepEqual(await violations(), [], `page at ${viewport.width}`);
    assert.equal(await readConfig(page), "Read Config Successful");
    await page.$eval("#plan-beacons", (e) => {
      e.value = "MOE\nMOI\nMOS";
    });
    await press(page, "Plan from form");
    await page.waitForSelector("#plan-check:not([hidden])");
    assert.deepEqual(await violations(), [], `plan panel at ${viewport.width}`);
    await typeInto(page, "Text", "A".repeat(61));
    await page.$eval("#save", (e) => e.click());
    await page.waitForSelector("dialog[open]");
    assert.deepEqual(await violations(), [], `truncation notice at ${viewport.width}`);
    assert.deepEqual(errors, []);
    await page.close();
  }
});
