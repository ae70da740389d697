// Painting on the drawing: the tools and their keys, pen size, undo and
// redo, zoom, pan with a middle drag or space held, two-finger pan and zoom
// on a touch screen, and the colour under the pointer. setupTools takes the
// program (for the colours' meanings), the drawing and its view, the views'
// shared ViewState, the palette ({ color, setColor }) and onEdited, called
// once a change of the drawing is complete (a stroke ended, a fill, an undo).
import { $ } from './dom.js';
import { WHITE } from './drawing.js';
import { meaningOf } from './program.js';
import { SIDE } from './picture_size.js';
import { ZOOMS } from './pixel_view.js';

const KEYS = { p: 'pencil', l: 'line', r: 'rect', o: 'ellipse', f: 'fill', e: 'eraser', i: 'picker', h: 'pan' };

export function setupTools({ program, drawing, drawingView, viewState, palette, onEdited }) {
  const canvas = $('drawing-view');
  let tool = 'pencil';
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
  const undo = () => { drawing.undo(); onEdited(); };
  const redo = () => { drawing.redo(); onEdited(); };
  $('undo').addEventListener('click', undo);
  $('redo').addEventListener('click', redo);

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
    const box = canvas.getBoundingClientRect();
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
  canvas.addEventListener('pointerdown', (event) => {
    if (event.pointerType === 'touch') {
      touches.set(event.pointerId, event);
      if (touches.size === 2) { startPinch(); return; }
      if (touches.size > 2 || pinch) return;
    }
    if (event.button !== 0 && event.button !== 1) return;
    const active = event.button === 1 || spaceHeld ? 'pan' : tool;
    const point = drawingView.pixelAt(event);
    if (active === 'picker') {
      if (inside(point)) palette.setColor(drawing.colorAt(...point));
      return;
    }
    if (active === 'fill') {
      if (!inside(point)) return;
      drawing.remember();
      drawing.fill(point[0], point[1], palette.color);
      drawing.changed();
      onEdited();
      return;
    }
    if (active !== 'pan') {
      if (!inside(point)) return;
      drawing.remember();
    }
    canvas.setPointerCapture(event.pointerId);
    stroke = { tool: active, start: point, last: point, color: active === 'eraser' ? WHITE : palette.color,
      before: drawing.pixels.slice(), clientX: event.clientX, clientY: event.clientY,
      viewX: viewState.x, viewY: viewState.y, width: canvas.getBoundingClientRect().width };
    paintAt(event);
  });
  canvas.addEventListener('pointermove', (event) => {
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
    if (stroke && stroke.tool !== 'pan') onEdited();
    stroke = null;
  };
  canvas.addEventListener('pointerup', endStroke);
  canvas.addEventListener('pointercancel', endStroke);

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
    if (KEYS[key]) selectTool(KEYS[key]);
    else if (key === '+' || key === '=') viewState.step(1);
    else if (key === '-') viewState.step(-1);
    else if (key === '[') stepPenSize(-1);
    else if (key === ']') stepPenSize(1);
    else if (key === ' ') { spaceHeld = true; event.preventDefault(); }
  });
  document.addEventListener('keyup', (event) => { if (event.key === ' ') spaceHeld = false; });
}
