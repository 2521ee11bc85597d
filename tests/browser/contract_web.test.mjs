// The window system's contract suite on the web backend: the browser build's
// page bin/test_contract_web.html, served from VELKO_WEB_BIN and run in
// Debian's headless Chromium. gtest writes to the console; the run passes
// only when the page ends with status 0, gtest says every test passed and it
// ran as many tests as contract_test.cpp holds.
//   VELKO_WEB_BIN=<the web build's bin> node --test contract_web.test.mjs
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import {test} from 'node:test';
import {fileURLToPath} from 'node:url';
import {serve} from '../../tools/web/serve.mjs';
import {launch} from './chromium.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const bin = process.env.VELKO_WEB_BIN;
const PAGE = 'test_contract_web.html';

// The tests the suite holds, from its source: a test the build lost is missed.
function suiteCount(source) {
  return [...source.matchAll(/^TEST(?:_F)?\(\s*\w+\s*,\s*(\w+)\s*\)/gm)]
      .filter(m => !m[1].startsWith('DISABLED_')).length;
}

// gtest's summary in its output lines: how many tests ran, how many passed,
// the names of those that failed.
function gtestSummary(lines) {
  const summary = {ran: null, passed: null, failed: []};
  for (const line of lines) {
    let m = line.match(/^\[=+\] (\d+) tests? from \d+ test suites? ran\./);
    if (m) summary.ran = Number(m[1]);
    m = line.match(/^\[  PASSED  \] (\d+) tests?\./);
    if (m) summary.passed = Number(m[1]);
    m = line.match(/^\[  FAILED  \] (\w+\.\w+)/);
    if (m && !summary.failed.includes(m[1])) summary.failed.push(m[1]);
  }
  return summary;
}

test('the contract suite passes on the web backend in Chromium', {timeout: 110000}, async () => {
  assert.ok(bin && fs.existsSync(path.join(bin, PAGE)), `VELKO_WEB_BIN must hold ${PAGE}`);
  const expected = suiteCount(fs.readFileSync(path.join(here, '../contract/contract_test.cpp'), 'utf8'));
  assert.ok(expected > 0, 'contract_test.cpp holds tests');

  const server = await serve(bin);
  const browser = await launch();
  const lines = [];
  try {
    const page = await browser.newPage();
    const errors = [];
    page.on('console', message => lines.push(message.text()));
    page.on('pageerror', error => errors.push(error.message));
    const {port} = server.address();
    const started = performance.now();
    await page.goto(`http://127.0.0.1:${port}/${PAGE}`, {waitUntil: 'load'});
    const transcript = () => '\n' + lines.join('\n');
    await page.waitForSelector('body.velko-ended', {timeout: 90000}).catch(error => {
      assert.fail(`the page did not end (${error.message})${transcript()}`);
    });
    const seconds = ((performance.now() - started) / 1000).toFixed(1);
    const ended = await page.$eval('#velko-ended-text', node => node.textContent);

    const summary = gtestSummary(lines);
    assert.deepEqual(errors, [], 'errors on the page' + transcript());
    assert.deepEqual(summary.failed, [], 'failed tests' + transcript());
    assert.equal(summary.ran, expected, 'tests run, of the suite\'s' + transcript());
    assert.equal(summary.passed, expected, 'tests passed' + transcript());
    assert.equal(ended, 'The program has ended.', 'the page ends with status 0' + transcript());
    console.log(`contract suite on the web backend: ${summary.passed} of ${expected} passed in ` +
                `${seconds} s (page load to end)`);
  } finally {
    await browser.close();
    server.close();
  }
});
