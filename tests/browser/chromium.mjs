// Debian's Chromium, headless, for the tests that open the project's pages:
// a fresh profile each time, nothing fetched in the background, no sandbox
// (the tests run as root in CI).
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

export const CHROMIUM = process.env.VELKO_CHROMIUM || '/usr/bin/chromium';

// Nothing fetched in the background, no sandbox, no first-run pages.
export const QUIET_ARGS = ['--no-sandbox', '--disable-gpu', '--no-first-run',
                           '--disable-background-networking', '--disable-component-update',
                           '--disable-sync'];

export async function launch() {
  if (!fs.existsSync(CHROMIUM))
    throw new Error(`no Chromium at ${CHROMIUM}: install Debian's chromium (scripts/packages.sh)`);
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'velko-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: [...QUIET_ARGS, `--user-data-dir=${profile}`],
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    try {
      await close();
    } finally {
      fs.rmSync(profile, {recursive: true, force: true});
    }
  };
  return browser;
}
