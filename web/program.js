// The compiled program in the page: one instance for decoding and encoding
// drawings, the colour table and the formatting of values, and the compiled
// module from which each run's worker makes its own fresh instance.
import createFluxart from './fluxart_web.js';
import { SIDE } from './picture_size.js';

export { SIDE } from './picture_size.js';

// Makes a new instance of the compiled module (a WebAssembly.Module), with
// its memory zeroed as in a new process. options go to the module factory,
// create: the factory of the module's own glue (fluxart_web.js's unless given).
export function instantiate(wasmModule, options = {}, create = createFluxart) {
  return create({
    ...options,
    instantiateWasm(imports, receive) {
      WebAssembly.instantiate(wasmModule, imports).then((instance) => receive(instance, wasmModule));
      return {};
    },
  });
}

// Compiles the program and makes the page's instance.
export async function loadProgram(url = 'fluxart_web.wasm') {
  const wasmModule = await WebAssembly.compileStreaming(fetch(url));
  return new Program(wasmModule, await instantiate(wasmModule));
}

// Why fluxart_decode_png refused a file, by its answer.
const REFUSALS = [null, 'This file is not a PNG picture.', 'This PNG file is damaged or cut short.',
  'This file is too large for a 640 × 640 drawing.', 'This picture is not 640 × 640 pixels.'];

const KIND_AXIAL = 1;
const KIND_PLANAR = 2;
const KIND_MONOPOLE = 3;
export const KINDS = { axial: KIND_AXIAL, planar: KIND_PLANAR, monopole: KIND_MONOPOLE };

// The page's calls into the program. Every answer comes from the compiled
// code; nothing here knows the colour code or the PNG format.
export class Program {
  constructor(wasmModule, instance) {
    this.wasmModule = wasmModule;
    this.m = instance;
    this.rows = this.#readColorTable();
    this.rowCache = new Map();
  }

  #withBytes(bytes, use) {
    const pointer = this.m._malloc(Math.max(1, bytes.length));
    this.m.HEAPU8.set(bytes, pointer);
    try {
      return use(pointer);
    } finally {
      this.m._free(pointer);
    }
  }

  #withString(text, use) {
    const size = this.m.lengthBytesUTF8(text) + 1;
    const pointer = this.m._malloc(size);
    this.m.stringToUTF8(text, pointer, size);
    try {
      return use(pointer);
    } finally {
      this.m._free(pointer);
    }
  }

  message() {
    return this.m.UTF8ToString(this.m._fluxart_message());
  }

  // Decodes a PNG file's bytes as a run reads its input: { pixels } (640 x
  // 640 x 3 RGB bytes) or { error, refusal } with the program's own line and
  // why it was refused in plain words.
  decode(name, bytes) {
    const size = SIDE * SIDE * 3;
    const out = this.m._malloc(size);
    try {
      const refusal = this.#withString(name, (namePointer) =>
        this.#withBytes(bytes, (pointer) =>
          this.m._fluxart_decode_png(namePointer, pointer, bytes.length, out)));
      if (refusal) return { error: this.message().trimEnd(), refusal: REFUSALS[refusal] };
      return { pixels: this.m.HEAPU8.slice(out, out + size) };
    } finally {
      this.m._free(out);
    }
  }

  // Encodes 640 x 640 x 3 RGB bytes as a PNG file: { bytes } or { error }.
  // forRun: as a run's input, quick to make and read, not small.
  encode(pixels, { forRun = false } = {}) {
    const size = this.#withBytes(pixels, (pointer) =>
      (forRun ? this.m._fluxart_encode_run_input(pointer) : this.m._fluxart_encode_png(pointer)));
    if (!size) return { error: this.message().trimEnd() };
    const start = this.m._fluxart_encoded();
    return { bytes: this.m.HEAPU8.slice(start, start + size) };
  }

  // Encodes a run's picture (640 x 640 x 3 RGB bytes) into the file the run
  // of the drawing whose PNG file is drawingPng writes: { bytes } or { error }.
  encodeOutput(drawingPng, picture) {
    const size = this.#withBytes(drawingPng, (drawing) =>
      this.#withBytes(picture, (pixels) => this.m._fluxart_encode_output(drawing, drawingPng.length, pixels)));
    if (!size) return { error: this.message().trimEnd() };
    const start = this.m._fluxart_encoded();
    return { bytes: this.m.HEAPU8.slice(start, start + size) };
  }

  #readColorTable() {
    const count = this.m._fluxart_color_count();
    const base = this.m._fluxart_color_table() >> 2;
    const rows = [];
    for (let row = 0; row < count; ++row) {
      const [r, g, b, sign, kind, angle] = this.m.HEAP32.subarray(base + 6 * row, base + 6 * row + 6);
      rows.push({
        row, r, g, b, sign, kind, angle,
        name: this.m.UTF8ToString(this.m._fluxart_color_name(row)),
        direction: this.m._fluxart_color_direction(row),
      });
    }
    return rows;
  }

  // The table row a pixel of this colour acts as, or null for empty space.
  rowOf(r, g, b) {
    const key = (r << 16) | (g << 8) | b;
    let row = this.rowCache.get(key);
    if (row === undefined) {
      row = this.m._fluxart_color_row(r, g, b);
      this.rowCache.set(key, row);
    }
    return row < 0 ? null : this.rows[row];
  }

  // The kernel cache files a run of the drawing (640 x 640 x 3 RGB bytes)
  // at z and w (as typed) may read, in the order the run comes to them:
  // [{ name, layer, step, halfSize, kind }], the layer and its step (both
  // from 1) where the run loads or makes the kernel.
  runKernels(pixels, zText, wText) {
    const facts = this.m._malloc(16);
    try {
      const count = this.#withBytes(pixels, (pointer) => this.#withString(zText, (z) =>
        this.#withString(wText, (w) => this.m._fluxart_run_kernels(pointer, z, w))));
      const kernels = [];
      for (let k = 0; k < count; ++k) {
        const name = this.m.UTF8ToString(this.m._fluxart_run_kernel(k, facts));
        const [layer, step, halfSize, kind] = this.m.HEAP32.subarray(facts >> 2, (facts >> 2) + 4);
        kernels.push({ name, layer, step, halfSize, kind });
      }
      return kernels;
    } finally {
      this.m._free(facts);
    }
  }

  // What a kernel cache file's name says: { kind, halfSize, angle }, or null
  // for another name.
  kernelOf(name) {
    const facts = this.m._malloc(12);
    try {
      if (!this.#withString(name, (pointer) => this.m._fluxart_kernel_of(pointer, facts))) return null;
      const [kind, halfSize, angle] = this.m.HEAP32.subarray(facts >> 2, (facts >> 2) + 3);
      return { kind, halfSize, angle };
    } finally {
      this.m._free(facts);
    }
  }

  // z and w as the command line reads them: { z, thickness }.
  readSettings(zText, wText) {
    const out = this.m._malloc(8);
    try {
      this.#withString(zText, (z) => this.#withString(wText, (w) =>
        this.m._fluxart_read_settings(z, w, out, out + 4)));
      return { z: this.m.HEAP32[out >> 2], thickness: this.m.HEAP32[(out >> 2) + 1] };
    } finally {
      this.m._free(out);
    }
  }

  // A field value as the tables write it.
  formatValue(value) {
    return this.m.UTF8ToString(this.m._fluxart_format_value(value));
  }
}

// What a colour table row means, in words, for the hover line and palette.
export function meaningOf(row) {
  if (!row) return 'empty space';
  if (row.kind !== KIND_PLANAR) return row.name;
  return `${row.name}: magnetised towards ${row.direction}°`;
}

// The arrow drawn on a swatch: the direction in the plane, or a symbol.
export function symbolOf(row) {
  if (row.kind === KIND_AXIAL) return row.sign > 0 ? '⊗' : '⊙';
  if (row.kind === KIND_MONOPOLE) return row.sign > 0 ? '+' : '−';
  return '↑';
}
