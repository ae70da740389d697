// Runs the program in a worker that lives from one run to the next, on one
// instance of the compiled module whose run state each run starts afresh
// (app/web_entry.cpp), so that the kernel files in its working folder stay
// there for later runs and a rerun copies nothing the worker holds.
// Takes kept kernel files ({ type: 'kernel', name, bytes }, the page's
// shared bytes or a copy), which become read-only files of the working
// folder without a further copy, then { type: 'run', wasmModule, png,
// name, args, keep }: the drawing's PNG file and name, the command line
// after the program name, and the names of the kernels the page keeps (the
// worker lets go of the others).
// Posts 'progress' as the step counter moves, 'kernel' with each kernel file
// the run has just stored (shared with the page when it can be), and 'done'
// with the exit status, the console text, the files the run wrote (the
// tables), its three pictures as composed ({ name, pixels }, RGB, not yet
// encoded), the outputs' names up to their kind and the field grid, or
// 'failed', after which the worker is no longer fit to run. What
// the run does comes from its events (PageObserver in app/web_entry.cpp),
// never from its console text. Where the page is cross-origin isolated the
// runs take the threaded build (fluxart_web_threads.js, its stages on one
// thread per processor over shared memory, the same bytes); elsewhere the
// page's own module, on one thread. 'done' says how many threads ran.
import { instantiate } from './program.js';
import { SIDE } from './picture_size.js';

const FOLDER = '/run';
// The run's pictures: contours, streamlines, both.
const PICTURES = 3;
const PROGRESS_INTERVAL_MS = 40;

let m = null;
// The run in hand's console text and event handler.
let output = [];
let onRunEvent = () => {};
const pendingKernels = [];

// The module the runs take and its glue's factory: the threaded build's,
// compiled here, when shared memory lets its threads work.
async function runProgram(wasmModule) {
  if (!globalThis.crossOriginIsolated) return { wasmModule, create: undefined };
  const [glue, threaded] = await Promise.all([import('./fluxart_web_threads.js'),
    WebAssembly.compileStreaming(fetch(new URL('fluxart_web_threads.wasm', import.meta.url)))]);
  return { wasmModule: threaded, create: glue.default };
}

// The kernel file the file called name is or holds the checksums of; '' for
// any other file.
const kernelFileOf = (name) => {
  const size = m.lengthBytesUTF8(name) + 1;
  const pointer = m._malloc(size);
  m.stringToUTF8(name, pointer, size);
  const kernel = m.UTF8ToString(m._fluxart_kernel_file_of(pointer));
  m._free(pointer);
  return kernel;
};

function storeKernel({ name, bytes }) {
  m.FS.writeFile(name, bytes, { canOwn: true });
  m.FS.chmod(name, 0o444);
}

// Kept kernels arrive one message each, before the run's own message: one
// message of every kernel at once can be too large for the browser to copy.
self.onmessage = ({ data }) => {
  if (data.type === 'kernel') {
    if (m) storeKernel(data); else pendingKernels.push(data);
  } else run(data);
};

async function run({ wasmModule, png, name, args, keep }) {
  output = [];
  let layer = 1, layers = 1, step = 0, steps = 0, lastPost = 0;
  let creating = null;

  const postProgress = (force) => {
    const now = performance.now();
    if (!force && now - lastPost < PROGRESS_INTERVAL_MS) return;
    lastPost = now;
    self.postMessage({ type: 'progress', layer, layers, step, steps, creating });
  };

  // A kernel the run has just stored: handed to the page, and kept here as
  // a read-only file; in shared memory both hold the same bytes.
  const handOverKernel = (fileName) => {
    if (!m.FS.analyzePath(fileName).exists) return;
    const made = m.FS.readFile(fileName);
    if (globalThis.crossOriginIsolated) {
      const shared = new Uint8Array(new SharedArrayBuffer(made.byteLength));
      shared.set(made);
      m.FS.unlink(fileName);
      storeKernel({ name: fileName, bytes: shared });
      self.postMessage({ type: 'kernel', name: fileName, bytes: shared });
    } else {
      m.FS.chmod(fileName, 0o444);
      self.postMessage({ type: 'kernel', name: fileName, bytes: made }, [made.buffer]);
    }
  };

  onRunEvent = (type, a, b, c, text) => {
    if (type === 'layer') { layer = b; layers = c; step = 0; postProgress(true); }
    else if (type === 'step') { step = a; steps = b; postProgress(false); }
    else if (type === 'kernel-making') { creating = text; postProgress(true); }
    else if (type === 'kernel-finished') {
      if (a) handOverKernel(text);
      creating = null;
      postProgress(true);
    }
  };

  try {
    if (!m) {
      const keepByte = (byte) => { output.push(byte); };
      const program = await runProgram(wasmModule);
      m = await instantiate(program.wasmModule, { stdout: keepByte, stderr: keepByte,
        onRunEvent: (...event) => onRunEvent(...event), noExitRuntime: true }, program.create);
      m.FS.mkdir(FOLDER);
      m.FS.chdir(FOLDER);
      for (const kernel of pendingKernels.splice(0)) storeKernel(kernel);
    }
    steps = m._fluxart_steps_per_layer();
    const kept = new Set(keep);
    // A kernel the page no longer keeps goes, and its checksums with it.
    for (const fileName of m.FS.readdir(FOLDER)) {
      const kernel = kernelFileOf(fileName);
      if (kernel && !kept.has(kernel)) m.FS.unlink(fileName);
    }
    m.FS.writeFile(name, png);
    const known = new Set(m.FS.readdir(FOLDER));

    const strings = args.map((text) => {
      const size = m.lengthBytesUTF8(text) + 1;
      const pointer = m._malloc(size);
      m.stringToUTF8(text, pointer, size);
      return pointer;
    });
    const argv = m._malloc(4 * strings.length);
    m.HEAPU32.set(strings, argv >> 2);
    const status = m._fluxart_run(strings.length, argv);
    for (const pointer of [...strings, argv]) m._free(pointer);

    // The outputs go to the page; the drawing and outputs leave the folder.
    const files = [];
    for (const fileName of m.FS.readdir(FOLDER)) {
      if (fileName === '.' || fileName === '..' || kernelFileOf(fileName)) continue;
      if (!known.has(fileName)) files.push({ name: fileName, bytes: m.FS.readFile(fileName) });
      m.FS.unlink(fileName);
    }
    const pictures = [];
    for (let k = 0; k < PICTURES; ++k) {
      const at = m._fluxart_picture(k);
      if (at) pictures.push({ name: m.UTF8ToString(m._fluxart_picture_name(k)), pixels: m.HEAPU8.slice(at, at + SIDE * SIDE * 3) });
    }
    const stem = m.UTF8ToString(m._fluxart_output_stem());
    const grid = m._fluxart_field_grid() >> 2;
    const field = m.HEAPF32.slice(grid, grid + SIDE * SIDE * 3);
    const consoleText = new TextDecoder('latin1').decode(new Uint8Array(output));
    self.postMessage({ type: 'done', status, console: consoleText, files, pictures, stem, field,
      threads: m._fluxart_threads() },
    [field.buffer, ...files.map((f) => f.bytes.buffer), ...pictures.map((p) => p.pixels.buffer)]);
  } catch (error) {
    const consoleText = new TextDecoder('latin1').decode(new Uint8Array(output));
    self.postMessage({ type: 'failed', message: String(error && error.message || error), console: consoleText });
  }
}
