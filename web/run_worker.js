// One run of the program in a worker, on a fresh instance of the compiled
// module, as a new process would start. Takes the kept kernel files
// ({ type: 'kernel', name, bytes }, the page's shared bytes or a copy),
// which become read-only files of the working folder without a further
// copy, then { type: 'run', wasmModule,
// png, name, args }: the drawing's PNG file and name and the command line
// after the program name.
// Posts 'progress' as the step counter moves, 'kernel' with each kernel file
// the run has just stored (then deleted here unless the run may load it
// again), and 'done' with the exit status, the console text, the output
// files and the field grid. What the run does comes from its events
// (PageObserver in app/web_entry.cpp), never from its console text.
import { instantiate, Program } from './program.js';

const FOLDER = '/run';
const PROGRESS_INTERVAL_MS = 40;

// Keys (kind, angle) of kernels that table rows far apart share: a kernel
// file of such a key may be loaded again later in the same layer.
function reusedKernelKeys(rows) {
  const seen = new Map();
  rows.forEach((row, index) => {
    const key = `${row.kind}:${row.kind === 2 ? row.angle : 0}`;
    const entry = seen.get(key) ?? { first: index, count: 0 };
    entry.count += 1;
    entry.last = index;
    seen.set(key, entry);
  });
  return new Set([...seen].filter(([, e]) => e.last - e.first + 1 !== e.count).map(([key]) => key));
}

// Kept kernels arrive one message each, before the run's own message: one
// message of every kernel at once can be too large for the browser to copy.
const kernels = [];
self.onmessage = ({ data }) => {
  if (data.type === 'kernel') kernels.push(data);
  else run(data);
};

async function run({ wasmModule, png, name, args }) {
  const output = [];
  let layer = 1, layers = 1, step = 0, steps = 0, lastPost = 0;
  let creating = null;
  let m = null;
  let reused = new Set();

  const postProgress = (force) => {
    const now = performance.now();
    if (!force && now - lastPost < PROGRESS_INTERVAL_MS) return;
    lastPost = now;
    self.postMessage({ type: 'progress', layer, layers, step, steps, creating });
  };

  // key: the kernel's "kind:angle" as the run read it from the file's name.
  const handOverKernel = (fileName, key) => {
    const path = `${FOLDER}/${fileName}`;
    if (!m.FS.analyzePath(path).exists) return;
    const bytes = m.FS.readFile(path);
    self.postMessage({ type: 'kernel', name: fileName, bytes }, [bytes.buffer]);
    if (!reused.has(key)) m.FS.unlink(path);
  };

  const onRunEvent = (type, a, b, c, text) => {
    if (type === 'layer') { layer = b; layers = c; step = 0; postProgress(true); }
    else if (type === 'step') { step = a; steps = b; postProgress(false); }
    else if (type === 'kernel-making') { creating = text; postProgress(true); }
    else if (type === 'kernel-finished') {
      if (a) handOverKernel(text, `${b}:${c}`);
      creating = null;
      postProgress(true);
    }
  };
  const keep = (byte) => { output.push(byte); };

  try {
    m = await instantiate(wasmModule, { stdout: keep, stderr: keep, onRunEvent, noExitRuntime: true });
    reused = reusedKernelKeys(new Program(wasmModule, m).rows);
    steps = m._fluxart_steps_per_layer();
    m.FS.mkdir(FOLDER);
    m.FS.chdir(FOLDER);
    m.FS.writeFile(name, png);
    for (const kernel of kernels) {
      m.FS.writeFile(kernel.name, kernel.bytes, { canOwn: true });
      m.FS.chmod(kernel.name, 0o444);
    }
    const known = new Set([name, ...kernels.map((k) => k.name)]);

    const strings = args.map((text) => {
      const size = m.lengthBytesUTF8(text) + 1;
      const pointer = m._malloc(size);
      m.stringToUTF8(text, pointer, size);
      return pointer;
    });
    const argv = m._malloc(4 * strings.length);
    m.HEAPU32.set(strings, argv >> 2);
    const status = m._fluxart_run(strings.length, argv);

    const files = [];
    for (const fileName of m.FS.readdir(FOLDER)) {
      if (fileName === '.' || fileName === '..' || known.has(fileName) || fileName.endsWith('.dat')) continue;
      files.push({ name: fileName, bytes: m.FS.readFile(fileName) });
    }
    const grid = m._fluxart_field_grid() >> 2;
    const field = m.HEAPF32.slice(grid, grid + 640 * 640 * 3);
    const consoleText = new TextDecoder('latin1').decode(new Uint8Array(output));
    self.postMessage({ type: 'done', status, console: consoleText, files, field },
      [field.buffer, ...files.map((f) => f.bytes.buffer)]);
  } catch (error) {
    const consoleText = new TextDecoder('latin1').decode(new Uint8Array(output));
    self.postMessage({ type: 'failed', message: String(error && error.message || error), console: consoleText });
  }
}
