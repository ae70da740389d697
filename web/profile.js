// A profile of the run's field along a line across a result picture: one
// sample per mm (a picture pixel is 1 mm), each at the grid point nearest
// to it, as CSV and as an SVG plot.
import { fieldAt } from './readout.js';
import { ticks, tickText } from './scales.js';

// Samples from picture pixel from = [row, col] towards to: at 0, 1, 2, ...
// mm along the line up to its length, each with the nearest pixel and the
// field there ({ distance, row, col, i, j, k, magnitude }).
export function profileSamples(field, from, to) {
  const length = Math.hypot(to[0] - from[0], to[1] - from[1]);
  const samples = [];
  for (let distance = 0; distance <= length; ++distance) {
    const f = length === 0 ? 0 : distance / length;
    const row = Math.round(from[0] + (to[0] - from[0]) * f);
    const col = Math.round(from[1] + (to[1] - from[1]) * f);
    const { i, j, k, magnitude } = fieldAt(field, row, col);
    samples.push({ distance, row, col, i, j, k, magnitude });
  }
  return samples;
}

// The samples as CSV: a header line, then one line a sample with its
// distance in mm, picture row and column, and the field in program units,
// each value as formatValue writes it (the tables' own format).
export function profileCsv(samples, formatValue) {
  const lines = ['distance_mm,row,column,i,j,k,magnitude'];
  for (const s of samples) {
    lines.push([s.distance, s.row, s.col, ...[s.i, s.j, s.k, s.magnitude].map(formatValue)].join(','));
  }
  return lines.join('\n') + '\n';
}

// The plot's lines, in colours told apart by colour-blind readers too.
export const SERIES = [
  { key: 'i', name: 'i (down)', color: '#0072b2' },
  { key: 'j', name: 'j (right)', color: '#e69f00' },
  { key: 'k', name: 'k (up)', color: '#009e73' },
  { key: 'magnitude', name: '|B|', color: '#000000' },
];
export const PLOT = { width: 640, height: 320, left: 64, right: 16, top: 28, bottom: 44 };

// Where the plot puts sample n and a value: { x(distance), y(value) }, for
// values in units of factor program units each.
export function plotFrame(samples, factor) {
  const values = samples.flatMap((s) => SERIES.map(({ key }) => s[key] * factor));
  let low = Math.min(0, ...values), high = Math.max(0, ...values);
  if (high === low) high = low + 1;
  const last = Math.max(1, samples.at(-1).distance);
  const w = PLOT.width - PLOT.left - PLOT.right, h = PLOT.height - PLOT.top - PLOT.bottom;
  return { low, high, last,
    x: (distance) => PLOT.left + distance / last * w,
    y: (value) => PLOT.top + (high - value) / (high - low) * h };
}

// The plot as an SVG document: the three components and the magnitude
// against the distance, in unit (factor program units each).
export function profileSvg(samples, factor, unit) {
  const frame = plotFrame(samples, factor);
  const { x, y } = frame;
  const bottom = PLOT.height - PLOT.bottom, right = PLOT.width - PLOT.right;
  const parts = [`<svg xmlns="http://www.w3.org/2000/svg" width="${PLOT.width}" height="${PLOT.height}" ` +
    `viewBox="0 0 ${PLOT.width} ${PLOT.height}" font-family="sans-serif" font-size="12">`,
  `<rect width="${PLOT.width}" height="${PLOT.height}" fill="#fff"/>`];
  for (const value of ticks(frame.low, frame.high)) {
    parts.push(`<line x1="${PLOT.left}" x2="${right}" y1="${y(value).toFixed(1)}" y2="${y(value).toFixed(1)}" ` +
      `stroke="${value === 0 ? '#888' : '#ddd'}"/>`,
    `<text x="${PLOT.left - 4}" y="${(y(value) + 4).toFixed(1)}" text-anchor="end">${tickText(value)}</text>`);
  }
  for (const distance of ticks(0, frame.last)) {
    parts.push(`<line x1="${x(distance).toFixed(1)}" x2="${x(distance).toFixed(1)}" y1="${bottom}" ` +
      `y2="${bottom + 4}" stroke="#000"/>`,
    `<text x="${x(distance).toFixed(1)}" y="${bottom + 16}" text-anchor="middle">${tickText(distance)}</text>`);
  }
  parts.push(`<rect x="${PLOT.left}" y="${PLOT.top}" width="${right - PLOT.left}" height="${bottom - PLOT.top}" ` +
    'fill="none" stroke="#000"/>',
  `<text x="${(PLOT.left + right) / 2}" y="${PLOT.height - 8}" text-anchor="middle">distance along the line (mm)</text>`,
  `<text x="${PLOT.left}" y="16">${unit}</text>`);
  SERIES.forEach(({ key, name, color }, n) => {
    const points = samples.map((s) => `${x(s.distance).toFixed(1)},${y(s[key] * factor).toFixed(1)}`).join(' ');
    parts.push(`<polyline points="${points}" fill="none" stroke="${color}" stroke-width="1.5"/>`,
      `<text x="${right - (SERIES.length - n) * 80}" y="16" fill="${color}">— ${name}</text>`);
  });
  parts.push('</svg>');
  return parts.join('\n');
}
