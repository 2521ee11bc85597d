// velko-check's class report in a real browser: a small class is checked,
// and its index.html opened from the disk with everything but the report's
// own folder cut off. Every student has a row, the summary counts them and
// its histogram loads, every picture loads, a click opens one full size,
// the rows sort by score and by status, and a student's own page shows
// their pictures, log difference and events.
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

// Whether every image of the page has loaded, and their natural widths.
const images = page => page.$$eval('img[src]', imgs => imgs.map(
    img => ({ok: img.complete && img.naturalWidth > 0, width: img.naturalWidth, alt: img.alt})));

test('the class report shows, opens and sorts in Chromium', async () => {
  assert.ok(checker && member, 'VELKO_CHECK and VELKO_CLASS_MEMBER must name the programs');
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'velko-report-'));
  const browser = await launch();
  try {
    const students = makeClass(dir);
    const report = path.join(dir, 'out');
    const page = await browser.newPage();
    await page.setViewport({width: 1280, height: 2000});  // every lazy picture in view
    const elsewhere = [];
    await page.setRequestInterception(true);
    page.on('request', request => {
      const url = request.url();
      if (url.startsWith('file://' + report + '/')) {
        request.continue();
      } else {
        elsewhere.push(url);
        request.abort();
      }
    });
    await page.goto('file://' + path.join(report, 'index.html'), {waitUntil: 'networkidle0'});
    assert.deepEqual(elsewhere, [], 'it needs nothing outside its folder');

    const rows = await page.$$eval('#rows > tr', trs => trs.map(tr => tr.dataset.name));
    assert.deepEqual([...rows].sort(), [...students].sort());
    const counts = await page.$$eval('#counts tr[data-status]', trs => Object.fromEntries(
        trs.map(tr => [tr.dataset.status, Number(tr.cells[1].textContent)])));
    assert.deepEqual(counts, {match: 1, differs: 2, crashed: 1, not_started: 1});
    const shown = await images(page);
    assert.ok(shown.find(i => i.alt.includes('histogram'))?.ok, 'the histogram loads');
    // The reference once, then each student's window (and a difference where it differs).
    assert.ok(shown.length >= 6, `pictures: ${shown.length}`);
    assert.ok(shown.every(i => i.ok), JSON.stringify(shown));

    await page.click('#rows > tr[data-name="pixel"] img.thumb');
    const zoom = await page.$eval('#zoom', z => ({shown: getComputedStyle(z).display !== 'none',
                                                  width: z.querySelector('img').naturalWidth}));
    assert.ok(zoom.shown, 'a click opens the picture');
    assert.ok(zoom.width > 500, 'at full size');
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

    // A student's name leads to their own page: pictures, log difference, events.
    await Promise.all([page.waitForNavigation({waitUntil: 'networkidle0'}),
                       page.click('#rows > tr[data-name="colour"] a')]);
    assert.match(page.url(), /\/students\/colour\.html$/);
    const text = await page.$eval('body', b => b.textContent);
    assert.match(text, /Log window: \d+ lines, \d+ missing, \d+ extra/);
    assert.match(text, /Events used: 7/);
    const own = await images(page);
    assert.equal(own.length, 6, 'student, reference and difference, final and after event 3');
    assert.ok(own.every(i => i.ok), JSON.stringify(own));
    assert.deepEqual(elsewhere, [], 'nor does a student\'s page');
  } finally {
    await browser.close();
    fs.rmSync(dir, {recursive: true, force: true});
  }
});
