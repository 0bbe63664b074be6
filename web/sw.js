// The page's service worker: keeps this build's files, so the game starts with no network.
"use strict";

// Written in by scripts/web: a name for this build's contents, and its files.
const Build = "dev";
const Files = ["./", "index.html"];
const CacheName = "tarnvell-" + Build;

self.addEventListener("install", (event) => {
    // All or nothing: a build is kept only when every file of it arrived. The browser's
    // own cache answers when the server says the file has not changed.
    event.waitUntil(caches.open(CacheName)
        .then((cache) => cache.addAll(Files.map((file) => new Request(file, {cache: "no-cache"}))))
        .then(() => self.skipWaiting()));
});

self.addEventListener("activate", (event) => {
    // A new build replaces the cached one.
    event.waitUntil(caches.keys()
        .then((names) => Promise.all(names
            .filter((name) => name.startsWith("tarnvell-") && name !== CacheName)
            .map((name) => caches.delete(name))))
        .then(() => self.clients.claim()));
});

// This build's files come from the cache (the page's address may carry options); anything
// else goes to the network.
self.addEventListener("fetch", (event) => {
    const request = event.request;
    if (request.method !== "GET" || new URL(request.url).origin !== location.origin) return;
    event.respondWith(caches.open(CacheName)
        .then((cache) => cache.match(request, {ignoreSearch: true}))
        .then((cached) => cached || fetch(request)));
});
