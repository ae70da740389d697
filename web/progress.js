// A run's progress in plain words, and a fraction done that moves with the
// work rather than with the step number: a layer is 5 passes (blocks of
// 11, 7, 5, 3 and 1 pixels a side) of one step per colour table row, and
// making a kernel costs far more than a step, growing with its block's
// area. The step count of a layer comes with each event from the program.
// Which kernels a run will make is not known in advance; the
// estimate expects one for each field model of the drawing in each pass
// still to come, but for those the run already holds, and drops those a
// pass did not make once it is over.
export const BLOCK_SIDES = [11, 7, 5, 3, 1];
// The work of a step without a kernel to make, and of making the kernel of
// a block of side s (STEP_WORK x KERNEL_WORK_PER_CELL x s x s).
const STEP_WORK = 1;
const KERNEL_WORK_PER_CELL = 60;

const kernelWork = (side) => KERNEL_WORK_PER_CELL * side * side;

// models: the drawing's field models ("kind:angle", Program.modelsIn);
// firstRow: model -> the first table row of that model; held(model, side,
// layer): whether the run has that kernel at hand. Gives update(event) ->
// { fraction, text, making } for each progress event ({ layer, layers,
// step, steps, creating }, creating a kernel file name or null) and made(), the
// kernels made so far.
export function progressEstimate({ models, firstRow, held, describeKernel }) {
  let done = 0;
  let shown = 0;
  let made = 0;
  let lastStep = 0, lastLayer = 1, lastCreating = null;

  // The work still to come after step `step` (1-based) of layer `layer`,
  // and the kernels among it.
  const remaining = (layer, layers, step, rowsPerPass) => {
    let work = 0, kernels = 0;
    for (let l = layer; l <= layers; ++l) {
      const from = l === layer ? step : 0;
      work += STEP_WORK * (rowsPerPass * BLOCK_SIDES.length - from);
      BLOCK_SIDES.forEach((side, pass) => {
        for (const model of models) {
          const at = pass * rowsPerPass + firstRow.get(model) + 1;
          if (at > from && !held(model, side, l)) { work += kernelWork(side); kernels += 1; }
        }
      });
    }
    return { work, kernels };
  };

  const update = ({ layer, layers, step, steps, creating }) => {
    const rowsPerPass = steps / BLOCK_SIDES.length;
    const passOf = (at) => Math.min(BLOCK_SIDES.length - 1, Math.max(0, Math.ceil(at / rowsPerPass) - 1));
    if (layer !== lastLayer) { lastStep = 0; lastLayer = layer; }
    done += STEP_WORK * Math.max(0, step - lastStep);
    lastStep = step;
    if (creating && creating !== lastCreating) made += 1;
    if (!creating && lastCreating) done += kernelWork(BLOCK_SIDES[passOf(step)]);
    lastCreating = creating;
    const ahead = remaining(layer, layers, step, rowsPerPass);
    const fraction = done / (done + ahead.work);
    shown = Math.max(shown, Math.min(fraction, 1));
    const side = BLOCK_SIDES[passOf(step)];
    const text = `Layer ${layer} of ${layers} · ${side} × ${side} blocks · ${Math.floor(100 * shown)} %`;
    return { fraction: shown, text, making: creating ? `making the field of ${describeKernel(creating)} (${made} of ${made + ahead.kernels})` : '' };
  };
  return { update, made: () => made };
}
