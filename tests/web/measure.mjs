// Times the page in the system's headless Chromium. For each drawing, on a
// fresh page (nothing kept) with Live on: the example opened and run,
// then strokes of the eraser across it, each timed from the end of the
// stroke (the pointer let go) to the new pictures on the page (the status
// saying the run is done), with the kernels the page holds. Prints each
// stroke's time, the run's own time and whether it had to make kernels.
// Usage: node measure.mjs URL [EXAMPLE...]   (the page served, e.g. by
// scripts/studio; examples by name without .png)
import { launchChromium } from './chromium.mjs';

const [url = 'http://127.0.0.1:8000/', ...asked] = process.argv.slice(2);
const examples = asked.length ? asked : ['bar_magnet', 'halbach_array', 'blue_red_discs', 'direction_ring'];
const STROKES = 6;
const { page, close } = await launchChromium({ viewport: { width: 1600, height: 1000 } });

const point = async (x, y) => {
  const box = await page.locator('#drawing-view').boundingBox();
  return [box.x + (x + 0.5) * box.width / 640, box.y + (y + 0.5) * box.height / 640];
};
// Resolves with the milliseconds from the stroke's end to the status of a
// finished run, and to the run's start (its status "Running…"), and that
// status.
const timeNextRun = () => page.evaluate(() => new Promise((resolve) => {
  let ended = null, running = null;
  document.getElementById('drawing-view').addEventListener('pointerup', () => { ended = performance.now(); },
    { capture: true, once: true });
  const status = document.getElementById('status');
  const observer = new MutationObserver(() => {
    if (ended !== null && running === null && status.dataset.state === 'running') running = performance.now();
    if (ended === null || status.dataset.state === 'running' || !document.getElementById('cancel').disabled) return;
    observer.disconnect();
    resolve({ ms: performance.now() - ended, startMs: running - ended, status: status.textContent });
  });
  observer.observe(status, { childList: true, characterData: true, subtree: true, attributes: true });
}));

let started = Date.now();
await page.goto(url);
await page.waitForFunction(() => document.getElementById('status').dataset.state === 'ready');
console.log(`first load: ${((Date.now() - started) / 1000).toFixed(2)} s`);
for (const example of examples) {
  await page.reload();
  await page.waitForFunction(() => document.getElementById('status').dataset.state === 'ready');
  started = Date.now();
  await page.click(`#examples button:text-is("${example}")`);
  await page.waitForFunction(() => /^Done/.test(document.getElementById('status').textContent), null,
    { timeout: 600000, polling: 20 });
  console.log(`${example}: opened and run with nothing kept in ${((Date.now() - started) / 1000).toFixed(2)} s ` +
    `(${await page.textContent('#status')})`);
  await page.keyboard.press('e');
  const times = [];
  for (let n = 0; n < STROKES; ++n) {
    const y = 150 + 60 * n;
    const timing = timeNextRun();
    await page.mouse.move(...await point(60, y));
    await page.mouse.down();
    await page.mouse.move(...await point(580, y + 20), { steps: 10 });
    await page.mouse.up();
    const { ms, startMs, status } = await timing;
    times.push(ms);
    console.log(`  stroke ${n + 1}: ${(ms / 1000).toFixed(2)} s from its end to the new pictures, ` +
      `the run starting after ${startMs.toFixed(0)} ms (${status})`);
  }
  const sorted = [...times].sort((a, b) => a - b);
  console.log(`  median ${(sorted[Math.floor(sorted.length / 2)] / 1000).toFixed(2)} s, ` +
    `best ${(sorted[0] / 1000).toFixed(2)} s`);
}
await close();
