// The Strength tab of the field pane: the chosen quantity of the run's
// field as a picture on the chosen scale, with its colour bar in the units
// the field is told in. The picture is made again only when the field, the
// quantity or the scale changes.
import { $ } from './dom.js';
import { QUANTITIES, quantityPlane, strengthPicture, strengthScale } from './strength.js';
import { drawColorBar } from './color_bar.js';

// Takes onChange, called when the user picks another quantity or scale.
export function strengthView(onChange) {
  let made = null;
  $('strength-quantity').addEventListener('change', onChange);
  $('strength-log').addEventListener('change', onChange);
  return {
    // The picture (SIDE x SIDE x 3 RGB bytes) of field, the colour bar drawn
    // for units (readout's fieldUnits).
    picture(field, units) {
      const quantity = $('strength-quantity').value, logarithmic = $('strength-log').checked;
      const { name, signed } = QUANTITIES[quantity];
      if (made?.field !== field || made.quantity !== quantity || made.logarithmic !== logarithmic) {
        const values = quantityPlane(field, quantity);
        const scale = strengthScale(values, signed, logarithmic);
        made = { field, quantity, logarithmic, scale, rgb: strengthPicture(values, scale) };
      }
      const title = `${signed && logarithmic ? `size of ${name}` : name}` +
        `${logarithmic ? ', logarithmic' : ''}, in ${units.label}`;
      drawColorBar($('color-bar'), made.scale, units.factor, title);
      return made.rgb;
    },
    show(visible) { $('strength-controls').hidden = !visible; },
  };
}
