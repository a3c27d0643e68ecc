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

export class SerialLink {
  constructor(core) {
    this.core = core;
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
      } finally {
        this.reader.releaseLock();
        this.reader = null;
      }
    }
  }

  // Sends the core's queued bytes, each followed by its pause.
  async send(queue) {
    for (const { byte, pauseMs } of queue) {
      if (!this.writer || this.lost) return;
      try {
        await this.writer.write(Uint8Array.of(byte));
      } catch (error) {
        console.warn("write failed", error);
        return;
      }
      if (pauseMs > 0) await pauseAtLeast(pauseMs);
    }
  }

  // The device went away: nothing more can be read or written.
  markLost() {
    this.lost = true;
    this.core.attachPort(false, this.name);
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
