// The exchange's clock on the page: one core tick per poll period, with the
// waits a blocking serial port gives the native programs done between the
// ticks. Before a tick the bytes the core queued go out at their pace; a
// tick that drains the line comes only when the line has been quiet for the
// port's read time-out (or a drain's worth of bytes waits), so a reply is
// never cut in two by a tick that comes too soon. Ticks are counted by the
// core, not timed: a background tab whose timers are slowed makes the
// exchange slower, never wrong.
import { sleep } from "./timers.js";

// The line is quiet once nothing came for the read time-out. The wait is
// a timer, and a page held up (a loaded phone) may run it before the reads
// of bytes that came meanwhile: so the quiet is only taken after a further
// turn of the event loop has handed the core all it had, and brought
// nothing new.
async function lineQuiet(core, link) {
  const start = performance.now();
  for (let turned = false; ; ) {
    if (core.pendingBytes() >= core.drainCap) return;
    const left = Math.max(start, link.lastArrival) + core.readTimeoutMs - performance.now();
    if (left <= 0 && turned) return;
    turned = left <= 0;
    await sleep(Math.max(0, left));
  }
}

// Runs ticks until the machine is idle; onEvents sees every tick's events.
// The machine is the core's exchange, or a hunt plan's cable cycle (core.cycleMachine):
// anything with busy(), tickReads() and tick() over the core's port.
export async function runExchange(core, link, onEvents, machine = core) {
  let due = performance.now() + core.tickPeriodMs;
  while (machine.busy()) {
    await link.send(core.takeOutgoing());
    const wait = due - performance.now();
    if (wait > 0) await sleep(wait);
    if (machine.tickReads()) await lineQuiet(core, link);
    onEvents(machine.tick());
    due = Math.max(due + core.tickPeriodMs, performance.now());
  }
  await link.send(core.takeOutgoing());
}
