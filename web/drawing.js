// The drawing: 640 x 640 RGB bytes that are the only truth about what is
// painted, with undo and redo, and the shapes the tools paint. Every shape
// sets whole pixels to one exact colour; nothing is blended.
import { SIDE } from './picture_size.js';

const UNDO_DEPTH = 60;
export const WHITE = [255, 255, 255];

export class Drawing {
  constructor() {
    this.pixels = new Uint8Array(SIDE * SIDE * 3).fill(255);
    this.undoStack = [];
    this.redoStack = [];
    this.listeners = [];
    this.name = 'drawing.png';
  }

  onChange(listener) { this.listeners.push(listener); }
  changed() { for (const listener of this.listeners) listener(this); }

  // Call before a change that undo must be able to take back.
  remember() {
    this.undoStack.push(this.pixels.slice());
    if (this.undoStack.length > UNDO_DEPTH) this.undoStack.shift();
    this.redoStack.length = 0;
  }

  // Takes back every change since the last remember(), leaving nothing to
  // redo (a stroke abandoned part way).
  revert() {
    if (!this.undoStack.length) return;
    this.pixels = this.undoStack.pop();
    this.changed();
  }

  undo() { this.#swap(this.undoStack, this.redoStack); }
  redo() { this.#swap(this.redoStack, this.undoStack); }
  #swap(from, to) {
    if (!from.length) return;
    to.push(this.pixels);
    this.pixels = from.pop();
    this.changed();
  }

  // Replaces the whole drawing (an opened file), undoably.
  replace(pixels, name) {
    this.remember();
    this.pixels = pixels;
    this.name = name;
    this.changed();
  }

  colorAt(x, y) {
    const k = 3 * (y * SIDE + x);
    return [this.pixels[k], this.pixels[k + 1], this.pixels[k + 2]];
  }

  set(x, y, color) {
    if (x < 0 || y < 0 || x >= SIDE || y >= SIDE) return;
    const k = 3 * (y * SIDE + x);
    this.pixels[k] = color[0];
    this.pixels[k + 1] = color[1];
    this.pixels[k + 2] = color[2];
  }

  // A size x size square of pixels whose top-left cell is offset so that
  // odd sizes centre on (x, y).
  dab(x, y, size, color) {
    const start = -Math.floor((size - 1) / 2);
    for (let dy = 0; dy < size; ++dy)
      for (let dx = 0; dx < size; ++dx) this.set(x + start + dx, y + start + dy, color);
  }

  // Every pixel of the straight line from (x0, y0) to (x1, y1), both ends
  // included, dabbed with the pen.
  line(x0, y0, x1, y1, size, color) {
    const dx = Math.abs(x1 - x0), dy = -Math.abs(y1 - y0);
    const sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    let error = dx + dy;
    for (;;) {
      this.dab(x0, y0, size, color);
      if (x0 === x1 && y0 === y1) return;
      const twice = 2 * error;
      if (twice >= dy) { error += dy; x0 += sx; }
      if (twice <= dx) { error += dx; y0 += sy; }
    }
  }

  // The filled rectangle with corners (x0, y0) and (x1, y1), both included.
  rect(x0, y0, x1, y1, color) {
    for (let y = Math.min(y0, y1); y <= Math.max(y0, y1); ++y)
      for (let x = Math.min(x0, x1); x <= Math.max(x0, x1); ++x) this.set(x, y, color);
  }

  // The filled ellipse inscribed in that rectangle: the pixels whose centres
  // lie inside or on it.
  ellipse(x0, y0, x1, y1, color) {
    const left = Math.min(x0, x1), right = Math.max(x0, x1) + 1;
    const top = Math.min(y0, y1), bottom = Math.max(y0, y1) + 1;
    const cx = (left + right) / 2, cy = (top + bottom) / 2;
    const rx = (right - left) / 2, ry = (bottom - top) / 2;
    for (let y = top; y < bottom; ++y)
      for (let x = left; x < right; ++x) {
        const u = (x + 0.5 - cx) / rx, v = (y + 0.5 - cy) / ry;
        if (u * u + v * v <= 1) this.set(x, y, color);
      }
  }

  // Flood fill of the 4-connected area of (x, y)'s exact colour.
  fill(x, y, color) {
    const target = this.colorAt(x, y);
    if (target.every((value, n) => value === color[n])) return;
    const same = (k) => this.pixels[3 * k] === target[0] && this.pixels[3 * k + 1] === target[1] &&
      this.pixels[3 * k + 2] === target[2];
    const stack = [y * SIDE + x];
    while (stack.length) {
      const k = stack.pop();
      if (!same(k)) continue;
      this.pixels.set(color, 3 * k);
      const px = k % SIDE, py = (k - px) / SIDE;
      if (px > 0) stack.push(k - 1);
      if (px < SIDE - 1) stack.push(k + 1);
      if (py > 0) stack.push(k - SIDE);
      if (py < SIDE - 1) stack.push(k + SIDE);
    }
  }
}
