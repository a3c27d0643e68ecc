// The configurator's core, compiled to WebAssembly, and the page's handle on
// it. Every text, byte, rule, number and timing figure comes from here; the
// page moves values between the core and the browser. Each wb_* name below
// is a WB_EXPORT of src/wasm or sim/ (the page's build checks the two
// against each other).

let compiled = null;

// The module is inlined gzipped, in base64.
async function moduleBytes() {
  const raw = atob(document.getElementById("wb-module").textContent.trim());
  const packed = new Uint8Array(raw.length);
  for (let i = 0; i < raw.length; i++) packed[i] = raw.charCodeAt(i);
  const stream = new Blob([packed]).stream().pipeThrough(new DecompressionStream("gzip"));
  return new Response(stream).arrayBuffer();
}

// A fresh instance of the module: the page's own, or a simulated beacon's.
// The module needs three WASI calls, for the C library's streams, which it
// never uses for files; output goes to the console.
export async function instantiateModule() {
  compiled ??= await WebAssembly.compile(await moduleBytes());
  let memory = null;
  const wasi = {};
  for (const { module, name } of WebAssembly.Module.imports(compiled)) {
    if (module === "wasi_snapshot_preview1") wasi[name] = () => 52; // ENOSYS
  }
  // The time of day, for the report's rows.
  wasi.clock_time_get = (id, precision, out) => {
    new DataView(memory.buffer).setBigUint64(out, BigInt(Date.now()) * 1000000n, true);
    return 0;
  };
  wasi.fd_write = (fd, iovs, count, written) => {
    const view = new DataView(memory.buffer);
    let text = "";
    let total = 0;
    for (let i = 0; i < count; i++) {
      const ptr = view.getUint32(iovs + 8 * i, true);
      const len = view.getUint32(iovs + 8 * i + 4, true);
      text += latin1(new Uint8Array(memory.buffer, ptr, len));
      total += len;
    }
    view.setUint32(written, total, true);
    console.log(text);
    return 0;
  };
  const instance = await WebAssembly.instantiate(compiled, { wasi_snapshot_preview1: wasi });
  memory = instance.exports.memory;
  instance.exports._initialize();
  return instance.exports;
}

// Single-byte text, as the beacon and the core keep it: bytes 0-255 are
// the characters U+0000-U+00FF. Other characters become "?".
export function latin1(bytes) {
  let text = "";
  for (const b of bytes) text += String.fromCharCode(b);
  return text;
}
export function latin1Bytes(text) {
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; i++) {
    const c = text.charCodeAt(i);
    bytes[i] = c < 256 ? c : 0x3f;
  }
  return bytes;
}

// What a module call left at wb_result(), of any instance.
export function resultBytes(exports, length) {
  return new Uint8Array(exports.memory.buffer, exports.wb_result(), length).slice();
}
export function resultJson(exports, length) {
  return JSON.parse(latin1(resultBytes(exports, length)));
}
// The module's facts (src/wasm/module_facts.cpp), of any instance.
export function moduleFacts(exports) {
  return resultJson(exports, exports.wb_facts());
}

export class Core {
  constructor(exports) {
    this.x = exports;
    // Every fact the core states once, by its name: the event bits
    // (events.showForm, ...) and plan results (planResults.ready, ...),
    // the exchange's timing (tickPeriodMs, readTimeoutMs, drainCap), the
    // image's size, the line as Web Serial's open takes it (lineSettings),
    // the file names offered (fileNames), the models ({ code, name, title }),
    // the form's fields and boxes
    // (fields, formGroups), flagTexts, morseTypedBytes, the truncation
    // notice (notice) and planSameTextLabel. A fact named as a method
    // would hide it.
    const facts = moduleFacts(exports);
    const clash = Object.keys(facts).find((name) => name in this);
    if (clash) throw new Error(`the core's fact ${clash} hides a method of Core`);
    Object.assign(this, facts);
    // The simulated beacons' names, from the simulator's side of the module.
    this.simNames = resultJson(exports, exports.wb_sim_names());
  }

  static async load() {
    return new Core(await instantiateModule());
  }

  put(bytes) {
    const ptr = this.x.wb_buffer(bytes.length);
    new Uint8Array(this.x.memory.buffer, ptr, bytes.length).set(bytes);
    return bytes.length;
  }
  bytes(length) {
    return resultBytes(this.x, length);
  }
  text(length) {
    return latin1(this.bytes(length));
  }
  json(length) {
    return JSON.parse(this.text(length));
  }

  // A check box's value ("0" or "1", or a boolean) as lists and tables show it.
  flagText(value) { return this.flagTexts[value === true || value === "1" ? 1 : 0]; }
  // A text as the Morse field stores it typed: each single-byte character
  // as the core's table says; any other goes to the beacon as one "?", so
  // the field shows that "?" (the beacon would send it in Morse).
  morseTyped(text) {
    let typed = "";
    for (const c of text) {
      const code = c.charCodeAt(0);
      typed += code < 256 ? String.fromCharCode(this.morseTypedBytes[code]) : "?";
    }
    return typed;
  }
  setText(id, value) { this.x.wb_set_text(id, this.put(latin1Bytes(value))); }
  setChecked(id, on) { this.x.wb_set_checked(id, on ? 1 : 0); }
  // Every control of the form: [{ id, text or checked, enabled }].
  form() { return this.json(this.x.wb_form()); }
  model() { return this.x.wb_model(); }
  chooseModel(code) { return this.x.wb_choose_model(code); }
  setNoLimit(on) { this.x.wb_set_no_limit(on ? 1 : 0); }
  storedValues() { return this.json(this.x.wb_stored_values()); }
  pendingChanges() { return this.json(this.x.wb_pending_changes()); }

  attachPort(available, name) { this.x.wb_attach_port(available ? 1 : 0, this.put(latin1Bytes(name))); }
  portLost(reason, unsent) { this.x.wb_port_lost(reason, unsent); }
  lostPortText() { return this.text(this.x.wb_lost_port_text()); }
  readVersion() { return this.x.wb_read_version(); }
  readConfig() { return this.x.wb_read_config(); }
  writeConfig(backupFirst) { return this.x.wb_write_config(backupFirst ? 1 : 0); }
  tick() { return this.x.wb_tick(); }
  busy() { return this.x.wb_busy() !== 0; }
  tickReads() { return this.x.wb_tick_reads() !== 0; }
  // { text, outcome }: the status line, and "success", "failure", or ""
  // while nothing has finished.
  status() { return this.json(this.x.wb_status()); }
  backupFile() { return this.bytes(this.x.wb_backup_file()); }

  arrive(bytes) { this.x.wb_comm_arrive(this.put(bytes)); }
  pendingBytes() { return this.x.wb_comm_pending(); }
  // The bytes to send, each with the pause that must follow it.
  takeOutgoing() {
    const raw = this.bytes(this.x.wb_comm_take());
    const out = [];
    for (let i = 0; i + 2 < raw.length; i += 3) out.push({ byte: raw[i], pauseMs: raw[i + 1] | (raw[i + 2] << 8) });
    return out;
  }

  // JSON is UTF-8 text (a Morse text's "É" is two bytes in it), not the
  // single-byte text of the rest of the interface.
  exportJson() { return new TextDecoder().decode(this.bytes(this.x.wb_json_export())); }
  // "" when taken, else why the core refused it.
  importJson(bytes) { return this.text(this.x.wb_json_import(this.put(bytes))); }

  save() { return this.x.wb_save(); }
  savedFile() { return this.bytes(this.x.wb_saved_file()); }
  load(bytes) { return this.x.wb_load(this.put(bytes)); }

  // The hunt plan. Options: { noLimit, allowSameText }.
  planLoad(fileName, bytes, { noLimit, allowSameText }) {
    const name = latin1Bytes(fileName);
    const input = new Uint8Array(name.length + bytes.length);
    input.set(name);
    input.set(bytes, name.length);
    return this.x.wb_plan_load(name.length, this.put(input), noLimit ? 1 : 0, allowSameText ? 1 : 0);
  }
  planLoadBase(bytes, { noLimit, allowSameText }) {
    return this.x.wb_plan_load_base(this.put(bytes), noLimit ? 1 : 0, allowSameText ? 1 : 0);
  }
  planCheck({ noLimit, allowSameText }) { return this.x.wb_plan_check(noLimit ? 1 : 0, allowSameText ? 1 : 0); }
  // The plan file (UTF-8 bytes) made from the form and a list of beacons,
  // one a line: NAME, or NAME and its Morse text.
  planFromForm(lines) { return this.bytes(this.x.wb_plan_from_form(this.put(new TextEncoder().encode(lines)))); }
  // The port choice ("sim:NAME") for the simulator an address names, or "".
  simChoice(name) { return this.text(this.x.wb_sim_choice(this.put(latin1Bytes(name)))); }
  modelTitle(name) { return this.text(this.x.wb_model_title(this.put(latin1Bytes(name)))); }
  planError() { return this.text(this.x.wb_plan_error()); }
  planBaseName() { return this.text(this.x.wb_plan_base_name()); }
  planTable() { return this.json(this.x.wb_plan_table()); }
  planStart() { return this.x.wb_plan_start() !== 0; }
  // The audit of the checked plan: each beacon read and compared, none written.
  auditStart() { return this.x.wb_audit_start() !== 0; }
  // The run or the audit under way, or the last one: one cable cycle.
  cycleStop() { this.x.wb_cycle_stop(); }
  // { status, messages, ok }: the status line, every message so far, and
  // whether every beacon so far came out right.
  cycleState() { return this.json(this.x.wb_cycle_state()); }
  // { caption, columns, rows: [{ result, cells: [{ text, title, lines, backup }] }] }
  cycleTable() { return this.json(this.x.wb_cycle_table()); }
  cycleReport() { return this.bytes(this.x.wb_cycle_report()); }
  // The sheet is UTF-8 HTML (names and texts as the plan has them).
  planSheet() { return new TextDecoder().decode(this.bytes(this.x.wb_plan_sheet())); }
  planBackupNames() { return this.json(this.x.wb_plan_backup_names()); }
  // The hunt clock of the checked plan: its schedule's cells, the clock at
  // a moment (the device's milliseconds) and the log of the taps kept.
  planSchedule() { return this.json(this.x.wb_plan_schedule()); }
  huntClock(nowMs) { return this.json(this.x.wb_hunt_clock(BigInt(Math.floor(nowMs / 1000)))); }
  huntLog(taps) { return this.bytes(this.x.wb_hunt_log(this.put(new TextEncoder().encode(JSON.stringify(taps))))); }
  planBackup(index) { return this.bytes(this.x.wb_plan_backup(index)); }
  // The cable cycle's tick machine, for runExchange.
  get cycleMachine() {
    return {
      busy: () => this.x.wb_cycle_busy() !== 0,
      tickReads: () => this.x.wb_cycle_tick_reads() !== 0,
      tick: () => this.x.wb_cycle_tick(),
    };
  }
}
