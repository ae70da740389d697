// The run's progress: plain words, and a fraction that follows the work.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { progressEstimate } from '../../../web/progress.js';

// One in-plane colour, the first row of the table: a kernel file at the
// first step of each pass that keeps its kernels.
const kernels = [5, 3, 2, 1].map((halfSize, pass) =>
  ({ name: `kernel ${halfSize}`, layer: 1, step: pass * 372 + 1, halfSize, kind: 2 }));
const estimate = (held) => progressEstimate({ kernels, held, describeKernel: () => 'a 11 × 11 block at 0°' });

test('with every kernel held the fraction follows the steps and the words name the pass', () => {
  const p = estimate(() => true);
  const half = p.update({ layer: 1, layers: 1, step: 930, steps: 1860, creating: null });
  assert.equal(half.fraction, 0.5);
  assert.equal(half.text, 'Layer 1 of 1 · 5 × 5 blocks · 50 %');
  assert.equal(p.update({ layer: 1, layers: 1, step: 1860, steps: 1860, creating: null }).fraction, 1);
});

test('kernels still to make weigh far more than steps, and the fraction never goes back', () => {
  const p = estimate(() => false);
  const making = p.update({ layer: 1, layers: 1, step: 1, steps: 1860, creating: 'kernel 5' });
  assert.equal(making.making, 'making the field of a 11 × 11 block at 0° (1 of 4)');
  assert.ok(making.fraction < 0.05);
  const made = p.update({ layer: 1, layers: 1, step: 2, steps: 1860, creating: null });
  assert.ok(made.fraction > 0.3 && made.fraction < 0.7, String(made.fraction));
  let last = made.fraction;
  for (const step of [300, 373, 800, 1200, 1860]) {
    const { fraction } = p.update({ layer: 1, layers: 1, step, steps: 1860, creating: null });
    assert.ok(fraction >= last);
    last = fraction;
  }
  assert.equal(last, 1);
});
