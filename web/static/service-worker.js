// The page offline: every file of the site cached when the worker installs, served from the
// cache first; a new deploy brings a new worker (its list and version differ), which fills a
// cache of its own and drops the old one. An unchanged deploy leaves the worker byte for byte
// as it was, so the browser downloads nothing again.
/* global self, caches, fetch, Request */

// The build replaces the next line with the site's files and a version drawn from their contents.
const kSite = { version: "unbuilt", files: [] };

// Two copies of the site on one host (two folders) keep caches of their own.
const kCachePrefix = `amplix32 ${self.registration.scope} `;
const kCacheName = kCachePrefix + kSite.version;

self.addEventListener("install", (event) => {
    event.waitUntil((async () => {
        const cache = await caches.open(kCacheName);
        // Past the HTTP cache: it may still hold the previous deploy's files.
        await cache.addAll(["./", ...kSite.files].map((file) => new Request(file, { cache: "reload" })));
        await self.skipWaiting();
    })());
});

self.addEventListener("activate", (event) => {
    event.waitUntil((async () => {
        for (const name of await caches.keys())
            if (name.startsWith(kCachePrefix) && name !== kCacheName) await caches.delete(name);
        await self.clients.claim();
    })());
});

self.addEventListener("fetch", (event) => {
    const request = event.request;
    if (request.method !== "GET" || new URL(request.url).origin !== self.location.origin) return;
    event.respondWith((async () => {
        const cache = await caches.open(kCacheName);
        // "index.html?test" is index.html; a link's fragment never reaches the worker.
        const cached = await cache.match(request, { ignoreSearch: true });
        return cached ?? fetch(request);
    })());
});
