// A run's progress in plain words, and a fraction done that moves with the
// work rather than with the step number: a layer is 5 passes (blocks of
// 11, 7, 5, 3 and 1 pixels a side) of one step per colour table row, and
// making a kernel costs far more than a step, growing with its block's
// area. The step count of a layer comes with each event from the program.
// Which kernels a run will make is not known in advance; the
// estimate expects each kernel file the run may read (Program.runKernels:
// one for each field model of the drawing in each pass) that is still to
// come, but for those the run already holds, and drops those a pass did not
// make once it is over.
export const BLOCK_SIDES = [11, 7, 5, 3, 1];
// The work of a step without a kernel to make, and of making the kernel of
// a block of side s (STEP_WORK x KERNEL_WORK_PER_CELL x s x s).
const STEP_WORK = 1;
const KERNEL_WORK_PER_CELL = 60;

const kernelWork = (side) => KERNEL_WORK_PER_CELL * side * side;

// kernels: the kernel files the run may read ({ name, layer, step,
// halfSize }, Program.runKernels); held(name): whether the run has that
// kernel at hand; describeKernel(name): what it is the field of, in words.
// Gives update(event) ->
// { fraction, text, making } for each progress event ({ layer, layers,
// step, steps, creating }, creating a kernel file name or null) and made(), the
// kernels made so far.
export function progressEstimate({ kernels, held, describeKernel }) {
  let done = 0;
  let shown = 0;
  let made = 0;
  let lastStep = 0, lastLayer = 1, lastCreating = null;

  // The work still to come after step `step` (1-based) of layer `layer`,
  // and the kernels among it.
  const remaining = (layer, layers, step, steps) => {
    let work = STEP_WORK * ((layers - layer + 1) * steps - step), toMake = 0;
    for (const kernel of kernels) {
      if (kernel.layer < layer || (kernel.layer === layer && kernel.step <= step) || held(kernel.name)) continue;
      work += kernelWork(2 * kernel.halfSize + 1);
      toMake += 1;
    }
    return { work, kernels: toMake };
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
    const ahead = remaining(layer, layers, step, steps);
    const fraction = done / (done + ahead.work);
    shown = Math.max(shown, Math.min(fraction, 1));
    const side = BLOCK_SIDES[passOf(step)];
    const text = `Layer ${layer} of ${layers} · ${side} × ${side} blocks · ${Math.floor(100 * shown)} %`;
    return { fraction: shown, text, making: creating ? `making the field of ${describeKernel(creating)} (${made} of ${made + ahead.kernels})` : '' };
  };
  return { update, made: () => made };
}
