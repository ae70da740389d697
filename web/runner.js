// Runs the program in a worker that lives from run to run and keeps the
// kernel files runs make in its own working folder, so that a rerun (a
// live one after each stroke) hands it nothing it already holds. The page
// keeps every kernel as well, as byte arrays in its own memory: cancelling
// a run ends its worker, and the next worker is handed the kernels its run
// uses. When the page is cross-origin isolated (scripts/studio serves it
// so), the page and its worker hold one copy in shared memory; otherwise
// a new worker is handed copies, which costs about as much time as
// computing them again, because fresh memory is slow to come by.

// Each kernel file is 19,783,872 bytes; at most this many are kept (1.9 GB,
// enough for the 93 of the direction ring). When full, the kernel cheapest
// to compute again goes first: the one of the smallest block (its cost grows
// with the block's area), the least recently used among those.
export const KEPT_KERNEL_LIMIT = 96;
export const KERNEL_FILE_BYTES = 19783872;

const isShared = (bytes) => globalThis.SharedArrayBuffer !== undefined && bytes.buffer instanceof SharedArrayBuffer;

// The bytes of a kernel file as the page keeps them: in shared memory when
// it can be shared with workers (where the worker has put them already).
function keptBytesOf(bytes) {
  if (!globalThis.crossOriginIsolated || isShared(bytes)) return bytes;
  const shared = new Uint8Array(new SharedArrayBuffer(bytes.byteLength));
  shared.set(bytes);
  return shared;
}

// A message handing a kept kernel to a worker, with what it transfers.
function kernelMessage(name, bytes) {
  if (globalThis.crossOriginIsolated) return [{ type: 'kernel', name, bytes }, []];
  const copy = bytes.slice();
  return [{ type: 'kernel', name, bytes: copy }, [copy.buffer]];
}

export class Runner {
  constructor(program, { onProgress = () => {}, onKernels = () => {} } = {}) {
    this.program = program;
    this.onProgress = onProgress;
    this.onKernels = onKernels;
    this.kept = new Map();  // name -> Uint8Array, oldest use first
    this.worker = null;
    this.workerHolds = new Set();  // kernels the worker has in its folder
    this.cancelRun = null;
  }

  get keptBytes() {
    let total = 0;
    for (const bytes of this.kept.values()) total += bytes.byteLength;
    return total;
  }

  #halfSize(name) {
    return this.program.kernelOf(name).halfSize;
  }

  #keep(name, bytes) {
    this.kept.delete(name);
    this.kept.set(name, bytes);
    while (this.kept.size > KEPT_KERNEL_LIMIT) {
      let cheapest = null;
      for (const kept of this.kept.keys())
        if (!cheapest || this.#halfSize(kept) < this.#halfSize(cheapest)) cheapest = kept;
      this.kept.delete(cheapest);
    }
    this.onKernels(this);
  }

  // Runs the drawing (PNG bytes named name) with the command line's z, w
  // and tables words; readable: the names of the kernel files the run may
  // read (Program.runKernels), which choose the kept kernels it is handed.
  // Resolves with { status, console, files, pictures, stem, field, seconds }
  // or { cancelled: true } or { failed: message }.
  run(png, name, args, readable) {
    if (this.cancelRun) throw new Error('a run is already going');
    for (const held of this.workerHolds) if (!this.kept.has(held)) this.workerHolds.delete(held);
    const kernels = [];
    for (const [kernelName, bytes] of [...this.kept]) {
      if (!readable.has(kernelName)) continue;
      if (!this.workerHolds.has(kernelName)) kernels.push({ name: kernelName, bytes });
      this.#keep(kernelName, bytes);  // now the most recently used
    }

    const started = performance.now();
    if (!this.worker) {
      this.worker = new Worker(new URL('./run_worker.js', import.meta.url), { type: 'module' });
      this.workerHolds = new Set();
    }
    const worker = this.worker;
    const endWorker = () => {
      worker.terminate();
      this.worker = null;
    };
    return new Promise((resolve) => {
      const finish = (result) => {
        this.cancelRun = null;
        worker.onmessage = null;
        worker.onerror = null;
        resolve({ ...result, seconds: (performance.now() - started) / 1000 });
      };
      this.cancelRun = () => { endWorker(); finish({ cancelled: true }); };
      worker.onerror = (event) => { endWorker(); finish({ failed: event.message || 'the run stopped' }); };
      worker.onmessage = ({ data }) => {
        if (data.type === 'progress') this.onProgress(data);
        else if (data.type === 'kernel') {
          this.workerHolds.add(data.name);
          this.#keep(data.name, keptBytesOf(data.bytes));
        } else if (data.type === 'done') finish(data);
        else if (data.type === 'failed') { endWorker(); finish({ failed: data.message, console: data.console }); }
      };
      for (const kernel of kernels) {
        worker.postMessage(...kernelMessage(kernel.name, kernel.bytes));
        this.workerHolds.add(kernel.name);
      }
      worker.postMessage({ type: 'run', wasmModule: this.program.wasmModule, png, name, args,
        keep: [...this.kept.keys()] });
    });
  }

  cancel() { if (this.cancelRun) this.cancelRun(); }
}
