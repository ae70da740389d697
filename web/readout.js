// The field under the cursor on a result picture, from the run's own field
// grid: the three components as the tables write them, the magnitude, the
// direction in the plane in the palette's degrees, and the same in
// millitesla for a remanence the user gives.
import { SIDE } from './picture_size.js';

// Where the millitesla figure can be trusted; the one place that says so.
export const TESLA_VALIDITY =
  'The mT figures hold to 1 % from a gap of 2.5 mm above the nearest magnet face (z ≥ 3 for a ' +
  'sheet below the plane) and to 5 % from 1.5 mm (z ≥ 2); at 0.5 mm (z = 1) they are too high.';
export const DEFAULT_REMANENCE_T = 1.3;
const REMANENCE_KEY = 'fluxart.remanence';

// A program value is a field of unit charges at mm distances; a 1 mm cube of
// remanence Br carries moment Br/mu0 mm^3 where the program's has 0.4, so
// B = value x Br x 2.5 / (4 pi).
export function millitesla(value, remanence) {
  return value * remanence * 2.5 / (4 * Math.PI) * 1000;
}

// The units the page tells the field in: { factor } program units to one
// of them, { name } and a { label } that says why. mT for magnets of
// remanence Br; program units for a drawing with monopole colours, which
// are charges, not magnets, and have no remanence.
export function fieldUnits(tesla, remanence) {
  if (tesla) return { factor: millitesla(1, remanence), name: 'mT', label: `mT for Br = ${remanence} T` };
  return { factor: 1, name: 'program units', label: 'program units (monopole colours are charges: no mT)' };
}

export function storedRemanence() {
  const stored = Number(localStorage.getItem(REMANENCE_KEY));
  return stored > 0 ? stored : DEFAULT_REMANENCE_T;
}
export function storeRemanence(value) { localStorage.setItem(REMANENCE_KEY, String(value)); }

// Where picture pixel (row, col) of a result is in the run's field grid:
// picture point (row + 1, col + 1), which is cell (639 - row, 639 - col)
// (value 639 - col of line 639 - row of the tables); the index of its first
// component. Every view of the field reads its pixels through this.
export function cellIndex(row, col) {
  return 3 * ((SIDE - 1 - row) * SIDE + (SIDE - 1 - col));
}

// The field at picture pixel (row, col) of a result.
export function fieldAt(field, row, col) {
  const k = cellIndex(row, col);
  const i = field[k], j = field[k + 1], up = field[k + 2];
  const magnitude = Math.hypot(i, j, up);
  // i grows towards the bottom of the picture, j towards the right.
  let direction = null;
  if (i !== 0 || j !== 0) direction = (Math.atan2(j, -i) * 180 / Math.PI + 360) % 360;
  return { i, j, k: up, magnitude, direction };
}

// Lines of text for the readout panel. tesla is false for drawings with
// monopole colours, which are charges, not magnets.
export function readoutLines(program, value, row, col, remanence, tesla) {
  const mT = (v) => tesla ? `  ${millitesla(v, remanence).toFixed(3)} mT` : '';
  const lines = [
    `pixel (${row}, ${col}): table line ${SIDE - 1 - row}, value ${SIDE - 1 - col}`,
    `i ${program.formatValue(value.i)}${mT(value.i)}`,
    `j ${program.formatValue(value.j)}${mT(value.j)}`,
    `k ${program.formatValue(value.k)}${mT(value.k)}`,
    `|B| ${program.formatValue(value.magnitude)}${mT(value.magnitude)}`,
    value.direction === null ? 'in the plane: none' : `in the plane towards ${value.direction.toFixed(1)}°`,
  ];
  if (tesla) lines.push(`mT for a remanence Br = ${remanence} T`);
  else lines.push('no mT: the drawing has monopole colours (charges, not magnets)');
  return lines;
}
