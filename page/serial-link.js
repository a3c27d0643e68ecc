// The page's serial line: one Web Serial port (real, or simulated with the
// same interface), opened for the length of one operation. Bytes read are
// handed to the core as they come; bytes to send go out one at a time with
// the pause the core asks after each.

import { sleep } from "./timers.js";

// Waits at least ms: a pause must not end early, or the beacon's EEPROM
// loses the next byte, and a timer may fire a little early.
export async function pauseAtLeast(ms) {
  const end = performance.now() + ms;
  for (let left = ms; left > 0; left = end - performance.now()) await sleep(left);
}

// Why a port was lost, as the core numbers it.
export const LostPort = { gone: 1, failed: 2 };

// A read or write that failed for good: the device is gone (Web Serial's
// NetworkError, WebUSB's NotFoundError), or the system failed otherwise.
function lostReason(error) {
  return ["NetworkError", "NotFoundError"].includes(error?.name) ? LostPort.gone : LostPort.failed;
}

export class SerialLink {
  // onLost(port): the port in use was lost without its "disconnect" (a
  // read or write that failed for good); the page handles it as one.
  constructor(core, onLost = () => this.markLost()) {
    this.core = core;
    this.onLost = onLost;
    // Why the port is being lost, and how many bytes of the queue being
    // sent have not gone out.
    this.reason = LostPort.gone;
    this.unsent = 0;
    this.port = null;
    this.reader = null;
    this.writer = null;
    this.reading = null;
    this.closing = false;
    this.lastArrival = 0;
    this.lost = false;
    this.name = "";
    // The port last opened, to open again after it was lost; whether the
    // operation still wants it; a reopen under way.
    this.last = null;
    this.wanted = false;
    this.reopening = null;
  }

  // Opens the port for an operation and tells the core whether it has one.
  async open(port, name) {
    this.lost = false;
    this.name = name;
    this.wanted = true;
    return this.attach(port);
  }

  async attach(port) {
    this.last = port;
    try {
      await port.open(this.core.lineSettings);
    } catch (error) {
      console.warn("open failed", error);
      this.core.attachPort(false, this.name);
      return false;
    }
    this.lost = false;
    this.unsent = 0;
    this.port = port;
    this.closing = false;
    this.writer = port.writable.getWriter();
    this.reading = this.readLoop(port);
    this.core.attachPort(true, this.name);
    return true;
  }

  // Hands every byte read to the core. After a framing, parity or overrun
  // error the port offers a fresh stream, which is read on; a lost device
  // or the closing ends it.
  async readLoop(port) {
    let ended = false;
    while (!ended && !this.closing && port.readable) {
      this.reader = port.readable.getReader();
      try {
        for (;;) {
          const { value, done } = await this.reader.read();
          ended = done;
          if (done) break;
          if (value && value.length) {
            this.lastArrival = performance.now();
            this.core.arrive(value);
          }
        }
      } catch (error) {
        console.warn("read error", error);
        // After a framing, parity or overrun error the port offers a fresh
        // stream; after any other it offers none: the port is lost.
        if (!this.closing && !port.readable) this.failed(port, error);
      } finally {
        this.reader.releaseLock();
        this.reader = null;
      }
    }
  }

  // Sends the core's queued bytes, each followed by its pause.
  // A port lost meanwhile keeps the rest: the core counts what went out.
  async send(queue) {
    for (const [i, { byte, pauseMs }] of queue.entries()) {
      if (!this.writer || this.lost) return;
      // The byte being handed over may reach the line as the port goes.
      this.unsent = queue.length - i - 1;
      try {
        await this.writer.write(Uint8Array.of(byte));
      } catch (error) {
        console.warn("write failed", error);
        this.unsent = queue.length - i;
        this.failed(this.port, error);
        return;
      }
      if (pauseMs > 0) await pauseAtLeast(pauseMs);
    }
    this.unsent = 0;
  }

  failed(port, error) {
    if (this.lost || !port || port !== this.port) return;
    this.reason = lostReason(error);
    this.onLost(port);
  }

  // The device went away: nothing more can be read or written. The core
  // ends the operation at its next read or write, as the command line does.
  markLost() {
    if (this.lost) return;
    this.lost = true;
    this.core.portLost(this.reason, this.unsent);
    this.reason = LostPort.gone;
  }

  // The lost device is back (a USB adapter plugged in again): the port is
  // opened again under its name, for the operation under way. One that will
  // not open yet (as often just after the adapter is plugged in) stays lost,
  // to be tried again. One reopen at a time.
  reopen(port = this.last) {
    this.reopening ??= (async () => {
      await this.release();
      return this.wanted && port ? this.attach(port) : false;
    })().finally(() => {
      this.reopening = null;
    });
    return this.reopening;
  }

  // Ends the operation's use of the port, after any reopen under way.
  async close() {
    this.wanted = false;
    await this.reopening;
    await this.release();
  }

  // Releases the reader and the writer, then closes the port.
  async release() {
    const port = this.port;
    if (!port) return;
    this.port = null;
    this.closing = true;
    try {
      await this.reader?.cancel();
    } catch (error) {
      console.warn(error);
    }
    await this.reading;
    this.writer.releaseLock();
    this.writer = null;
    try {
      await port.close();
    } catch (error) {
      console.warn("close failed", error);
    }
  }
}
