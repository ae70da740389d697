// Scales to read a picture by: the ticks of a colour bar or plot axis and
// the length of a scale bar in mm (a picture pixel is 1 mm).

// Round values from low to high, about count of them: multiples of 1, 2 or 5
// times a power of ten, or on a logarithmic scale the powers of ten.
export function ticks(low, high, logarithmic = false, count = 5) {
  if (logarithmic) {
    const values = [];
    for (let e = Math.ceil(Math.log10(low) - 1e-9); e <= Math.log10(high) + 1e-9; ++e) values.push(10 ** e);
    return values;
  }
  if (!(high > low)) return [low];
  const rough = (high - low) / count;
  const power = 10 ** Math.floor(Math.log10(rough));
  const step = [1, 2, 5, 10].map((m) => m * power).find((s) => s >= rough);
  const values = [];
  for (let n = Math.ceil(low / step - 1e-9); n * step <= high + step * 1e-9; ++n) values.push(Number((n * step).toPrecision(12)));
  return values;
}

// A tick's text: at most 4 significant digits, without binary fractions'
// tails (0.30000000000000004) or a minus on zero.
export function tickText(value) {
  if (value === 0) return '0';
  const size = Math.abs(value);
  if (size >= 1e5 || size < 1e-3) return value.toExponential(1).replace('.0e', 'e');
  return String(Number(value.toPrecision(4)));
}

// A scale bar for a view width pixels wide that shows mmAcross mm: the
// longest of 1, 2, 5, 10, 20, 50, ... mm that takes at most a quarter of
// the width, and its length in the view's pixels.
export function scaleBar(mmAcross, width) {
  const perMm = width / mmAcross;
  let mm = 1;
  for (let power = 1; power <= 1000; power *= 10) {
    for (const m of [1, 2, 5]) if (m * power * perMm <= width / 4) mm = m * power;
  }
  return { mm, pixels: mm * perMm };
}
