// The page: one panel a file, wired here over the core. The status line
// and the form are shared (page-view.js); each panel keeps its own state.
import { Core } from "./core.js";
import { SettingsForm } from "./form.js";
import { SerialLink } from "./serial-link.js";
import { SimulatedPort } from "./sim-port.js";
import { PlanPanel } from "./plan-panel.js";
import { AppUpdates } from "./app-update.js";
import { ToneChart } from "./tone-chart.js";
import { PageView } from "./page-view.js";
import { PortsPanel } from "./ports-panel.js";
import { DevicePanel } from "./device-panel.js";
import { FilesPanel } from "./files-panel.js";
import { setClockSource } from "./hunt-clock.js";

const $ = (id) => document.getElementById(id);

// What the browser can reach is shown before the core loads, so that the
// page does not move when it is ready.
const hasSerial = "serial" in navigator;
const hasUsb = "usb" in navigator;
$("no-serial").hidden = hasSerial;
$("choose-usb").hidden = !hasUsb;
if (!hasSerial && hasUsb) $("no-serial").append(" Choose USB Device reaches a USB-serial adapter all the same.");

const core = await Core.load();
// A port lost without its "disconnect" (a read or write failed) is lost all
// the same.
const link = new SerialLink(core, (port) => ports.portLost({ target: port }));
let device = null;
let planPanel = null;
const ports = new PortsPanel(core, link, () => device.planRunning);
const form = new SettingsForm(core, $("settings"), () => view.refreshViews());
const view = new PageView(core, form, () => device.running);
const updates = new AppUpdates($("app-update"), () => device.writing || device.planRunning);
device = new DevicePanel(core, link, form, view, ports, () => {
  planPanel?.setPortBusy(device.writing && !device.planRunning);
  updates.refresh();
});
new FilesPanel(core, form, view);

// The status line stays on top while the page scrolls: whatever scrolls a
// field into view (focus, find in page) stops below it, however many lines
// the header takes (style.css: scroll-padding-top).
const header = document.querySelector("header");
new ResizeObserver(() => {
  document.documentElement.style.setProperty("--header-height", `${header.offsetHeight}px`);
}).observe(header);

await ports.start();
planPanel = new PlanPanel(core, form, (...args) => device.runOnPort(...args));
view.toneChart = new ToneChart(core, form, $("tone-chart"));
form.fromCore();
view.showModel();
view.refreshViews();
// The device commands wait (disabled in the page's markup) until now.
device.wait();
document.body.dataset.ready = "true";
window.wrenboltReadyMs = performance.now();

// For tests and benchmarks: the simulated beacons behind the page's ports,
// and the hunt clock's time source.
window.wrenbolt = { simulated: ports.simulated, SimulatedPort, setClockSource };
