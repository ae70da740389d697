// The page: loads the program and wires its parts together, each in a
// module of its own: the colours (palette.js), painting (tools.js), the
// drawing's files (files.js), the run bar (run_panel.js) and the field pane
// (views.js).
import { $ } from './dom.js';
import { Drawing } from './drawing.js';
import { setupFiles } from './files.js';
import { setupPalette } from './palette.js';
import { PixelView, ViewState } from './pixel_view.js';
import { loadProgram } from './program.js';
import { setupRunPanel } from './run_panel.js';
import { setStatus } from './status.js';
import { setupTools } from './tools.js';
import { setupViews } from './views.js';

async function start() {
  let program;
  try {
    program = await loadProgram();
  } catch (error) {
    setStatus(`Could not load the program: ${error.message}`, 'failed');
    return;
  }
  const drawing = new Drawing();
  const viewState = new ViewState();
  const drawingView = new PixelView($('drawing-view'), viewState);
  const palette = setupPalette(program);
  const views = setupViews({ program, viewState });
  const runPanel = setupRunPanel({ program, drawing, views });

  drawing.onChange(() => {
    drawingView.show(drawing.pixels);
    $('drawing-name').textContent = drawing.name;
    runPanel.inputsChanged();
  });
  drawing.changed();
  setupTools({ program, drawing, drawingView, viewState, palette, onEdited: () => runPanel.inputsSettled() });
  await setupFiles({ program, drawing, onOpened: () => runPanel.inputsSettled() });
  setStatus('Ready', 'ready');
}

// Keeps the page working offline once loaded (secure contexts only, which
// 127.0.0.1 is).
if ('serviceWorker' in navigator) navigator.serviceWorker.register('offline.js').catch(() => {});

start();
