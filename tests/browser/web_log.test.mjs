// The log window on the page: a panel titled "VELKO Text" beneath the
// graphics window, with the 25 latest lines as text a user can select and
// copy, UTF-8 or Windows-1252 read as drawn text is, hidden and shown again
// with the same lines.
//   node --test web_log.test.mjs   (ctest gives the paths: tests/browser/CMakeLists.txt)
import assert from 'node:assert/strict';
import {after, before, test} from 'node:test';
import {launch} from './chromium.mjs';
import {serve} from '../../tools/web/serve.mjs';

let browser, server, page;
const problems = [];

before(async () => {
  server = await serve(process.env.VELKO_WEB_BIN, 0);
  browser = await launch();
  page = await browser.newPage();
  page.on('pageerror', error => problems.push(error.message));
  await page.goto(`http://127.0.0.1:${server.address().port}/web_log_page.html`);
  await page.waitForFunction(() => /line 30 /.test(document.querySelector('pre.velko-log')?.textContent));
});

after(async () => {
  await browser?.close();
  server?.close();
});

const panel = () => page.evaluate(() => {
  const log = document.querySelector('pre.velko-log');
  const box = log.closest('.velko-window');
  const graphics = document.getElementById('velko-graphics').getBoundingClientRect();
  return {title: box.querySelector('.velko-title-text').textContent, hidden: box.hidden,
          text: log.textContent, below: box.getBoundingClientRect().top >= graphics.bottom};
});

test('the panel beneath keeps the 25 latest lines, selectable as text', async () => {
  const shown = await panel();
  // Text that is UTF-8 shows as such, other text as Windows-1252, as drawn.
  const endings = {29: ' Привет, Café €', 30: ' Café €'};
  const expected = Array.from({length: 25}, (_, i) => `line ${i + 6} of the log${endings[i + 6] ?? ''}`)
                       .join('\n');
  assert.deepEqual(shown, {title: 'VELKO Text', hidden: false, text: expected, below: true});
  const selected = await page.evaluate(() => {
    const range = document.createRange();
    range.selectNodeContents(document.querySelector('pre.velko-log'));
    getSelection().removeAllRanges();
    getSelection().addRange(range);
    return getSelection().toString();
  });
  assert.equal(selected, expected);
});

test('hiding and showing the log window keeps its lines', async () => {
  const before = (await panel()).text;
  await page.click('#velko-graphics');
  await page.waitForFunction(() => document.querySelector('pre.velko-log').closest('.velko-window').hidden);
  await page.click('#velko-graphics');
  await page.waitForFunction(() => !document.querySelector('pre.velko-log').closest('.velko-window').hidden);
  assert.equal((await panel()).text, before);
  assert.deepEqual(problems, []);
});
