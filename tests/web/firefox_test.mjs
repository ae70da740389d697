// Drives the page in Debian's Firefox ESR, headless, through puppeteer-core
// over WebDriver BiDi (nothing downloaded), as a user would: paints and
// reads the pixels back, runs and compares the downloads with the native
// build, reads the field (the Strength view, a profile and the .npy export
// too: readings_checks.mjs), opens a file the program refuses, cancels, lets
// Live rerun after a stroke, and checks the layout at three window sizes.
// It reads only what the page shows (page_reading.mjs).
// Usage: node firefox_test.mjs ROOT SCRATCH
import { execFileSync } from 'node:child_process';
import { mkdirSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { clickedLinks, drawingPixels, linkBytes, pngFile } from './page_reading.mjs';
import { serve } from './serve.mjs';
import { checkReadings } from './readings_checks.mjs';

const [root, scratchRoot] = process.argv.slice(2);
const scratch = join(scratchRoot, 'firefox');
rmSync(scratch, { recursive: true, force: true });
mkdirSync(scratch, { recursive: true });

let failures = 0;
function check(ok, what, detail = '') {
  console.log(`${ok ? 'ok  ' : 'FAIL'}  firefox: ${what}${!ok && detail ? `: ${detail}` : ''}`);
  if (!ok) failures += 1;
}

const { server, url } = await serve(root, true);
const browser = await puppeteer.launch({ browser: 'firefox', executablePath: '/usr/bin/firefox-esr', headless: true,
  userDataDir: join(tmpdir(), `fluxart-firefox-${process.pid}`), args: ['--no-remote'] });
const page = await browser.newPage();
page.on('pageerror', (error) => check(false, 'no script error on the page', error.message));

const text = (selector) => page.$eval(selector, (e) => e.textContent);
const waitDone = () => page.waitForFunction(() => document.getElementById('cancel').disabled &&
  document.getElementById('result-box').dataset.state === 'shown', { timeout: 120000, polling: 20 });
const pixels = () => drawingPixels(page);
const hrefBytes = (href) => linkBytes(page, href);
async function clientPoint(id, x, y) {
  const box = await page.$eval(id, (e) => { const b = e.getBoundingClientRect(); return [b.x, b.y, b.width, b.height]; });
  // Whole pixels: WebDriver BiDi moves the pointer to whole client pixels.
  return [Math.round(box[0] + (x + 0.5) * box[2] / 640), Math.round(box[1] + (y + 0.5) * box[3] / 640)];
}
async function drag(from, to) {
  await page.mouse.move(...await clientPoint('#drawing-view', ...from));
  await page.mouse.down();
  await page.mouse.move(...await clientPoint('#drawing-view', ...to), { steps: 15 });
  await page.mouse.up();
}
const clickExample = (name) => page.$$eval('#examples button', (buttons, wanted) =>
  buttons.find((b) => b.textContent === wanted).click(), name);
// The pixels of row y from x0 to x1 changed to rgb, and nothing else.
function onlyRow(before, after, y, x0, x1, rgb) {
  let wrong = 0;
  for (let k = 0; k < before.length; k += 3) {
    const x = (k / 3) % 640, row = Math.floor(k / 3 / 640);
    const want = row === y && x >= x0 && x <= x1 ? rgb : [before[k], before[k + 1], before[k + 2]];
    if (after[k] !== want[0] || after[k + 1] !== want[1] || after[k + 2] !== want[2]) wrong += 1;
  }
  return wrong;
}

try {
  // Wide enough that a picture pixel is at least a client pixel.
  await page.setViewport({ width: 1640, height: 1100 });
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById('status').dataset.state === 'ready');
  await page.$eval('#live', (box) => { box.checked = false; });
  await clickExample('bar_magnet');
  await page.waitForFunction(() => document.getElementById('status').textContent === 'Opened bar_magnet.png');

  // Pencil in red, then its pixels read back.
  let before = await pixels();
  await page.keyboard.press('p');
  await page.click('#palette button[data-row="361"]');
  await drag([100, 500], [160, 500]);
  const painted = await pixels();
  const wrong = onlyRow(before, painted, 500, 100, 160, [255, 0, 0]);
  check(wrong === 0, 'pencil paints exactly the dragged pixels, in red', `${wrong} pixels wrong`);

  // Run with the tables; every download against the native build.
  const native = join(scratch, 'native');
  mkdirSync(native);
  writeFileSync(join(native, 'bar_magnet.png'), pngFile(await pixels()));
  execFileSync(join(root, 'build/fluxart'), ['bar_magnet.png', '3', '1', 'v'], { cwd: native, stdio: 'ignore' });
  await page.click('#tables');
  await page.click('#run');
  await waitDone();
  const links = await clickedLinks(page, '#downloads a');
  let same = links.length === 6;
  for (const [name, href] of links) same &&= (await hrefBytes(href)).equals(readFileSync(join(native, name)));
  // Isolated, the run takes the threaded build: a thread per processor.
  const [threads, cores] = await page.evaluate(() => [Number(document.getElementById('console').dataset.threads),
    Math.min(navigator.hardwareConcurrency, 16)]);
  check(same && threads === cores,
    `a run's ${links.length} downloads on ${threads} threads (${cores} processors) are byte for byte the native build's`);

  // The readout at a known pixel against the native table.
  const [row, col] = [250, 300];
  await page.mouse.move(...await clientPoint('#result-view', col, row));
  const table = readFileSync(join(native, 'bar_magnet___Z5003_i_vector.txt'), 'latin1').split('\n')[639 - row]
    .split(',')[639 - col].trim();
  const readout = await text('#readout');
  check(new RegExp(`^i ${table.replace(/[.+-]/g, '\\$&')}`, 'm').test(readout), `readout i at (${row}, ${col}) is the table's ${table}`, readout);
  await checkReadings({ page, check, clientPoint, fetchBytes: hrefBytes, nativeFolder: native, scratch,
    stem: 'bar_magnet___Z5003_' });

  // A file that is no PNG is refused and the drawing kept.
  before = await pixels();
  const notes = join(scratch, 'notes.png');
  writeFileSync(notes, 'These are notes about magnets, not a picture at all.\n');
  await (await page.$('#open')).uploadFile(notes);
  await page.waitForFunction(() => document.getElementById('status').dataset.state === 'failed');
  check(await text('#status') === 'This file is not a PNG picture. Your drawing is unchanged.' &&
    (await text('#status-detail')).startsWith('decoder error 28') && (await pixels()).equals(before),
  'a file that is no PNG is refused in plain words, and the drawing kept', await text('#status'));

  // Cancel a thick run part way.
  await page.$eval('#z', (e) => { e.value = '20'; });
  await page.$eval('#w', (e) => { e.value = '4'; });
  await page.click('#run');
  await page.waitForFunction(() => document.getElementById('progress').value > 0.02, { timeout: 60000 });
  await page.click('#cancel');
  await page.waitForFunction(() => document.getElementById('cancel').disabled);
  check(await text('#status') === 'Cancelled', 'cancel stops the run');
  await page.$eval('#z', (e) => { e.value = '3'; });
  await page.$eval('#w', (e) => { e.value = '1'; });

  // Live: on, it runs again after a stroke, with the native build's files.
  await page.click('#live');
  await waitDone();
  await drag([400, 100], [460, 100]);
  await waitDone();
  const live = join(scratch, 'live');
  mkdirSync(live);
  writeFileSync(join(live, 'bar_magnet.png'), pngFile(await pixels()));
  execFileSync(join(root, 'build/fluxart'), ['bar_magnet.png', '3', '1', 'v'], { cwd: live, stdio: 'ignore' });
  const liveLinks = await clickedLinks(page, '#downloads a');
  let liveSame = liveLinks.length === 6;
  for (const [name, href] of liveLinks) liveSame &&= (await hrefBytes(href)).equals(readFileSync(join(live, name)));
  check(liveSame, 'after a stroke Live reruns by itself, with the native build\'s files');

  // The layout at three sizes.
  for (const [width, height] of [[1280, 720], [1600, 1000], [390, 844]]) {
    await page.setViewport({ width, height });
    const layout = await page.evaluate(() => {
      const box = (id) => document.getElementById(id).getBoundingClientRect();
      const inView = (id) => {
        const b = box(id);
        return b.left >= 0 && b.top >= 0 && b.right <= innerWidth && b.bottom <= innerHeight;
      };
      return { sideways: document.documentElement.scrollWidth > innerWidth,
        scrolls: document.documentElement.scrollHeight > innerHeight,
        inView: ['drawing-view', 'result-view', 'run', 'status'].filter(inView),
        oneColumn: box('result-view').top >= box('drawing-view').bottom };
    });
    const phone = width < 800;
    check(!layout.sideways && (phone ? layout.oneColumn && layout.inView.includes('run')
      : !layout.scrolls && layout.inView.length === 4),
    `at ${width} x ${height}: ${phone ? 'one column, Run in view' : 'drawing, field, Run and status in view, no scrolling'}`,
    JSON.stringify(layout));
  }
} catch (error) {
  check(false, 'the Firefox test ran to its end', error.stack);
} finally {
  await browser.close();
  server.kill();
}
process.exit(failures ? 1 : 0);
