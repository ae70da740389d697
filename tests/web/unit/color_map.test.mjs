// The colour map against entries of the published viridis table, between
// the kept entries as well as on them.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { viridis } from '../../../web/color_map.js';

test('viridis matches its published table within 2 levels, and its ends exactly', () => {
  const table = {
    0: [0.267004, 0.004874, 0.329415], 4: [0.272594, 0.025563, 0.353093],
    100: [0.166617, 0.463708, 0.558119], 128: [0.127568, 0.566949, 0.550556],
    130: [0.125394, 0.574318, 0.549086], 201: [0.449368, 0.813768, 0.335384],
    244: [0.886271, 0.892374, 0.095374], 250: [0.945636, 0.899815, 0.112838],
    255: [0.993248, 0.906157, 0.143936],
  };
  for (const [entry, rgb] of Object.entries(table)) {
    const got = viridis(entry / 255);
    rgb.forEach((v, c) => assert.ok(Math.abs(got[c] - 255 * v) <= 2, `entry ${entry}: ${got} vs ${rgb}`));
  }
  assert.deepEqual(viridis(0), [68, 1, 84]);
  assert.deepEqual(viridis(1), [253, 231, 37]);
  assert.deepEqual(viridis(-3), viridis(0));
  assert.deepEqual(viridis(7), viridis(1));
});
