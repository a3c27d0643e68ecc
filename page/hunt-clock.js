// The hunt clock: the checked plan's schedule in the Hunt plan panel, and a
// full-screen view for the phone at the start. What is due when, the cycle
// and the slot on air are the core's (src/plan/hunt_clock); the view shows
// them each second, beeps and vibrates at each switch-on, keeps the screen
// awake, and keeps the taps on the device under the plan's key.
import { download } from "./files.js";

// The device's own time in milliseconds; tests put a fixed clock in its place.
let now = () => Date.now();
export function setClockSource(source) {
  now = source;
}

// A short beep (Web Audio) and a buzz where the browser has them.
let audio = null;
function signal() {
  navigator.vibrate?.(200);
  try {
    audio ??= new AudioContext();
    const tone = audio.createOscillator();
    tone.frequency.value = 880;
    tone.connect(audio.destination);
    tone.start();
    tone.stop(audio.currentTime + 0.15);
  } catch {
    // No sound where there is no audio: the count-down still shows it.
  }
}

export class HuntClock {
  constructor(core, el) {
    this.core = core;
    this.el = el;
    this.view = el("hunt-clock");
    this.timer = null;
    this.wakeLock = null;
    this.shownDue = null;
    el("clock-open").addEventListener("click", () => this.open());
    el("clock-close").addEventListener("click", () => this.view.close());
    el("clock-log").addEventListener("click", () => this.downloadLog());
    this.view.addEventListener("close", () => this.stop());
    // A wake lock ends when the tab is hidden: taken again on return.
    document.addEventListener("visibilitychange", () => {
      if (this.view.open && document.visibilityState === "visible") this.keepAwake();
    });
  }

  // The schedule of a checked plan with an event, and the clock's button.
  showSchedule(ready) {
    const { columns, rows } = ready ? this.core.planSchedule() : { columns: [], rows: [] };
    const table = this.el("plan-schedule");
    table.hidden = rows.length === 0;
    this.el("clock-open").hidden = table.hidden;
    table.tHead.rows[0].replaceChildren(...columns.map((text) => {
      const th = document.createElement("th");
      th.scope = "col";
      th.textContent = text;
      return th;
    }));
    table.tBodies[0].replaceChildren(...rows.map((cells) => {
      const row = document.createElement("tr");
      for (const text of cells) row.insertCell().textContent = text;
      return row;
    }));
    if (table.hidden && this.view.open) this.view.close();
  }

  state() {
    return this.core.huntClock(now());
  }

  taps() {
    try {
      // Kept by an earlier visit, or by anything else: the core reads each tap.
      const kept = JSON.parse(localStorage.getItem(this.key) ?? "[]");
      return Array.isArray(kept) ? kept.filter(Array.isArray) : [];
    } catch {
      return [];
    }
  }

  tap(entry, kind) {
    const taps = this.taps();
    taps.push([Math.floor(now() / 1000), entry, kind]);
    try {
      localStorage.setItem(this.key, JSON.stringify(taps));
    } catch {
      // Storage full or refused: the tap still counts for this view.
    }
    this.showTaps(taps);
  }

  open() {
    const state = this.state();
    if (state.phase === "none") return;
    this.key = state.key;
    this.shownDue = null;
    this.buildRows(state.beacons);
    this.showTaps(this.taps());
    this.render();
    this.view.showModal();
    this.timer = setInterval(() => this.render(), 250);
    this.keepAwake();
  }

  stop() {
    clearInterval(this.timer);
    this.timer = null;
    this.wakeLock?.release().catch(() => {});
    this.wakeLock = null;
  }

  async keepAwake() {
    try {
      this.wakeLock = (await navigator.wakeLock?.request("screen")) ?? null;
    } catch {
      // Refused (a hidden tab, low battery): the clock runs all the same.
    }
  }

  // One row a beacon with a slot: its switch-on and the taps.
  buildRows(beacons) {
    const list = this.el("clock-beacons");
    list.replaceChildren();
    this.rows = new Map();
    for (const { entry, name, slot, switchOn } of beacons) {
      const item = document.createElement("li");
      item.dataset.entry = entry;
      const title = document.createElement("span");
      title.className = "clock-name";
      title.textContent = name;
      const when = document.createElement("span");
      when.className = "clock-when";
      when.textContent = `slot ${slot}, on at ${switchOn}`;
      const buttons = document.createElement("span");
      buttons.className = "clock-taps";
      const button = (text, kind) => {
        const b = document.createElement("button");
        b.type = "button";
        b.textContent = text;
        b.setAttribute("aria-label", `${name}: ${text}`);
        b.addEventListener("click", () => this.tap(entry, kind));
        buttons.append(b);
        return b;
      };
      const on = button("Switched on", "on");
      const heard = button("Heard", "heard");
      const notHeard = button("Not heard", "not heard");
      item.append(title, when, buttons);
      list.append(item);
      this.rows.set(entry, { item, on, heard, notHeard });
    }
  }

  // A beacon switched on shows pressed; heard and not heard their counts.
  showTaps(taps) {
    const count = (entry, kind) => taps.filter(([, e, k]) => e === entry && k === kind).length;
    for (const [entry, { on, heard, notHeard }] of this.rows) {
      on.setAttribute("aria-pressed", String(count(entry, "on") > 0));
      heard.textContent = count(entry, "heard") ? `Heard · ${count(entry, "heard")}` : "Heard";
      notHeard.textContent = count(entry, "not heard") ? `Not heard · ${count(entry, "not heard")}` : "Not heard";
    }
  }

  render() {
    const state = this.state();
    if (state.phase === "none") {
      this.view.close();
      return;
    }
    this.el("clock-headline").textContent = state.headline;
    this.el("clock-detail").textContent = state.detail;
    this.el("clock-reminder").textContent = state.reminder;
    this.el("clock-device-time").textContent = state.deviceTime;
    for (const [entry, { item }] of this.rows) {
      item.dataset.due = String(state.due.includes(entry));
      item.dataset.onAir = String(state.onAir.includes(entry));
    }
    // A beacon whose switch-on came since the last second shown: signal.
    if (this.shownDue?.some((entry) => !state.due.includes(entry))) signal();
    this.shownDue = state.due;
  }

  downloadLog() {
    download(this.core.huntLog(this.taps()), this.core.fileNames.clockLog, "text/csv");
  }
}
