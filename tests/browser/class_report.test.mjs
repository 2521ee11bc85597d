// velko-check's class report in a real browser: a small class is checked,
// and its index.html opened from the disk with the network cut off. Every
// student has a row, every picture loads, a click opens one full size, and
// the rows sort by score and by status.
//   node --test class_report.test.mjs   (VELKO_CHECK and VELKO_CLASS_MEMBER
//   name the checker and the test's class program)
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {test} from 'node:test';
import {launch} from './chromium.mjs';

const checker = process.env.VELKO_CHECK;
const member = process.env.VELKO_CLASS_MEMBER;

function makeClass(dir) {
  // Each a copy of the class member, which behaves as its folder's name says.
  const students = ['match', 'pixel', 'colour', 'crash', 'nostart'];
  for (const name of students) {
    fs.mkdirSync(path.join(dir, 'class', name), {recursive: true});
    fs.copyFileSync(member, path.join(dir, 'class', name, 'solution'));
    fs.chmodSync(path.join(dir, 'class', name, 'solution'), 0o755);
  }
  fs.writeFileSync(path.join(dir, 'a.scr'), 'VELKO_PERIODIC(6);\nVELKO_MOUSE(10, 10);\n');
  try {
    execFileSync(checker, ['--class', '--memory', '0', '--after', '3', '-s', 'a.scr', '-r', member,
                           '-o', 'out', 'class'], {cwd: dir, stdio: 'pipe'});
  } catch (error) {
    assert.equal(error.status, 1, String(error.stderr));  // not all of them match
  }
  return students;
}

test('the class report shows, opens and sorts in Chromium', async () => {
  assert.ok(checker && member, 'VELKO_CHECK and VELKO_CLASS_MEMBER must name the programs');
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'velko-report-'));
  const browser = await launch();
  try {
    const students = makeClass(dir);
    const page = await browser.newPage();
    const requests = [];
    await page.setRequestInterception(true);
    page.on('request', request => {
      requests.push(request.url());
      request.url().startsWith('file:') || request.url().startsWith('data:') ? request.continue()
                                                                            : request.abort();
    });
    await page.goto('file://' + path.join(dir, 'out', 'index.html'), {waitUntil: 'load'});
    assert.deepEqual(requests.filter(u => !u.startsWith('data:')),
                     ['file://' + path.join(dir, 'out', 'index.html')], 'it needs nothing else');

    const rows = await page.$$eval('#rows > tr', trs => trs.map(tr => tr.dataset.name));
    assert.deepEqual([...rows].sort(), [...students].sort());

    const images = await page.$$eval('img.thumb', imgs => imgs.map(
        img => ({ok: img.complete && img.naturalWidth > 0, width: img.naturalWidth})));
    // match: two pictures; pixel, colour, crash: three; nostart: none.
    assert.ok(images.length >= 11, `pictures: ${images.length}`);
    assert.ok(images.every(i => i.ok), 'every picture loads');

    await page.click('#rows > tr[data-name="pixel"] img.thumb');
    const zoom = await page.$eval('#zoom', z => ({shown: getComputedStyle(z).display !== 'none',
                                                  width: z.querySelector('img').naturalWidth}));
    assert.ok(zoom.shown, 'a click opens the picture');
    assert.equal(zoom.width, images[0].width, 'at full size');
    await page.click('#zoom');

    const order = async key => page.$$eval('#rows > tr', (trs, key) => trs.map(tr => tr.dataset[key]), key);
    await page.click('th[data-key="score"]');
    const up = (await order('score')).map(Number);
    assert.deepEqual(up, [...up].sort((a, b) => a - b));
    await page.click('th[data-key="score"]');
    const down = (await order('score')).map(Number);
    assert.deepEqual(down, [...up].sort((a, b) => b - a));
    await page.click('th[data-key="rank"]');
    const statuses = await order('status');
    assert.equal(statuses[statuses.length - 1], 'match', statuses.join());
    assert.ok(['not_started', 'crashed'].includes(statuses[0]), statuses.join());

    // A student's name leads to their log difference and events.
    await page.click('#rows > tr[data-name="colour"] a');
    const section = await page.$eval(await page.evaluate(() => location.hash) || 'body',
                                      s => s.textContent);
    assert.match(section, /Log window: \d+ lines, \d+ missing, \d+ extra/);
    assert.match(section, /Events used: 7/);
  } finally {
    await browser.close();
    fs.rmSync(dir, {recursive: true, force: true});
  }
});
