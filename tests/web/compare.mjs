// Times two builds of the page against each other in the system's headless
// Chromium, stroke for stroke: both pages open the example (each making its
// own kernels), then eraser strokes go to one page and the other in turn,
// so that a machine whose speed drifts from minute to minute slows both
// alike. Prints each pair of reruns (from the stroke's end to the new
// pictures), the medians and the median of the pairs' ratios (second over
// first). Serve each build on its own port (each page keeps its kernels in
// its own origin's worker).
// Usage: node compare.mjs URL_FIRST URL_SECOND [EXAMPLE [STROKES]]
//   e.g. python3 tools/serve_page.py 8001 build-web-old &
//        python3 tools/serve_page.py 8002 build-web &
//        node tests/web/compare.mjs http://127.0.0.1:8001/ http://127.0.0.1:8002/ direction_ring 8
import { launchChromium } from './chromium.mjs';
import { median, openExample, timeStroke } from './live_strokes.mjs';

const [first, second, example = 'direction_ring', strokes = '8'] = process.argv.slice(2);
if (!first || !second) {
  console.error('usage: node compare.mjs URL_FIRST URL_SECOND [EXAMPLE [STROKES]]');
  process.exit(2);
}
const { context, close } = await launchChromium({ viewport: { width: 1600, height: 1000 } });
const pages = [];
for (const url of [first, second]) {
  const page = await context.newPage();
  await page.goto(url);
  console.log(`${url}: ${example} opened and run with nothing kept (${await openExample(page, example)})`);
  pages.push(page);
}
const times = [[], []];
for (let n = 0; n < Number(strokes); ++n) {
  for (let k = 0; k < 2; ++k) {
    await pages[k].bringToFront();
    times[k].push((await timeStroke(pages[k], n)).ms);
  }
  console.log(`  stroke ${n + 1}: ${(times[0][n] / 1000).toFixed(2)} s / ${(times[1][n] / 1000).toFixed(2)} s`);
}
const ratios = times[1].map((ms, n) => ms / times[0][n]);
console.log(`median ${(median(times[0]) / 1000).toFixed(2)} s / ${(median(times[1]) / 1000).toFixed(2)} s, ` +
  `second over first: median ${median(ratios).toFixed(3)}, ` +
  `${ratios.filter((r) => r < 1).length} of ${ratios.length} pairs faster`);
await close();
