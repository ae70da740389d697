// Viridis, a perceptually uniform colour map that stays ordered in grey and
// for the common colour blindnesses. Its published table has 256 entries
// for t = n / 255; kept here are entries 0, 8, 16, ..., 248 and 255, and
// colours in between are interpolated linearly, which stays within 2 levels
// (of 255) of every entry of the table.
const STEP = 8;
const LAST_ENTRY = 255;
const POINTS = [
  [0.267004, 0.004874, 0.329415], [0.277018, 0.050344, 0.375715], [0.282327, 0.094955, 0.417331],
  [0.282884, 0.13592, 0.453427], [0.278826, 0.17549, 0.483397], [0.270595, 0.214069, 0.507052],
  [0.258965, 0.251537, 0.524736], [0.244972, 0.287675, 0.53726], [0.229739, 0.322361, 0.545706],
  [0.214298, 0.355619, 0.551184], [0.19943, 0.387607, 0.554642], [0.185556, 0.41857, 0.556753],
  [0.172719, 0.448791, 0.557885], [0.160665, 0.47854, 0.558115], [0.149039, 0.508051, 0.55725],
  [0.13777, 0.537492, 0.554906], [0.127568, 0.566949, 0.550556], [0.120565, 0.596422, 0.543611],
  [0.120638, 0.625828, 0.533488], [0.132268, 0.655014, 0.519661], [0.157851, 0.683765, 0.501686],
  [0.196571, 0.711827, 0.479221], [0.24607, 0.73891, 0.452024], [0.304148, 0.764704, 0.419943],
  [0.369214, 0.788888, 0.382914], [0.440137, 0.811138, 0.340967], [0.515992, 0.831158, 0.294279],
  [0.595839, 0.848717, 0.243329], [0.678489, 0.863742, 0.189503], [0.762373, 0.876424, 0.137064],
  [0.845561, 0.887322, 0.099702], [0.926106, 0.89733, 0.104071], [0.993248, 0.906157, 0.143936],
];
const entryOf = (n) => Math.min(n * STEP, LAST_ENTRY);

// The colour at t (0 to 1; outside, the nearest end) as [r, g, b] bytes.
export function viridis(t) {
  const entry = Math.min(Math.max(t, 0), 1) * LAST_ENTRY;
  const n = Math.min(Math.floor(entry / STEP), POINTS.length - 2);
  const a = POINTS[n], b = POINTS[n + 1];
  const f = (entry - entryOf(n)) / (entryOf(n + 1) - entryOf(n));
  return [Math.round(255 * (a[0] + (b[0] - a[0]) * f)), Math.round(255 * (a[1] + (b[1] - a[1]) * f)),
    Math.round(255 * (a[2] + (b[2] - a[2]) * f))];
}
