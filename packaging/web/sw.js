// Keeps one release of Zarvy for offline play. On its first visit the page
// registers this worker, which copies every file of the site into a cache
// named for the release; from then on the site's files come from that
// cache, with or without a network. The build writes the release (a hash of
// every file of the site) and the file list into this worker, so a new
// release is a new worker: the browser installs it in the background on the
// next visit, copying the new files into a cache of their own while the old
// release goes on serving; when no page of the old release is open any
// more, the new one takes over and deletes the old cache. A copy that fails
// or stalls half-way is never used: the release before it stays in charge.
"use strict";
const release = "@RELEASE@";
const files = @FILES@;

const scope = self.registration.scope;
// Caches are the origin's: another copy of the site at another path keeps
// caches of its own under its own prefix.
const prefix = "zarvy " + scope + " ";
const cacheName = prefix + release;

self.addEventListener("install", (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(cacheName);
    try {
      // Past the browser's HTTP cache: the files of this release, not older ones.
      await cache.addAll(files.map((file) => new Request(new URL(file, scope).href, { cache: "reload" })));
    } catch (error) {
      await caches.delete(cacheName);
      throw error;
    }
  })());
});

self.addEventListener("activate", (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith(prefix) && name !== cacheName) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

// The site's own files from the cache, "./" as index.html; anything else
// (another path of the origin, another origin) from the network as usual.
self.addEventListener("fetch", (event) => {
  const request = event.request;
  if (request.method !== "GET" || !request.url.startsWith(scope)) return;
  const name = new URL(request.url).pathname.slice(new URL(scope).pathname.length) || "index.html";
  if (!files.includes(name)) return;
  event.respondWith((async () => {
    const cached = await caches.match(new URL(name, scope).href, { cacheName });
    return cached || fetch(request);
  })());
});
