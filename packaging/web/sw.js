// The page's files kept on the player's machine, so that after one visit the
// game loads and plays with no network. Each build's worker keeps them under
// a name of its own (the build's, filled in when the page is made); once a
// new build's has kept its files, the old build's are deleted.
"use strict";
var KEPT = "junkfall-@BUILD@";
var FILES = ["./", "index.html", "page.js", "page.css", "junkfall.js", "junkfall.wasm", "media/data.dat",
             "manifest.webmanifest", "junkfall-32.png", "junkfall-192.png", "junkfall-256.png",
             "junkfall-512.png"];

self.addEventListener("install", function (e) {
  e.waitUntil(caches.open(KEPT).then(function (c) {
    return c.addAll(FILES.map(function (f) { return new Request(f, { cache: "reload" }); }));
  }).then(function () { return self.skipWaiting(); }));
});

self.addEventListener("activate", function (e) {
  e.waitUntil(caches.keys().then(function (names) {
    return Promise.all(names.filter(function (n) {
      return n != KEPT && n.indexOf("junkfall-") == 0;
    }).map(function (n) { return caches.delete(n); }));
  }).then(function () { return self.clients.claim(); }));
});

// the page's own files from what is kept (whatever the query), anything else
// from the network
self.addEventListener("fetch", function (e) {
  if (e.request.method != "GET")
    return;
  e.respondWith(caches.open(KEPT).then(function (c) {
    return c.match(e.request, { ignoreSearch: true });
  }).then(function (kept) { return kept || fetch(e.request); }));
});
