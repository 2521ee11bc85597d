// The arithmetic of the browser's figures, apart from the browser: medians,
// the "name value" lines the timing program prints, the processor time of
// Chromium's processes from /proc, and what the page's files weigh gzipped.
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

export function median(values) {
  if (values.length === 0) return NaN;
  const sorted = [...values].sort((a, b) => a - b);
  const n = sorted.length;
  return n % 2 ? sorted[(n - 1) / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

// "redraw_us 171.58" lines into {redraw_us: 171.58}; other lines are left out.
export function parseFigures(text) {
  const figures = {};
  for (const line of text.split('\n')) {
    const match = /^([a-z_]+) (-?[0-9.]+)\s*$/.exec(line);
    if (match) figures[match[1]] = Number(match[2]);
  }
  return figures;
}

// One line of /proc/<pid>/stat: the parent and the processor time (user and
// system) in clock ticks. The command name, in parentheses, may hold spaces
// and parentheses of its own, so the fields are counted after the last ')'.
export function parseStat(line) {
  const close = line.lastIndexOf(')');
  if (close < 0) return null;
  // Fields from the third (state) on: state is [0], ppid [1], utime [11], stime [12].
  const fields = line.slice(close + 1).trim().split(/\s+/);
  if (fields.length < 13) return null;
  const ppid = Number(fields[1]);
  const utime = Number(fields[11]);
  const stime = Number(fields[12]);
  if (![ppid, utime, stime].every(Number.isSafeInteger)) return null;
  return {ppid, ticks: utime + stime};
}

// Chromium's kind of process, from its command line ("renderer", "gpu-process",
// "utility", "zygote"; "browser" for the one without a type). Renderers of
// the browser's own pages (its omnibox popup, even headless) and of its
// extensions are told apart from those of web pages, as "ui-renderer" and
// "extension-renderer". Chromium's children rewrite their command line as
// one string, arguments apart by spaces rather than NULs.
export function processKind(cmdline) {
  const args = cmdline.split(/[\0 ]/);
  const type = args.find(arg => arg.startsWith('--type='));
  if (!type) return 'browser';
  const kind = type.slice('--type='.length);
  if (kind === 'renderer' && args.includes('--top-chrome-webui')) return 'ui-renderer';
  if (kind === 'renderer' && args.includes('--extension-process')) return 'extension-renderer';
  return kind;
}

export function clockTicksPerSecond() {
  try {
    const ticks = Number(execFileSync('getconf', ['CLK_TCK'], {encoding: 'utf8'}).trim());
    if (ticks > 0) return ticks;
  } catch {
  }
  return 100;
}

// The process root and all its descendants now, each with its kind and its
// processor time in ticks. Processes that end while being read are left out.
export function processTree(root) {
  const all = new Map();
  for (const name of fs.readdirSync('/proc')) {
    if (!/^[0-9]+$/.test(name)) continue;
    try {
      const stat = parseStat(fs.readFileSync(`/proc/${name}/stat`, 'utf8'));
      if (stat) all.set(Number(name), stat);
    } catch {
    }
  }
  const tree = new Map();
  const wanted = [root];
  while (wanted.length) {
    const pid = wanted.pop();
    const stat = all.get(pid);
    if (!stat || tree.has(pid)) continue;
    let kind = 'browser';
    try {
      kind = processKind(fs.readFileSync(`/proc/${pid}/cmdline`, 'latin1'));
    } catch {
    }
    tree.set(pid, {kind, ticks: stat.ticks});
    for (const [child, s] of all) {
      if (s.ppid === pid) wanted.push(child);
    }
  }
  return tree;
}

// Processor time spent between two readings of processTree, as per cent of
// one core over seconds of wall time: the web pages' renderers' and all
// processes'. A
// process that started in between counts from zero; one that ended counts
// only to the first reading.
export function cpuShare(before, after, seconds, ticksPerSecond) {
  let renderer = 0;
  let all = 0;
  for (const [pid, now] of after) {
    const spent = now.ticks - (before.get(pid)?.ticks ?? 0);
    all += spent;
    if (now.kind === 'renderer') renderer += spent;
  }
  const percent = ticks => 100 * ticks / ticksPerSecond / seconds;
  return {renderer: percent(renderer), all: percent(all)};
}

export function gzipSize(bytes) {
  return zlib.gzipSync(bytes, {level: 9}).length;
}

// What the files a page fetched weigh gzipped (gzip -9), each counted once:
// by kind (the name's extension; "other" without one) and in all. Paths are
// those of the requests, under root.
export function downloadWeight(root, paths) {
  const byKind = {};
  let total = 0;
  const names = new Set(paths.map(p => decodeURIComponent(p.split(/[?#]/)[0])));
  const base = path.resolve(root);
  for (const name of names) {
    const file = path.join(base, name);
    if (!file.startsWith(base + path.sep)) throw new Error(`${name} is not under ${root}`);
    const bytes = gzipSize(fs.readFileSync(file));
    const kind = path.extname(file).slice(1) || 'other';
    byKind[kind] = (byKind[kind] ?? 0) + bytes;
    total += bytes;
  }
  return {byKind, total, files: names.size};
}
