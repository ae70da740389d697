// The page: painting, opening and saving, running and reading the field.
import { KINDS, loadProgram, meaningOf, symbolOf, SIDE } from './program.js';
import { Drawing, WHITE } from './drawing.js';
import { PixelView, ViewState } from './pixel_view.js';
import { Runner, KEPT_KERNEL_LIMIT, KERNEL_FILE_BYTES, kernelOf } from './runner.js';
import { progressEstimate } from './progress.js';
import { fieldAt, fieldUnits, readoutLines, storedRemanence, storeRemanence, TESLA_VALIDITY } from './readout.js';
import { strengthView } from './strength_view.js';
import { profileView } from './profile_view.js';
import { attachScaleBar } from './scale_bar.js';
import { npyBytes } from './npy.js';
import { ZOOMS } from './pixel_view.js';

const $ = (id) => document.getElementById(id);
const MB = 1e6;
// With Live on, a change of the inputs reruns after this pause (a second
// change within it waits again).
const LIVE_PAUSE_MS = 80;
const TYPING_PAUSE_MS = 500;

// The status beside Run, with a line in smaller print below it (the
// program's own words behind a plain one).
function setStatus(text, state, detail = '') {
  $('status').textContent = text;
  $('status').dataset.state = state;
  $('status-detail').textContent = detail;
}

function toHex([r, g, b]) {
  return `rgb(${r}, ${g}, ${b})`;
}

function download(name, bytes, type = 'application/octet-stream') {
  const link = document.createElement('a');
  link.href = URL.createObjectURL(new Blob([bytes], { type }));
  link.download = name;
  link.textContent = name;
  return link;
}

// Console text as a terminal shows it: a backspace moves back one place.
function terminalText(text) {
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

async function start() {
  let program;
  try {
    program = await loadProgram();
  } catch (error) {
    setStatus(`Could not load the program: ${error.message}`, 'failed');
    return null;
  }
  const drawing = new Drawing();
  const viewState = new ViewState();
  const drawingView = new PixelView($('drawing-view'), viewState);
  const resultView = new PixelView($('result-view'), viewState);
  let color = [255, 255, 128];
  let tool = 'pencil';
  let result = null;
  let picture = 'contours';
  let remanence = storedRemanence();

  // --- colour -----------------------------------------------------------
  const setColor = (rgb) => {
    color = rgb;
    $('current-swatch').style.background = toHex(rgb);
    $('current-meaning').textContent = `${rgb.join(' ')}: ${meaningOf(program.rowOf(...rgb))}`;
  };
  for (const row of program.rows.slice(360)) {
    const button = document.createElement('button');
    const swatch = document.createElement('span');
    swatch.className = 'swatch';
    swatch.style.background = toHex([row.r, row.g, row.b]);
    swatch.style.color = row.r + row.g + row.b > 380 ? '#000' : '#fff';
    const symbol = document.createElement('span');
    symbol.textContent = symbolOf(row);
    if (row.direction >= 0) symbol.style.transform = `rotate(${row.direction}deg)`;
    swatch.append(symbol);
    button.append(swatch, row.name.replace(/: .*/, ''));
    button.title = meaningOf(row);
    button.dataset.row = row.row;
    button.addEventListener('click', () => setColor([row.r, row.g, row.b]));
    $('palette').append(button);
  }

  const fineRows = program.rows.filter((row) => row.row < 360);
  const fineColor = (d) => {
    const row = fineRows.find((r) => r.direction === d);
    return [row.r, row.g, row.b];
  };
  let direction = 0;
  const drawDial = () => {
    const c = $('dial').getContext('2d');
    c.clearRect(0, 0, 120, 120);
    c.strokeStyle = '#888';
    c.beginPath(); c.arc(60, 60, 54, 0, 2 * Math.PI); c.stroke();
    for (let d = 0; d < 360; d += 45) {
      const a = d * Math.PI / 180;
      c.beginPath(); c.moveTo(60 + 48 * Math.sin(a), 60 - 48 * Math.cos(a));
      c.lineTo(60 + 54 * Math.sin(a), 60 - 54 * Math.cos(a)); c.stroke();
    }
    const a = direction * Math.PI / 180;
    c.strokeStyle = toHex(fineColor(direction));
    c.lineWidth = 5;
    c.beginPath(); c.moveTo(60 - 30 * Math.sin(a), 60 + 30 * Math.cos(a));
    c.lineTo(60 + 46 * Math.sin(a), 60 - 46 * Math.cos(a)); c.stroke();
    c.lineWidth = 1;
    c.fillStyle = '#000';
    c.beginPath(); c.arc(60 + 46 * Math.sin(a), 60 - 46 * Math.cos(a), 4, 0, 2 * Math.PI); c.fill();
  };
  const setDirection = (d, use = true) => {
    direction = ((Math.round(d) % 360) + 360) % 360;
    $('direction-number').value = direction;
    $('direction-slider').value = direction;
    const rgb = fineColor(direction);
    const actsAs = program.rowOf(...rgb).direction;
    const twin = program.rows.find((row) => row.row >= 360 && row.kind === KINDS.planar && row.direction === direction);
    $('direction-note').textContent = `colour ${rgb.join(' ')}` + (actsAs !== direction
      ? `, shared with direction ${actsAs}: it acts as ${actsAs}°.`
      : twin ? `. The ${twin.name.replace(/: .*/, '')} swatch (${twin.r} ${twin.g} ${twin.b}) points the same way: ` +
        `the two colours paint the same ${direction}° magnet.` : '');
    drawDial();
    if (use) setColor(rgb);
  };
  const dialDirection = (event) => {
    const box = $('dial').getBoundingClientRect();
    const dx = event.clientX - box.left - box.width / 2, dy = event.clientY - box.top - box.height / 2;
    setDirection(Math.atan2(dx, -dy) * 180 / Math.PI);
  };
  $('dial').addEventListener('pointerdown', (event) => {
    dialDirection(event);
    $('dial').setPointerCapture(event.pointerId);
  });
  $('dial').addEventListener('pointermove', (event) => { if (event.buttons) dialDirection(event); });
  $('direction-slider').addEventListener('input', (e) => setDirection(Number(e.target.value)));
  $('direction-number').addEventListener('change', (e) => setDirection(Number(e.target.value) || 0));
  $('direction-use').addEventListener('click', () => setDirection(direction));
  setDirection(0, false);
  setColor(color);

  // --- tools and view --------------------------------------------------------
  const selectTool = (name) => {
    tool = name;
    for (const b of document.querySelectorAll('#tools button')) b.classList.toggle('active', b.dataset.tool === name);
  };
  for (const b of document.querySelectorAll('#tools button')) b.addEventListener('click', () => selectTool(b.dataset.tool));
  selectTool('pencil');
  const penSize = () => Number($('pen-size').value);
  const stepPenSize = (by) => {
    const select = $('pen-size');
    select.selectedIndex = Math.min(Math.max(select.selectedIndex + by, 0), select.options.length - 1);
  };

  const showZoom = () => { $('zoom-level').textContent = `${viewState.zoom}×`; };
  viewState.views.push({ render: showZoom });
  $('zoom-in').addEventListener('click', () => viewState.step(1));
  $('zoom-out').addEventListener('click', () => viewState.step(-1));
  const undo = () => { drawing.undo(); inputsSettled(); };
  const redo = () => { drawing.redo(); inputsSettled(); };
  $('undo').addEventListener('click', undo);
  $('redo').addEventListener('click', redo);

  // The field pane: empty with a hint, the pictures of a run, or those
  // pictures marked as no longer matching the inputs.
  const RESULT_NOTES = { empty: $('result-note').textContent, shown: '', stale: 'out of date', updating: 'updating…' };
  const showResultState = (state) => {
    $('result-box').dataset.state = state;
    $('result-note').textContent = RESULT_NOTES[state];
  };
  // A change of the inputs: with Live on, a rerun after a short pause (the
  // pictures marked as updating meanwhile), with Live off the pictures are
  // marked out of date.
  let liveTimer = null;
  let liveRun = () => {};
  const inputsChanged = () => {
    if (result) showResultState($('live').checked ? 'updating' : 'stale');
  };
  const inputsSettled = (pause = LIVE_PAUSE_MS) => {
    if (!$('live').checked) return;
    inputsChanged();
    clearTimeout(liveTimer);
    liveTimer = setTimeout(() => liveRun(), pause);
  };
  showResultState('empty');

  drawing.onChange(() => {
    drawingView.show(drawing.pixels);
    $('drawing-name').textContent = drawing.name;
    inputsChanged();
  });
  drawing.changed();

  // Painting: one undo step per stroke; shapes preview on a copy taken at
  // the press.
  let stroke = null;
  let spaceHeld = false;
  const inside = ([x, y]) => x >= 0 && y >= 0 && x < SIDE && y < SIDE;
  const paintAt = (event) => {
    const point = drawingView.pixelAt(event);
    const s = stroke;
    if (s.tool === 'pan') {
      viewState.panTo(s.viewX - (event.clientX - s.clientX) / viewState.zoom * (SIDE / s.width),
        s.viewY - (event.clientY - s.clientY) / viewState.zoom * (SIDE / s.width));
      return;
    }
    if (s.tool === 'pencil' || s.tool === 'eraser') {
      drawing.line(s.last[0], s.last[1], point[0], point[1], penSize(), s.color);
      s.last = point;
    } else if (s.tool === 'line' || s.tool === 'rect' || s.tool === 'ellipse') {
      drawing.pixels.set(s.before);
      if (s.tool === 'line') drawing.line(s.start[0], s.start[1], point[0], point[1], penSize(), s.color);
      else drawing[s.tool](s.start[0], s.start[1], point[0], point[1], s.color);
    }
    drawing.changed();
  };
  // Two fingers on the drawing pan and zoom it; a stroke the first finger
  // began is taken back.
  const touches = new Map();
  let pinch = null;
  const pinchGeometry = () => {
    const [a, b] = [...touches.values()];
    const box = $('drawing-view').getBoundingClientRect();
    return { distance: Math.hypot(a.clientX - b.clientX, a.clientY - b.clientY),
      vx: ((a.clientX + b.clientX) / 2 - box.left) * SIDE / box.width,
      vy: ((a.clientY + b.clientY) / 2 - box.top) * SIDE / box.height };
  };
  const startPinch = () => {
    if (stroke && stroke.tool !== 'pan') drawing.revert();
    stroke = null;
    const g = pinchGeometry();
    pinch = { ...g, zoom: viewState.zoom, px: viewState.x + g.vx / viewState.zoom, py: viewState.y + g.vy / viewState.zoom };
  };
  const movePinch = () => {
    const g = pinchGeometry();
    const wanted = pinch.zoom * g.distance / Math.max(1, pinch.distance);
    const zoom = ZOOMS.reduce((best, z) => Math.abs(Math.log(z / wanted)) < Math.abs(Math.log(best / wanted)) ? z : best);
    viewState.zoom = zoom;
    viewState.panTo(pinch.px - g.vx / zoom, pinch.py - g.vy / zoom);
  };
  const dropTouch = (event) => {
    touches.delete(event.pointerId);
    if (touches.size < 2) pinch = null;
  };
  $('drawing-view').addEventListener('pointerdown', (event) => {
    if (event.pointerType === 'touch') {
      touches.set(event.pointerId, event);
      if (touches.size === 2) { startPinch(); return; }
      if (touches.size > 2 || pinch) return;
    }
    if (event.button !== 0 && event.button !== 1) return;
    const active = event.button === 1 || spaceHeld ? 'pan' : tool;
    const point = drawingView.pixelAt(event);
    if (active === 'picker') {
      if (inside(point)) setColor(drawing.colorAt(...point));
      return;
    }
    if (active === 'fill') {
      if (!inside(point)) return;
      drawing.remember();
      drawing.fill(point[0], point[1], color);
      drawing.changed();
      inputsSettled();
      return;
    }
    if (active !== 'pan') {
      if (!inside(point)) return;
      drawing.remember();
    }
    $('drawing-view').setPointerCapture(event.pointerId);
    stroke = { tool: active, start: point, last: point, color: active === 'eraser' ? WHITE : color,
      before: drawing.pixels.slice(), clientX: event.clientX, clientY: event.clientY,
      viewX: viewState.x, viewY: viewState.y, width: $('drawing-view').getBoundingClientRect().width };
    paintAt(event);
  });
  $('drawing-view').addEventListener('pointermove', (event) => {
    if (touches.has(event.pointerId)) touches.set(event.pointerId, event);
    if (pinch) { movePinch(); return; }
    const point = drawingView.pixelAt(event);
    if (inside(point)) {
      const rgb = drawing.colorAt(...point);
      $('hover').textContent = `row ${point[1]}, col ${point[0]}: ${rgb.join(' ')}, ${meaningOf(program.rowOf(...rgb))}`;
    }
    if (stroke) paintAt(event);
  });
  const endStroke = (event) => {
    dropTouch(event);
    if (stroke && stroke.tool !== 'pan') inputsSettled();
    stroke = null;
  };
  $('drawing-view').addEventListener('pointerup', endStroke);
  $('drawing-view').addEventListener('pointercancel', endStroke);

  document.addEventListener('keydown', (event) => {
    if (event.target.tagName === 'INPUT' || event.target.tagName === 'SELECT') return;
    const key = event.key;
    if ((event.ctrlKey || event.metaKey) && (key === 'z' || key === 'Z')) {
      event.preventDefault();
      if (event.shiftKey) redo(); else undo();
      return;
    }
    if ((event.ctrlKey || event.metaKey) && key === 'y') { event.preventDefault(); redo(); return; }
    if (event.ctrlKey || event.metaKey || event.altKey) return;
    const tools = { p: 'pencil', l: 'line', r: 'rect', o: 'ellipse', f: 'fill', e: 'eraser', i: 'picker', h: 'pan' };
    if (tools[key]) selectTool(tools[key]);
    else if (key === '+' || key === '=') viewState.step(1);
    else if (key === '-') viewState.step(-1);
    else if (key === '[') stepPenSize(-1);
    else if (key === ']') stepPenSize(1);
    else if (key === ' ') { spaceHeld = true; event.preventDefault(); }
  });
  document.addEventListener('keyup', (event) => { if (event.key === ' ') spaceHeld = false; });

  // --- open, save, examples -------------------------------------------------
  // The drawing is kept whenever a file is refused.
  const openBytes = (name, bytes) => {
    const decoded = program.decode(name, bytes);
    if (decoded.error) {
      setStatus(`${decoded.refusal} Your drawing is unchanged.`, 'failed', decoded.error);
      return false;
    }
    drawing.replace(decoded.pixels, name);
    setStatus(`Opened ${name}`, 'done');
    inputsSettled();
    return true;
  };
  $('open').addEventListener('change', async (event) => {
    const file = event.target.files[0];
    event.target.value = '';
    if (file) openBytes(file.name, new Uint8Array(await file.arrayBuffer()));
  });
  $('save').addEventListener('click', () => {
    const encoded = program.encode(drawing.pixels);
    if (encoded.error) { setStatus(encoded.error, 'failed'); return; }
    download(drawing.name, encoded.bytes, 'image/png').click();
  });
  $('clear').addEventListener('click', () => {
    drawing.replace(new Uint8Array(SIDE * SIDE * 3).fill(255), 'drawing.png');
    inputsSettled();
  });
  const openExample = async (name) => {
    const response = await fetch(`examples/${name}`);
    return openBytes(name, new Uint8Array(await response.arrayBuffer()));
  };
  try {
    for (const name of await (await fetch('examples/examples.json')).json()) {
      const button = document.createElement('button');
      button.textContent = name.replace(/\.png$/, '');
      button.addEventListener('click', () => openExample(name));
      $('examples').append(button, ' ');
    }
  } catch { $('examples').textContent = 'none found'; }

  // --- running ------------------------------------------------------------
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

  // The field in mT for magnets, in program units for charges.
  const units = () => fieldUnits(!result?.hasMonopole, remanence);
  // The run's field grid, for a run that ended well.
  const fieldRun = () => (result?.status === 0 && result.field ? result : null);
  const showPicture = () => {
    for (const b of document.querySelectorAll('#tabs button[data-picture]'))
      b.classList.toggle('active', b.dataset.picture === picture);
    strength.show(picture === 'strength' && Boolean(fieldRun()));
    if (picture === 'strength') resultView.show(fieldRun() ? strength.picture(result.field, units()) : null);
    else resultView.show(result?.pictures[picture] ?? null);
  };
  const strength = strengthView(showPicture);
  for (const b of document.querySelectorAll('#tabs button[data-picture]'))
    b.addEventListener('click', () => { picture = b.dataset.picture; showPicture(); });
  const profile = profileView({ resultView, program, result: fieldRun, units, makeLink: download });
  attachScaleBar(viewState, $('result-view'), $('scale-bar'));

  $('remanence').value = remanence;
  $('remanence').addEventListener('change', () => {
    const value = Number($('remanence').value);
    if (value > 0) { remanence = value; storeRemanence(value); }
    else $('remanence').value = remanence;
    showPicture();
    profile.refresh();
  });
  $('tesla-note').textContent = TESLA_VALIDITY;

  // Dragging a result pans both views.
  let resultDrag = null;
  $('result-view').addEventListener('pointerdown', (event) => {
    if (profile.active) return;
    resultDrag = { clientX: event.clientX, clientY: event.clientY, viewX: viewState.x, viewY: viewState.y,
      scale: SIDE / $('result-view').getBoundingClientRect().width };
    $('result-view').setPointerCapture(event.pointerId);
  });
  $('result-view').addEventListener('pointerup', () => { resultDrag = null; });
  $('result-view').addEventListener('pointermove', (event) => {
    if (resultDrag) {
      viewState.panTo(resultDrag.viewX - (event.clientX - resultDrag.clientX) * resultDrag.scale / viewState.zoom,
        resultDrag.viewY - (event.clientY - resultDrag.clientY) * resultDrag.scale / viewState.zoom);
    }
    const [col, row] = resultView.pixelAt(event);
    if (!result?.field || !inside([col, row])) return;
    $('readout').textContent = readoutLines(program, fieldAt(result.field, row, col), row, col, remanence,
      !result.hasMonopole).join('\n');
  });

  // The progress of a run of a drawing with these models at these settings.
  const firstRow = new Map();
  for (const row of program.rows) {
    const model = `${row.kind}:${row.kind === KINDS.planar ? row.angle : 0}`;
    if (!firstRow.has(model)) firstRow.set(model, row.row);
  }
  const describeKernel = (name) => {
    const { halfSize, model } = kernelOf(name);
    const [kind, angle] = model.split(':').map(Number);
    const block = `a ${2 * halfSize + 1} × ${2 * halfSize + 1} block`;
    if (kind === KINDS.axial) return `${block} magnetised through the sheet`;
    if (kind === KINDS.monopole) return `${block} of charge`;
    return `${block} at ${program.rows.find((r) => r.kind === kind && r.angle === angle).direction}°`;
  };
  const runProgress = (models, { z, thickness }) => {
    const held = new Set([...runner.kept.keys()].map((name) => {
      const k = kernelOf(name);
      return `${k.model}|${2 * k.halfSize + 1}|${k.z}`;
    }));
    const layerZ = (layer) => thickness >= 1 ? z + layer - 1 : z - layer + 1;
    return progressEstimate({ models, firstRow, describeKernel,
      held: (model, side, layer) => held.has(`${model}|${side}|${layerZ(layer)}`) });
  };
  let progress = runProgress(new Set(), { z: 3, thickness: 1 });

  // A run of the drawing as it is now; one in flight gives way to it.
  let runTicket = 0;
  const run = async () => {
    clearTimeout(liveTimer);
    runner.cancel();
    const ticket = ++runTicket;
    const encoded = program.encode(drawing.pixels);
    if (encoded.error) { setStatus(encoded.error, 'failed'); return; }
    const args = [drawing.name, $('z').value || '3', $('w').value || '1'];
    const settings = program.readSettings(args[1], args[2]);
    if ($('tables').checked) args.push('v');
    const models = program.modelsIn(drawing.pixels);
    const hasMonopole = models.has(`${KINDS.monopole}:0`);
    $('cancel').disabled = false;
    $('progress').value = 0;
    setStatus('Running…', 'running');
    if (result) showResultState('updating');
    progress = runProgress(models, settings);
    const outcome = await runner.run(encoded.bytes, drawing.name, args, models);
    if (ticket !== runTicket) return;
    $('cancel').disabled = true;
    $('console').textContent = terminalText(outcome.console ?? '');
    $('progress-text').textContent = outcome.cancelled ? 'Cancelled' : `Took ${outcome.seconds.toFixed(2)} s`;
    if (outcome.cancelled || outcome.failed) {
      setStatus(outcome.cancelled ? 'Cancelled' : `Failed: ${outcome.failed}`, 'failed');
      if (result) showResultState('stale');
      return;
    }
    const pictures = {};
    const layers = Math.abs(settings.thickness);
    const of = `of ${args[0]} at z = ${settings.z} mm` + (layers > 1 ? `, ${layers} layers` : '');
    $('result-of').textContent = of;
    const caption = document.createElement('p');
    caption.textContent = `Files ${of}:`;
    $('downloads').replaceChildren(caption);
    for (const file of outcome.files) {
      $('downloads').append(download(file.name, file.bytes));
      const kind = /_Z\d+_(contours|streamlines|stream_contours)\.png$/.exec(file.name);
      if (kind) pictures[kind[1]] = program.decode(file.name, file.bytes).pixels;
    }
    const lines = terminalText(outcome.console).trimEnd().split('\n');
    if (outcome.status !== 0) {
      setStatus(lines.filter((l) => l.startsWith('fluxart:') || /(de|en)coder error/.test(l)).pop()
        ?? `The run ended with status ${outcome.status}`, 'failed');
    } else {
      setStatus(`Done in ${outcome.seconds.toFixed(2)} s`, 'done');
    }
    // The outputs' names up to their kind: "bar_magnet___Z5003_".
    const stem = outcome.files.map((f) => /^(.*_Z\d+_)contours\.png$/.exec(f.name)?.[1]).find(Boolean) ?? '';
    result = { ...outcome, pictures, hasMonopole, stem };
    for (const link of $('exports').querySelectorAll('a')) URL.revokeObjectURL(link.href);
    $('exports').replaceChildren();
    if (outcome.status === 0 && stem) {
      $('exports').append('The whole field for NumPy (640 × 640 × 3 float32, row 0 at the top, i j k): ',
        download(`${stem}field.npy`, npyBytes(result.field)));
    }
    showResultState(Object.keys(pictures).length ? 'shown' : 'empty');
    showPicture();
    profile.refresh();
  };
  $('run').addEventListener('click', run);
  liveRun = run;
  $('cancel').addEventListener('click', () => runner.cancel());

  setStatus('Ready', 'ready');
  return { program, drawing, runner, viewState, get result() { return result; } };
}

// Keeps the page working offline once loaded (secure contexts only, which
// 127.0.0.1 is).
if ('serviceWorker' in navigator) navigator.serviceWorker.register('offline.js').catch(() => {});

// The page's own objects once it is ready (null if the program did not
// load), for the curious and for tests, which import this module: the
// drawing's pixels, the run's result, the kernels kept.
export const studio = start();
