// Times the page in the system's headless Chromium, each case in a fresh
// browser: first load, Run to pictures of bar_magnet.png with nothing kept
// and again, and the same for direction_ring.png (no tables). Usage:
// node measure.mjs URL   (the page served, e.g. by scripts/studio)
import { launchChromium } from './chromium.mjs';

const url = process.argv[2] ?? 'http://127.0.0.1:8000/';
const { page, close } = await launchChromium();
let started = Date.now();
await page.goto(url);
await page.waitForFunction(() => document.getElementById('status').dataset.state === 'ready');
await page.uncheck('#live');
console.log(`first load: ${((Date.now() - started) / 1000).toFixed(2)} s`);
for (const example of ['bar_magnet', 'direction_ring']) {
  // A fresh page holds no kernels.
  await page.reload();
  await page.waitForFunction(() => document.getElementById('status').dataset.state === 'ready');
  await page.uncheck('#live');
  await page.click(`#examples button:text-is("${example}")`);
  for (const label of ['nothing kept', 'second run']) {
    const positions = new Set();
    started = Date.now();
    await page.click('#run');
    while (!await page.$eval('#cancel', (b) => b.disabled)) {
      positions.add(await page.$eval('#progress', (p) => p.value.toFixed(3)));
      await page.waitForTimeout(50);
    }
    await page.waitForFunction(() => document.getElementById('result-box').dataset.state === 'shown');
    console.log(`${example}, ${label}: ${((Date.now() - started) / 1000).toFixed(2)} s to the pictures ` +
      `(${await page.textContent('#status')}; progress bar seen at ${positions.size} positions; ` +
      `${await page.textContent('#kernels')})`);
  }
}
await close();
