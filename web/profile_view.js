// The Profile tool of the field pane: a line dragged over any result
// picture, the field along it plotted below, the sample under the cursor
// on the plot marked on the picture, and the samples (CSV) and the plot
// (SVG, PNG) to download.
import { $ } from './dom.js';
import { SIDE } from './picture_size.js';
import { PLOT, plotFrame, profileCsv, profileSamples, profileSvg } from './profile.js';

const inside = (v) => Math.min(Math.max(v, 0), SIDE - 1);

// Takes the result view (a PixelView), the program (for the tables' number
// format), a function giving the run's result ({ field, stem } or null) and
// one giving the units (readout's fieldUnits), and makeLink(name, bytes,
// type), which gives a download link.
export function profileView({ resultView, program, result, units, makeLink }) {
  let active = false;
  let line = null;  // { from: [row, col], to: [row, col] }
  let dragging = false;
  let samples = [];
  let marked = null;  // index of the sample marked on the picture
  let links = [];
  let refreshes = 0;

  const button = $('profile-tool');
  button.addEventListener('click', () => {
    active = !active;
    button.classList.toggle('active', active);
  });

  resultView.overlays.push((c, toView) => {
    if (!line) return;
    const [x0, y0] = toView(line.from[1], line.from[0]), [x1, y1] = toView(line.to[1], line.to[0]);
    for (const [color, width] of [['#fff', 4], ['#d00', 1.5]]) {
      c.strokeStyle = color;
      c.lineWidth = width;
      c.beginPath(); c.moveTo(x0, y0); c.lineTo(x1, y1); c.stroke();
    }
    if (marked === null || !samples[marked]) return;
    const [x, y] = toView(samples[marked].col, samples[marked].row);
    c.lineWidth = 2;
    c.strokeStyle = '#000';
    c.fillStyle = '#fff';
    c.beginPath(); c.arc(x, y, 5, 0, 2 * Math.PI); c.fill(); c.stroke();
  });

  const pointAt = (event) => {
    const [x, y] = resultView.pixelAt(event);
    return [inside(y), inside(x)];
  };
  const canvas = resultView.canvas;
  canvas.addEventListener('pointerdown', (event) => {
    if (!active || !result()?.field) return;
    line = { from: pointAt(event), to: pointAt(event) };
    dragging = true;
    canvas.setPointerCapture(event.pointerId);
    resultView.render();
  });
  canvas.addEventListener('pointermove', (event) => {
    if (!dragging) return;
    line.to = pointAt(event);
    resultView.render();
  });
  const endDrag = () => {
    if (!dragging) return;
    dragging = false;
    refresh();
  };
  canvas.addEventListener('pointerup', endDrag);
  canvas.addEventListener('pointercancel', endDrag);

  const plot = $('profile-plot');
  plot.addEventListener('pointermove', (event) => {
    if (!samples.length) return;
    const box = plot.firstElementChild.getBoundingClientRect();
    const frame = plotFrame(samples, units().factor);
    const x = (event.clientX - box.left) * PLOT.width / box.width;
    const n = Math.round((x - frame.x(0)) / (frame.x(1) - frame.x(0)));
    marked = Math.min(Math.max(n, 0), samples.length - 1);
    const s = samples[marked], { factor, name } = units();
    const told = (v) => `${program.formatValue(v)}` + (factor !== 1 ? ` (${(v * factor).toFixed(3)} ${name})` : '');
    $('profile-readout').textContent = `${s.distance} mm: pixel (${s.row}, ${s.col}), i ${told(s.i)}, ` +
      `j ${told(s.j)}, k ${told(s.k)}, |B| ${told(s.magnitude)}`;
    resultView.render();
  });
  plot.addEventListener('pointerleave', () => { marked = null; resultView.render(); });

  // Samples the field along the line again and redraws the plot and its
  // downloads (after a drag, a new run or new units).
  const refresh = () => {
    const ticket = ++refreshes;
    for (const link of links) URL.revokeObjectURL(link.href);
    links = [];
    const run = result();
    $('profile').hidden = !line || !run?.field;
    if ($('profile').hidden) return;
    samples = profileSamples(run.field, line.from, line.to);
    marked = null;
    const { factor, label } = units();
    const svg = profileSvg(samples, factor, label);
    plot.innerHTML = svg;
    $('profile-readout').textContent = `From pixel (${line.from.join(', ')}) to (${line.to.join(', ')}), ` +
      `${samples.length} samples, one per mm. Move over the plot to mark a sample on the picture.`;
    links = [makeLink(`${run.stem}profile.csv`, profileCsv(samples, (v) => program.formatValue(v)), 'text/csv'),
      makeLink(`${run.stem}profile.svg`, svg, 'image/svg+xml')];
    $('profile-downloads').replaceChildren(...links);
    const image = new Image();
    image.src = URL.createObjectURL(new Blob([svg], { type: 'image/svg+xml' }));
    image.decode().then(() => {
      const drawn = document.createElement('canvas');
      drawn.width = PLOT.width;
      drawn.height = PLOT.height;
      drawn.getContext('2d').drawImage(image, 0, 0);
      URL.revokeObjectURL(image.src);
      drawn.toBlob(async (blob) => {
        if (ticket !== refreshes || !blob) return;
        const png = makeLink(`${run.stem}profile.png`, new Uint8Array(await blob.arrayBuffer()), 'image/png');
        links.push(png);
        $('profile-downloads').append(png);
      }, 'image/png');
    });
    resultView.render();
  };

  return {
    // Whether a press on the result view draws a line (rather than pans).
    get active() { return active; },
    get line() { return line; },
    refresh,
  };
}
