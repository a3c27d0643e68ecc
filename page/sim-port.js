// A simulated beacon behind the Web Serial port interface, so that the page
// drives it by the very code that drives a real port. The beacon is the
// core's SimulatedBeacon, in a module instance of its own; this object is
// its serial line: bytes written reach it at the pace of the beacons' line,
// and its reply bytes are handed to the reader as they arrive. A port
// opened with other line settings garbles every byte.
import { instantiateModule, latin1Bytes, moduleFacts, resultBytes } from "./core.js";
import { cancelTimer, startTimer } from "./timers.js";
import { openPortStreams } from "./port-streams.js";

function nowUs() {
  return performance.now() * 1000;
}

export class SimulatedPort extends EventTarget {
  // fault: a name as the simulator spells it ("none", "silent", ...).
  // modelName: a model's name as the core has it; an unknown one is the
  // first model.
  static async create(modelName, fault = "none") {
    const engine = await instantiateModule();
    const { models } = moduleFacts(engine);
    const model = models.find((m) => m.name === modelName) ?? models[0];
    const name = latin1Bytes(fault);
    const ptr = engine.wb_buffer(name.length);
    new Uint8Array(engine.memory.buffer, ptr, name.length).set(name);
    if (!engine.wb_sim_create(model.code, name.length)) throw new Error(`unknown fault ${fault}`);
    return new SimulatedPort(engine, modelName);
  }

  // A fleet as the simulator lists one (model names, commas between): a person
  // connects its beacons one after another, each removed after its
  // verified write (or after standing unwritten a while). The first
  // beacons may start with given images: the same beacons brought back.
  static async createFleet(list, images = []) {
    const engine = await instantiateModule();
    const text = latin1Bytes(list);
    const length = images.reduce((n, image) => n + image.length, 0);
    const ptr = engine.wb_buffer(text.length + length);
    const input = new Uint8Array(engine.memory.buffer, ptr, text.length + length);
    input.set(text);
    let at = text.length;
    for (const image of images) {
      input.set(image, at);
      at += image.length;
    }
    if (!engine.wb_sim_create_fleet(text.length, length)) throw new Error(`unknown fleet ${list}`);
    return new SimulatedPort(engine, `fleet=${list}`);
  }

  constructor(engine, modelName) {
    super();
    this.engine = engine;
    this.modelName = modelName;
    this.readable = null;
    this.writable = null;
    this.byteTimeUs = engine.wb_sim_byte_time_us();
    const facts = moduleFacts(engine);
    this.line = facts.lineSettings;
    this.imageSize = facts.imageSize;
    this.txFreeUs = 0;
    this.timer = null;
    this.controller = null;
  }

  getInfo() {
    return {};
  }

  // The image the beacon holds now.
  eeprom() {
    return resultBytes(this.engine, this.engine.wb_sim_eeprom());
  }
  // A fleet's beacons connected so far, each with the image it holds.
  fleetEeproms() {
    const all = resultBytes(this.engine, this.engine.wb_sim_fleet_eeproms());
    const images = [];
    for (let at = 0; at < all.length; at += this.imageSize) images.push(all.slice(at, at + this.imageSize));
    return images;
  }
  // The image writes the fleet's beacons were asked for.
  fleetWrites() {
    return this.engine.wb_sim_fleet_writes();
  }
  lostBytes() {
    return this.engine.wb_sim_lost_bytes();
  }

  async open(options) {
    if (this.readable) throw new DOMException("The port is already open.", "InvalidStateError");
    // A line set up otherwise garbles every byte: the beacon hears nothing.
    // Web Serial's defaults stand for what the options leave out.
    const o = { dataBits: 8, stopBits: 1, parity: "none", flowControl: "none", ...options };
    this.lineMatches = ["baudRate", "dataBits", "stopBits", "parity"].every((key) => o[key] === this.line[key]);
    openPortStreams(this, (chunk) => this.fromHost(chunk));
  }

  fromHost(chunk) {
    for (const byte of chunk) {
      // Bytes handed over together leave one after the other.
      const doneUs = Math.max(nowUs(), this.txFreeUs) + this.byteTimeUs;
      this.txFreeUs = doneUs;
      if (this.lineMatches) this.engine.wb_sim_receive(byte, doneUs);
    }
    this.schedule();
  }

  schedule() {
    cancelTimer(this.timer);
    const due = this.engine.wb_sim_next_due();
    if (due < 0 || !this.controller) return;
    // A reply byte a millisecond late is what a USB adapter does to every
    // byte; on time to the microsecond, the beacon's line costs a core.
    this.timer = startTimer(() => this.pump(), Math.max(0, (due - nowUs()) / 1000), { precise: false });
  }

  pump() {
    const now = nowUs();
    const bytes = [];
    for (let due = this.engine.wb_sim_next_due(); due >= 0 && due <= now; due = this.engine.wb_sim_next_due()) {
      bytes.push(this.engine.wb_sim_take());
    }
    if (bytes.length && this.controller) this.controller.enqueue(new Uint8Array(bytes));
    this.schedule();
  }

  async close() {
    if (!this.readable) throw new DOMException("The port is already closed.", "InvalidStateError");
    if (this.readable.locked || this.writable.locked) throw new TypeError("The port's streams are locked.");
    cancelTimer(this.timer);
    this.controller = null;
    // Replies still on their way reach a closed port.
    this.engine.wb_sim_discard_until(nowUs() + 60e6);
    this.readable = null;
    this.writable = null;
  }

  async forget() {}
}
