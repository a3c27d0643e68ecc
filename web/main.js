// The page: the dialog's commands over the core, a port chooser over Web
// Serial (or a simulated beacon), the status line, and what a browser adds
// (stored values, pending changes, backups, files without a beacon).
import { Core, ShowForm, BackupReady, Truncated } from "./core.js";
import { SettingsForm, oneLine } from "./form.js";
import { SerialLink } from "./serial-link.js";
import { runExchange } from "./exchange-loop.js";
import { SimulatedPort } from "./sim-port.js";
import { download, chooseFile } from "./files.js";

const $ = (id) => document.getElementById(id);

const core = await Core.load();
const link = new SerialLink(core);
const hasSerial = "serial" in navigator;
const form = new SettingsForm(core, $("settings"), refreshViews);
let running = false;
let writing = false;
let grantedPorts = [];

// Simulated beacons by model, made on first use and kept, so that what was
// written to one can be read back from it.
const simulated = new Map();

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
    const show = (v) => (input?.type === "checkbox" ? (v === "1" ? "on" : "off") : oneLine(v, input?.dataset.key));
    item.textContent = `${form.label(id)}: ${show(from)} → ${show(to)}`;
    list.append(item);
  }
}

function handle(events) {
  if (events & ShowForm) {
    form.fromCore();
    showModel();
  }
  if (events & BackupReady) download(core.backupFile(), "backup.wb1");
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
  chooser.append(new Option("Simulated Basic beacon", "sim:basic"));
  chooser.append(new Option("Simulated Tarsel beacon", "sim:tarsel"));
  if (select) chooser.value = select;
}

async function refreshPorts(select) {
  grantedPorts = hasSerial ? await navigator.serial.getPorts() : [];
  listPorts(select ?? $("port").value);
}

async function selectedPort() {
  const value = $("port").value;
  const name = $("port").selectedOptions[0]?.textContent ?? value;
  if (value.startsWith("sim:")) {
    const model = value.slice(4);
    if (!simulated.has(model)) simulated.set(model, await SimulatedPort.create(model));
    return { port: simulated.get(model), name };
  }
  const port = grantedPorts[Number(value.slice(5))];
  return { port, name };
}

// --- device commands -----------------------------------------------------

async function deviceCommand(start) {
  if (running) {
    // As in the dialog, a command during an exchange starts it over.
    handle(start());
    return;
  }
  running = true;
  try {
    const { port, name } = await selectedPort();
    $("port-note").textContent = "";
    if (port) {
      port.addEventListener("disconnect", portLost);
      await link.open(port, name);
    } else {
      core.attachPort(false, name);
    }
    handle(start());
    await runExchange(core, link, handle);
  } finally {
    await link.close();
    running = false;
    writing = false;
    showStatus();
  }
}

$("read-version").addEventListener("click", () => deviceCommand(() => core.readVersion()));
$("read-config").addEventListener("click", () => deviceCommand(() => core.readConfig()));
$("write-config").addEventListener("click", () => {
  form.toCore();
  writing = true;
  deviceCommand(() => core.writeConfig($("backup").checked));
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

// --- files ---------------------------------------------------------------

$("save").addEventListener("click", () => {
  form.toCore();
  handle(core.save());
  const bytes = core.savedFile();
  if (bytes.length) download(bytes, "config1.wb1");
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
  download(new TextEncoder().encode(core.exportJson()), "config1.json", "application/json");
  handle(ShowForm);
});

$("import-json").addEventListener("click", async () => {
  const bytes = await chooseFile($("import-file"));
  if (bytes === null) return;
  form.toCore();
  const refused = core.importJson(bytes);
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
}

if (hasSerial) {
  navigator.serial.addEventListener("connect", () => refreshPorts());
  navigator.serial.addEventListener("disconnect", (event) => {
    portLost(event);
    refreshPorts();
  });
} else {
  $("no-serial").hidden = false;
  $("choose-port").disabled = true;
}

const sim = new URLSearchParams(location.search).get("sim");
await refreshPorts(sim === "basic" || sim === "tarsel" ? `sim:${sim}` : undefined);
form.fromCore();
showModel();
refreshViews();
document.body.dataset.ready = "true";
window.wrenboltReadyMs = performance.now();

// For tests and benchmarks: the simulated beacons behind the page's ports.
window.wrenbolt = { simulated, SimulatedPort };
