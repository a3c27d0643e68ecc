// USB-serial adapters over WebUSB, for browsers with no serial port of their
// own (Chrome on a phone). A chosen adapter becomes an object with the Web
// Serial port interface (open with line settings, readable and writable
// streams, close, a "disconnect" event), so that the page drives it by the
// very code that drives a Web Serial port. The chip's own requests are in
// one driver file per chip family; this file opens the device, hands the
// driver a small set of control and claim calls, and moves the bytes.
import { CdcAcmDriver } from "./cdc-acm.js";
import { FtdiDriver } from "./ftdi.js";
import { Ch34xDriver } from "./ch34x.js";
import { Cp210xDriver } from "./cp210x.js";
import { Pl2303Driver } from "./pl2303.js";
import { openPortStreams } from "../port-streams.js";

// Vendor drivers first: a vendor chip may also carry a CDC interface.
const UsbDrivers = [FtdiDriver, Ch34xDriver, Cp210xDriver, Pl2303Driver, CdcAcmDriver];

// What the chooser offers: the vendors of the common chips, and any device
// with a CDC communications interface.
export const UsbFilters = [
  { vendorId: 0x0403 },
  { vendorId: 0x1a86 },
  { vendorId: 0x10c4 },
  { vendorId: 0x067b },
  { classCode: 2 },
];

// IN transfers kept waiting at once: with only one, bytes that come between
// two transfers are lost on some phones.
const UsbQueuedReads = 4;

export const UsbWords = {
  claim:
    "This USB device is in use by the computer's own driver. On a computer, use Choose Port to reach it as a serial port.",
  unknown:
    "This USB device is not a serial adapter the page knows (FTDI, CH340/CH341, CP210x, PL2303 or CDC-ACM).",
  setup: "The USB serial adapter refused its line settings.",
  open: "The USB device could not be opened.",
};

// A failure with the words the page shows for it.
class UsbSerialError extends Error {
  constructor(kind, cause) {
    super(UsbWords[kind]);
    this.name = "UsbSerialError";
    this.kind = kind;
    this.cause = cause;
  }
}

function usbDriverFor(device) {
  return UsbDrivers.find((driver) => driver.matches(device)) ?? null;
}

// The calls a driver makes on the device: claims and control transfers that
// fail as a refused line setup, and the bulk endpoints of an interface.
function usbControls(device) {
  const setup = (requestType, recipient, request, value, index) => ({ requestType, recipient, request, value, index });
  const checked = (result) => {
    if (result.status !== "ok") throw new UsbSerialError("setup", new Error(`control transfer ${result.status}`));
    return result;
  };
  return {
    device,
    async claim(number) {
      try {
        await device.claimInterface(number);
      } catch (error) {
        throw new UsbSerialError("claim", error);
      }
    },
    async out(requestType, recipient, request, value, index, data) {
      const args = [setup(requestType, recipient, request, value, index)];
      if (data) args.push(data);
      try {
        return checked(await device.controlTransferOut(...args));
      } catch (error) {
        throw error instanceof UsbSerialError ? error : new UsbSerialError("setup", error);
      }
    },
    async in(requestType, recipient, request, value, index, length) {
      try {
        return new Uint8Array(checked(await device.controlTransferIn(setup(requestType, recipient, request, value, index), length)).data.buffer);
      } catch (error) {
        throw error instanceof UsbSerialError ? error : new UsbSerialError("setup", error);
      }
    },
    interfaces() {
      return device.configuration?.interfaces ?? [];
    },
    // The bulk IN and OUT endpoints of interface `number`.
    bulk(number) {
      const found = this.interfaces().find((i) => i.interfaceNumber === number);
      const endpoints = (found?.alternate ?? found?.alternates?.[0])?.endpoints ?? [];
      const pick = (direction) => endpoints.find((e) => e.type === "bulk" && e.direction === direction);
      const ends = { in: pick("in"), out: pick("out") };
      if (!ends.in || !ends.out) throw new UsbSerialError("unknown", new Error(`interface ${number} has no bulk endpoints`));
      return ends;
    },
  };
}

function usbHex(n) {
  return n.toString(16).padStart(4, "0");
}

export class UsbSerialPort extends EventTarget {
  constructor(device) {
    super();
    this.device = device;
    this.driver = usbDriverFor(device);
    this.readable = null;
    this.writable = null;
    this.controller = null;
    this.session = null;
    this.gone = false;
    // The words of the last open that failed, for the page to show.
    this.failure = "";
  }

  getInfo() {
    return { usbVendorId: this.device.vendorId, usbProductId: this.device.productId };
  }

  // The port selector's name for it.
  label(number) {
    const chip = this.driver?.title(this.device) ?? "unknown chip";
    return `USB adapter ${number} (${chip}, ${usbHex(this.device.vendorId)}:${usbHex(this.device.productId)})`;
  }

  async open(options) {
    if (this.readable) throw new DOMException("The port is already open.", "InvalidStateError");
    this.failure = "";
    try {
      if (!this.driver) throw new UsbSerialError("unknown");
      await this.start(options);
    } catch (error) {
      const failure = error instanceof UsbSerialError ? error : new UsbSerialError("open", error);
      this.failure = failure.message;
      await this.shutDevice();
      throw failure;
    }
  }

  async start(options) {
    const device = this.device;
    try {
      await device.open();
      if (device.configuration === null) await device.selectConfiguration(1);
    } catch (error) {
      throw new UsbSerialError("open", error);
    }
    const controls = usbControls(device);
    // The driver claims its interfaces, sets the line and says where the
    // bytes go: { interfaces, in, out, unpack?, stop? }.
    const session = await this.driver.setup(controls, options);
    this.session = session;
    this.gone = false;
    this.reading = true;
    openPortStreams(this, (chunk) => this.send(chunk));
    this.pumping = this.pumpIn(session);
  }

  async send(chunk) {
    const result = await this.device.transferOut(this.session.out.endpointNumber, chunk);
    if (result.status !== "ok") {
      if (result.status === "stall") await this.device.clearHalt("out", this.session.out.endpointNumber).catch(() => {});
      throw new DOMException(`USB write ${result.status}`, "NetworkError");
    }
  }

  // Keeps several IN transfers waiting and hands the bytes of each, in
  // order, to the reader. A lost device ends the stream with an error.
  async pumpIn(session) {
    const { endpointNumber, packetSize } = session.in;
    const queue = [];
    const submit = () =>
      queue.push(
        this.device.transferIn(endpointNumber, packetSize).then(
          (result) => ({ result }),
          (error) => ({ error }),
        ),
      );
    for (let i = 0; i < UsbQueuedReads; i++) submit();
    while (this.reading) {
      const { result, error } = await queue.shift();
      if (!this.reading) break;
      if (error) {
        this.fail(error);
        break;
      }
      if (result.status === "stall") {
        await this.device.clearHalt("in", endpointNumber).catch(() => {});
      } else if (result.data?.byteLength) {
        const raw = new Uint8Array(result.data.buffer, result.data.byteOffset, result.data.byteLength);
        const bytes = session.unpack ? session.unpack(raw, packetSize) : raw.slice();
        if (bytes.length) this.controller?.enqueue(bytes);
      }
      submit();
    }
    // Transfers still waiting end with the interface's release.
    await Promise.allSettled(queue);
  }

  fail(error) {
    this.reading = false;
    try {
      this.controller?.error(error);
    } catch {}
    this.controller = null;
    this.readable = null;
    this.writable = null;
  }

  // The adapter was unplugged: the streams end, and the page hears it as a
  // Web Serial port's "disconnect".
  unplugged() {
    this.gone = true;
    if (this.readable) this.fail(new DOMException("The device was disconnected.", "NetworkError"));
    this.dispatchEvent(new Event("disconnect"));
  }

  async close() {
    if (!this.session) throw new DOMException("The port is already closed.", "InvalidStateError");
    if (this.readable?.locked || this.writable?.locked) throw new TypeError("The port's streams are locked.");
    const session = this.session;
    this.session = null;
    this.reading = false;
    this.controller = null;
    this.readable = null;
    this.writable = null;
    if (!this.gone) {
      try {
        await session.stop?.();
      } catch (error) {
        console.warn("USB adapter stop failed", error);
      }
    }
    await this.shutDevice(session.interfaces);
    await this.pumping;
  }

  // Releases what was claimed and closes the device; a device already gone
  // has nothing left to release.
  async shutDevice(interfaces = []) {
    if (!this.device.opened) return;
    for (const number of interfaces) await this.device.releaseInterface(number).catch(() => {});
    await this.device.close().catch(() => {});
  }
}

// The adapters the page may use: those granted before, and any chosen now.
// One port object per device, so that an operation and its "disconnect"
// name the same object; onChange hears a device plugged in (with its new
// port) or out.
export class UsbPorts {
  constructor(usb, onChange) {
    this.usb = usb;
    this.ports = new Map();
    usb.addEventListener("connect", (event) => onChange(this.portOf(event.device), "connect"));
    usb.addEventListener("disconnect", (event) => {
      const port = this.ports.get(event.device);
      this.ports.delete(event.device);
      port?.unplugged();
      onChange(port, "disconnect");
    });
  }

  portOf(device) {
    if (!this.ports.has(device)) this.ports.set(device, new UsbSerialPort(device));
    return this.ports.get(device);
  }

  async granted() {
    return (await this.usb.getDevices()).map((device) => this.portOf(device));
  }

  // The browser's chooser; null if it was closed without a choice.
  async choose() {
    try {
      return this.portOf(await this.usb.requestDevice({ filters: UsbFilters }));
    } catch (error) {
      console.info(error);
      return null;
    }
  }
}
