// Drives the page in the system's headless Chromium, as a user would: opens
// an example, paints with the mouse, saves, runs, reads the field, opens
// Drives the page in the system's headless Chromium, as a user would: opens
// an example, paints with the mouse, saves, runs, reads the field, opens
// pictures the program refuses, cancels a run, reads the Strength view,
// a profile and the .npy export (readings_checks.mjs). Compares what the
// page makes with the native build. It reads only what the page shows
// (page_reading.mjs): the drawing's canvas, the download links, the status
// and the kernels the page says it holds. Usage: node browser_test.mjs ROOT
// SCRATCH
import { execFileSync } from 'node:child_process';
import { mkdirSync, readFileSync, readdirSync, rmSync, writeFileSync, copyFileSync } from 'node:fs';
import { join } from 'node:path';
import { launchChromium } from './chromium.mjs';
import { bombPicture, widePicture } from './drawings.mjs';
import { clickedLinks, drawingPixels, kernelsHeld, linkBytes } from './page_reading.mjs';
import { serve } from './serve.mjs';
import { checkReadings } from './readings_checks.mjs';

const [root, scratchRoot] = process.argv.slice(2);
const scratch = join(scratchRoot, 'browser');
rmSync(scratch, { recursive: true, force: true });
mkdirSync(scratch, { recursive: true });

let failures = 0;
function check(ok, what, detail = '') {
  console.log(`${ok ? 'ok  ' : 'FAIL'}  browser: ${what}${!ok && detail ? `: ${detail}` : ''}`);
  if (!ok) failures += 1;
}

const { server, url } = await serve(root, true);
const { context, page, close } =
  await launchChromium({ viewport: { width: 1640, height: 1100 }, acceptDownloads: true });
page.on('pageerror', (error) => check(false, 'no script error on the page', error.message));

const state = () => page.$eval('#status', (e) => e.dataset.state);
const statusText = () => page.textContent('#status');
const pixels = () => drawingPixels(page);
const colorAt = (rgb, x, y) => [...rgb.subarray(3 * (640 * y + x), 3 * (640 * y + x) + 3)];
const same = (a, b) => a.length === b.length && a.every((v, n) => v === b[n]);
const waitRun = () => page.waitForFunction(() => document.getElementById('cancel').disabled, null, { timeout: 120000 });

async function clientPoint(canvas, x, y) {
  const box = await page.locator(canvas).boundingBox();
  return [box.x + (x + 0.5) * box.width / 640, box.y + (y + 0.5) * box.height / 640];
}
async function drag(from, to) {
  await page.mouse.move(...await clientPoint('#drawing-view', ...from));
  await page.mouse.down();
  await page.mouse.move(...await clientPoint('#drawing-view', ...to), { steps: 12 });
  await page.mouse.up();
}
// The pixels that differ between two drawings, as "x,y" keys.
function changed(before, after) {
  const keys = new Set();
  for (let k = 0; k < before.length; k += 3)
    if (before[k] !== after[k] || before[k + 1] !== after[k + 1] || before[k + 2] !== after[k + 2])
      keys.add(`${(k / 3) % 640},${Math.floor(k / 3 / 640)}`);
  return keys;
}
function expectPainted(before, after, expected, color, what) {
  const got = changed(before, after);
  const wrongColor = [...got].filter((key) => !same(colorAt(after, ...key.split(',').map(Number)), color));
  const missing = [...expected].filter((key) => !got.has(key));
  const extra = [...got].filter((key) => !expected.has(key));
  check(!wrongColor.length && !missing.length && !extra.length, what,
    `${missing.length} missing, ${extra.length} extra, ${wrongColor.length} in another colour`);
}
const blobBytes = (href) => linkBytes(page, href);

try {
  // Load.
  let started = Date.now();
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById('status').dataset.state === 'ready');
  const loadSeconds = (Date.now() - started) / 1000;
  check(true, `page loaded in ${loadSeconds.toFixed(2)} s`);
  // Runs only when asked, until the live reruns are tested below.
  await page.uncheck('#live');

  // One click opens an example.
  await page.click('#examples button:text-is("bar_magnet")');
  await page.waitForFunction(() => document.getElementById('status').textContent === 'Opened bar_magnet.png');
  const example = await pixels();
  check(colorAt(example, 320, 320).join() === '255,255,128', 'bar_magnet opens with its light yellow bar');

  // Pencil: a row of red pixels.
  let before = await pixels();
  await page.keyboard.press('p');
  await page.click('#palette button[data-row="361"]');
  await drag([100, 500], [160, 500]);
  let after = await pixels();
  let expected = new Set();
  for (let x = 100; x <= 160; ++x) expected.add(`${x},500`);
  expectPainted(before, after, expected, [255, 0, 0], 'pencil paints exactly the dragged pixels, in red');

  // Line in fine direction 90 from its number box.
  before = after;
  await page.keyboard.press('l');
  await page.fill('#direction-number', '90');
  await page.press('#direction-number', 'Enter');
  await drag([100, 520], [140, 560]);
  after = await pixels();
  expected = new Set();
  for (let t = 0; t <= 40; ++t) expected.add(`${100 + t},${520 + t}`);
  expectPainted(before, after, expected, [91, 100, 1], 'line paints the diagonal in fine direction 90');
  const note = await page.textContent('#direction-note');
  check(note.startsWith('colour 91 100 1. The 3:00 aqua swatch (0 255 255) points the same way'),
    'the direction note gives the colour and its named twin', note);

  // Ellipse in aqua.
  before = after;
  await page.keyboard.press('o');
  await page.click('#palette button[data-row="363"]');
  await drag([300, 480], [340, 509]);
  after = await pixels();
  expected = new Set();
  for (let y = 480; y <= 509; ++y)
    for (let x = 300; x <= 340; ++x) {
      const u = (x + 0.5 - 320.5) / 20.5, v = (y + 0.5 - 495) / 15;
      if (u * u + v * v <= 1) expected.add(`${x},${y}`);
    }
  expectPainted(before, after, expected, [0, 255, 255], 'ellipse fills the pixels whose centres lie inside');

  // Fill the bar with direction 255, whose colour direction 254 shares.
  before = after;
  await page.keyboard.press('f');
  await page.fill('#direction-number', '255');
  await page.press('#direction-number', 'Enter');
  await page.mouse.click(...await clientPoint('#drawing-view', 320, 320));
  after = await pixels();
  expected = new Set();
  for (let k = 0; k < before.length; k += 3)
    if (before[k] === 255 && before[k + 1] === 255 && before[k + 2] === 128)
      expected.add(`${(k / 3) % 640},${Math.floor(k / 3 / 640)}`);
  expectPainted(before, after, expected, [255, 100, 1], 'fill turns the whole bar into the shared colour');
  await page.mouse.move(...await clientPoint('#drawing-view', 320, 320));
  check((await page.textContent('#hover')).includes('acts as dir 254'), 'hover names the shared colour as dir 254');
  await page.mouse.move(...await clientPoint('#drawing-view', 5, 5));
  check((await page.textContent('#hover')).endsWith('empty space'), 'hover calls white empty space');

  await page.keyboard.press('Control+z');
  check(same(await pixels(), before), 'undo takes the fill back');
  await page.keyboard.press('Control+y');
  check(same(await pixels(), after), 'redo paints it again');

  // Save, then run with the tables.
  const [saved] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
  const savedPath = join(scratch, 'bar_magnet.png');
  await saved.saveAs(savedPath);
  await page.click('#clear');
  await page.setInputFiles('#open', savedPath);
  await page.waitForFunction(() => document.getElementById('status').textContent === 'Opened bar_magnet.png');
  check(saved.suggestedFilename() === 'bar_magnet.png' && same(await pixels(), after),
    'Save writes bar_magnet.png, which opens again to the painted pixels');

  const nativeFolder = join(scratch, 'native');
  mkdirSync(nativeFolder);
  copyFileSync(savedPath, join(nativeFolder, 'bar_magnet.png'));
  execFileSync(join(root, 'build/fluxart'), ['bar_magnet.png', '3', '1', 'v'], { cwd: nativeFolder, stdio: 'ignore' });

  await page.check('#tables');
  started = Date.now();
  await page.click('#run');
  await waitRun();
  const firstRun = (Date.now() - started) / 1000;
  // Isolated, the run takes the threaded build: a thread per processor.
  const threadsOfRun = () => page.$eval('#console', (e) => Number(e.dataset.threads));
  const cores = await page.evaluate(() => Math.min(navigator.hardwareConcurrency, 16));
  const firstThreads = await threadsOfRun();
  check(await state() === 'done' && firstThreads === cores,
    `run finishes (${firstRun.toFixed(2)} s with no kernels kept, on ${firstThreads} threads, ${cores} processors)`,
    await statusText());
  // A picture's file is encoded when its link is followed, and downloads so.
  const [picture] = await Promise.all([page.waitForEvent('download'), page.click('#downloads a >> nth=0')]);
  const pictureName = picture.suggestedFilename();
  await picture.saveAs(join(scratch, `followed_${pictureName}`));
  check(readFileSync(join(scratch, `followed_${pictureName}`)).equals(readFileSync(join(nativeFolder, pictureName))),
    `following the link of ${pictureName} downloads the native build's file`);
  const links = await clickedLinks(page, '#downloads a');
  const nativeOutputs = readdirSync(nativeFolder).filter((f) => !f.startsWith('Fluxart_Z') && f !== 'bar_magnet.png');
  check(same(links.map((l) => l[0]).sort(), nativeOutputs.sort()), 'downloads carry the native file names',
    links.map((l) => l[0]).join(' '));
  for (const [name, href] of links) {
    const bytes = await blobBytes(href);
    writeFileSync(join(scratch, name), bytes);
    check(bytes.equals(readFileSync(join(nativeFolder, name))), `${name} is byte for byte the native one`);
  }
  const heldAfterFirst = await kernelsHeld(page);
  check(heldAfterFirst > 0 && /^Done in [\d.]+ s, \d+ kernels? made$/.test(await statusText()),
    `the page holds the ${heldAfterFirst} kernels it made`, await statusText());

  // Readout at a known pixel against the native tables.
  const [row, col] = [250, 300];
  await page.mouse.move(...await clientPoint('#result-view', col, row));
  const readout = await page.textContent('#readout');
  const tableValue = (component) => readFileSync(join(nativeFolder, `bar_magnet___Z5003_${component}_vector.txt`),
    'latin1').split('\n')[639 - row].split(',')[639 - col].trim();
  for (const component of ['i', 'j', 'k']) {
    const shown = new RegExp(`^${component} (\\S+)`, 'm').exec(readout)?.[1];
    check(shown === tableValue(component), `readout ${component} at (${row}, ${col}) is the table's ${tableValue(component)}`,
      `shows ${shown}`);
  }
  check(/\d mT/.test(readout), 'readout shows millitesla for a magnet drawing');
  await checkReadings({ page, check, clientPoint, fetchBytes: blobBytes, nativeFolder, scratch,
    stem: 'bar_magnet___Z5003_' });

  // A second run at the same z reuses the kept kernels, shared with the run
  // here and copied for it from a plain server, and its files are the
  // native build's again.
  started = Date.now();
  await page.click('#run');
  await waitRun();
  const secondRun = (Date.now() - started) / 1000;
  const reused = async () => await page.evaluate(() => crossOriginIsolated) + ' ' +
    /^Done in [\d.]+ s$/.test(await statusText());
  let secondSame = true;
  for (const [name, href] of await clickedLinks(page, '#downloads a'))
    secondSame &&= (await blobBytes(href)).equals(readFileSync(join(nativeFolder, name)));
  check(await state() === 'done' && await reused() === 'true true' && secondSame,
    `second run finishes without making a kernel (${secondRun.toFixed(2)} s, kernels shared), with the native build's files`,
    await statusText());
  const plain = await serve(root, false);
  try {
    await page.goto(plain.url);
    await page.waitForFunction(() => document.getElementById('status').dataset.state === 'ready');
    await page.uncheck('#live');
    await page.click('#examples button:text-is("bar_magnet")');
    for (let n = 0; n < 2; ++n) {
      await page.click('#run');
      await waitRun();
    }
    const plainFolder = join(scratch, 'plain');
    mkdirSync(plainFolder);
    copyFileSync(join(root, 'examples/bar_magnet.png'), join(plainFolder, 'bar_magnet.png'));
    const plainArgs = ['bar_magnet.png', '3', '1', ...(await page.isChecked('#tables') ? ['v'] : [])];
    execFileSync(join(root, 'build/fluxart'), plainArgs, { cwd: plainFolder, stdio: 'ignore' });
    const plainLinks = await clickedLinks(page, '#downloads a');
    let plainSame = plainLinks.length >= 3;
    for (const [name, href] of plainLinks) plainSame &&= (await blobBytes(href)).equals(readFileSync(join(plainFolder, name)));
    check(await state() === 'done' && await reused() === 'false true' && await threadsOfRun() === 1 && plainSame,
      'from a plain server, a second run on one thread makes no kernel (kernels copied) and gives the native ' +
      `build's ${plainLinks.length} files`);
  } finally {
    plain.server.kill();
  }
  await page.goto(url);
  await page.waitForFunction(() => document.getElementById('status').dataset.state === 'ready');
  await page.uncheck('#live');

  // With the network gone, examples still open and runs still run.
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, null, { timeout: 10000 });
  await context.setOffline(true);
  await page.click('#examples button:text-is("electric_dipole")');
  await page.waitForFunction(() => document.getElementById('status').textContent === 'Opened electric_dipole.png');
  await page.click('#run');
  await waitRun();
  const offlineReadout = await page.textContent('#readout');
  check(await state() === 'done', 'offline, an example opens and runs');
  await page.mouse.move(...await clientPoint('#result-view', col, row));
  check(/no mT/.test(await page.textContent('#readout')) && !/\d mT/.test(await page.textContent('#readout')),
    'readout gives no millitesla for the monopole colours', offlineReadout);
  await context.setOffline(false);

  // Refused pictures keep the drawing.
  before = await pixels();
  const refusals = [
    ['wide.png', widePicture(), 'This picture is not 640 × 640 pixels.',
      'fluxart: wide.png is 641 x 640 pixels; the drawing must be 640 x 640'],
    ['notes.png', Buffer.from('These are notes about magnets, not a picture at all.\n'), 'This file is not a PNG picture.',
      "decoder error 28: incorrect PNG signature, it's no PNG or corrupted"],
    ['cut.png', readFileSync(savedPath).subarray(0, 200), 'This PNG file is damaged or cut short.', null],
    ['bomb.png', bombPicture(), 'This file is too large for a 640 × 640 drawing.',
      'decoder error 109: tried to decompress zlib or deflate data larger than desired max_output_size'],
  ];
  for (const [name, buffer, words, line] of refusals) {
    await page.setInputFiles('#open', { name, mimeType: 'image/png', buffer });
    await page.waitForFunction(() => document.getElementById('status').dataset.state === 'failed');
    const text = await statusText();
    const detail = await page.textContent('#status-detail');
    check(text === `${words} Your drawing is unchanged.` && (line ? detail === line : /^decoder error \d+: /.test(detail)) &&
      same(await pixels(), before), `${name} is refused with "${text}" over "${detail}", and the drawing kept`);
    await page.evaluate(() => { document.getElementById('status').dataset.state = 'ready'; });
  }

  // Cancel a thick run part way: the page stays usable and keeps its kernels.
  const keptBefore = await kernelsHeld(page);
  await page.fill('#z', '20');
  await page.fill('#w', '4');
  check(await page.textContent('#result-note') === 'out of date' &&
    (await page.textContent('#downloads')).startsWith('Files of electric_dipole.png at z = 3 mm:'),
  'changed inputs mark the pictures out of date, and the downloads name their drawing and z');
  await page.click('#run');
  await page.waitForFunction(() => document.getElementById('progress').value > 0.05);
  const progressText = await page.textContent('#progress-text');
  check(/^Layer [1-4] of 4 · (11|7|5|3|1) × \1 blocks · \d+ %( · making the field of a (\d+) × \3 block (at \d+°|of charge|magnetised through the sheet) \(\d+ of \d+\))?$/
    .test(progressText), 'progress is told in plain words', progressText);
  await page.click('#cancel');
  await waitRun();
  const keptAfter = await kernelsHeld(page);
  check(await statusText() === 'Cancelled' && keptAfter >= keptBefore, 'cancel stops the run and keeps the kernels');
  await page.fill('#z', '3');
  await page.fill('#w', '1');

  // The layout: at two window sizes the drawing, the field, Run and the
  // run's status are in view and nothing scrolls; on a phone one column,
  // and a finger paints a stroke whole.
  await page.click('#examples button:text-is("bar_magnet")');
  for (const [width, height] of [[1280, 720], [1600, 1000], [390, 844]]) {
    await page.setViewportSize({ width, height });
    const layout = await page.evaluate(() => {
      const box = (id) => document.getElementById(id).getBoundingClientRect();
      const inView = (id) => {
        const b = box(id);
        return b.left >= 0 && b.top >= 0 && b.right <= innerWidth && b.bottom <= innerHeight;
      };
      return { sideways: document.documentElement.scrollWidth > innerWidth,
        scrolls: document.documentElement.scrollHeight > innerHeight,
        inView: ['drawing-view', 'result-view', 'run', 'status'].filter(inView),
        oneColumn: box('result-view').top >= box('drawing-view').bottom,
        widest: Math.max(...[...document.querySelectorAll('body *')].map((e) => e.getBoundingClientRect().right)) };
    });
    const phone = width < 800;
    check(!layout.sideways && layout.widest <= width + 0.5 &&
      (phone ? layout.oneColumn && layout.inView.includes('run') : !layout.scrolls && layout.inView.length === 4),
    `at ${width} x ${height}: ${phone ? 'one column, Run in view' : 'drawing, field, Run and status in view, no scrolling'}` +
      ', nothing wider than the window', JSON.stringify(layout));
  }
  const touch = await context.newCDPSession(page);
  await touch.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 2 });
  await page.keyboard.press('p');
  await page.click('#palette button[data-row="361"]');
  await page.locator('#drawing-view').scrollIntoViewIfNeeded();
  before = await pixels();
  const finger = (type, x, y) => touch.send('Input.dispatchTouchEvent',
    { type, touchPoints: type === 'touchEnd' ? [] : [{ x, y }] });
  const [fx, fy] = await clientPoint('#drawing-view', 200, 600);
  const [tx] = await clientPoint('#drawing-view', 320, 600);
  await finger('touchStart', fx, fy);
  for (let n = 1; n <= 40; ++n) await finger('touchMove', fx + (tx - fx) * n / 40, fy);
  await finger('touchEnd');
  expected = new Set();
  for (let x = 200; x <= 320; ++x) expected.add(`${x},600`);
  expectPainted(before, await pixels(), expected, [255, 0, 0], 'on a phone a finger paints the whole stroke');
  await touch.send('Emulation.setTouchEmulationEnabled', { enabled: false });
  await page.setViewportSize({ width: 1640, height: 1100 });

  // Live: switched on, it runs the drawing; after a stroke it runs again by
  // itself, with the kernels it holds, and gives the native build's files.
  const waitLive = () => page.waitForFunction(() => document.getElementById('cancel').disabled &&
    document.getElementById('result-box').dataset.state === 'shown', null, { timeout: 120000 });
  await page.check('#live');
  await waitLive();
  await page.keyboard.press('p');
  await drag([400, 100], [460, 130]);
  started = Date.now();
  const marked = await page.textContent('#result-note');
  await waitLive();
  const liveSeconds = (Date.now() - started) / 1000;
  const liveFolder = join(scratch, 'live');
  mkdirSync(liveFolder);
  const [liveSaved] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
  await liveSaved.saveAs(join(liveFolder, 'bar_magnet.png'));
  execFileSync(join(root, 'build/fluxart'), ['bar_magnet.png', '3', '1'], { cwd: liveFolder, stdio: 'ignore' });
  const liveLinks = await clickedLinks(page, '#downloads a');
  let liveSame = liveLinks.length === 3;
  for (const [name, href] of liveLinks) liveSame &&= (await blobBytes(href)).equals(readFileSync(join(liveFolder, name)));
  check(marked === 'updating…' && liveSame && /^Done in [\d.]+ s$/.test(await statusText()),
    `after a stroke the page reruns by itself with the kernels it holds (${liveSeconds.toFixed(2)} s), ` +
    'the old pictures marked updating meanwhile, and its files are the native build\'s');

  console.log(`times: load ${loadSeconds.toFixed(2)} s, bar_magnet run ${firstRun.toFixed(2)} s cold, ` +
    `${secondRun.toFixed(2)} s warm, ${liveSeconds.toFixed(2)} s live after a stroke`);
} catch (error) {
  check(false, 'the browser test ran to its end', error.stack);
} finally {
  await close();
  server.kill();
}
process.exit(failures ? 1 : 0);
