// A scale bar in mm under a result view, following its zoom (a picture
// pixel is 1 mm).
import { SIDE } from './picture_size.js';
import { scaleBar } from './scales.js';

// Keeps element (a box with a bar span and a label) sized for canvas, the
// view of viewState.
export function attachScaleBar(viewState, canvas, element) {
  const render = () => {
    const width = canvas.getBoundingClientRect().width;
    if (!width) return;
    const { mm, pixels } = scaleBar(SIDE / viewState.zoom, width);
    element.querySelector('span').style.width = `${pixels}px`;
    element.querySelector('small').textContent = `${mm} mm`;
  };
  viewState.views.push({ render });
  new ResizeObserver(render).observe(canvas);
  render();
}
