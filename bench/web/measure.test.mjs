// The browser figures' arithmetic: what it reads from /proc and from the
// timing program, and the shares of processor time it makes of them.
//   node --test bench/web/measure.test.mjs
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {test} from 'node:test';
import zlib from 'node:zlib';

import {cpuShare, downloadWeight, median, parseFigures, parseStat, processKind} from './measure.mjs';

// A /proc/<pid>/stat line with the given command name, parent and times.
function statLine(comm, ppid, utime, stime) {
  const fields = ['S', ppid, 0, 0, 0, -1, 4194560, 100, 0, 0, 0, utime, stime, 0, 0, 20, 0, 1, 0];
  return `4242 (${comm}) ${fields.join(' ')}\n`;
}

test('a stat line gives the parent and user plus system ticks, whatever the name holds', () => {
  const cases = [
    {line: statLine('chromium', 17, 120, 30), want: {ppid: 17, ticks: 150}},
    {line: statLine('Web Content', 5, 1, 2), want: {ppid: 5, ticks: 3}},
    {line: statLine('a) b (c', 9, 7, 0), want: {ppid: 9, ticks: 7}},
    {line: statLine(')', 1, 0, 4), want: {ppid: 1, ticks: 4}},
    {line: '4242 (cut) S 1 0 0', want: null},
    {line: 'no parenthesis at all', want: null},
    {line: statLine('x', 'y', 1, 2), want: null},
  ];
  for (const {line, want} of cases) assert.deepEqual(parseStat(line), want, line);
});

test("a Chromium process's kind: --type=, web pages' renderers apart from the browser's own", () => {
  const cases = [
    ['/usr/lib/chromium/chromium\0--type=renderer\0--lang=en\0', 'renderer'],
    ['/usr/lib/chromium/chromium --type=gpu-process --no-sandbox', 'gpu-process'],
    ['/usr/lib/chromium/chromium --type=utility --utility-sub-type=network.mojom.NetworkService', 'utility'],
    ['/usr/lib/chromium/chromium --type=renderer --top-chrome-webui --lang=en', 'ui-renderer'],
    ['/usr/lib/chromium/chromium\0--type=renderer\0--extension-process\0', 'extension-renderer'],
    ['/usr/lib/chromium/chromium\0--headless\0--no-sandbox\0', 'browser'],
    ['', 'browser'],
  ];
  for (const [cmdline, kind] of cases) assert.equal(processKind(cmdline), kind, cmdline);
});

test("processor share: web pages' renderers apart from all, new processes from zero", () => {
  const before = new Map([
    [1, {kind: 'browser', ticks: 500}],
    [2, {kind: 'renderer', ticks: 300}],
    [3, {kind: 'gpu-process', ticks: 80}],
    [4, {kind: 'renderer', ticks: 60}],  // ends before the second reading
    [6, {kind: 'ui-renderer', ticks: 90}],
  ]);
  const after = new Map([
    [1, {kind: 'browser', ticks: 510}],
    [2, {kind: 'renderer', ticks: 340}],
    [3, {kind: 'gpu-process', ticks: 85}],
    [5, {kind: 'renderer', ticks: 5}],  // started in between
    [6, {kind: 'ui-renderer', ticks: 100}],
  ]);
  // 10 s at 100 ticks a second: 1,000 ticks are one core.
  const share = cpuShare(before, after, 10, 100);
  assert.equal(share.renderer, 4.5);
  assert.equal(share.all, 7);
  assert.deepEqual(cpuShare(after, after, 10, 100), {renderer: 0, all: 0});
});

test('medians of odd and even counts, in any order; the figures among other lines', () => {
  assert.equal(median([5, 1, 3]), 3);
  assert.equal(median([4, 1, 3, 2]), 2.5);
  assert.ok(Number.isNaN(median([])));
  const text = 'warming up\nredraw_us 171.58\nscene_us 97\n\ncopy_us -1.5\ntext_drawn 1\nredraw_us x\n';
  assert.deepEqual(parseFigures(text), {redraw_us: 171.58, scene_us: 97, copy_us: -1.5, text_drawn: 1});
});

test('the download is weighed gzipped, each file once, by kind and in all', () => {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'velko-weight-'));
  try {
    const files = {'page.html': 'h'.repeat(3000), 'a.js': 'var a = 1;\n'.repeat(400),
                   'b c.js': 'let b;', 'faces': 'x'.repeat(7000)};
    for (const [name, text] of Object.entries(files)) fs.writeFileSync(path.join(dir, name), text);
    const gz = name => zlib.gzipSync(files[name], {level: 9}).length;
    const cases = [
      {paths: ['/page.html', '/a.js', '/a.js?v=2', '/b%20c.js', '/faces'],
       want: {byKind: {html: gz('page.html'), js: gz('a.js') + gz('b c.js'), other: gz('faces')},
              total: gz('page.html') + gz('a.js') + gz('b c.js') + gz('faces'), files: 4}},
      {paths: [], want: {byKind: {}, total: 0, files: 0}},
    ];
    for (const {paths, want} of cases) assert.deepEqual(downloadWeight(dir, paths), want, paths.join(' '));
    assert.throws(() => downloadWeight(dir, ['/%2e%2e/outside.js']), /not under/);
  } finally {
    fs.rmSync(dir, {recursive: true, force: true});
  }
});
