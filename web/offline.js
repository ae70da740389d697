// Service worker that lets the page go on working with no network once it
// has loaded: every file the page and its run workers use is stored when the
// page is first opened, and answers when the network does not (the network
// comes first, so a rebuilt page is seen at once when online).
const STORE = 'fluxart-studio';

// The page's files are listed in files.json and the examples in
// examples/examples.json, both made with the page (scripts/build-web).
self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const store = await caches.open(STORE);
    const listed = async (list) => (await fetch(list)).json();
    const [files, examples] = await Promise.all([listed('files.json'), listed('examples/examples.json')]);
    await store.addAll(['./', 'files.json', 'examples/examples.json', ...files,
      ...examples.map((name) => `examples/${name}`)]);
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith((async () => {
    try {
      const response = await fetch(event.request);
      if (response.ok && new URL(event.request.url).origin === self.location.origin) {
        const copy = response.clone();
        caches.open(STORE).then((store) => store.put(event.request, copy));
      }
      return response;
    } catch (error) {
      const stored = await caches.match(event.request, { ignoreSearch: true });
      if (stored) return stored;
      throw error;
    }
  })());
});
