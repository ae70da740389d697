// Times the page in the system's headless Chromium. For each drawing, on a
// fresh page (nothing kept) with Live on: the example opened and run,
// then strokes of the eraser across it, each timed from the end of the
// stroke (the pointer let go) to the new pictures on the page (the status
// saying the run is done), with the kernels the page holds. Prints each
// stroke's time, the run's own time and whether it had to make kernels.
// Usage: node measure.mjs URL [EXAMPLE...]   (the page served, e.g. by
// scripts/studio; examples by name without .png)
import { launchChromium } from './chromium.mjs';
import { median, openExample, timeStroke } from './live_strokes.mjs';

const [url = 'http://127.0.0.1:8000/', ...asked] = process.argv.slice(2);
const examples = asked.length ? asked : ['bar_magnet', 'halbach_array', 'blue_red_discs', 'direction_ring'];
const STROKES = 6;
const { page, close } = await launchChromium({ viewport: { width: 1600, height: 1000 } });

let started = Date.now();
await page.goto(url);
await page.waitForFunction(() => document.getElementById('status').dataset.state === 'ready');
console.log(`first load: ${((Date.now() - started) / 1000).toFixed(2)} s`);
for (const example of examples) {
  await page.reload();
  await page.waitForFunction(() => document.getElementById('status').dataset.state === 'ready');
  started = Date.now();
  const status = await openExample(page, example);
  console.log(`${example}: opened and run with nothing kept in ${((Date.now() - started) / 1000).toFixed(2)} s ` +
    `(${status})`);
  const times = [];
  for (let n = 0; n < STROKES; ++n) {
    const { ms, startMs, status } = await timeStroke(page, n);
    times.push(ms);
    console.log(`  stroke ${n + 1}: ${(ms / 1000).toFixed(2)} s from its end to the new pictures, ` +
      `the run starting after ${startMs.toFixed(0)} ms (${status})`);
  }
  console.log(`  median ${(median(times) / 1000).toFixed(2)} s, best ${(Math.min(...times) / 1000).toFixed(2)} s`);
}
await close();
