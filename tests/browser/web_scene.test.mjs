// The designer's page in Chromium against the desktop program: the scene
// after clicks on the panel and on the cone, pixel for pixel; the Run menu
// with the mouse; the shortcuts from the keyboard, with nothing of the
// browser's own happening; and the end of the run with a new start.
//   node --test web_scene.test.mjs   (ctest gives the paths: tests/browser/CMakeLists.txt)
import assert from 'node:assert/strict';
import {after, before, test} from 'node:test';
import {button, layout} from './layout.mjs';
import {
  canvasPicture, choose, clicks, closeSession, ctrl, evenPixels, expectScene, firstScene,
  keepScreenshot, keyCodes, mark, MARKER, openDesigner, openRunMenu, openSession, points, settle,
  sleep, state, storedScript, typeKeys,
} from './page.mjs';

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

// Keys of French, German and other keyboards as the browser reports them
// (KeyboardEvent.code: the key's place, key: what it typed), and the
// character the program gets (null: none). The desktop program gets the
// same from the same layouts (tests/desktop/designer_test.cpp).
const TYPED = [
  ['KeyQ', 'a', 97], ['KeyA', 'q', 113], ['Digit2', 'é', 233], ['Digit7', 'è', 232],
  ['Quote', 'ù', 249], ['BracketLeft', 'Dead', null], ['KeyE', 'ê', 234], ['Digit6', '-', 45],
  ['KeyM', ',', 44],                                                     // French
  ['KeyY', 'z', 122], ['KeyZ', 'y', 121], ['Minus', 'ß', 223], ['Semicolon', 'ö', 246],
  ['BracketLeft', 'ü', 252], ['Slash', '-', 45], ['Period', '.', 46], ['Comma', ',', 44],
  ['Numpad1', '1', 49], ['NumpadDecimal', ',', 44], ['KeyE', '€', 128, true],
  ['KeyQ', '@', 64, true], ['Equal', 'Dead', null], ['KeyE', 'é', 233],  // German
  ['KeyQ', 'й', null], ['KeyA', 'α', null], ['KeyO', 'œ', 156],          // beyond Windows-1252
  ['', 'x', 120], ['', 'Unidentified', null],                            // an on-screen keyboard
];

test('characters are those typed on French and German keyboards, shortcuts the letters on the keys', async () => {
  await ctrl(page, 'H');
  await sleep(250);
  await page.focus('#velko-graphics');
  await ctrl(page, 'R');
  await typeKeys(page, TYPED.map(([code, key, , altGraph]) => ({code, key, altGraph})));
  await ctrl(page, 'R');
  assert.deepEqual(keyCodes(await storedScript(page)),
                   TYPED.map(([, , typed]) => typed).filter(typed => typed !== null));

  // Ctrl with the key labelled A on a French keyboard (where a US one has
  // Q) animates; it does not quit.
  await ctrl(page, 'R');
  await typeKeys(page, [{code: 'ControlLeft', key: 'Control', phase: 'down'},
                        {code: 'KeyQ', key: 'a', ctrl: true},
                        {code: 'ControlLeft', key: 'Control', phase: 'up'}]);
  await sleep(450);
  await ctrl(page, 'R');
  assert.match(await storedScript(page), /^VELKO_PERIODIC\([1-9]\d*\);\n$/);
  assert.equal((await state(page)).ended, false);
  await ctrl(page, 'H');
  await sleep(250);
  assert.deepEqual(page.problems, []);
});

test('the keyboard can leave the window, and the page says what each part is', async () => {
  assert.equal(await page.title(), 'velko-cone');
  const canvas = await page.$eval('#velko-graphics', node => ({
    role: node.getAttribute('role'), name: node.getAttribute('aria-label'),
    help: document.getElementById(node.getAttribute('aria-describedby')).textContent}));
  assert.deepEqual(canvas, {role: 'application', name: 'VELKO Graphics',
                            help: 'Keys go to the program. Escape, then Tab, moves on to the page\'s buttons.'});
  const active = () => page.evaluate(() => document.activeElement.id || document.activeElement.className);

  // Tab alone is the program's character; Escape, then Tab, leaves.
  await page.focus('#velko-graphics');
  await ctrl(page, 'R');
  await page.keyboard.press('Tab');
  await settle(page);
  assert.equal(await active(), 'velko-graphics');
  await ctrl(page, 'R');
  assert.deepEqual(keyCodes(await storedScript(page)), [9]);
  await page.keyboard.press('Escape');
  await page.keyboard.press('Tab');
  assert.match(await active(), /^velko-(download|open)$/);
  // Shift+Tab comes back, with the focus ring showing.
  await page.keyboard.down('Shift');
  while (await active() !== 'velko-graphics') await page.keyboard.press('Tab');
  await page.keyboard.up('Shift');
  assert.equal(await page.$eval('#velko-graphics', node => getComputedStyle(node).outlineStyle), 'solid');

  // The browser's own keys for its tabs stay its own.
  const prevented = await page.evaluate(() => ['Tab', 'PageDown', 'PageUp'].map(key => {
    const event = new KeyboardEvent('keydown', {key, code: key, ctrlKey: true, bubbles: true, cancelable: true});
    document.activeElement.dispatchEvent(event);
    return event.defaultPrevented;
  }));
  assert.deepEqual(prevented, [false, false, false]);
  await typeKeys(page, [{code: 'ControlLeft', key: 'Control', phase: 'up'}]);

  // Commands are menu items; only the three switches are check boxes.
  await openRunMenu(page);
  const roles = await page.$$eval('div.velko-menu button.velko-menu-item', nodes => nodes.slice(0, 8).map(
      node => [node.querySelector('.velko-label').textContent, node.getAttribute('role')]));
  assert.deepEqual(roles, [
    ['Animate', 'menuitem'], ['Halt animation', 'menuitem'], ['Advance one frame', 'menuitem'],
    ['Logging', 'menuitemcheckbox'], ['Record Script', 'menuitemcheckbox'],
    ['Playback Script', 'menuitemcheckbox'], ['Play One Script', 'menuitem'], ['Quit', 'menuitem']]);
  await page.keyboard.press('Escape');
  assert.deepEqual(page.problems, []);
});

// The same page on a phone's screen and at a device pixel ratio of 1.5.
test('on a phone the window fits the width, every pixel the same size, and clicks land', async () => {
  const small = await session.browser.newPage();
  try {
    await small.setViewport({width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true});
    const phone = await openDesigner(session.browser, session.server.url, small);
    const fit = await phone.evaluate(() => ({
      right: document.getElementById('velko-graphics').getBoundingClientRect().right,
      scroll: document.documentElement.scrollWidth,
      rows: new Set([...document.querySelectorAll('#velko-tools button')].map(b => b.offsetTop)).size}));
    assert.ok(fit.right <= 390 && fit.scroll <= 390, JSON.stringify(fit));
    assert.equal(fit.rows, 1, 'the buttons stay on one row');
    assert.equal(await evenPixels(phone), 1);
    const box = await (await phone.$('#velko-graphics')).boundingBox();
    const scale = box.width / layout.CLIENT_WIDTH;
    const [x, y] = button(ADD_SCOOP);
    await phone.mouse.click(box.x + (layout.CLIENT_ORIGIN_X + x + 0.5) * scale,
                            box.y + (layout.CLIENT_ORIGIN_Y - y + 0.5) * scale);
    await settle(phone);
    await expectScene(phone, dir, points([button(ADD_SCOOP)]), 'a click on a phone');
    await keepScreenshot(phone, 'designer-on-a-phone.png');

    await phone.setViewport({width: 1000, height: 800, deviceScaleFactor: 1.5});
    await phone.waitForFunction(() => document.getElementById('velko-graphics').style.width === '793.333px');
    assert.equal(await evenPixels(phone), 2);
    assert.deepEqual(phone.problems, []);
  } finally {
    await small.close();
  }
});

test('Ctrl+Q and Quit end the run; Start again starts the program afresh', async () => {
  const expectEnded = async () => {
    await page.waitForSelector('#velko-ended:not([hidden])');
    assert.equal(await page.$eval('#velko-ended-text', node => node.textContent),
                 'The program has ended.');
    assert.ok(await page.$eval('body', body => body.classList.contains('velko-ended')));
    assert.ok(await page.$eval('nav.velko-menubar button', node => node.disabled), 'the Run menu is off');
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

// A program that ends as the key typed says (tests/browser/end_page.cpp).
const ENDINGS = [
  ['x', 'The program has ended with status 3.'],
  ['a', 'The program stopped: the program called abort.'],
  ['t', 'The program stopped: an exception nobody caught: the cone melted.'],
  ['s', 'The program stopped: an exception nobody caught: a text thrown.'],
  ['m', 'The program stopped: it read or wrote outside its memory, through a bad pointer or ' +
        'past the end of an array ("memory access out of bounds").'],
  ['c', 'The program stopped: it called a function through a bad pointer ("null function").'],
  ['d', 'The program stopped: it divided an integer by zero ("divide by zero").'],
  ['u', /^The program stopped: it reached code that must never run: .*\("unreachable"\)\.$/],
];

test('every way a program ends is said in words, with Start again', async () => {
  const ending = await session.browser.newPage();
  const url = page.url().replace('velko-cone.html', 'web_end_page.html');
  let logged = [];
  ending.on('console', message => logged.push(message.text()));
  for (const [key, words] of ENDINGS) {
    logged = [];
    await ending.goto(url);
    await ending.waitForFunction(() => window.Module && Module.velkoPage && Module.velkoPage.waking);
    await ending.focus('#velko-graphics');
    await ending.keyboard.press(key);
    await ending.waitForSelector('#velko-ended:not([hidden])');
    const said = await ending.$eval('#velko-ended-text', node => node.textContent);
    if (words instanceof RegExp) assert.match(said, words, key);
    else assert.equal(said, words, key);
    assert.equal(await ending.evaluate(() => document.activeElement.id), 'velko-again', key);
    // A stop leaves its stack in the console; an exception's is where it was
    // thrown.
    const stack = 'ts'.includes(key) ? /threw an exception[^]*wasm-function/ : /wasm-function/;
    if (key !== 'x') assert.ok(logged.some(text => stack.test(text)), `${key}: ${logged}`);
  }
  await ending.close();
});
