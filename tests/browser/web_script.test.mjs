// VELKO.SCR in the browser, against the desktop: a recording in the page has
// the lines the desktop program records for the same clicks, downloads as
// those bytes and plays in the desktop program; it survives a reload and
// plays back there; a script recorded on Linux, opened with "Open a
// script…", plays in the page to the desktop's scene.
//   node --test web_script.test.mjs   (ctest gives the paths: tests/browser/CMakeLists.txt)
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import {after, before, test} from 'node:test';
import {button, layout} from './layout.mjs';
import {checkScript, difference, nativeScene} from './native.mjs';
import {
  clicks, closeSession, ctrl, EOF_LINE, expectScene, firstScene, MARKER, mouseLines,
  openSession, points, settle, sleep, state, storedScript, waitForLogLine,
} from './page.mjs';

const {ADD_SCOOP, CHANGE_COLOR, CHANGE_TOPPING, REMOVE_SCOOP} = layout;

let session, page, dir, downloads, linuxScript;

before(async () => {
  session = await openSession(folder => {
    downloads = path.join(folder, 'downloads');
    return {downloadBehavior: {policy: 'allow', downloadPath: downloads}};
  });
  ({page, dir} = session);
});

after(() => closeSession(session));

// A folder of its own for each run of the desktop program.
let runs = 0;
function runDir() {
  const folder = path.join(dir, `run-${++runs}`);
  fs.mkdirSync(folder);
  return folder;
}

// Halts, then waits for the periodic event already on its way.
async function halt() {
  await ctrl(page, 'H');
  await sleep(250);
}

// Add Scoop, a topping on the bottom scoop, Change Color.
const RECORDED = [button(ADD_SCOOP), [30, 60], button(CHANGE_COLOR)];

test('a recording has the desktop\'s lines, downloads as them and plays on the desktop', async () => {
  await halt();
  await ctrl(page, 'R');
  await clicks(page, RECORDED);
  await ctrl(page, 'R');
  const recorded = await storedScript(page);
  assert.equal(recorded, mouseLines(RECORDED));
  await expectScene(page, runDir(), points(RECORDED), 'the recorded scene');

  // The same clicks recorded by the desktop program.
  const desktop = runDir();
  nativeScene(desktop, ['^H', '^R', ...points(RECORDED), '^R']);
  assert.equal(fs.readFileSync(path.join(desktop, 'VELKO.SCR'), 'latin1'), recorded);

  await page.click('#velko-download');
  const file = path.join(downloads, 'VELKO.SCR');
  for (let i = 0; i < 100 && !fs.existsSync(file); ++i) await sleep(50);
  assert.equal(fs.readFileSync(file, 'latin1'), recorded);

  // Played by the desktop program under velko-check: its events and its window.
  const played = checkScript(runDir(), recorded);
  assert.equal(played.events, recorded);
  const scene = nativeScene(runDir(), points(RECORDED));
  assert.equal(difference(played.window, scene).count, 0, difference(played.window, scene).why);
});

test('the recording survives a reload, and Ctrl+P plays it back', async () => {
  const recorded = await storedScript(page);
  await page.reload();
  await firstScene(page);
  assert.notEqual((await state(page)).marker, MARKER, 'the page was loaded again');
  await expectScene(page, runDir(), [], 'the first scene after the reload');
  assert.equal(await page.$eval('#velko-download', button => button.disabled), false);

  await ctrl(page, 'P');
  await waitForLogLine(page, EOF_LINE);
  await expectScene(page, runDir(), points(RECORDED), 'the scene played back');
  assert.equal(await storedScript(page), recorded, 'playing does not change the file');
  assert.deepEqual(page.problems, []);
});

// Three scoops, a topping on the top one, its colour twice on (blue), then
// its shape on from disc to bar.
const ON_LINUX = [button(ADD_SCOOP), button(ADD_SCOOP), [0, 150], button(CHANGE_COLOR),
                  button(CHANGE_COLOR), button(CHANGE_TOPPING)];

test('a script recorded on Linux, opened with "Open a script…", plays the same', async () => {
  const linux = runDir();
  nativeScene(linux, ['^H', '^R', ...points(ON_LINUX), '^R']);
  const file = path.join(linux, 'VELKO.SCR');
  linuxScript = file;
  const script = fs.readFileSync(file, 'latin1');
  assert.equal(script, mouseLines(ON_LINUX));

  await page.reload();
  await firstScene(page);
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#velko-open')]);
  await chooser.accept([file]);
  await page.waitForFunction(() => document.getElementById('velko-status').textContent
                                       .startsWith('VELKO.SCR is now VELKO.SCR'));
  assert.equal(await storedScript(page), script);

  await ctrl(page, 'P');
  await waitForLogLine(page, EOF_LINE);
  await expectScene(page, runDir(), points(ON_LINUX), 'the Linux script played');
  assert.deepEqual(page.problems, []);
});

// The end of a script that has played stays where it is (Ctrl+P again says
// so at once), but a file opened or dropped on the page is a new script.
test('a script opened again, or dropped, plays again from its first line', async () => {
  const ends = async () => (await state(page)).lines.filter(line => line === EOF_LINE).length;
  const playToTheEnd = async () => {
    const before = await ends();
    await ctrl(page, 'P');
    await page.waitForFunction(
        (line, before) => Module.velkoPage.lines.filter(l => l === line).length > before, {}, EOF_LINE,
        before);
    await settle(page);
  };
  await playToTheEnd();
  await expectScene(page, runDir(), points(ON_LINUX), 'Ctrl+P at the end plays nothing more');

  await page.$eval('#velko-status', node => { node.textContent = ''; });
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#velko-open')]);
  await chooser.accept([linuxScript]);
  await page.waitForFunction(() => document.getElementById('velko-status').textContent !== '');
  await playToTheEnd();
  const twice = [...ON_LINUX, ...ON_LINUX];
  await expectScene(page, runDir(), points(twice), 'the same script opened again');

  const dropped = mouseLines([button(REMOVE_SCOOP)]);
  await page.evaluate(text => {
    const data = new DataTransfer();
    data.items.add(new File([text], 'dropped.scr', {type: 'text/plain'}));
    document.body.dispatchEvent(new DragEvent('drop', {dataTransfer: data, bubbles: true, cancelable: true}));
  }, dropped);
  await page.waitForFunction(() => document.getElementById('velko-status').textContent
                                       .startsWith('VELKO.SCR is now dropped.scr'));
  await playToTheEnd();
  await expectScene(page, runDir(), points([...twice, button(REMOVE_SCOOP)]), 'a dropped script');
  assert.equal(await storedScript(page), dropped);
  assert.deepEqual(page.problems, []);
});
