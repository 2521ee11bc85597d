// The browser's figures for ./bench.sh, measured in Debian's headless
// Chromium on pages served from 127.0.0.1:
//   - the designer's redraw timed by the same program built natively and for
//     the browser (bench/redraw_timing.cpp), in turns, and the page's own
//     share of the copy to the window (putting the pixels on the canvas);
//   - the designer's page from navigation to the first frame that shows the
//     cone, with the browser's cache off;
//   - what the files the page fetches weigh gzipped (gzip -9);
//   - the processor time of Chromium's processes while the designer animates
//     with no one using the page, and while it is halted, and for reference
//     that of a page that does nothing but wake ten times a second, as the
//     runtime's timer does. Each is the median of several windows of 10 s:
//     Chromium has housekeeping of its own (about every 30 s, for the bare
//     page too) that doubles or triples the renderer's share in the window
//     it falls in, so that one window gave anything from 0.7 to 2.9 % for
//     the same page.
// Prints "name value" lines, as the other benchmark programs do.
//
//   node bench/web/browser_bench.mjs <browser build's bin> <native velko_redraw_timing>
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';

import {launch} from '../../tests/browser/chromium.mjs';
import {serve} from '../../tools/web/serve.mjs';

import {clockTicksPerSecond, cpuShare, downloadWeight, median, parseFigures,
        processTree} from './measure.mjs';

const [binDir, nativeTiming] = process.argv.slice(2);
if (!binDir || !nativeTiming) {
  console.error('usage: node bench/web/browser_bench.mjs <web bin folder> <native velko_redraw_timing>');
  process.exit(2);
}
for (const file of ['velko-cone.html', 'velko_redraw_timing.html']) {
  if (!fs.existsSync(path.join(binDir, file))) {
    console.error(`${path.join(binDir, file)} is missing: build the browser build with VELKO_BENCH on`);
    process.exit(2);
  }
}

const REDRAW_ROUNDS = 3;
const LOADS = 7;
const IDLE_SECONDS = 10;
const IDLE_WINDOWS = 5;
// The cone's colour (BROWN) and points inside it, in runtime coordinates
// (origin at the client area's centre, y up): the page has shown the scene
// once all of them are that colour.
const CONE_RGB = [153, 102, 51];
const CONE_POINTS = [[0, -50], [-20, 0], [20, 0], [0, -150]];

function say(name, value) {
  console.log(`${name} ${typeof value === 'number' ? +value.toFixed(3) : value}`);
}

// Runs in the page before its own scripts: every picture put on the
// graphics window's canvas is counted, the first leaves its time, and the
// first that shows the cone its time and that of the next frame (the one
// that shows it).
function watchCanvas(rgb, points) {
  const put = CanvasRenderingContext2D.prototype.putImageData;
  const seen = {presents: 0, first: null, scene: null, frame: null};
  window.velkoBench = seen;
  const showsCone = (canvas, image) => {
    const cx = Math.floor(canvas.width / 2);
    const cy = Math.floor(canvas.height / 2);
    return points.every(([x, y]) => {
      const i = ((cy - y) * image.width + cx + x) * 4;
      return image.data[i] === rgb[0] && image.data[i + 1] === rgb[1] && image.data[i + 2] === rgb[2];
    });
  };
  CanvasRenderingContext2D.prototype.putImageData = function(image, ...rest) {
    put.call(this, image, ...rest);
    if (this.canvas.id !== 'velko-graphics') return;
    ++seen.presents;
    if (seen.first === null) seen.first = performance.now();
    if (seen.scene === null && showsCone(this.canvas, image)) {
      seen.scene = performance.now();
      performance.mark('velko-first-scene');
      requestAnimationFrame(() => { seen.frame = performance.now(); });
    }
  };
}

async function openDesigner(browser, base, {cache}) {
  const page = await browser.newPage();
  await page.setCacheEnabled(cache);
  await page.evaluateOnNewDocument(watchCanvas, CONE_RGB, CONE_POINTS);
  const fetched = [];
  page.on('response', response => {
    if (response.ok() && response.url().startsWith(base)) fetched.push(new URL(response.url()).pathname);
  });
  await page.goto(base + 'velko-cone.html', {waitUntil: 'load'});
  await page.waitForFunction(() => window.velkoBench.frame !== null, {timeout: 20000});
  const seen = await page.evaluate(() => window.velkoBench);
  return {page, fetched, first: seen.first, scene: seen.scene, frame: seen.frame};
}

// The timing program's page: its figures come through the console.
async function webTiming(browser, base) {
  const page = await browser.newPage();
  let out = '';
  const done = new Promise((resolve, reject) => {
    page.on('console', message => {
      out += message.text() + '\n';
      if (/^text_drawn /m.test(out)) resolve();
    });
    page.on('pageerror', reject);
  });
  await page.goto(base + 'velko_redraw_timing.html');
  let timer;
  const late = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error('no figures from the timing page in 60 s')), 60000);
  });
  try {
    await Promise.race([done, late]);
  } finally {
    clearTimeout(timer);
  }
  // The page's share of the copy: the pixels of the graphics window's client
  // area (595 x 496) turned into the canvas's and put on it, as the page does
  // for each present.
  const present = await page.evaluate(() => {
    const velko = Module.velkoPage;
    const id = 1000;
    const width = 595;
    const height = 496;
    velko.windowCreated(id, 'timing', false, width, height);
    velko.windowShown(id, true);
    const pixels = new Uint32Array(width * height);
    const times = [];
    for (let sample = 0; sample < 15; ++sample) {
      pixels.fill(sample % 2 ? 0xFFFFFF : 0x996633);
      const start = performance.now();
      for (let i = 0; i < 20; ++i) velko.present(id, pixels, width, height, 0, 0, width, height);
      times.push((performance.now() - start) * 1000 / 20);
    }
    times.sort((a, b) => a - b);
    return times[7];
  });
  await page.close();
  return {...parseFigures(out), present_us: present};
}

function nativeFigures() {
  return parseFigures(execFileSync(nativeTiming, {encoding: 'utf8'}));
}

async function redraw(browser, base) {
  const native = [];
  const web = [];
  for (let round = 0; round < REDRAW_ROUNDS; ++round) {
    native.push(nativeFigures());
    web.push(await webTiming(browser, base));
  }
  for (const name of ['redraw_us', 'scene_us', 'copy_us']) {
    say(`native_${name}`, median(native.map(f => f[name])));
    say(`web_${name}`, median(web.map(f => f[name])));
  }
  say('redraw_ratio', median(web.map((w, i) => w.redraw_us / native[i].redraw_us)));
  say('redraw_rounds', REDRAW_ROUNDS);
  say('web_present_us', median(web.map(f => f.present_us)));
  say('native_text_drawn', Math.min(...native.map(f => f.text_drawn)));
  say('web_text_drawn', Math.min(...web.map(f => f.text_drawn)));
}

async function loads(browser, base) {
  const frames = [];
  const scenes = [];
  const firsts = [];
  let fetched = [];
  for (let i = 0; i < LOADS; ++i) {
    const load = await openDesigner(browser, base, {cache: false});
    frames.push(load.frame);
    scenes.push(load.scene);
    firsts.push(load.first);
    fetched = load.fetched;
    await load.page.close();
  }
  say('load_ms', median(frames));
  say('load_min_ms', Math.min(...frames));
  say('load_max_ms', Math.max(...frames));
  say('load_canvas_ms', median(scenes));
  say('load_first_present_ms', median(firsts));
  say('load_count', LOADS);
  const weight = downloadWeight(binDir, fetched);
  for (const [kind, bytes] of Object.entries(weight.byKind)) say(`bytes_${kind}`, bytes);
  say('bytes_files', weight.files);
  say('bytes_total', weight.total);
}

const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

// The page's main thread as DevTools counts it: seconds busy with tasks, and
// with script (the program and the page's code) among them.
async function mainThread(cdp) {
  const {metrics} = await cdp.send('Performance.getMetrics');
  const value = name => metrics.find(m => m.name === name)?.value ?? 0;
  return {task: value('TaskDuration'), script: value('ScriptDuration')};
}

// Processor time over seconds: Chromium's processes from /proc, the page's
// main thread from DevTools, and the pictures the page put on its canvas.
async function cpuOver(browser, page, seconds) {
  const root = browser.process().pid;
  const cdp = page ? await page.createCDPSession() : null;
  if (cdp) await cdp.send('Performance.enable');
  const presentsBefore = page ? await page.evaluate(() => window.velkoBench.presents) : 0;
  const mainBefore = cdp ? await mainThread(cdp) : {task: 0, script: 0};
  const before = processTree(root);
  const start = process.hrtime.bigint();
  await sleep(seconds * 1000);
  const after = processTree(root);
  const wall = Number(process.hrtime.bigint() - start) / 1e9;
  const mainAfter = cdp ? await mainThread(cdp) : {task: 0, script: 0};
  const presents = page ? await page.evaluate(() => window.velkoBench.presents) - presentsBefore : 0;
  if (cdp) await cdp.detach();
  return {...cpuShare(before, after, wall, clockTicksPerSecond()), presents,
          main: 100 * (mainAfter.task - mainBefore.task) / wall,
          script: 100 * (mainAfter.script - mainBefore.script) / wall};
}

// cpuOver over windows one after another: the median of each figure, and
// the largest renderer's share among them.
async function cpuWindows(browser, page, seconds) {
  const windows = [];
  for (let i = 0; i < IDLE_WINDOWS; ++i) windows.push(await cpuOver(browser, page, seconds));
  const result = {renderer_max: Math.max(...windows.map(w => w.renderer))};
  for (const name of Object.keys(windows[0])) result[name] = median(windows.map(w => w[name]));
  return result;
}

async function idle(browser, base) {
  const ticking = await browser.newPage();
  await ticking.goto('data:text/html,<p>tick</p><script>(function tick() { setTimeout(tick, 100); })()</script>');
  await sleep(1000);
  const reference = await cpuWindows(browser, null, IDLE_SECONDS);
  await ticking.close();
  say('cpu_timer_renderer_pct', reference.renderer);
  say('cpu_timer_all_pct', reference.all);

  const {page} = await openDesigner(browser, base, {cache: true});
  const key = async letter => {
    await page.keyboard.down('Control');
    await page.keyboard.press(`Key${letter}`);
    await page.keyboard.up('Control');
  };
  await key('A');  // Run > Animate (the designer starts animating; this keeps it so)
  await sleep(1000);
  const animating = await cpuWindows(browser, page, IDLE_SECONDS);
  say('cpu_animating_renderer_pct', animating.renderer);
  say('cpu_animating_renderer_max_pct', animating.renderer_max);
  say('cpu_animating_all_pct', animating.all);
  say('cpu_animating_presents', animating.presents);
  say('cpu_animating_main_pct', animating.main);
  say('cpu_animating_script_pct', animating.script);
  // Run > Halt animation: the runtime's timer still wakes the program ten
  // times a second, but it no longer redraws.
  await key('H');
  await sleep(1000);
  const halted = await cpuWindows(browser, page, IDLE_SECONDS);
  say('cpu_halted_renderer_pct', halted.renderer);
  say('cpu_halted_all_pct', halted.all);
  say('cpu_halted_main_pct', halted.main);
  say('cpu_seconds', IDLE_SECONDS);
  say('cpu_windows', IDLE_WINDOWS);
  await page.close();
}

const server = await serve(binDir, 0);
const base = `http://127.0.0.1:${server.address().port}/`;
const browser = await launch();
try {
  say('chromium', (await browser.version()).replace(/\s+/g, '_'));
  await redraw(browser, base);
  await loads(browser, base);
  await idle(browser, base);
} finally {
  await browser.close();
  server.close();
}
