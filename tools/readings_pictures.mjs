// Makes the README's pictures of the field pane's readings in headless
// Chromium: the Strength view of examples/bar_magnet.png (|B|, logarithmic)
// with its colour bar, and a profile along the magnet's axis with its
// plot. Usage: node tools/readings_pictures.mjs ROOT OUT_FOLDER
// (scripts/make-readings-pictures).
import { join } from 'node:path';
import { launchChromium } from '../tests/web/chromium.mjs';
import { serve } from '../tests/web/serve.mjs';

const [root, out] = process.argv.slice(2);
const { server, url } = await serve(root, true);
const { page, close } = await launchChromium({ viewport: { width: 1640, height: 1100 } });

// A screenshot of the boxes of the elements with these ids, together.
async function shoot(ids, name) {
  const boxes = await Promise.all(ids.map((id) => page.locator(`#${id}`).boundingBox()));
  const left = Math.min(...boxes.map((b) => b.x)), top = Math.min(...boxes.map((b) => b.y));
  const right = Math.max(...boxes.map((b) => b.x + b.width)), bottom = Math.max(...boxes.map((b) => b.y + b.height));
  await page.screenshot({ path: join(out, name), clip: { x: left, y: top, width: right - left, height: bottom - top } });
  console.log(join(out, name));
}
async function clientPoint(x, y) {
  const box = await page.locator('#result-view').boundingBox();
  return [box.x + (x + 0.5) * box.width / 640, box.y + (y + 0.5) * box.height / 640];
}

try {
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById('status').dataset.state === 'ready');
  await page.uncheck('#live');
  await page.click('#examples button:text-is("bar_magnet")');
  await page.click('#run');
  await page.waitForFunction(() => document.getElementById('result-box').dataset.state === 'shown' &&
    document.getElementById('cancel').disabled, null, { timeout: 300000 });
  await page.click('#tabs button[data-picture="strength"]');
  await page.check('#strength-log');
  await page.mouse.move(0, 0);
  await shoot(['result-box', 'strength-controls'], 'strength_view.png');

  await page.click('#tabs button[data-picture="contours"]');
  await page.click('#profile-tool');
  await page.mouse.move(...await clientPoint(320, 60));
  await page.mouse.down();
  await page.mouse.move(...await clientPoint(320, 580), { steps: 10 });
  await page.mouse.up();
  await page.waitForFunction(() => document.querySelectorAll('#profile-downloads a').length === 3);
  const plot = await page.locator('#profile-plot svg').boundingBox();
  await page.mouse.move(plot.x + plot.width * 0.62, plot.y + plot.height / 2);
  await shoot(['result-box', 'profile'], 'profile.png');
} finally {
  await close();
  server.kill();
}
