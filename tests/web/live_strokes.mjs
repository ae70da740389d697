// The page's Live rerun, driven in a browser page: an example opened and run,
// and eraser strokes across it, each timed. Shared by measure.mjs and
// compare.mjs.

// Opens the example called name (without .png) on the page, which has just
// loaded, and waits for its run; gives the run's status. Picks the eraser
// for the strokes that follow.
export async function openExample(page, name) {
  await page.waitForFunction(() => document.getElementById('status').dataset.state === 'ready');
  await page.click(`#examples button:text-is("${name}")`);
  await page.waitForFunction(() => /^Done/.test(document.getElementById('status').textContent), null,
    { timeout: 600000, polling: 20 });
  await page.keyboard.press('e');
  return page.textContent('#status');
}

// Resolves with the milliseconds from the stroke's end to the status of a
// finished run, and to the run's start (its status "Running…"), and that
// status.
const timeNextRun = (page) => page.evaluate(() => new Promise((resolve) => {
  let ended = null, running = null;
  document.getElementById('drawing-view').addEventListener('pointerup', () => { ended = performance.now(); },
    { capture: true, once: true });
  const status = document.getElementById('status');
  const observer = new MutationObserver(() => {
    if (ended !== null && running === null && status.dataset.state === 'running') running = performance.now();
    if (ended === null || status.dataset.state === 'running' || !document.getElementById('cancel').disabled) return;
    observer.disconnect();
    resolve({ ms: performance.now() - ended, startMs: running - ended, status: status.textContent });
  });
  observer.observe(status, { childList: true, characterData: true, subtree: true, attributes: true });
}));

// Stroke n (0, 1, …) of the eraser across the drawing, a little lower each
// time; gives timeNextRun's figures for the rerun it starts.
export async function timeStroke(page, n) {
  const point = async (x, y) => {
    const box = await page.locator('#drawing-view').boundingBox();
    return [box.x + (x + 0.5) * box.width / 640, box.y + (y + 0.5) * box.height / 640];
  };
  const y = 150 + (60 * n) % 420;
  const timing = timeNextRun(page);
  await page.mouse.move(...await point(60, y));
  await page.mouse.down();
  await page.mouse.move(...await point(580, y + 20), { steps: 10 });
  await page.mouse.up();
  return timing;
}

// The median of the numbers.
export const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
