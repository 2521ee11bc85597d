// Real key presses to Debian's Chromium, shown on an X server of the test's
// own: puppeteer's keys never reach the browser's own shortcuts, but X key
// events sent with xdotool do. Ctrl+R, Ctrl+O and Ctrl+P must reach the
// designer (recording starts and stops, VELKO.SCR lands in the page's
// storage, one scripted event and then the rest play) while the browser
// neither reloads the page, nor prints, nor opens a file chooser.
//   node --test web_real_keys.test.mjs   (needs Xvfb and xdotool; ctest gives the paths)
import assert from 'node:assert/strict';
import {execFileSync, spawn} from 'node:child_process';
import path from 'node:path';
import {after, before, test} from 'node:test';
import puppeteer from 'puppeteer-core';
import {CHROMIUM, QUIET_ARGS} from './chromium.mjs';
import {button, layout} from './layout.mjs';
import {requireTools, tempDir} from './native.mjs';
import {
  clicks, closeSession, EOF_LINE, expectScene, mark, MARKER, mouseLines, openDesigner, points, serveDesigner,
  settle, sleep, state, storedScript, waitForLogLine,
} from './page.mjs';

let xvfb, display, browser, server, page, dir, chromiumWindow;

// Starts Xvfb on a free display and answers its name (":N").
async function startXvfb() {
  xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
               {stdio: ['ignore', 'ignore', 'pipe', 'pipe']});
  return new Promise((resolve, reject) => {
    let number = '';
    xvfb.stdio[3].on('data', data => {
      number += data;
      if (number.includes('\n')) resolve(`:${number.trim()}`);
    });
    xvfb.on('exit', code => reject(new Error(`Xvfb ended with status ${code}`)));
  });
}

function xdotool(...args) {
  return execFileSync('xdotool', args, {env: {...process.env, DISPLAY: display}, encoding: 'utf8'})
      .trim();
}

// The visible top-level windows: a file chooser or a print dialog would add one.
function windows() {
  return xdotool('search', '--onlyvisible', '--name', '.').split('\n').sort();
}

before(async () => {
  requireTools();
  dir = tempDir();
  display = await startXvfb();
  server = await serveDesigner();
  browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: false,
    defaultViewport: null,
    env: {...process.env, DISPLAY: display},
    args: [...QUIET_ARGS, `--user-data-dir=${path.join(dir, 'profile')}`, '--window-position=0,0',
           '--window-size=1000,900'],
  });
  // A tab of its own: the first one starts with the keyboard in its address bar.
  const [first] = await browser.pages();
  page = await openDesigner(browser, server.url);
  await first.close();
  await mark(page);
  await page.evaluate(() => {
    window.velkoKeys = [];
    window.addEventListener('keydown', event => {
      if (event.ctrlKey && event.code.startsWith('Key'))
        window.velkoKeys.push({key: event.code[3], trusted: event.isTrusted, prevented: event.defaultPrevented});
    });
  });
  const ids = xdotool('search', '--sync', '--onlyvisible', '--name', '^velko-cone - Chromium$').split('\n');
  chromiumWindow = ids[0];
});

after(async () => {
  await closeSession({browser, server, dir});
  xvfb?.kill();
});

// Ctrl with a letter as real X key events to the focused Chromium window;
// the browser must do nothing of its own, and the program answers.
async function realCtrl(letter) {
  const shown = windows();
  const before = await page.evaluate(() => window.velkoKeys.length);
  xdotool('windowfocus', '--sync', chromiumWindow);
  xdotool('key', '--delay', '30', `ctrl+${letter.toLowerCase()}`);
  // The key as the page saw it, or a page loaded afresh.
  await page.waitForFunction((letter, before) => !window.velkoKeys || window.velkoKeys.slice(before)
      .some(k => k.key === letter && k.trusted), {timeout: 5000}, letter, before);
  await sleep(300);  // time for a dialog or a reload to begin
  const now = await Promise.race([
    page.evaluate(() => ({marker: window.velkoMarker, printed: window.velkoPrinted || 0})),
    sleep(3000).then(() => null)]);
  assert.ok(now, `the page stopped answering after Ctrl+${letter}`);
  assert.equal(now.marker, MARKER, `Ctrl+${letter} loaded the page again`);
  assert.equal(now.printed, 0, `Ctrl+${letter} started printing`);
  assert.deepEqual(windows(), shown, `Ctrl+${letter} opened a window`);
  assert.deepEqual(browser.targets().filter(t => t.url().startsWith('chrome://print')), []);
  await settle(page);
}

async function recording() {
  return page.evaluate(() => Object.values(Module.velkoPage.menus).some(
      menu => menu.items.some(item => item && item.text.startsWith('&Record') && item.checked)));
}

test('real Ctrl+R, Ctrl+O and Ctrl+P reach the program and nothing of the browser\'s', async () => {
  await realCtrl('H');
  await sleep(250);  // the periodic event already on its way

  await realCtrl('R');
  assert.equal(await recording(), true, 'Ctrl+R starts recording');
  const press = [button(layout.ADD_SCOOP)];
  await clicks(page, press);
  await realCtrl('R');
  assert.equal(await recording(), false, 'Ctrl+R again stops it');
  assert.equal(await storedScript(page), mouseLines(press));

  // One scripted event: a third scoop.
  await realCtrl('O');
  await expectScene(page, dir, points([...press, ...press]), 'after Play One');
  // The rest of the script: nothing more, which the player reports.
  assert.ok(!(await state(page)).lines.includes(EOF_LINE));
  await realCtrl('P');
  await waitForLogLine(page, EOF_LINE);

  const keys = await page.evaluate(() => window.velkoKeys);
  assert.ok(keys.every(k => k.trusted && k.prevented), JSON.stringify(keys));
  assert.deepEqual(page.problems, []);
});
