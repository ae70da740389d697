// The strength view: one quantity of the run's field at every picture
// pixel, coloured with the colour map on a linear or logarithmic scale.
import { SIDE } from './picture_size.js';
import { viridis } from './color_map.js';
import { cellIndex } from './readout.js';

// What the view can show, from the three components as the tables have
// them (i down the picture, j to the right, k up, across the sheet).
export const QUANTITIES = {
  magnitude: { name: '|B|', of: (i, j, k) => Math.hypot(i, j, k) },
  vertical: { name: 'vertical k', of: (i, j, k) => k, signed: true },
  inPlane: { name: 'in the plane', of: (i, j) => Math.hypot(i, j) },
};
// A logarithmic scale spans this many decades below the largest value.
export const LOG_DECADES = 3;

// The quantity (a key of QUANTITIES) at every picture pixel: index
// row * SIDE + col, the same point the readout gives at (row, col).
export function quantityPlane(field, quantity) {
  const { of } = QUANTITIES[quantity];
  const values = new Float64Array(SIDE * SIDE);
  for (let row = 0, n = 0; row < SIDE; ++row) {
    for (let col = 0; col < SIDE; ++col, ++n) {
      const k = cellIndex(row, col);
      values[n] = of(field[k], field[k + 1], field[k + 2]);
    }
  }
  return values;
}

// The range the colours span: from 0 (from -largest for a signed quantity)
// to the largest value; on a logarithmic scale the values' sizes, over
// LOG_DECADES decades up to the largest. An all-zero field spans 0 to 1.
export function strengthScale(values, signed, logarithmic) {
  let largest = 0;
  for (const v of values) largest = Math.max(largest, Math.abs(v));
  if (largest === 0) largest = 1;
  if (logarithmic) return { low: largest / 10 ** LOG_DECADES, high: largest, logarithmic, signed };
  return { low: signed ? -largest : 0, high: largest, logarithmic, signed };
}

// Where value lies on the scale, 0 at its low end and 1 at its high end
// (values beyond an end are at that end).
export function scaleFraction(value, scale) {
  if (!scale.logarithmic) return Math.min(Math.max((value - scale.low) / (scale.high - scale.low), 0), 1);
  const size = Math.abs(value);
  if (size <= scale.low) return 0;
  return Math.min(Math.log10(size / scale.low) / Math.log10(scale.high / scale.low), 1);
}

// The picture: SIDE x SIDE x 3 RGB bytes, row 0 at the top.
export function strengthPicture(values, scale) {
  const rgb = new Uint8Array(3 * values.length);
  for (let n = 0; n < values.length; ++n) {
    const [r, g, b] = viridis(scaleFraction(values[n], scale));
    rgb[3 * n] = r;
    rgb[3 * n + 1] = g;
    rgb[3 * n + 2] = b;
  }
  return rgb;
}
