// Takes the README's pictures of the page in the system's headless
// Chromium: docs/studio.png at 1280 x 720 (the bar magnet with a stroke
// painted on it, run by Live, both pictures shown and the field read at a
// point) and docs/studio_phone.png at 390 x 844 on a touch screen (the same
// run, scrolled to the field). Usage: node tools/studio_pictures.mjs ROOT
// OUT_FOLDER, with build-web/ built; run by scripts/make-studio-picture.
import { join } from 'node:path';
import { launchChromium } from '../tests/web/chromium.mjs';
import { serve } from '../tests/web/serve.mjs';

const [root, out] = process.argv.slice(2);
const { server, url } = await serve(root, true);

async function picture({ viewport, isMobile, file }) {
  const { page, close } = await launchChromium({ viewport, isMobile, hasTouch: isMobile, deviceScaleFactor: 1 });
  try {
    await page.goto(url);
    await page.waitForFunction(() => document.getElementById('status').dataset.state === 'ready');
    const shown = () => page.waitForFunction(() => document.getElementById('cancel').disabled &&
      document.getElementById('result-box').dataset.state === 'shown', null, { timeout: 120000 });
    await page.click('#examples button:text-is("bar_magnet")');
    await shown();
    const point = async (canvas, x, y) => {
      const box = await page.locator(canvas).boundingBox();
      return [box.x + (x + 0.5) * box.width / 640, box.y + (y + 0.5) * box.height / 640];
    };
    // A stroke of 3:00 aqua below the bar, painted with the mouse.
    await page.click('#palette button[data-row="363"]');
    await page.selectOption('#pen-size', '9');
    await page.locator('#drawing-view').scrollIntoViewIfNeeded();
    await page.mouse.move(...await point('#drawing-view', 240, 470));
    await page.mouse.down();
    await page.mouse.move(...await point('#drawing-view', 400, 470), { steps: 20 });
    await page.mouse.up();
    await shown();
    await page.click('#tabs button[data-picture="stream_contours"]');
    if (isMobile) await page.locator('#result-view').scrollIntoViewIfNeeded();
    await page.mouse.move(...await point('#result-view', 300, 250));
    await page.screenshot({ path: join(out, file) });
    console.log(join(out, file));
  } finally {
    await close();
  }
}

try {
  await picture({ viewport: { width: 1280, height: 720 }, isMobile: false, file: 'studio.png' });
  await picture({ viewport: { width: 390, height: 844 }, isMobile: true, file: 'studio_phone.png' });
} finally {
  server.kill();
}
