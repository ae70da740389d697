// The run bar: z and w and how they read, the tables switch, Live, Run and
// Cancel, the status and progress beside them, and the kernels the page
// holds. A run takes the drawing as it is; one in flight gives way to it.
// With Live on, a change of the inputs reruns by itself after a short pause
// (the pictures marked updating meanwhile); with it off they are marked out
// of date. setupRunPanel takes the program, the drawing and the field
// pane (views.js) and gives { inputsChanged, inputsSettled(pause) }: call
// the first whenever the drawing changes and the second once a change is
// complete.
import { $ } from './dom.js';
import { KINDS } from './program.js';
import { progressEstimate } from './progress.js';
import { Runner, KEPT_KERNEL_LIMIT, KERNEL_FILE_BYTES } from './runner.js';
import { setStatus } from './status.js';

const MB = 1e6;
// A second change within the pause waits again. After a stroke, a fill, an
// undo or an opened drawing the pause only gathers changes that come at
// once (an undo clicked twice): the run itself cancels for a later one.
// Typing in z or w waits for the next key.
const LIVE_PAUSE_MS = 20;
const TYPING_PAUSE_MS = 500;

// Console text as a terminal shows it: a backspace moves back one place.
export function terminalText(text) {
  const lines = [];
  let line = [], at = 0;
  for (const ch of text) {
    if (ch === '\n') { lines.push(line.join('')); line = []; at = 0; }
    else if (ch === '\b') at = Math.max(0, at - 1);
    else line[at++] = ch;
  }
  lines.push(line.join(''));
  return lines.join('\n');
}

export function setupRunPanel({ program, drawing, views }) {
  let progress = null;
  const runner = new Runner(program, {
    onProgress: (event) => {
      const { fraction, text, making } = progress.update(event);
      $('progress').value = fraction;
      $('progress-text').textContent = making ? `${text} · ${making}` : text;
    },
    onKernels: (r) => {
      $('kernels').textContent = `Holds ${r.kept.size} kernels, ${(r.keptBytes / MB).toFixed(1)} MB ` +
        `(at most ${KEPT_KERNEL_LIMIT}, ${(KEPT_KERNEL_LIMIT * KERNEL_FILE_BYTES / MB).toFixed(0)} MB)`;
    },
  });
  runner.onKernels(runner);

  // "a 3 × 3 block at 102°": what the kernel file called name is the field of.
  const describeKernel = (name) => {
    const { kind, halfSize, angle } = program.kernelOf(name);
    const block = `a ${2 * halfSize + 1} × ${2 * halfSize + 1} block`;
    if (kind === KINDS.axial) return `${block} magnetised through the sheet`;
    if (kind === KINDS.monopole) return `${block} of charge`;
    return `${block} at ${program.rows.find((r) => r.kind === kind && r.angle === angle).direction}°`;
  };

  let liveTimer = null;
  const inputsChanged = () => views.mark($('live').checked ? 'updating' : 'stale');
  const inputsSettled = (pause = LIVE_PAUSE_MS) => {
    if (!$('live').checked) return;
    inputsChanged();
    clearTimeout(liveTimer);
    liveTimer = setTimeout(() => run(), pause);
  };

  const readSettings = () => {
    const { z, thickness } = program.readSettings($('z').value || '3', $('w').value || '1');
    const n = Math.abs(thickness);
    $('settings-read').textContent = `Reads as z = ${z} mm, ${n} layer${n === 1 ? '' : 's'}` +
      (n > 1 ? ` (z = ${z} to ${thickness >= 1 ? z + n - 1 : z - n + 1})` : '');
  };
  for (const id of ['z', 'w']) {
    $(id).addEventListener('input', () => {
      readSettings();
      inputsChanged();
      inputsSettled(TYPING_PAUSE_MS);
    });
  }
  $('live').addEventListener('change', () => { if ($('live').checked) inputsSettled(); });
  readSettings();

  let runTicket = 0;
  const run = async () => {
    clearTimeout(liveTimer);
    runner.cancel();
    const ticket = ++runTicket;
    const encoded = program.encode(drawing.pixels, { forRun: true });
    if (encoded.error) { setStatus(encoded.error, 'failed'); return; }
    const args = [drawing.name, $('z').value || '3', $('w').value || '1'];
    const settings = program.readSettings(args[1], args[2]);
    if ($('tables').checked) args.push('v');
    const kernels = program.runKernels(drawing.pixels, args[1], args[2]);
    $('cancel').disabled = false;
    $('run-state').dataset.running = '';
    $('progress').value = 0;
    setStatus('Running…', 'running');
    views.mark('updating');
    const held = new Set(runner.kept.keys());
    progress = progressEstimate({ kernels, held: (name) => held.has(name), describeKernel });
    const outcome = await runner.run(encoded.bytes, drawing.name, args, new Set(kernels.map((k) => k.name)));
    if (ticket !== runTicket) return;
    $('cancel').disabled = true;
    delete $('run-state').dataset.running;
    $('console').textContent = terminalText(outcome.console ?? '');
    if (outcome.cancelled || outcome.failed) {
      setStatus(outcome.cancelled ? 'Cancelled' : `Failed: ${outcome.failed}`, 'failed');
      views.mark('stale');
      return;
    }
    $('console').dataset.threads = outcome.threads;  // how many threads the run's stages shared
    const layers = Math.abs(settings.thickness);
    const of = `of ${args[0]} at z = ${settings.z} mm` + (layers > 1 ? `, ${layers} layers` : '');
    views.show(outcome, { of, drawingPng: encoded.bytes,
      hasMonopole: kernels.some((k) => k.kind === KINDS.monopole) });
    const lines = terminalText(outcome.console).trimEnd().split('\n');
    if (outcome.status !== 0) {
      setStatus(lines.filter((l) => l.startsWith('fluxart:') || /(de|en)coder error/.test(l)).pop()
        ?? `The run ended with status ${outcome.status}`, 'failed');
    } else {
      const made = progress.made();
      setStatus(`Done in ${outcome.seconds.toFixed(2)} s` +
        (made ? `, ${made} kernel${made === 1 ? '' : 's'} made` : ''), 'done');
    }
  };
  $('run').addEventListener('click', run);
  $('cancel').addEventListener('click', () => runner.cancel());

  return { inputsChanged, inputsSettled };
}
