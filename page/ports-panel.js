// The port chooser: the ports Web Serial granted, USB-serial adapters the
// page drives itself, and simulated beacons and fleets; and a port that
// goes away under an operation.
import { SimulatedPort } from "./sim-port.js";
import { sleep } from "./timers.js";
import { UsbPorts } from "./usb/transport.js";

const $ = (id) => document.getElementById(id);

export class PortsPanel {
  // isPlanRunning(): a hunt plan has the port (it waits for a lost one).
  constructor(core, link, isPlanRunning) {
    this.core = core;
    this.link = link;
    this.isPlanRunning = isPlanRunning;
    this.hasSerial = "serial" in navigator;
    // USB-serial adapters driven by the page itself (phones have no Web
    // Serial for them): they join the port list as ports of the same
    // interface.
    this.usbPorts = "usb" in navigator ? new UsbPorts(navigator.usb, (port, kind) => this.usbChanged(port, kind)) : null;
    this.grantedPorts = [];
    // The chosen port while it is unplugged: chosen again if it comes back.
    this.unplugged = undefined;
    this.retrying = false;
    // Simulated beacons by model (or fleet list), made on first use and
    // kept, so that what was written to one can be read back from it.
    this.simulated = new Map();
    // The simulated beacons' port choices: one of each model, and the
    // fleets the core offers besides any from the address (?sim=fleet=LIST).
    this.fleets = [...core.simNames.fleets];
    // Added to each port an operation opens: a listener, so bound once.
    this.portLost = (event) => this.onPortLost(event);

    $("choose-port").addEventListener("click", async () => {
      try {
        const port = await navigator.serial.requestPort();
        await this.refreshPorts();
        const i = this.grantedPorts.indexOf(port);
        this.listPorts(i >= 0 ? `port:${i}` : undefined);
      } catch (error) {
        // The user closed the chooser without picking a port.
        console.info(error);
      }
    });
    $("choose-usb").addEventListener("click", async () => {
      const port = await this.usbPorts.choose();
      if (!port) return;
      await this.refreshPorts();
      const i = this.grantedPorts.indexOf(port);
      this.listPorts(i >= 0 ? `port:${i}` : undefined);
    });
    if (this.hasSerial) {
      navigator.serial.addEventListener("connect", (event) => {
        this.portBack(event);
        this.refreshPorts();
      });
      navigator.serial.addEventListener("disconnect", (event) => {
        this.portLost(event);
        this.refreshPorts();
      });
    } else {
      $("choose-port").disabled = true;
    }
  }

  // The list, with the choice the page address makes: ?sim=MODEL, or
  // ?sim=fleet=LIST (a fleet as the simulator lists one; ?sim=fleet alone
  // is the first fleet offered), as the core reads it.
  async start() {
    const { prefix, fleet } = this.core.simNames;
    const simChoice = this.core.simChoice(new URLSearchParams(location.search).get("sim") ?? "") || undefined;
    if (simChoice?.startsWith(prefix + fleet)) {
      const list = simChoice.slice((prefix + fleet).length);
      if (!this.fleets.includes(list)) this.fleets.push(list);
    }
    await this.refreshPorts(simChoice);
  }

  fleetTitle(list) {
    return `Simulated fleet: ${list.split(",").map((m) => this.core.modelTitle(m)).join(", ")}`;
  }

  portLabel(port, index) {
    if (port.label) return port.label(index + 1);
    const info = port.getInfo ? port.getInfo() : {};
    const hex = (n) => n.toString(16).padStart(4, "0");
    return info.usbVendorId !== undefined
      ? `Serial port ${index + 1} (USB ${hex(info.usbVendorId)}:${hex(info.usbProductId ?? 0)})`
      : `Serial port ${index + 1}`;
  }

  listPorts(select) {
    const { prefix, fleet } = this.core.simNames;
    const chooser = $("port");
    chooser.replaceChildren();
    // First, and so chosen: a command then fails to open it, naming why.
    if (select === "" && this.unplugged) chooser.append(new Option("Unplugged adapter: choose a port", ""));
    this.grantedPorts.forEach((port, i) => chooser.append(new Option(this.portLabel(port, i), `port:${i}`)));
    for (const { name, title } of this.core.models) chooser.append(new Option(`Simulated ${title} beacon`, prefix + name));
    for (const list of this.fleets) chooser.append(new Option(this.fleetTitle(list), prefix + fleet + list));
    if (select) chooser.value = select;
  }

  // The granted port a value of the list names, if any.
  grantedPort(value) {
    return value.startsWith("port:") ? this.grantedPorts[Number(value.slice(5))] : undefined;
  }

  // The choice follows its port, not its place in the list, which an
  // adapter plugged in or out changes. When the chosen one goes, nothing
  // is chosen until it comes back: never the adapter that took its place.
  async refreshPorts(select) {
    const value = $("port").value;
    const chosen = this.grantedPort(value) ?? (value === "" ? this.unplugged : undefined);
    this.grantedPorts = [...(this.hasSerial ? await navigator.serial.getPorts() : []), ...((await this.usbPorts?.granted()) ?? [])];
    if (select === undefined && chosen) {
      const i = this.grantedPorts.indexOf(chosen);
      this.unplugged = i < 0 ? chosen : undefined;
      select = i < 0 ? "" : `port:${i}`;
    }
    this.listPorts(select ?? value);
  }

  // The port chosen; a hunt plan's run takes a simulated fleet afresh, with
  // all its beacons still to come, and its audit the same beacons again,
  // each holding what it held.
  async selectedPort(plan = false) {
    const { prefix, fleet } = this.core.simNames;
    const simulated = this.simulated;
    const value = $("port").value;
    const name = $("port").selectedOptions[0]?.textContent ?? value;
    if (value.startsWith(prefix + fleet)) {
      const key = value.slice(prefix.length);
      const list = key.slice(fleet.length);
      if (plan === "audit") {
        const images = simulated.get(key)?.fleetEeproms() ?? [];
        simulated.set(key, await SimulatedPort.createFleet(list, images));
      } else if (plan || !simulated.has(key)) {
        simulated.set(key, await SimulatedPort.createFleet(list));
      }
      return { port: simulated.get(key), name };
    }
    if (value.startsWith(prefix)) {
      const model = value.slice(prefix.length);
      if (!simulated.has(model)) simulated.set(model, await SimulatedPort.create(model));
      return { port: simulated.get(model), name };
    }
    return { port: this.grantedPort(value), name };
  }

  // A USB adapter plugged in or out: as Web Serial's connect and disconnect.
  usbChanged(port, kind) {
    if (kind === "connect") this.portBack({ target: port });
    this.refreshPorts();
  }

  // The port in use went away (the adapter was unplugged): the operation
  // runs out its ticks with nothing on the line and reports what it got.
  onPortLost(event) {
    const link = this.link;
    if (!link.port || event.target !== link.port || link.lost) return;
    link.markLost();
    $("port-note").textContent = "The serial port was disconnected.";
    if (this.isPlanRunning()) this.retryLostPort();
  }

  // A hunt plan waits for a port that went away, as the command line does:
  // it tries to open it again once a second, and at once when the same
  // adapter is plugged in again; the run goes on through it.
  async retryLostPort() {
    if (this.retrying) return;
    this.retrying = true;
    try {
      while (this.isPlanRunning() && this.link.lost) {
        await sleep(1000);
        if (this.isPlanRunning() && this.link.lost) await this.reopenLost();
      }
    } finally {
      this.retrying = false;
    }
  }

  async reopenLost(port) {
    if (await this.link.reopen(port)) $("port-note").textContent = "";
  }

  portBack(event) {
    const lost = this.link.last;
    if (!this.isPlanRunning() || !this.link.lost || !lost) return;
    const info = (port) => JSON.stringify(port.getInfo ? port.getInfo() : {});
    if (event.target !== lost && info(event.target) !== info(lost)) return;
    event.target.addEventListener("disconnect", this.portLost);
    this.reopenLost(event.target);
  }
}
