// The colour to paint with: the palette's named swatches, the dial, slider
// and number box of the fine directions, and the note on what the chosen
// colour means. setupPalette(program) fills the palette from the program's
// colour table and gives { color, setColor(rgb) }, color being [r, g, b].
import { $ } from './dom.js';
import { KINDS, meaningOf, symbolOf } from './program.js';

// The named swatches follow the 360 fine directions in the table.
const FINE_ROWS = 360;

export const cssColor = ([r, g, b]) => `rgb(${r}, ${g}, ${b})`;

export function setupPalette(program) {
  let color = [255, 255, 128];
  const setColor = (rgb) => {
    color = rgb;
    $('current-swatch').style.background = cssColor(rgb);
    $('current-meaning').textContent = `${rgb.join(' ')}: ${meaningOf(program.rowOf(...rgb))}`;
  };
  for (const row of program.rows.slice(FINE_ROWS)) {
    const button = document.createElement('button');
    const swatch = document.createElement('span');
    swatch.className = 'swatch';
    swatch.style.background = cssColor([row.r, row.g, row.b]);
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

  const fineRows = program.rows.filter((row) => row.row < FINE_ROWS);
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
    c.strokeStyle = cssColor(fineColor(direction));
    c.lineWidth = 5;
    c.beginPath(); c.moveTo(60 - 30 * Math.sin(a), 60 + 30 * Math.cos(a));
    c.lineTo(60 + 46 * Math.sin(a), 60 - 46 * Math.cos(a)); c.stroke();
    c.lineWidth = 1;
    c.fillStyle = '#000';
    c.beginPath(); c.arc(60 + 46 * Math.sin(a), 60 - 46 * Math.cos(a), 4, 0, 2 * Math.PI); c.fill();
  };
  // The note names the colour, the direction that shares it, or the named
  // swatch of the same direction (two colours, one magnet).
  const setDirection = (d, use = true) => {
    direction = ((Math.round(d) % 360) + 360) % 360;
    $('direction-number').value = direction;
    $('direction-slider').value = direction;
    const rgb = fineColor(direction);
    const actsAs = program.rowOf(...rgb).direction;
    const twin = program.rows.find((row) => row.row >= FINE_ROWS && row.kind === KINDS.planar && row.direction === direction);
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

  return { get color() { return color; }, setColor };
}
