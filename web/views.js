// The field pane: a run's pictures (contours, streamlines, both, and the
// Strength view of its field) in a view that zooms and pans with the
// drawing's, with a mm scale bar, the readout of the field under the
// pointer, the Profile tool, the remanence its millitesla figures are for,
// the run's files and the field's .npy to download, and the pane's state:
// empty with a hint, shown, or the pictures marked "out of date" or
// "updating…". setupViews takes the program and the shared ViewState and
// gives { hasResult, mark(state), show(outcome, { of, hasMonopole }) }.
import { $, downloadLink, madeDownloadLink } from './dom.js';
import { npyBytes } from './npy.js';
import { SIDE } from './picture_size.js';
import { PixelView } from './pixel_view.js';
import { profileView } from './profile_view.js';
import { setStatus } from './status.js';
import { fieldAt, fieldUnits, readoutLines, storedRemanence, storeRemanence, TESLA_VALIDITY } from './readout.js';
import { attachScaleBar } from './scale_bar.js';
import { strengthView } from './strength_view.js';

// The tabs of the run's pictures, in the order the run gives them.
const PICTURE_TABS = ['contours', 'streamlines', 'stream_contours'];

export function setupViews({ program, viewState }) {
  const resultView = new PixelView($('result-view'), viewState);
  let result = null;
  let picture = 'contours';
  let remanence = storedRemanence();

  const NOTES = { empty: $('result-note').textContent, shown: '', stale: 'out of date', updating: 'updating…' };
  const showState = (state) => {
    $('result-box').dataset.state = state;
    $('result-note').textContent = NOTES[state];
  };
  showState('empty');

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
  const profile = profileView({ resultView, program, result: fieldRun, units, makeLink: downloadLink });
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

  // Dragging a result pans both views; the readout follows the pointer.
  let drag = null;
  $('result-view').addEventListener('pointerdown', (event) => {
    if (profile.active) return;
    drag = { clientX: event.clientX, clientY: event.clientY, viewX: viewState.x, viewY: viewState.y,
      scale: SIDE / $('result-view').getBoundingClientRect().width };
    $('result-view').setPointerCapture(event.pointerId);
  });
  $('result-view').addEventListener('pointerup', () => { drag = null; });
  $('result-view').addEventListener('pointermove', (event) => {
    if (drag) {
      viewState.panTo(drag.viewX - (event.clientX - drag.clientX) * drag.scale / viewState.zoom,
        drag.viewY - (event.clientY - drag.clientY) * drag.scale / viewState.zoom);
    }
    const [col, row] = resultView.pixelAt(event);
    if (!result?.field || col < 0 || row < 0 || col >= SIDE || row >= SIDE) return;
    $('readout').textContent = readoutLines(program, fieldAt(result.field, row, col), row, col, remanence,
      !result.hasMonopole).join('\n');
  });

  return {
    get hasResult() { return result !== null; },
    // 'stale' or 'updating': marks the pictures shown, if any.
    mark(state) { if (result) showState(state); },
    // A finished run ({ status, files, pictures, stem, field }, pictures as
    // the run composed them, encoded when downloaded): of says what it was of
    // ("of bar_magnet.png at z = 3 mm"), drawingPng is the PNG file the run
    // read, hasMonopole whether the drawing has charges, for which there are
    // no millitesla.
    show(outcome, { of, drawingPng, hasMonopole }) {
      $('result-of').textContent = of;
      const caption = document.createElement('p');
      caption.textContent = `Files ${of}:`;
      // The last run's files go, or every live rerun would keep its own.
      for (const link of $('downloads').querySelectorAll('a'))
        if (link.href.startsWith('blob:')) URL.revokeObjectURL(link.href);
      $('downloads').replaceChildren(caption);
      const pictures = {};
      outcome.pictures.forEach(({ name, pixels }, k) => {
        pictures[PICTURE_TABS[k]] = pixels;
        $('downloads').append(madeDownloadLink(name, () => program.encodeOutput(drawingPng, pixels),
          (error) => setStatus(`Could not make ${name}`, 'failed', error), 'image/png'));
      });
      for (const file of outcome.files) $('downloads').append(downloadLink(file.name, file.bytes));
      const stem = outcome.stem;
      result = { status: outcome.status, field: outcome.field, pictures, hasMonopole, stem };
      for (const link of $('exports').querySelectorAll('a'))
        if (link.href.startsWith('blob:')) URL.revokeObjectURL(link.href);
      $('exports').replaceChildren();
      if (outcome.status === 0 && stem) {
        $('exports').append('The whole field for NumPy (640 × 640 × 3 float32, row 0 at the top, i j k): ',
          madeDownloadLink(`${stem}field.npy`, () => ({ bytes: npyBytes(outcome.field) })));
      }
      showState(Object.keys(pictures).length ? 'shown' : 'empty');
      showPicture();
      profile.refresh();
    },
  };
}
