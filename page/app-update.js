// The web app's service worker and its updates. Only the hosted site
// (marked by its build) registers one; the one file opened from disk has
// none. A new version installs beside the running one and waits: the page
// offers "Reload to update", and only the user's press swaps and reloads,
// never while a write or a plan has the port.
export class AppUpdates {
  // button: the "Reload to update" button; isBusy(): a write or plan runs.
  constructor(button, isBusy) {
    this.button = button;
    this.isBusy = isBusy;
    this.waiting = null;
    this.asked = false;
    if (document.documentElement.dataset.site !== "true" || !("serviceWorker" in navigator)) return;
    button.addEventListener("click", () => this.apply());
    // Reload only for this page's own press: another tab's update must not
    // reload this one under a write.
    navigator.serviceWorker.addEventListener("controllerchange", () => {
      if (this.asked) location.reload();
    });
    this.start().catch((error) => console.info("service worker:", error));
  }

  async start() {
    const registration = await navigator.serviceWorker.register("sw.js");
    const watch = (worker) => {
      if (!worker) return;
      const check = () => {
        // The first install has nothing to replace.
        if (worker.state === "installed" && navigator.serviceWorker.controller) this.offer(worker);
      };
      worker.addEventListener("statechange", check);
      check();
    };
    watch(registration.waiting);
    registration.addEventListener("updatefound", () => watch(registration.installing));
    // Look for a new version now and then, and when the page is shown again.
    setInterval(() => registration.update().catch(() => {}), 60 * 60 * 1000);
    document.addEventListener("visibilitychange", () => {
      if (document.visibilityState === "visible") registration.update().catch(() => {});
    });
  }

  offer(worker) {
    this.waiting = worker;
    this.button.hidden = false;
    this.refresh();
  }

  // Called when a write or a plan starts or ends.
  refresh() {
    this.button.disabled = this.isBusy();
  }

  apply() {
    if (!this.waiting || this.isBusy()) return;
    this.asked = true;
    this.waiting.postMessage("update");
  }
}
