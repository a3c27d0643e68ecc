// A fake navigator.usb for the page tests, at the level of control and bulk
// transfers: one device per entry, each a USB-serial chip of one family
// whose far side is the page's simulated beacon. A chip passes bytes only
// once the page has set its line as that chip wants it (2400 baud, 8N1, no
// flow control, DTR and RTS up, and what the chip needs besides); until
// then the beacon hears nothing and says nothing. It records what the page
// did: requests, every byte written with its time and its transfer, the IN
// transfers waiting at once.
//
// Runs in the page before its scripts (page.evaluateOnNewDocument), so it
// is one self-contained function. devices: [{ chip, model, claimable }],
// chip one of ftdi, ftdi-h, ch34x, cp210x, pl2303, cdc, unknown.
export function injectUsb(devices) {
  const Baud = 2400;
  const near = (rate) => Math.abs(rate - Baud) / Baud < 0.01;
  const ok = { status: "ok" };
  const bytesOf = (data) => (data ? new Uint8Array(data.buffer ?? data, data.byteOffset ?? 0, data.byteLength) : new Uint8Array());
  const le32 = (b, at = 0) => b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (b[at + 3] << 24);
  // 8N1 as the CDC line coding (and the PL2303's) spells it.
  const lineCodingOk = (b) => b.length === 7 && le32(b) === Baud && b[4] === 0 && b[5] === 0 && b[6] === 8;
  // DTR and RTS bits 0 and 1, each written only with its enable bit (8, 9).
  const modemLines = (s, value) => {
    if (value & 0x100) s.dtr = Boolean(value & 1);
    if (value & 0x200) s.rts = Boolean(value & 2);
  };
  const bulk = (number, cls, inEp, outEp, packetSize) => ({
    interfaceNumber: number,
    alternate: {
      interfaceClass: cls,
      endpoints: [
        { endpointNumber: inEp, direction: "in", type: "bulk", packetSize },
        { endpointNumber: outEp, direction: "out", type: "bulk", packetSize },
      ],
    },
  });

  const ftdi = (bcd, channel, highSpeed) => ({
    vendorId: 0x0403, productId: highSpeed ? 0x6014 : 0x6001, bcd,
    interfaces: [bulk(0, 0xff, 1, 2, highSpeed ? 512 : 64)], data: 0, header: [0x01, 0x60],
    fresh: () => ({ rate: 0, data: false, flow: true, dtr: false, rts: false }),
    control(s, { requestType, recipient, request, value, index }) {
      if (requestType !== "vendor" || recipient !== "device") return false;
      // The channel in the index's low byte; for the rate the high byte.
      if (request === 3) {
        const high = channel ? index >> 8 : index;
        if (channel && (index & 0xff) !== channel) return false;
        const divisor = value | (high << 16);
        const eighths = [0, 4, 2, 1, 3, 5, 6, 7][(divisor >> 14) & 7];
        const base = divisor & 0x20000 ? 12e6 : 3e6;
        s.rate = base / ((divisor & 0x3fff) + eighths / 8);
        return true;
      }
      if ((index & 0xff) !== channel) return false;
      if (request === 0) Object.assign(s, this.fresh());
      else if (request === 4) s.data = value === 0x0008;
      else if (request === 2) s.flow = index >> 8 === 0;
      else if (request === 1) modemLines(s, value);
      else if (request !== 9) return false;
      return true;
    },
    ready: (s) => near(s.rate) && s.data && s.flow && s.dtr && s.rts,
  });

  const chips = {
    ftdi: () => ftdi(0x0600, 0, false),
    "ftdi-h": () => ftdi(0x0900, 1, true),
    ch34x: () => ({
      vendorId: 0x1a86, productId: 0x7523, bcd: 0x0254,
      interfaces: [bulk(0, 0xff, 2, 2, 32)], data: 0,
      fresh: () => ({ init: false, rate: 0, lcr: 0, dtr: false, rts: false }),
      controlIn(s, { requestType, request }) {
        return requestType === "vendor" && request === 0x5f ? [0x31, 0x00] : null;
      },
      control(s, { requestType, recipient, request, value, index }) {
        if (requestType !== "vendor" || recipient !== "device") return false;
        if (request === 0xa1) s.init = true;
        else if (request === 0x9a && value === 0x1312) {
          // Version 0x31 holds bytes for a full packet without bit 7.
          const ps = index & 3, fact = (index >> 2) & 1, div = 0x100 - ((index >> 8) & 0xff);
          s.rate = index & 0x80 ? 48e6 / ((1 << (12 - 3 * ps - fact)) * div) : 0;
        } else if (request === 0x9a && value === 0x2518) s.lcr = index & 0xff;
        else if (request === 0xa4) {
          s.dtr = !(value & 0x20);
          s.rts = !(value & 0x40);
        } else return false;
        return true;
      },
      ready: (s) => s.init && near(s.rate) && s.lcr === 0xc3 && s.dtr && s.rts,
    }),
    cp210x: () => ({
      vendorId: 0x10c4, productId: 0xea60, bcd: 0x0100,
      interfaces: [bulk(0, 0xff, 1, 1, 64)], data: 0,
      fresh: () => ({ enabled: false, rate: 0, line: false, flow: true, dtr: false, rts: false }),
      control(s, { requestType, recipient, request, value, index }, data) {
        if (requestType !== "vendor" || recipient !== "interface" || index !== 0) return false;
        const b = bytesOf(data);
        if (request === 0x00) s.enabled = value === 1;
        else if (request === 0x1e && b.length === 4) s.rate = le32(b);
        else if (request === 0x03) s.line = value === 0x0800;
        else if (request === 0x13 && b.length === 16) {
          const handshake = le32(b), replace = le32(b, 4);
          // No CTS/DSR/DCD handshake, DTR and RTS not driven by flow, no XON/XOFF.
          s.flow = (handshake & 0x38) === 0 && (handshake & 3) !== 2 && (replace & 0xc0) !== 0x80 && (replace & 3) === 0;
        } else if (request === 0x07) modemLines(s, value);
        else return false;
        return true;
      },
      // No data in either direction before the interface is enabled.
      ready: (s) => s.enabled && s.rate === Baud && s.line && s.flow && s.dtr && s.rts,
    }),
    pl2303: () => {
      const startUp = [
        ["r", 0x8484], ["w", 0x0404, 0], ["r", 0x8484], ["r", 0x8383], ["r", 0x8484], ["w", 0x0404, 1],
        ["r", 0x8484], ["r", 0x8383], ["w", 0x0000, 1], ["w", 0x0001, 0], ["w", 0x0002, 0x44],
      ];
      const vendorStep = (s, step) => {
        if (s.step >= startUp.length) return;
        if (JSON.stringify(step) === JSON.stringify(startUp[s.step])) s.step++;
        else s.step = -Infinity;
      };
      return {
        vendorId: 0x067b, productId: 0x2303, bcd: 0x0300,
        interfaces: [bulk(0, 0xff, 3, 2, 64)], data: 0,
        fresh: () => ({ step: 0, line: false, flow: true, dtr: false, rts: false }),
        controlIn(s, { requestType, request, value }) {
          if (requestType !== "vendor" || request !== 1) return null;
          vendorStep(s, ["r", value]);
          return [0x00];
        },
        control(s, { requestType, recipient, request, value, index }, data) {
          if (requestType === "vendor" && recipient === "device" && request === 1) {
            vendorStep(s, ["w", value, index]);
            if (value === 0 && s.step === startUp.length) s.flow = (index & 0xf0) === 0;
            return true;
          }
          if (requestType !== "class" || recipient !== "interface" || index !== 0) return false;
          // The line set before the start-up sequence is done is not taken.
          if (request === 0x20) s.line = s.step === startUp.length && lineCodingOk(bytesOf(data));
          else if (request === 0x22) {
            s.dtr = Boolean(value & 1);
            s.rts = Boolean(value & 2);
          } else return false;
          return true;
        },
        ready: (s) => s.step === startUp.length && s.line && s.flow && s.dtr && s.rts,
      };
    },
    cdc: () => ({
      vendorId: 0x1209, productId: 0x5a01, bcd: 0x0100,
      interfaces: [
        { interfaceNumber: 0, alternate: { interfaceClass: 2, endpoints: [{ endpointNumber: 3, direction: "in", type: "interrupt", packetSize: 8 }] } },
        bulk(1, 0x0a, 1, 1, 64),
      ],
      data: 1,
      fresh: () => ({ line: false, dtr: false, rts: false }),
      control(s, { requestType, recipient, request, value, index }, data) {
        if (requestType !== "class" || recipient !== "interface" || index !== 0) return false;
        if (request === 0x20) s.line = lineCodingOk(bytesOf(data));
        else if (request === 0x22) {
          s.dtr = Boolean(value & 1);
          s.rts = Boolean(value & 2);
        } else return false;
        return true;
      },
      ready: (s) => s.line && s.dtr && s.rts,
    }),
    // An FTDI part the page has no driver for (a two-channel FT2232H).
    unknown: () => ({ ...ftdi(0x0700, 1, true), productId: 0x6010 }),
  };

  const log = { devices: [], filters: null };
  window.__usb = log;
  const usb = new EventTarget();
  const made = devices.map((entry) => {
    const chip = chips[entry.chip]();
    const record = { chip: entry.chip, writes: [], requests: [], maxPendingIn: 0, statusOnly: 0, dropped: 0, beacon: null, state: null };
    log.devices.push(record);
    const configuration = { configurationValue: 1, interfaces: chip.interfaces };
    const gone = () => new DOMException("The device was disconnected.", "NotFoundError");
    let pending = [];
    let incoming = [];
    let claimed = new Set();
    let simWriter = null;
    let statusTimer = null;
    const device = {
      vendorId: chip.vendorId,
      productId: chip.productId,
      deviceClass: 0,
      deviceVersionMajor: chip.bcd >> 8,
      deviceVersionMinor: (chip.bcd >> 4) & 15,
      deviceVersionSubminor: chip.bcd & 15,
      productName: entry.chip,
      configurations: [configuration],
      configuration: null,
      opened: false,
      unplugged: false,
    };
    record.device = device;
    const live = () => {
      if (device.unplugged) throw gone();
    };
    const opened = () => {
      live();
      if (!device.opened) throw new DOMException("The device must be opened first.", "InvalidStateError");
    };
    const mustClaim = (number) => {
      if (!claimed.has(number)) throw new DOMException("The interface is not claimed.", "InvalidStateError");
    };
    const abortIns = (error) => {
      for (const { reject } of pending) reject(error);
      pending = [];
    };
    // Bytes to the transfers waiting, oldest first, a packet each; the
    // FTDI's packets start with its status, and it sends the status alone
    // every few milliseconds when it has nothing else.
    const deliver = () => {
      const header = chip.header ?? [];
      while (pending.length && incoming.length) {
        const { resolve, length } = pending.shift();
        const room = Math.min(length, chip.interfaces[chip.data].alternate.endpoints[0].packetSize) - header.length;
        const bytes = Uint8Array.from([...header, ...incoming.splice(0, room)]);
        resolve({ status: "ok", data: new DataView(bytes.buffer) });
      }
    };
    const statusOnly = () => {
      if (!pending.length || incoming.length) return;
      record.statusOnly++;
      const bytes = Uint8Array.from(chip.header);
      pending.shift().resolve({ status: "ok", data: new DataView(bytes.buffer) });
    };
    const beacon = async () => {
      if (record.beacon) return;
      const sim = await window.wrenbolt.SimulatedPort.create(entry.model ?? "tarsel");
      record.beacon = sim;
      await sim.open({ baudRate: Baud });
      simWriter = sim.writable.getWriter();
      (async () => {
        const reader = sim.readable.getReader();
        for (;;) {
          const { value, done } = await reader.read();
          if (done) return;
          if (device.opened && record.state && chip.ready(record.state)) {
            incoming.push(...value);
            deliver();
          } else record.dropped += value.length;
        }
      })();
    };

    device.open = async () => {
      live();
      await beacon();
      device.opened = true;
      // Each operation must set the line up itself.
      record.state = chip.fresh();
      if (chip.header) statusTimer = setInterval(statusOnly, 16);
    };
    device.close = async () => {
      live();
      device.opened = false;
      claimed = new Set();
      clearInterval(statusTimer);
      incoming = [];
      abortIns(new DOMException("The transfer was cancelled.", "AbortError"));
    };
    device.selectConfiguration = async (value) => {
      opened();
      if (value !== 1) throw new DOMException("Unknown configuration.", "NotFoundError");
      device.configuration = configuration;
    };
    device.claimInterface = async (number) => {
      opened();
      if (!device.configuration) throw new DOMException("No configuration selected.", "InvalidStateError");
      if (!chip.interfaces.some((i) => i.interfaceNumber === number)) throw new DOMException("No such interface.", "NotFoundError");
      if (entry.claimable === false) throw new DOMException("Unable to claim interface.", "NetworkError");
      claimed.add(number);
    };
    device.releaseInterface = async (number) => {
      opened();
      claimed.delete(number);
      if (number === chip.interfaces[chip.data].interfaceNumber) abortIns(new DOMException("The transfer was cancelled.", "AbortError"));
    };
    // A request the chip does not know, or sent where it does not go, stalls.
    const checkSetup = (setup) => {
      opened();
      if (setup.recipient === "interface") mustClaim(setup.index & 0xff);
      else mustClaim(chip.interfaces[0].interfaceNumber);
    };
    device.controlTransferOut = async (setup, data) => {
      checkSetup(setup);
      record.requests.push({ ...setup, data: [...bytesOf(data)] });
      return chip.control(record.state, setup, data) ? { ...ok, bytesWritten: data?.byteLength ?? 0 } : { status: "stall", bytesWritten: 0 };
    };
    device.controlTransferIn = async (setup, length) => {
      checkSetup(setup);
      record.requests.push({ ...setup, length });
      const reply = chip.controlIn?.(record.state, setup);
      if (!reply) return { status: "stall" };
      return { ...ok, data: new DataView(Uint8Array.from(reply.slice(0, length)).buffer) };
    };
    const endpoint = (direction, number) => {
      const found = chip.interfaces[chip.data].alternate.endpoints.find((e) => e.direction === direction);
      if (found.endpointNumber !== number) throw new DOMException("No such endpoint.", "NotFoundError");
      mustClaim(chip.interfaces[chip.data].interfaceNumber);
    };
    device.transferOut = async (number, data) => {
      opened();
      endpoint("out", number);
      const bytes = bytesOf(data);
      const now = performance.now();
      for (const byte of bytes) record.writes.push([now, byte, bytes.length]);
      if (chip.ready(record.state)) await simWriter.write(bytes.slice());
      else record.dropped += bytes.length;
      return { ...ok, bytesWritten: bytes.length };
    };
    device.transferIn = (number, length) =>
      new Promise((resolve, reject) => {
        opened();
        endpoint("in", number);
        pending.push({ resolve, reject, length });
        record.maxPendingIn = Math.max(record.maxPendingIn, pending.length);
        deliver();
      });
    device.clearHalt = async () => opened();
    // The adapter pulled out: transfers waiting fail, and the browser says so.
    device.unplug = () => {
      device.unplugged = true;
      device.opened = false;
      clearInterval(statusTimer);
      abortIns(gone());
      granted.splice(granted.indexOf(device), 1);
      const event = new Event("disconnect");
      event.device = device;
      usb.dispatchEvent(event);
    };
    return device;
  });

  // Like navigator.serial's fake: the last device is offered by the chooser,
  // the others were granted before.
  const granted = made.slice(0, -1);
  const matches = (device, filter) =>
    (filter.vendorId === undefined || filter.vendorId === device.vendorId) &&
    (filter.classCode === undefined || device.configurations[0].interfaces.some((i) => i.alternate.interfaceClass === filter.classCode));
  usb.requestDevice = async ({ filters }) => {
    log.filters = filters;
    const device = made.at(-1);
    if (!device || !filters.some((filter) => matches(device, filter))) throw new DOMException("No device selected.", "NotFoundError");
    if (!granted.includes(device)) granted.push(device);
    return device;
  };
  usb.getDevices = async () => granted.slice();
  log.unplug = (i) => made[i].unplug();
  Object.defineProperty(Navigator.prototype, "usb", { get: () => usb, configurable: true });
}
