// The run's field as a NumPy .npy file (format version 1.0): a
// 640 x 640 x 3 array of little-endian float32 in the picture frame,
// element [row, col] the field at picture pixel (row, col), row 0 at the
// top, its three components as the tables have them (i, j, k).
import { SIDE } from './picture_size.js';
import { cellIndex } from './readout.js';

// The header's length (with the 10 bytes before it) is a multiple of 64.
const HEADER_ALIGN = 64;

export function npyBytes(field) {
  let header = `{'descr': '<f4', 'fortran_order': False, 'shape': (${SIDE}, ${SIDE}, 3), }`;
  header = header.padEnd(Math.ceil((10 + header.length + 1) / HEADER_ALIGN) * HEADER_ALIGN - 10 - 1) + '\n';
  const bytes = new Uint8Array(10 + header.length + 4 * 3 * SIDE * SIDE);
  bytes.set([0x93, ...new TextEncoder().encode('NUMPY'), 1, 0, header.length & 0xff, header.length >> 8]);
  bytes.set(new TextEncoder().encode(header), 10);
  const data = new DataView(bytes.buffer, 10 + header.length);
  for (let row = 0, at = 0; row < SIDE; ++row) {
    for (let col = 0; col < SIDE; ++col) {
      const k = cellIndex(row, col);
      for (let c = 0; c < 3; ++c, at += 4) data.setFloat32(at, field[k + c], true);
    }
  }
  return bytes;
}
