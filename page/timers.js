// Timers that keep time in a background tab. Chromium runs a hidden tab's
// timers at most once a second (once a minute after five minutes), which
// would stretch each 20 ms pause of a write to a second or more: still a
// correct write, since the core counts ticks, but one of many minutes. A
// dedicated worker's timers are not slowed, so the page waits on those, and
// on its own timers only where no worker can be made.
const workerSource = `
onmessage = ({ data: [id, ms] }) => {
  const end = performance.now() + ms;
  // Timers fire a millisecond or two late; woken early, the worker watches
  // the clock for the rest, so that 256 paced bytes do not add it up.
  setTimeout(() => {
    while (performance.now() < end);
    postMessage(id);
  }, Math.max(0, ms - 2));
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

// Calls callback after ms; returns what cancelTimer takes.
export function startTimer(callback, ms) {
  if (!worker) return { native: setTimeout(callback, ms) };
  const id = ++lastId;
  pending.set(id, { callback, end: performance.now() + ms });
  worker.postMessage([id, ms]);
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
