// Timers that keep time in a background tab. Chromium runs a hidden tab's
// timers at most once a second (once a minute after five minutes), which
// would stretch each 20 ms pause of a write to a second or more: still a
// correct write, since the core counts ticks, but one of many minutes. A
// dedicated worker's timers are not slowed, so the page waits on those, and
// on its own timers only where no worker can be made.
//
// The worker fires its timers in the order they are due, counted from when
// the page asked, not from when the message reached it: a worker held up
// under load must not fire a later timer (the wait for a quiet line) before
// an earlier one (bytes due from the simulated beacon). Ends are on the
// page's clock; the worker reads its own, shifted by the two time origins.
const workerSource = `
const due = [];
let timer = null;
let offset = 0;
const now = () => performance.now() + offset;
function arm() {
  clearTimeout(timer);
  // Timers fire a millisecond or two late; woken early for a precise one,
  // the worker watches the clock for the rest, so that 256 paced bytes do
  // not add it up. That costs a core's time, so only where it is asked for.
  if (due.length) timer = setTimeout(run, Math.max(0, due[0].end - now() - (due[0].precise ? 2 : 0)));
}
function run() {
  if (due[0].precise) while (now() < due[0].end);
  const at = now();
  while (due.length && due[0].end <= at) postMessage(due.shift().id);
  arm();
}
onmessage = ({ data: [id, end, origin, precise] }) => {
  offset = performance.timeOrigin - origin;
  let i = due.length;
  while (i > 0 && due[i - 1].end > end) i--;
  due.splice(i, 0, { id, end, precise });
  arm();
};`;

// Timers on the worker by id: callback and when it is due.
const pending = new Map();
let lastId = 0;
function fire(id) {
  const timer = pending.get(id);
  pending.delete(id);
  timer?.callback();
}
let worker = (() => {
  try {
    const url = URL.createObjectURL(new Blob([workerSource], { type: "text/javascript" }));
    const made = new Worker(url);
    made.onmessage = ({ data: id }) => fire(id);
    // A worker that fails after it was made (a policy forbidding workers
    // from blob: addresses): its pending timers and all later ones run on
    // the page's own.
    made.onerror = () => {
      worker = null;
      for (const [id, { end }] of pending) setTimeout(() => fire(id), Math.max(0, end - performance.now()));
    };
    return made;
  } catch {
    return null;
  }
})();

// Calls callback after ms; returns what cancelTimer takes. precise: on
// time to the millisecond (a write's pauses, the wait for a quiet line),
// where a timer a millisecond or two late would do, false.
export function startTimer(callback, ms, { precise = true } = {}) {
  if (!worker) return { native: setTimeout(callback, ms) };
  const id = ++lastId;
  const end = performance.now() + ms;
  pending.set(id, { callback, end });
  worker.postMessage([id, end, performance.timeOrigin, precise]);
  return { id };
}

export function cancelTimer(timer) {
  if (!timer) return;
  if (timer.native !== undefined) clearTimeout(timer.native);
  else pending.delete(timer.id);
}

export function sleep(ms) {
  return new Promise((resolve) => startTimer(resolve, ms));
}
