// The strength view's colour bar on a canvas: the colour map from the
// scale's low end to its high end, with round ticks in the units shown.
import { viridis } from './color_map.js';
import { scaleFraction } from './strength.js';
import { ticks, tickText } from './scales.js';

const MARGIN = 24;
const STRIP_TOP = 20;
const STRIP_HEIGHT = 14;

// Draws on canvas (its own size) the bar of scale (strengthScale's, in
// program units), labelled in units of factor program units each: title
// above, ticks below. A value past a logarithmic low end has the low colour.
export function drawColorBar(canvas, scale, factor, title) {
  const c = canvas.getContext('2d');
  const width = canvas.width, length = width - 2 * MARGIN;
  c.fillStyle = '#fff';
  c.fillRect(0, 0, width, canvas.height);
  for (let x = 0; x < length; ++x) {
    const [r, g, b] = viridis(x / (length - 1));
    c.fillStyle = `rgb(${r}, ${g}, ${b})`;
    c.fillRect(MARGIN + x, STRIP_TOP, 1, STRIP_HEIGHT);
  }
  c.fillStyle = '#000';
  c.strokeStyle = '#000';
  c.font = '12px sans-serif';
  c.textBaseline = 'alphabetic';
  c.textAlign = 'left';
  c.fillText(title, MARGIN, STRIP_TOP - 6);
  c.textBaseline = 'top';
  c.textAlign = 'center';
  for (const value of ticks(scale.low * factor, scale.high * factor, scale.logarithmic)) {
    const x = Math.round(MARGIN + scaleFraction(value / factor, scale) * (length - 1)) + 0.5;
    c.beginPath();
    c.moveTo(x, STRIP_TOP + STRIP_HEIGHT);
    c.lineTo(x, STRIP_TOP + STRIP_HEIGHT + 4);
    c.stroke();
    c.fillText(tickText(value), x, STRIP_TOP + STRIP_HEIGHT + 6);
  }
}
