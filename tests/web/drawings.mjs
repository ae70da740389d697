// Drawings the browser tests make for themselves, and a minimal PNG writer
// (8-bit RGB, no filter) so that they need nothing but node.
import { crc32, deflateSync } from 'node:zlib';

function chunk(type, data) {
  const out = Buffer.alloc(12 + data.length);
  out.writeUInt32BE(data.length, 0);
  out.write(type, 4, 'latin1');
  data.copy(out, 8);
  out.writeUInt32BE(crc32(out.subarray(4, 8 + data.length)), 8 + data.length);
  return out;
}

// A PNG file of width x height RGB pixels (row-major, 3 bytes each), its
// image data followed by extra zero bytes when asked.
export function encodePng(width, height, rgb, extraBytes = 0) {
  const header = Buffer.alloc(13);
  header.writeUInt32BE(width, 0);
  header.writeUInt32BE(height, 4);
  header[8] = 8;  // bits per sample
  header[9] = 2;  // RGB
  const rows = Buffer.alloc(height * (3 * width + 1) + extraBytes);
  for (let y = 0; y < height; ++y)
    Buffer.from(rgb.buffer, rgb.byteOffset + 3 * width * y, 3 * width).copy(rows, y * (3 * width + 1) + 1);
  return Buffer.concat([Buffer.from([137, 80, 78, 71, 13, 10, 26, 10]), chunk('IHDR', header),
    chunk('IDAT', deflateSync(rows)), chunk('IEND', Buffer.alloc(0))]);
}

// Colour of fine direction d, as the README's table gives it.
export function fineColor(d) {
  return d <= 254 ? [d + 1, 100, 1] : [255, 100, d - 254];
}

export const NAMED_COLORS = [
  [255, 255, 128], [255, 128, 0], [0, 255, 255], [128, 0, 255], [0, 128, 64], [128, 64, 0],
  [0, 255, 0], [255, 128, 255], [0, 0, 255], [255, 0, 0], [255, 0, 128], [128, 0, 128],
];

// Many kinds of magnet in many shapes on white: the twelve named colours and
// every seventh fine direction, the two directions that share a colour and
// 359, as squares of the block sizes, rectangles that need several, single
// pixels and a near-miss colour that is empty space.
export function manyKindsDrawing() {
  const side = 640;
  const rgb = new Uint8Array(side * side * 3).fill(255);
  const set = (x, y, c) => rgb.set(c, 3 * (y * side + x));
  const colors = [...NAMED_COLORS];
  for (let d = 0; d < 360; d += 7) colors.push(fineColor(d));
  colors.push(fineColor(254), fineColor(255), fineColor(359), [255, 100, 0]);
  const shapes = [[11, 11], [7, 7], [5, 9], [3, 3], [1, 1], [13, 6], [2, 17]];
  colors.forEach((c, n) => {
    const [w, h] = shapes[n % shapes.length];
    const left = 44 + (n % 14) * 40, top = 44 + Math.floor(n / 14) * 40;
    for (let y = 0; y < h; ++y) for (let x = 0; x < w; ++x) set(left + x, top + y, c);
  });
  return encodePng(side, side, rgb);
}

// A white picture one pixel too wide.
export function widePicture() {
  return encodePng(641, 640, new Uint8Array(641 * 640 * 3).fill(255));
}

// A decompression bomb: a 640 x 640 picture whose image data inflates to
// 64 MB, from about 64 KB of file.
export function bombPicture() {
  return encodePng(640, 640, new Uint8Array(640 * 640 * 3).fill(255), 64 << 20);
}
