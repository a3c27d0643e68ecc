// What every panel shows its results through: the status line, the form
// with what the beacon will store and the pending changes, the Model
// selector and the band limit, the events a command or tick returns, and
// the truncation notice.
import { oneLine } from "./form.js";
import { download } from "./files.js";

const $ = (id) => document.getElementById(id);

export class PageView {
  // isRunning(): an operation has the port (its outcome is not shown yet).
  constructor(core, form, isRunning) {
    this.core = core;
    this.form = form;
    this.isRunning = isRunning;
    this.toneChart = null;
    // The Model selector, from the core.
    for (const { code, title } of core.models) $("model").append(new Option(title, String(code)));
    $("model").addEventListener("change", () => {
      form.toCore();
      this.handle(core.chooseModel(Number($("model").value)));
    });
    $("no-limit").addEventListener("change", () => {
      core.setNoLimit($("no-limit").checked);
      this.refreshViews();
    });
    $("notice-ok").addEventListener("click", () => $("notice").close());
  }

  showStatus() {
    const { text, outcome } = this.core.status();
    $("status").textContent = text;
    // The typed outcome colours the line; the text is the core's alone.
    $("status").dataset.outcome = this.isRunning() ? "" : outcome;
  }

  showModel() {
    $("model").value = String(this.core.model());
  }

  refreshViews() {
    this.form.toCore();
    this.form.showStoredValues();
    this.showChanges();
    this.toneChart?.draw();
  }

  showChanges() {
    const { core, form } = this;
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

  handle(events) {
    const { showForm, backupReady, truncated } = this.core.events;
    if (events & showForm) {
      this.form.fromCore();
      this.showModel();
    }
    if (events & backupReady) download(this.core.backupFile(), this.core.fileNames.backup);
    if (events & truncated) this.showNotice();
    this.showStatus();
    this.refreshViews();
  }

  showNotice() {
    $("notice-caption").textContent = this.core.notice.caption;
    $("notice-text").textContent = this.core.notice.text;
    $("notice").showModal();
  }
}
