// The device commands (Read Version, Read Config, Write Config) and who
// has the port: one operation at a time, a write or a hunt plan's whole
// run or audit until it ends.
import { runExchange } from "./exchange-loop.js";

const $ = (id) => document.getElementById(id);

export class DevicePanel {
  // onWait(): the port was taken or given back (other panels' buttons wait
  // too).
  constructor(core, link, form, view, ports, onWait) {
    this.core = core;
    this.link = link;
    this.view = view;
    this.ports = ports;
    this.onWait = onWait;
    this.running = false;
    this.planRunning = false;
    this.writing = false;
    $("read-version").addEventListener("click", () => this.command(() => core.readVersion()));
    $("read-config").addEventListener("click", () => this.command(() => core.readConfig()));
    $("write-config").addEventListener("click", () => {
      form.toCore();
      this.command(() => core.writeConfig($("backup").checked), true);
    });
    window.addEventListener("beforeunload", (event) => {
      if (this.writing) {
        event.preventDefault();
        event.returnValue = "";
      }
    });
  }

  // Opens the chosen port for one operation (or a hunt plan's whole run or
  // audit: plan "run" or "audit"), lets start() begin it and ticks the
  // machine until it is idle.
  async onPort(start, machine, onEvents, plan = false) {
    const { core, link } = this;
    this.running = true;
    this.planRunning = plan !== false;
    this.writing = this.writing || plan !== false;
    this.wait();
    try {
      const { port, name } = await this.ports.selectedPort(plan);
      $("port-note").textContent = "";
      if (port) {
        port.addEventListener("disconnect", this.ports.portLost);
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
      this.running = false;
      this.planRunning = false;
      this.writing = false;
      this.wait();
    }
  }

  // For a hunt plan's run or audit (kind "run" or "audit"): false when an
  // operation has the port and it did not start.
  async runOnPort(start, machine, onEvents, kind = "run") {
    if (this.running) return false;
    await this.onPort(start, machine, onEvents, kind);
    return true;
  }

  // The device commands wait while a write (its backup read included) or a
  // hunt plan has the port, so that no press cuts a write short; the plan's
  // buttons wait during a write too. Why they wait is shown beside them.
  wait() {
    const reason = this.planRunning
      ? "The hunt plan has the port: the device commands wait until it ends."
      : this.writing
        ? "Write Config is under way: the device commands wait until it ends."
        : "";
    for (const id of ["read-version", "read-config", "write-config"]) $(id).disabled = reason !== "";
    // The port stays chosen while any operation has it: a press during a
    // read starts over on the port already open, whatever the list shows.
    for (const id of ["port", "choose-port", "choose-usb"]) $(id).disabled = reason !== "" || this.running;
    if (!this.ports.hasSerial) $("choose-port").disabled = true;
    $("device-wait").textContent = reason;
    this.onWait();
  }

  async command(start, write = false) {
    // A write or a hunt plan has the port until it ends (or is stopped).
    if (this.planRunning || this.writing) return;
    if (write) {
      this.writing = true;
      this.wait();
    }
    if (this.running) {
      // As in the dialog, a read during a read starts it over.
      this.view.handle(start());
      return;
    }
    try {
      await this.onPort(start, this.core, (events) => this.view.handle(events));
    } finally {
      this.view.showStatus();
    }
  }
}
