// The readout's mapping from a picture pixel to the run's field grid and
// the tables' line and value, and its millitesla.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { fieldAt, millitesla, readoutLines } from '../../../web/readout.js';

test('picture pixel (row, col) reads grid cell (639 - row, 639 - col)', () => {
  const field = new Float32Array(640 * 640 * 3);
  const k = 3 * ((639 - 10) * 640 + (639 - 600));
  field.set([1, 0, 0.5], k);
  const value = fieldAt(field, 10, 600);
  assert.deepEqual([value.i, value.j, value.k], [1, 0, 0.5]);
  assert.equal(fieldAt(field, 600, 10).magnitude, 0);
  assert.equal(fieldAt(field, 600, 10).direction, null);
});

test('the in-plane direction is in the palette degrees: i grows down the picture, j to the right', () => {
  const field = new Float32Array(640 * 640 * 3);
  const at = (i, j) => { field.set([i, j, 0], 0); return fieldAt(field, 639, 639).direction; };
  assert.equal(at(-1, 0), 0);  // up
  assert.equal(at(0, 1), 90);  // right
  assert.equal(at(1, 0), 180);
  assert.equal(at(0, -1), 270);
});

test('lines name the table line and value, and give mT only for magnets', () => {
  const program = { formatValue: (v) => v.toFixed(2) };
  const value = { i: 1, j: 0, k: 0, magnitude: 1, direction: 180 };
  const magnets = readoutLines(program, value, 10, 600, 1.3, true);
  assert.equal(magnets[0], 'pixel (10, 600): table line 629, value 39');
  assert.equal(magnets[1], `i 1.00  ${millitesla(1, 1.3).toFixed(3)} mT`);
  assert.ok(Math.abs(millitesla(1, 1.3) - 1.3 * 2.5 / (4 * Math.PI) * 1000) < 1e-9);
  const charges = readoutLines(program, value, 10, 600, 1.3, false);
  assert.ok(!charges.some((line) => /\d mT/.test(line)));
});
