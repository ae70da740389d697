// Service worker that lets the page go on working with no network once it
// has loaded: every file the page and its run workers use is stored when the
// page is first opened, and answers when the network does not (the network
// comes first, so a rebuilt page is seen at once when online).
const STORE = 'fluxart-studio';
const FILES = ['./', 'index.html', 'style.css', 'main.js', 'dom.js', 'status.js', 'palette.js', 'tools.js',
  'files.js', 'run_panel.js', 'views.js', 'program.js', 'drawing.js', 'pixel_view.js', 'runner.js', 'run_worker.js',
  'readout.js', 'progress.js', 'picture_size.js', 'color_map.js', 'strength.js', 'scales.js', 'color_bar.js',
  'strength_view.js', 'scale_bar.js', 'profile.js', 'profile_view.js', 'npy.js', 'fluxart_web.js', 'fluxart_web.wasm',
  'fluxart_web_threads.js', 'fluxart_web_threads.wasm', 'fluxart_web_threads.worker.js', 'examples/examples.json'];

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const store = await caches.open(STORE);
    await store.addAll(FILES);
    const examples = await (await store.match('examples/examples.json')).json();
    await store.addAll(examples.map((name) => `examples/${name}`));
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
