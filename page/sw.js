// The web app's service worker: every file of the site cached on install
// and served from the cache first, so that after one visit the page opens,
// reads and writes with no network. The build fills in the cache name (from
// the files' content) and the file list; a new name is a new version,
// which waits until the page asks for it (the user pressed "Reload to
// update"), so that no open page is swapped under a write.
const Cache = "wrenbolt-dev";
const Files = [/* FILES */];

self.addEventListener("install", (event) => {
  event.waitUntil(caches.open(Cache).then((cache) => cache.addAll(Files)));
});

self.addEventListener("activate", (event) => {
  event.waitUntil(
    (async () => {
      for (const name of await caches.keys()) if (name.startsWith("wrenbolt-") && name !== Cache) await caches.delete(name);
      await self.clients.claim();
    })(),
  );
});

self.addEventListener("message", (event) => {
  if (event.data === "update") self.skipWaiting();
});

// The page's address may carry a query (?sim=...): the same file.
self.addEventListener("fetch", (event) => {
  if (event.request.method !== "GET") return;
  event.respondWith(
    (async () => {
      const cached = await caches.match(event.request, { cacheName: Cache, ignoreSearch: true });
      return cached ?? fetch(event.request);
    })(),
  );
});
