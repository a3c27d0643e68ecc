// The two streams of a port of the Web Serial shape, for the ports the page
// makes itself (the simulated beacon, a USB adapter): bytes that arrive go
// to port.controller, null once the reader has cancelled; what the page
// writes goes to write(chunk).
export function openPortStreams(port, write) {
  port.readable = new ReadableStream({
    start: (controller) => {
      port.controller = controller;
    },
    cancel: () => {
      port.controller = null;
    },
  });
  port.writable = new WritableStream({ write });
}
