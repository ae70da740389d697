// The system's Chromium, headless and quiet, on a fresh profile folder of
// its own: nothing is downloaded and no earlier state is reused. Gives
// { context, page, close }; close also removes the profile. options go to
// playwright's launchPersistentContext (viewport, downloads).
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chromium } from 'playwright-core';

export async function launchChromium(options = {}) {
  const profile = mkdtempSync(join(tmpdir(), 'fluxart-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
    ...options,
  });
  const page = context.pages()[0] ?? await context.newPage();
  const close = async () => {
    await context.close();
    rmSync(profile, { recursive: true, force: true });
  };
  return { context, page, close };
}
