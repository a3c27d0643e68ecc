// What the page benchmarks share: the protocol floor and a timed command.
//
// The floor: tick counts, read time-outs, pauses and the replies on the
// wire at 2400 baud (10 bits a byte), as in bench/exchange_timing.
const tickMs = 100, timeoutMs = 103, byteMs = 10000 / 2400, windowTicks = 7;
const versionBytes = "Wrenbolt-Tarsel v1.07\r\n".length;
const identify = Math.max(tickMs, (2 + versionBytes) * byteMs) + windowTicks * timeoutMs;
const imageArrival = Math.max(2 * 10, 10 + 257 * byteMs) + timeoutMs;
export const readFloor = identify + imageArrival + (windowTicks - 1) * timeoutMs;
export const writeFloor = identify + 4 * 10 + 8 * 32 * 20 + imageArrival;

export const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];

// Clicks a button and waits in the page for the status text that ends it.
export function timed(page, button, final) {
  return page.evaluate(
    (button, final) =>
      new Promise((resolve, reject) => {
        const status = document.querySelector('[role="status"]');
        const t0 = performance.now();
        const observer = new MutationObserver(() => {
          const text = status.textContent;
          if (text === final) {
            observer.disconnect();
            resolve(performance.now() - t0);
          } else if (!/^(Reading|Version Read|Writing|Verifying)/.test(text)) {
            observer.disconnect();
            reject(new Error(text));
          }
        });
        observer.observe(status, { childList: true, characterData: true, subtree: true });
        document.getElementById(button).click();
      }),
    button,
    final,
  );
}
