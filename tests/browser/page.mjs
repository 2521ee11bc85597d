// The designer's page (velko-cone.html of the browser build) in Chromium,
// driven as a user drives it: the mouse on the canvas and on the menus, keys
// through puppeteer's keyboard. Whether the program is busy is read from the
// page's side of the backend (Module.velkoPage), whose wait and log get a
// probe before the page runs.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import {launch} from './chromium.mjs';
import {serve} from '../../tools/web/serve.mjs';
import {layout} from './layout.mjs';
import {difference, nativeScene, readPng, requireTools, tempDir, tools} from './native.mjs';

export const STORE_KEY = 'velko:VELKO.SCR';
export const MARKER = 'set after the page loaded';
export const EOF_LINE = 'EOF encountered in script file VELKO.SCR';

export const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

// Serves the browser build's bin folder; answers the page's address and a
// function that stops serving.
export async function serveDesigner() {
  const server = await serve(tools.bin, 0);
  const {port} = server.address();
  return {url: `http://127.0.0.1:${port}/velko-cone.html`, close: () => server.close()};
}

// Runs in the page before its scripts: the program's Module object, whose
// velkoPage keeps the length of the program's last wait (0: a yield in the
// middle of its work) and counts the lines written to the log window.
function probe() {
  const module = window.Module || {};
  let velkoPage = null;
  Object.defineProperty(module, 'velkoPage', {
    configurable: true,
    enumerable: true,
    get: () => velkoPage,
    set(value) {
      // The program's start copies its Module settings back: the same page again.
      if (value === velkoPage) return;
      velkoPage = value;
      value.logged = 0;
      const logLine = value.logLine;
      value.logLine = function(text) {
        value.logged += 1;
        return logLine.call(this, text);
      };
      const sleep = value.sleep;
      value.sleep = function(ms, wakeUp) {
        value.lastWait = ms;
        return sleep.call(this, ms, wakeUp);
      };
    },
  });
  window.Module = module;
}

// Waits for the designer's first scene, which it draws after its first
// event (a periodic one: it animates as it starts): until then the window
// shows an empty frame. The scene has the panel's outline at its corner and
// the white background where the frame was.
export async function firstScene(page) {
  const corner = [layout.CLIENT_ORIGIN_X + layout.PANEL_LEFT, layout.CLIENT_ORIGIN_Y - layout.PANEL_TOP];
  await page.waitForFunction(([x, y]) => {
    const canvas = document.getElementById('velko-graphics');
    const context = canvas && canvas.getContext('2d');
    const at = (x, y) => context && Array.from(context.getImageData(x, y, 1, 1).data).join();
    return at(x, y) === '0,0,0,255' && at(0, 0) === '255,255,255,255';
  }, {polling: 10}, corner);
  await settle(page);
}

// Opens the page in a new tab of the browser or browser context (or in the
// tab given) and waits for the designer's first scene.
export async function openDesigner(where, url, tab = null) {
  const page = tab || await where.newPage();
  page.problems = [];
  page.on('pageerror', error => page.problems.push(`page error: ${error.message}`));
  page.on('console', message => {
    if (message.type() === 'error') page.problems.push(`console: ${message.text()}`);
  });
  await page.evaluateOnNewDocument(probe);
  await page.goto(url, {waitUntil: 'load'});
  await firstScene(page);
  return page;
}

// Waits until the program has taken every input and waits for more.
// What a file of tests works with: a scratch folder, the server, Chromium
// and the designer's page, marked. context(dir), when given, answers the
// options of a browser context of its own for the page.
export async function openSession(context = null) {
  requireTools();
  const dir = tempDir();
  const server = await serveDesigner();
  const browser = await launch();
  const where = context ? await browser.createBrowserContext(context(dir)) : browser;
  const page = await openDesigner(where, server.url);
  await mark(page);
  return {browser, server, page, dir};
}

export async function closeSession({browser, server, dir}) {
  await browser?.close();
  server?.close();
  if (dir) fs.rmSync(dir, {recursive: true, force: true});
}

export async function settle(page, timeout = 10000) {
  await page.waitForFunction(() => {
    const p = window.Module && Module.velkoPage;
    return p && !p.ended && p.queue.length === 0 && p.waking && p.lastWait !== undefined &&
           p.lastWait !== 0;
  }, {polling: 10, timeout});
}

// Leaves a mark on the page's window that a reload would wipe, and counts
// the browser's print runs.
export async function mark(page) {
  await page.evaluate(marker => {
    window.velkoMarker = marker;
    window.addEventListener('beforeprint', () => { window.velkoPrinted = (window.velkoPrinted || 0) + 1; });
  }, MARKER);
}

export async function state(page) {
  return page.evaluate(() => ({
    ended: Module.velkoPage.ended,
    lines: [...Module.velkoPage.lines],
    logged: Module.velkoPage.logged,
    marker: window.velkoMarker,
    printed: window.velkoPrinted || 0,
  }));
}

// Where client pixel (0, 0) of the canvas lies in the page's viewport.
async function canvasOrigin(page) {
  return page.$eval('#velko-graphics', canvas => {
    const rect = canvas.getBoundingClientRect();
    return {x: rect.left + canvas.clientLeft, y: rect.top + canvas.clientTop};
  });
}

// Left clicks at runtime points [x, y] (count 2: a double click), each
// followed by the program's answer to it.
export async function clicks(page, points, {count = 1} = {}) {
  const origin = await canvasOrigin(page);
  for (const [x, y] of points) {
    await page.mouse.click(origin.x + layout.CLIENT_ORIGIN_X + x + 0.5,
                           origin.y + layout.CLIENT_ORIGIN_Y - y + 0.5, {count});
    await settle(page);
  }
}

// Ctrl with a letter, from puppeteer's keyboard.
export async function ctrl(page, letter, {wait = true} = {}) {
  await page.keyboard.down('Control');
  await page.keyboard.press(`Key${letter}`);
  await page.keyboard.up('Control');
  if (wait) await settle(page);
}

// Waits for a line of the log window (shown or not), then for the program
// to wait for input.
export async function waitForLogLine(page, text) {
  await page.waitForFunction(text => Module.velkoPage.lines.includes(text), {polling: 10}, text);
  await settle(page);
}

// The canvas as {width, height, rgba}, read with getImageData.
export async function canvasPicture(page) {
  const {width, height, data} = await page.$eval('#velko-graphics', canvas => {
    const image = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
    let text = '';
    for (let i = 0; i < image.data.length; i += 8192)
      text += String.fromCharCode.apply(null, image.data.subarray(i, i + 8192));
    return {width: canvas.width, height: canvas.height, data: btoa(text)};
  });
  return {width, height, rgba: Buffer.from(data, 'base64')};
}

// The canvas against the desktop's picture of the same scene (the designer
// on the headless backend after the same actions), pixel for pixel, text
// included; a screenshot of the page is kept when they differ.
export async function expectScene(page, dir, actions, what) {
  const found = difference(await canvasPicture(page), nativeScene(dir, actions));
  if (found.count === 0) return;
  const shot = await keepScreenshot(page, `${what.replace(/\W+/g, '-')}.png`);
  assert.fail(`${what}: ${found.why}${shot ? `; the page: ${shot}` : ''}`);
}

// The clicks as web_native_scene's actions.
export function points(list) {
  return list.map(([x, y]) => `${x},${y}`);
}

// The script lines a recording of these clicks has.
export function mouseLines(list) {
  return list.map(([x, y]) => `VELKO_MOUSE(${x}, ${y});\n`).join('');
}

export async function storedScript(page) {
  return page.evaluate(key => localStorage.getItem(key), STORE_KEY);
}

// The Run menu as it shows when opened with the mouse.
export async function openRunMenu(page) {
  await page.click('nav.velko-menubar button.velko-menu-title');
  await page.waitForSelector('div.velko-menu');
  return page.$$eval('div.velko-menu button.velko-menu-item', nodes => nodes.map(node => ({
    label: node.querySelector('.velko-label').textContent,
    shortcut: node.querySelector('.velko-shortcut').textContent,
    checked: node.getAttribute('aria-checked') === 'true',
    mark: node.querySelector('.velko-check').textContent,
    disabled: node.disabled,
  })));
}

// Opens the Run menu and clicks the item whose label starts with `label`.
export async function choose(page, label, {wait = true} = {}) {
  await openRunMenu(page);
  const items = await page.$$('div.velko-menu button.velko-menu-item');
  for (const item of items) {
    if ((await item.$eval('.velko-label', node => node.textContent)).startsWith(label)) {
      await item.click();
      if (wait) await settle(page);
      return;
    }
  }
  assert.fail(`no item ${label} in the Run menu`);
}

// Keeps a screenshot of the page for a person to look at, when the build
// gives a folder for them.
export async function keepScreenshot(page, name) {
  if (!tools.artifacts) return null;
  fs.mkdirSync(tools.artifacts, {recursive: true});
  const file = path.join(tools.artifacts, name);
  await page.screenshot({path: file, fullPage: true});
  return file;
}

// Keys as a keyboard of another layout reports them, dispatched where the
// focus is: each {code, key} pressed and released (phase 'down' or 'up':
// only that half), with Ctrl or AltGr held when it says so.
export async function typeKeys(page, keys) {
  await page.evaluate(keys => {
    for (const {code, key, ctrl = false, altGraph = false, phase} of keys) {
      for (const type of phase ? [`key${phase}`] : ['keydown', 'keyup']) {
        (document.activeElement || document.body).dispatchEvent(new KeyboardEvent(type, {
          code, key, ctrlKey: ctrl, modifierAltGraph: altGraph, bubbles: true, cancelable: true,
          composed: true}));
      }
    }
  }, keys);
  await settle(page);
}

// The script's key events, as the codes they carry.
export function keyCodes(script) {
  return [...script.matchAll(/^VELKO_KBD\((\d+)\);$/gm)].map(m => Number(m[1]));
}

// Whether every pixel of the canvas covers the same whole number of the
// screen's pixels: in a screenshot of its inside, every run of one colour
// along a row or a column (but those cut by the edges) is a multiple of
// that number long. Answers the number, or a reason it is not so.
export async function evenPixels(page) {
  const {rect, ratio, width} = await page.$eval('#velko-graphics', canvas => {
    const r = canvas.getBoundingClientRect();
    return {rect: {x: r.left, y: r.top, width: r.width, height: r.height},
            ratio: devicePixelRatio, width: canvas.width};
  });
  const exact = rect.width * ratio / width;
  const n = Math.round(exact);
  if (n < 1 || Math.abs(exact - n) > 0.01) return `${exact} screen pixels per pixel`;
  const file = path.join(tempDir('velko-even-'), 'inside.png');
  await page.screenshot({path: file, clip: {x: rect.x + 1, y: rect.y + 1, width: rect.width - 2,
                                            height: rect.height - 2}});
  const shot = readPng(file);
  fs.rmSync(path.dirname(file), {recursive: true, force: true});
  const at = (x, y) => shot.rgba.readUInt32BE((y * shot.width + x) * 4);
  // The length of the first run of one colour that is not a multiple of n.
  const odd = (length, get) => {
    for (let start = 0, i = 1; i <= length; ++i) {
      if (i < length && get(i) === get(start)) continue;
      if (start > 0 && i < length && (i - start) % n !== 0) return i - start;
      start = i;
    }
    return 0;
  };
  for (let y = 0; y < shot.height; y += 3) {
    const run = odd(shot.width, x => at(x, y));
    if (run) return `a run of ${run} screen pixels in row ${y}, at ${n} per pixel`;
  }
  for (let x = 0; x < shot.width; x += 3) {
    const run = odd(shot.height, y => at(x, y));
    if (run) return `a run of ${run} screen pixels in column ${x}, at ${n} per pixel`;
  }
  return n;
}
