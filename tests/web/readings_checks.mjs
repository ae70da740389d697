// Checks of the field pane's readings, the same in both browsers: the
// Strength view's pixels against the native tables, a profile's CSV against
// them value for value (and its plot's SVG and PNG), and the .npy export
// read back by Debian's numpy. The page holds the run of the drawing whose
// native outputs, tables among them, are in nativeFolder under stem.
// page is playwright's or puppeteer's; only calls both have are used.
import { execFileSync } from 'node:child_process';
import { readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { QUANTITIES, quantityPlane, strengthPicture, strengthScale } from '../../web/strength.js';
import { profileSamples } from '../../web/profile.js';
import { clickedLinks } from './page_reading.mjs';

// The native tables as the run's field grid: cell (l, m) is value m of
// line l, components i, j, k.
function tablesOf(nativeFolder, stem) {
  const text = {};
  const field = new Float32Array(640 * 640 * 3);
  ['i', 'j', 'k'].forEach((name, c) => {
    text[name] = readFileSync(join(nativeFolder, `${stem}${name}_vector.txt`), 'latin1').split('\n')
      .slice(0, 640).map((line) => line.split(',').map((v) => v.trim()));
    text[name].forEach((values, l) => values.forEach((v, m) => { field[3 * (640 * l + m) + c] = Number(v); }));
  });
  return { text, field };
}

const NUMPY_CHECK = `
import sys
import numpy as np
a = np.load(sys.argv[1])
assert a.shape == (640, 640, 3) and a.dtype == np.float32, (a.shape, a.dtype)
for c, name in enumerate('ijk'):
    table = np.loadtxt(sys.argv[2] + name + '_vector.txt', delimiter=',').astype(np.float32)
    # Picture pixel (row, col) is value 639 - col of table line 639 - row.
    differ = np.count_nonzero(a[:, :, c] != table[::-1, ::-1])
    if differ:
        sys.exit(f'{differ} values of {name} differ')
print('same')
`;

export async function checkReadings({ page, check, clientPoint, fetchBytes, nativeFolder, scratch, stem }) {
  const { text, field } = tablesOf(nativeFolder, stem);
  // At 1x, where a canvas pixel is a picture pixel, as the zoom buttons set it.
  while (await page.evaluate(() => document.getElementById('zoom-level').textContent) !== '1×') await page.click('#zoom-out');
  const canvasRgb = async () => Buffer.from(await page.evaluate(() => {
    const data = document.getElementById('result-view').getContext('2d').getImageData(0, 0, 640, 640).data;
    let out = '';
    for (let k = 0; k < data.length; k += 4) out += String.fromCharCode(data[k], data[k + 1], data[k + 2]);
    return btoa(out);
  }), 'base64');

  // Strength: every pixel as the colour map gives the tables' value there.
  await page.click('#tabs button[data-picture="strength"]');
  for (const [quantity, logarithmic] of [['magnitude', false], ['vertical', true], ['inPlane', false]]) {
    await page.evaluate(([q, log]) => {
      document.getElementById('strength-quantity').value = q;
      document.getElementById('strength-log').checked = log;
      document.getElementById('strength-log').dispatchEvent(new Event('change'));
    }, [quantity, logarithmic]);
    const values = quantityPlane(field, quantity);
    const expected = strengthPicture(values, strengthScale(values, QUANTITIES[quantity].signed, logarithmic));
    const shown = await canvasRgb();
    let differ = 0;
    for (let n = 0; n < expected.length; ++n) if (shown[n] !== expected[n]) differ += 1;
    const title = await page.evaluate(() => !document.getElementById('strength-controls').hidden);
    check(differ === 0 && title, `Strength view of ${quantity}${logarithmic ? ' (log)' : ''}: every pixel ` +
      'is the colour of the native tables\' value there', `${differ} bytes differ`);
  }
  const scaleBar = await page.$eval('#scale-bar', (e) => e.textContent);
  check(scaleBar === '100 mm', 'the scale bar reads 100 mm at 1×', scaleBar);

  // A profile dragged across the magnet: its CSV is the tables' text.
  await page.click('#tabs button[data-picture="contours"]');
  await page.click('#profile-tool');
  const from = [180, 120], to = [430, 560];  // [row, col]
  await page.mouse.move(...await clientPoint('#result-view', from[1], from[0]));
  await page.mouse.down();
  await page.mouse.move(...await clientPoint('#result-view', to[1], to[0]), { steps: 10 });
  await page.mouse.up();
  await page.waitForFunction(() => document.querySelectorAll('#profile-downloads a').length === 3);
  const said = await page.$eval('#profile-readout', (e) => e.textContent);
  const ends = /^From pixel \((\d+), (\d+)\) to \((\d+), (\d+)\)/.exec(said)?.slice(1).map(Number) ?? [];
  const near = ends.length === 4 && Math.max(...[...from, ...to].map((v, n) => Math.abs(v - ends[n]))) <= 1;
  check(near, 'the profile runs between the pixels dragged between', said);
  const links = await page.$$eval('#profile-downloads a', (as) => as.map((a) => [a.download, a.href]));
  const files = {};
  for (const [name, href] of links) {
    files[name.slice(stem.length)] = await fetchBytes(href);
    writeFileSync(join(scratch, name), files[name.slice(stem.length)]);
  }
  const csv = (files['profile.csv'] ?? Buffer.alloc(0)).toString('latin1').trimEnd().split('\n');
  const samples = profileSamples(field, ends.slice(0, 2), ends.slice(2));
  const wrong = [];
  if (csv[0] !== 'distance_mm,row,column,i,j,k,magnitude') wrong.push(`header ${csv[0]}`);
  if (csv.length !== samples.length + 1) wrong.push(`${csv.length - 1} samples, not ${samples.length}`);
  samples.forEach((s, n) => {
    const [distance, row, col, i, j, k, magnitude] = (csv[n + 1] ?? '').split(',');
    const l = 639 - s.row, m = 639 - s.col;
    const same = [distance, row, col, i, j, k].join() ===
      [s.distance, s.row, s.col, text.i[l][m], text.j[l][m], text.k[l][m]].join() &&
      Math.abs(Number(magnitude) - s.magnitude) <= 1e-7 * s.magnitude;
    if (!same && wrong.length < 3) wrong.push(`line ${n + 1}: ${csv[n + 1]}`);
  });
  check(!wrong.length, `a profile's ${samples.length} CSV lines are the native tables' values, one per mm`,
    wrong.join('; '));
  const svg = (files['profile.svg'] ?? Buffer.alloc(0)).toString();
  const png = files['profile.png'] ?? Buffer.alloc(24);
  check(svg.startsWith('<svg') && (svg.match(/<polyline /g) ?? []).length === 4 &&
    png.subarray(1, 4).toString() === 'PNG' && png.readUInt32BE(16) === 640 && png.readUInt32BE(20) === 320,
  'the plot downloads as SVG with its four lines and as a 640 × 320 PNG');
  const plot = await page.$eval('#profile-plot svg', (e) => { const b = e.getBoundingClientRect(); return [b.x, b.y, b.width, b.height]; });
  await page.mouse.move(Math.round(plot[0] + plot[2] * 0.5), Math.round(plot[1] + plot[3] * 0.5));
  const hover = await page.$eval('#profile-readout', (e) => e.textContent);
  const marked = /^(\d+) mm: pixel \((\d+), (\d+)\), i (\S+)/.exec(hover);
  const s = marked && samples[Number(marked[1])];
  check(Boolean(s) && s.row === Number(marked[2]) && s.col === Number(marked[3]) &&
    marked[4] === text.i[639 - s.row][639 - s.col], 'the plot under the cursor reads that sample', hover);
  await page.click('#profile-tool');

  // The whole field as .npy, read by numpy, against the tables.
  const npyLink = await clickedLinks(page, '#exports a');
  const ok = npyLink.length === 1 && npyLink[0][0] === `${stem}field.npy`;
  const npyPath = join(scratch, `${stem}field.npy`);
  if (ok) writeFileSync(npyPath, await fetchBytes(npyLink[0][1]));
  let numpy = 'no link';
  try {
    if (ok) numpy = execFileSync('/usr/bin/python3', ['-c', NUMPY_CHECK, npyPath, join(nativeFolder, stem)],
      { encoding: 'utf8', stdio: ['ignore', 'pipe', 'pipe'] }).trim();
  } catch (error) { numpy = String(error.stderr).trim(); }
  check(numpy === 'same', `${stem}field.npy loads in numpy as the native tables in the picture frame`, numpy);
}
