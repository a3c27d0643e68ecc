// The page: the dialog's commands over the core, a port chooser over Web
// Serial (or a simulated beacon), the status line, and what a browser adds
// (stored values, pending changes, backups, files without a beacon).
import { Core, ShowForm, BackupReady, Truncated } from "./core.js";
import { SettingsForm, oneLine } from "./form.js";
import { SerialLink } from "./serial-link.js";
import { runExchange } from "./exchange-loop.js";
import { SimulatedPort } from "./sim-port.js";
import { download, chooseFile } from "./files.js";
import { PlanPanel } from "./plan-panel.js";
import { sleep } from "./timers.js";
import { AppUpdates } from "./app-update.js";
import { jsonInputProblem } from "./input-limits.js";
import { ToneChart } from "./tone-chart.js";
import { UsbPorts } from "./usb/transport.js";

const $ = (id) => document.getElementById(id);

// What the browser can reach is shown before the core loads, so that the
// page does not move when it is ready.
const hasSerial = "serial" in navigator;
const hasUsb = "usb" in navigator;
$("no-serial").hidden = hasSerial;
$("choose-usb").hidden = !hasUsb;
if (!hasSerial && hasUsb) $("no-serial").append(" Choose USB Device reaches a USB-serial adapter all the same.");

const core = await Core.load();
const link = new SerialLink(core, (port) => portLost({ target: port }));
// USB-serial adapters driven by the page itself (phones have no Web Serial
// for them): they join the port list as ports of the same interface.
const usbPorts = hasUsb ? new UsbPorts(navigator.usb, usbChanged) : null;
const form = new SettingsForm(core, $("settings"), refreshViews);
let running = false;
let planRunning = false;
let writing = false;
let grantedPorts = [];
let planPanel = null;
let toneChart = null;
const updates = new AppUpdates($("app-update"), () => writing || planRunning);

// Simulated beacons by model (or fleet list), made on first use and kept,
// so that what was written to one can be read back from it.
const simulated = new Map();
// The simulated beacons' port choices: one of each model, and the fleets
// the core offers besides any from the address (?sim=fleet=LIST).
const { prefix: SimPrefix, fleet: SimFleet } = core.simNames;
const fleets = [...core.simNames.fleets];
const files = core.fileNames;
const fleetTitle = (list) => `Simulated fleet: ${list.split(",").map((m) => core.modelTitle(m)).join(", ")}`;

// The status line stays on top while the page scrolls: whatever scrolls a
// field into view (focus, find in page) stops below it, however many lines
// the header takes (style.css: scroll-padding-top).
const header = document.querySelector("header");
new ResizeObserver(() => {
  document.documentElement.style.setProperty("--header-height", `${header.offsetHeight}px`);
}).observe(header);

function showStatus() {
  $("status").textContent = core.status();
  // The typed outcome colours the line; the text is the core's alone.
  $("status").dataset.outcome = running ? "" : core.outcome();
}

function showModel() {
  $("model").value = String(core.model());
}

function refreshViews() {
  form.toCore();
  form.showStoredValues();
  showChanges();
  toneChart?.draw();
}

function showChanges() {
  const list = $("changes-list");
  const note = $("changes-note");
  const changes = core.pendingChanges();
  list.replaceChildren();
  if (changes === null) {
    note.textContent = "Read Config to compare the form with the beacon.";
    return;
  }
  note.textContent = changes.length ? "Write Config will change:" : "The beacon holds what the form shows.";
  for (const { id, from, to } of changes) {
    const item = document.createElement("li");
    const input = form.inputs.get(id);
    const show = (v) => (input?.type === "checkbox" ? core.flagText(v) : oneLine(v, input?.dataset.key));
    item.textContent = `${form.label(id)}: ${show(from)} → ${show(to)}`;
    list.append(item);
  }
}

function handle(events) {
  if (events & ShowForm) {
    form.fromCore();
    showModel();
  }
  if (events & BackupReady) download(core.backupFile(), files.backup);
  if (events & Truncated) showNotice();
  showStatus();
  refreshViews();
}

function showNotice() {
  $("notice-caption").textContent = core.noticeCaption();
  $("notice-text").textContent = core.noticeText();
  $("notice").showModal();
}

// --- ports ---------------------------------------------------------------

function portLabel(port, index) {
  if (port.label) return port.label(index + 1);
  const info = port.getInfo ? port.getInfo() : {};
  const hex = (n) => n.toString(16).padStart(4, "0");
  return info.usbVendorId !== undefined
    ? `Serial port ${index + 1} (USB ${hex(info.usbVendorId)}:${hex(info.usbProductId ?? 0)})`
    : `Serial port ${index + 1}`;
}

function listPorts(select) {
  const chooser = $("port");
  chooser.replaceChildren();
  grantedPorts.forEach((port, i) => chooser.append(new Option(portLabel(port, i), `port:${i}`)));
  for (const { name, title } of core.models) chooser.append(new Option(`Simulated ${title} beacon`, SimPrefix + name));
  for (const list of fleets) chooser.append(new Option(fleetTitle(list), SimPrefix + SimFleet + list));
  if (select) chooser.value = select;
}

async function refreshPorts(select) {
  grantedPorts = [...(hasSerial ? await navigator.serial.getPorts() : []), ...((await usbPorts?.granted()) ?? [])];
  listPorts(select ?? $("port").value);
}

// The port chosen; a hunt plan's run takes a simulated fleet afresh, with
// all its beacons still to come, and its audit the same beacons again, each
// holding what it held.
async function selectedPort(plan = false) {
  const value = $("port").value;
  const name = $("port").selectedOptions[0]?.textContent ?? value;
  if (value.startsWith(SimPrefix + SimFleet)) {
    const key = value.slice(SimPrefix.length);
    const list = key.slice(SimFleet.length);
    if (plan === "audit") {
      const images = simulated.get(key)?.fleetEeproms() ?? [];
      simulated.set(key, await SimulatedPort.createFleet(list, images));
    } else if (plan || !simulated.has(key)) {
      simulated.set(key, await SimulatedPort.createFleet(list));
    }
    return { port: simulated.get(key), name };
  }
  if (value.startsWith(SimPrefix)) {
    const model = value.slice(SimPrefix.length);
    if (!simulated.has(model)) simulated.set(model, await SimulatedPort.create(model));
    return { port: simulated.get(model), name };
  }
  const port = grantedPorts[Number(value.slice(5))];
  return { port, name };
}

// --- device commands -----------------------------------------------------

// Opens the chosen port for one operation (or a hunt plan's whole run or
// audit: plan "run" or "audit"), lets start() begin it and ticks the
// machine until it is idle.
async function onPort(start, machine, onEvents, plan = false) {
  running = true;
  planRunning = plan !== false;
  writing = writing || plan !== false;
  devicePanel();
  try {
    const { port, name } = await selectedPort(plan);
    $("port-note").textContent = "";
    if (port) {
      port.addEventListener("disconnect", portLost);
      // A USB adapter that would not open says why.
      if (!(await link.open(port, name)) && port.failure) $("port-note").textContent = port.failure;
    } else {
      core.attachPort(false, name);
    }
    onEvents(start());
    await runExchange(core, link, onEvents, machine);
  } finally {
    await link.close();
    if (plan === false && core.lostPortText()) $("port-note").textContent = core.lostPortText();
    running = false;
    planRunning = false;
    writing = false;
    devicePanel();
  }
}

// The device commands wait while a write (its backup read included) or a
// hunt plan has the port, so that no press cuts a write short; the plan's
// buttons wait during a write too. Why they wait is shown beside them.
function devicePanel() {
  const reason = planRunning
    ? "The hunt plan has the port: the device commands wait until it ends."
    : writing
      ? "Write Config is under way: the device commands wait until it ends."
      : "";
  for (const id of ["read-version", "read-config", "write-config", "port", "choose-port", "choose-usb"]) $(id).disabled = reason !== "";
  if (!hasSerial) $("choose-port").disabled = true;
  $("device-wait").textContent = reason;
  planPanel?.setPortBusy(writing && !planRunning);
  updates.refresh();
}

async function deviceCommand(start, write = false) {
  // A write or a hunt plan has the port until it ends (or is stopped).
  if (planRunning || writing) return;
  if (write) {
    writing = true;
    devicePanel();
  }
  if (running) {
    // As in the dialog, a read during a read starts it over.
    handle(start());
    return;
  }
  try {
    await onPort(start, core, handle);
  } finally {
    showStatus();
  }
}

$("read-version").addEventListener("click", () => deviceCommand(() => core.readVersion()));
$("read-config").addEventListener("click", () => deviceCommand(() => core.readConfig()));
$("write-config").addEventListener("click", () => {
  form.toCore();
  deviceCommand(() => core.writeConfig($("backup").checked), true);
});

$("choose-port").addEventListener("click", async () => {
  try {
    const port = await navigator.serial.requestPort();
    await refreshPorts();
    const i = grantedPorts.indexOf(port);
    listPorts(i >= 0 ? `port:${i}` : undefined);
  } catch (error) {
    // The user closed the chooser without picking a port.
    console.info(error);
  }
});

$("choose-usb").addEventListener("click", async () => {
  const port = await usbPorts.choose();
  if (!port) return;
  await refreshPorts();
  const i = grantedPorts.indexOf(port);
  listPorts(i >= 0 ? `port:${i}` : undefined);
});

// A USB adapter plugged in or out: as Web Serial's connect and disconnect.
function usbChanged(port, kind) {
  if (kind === "connect") portBack({ target: port });
  refreshPorts();
}

// --- files ---------------------------------------------------------------

$("save").addEventListener("click", () => {
  form.toCore();
  handle(core.save());
  const bytes = core.savedFile();
  if (bytes.length) download(bytes, files.save);
});

$("load").addEventListener("click", async () => {
  const bytes = await chooseFile($("load-file"));
  if (bytes === null) return;
  handle(core.load(bytes));
});

// JSON in the command line's record format: what its --json prints and
// its --config takes.
$("export-json").addEventListener("click", () => {
  form.toCore();
  download(new TextEncoder().encode(core.exportJson()), files.json, "application/json");
  handle(ShowForm);
});

$("import-json").addEventListener("click", async () => {
  const bytes = await chooseFile($("import-file"));
  if (bytes === null) return;
  form.toCore();
  // Sized and nested as the core can take, before it parses anything.
  const problem = jsonInputProblem(bytes);
  const refused = problem ? `the file ${problem}` : core.importJson(bytes);
  $("json-note").textContent = refused ? `Not imported: ${refused}` : "";
  handle(ShowForm);
});

$("model").addEventListener("change", () => {
  form.toCore();
  handle(core.chooseModel(Number($("model").value)));
});

$("no-limit").addEventListener("change", () => {
  core.setNoLimit($("no-limit").checked);
  refreshViews();
});

$("notice-ok").addEventListener("click", () => $("notice").close());

window.addEventListener("beforeunload", (event) => {
  if (writing) {
    event.preventDefault();
    event.returnValue = "";
  }
});

// --- start ---------------------------------------------------------------

// The port in use went away (the adapter was unplugged): the operation
// runs out its ticks with nothing on the line and reports what it got.
function portLost(event) {
  if (!link.port || event.target !== link.port || link.lost) return;
  link.markLost();
  $("port-note").textContent = "The serial port was disconnected.";
  if (planRunning) retryLostPort();
}

// A hunt plan waits for a port that went away, as the command line does:
// it tries to open it again once a second, and at once when the same
// adapter is plugged in again; the run goes on through it.
let retrying = false;
async function retryLostPort() {
  if (retrying) return;
  retrying = true;
  try {
    while (planRunning && link.lost) {
      await sleep(1000);
      if (planRunning && link.lost) await reopenLost();
    }
  } finally {
    retrying = false;
  }
}

async function reopenLost(port) {
  if (await link.reopen(port)) $("port-note").textContent = "";
}

function portBack(event) {
  const lost = link.last;
  if (!planRunning || !link.lost || !lost) return;
  const info = (port) => JSON.stringify(port.getInfo ? port.getInfo() : {});
  if (event.target !== lost && info(event.target) !== info(lost)) return;
  event.target.addEventListener("disconnect", portLost);
  reopenLost(event.target);
}

if (hasSerial) {
  navigator.serial.addEventListener("connect", (event) => {
    portBack(event);
    refreshPorts();
  });
  navigator.serial.addEventListener("disconnect", (event) => {
    portLost(event);
    refreshPorts();
  });
} else {
  $("choose-port").disabled = true;
}

// ?sim=MODEL, or ?sim=fleet=LIST (a fleet as the simulator lists one;
// ?sim=fleet alone is the first fleet offered), as the core reads it.
const simChoice = core.simChoice(new URLSearchParams(location.search).get("sim") ?? "") || undefined;
if (simChoice?.startsWith(SimPrefix + SimFleet)) {
  const list = simChoice.slice((SimPrefix + SimFleet).length);
  if (!fleets.includes(list)) fleets.push(list);
}
// The Model selector and the file choosers, from the core.
for (const { code, title } of core.models) $("model").append(new Option(title, String(code)));
for (const id of ["load-file", "plan-base-file"]) $(id).accept = files.configExtension;
await refreshPorts(simChoice);
planPanel = new PlanPanel(core, form, async (start, machine, onEvents, kind = "run") => {
  if (running) return false;
  await onPort(start, machine, onEvents, kind);
  return true;
});
toneChart = new ToneChart(core, form, $("tone-chart"));
form.fromCore();
showModel();
refreshViews();
// The device commands wait (disabled in the page's markup) until now.
devicePanel();
document.body.dataset.ready = "true";
window.wrenboltReadyMs = performance.now();

// For tests and benchmarks: the simulated beacons behind the page's ports.
window.wrenbolt = { simulated, SimulatedPort };
