// The "Hunt plan" panel: a plan file (or one made from the form and a list
// of beacons), what each of its beacons will store, and its run through the
// chosen port with a table of the beacons done and the report; or its
// audit, which reads each beacon and compares it, writing none. The plan's
// rules, texts, detection and report are the core's (src/plan); the panel
// shows them.
import { oneLine } from "./form.js";
import { download, chooseFile, chooseNamedFile } from "./files.js";
import { jsonInputProblem } from "./input-limits.js";
import { HuntClock } from "./hunt-clock.js";

export class PlanPanel {
  // runOnPort(start, machine, onEvents, kind): opens the chosen port for a
  // whole run or audit (kind "run" or "audit"), as the device commands do,
  // and ticks the machine until it is idle; false when the port was busy
  // and it did not start.
  constructor(core, form, runOnPort) {
    this.core = core;
    this.form = form;
    this.runOnPort = runOnPort;
    this.el = (id) => document.getElementById(id);
    this.ready = false;
    this.running = false;
    // What has the port, or was done last: "run" or "audit".
    this.kind = "run";
    // Stop pressed while the port is still being opened: the run stops as
    // soon as it starts.
    this.stopRequested = false;
    this.shownRows = 0;
    // A single-beacon write has the port: the plan's buttons wait.
    this.portBusy = false;
    this.el("plan-load").addEventListener("click", () => this.loadFile());
    this.el("plan-base").addEventListener("click", () => this.loadBase());
    this.el("plan-build").addEventListener("click", () => this.buildFromForm());
    this.el("plan-save").addEventListener("click", () => this.savePlan());
    this.el("plan-run").addEventListener("click", () => this.run());
    this.el("plan-audit").addEventListener("click", () => this.audit());
    this.el("plan-stop").addEventListener("click", () => this.stop());
    // The name a plan made on the page goes by, in its refusals and its
    // file, and the reports' names.
    this.names = core.fileNames;
    this.el("plan-report").addEventListener("click", () => {
      const name = this.kind === "audit" ? this.names.auditReport : this.names.runReport;
      download(this.core.cycleReport(), name, "text/csv");
    });
    // "Print hunt sheet": the core's sheet in a window of its own, for the
    // browser's print dialog.
    const sheet = document.createElement("button");
    sheet.id = "plan-sheet";
    sheet.type = "button";
    sheet.textContent = "Print hunt sheet";
    this.el("plan-report").after(sheet);
    sheet.addEventListener("click", () => this.printSheet());
    // Labelled as the core's refusals name it.
    this.el("plan-same-text").labels[0].textContent = core.planSameTextLabel;
    this.el("plan-same-text").addEventListener("change", () => this.recheck());
    this.el("no-limit").addEventListener("change", () => this.recheck());
    this.lastPlan = null;
    this.clock = new HuntClock(core, this.el);
    this.enable();
  }

  printSheet() {
    const html = this.core.planSheet();
    if (!html) return;
    const url = URL.createObjectURL(new Blob([html], { type: "text/html;charset=utf-8" }));
    const view = window.open(url, "_blank");
    if (view) view.addEventListener("load", () => view.print());
    setTimeout(() => URL.revokeObjectURL(url), 60000);
  }

  options() {
    return { noLimit: this.el("no-limit").checked, allowSameText: this.el("plan-same-text").checked };
  }

  async loadFile() {
    const file = await chooseNamedFile(this.el("plan-file"));
    if (file === null) return;
    // Sized and nested as the core can take, before it parses anything;
    // a refused file leaves no plan from before to run.
    const problem = jsonInputProblem(file.bytes);
    if (problem) {
      this.lastPlan = null;
      this.ready = false;
      this.el("plan-note").textContent = `${file.name} ${problem}`;
      this.el("plan-base").hidden = true;
      this.showCheckTable();
      this.enable();
      return;
    }
    this.lastPlan = file.bytes;
    this.show(this.core.planLoad(file.name, file.bytes, this.options()));
  }

  setPortBusy(busy) {
    this.portBusy = busy;
    this.el("plan-wait").textContent = busy ? "Write Config is under way: the plan waits until it ends." : "";
    this.enable();
  }

  async loadBase() {
    const bytes = await chooseFile(this.el("plan-base-file"));
    if (bytes === null) return;
    this.show(this.core.planLoadBase(bytes, this.options()));
  }

  // The plan file the core makes from the form's record and the list of
  // beacons, each with its own Morse text.
  formPlan() {
    this.form.toCore();
    return this.core.planFromForm(this.el("plan-beacons").value);
  }

  // A plan is for one model; the form has none until a beacon is read or a
  // model chosen.
  formHasModel() {
    this.form.toCore();
    if (this.core.model() !== 0) return true;
    this.el("plan-note").textContent = "A plan is for one model: read a beacon or choose its Model first";
    return false;
  }

  buildFromForm() {
    if (!this.formHasModel()) return;
    const bytes = this.formPlan();
    this.lastPlan = bytes;
    this.show(this.core.planLoad(this.names.plan, bytes, this.options()));
  }

  // The plan made from the form, for `wrenbolt plan run` or a later visit.
  savePlan() {
    if (!this.formHasModel()) return;
    download(this.formPlan(), this.names.plan, "application/json");
  }

  stop() {
    this.stopRequested = true;
    this.core.cycleStop();
  }

  recheck() {
    if (this.lastPlan && !this.running) this.show(this.core.planCheck(this.options()));
  }

  show(result) {
    const { ready, needsBaseFile } = this.core.planResults;
    this.ready = result === ready;
    this.el("plan-note").textContent = this.ready ? "" : this.core.planError();
    // Shown while the plan names a base file and none has been taken.
    if (result === needsBaseFile) this.el("plan-base").hidden = false;
    else if (result === ready || !this.core.planBaseName()) this.el("plan-base").hidden = true;
    this.showCheckTable();
    this.enable();
  }

  // What each beacon will store: a column a beacon, a row a field.
  showCheckTable() {
    this.clock.showSchedule(this.ready);
    const table = this.el("plan-check");
    table.replaceChildren();
    const { beacons } = this.core.planTable();
    table.hidden = !this.ready || beacons.length === 0;
    if (table.hidden) return;
    const caption = table.createCaption();
    caption.textContent = "What each beacon will store";
    const head = table.createTHead().insertRow();
    const cell = (row, text, tag = "td") => {
      const c = document.createElement(tag);
      c.textContent = text;
      row.append(c);
      return c;
    };
    cell(head, "Field", "th").scope = "col";
    for (const { name } of beacons) cell(head, name, "th").scope = "col";
    const body = table.createTBody();
    beacons[0].values.forEach(({ id }, i) => {
      const row = body.insertRow();
      cell(row, this.form.label(id), "th").scope = "row";
      const input = this.form.inputs.get(id);
      for (const beacon of beacons) {
        const text = beacon.values[i].text;
        cell(row, input?.type === "checkbox" ? this.core.flagText(text) : oneLine(text, input?.dataset.key));
      }
    });
    const sums = body.insertRow();
    cell(sums, "SHA-256", "th").scope = "row";
    for (const { sha256 } of beacons) cell(sums, sha256.slice(0, 12)).title = sha256;
  }

  enable() {
    const busy = this.running || this.portBusy;
    this.el("plan-run").disabled = !this.ready || busy;
    this.el("plan-audit").disabled = !this.ready || busy;
    this.el("plan-stop").disabled = !this.running;
    this.el("plan-load").disabled = busy;
    this.el("plan-build").disabled = busy;
    this.el("plan-base").disabled = busy;
    this.el("plan-report").disabled = this.running || this.shownRows === 0;
  }

  run() {
    return this.onPort("run", () => this.core.planStart());
  }

  audit() {
    return this.onPort("audit", () => this.core.auditStart());
  }

  // A run or an audit, from the press to its summary: the same cable
  // cycle, begun with its own step.
  async onPort(kind, begin) {
    if (!this.ready || this.running || this.portBusy) return;
    const { operationEnded, planRow } = this.core.events;
    this.running = true;
    this.kind = kind;
    this.stopRequested = false;
    this.shownRows = 0;
    this.el("plan-log").replaceChildren();
    this.el("plan-results").tBodies[0].replaceChildren();
    this.enable();
    const onEvents = (events) => this.afterTick(events);
    let started = false;
    try {
      const start = () => {
        if (!begin()) return operationEnded;
        if (this.stopRequested) this.core.cycleStop();
        return 0;
      };
      started = await this.runOnPort(start, this.core.cycleMachine, onEvents, kind);
    } finally {
      this.running = false;
      // A run that did not start (a device command had the port) leaves
      // the status line to that command.
      if (started) {
        this.afterTick(planRow);
        this.el("status").dataset.outcome = this.core.cycleState().ok ? "success" : "failure";
      }
      // Options changed during the run apply to the next one.
      this.recheck();
      this.enable();
    }
  }

  afterTick(events) {
    const { backupReady, planRow } = this.core.events;
    const { status: text, messages } = this.core.cycleState();
    const status = this.el("status");
    status.textContent = text;
    status.dataset.outcome = "";
    const log = this.el("plan-log");
    for (let i = log.children.length; i < messages.length; i++) {
      const item = document.createElement("li");
      item.textContent = messages[i];
      log.append(item);
      log.scrollTop = log.scrollHeight;
    }
    if (events & backupReady) {
      // Each backup downloads as soon as it is read, before the write.
      const names = this.core.planBackupNames();
      download(this.core.planBackup(names.length - 1), names.at(-1));
    }
    if (events & planRow) this.showRows();
  }

  // The one results table: a run's attempts or the beacons an audit read,
  // columns and cells as the core gives them.
  showRows() {
    const { caption, columns, rows } = this.core.cycleTable();
    const table = this.el("plan-results");
    table.caption.textContent = caption;
    table.tHead.rows[0].replaceChildren(...columns.map((text) => {
      const th = document.createElement("th");
      th.scope = "col";
      th.textContent = text;
      return th;
    }));
    const body = table.tBodies[0];
    for (let i = this.shownRows; i < rows.length; i++) {
      const row = body.insertRow();
      row.dataset.result = rows[i].result;
      for (const cell of rows[i].cells) this.fillCell(row.insertCell(), cell);
    }
    this.shownRows = rows.length;
    table.hidden = rows.length === 0;
  }

  // A cell's text, with its title; each of its lines; or its backup, a
  // button that downloads it again.
  fillCell(cell, { text, title, lines, backup }) {
    if (backup) {
      const link = document.createElement("button");
      link.type = "button";
      link.className = "link";
      link.textContent = backup;
      link.addEventListener("click", () => {
        this.core.planBackupNames().forEach((name, b) => {
          if (name === backup) download(this.core.planBackup(b), backup);
        });
      });
      cell.append(link);
      return;
    }
    cell.textContent = text;
    if (title) cell.title = title;
    for (const line of lines ?? []) {
      const div = document.createElement("div");
      div.textContent = line;
      cell.append(div);
    }
  }
}
