// The designer's page in Chromium against the desktop program: the scene
// after clicks on the panel and on the cone, pixel for pixel; the Run menu
// with the mouse; the shortcuts from the keyboard, with nothing of the
// browser's own happening; and the end of the run with a new start.
//   node --test web_scene.test.mjs   (ctest gives the paths: tests/web/CMakeLists.txt)
import assert from 'node:assert/strict';
import {after, before, test} from 'node:test';
import {button, layout} from '../web/layout.mjs';
import {
  canvasPicture, choose, clicks, closeSession, ctrl, expectScene, keepScreenshot, mark, MARKER,
  openRunMenu, openSession, points, firstScene, sleep, state, storedScript,
} from '../web/page.mjs';

const {ADD_SCOOP, REMOVE_SCOOP, ADD_TOPPING, REMOVE_TOPPING, CHANGE_TOPPING, CHANGE_COLOR,
       SELECT_TOPPING} = layout;

let session, page, dir;

before(async () => {
  session = await openSession();
  ({page, dir} = session);
});

after(() => closeSession(session));

// Three scoops, toppings of every shape in several colours, one of them
// grabbed and moved, then every other button once.
function busyScene() {
  const list = [];
  const press = (index, times = 1) => {
    for (let i = 0; i < times; ++i) list.push(button(index));
  };
  const topping = (x, y) => list.push(button(ADD_TOPPING), [x, y]);
  press(ADD_SCOOP, 2);
  topping(-22, 150), press(CHANGE_COLOR, 2);                            // a blue disc
  topping(24, 168), press(CHANGE_COLOR, 11);                            // an orange disc
  topping(-30, 95), press(CHANGE_TOPPING), press(CHANGE_COLOR, 4);      // a magenta bar
  topping(28, 110), press(CHANGE_TOPPING, 2);                           // a triangle
  topping(-8, 60), press(CHANGE_TOPPING), press(CHANGE_COLOR, 7);       // a navy bar
  topping(2, 120), press(CHANGE_COLOR, 6);                              // a purple disc
  press(SELECT_TOPPING), list.push([-20, 152], [-4, 178]);               // the blue disc moved
  press(REMOVE_TOPPING), press(ADD_SCOOP), press(REMOVE_SCOOP);
  return list;
}

test('clicks on the panel and the cone draw what the desktop draws', async t => {
  await expectScene(page, dir, [], 'the first scene');

  // Add Scoop, a topping (a red disc, selected), Change Color.
  const first = [button(ADD_SCOOP), [30, 60], button(CHANGE_COLOR)];
  await clicks(page, first);
  await expectScene(page, dir, points(first), 'a scoop, a topping, its colour');

  // A double click on Change Color is two presses: red, green, then blue.
  await clicks(page, [button(CHANGE_COLOR)], {count: 2});
  const doubled = [...first, button(CHANGE_COLOR), button(CHANGE_COLOR)];
  await expectScene(page, dir, points(doubled), 'after a double click');

  await clicks(page, busyScene());
  await expectScene(page, dir, points([...doubled, ...busyScene()]), 'the busy scene');
  const shot = await keepScreenshot(page, 'designer-after-clicks.png');
  if (shot) t.diagnostic(`the page after the clicks: ${shot}`);
  assert.deepEqual(page.problems, []);
});

// Runs of periodic events, as a recording keeps them: halted, then one
// step, then animation, then halted again (the periodic wait in progress
// when the halt comes still ends with its event). Clicks beside the cone
// mark the phases. `run` gives each command, by menu or by key.
const [A, B, C, D] = [[250, 0], [250, -50], [250, -100], [250, -150]];
const mouse = ([x, y]) => `VELKO_MOUSE(${x}, ${y});`;
const RUN_CONTROL_LINES = [mouse(A), 'VELKO_PERIODIC(1);', mouse(B), /^VELKO_PERIODIC\(([3-9]|\d\d+)\);$/,
                           mouse(C), /^VELKO_PERIODIC\([1-9]\d*\);$/, mouse(D), ''];

async function recordRunControl(run, whileRecording = async () => {}) {
  await run('halt');
  await sleep(250);
  await run('record');
  await whileRecording();
  await clicks(page, [A]);
  await run('step');
  await sleep(300);
  await clicks(page, [B]);
  await run('animate');
  await sleep(550);
  await clicks(page, [C]);
  await run('halt');
  await sleep(250);
  await clicks(page, [D]);
  await run('record');
  const lines = (await storedScript(page)).split('\n');
  assert.equal(lines.length, RUN_CONTROL_LINES.length, lines.join('|'));
  RUN_CONTROL_LINES.forEach((want, i) => want instanceof RegExp ? assert.match(lines[i], want)
                                                                : assert.equal(lines[i], want));
}

async function closeMenu() {
  await page.click('nav.velko-menubar button.velko-menu-title');
  assert.equal(await page.$('div.velko-menu'), null, 'a second click on Run closes the menu');
}

test('the Run menu with the mouse', async () => {
  const items = await openRunMenu(page);
  assert.deepEqual(items.slice(0, 8).map(i => [i.label, i.shortcut]), [
    ['Animate', 'Ctrl+A'], ['Halt animation', 'Ctrl+H'], ['Advance one frame', 'Ctrl+F'],
    ['Logging', 'Ctrl+L'], ['Record Script', 'Ctrl+R'], ['Playback Script', 'Ctrl+P'],
    ['Play One Script', 'Ctrl+O'], ['Quit', 'Ctrl+Q']]);
  assert.deepEqual(items.map(i => i.disabled), [...Array(8).fill(false), ...Array(4).fill(true)]);
  // The designer switches logging off as it starts.
  assert.deepEqual(items.map(i => i.checked || i.mark !== ''), Array(12).fill(false));

  // One item is highlighted at a time: the first as the menu opens, then
  // the one under the mouse.
  const highlighted = () => page.$$eval('div.velko-menu button.velko-menu-item',
      nodes => nodes.filter(node => node.matches(':focus, :hover:not([disabled])'))
                    .map(node => node.querySelector('.velko-label').textContent));
  assert.deepEqual(await highlighted(), ['Animate']);
  await page.hover('div.velko-menu button.velko-menu-item:nth-of-type(3)');
  assert.deepEqual(await highlighted(), ['Advance one frame']);

  // A greyed item cannot be chosen: the menu stays open and nothing is sent.
  await page.click('div.velko-menu button.velko-menu-item[disabled]');
  assert.notEqual(await page.$('div.velko-menu'), null);
  assert.equal(await page.evaluate(() => Module.velkoPage.queue.length), 0);
  await closeMenu();

  // Logging: the check mark, and the drawing calls of the next redraw in the log.
  const logged = async () => (await state(page)).logged;
  await choose(page, 'Logging');
  const logging = (await openRunMenu(page)).find(i => i.label === 'Logging');
  assert.deepEqual([logging.checked, logging.mark], [true, '\u2713']);
  await closeMenu();
  const before = await logged();
  await clicks(page, [A]);
  assert.ok(await logged() > before, 'a redraw with logging on writes its drawing calls');
  await choose(page, 'Logging');
  assert.equal((await openRunMenu(page)).find(i => i.label === 'Logging').checked, false);
  await closeMenu();
  const quiet = await logged();
  await clicks(page, [A]);
  assert.equal(await logged(), quiet, 'with logging off, a redraw writes nothing');

  const label = {halt: 'Halt', record: 'Record', step: 'Advance', animate: 'Animate'};
  await recordRunControl(command => choose(page, label[command]), async () => {
    const record = (await openRunMenu(page)).find(i => i.label === 'Record Script');
    assert.ok(record.checked, 'Record Script has its check mark while recording');
    await closeMenu();
  });
  assert.equal((await openRunMenu(page)).find(i => i.label === 'Record Script').checked, false);
  await closeMenu();
  assert.deepEqual(page.problems, []);
});

test('the shortcuts from the keyboard, and the browser does nothing of its own', async () => {
  await page.evaluate(() => {
    window.velkoKeys = [];
    window.addEventListener('keydown', event => {
      if (event.ctrlKey && event.code.startsWith('Key'))
        window.velkoKeys.push([event.code[3], event.defaultPrevented]);
    });
  });
  const key = {halt: 'H', record: 'R', step: 'F', animate: 'A'};
  await recordRunControl(command => ctrl(page, key[command]));
  await ctrl(page, 'L');
  assert.equal((await openRunMenu(page)).find(i => i.label === 'Logging').checked, true);
  await closeMenu();
  await ctrl(page, 'L');
  assert.equal((await openRunMenu(page)).find(i => i.label === 'Logging').checked, false);
  await closeMenu();

  const keys = await page.evaluate(() => window.velkoKeys);
  assert.deepEqual([...new Set(keys.map(([letter]) => letter))].sort(), ['A', 'F', 'H', 'L', 'R']);
  assert.ok(keys.every(([, prevented]) => prevented), `not all kept from the browser: ${keys}`);
  const now = await state(page);
  assert.equal(now.marker, MARKER, 'the page was not loaded again');
  assert.equal(now.printed, 0);
  assert.deepEqual(page.problems, []);
});

test('Ctrl+Q and Quit end the run; Start again starts the program afresh', async () => {
  const expectEnded = async () => {
    await page.waitForSelector('#velko-ended:not([hidden])');
    assert.equal(await page.$eval('#velko-ended-text', node => node.textContent),
                 'The program has ended.');
    assert.ok(await page.$eval('body', body => body.classList.contains('velko-ended')));
  };
  await ctrl(page, 'Q', {wait: false});
  await expectEnded();
  assert.equal((await state(page)).marker, MARKER, 'Ctrl+Q did not leave the page');
  // Input after the end goes nowhere and breaks nothing.
  const box = await (await page.$('#velko-graphics')).boundingBox();
  await page.mouse.click(box.x + 60, box.y + 20);
  await ctrl(page, 'A', {wait: false});
  assert.equal(await page.evaluate(() => Module.velkoPage.queue.length), 0);
  assert.deepEqual(page.problems, []);

  await Promise.all([page.waitForNavigation(), page.click('#velko-again')]);
  await firstScene(page);
  assert.equal((await state(page)).marker, undefined, 'Start again loads the page again');
  assert.equal(await page.$eval('#velko-ended', node => node.hidden), true);
  await expectScene(page, dir, [], 'the first scene again');
  await mark(page);

  await choose(page, 'Quit', {wait: false});
  await expectEnded();
  assert.equal((await state(page)).marker, MARKER);
  assert.equal((await canvasPicture(page)).width, layout.CLIENT_WIDTH, 'the last scene stays');
  assert.deepEqual(page.problems, []);
});

test('a trap in the program ends the run with what it was', async () => {
  await Promise.all([page.waitForNavigation(), page.click('#velko-again')]);
  await firstScene(page);
  // A trap in the program after a wait reaches the page as an uncaught error
  // (thrown from the page's own script, as an error from code evaluated by
  // DevTools is muted).
  await page.addScriptTag({content: "setTimeout(() => { throw new WebAssembly.RuntimeError('unreachable'); });"});
  await page.waitForSelector('#velko-ended:not([hidden])');
  assert.equal(await page.$eval('#velko-ended-text', node => node.textContent),
               'The program stopped: unreachable');
});
