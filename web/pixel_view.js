// A zoomable, pannable view of a 640 x 640 RGB picture on a canvas, drawn
// without smoothing, with the pixel grid from 4x. Views that share one
// ViewState zoom and pan together.
import { SIDE } from './picture_size.js';

export const ZOOMS = [1, 2, 3, 4, 6, 8, 12, 16];
const GRID_FROM_ZOOM = 4;

export class ViewState {
  constructor() {
    this.zoom = 1;
    this.x = 0;  // picture coordinate at the view's left edge
    this.y = 0;
    this.views = [];
  }

  // Sets the zoom, keeping the picture point under view pixel (vx, vy) in place.
  zoomTo(zoom, vx = SIDE / 2, vy = SIDE / 2) {
    const px = this.x + vx / this.zoom, py = this.y + vy / this.zoom;
    this.zoom = zoom;
    this.panTo(px - vx / zoom, py - vy / zoom);
  }

  step(direction, vx, vy) {
    const index = ZOOMS.indexOf(this.zoom) + direction;
    if (index >= 0 && index < ZOOMS.length) this.zoomTo(ZOOMS[index], vx, vy);
  }

  panTo(x, y) {
    const most = SIDE - SIDE / this.zoom;
    this.x = Math.min(Math.max(x, 0), most);
    this.y = Math.min(Math.max(y, 0), most);
    for (const view of this.views) view.render();
  }
}

export class PixelView {
  constructor(canvas, state) {
    this.canvas = canvas;
    this.canvas.width = SIDE;
    this.canvas.height = SIDE;
    this.context = canvas.getContext('2d');
    this.source = document.createElement('canvas');
    this.source.width = SIDE;
    this.source.height = SIDE;
    this.sourceContext = this.source.getContext('2d');
    this.image = this.sourceContext.createImageData(SIDE, SIDE);
    this.state = state;
    state.views.push(this);
    this.blank = true;
    // Drawn over the picture on every render: each is called with the
    // canvas context and a function from picture pixel centre (x, y) to the
    // view's pixel.
    this.overlays = [];
    canvas.addEventListener('wheel', (event) => {
      event.preventDefault();
      const [vx, vy] = this.viewPoint(event);
      state.step(event.deltaY < 0 ? 1 : -1, vx, vy);
    }, { passive: false });
  }

  // Shows 640 x 640 x 3 RGB bytes (or nothing, for null).
  show(rgb) {
    this.blank = !rgb;
    if (rgb) {
      const rgba = this.image.data;
      for (let k = 0, n = 0; k < rgb.length; k += 3, n += 4) {
        rgba[n] = rgb[k];
        rgba[n + 1] = rgb[k + 1];
        rgba[n + 2] = rgb[k + 2];
        rgba[n + 3] = 255;
      }
      this.sourceContext.putImageData(this.image, 0, 0);
    }
    this.render();
  }

  viewPoint(event) {
    const box = this.canvas.getBoundingClientRect();
    return [(event.clientX - box.left) * SIDE / box.width, (event.clientY - box.top) * SIDE / box.height];
  }

  // The picture pixel [x, y] under the mouse, possibly outside the picture.
  pixelAt(event) {
    const [vx, vy] = this.viewPoint(event);
    return [Math.floor(this.state.x + vx / this.state.zoom), Math.floor(this.state.y + vy / this.state.zoom)];
  }

  render() {
    const { zoom, x, y } = this.state;
    const c = this.context;
    c.setTransform(1, 0, 0, 1, 0, 0);
    c.fillStyle = '#ddd';
    c.fillRect(0, 0, SIDE, SIDE);
    if (this.blank) return;
    c.imageSmoothingEnabled = false;
    c.setTransform(zoom, 0, 0, zoom, -x * zoom, -y * zoom);
    c.drawImage(this.source, 0, 0);
    c.setTransform(1, 0, 0, 1, 0, 0);
    if (zoom >= GRID_FROM_ZOOM) this.#drawGrid();
    const toView = (px, py) => [(px + 0.5 - x) * zoom, (py + 0.5 - y) * zoom];
    for (const overlay of this.overlays) overlay(c, toView);
  }

  #drawGrid() {
    const { zoom, x, y } = this.state;
    const c = this.context;
    c.strokeStyle = 'rgba(0, 0, 0, 0.18)';
    c.lineWidth = 1;
    c.beginPath();
    const first = Math.ceil(x), last = Math.floor(x + SIDE / zoom);
    for (let p = first; p <= last; ++p) {
      const v = Math.round((p - x) * zoom) + 0.5;
      c.moveTo(v, 0); c.lineTo(v, SIDE);
    }
    const firstRow = Math.ceil(y), lastRow = Math.floor(y + SIDE / zoom);
    for (let p = firstRow; p <= lastRow; ++p) {
      const v = Math.round((p - y) * zoom) + 0.5;
      c.moveTo(0, v); c.lineTo(SIDE, v);
    }
    c.stroke();
  }
}
