// The views that turn the run's field grid into things to read: the
// strength picture, its scales, a profile and the .npy export; each must
// show at picture pixel (row, col) the field the readout gives there.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { fieldAt, millitesla } from '../../../web/readout.js';
import { quantityPlane, scaleFraction, strengthPicture, strengthScale } from '../../../web/strength.js';
import { viridis } from '../../../web/color_map.js';
import { scaleBar, ticks, tickText } from '../../../web/scales.js';
import { profileCsv, profileSamples, profileSvg } from '../../../web/profile.js';
import { npyBytes } from '../../../web/npy.js';

// A field whose components say where they are: cell n holds n, -n/2, n/4.
function markedField() {
  const field = new Float32Array(640 * 640 * 3);
  for (let n = 0; n < 640 * 640; ++n) field.set([n, -n / 2, n / 4], 3 * n);
  return field;
}

test('the strength picture shows at each pixel the readout\'s field there', () => {
  const field = markedField();
  for (const [row, col] of [[0, 0], [10, 600], [639, 3]]) {
    const v = fieldAt(field, row, col);
    assert.equal(quantityPlane(field, 'magnitude')[row * 640 + col], v.magnitude);
    assert.equal(quantityPlane(field, 'vertical')[row * 640 + col], v.k);
    assert.equal(quantityPlane(field, 'inPlane')[row * 640 + col], Math.hypot(v.i, v.j));
  }
  const values = quantityPlane(field, 'vertical');
  const scale = strengthScale(values, true, false);
  const picture = strengthPicture(values, scale);
  const n = 10 * 640 + 600;
  assert.deepEqual([...picture.slice(3 * n, 3 * n + 3)], viridis(scaleFraction(values[n], scale)));
  // Grid cell 0, where k = 0, is the bottom-right pixel; the last cell, of
  // the largest k, the top-left one.
  assert.deepEqual([...picture.slice(-3)], viridis(0.5));
  assert.deepEqual([...picture.slice(0, 3)], viridis(1));
});

test('scales: signed spans ±largest, log spans the decades, zero field does not divide by zero', () => {
  const values = Float64Array.from([-4, 1, 2]);
  assert.deepEqual(strengthScale(values, true, false), { low: -4, high: 4, logarithmic: false, signed: true });
  const log = strengthScale(values, false, true);
  assert.equal(log.high, 4);
  assert.equal(scaleFraction(-4, log), 1);
  assert.equal(scaleFraction(4e-3, log), 0);
  assert.ok(Math.abs(scaleFraction(0.04, log) - 1 / 3) < 1e-12);
  assert.equal(scaleFraction(0, strengthScale(new Float64Array(3), false, false)), 0);
  assert.deepEqual(ticks(0, 1.3), [0, 0.5, 1]);
  assert.deepEqual(ticks(0, 0.7), [0, 0.2, 0.4, 0.6]);
  assert.deepEqual([0.30000000000000004, -2e-4, 123456, 38.123].map(tickText), ['0.3', '-2e-4', '1.2e+5', '38.12']);
  assert.deepEqual(ticks(-25, 25), [-20, -10, 0, 10, 20]);
  assert.deepEqual(ticks(0.0388, 38.8, true), [0.1, 1, 10]);
  assert.deepEqual(scaleBar(640, 640), { mm: 100, pixels: 100 });
  assert.deepEqual(scaleBar(40, 400), { mm: 10, pixels: 100 });
});

test('a profile takes one sample per mm at the nearest pixel, and its CSV the tables\' format', () => {
  const field = markedField();
  const samples = profileSamples(field, [10, 10], [13, 14]);  // 5 mm long
  assert.deepEqual(samples.map((s) => [s.distance, s.row, s.col]),
    [[0, 10, 10], [1, 11, 11], [2, 11, 12], [3, 12, 12], [4, 12, 13], [5, 13, 14]]);
  assert.equal(profileSamples(field, [5, 5], [5, 5]).length, 1);
  assert.equal(profileSamples(field, [0, 0], [0, 639]).at(-1).col, 639);
  const v = fieldAt(field, 11, 12);
  assert.deepEqual([samples[2].i, samples[2].j, samples[2].k, samples[2].magnitude], [v.i, v.j, v.k, v.magnitude]);
  const csv = profileCsv(samples.slice(0, 2), (x) => x.toExponential(8)).split('\n');
  assert.equal(csv[0], 'distance_mm,row,column,i,j,k,magnitude');
  const cell = (639 - 11) * 640 + 639 - 11;
  assert.equal(csv[2], `1,11,11,${cell.toExponential(8)},${(-cell / 2).toExponential(8)},` +
    `${(cell / 4).toExponential(8)},${Math.hypot(cell, cell / 2, cell / 4).toExponential(8)}`);
  assert.equal(csv.length, 4);
  const svg = profileSvg(samples, millitesla(1, 1.3), 'mT');
  assert.equal((svg.match(/<polyline /g) || []).length, 4);
  assert.ok(!/NaN|undefined/.test(svg));
});

test('the .npy file: header numpy reads, rows from the top, components i, j, k', () => {
  const field = markedField();
  const bytes = npyBytes(field);
  assert.deepEqual([...bytes.slice(0, 8)], [0x93, 78, 85, 77, 80, 89, 1, 0]);
  const headerLength = bytes[8] + 256 * bytes[9];
  assert.equal((10 + headerLength) % 64, 0);
  const header = new TextDecoder().decode(bytes.slice(10, 10 + headerLength));
  assert.match(header, /^\{'descr': '<f4', 'fortran_order': False, 'shape': \(640, 640, 3\), \} *\n$/);
  assert.equal(bytes.length, 10 + headerLength + 640 * 640 * 3 * 4);
  const data = new DataView(bytes.buffer, 10 + headerLength);
  for (const [row, col] of [[0, 0], [10, 600], [639, 639]]) {
    const v = fieldAt(field, row, col);
    const at = 4 * 3 * (row * 640 + col);
    assert.deepEqual([0, 1, 2].map((c) => data.getFloat32(at + 4 * c, true)), [v.i, v.j, v.k]);
  }
});
