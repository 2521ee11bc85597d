// The desktop side of the browser tests: the same scene drawn by the
// designer on the headless backend (web_native_scene), a script played by
// velko-check on the desktop program, and the pictures they leave, read
// into RGBA pixels and compared with the page's canvas.
import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import {layout} from './layout.mjs';

export const tools = {
  bin: process.env.VELKO_WEB_BIN,
  scene: process.env.VELKO_WEB_SCENE,
  checker: process.env.VELKO_WEB_CHECKER,
  cone: process.env.VELKO_WEB_CONE,
  artifacts: process.env.VELKO_WEB_ARTIFACTS,
};

export function requireTools() {
  for (const name of ['bin', 'scene', 'checker', 'cone'])
    assert.ok(tools[name], `VELKO_WEB_${name.toUpperCase()} must be set (ctest sets it)`);
}

export function tempDir(prefix = 'velko-web-') {
  return fs.mkdtempSync(path.join(os.tmpdir(), prefix));
}

// An 8-bit RGB or RGBA PNG without interlacing (what the runtime's PNG
// writer makes) as {width, height, rgba}.
export function readPng(file) {
  const data = fs.readFileSync(file);
  assert.equal(data.subarray(0, 8).toString('latin1'), '\x89PNG\r\n\x1a\n', `${file} is no PNG`);
  let width = 0, height = 0, channels = 0;
  const idat = [];
  for (let at = 8; at + 8 <= data.length;) {
    const length = data.readUInt32BE(at);
    const type = data.toString('latin1', at + 4, at + 8);
    const body = data.subarray(at + 8, at + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      const [depth, colour, , , interlace] = body.subarray(8, 13);
      assert.ok(depth === 8 && (colour === 2 || colour === 6) && interlace === 0,
                `${file}: only 8-bit RGB or RGBA without interlacing is read here`);
      channels = colour === 2 ? 3 : 4;
    } else if (type === 'IDAT') {
      idat.push(body);
    }
    at += 12 + length;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  assert.equal(raw.length, height * (stride + 1), `${file}: wrong amount of pixel data`);
  const rows = Buffer.alloc(height * stride);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    const out = rows.subarray(y * stride, (y + 1) * stride);
    const up = y > 0 ? rows.subarray((y - 1) * stride, y * stride) : Buffer.alloc(stride);
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? out[i - channels] : 0;
      const b = up[i];
      const c = i >= channels ? up[i - channels] : 0;
      let predicted = 0;
      if (filter === 1) predicted = a;
      else if (filter === 2) predicted = b;
      else if (filter === 3) predicted = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        predicted = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      } else assert.equal(filter, 0, `${file}: unknown row filter ${filter}`);
      out[i] = (line[i] + predicted) & 0xFF;
    }
  }
  const rgba = Buffer.alloc(width * height * 4, 0xFF);
  for (let i = 0; i < width * height; ++i) rows.copy(rgba, i * 4, i * channels, i * channels + 3);
  return {width, height, rgba};
}

// Where two pictures differ: the number of pixels, the first one and the
// box around them all (in client pixels and in runtime points).
export function difference(a, b) {
  if (a.width !== b.width || a.height !== b.height)
    return {count: a.width * a.height, why: `${a.width} x ${a.height} against ${b.width} x ${b.height}`};
  let count = 0, box = null, first = null;
  for (let y = 0; y < a.height; ++y) {
    for (let x = 0; x < a.width; ++x) {
      const i = (y * a.width + x) * 4;
      if (a.rgba[i] === b.rgba[i] && a.rgba[i + 1] === b.rgba[i + 1] && a.rgba[i + 2] === b.rgba[i + 2])
        continue;
      ++count;
      if (!first) first = {x, y, a: hex(a, i), b: hex(b, i)};
      box = box ? {x0: Math.min(box.x0, x), y0: Math.min(box.y0, y), x1: Math.max(box.x1, x),
                   y1: Math.max(box.y1, y)} : {x0: x, y0: y, x1: x, y1: y};
    }
  }
  if (!count) return {count};
  const point = (x, y) => `(${x - layout.CLIENT_ORIGIN_X}, ${layout.CLIENT_ORIGIN_Y - y})`;
  return {count, why: `${count} pixels differ, the first at client (${first.x}, ${first.y}) = ` +
                      `runtime ${point(first.x, first.y)}: ${first.a} against ${first.b}; ` +
                      `all within runtime ${point(box.x0, box.y0)} to ${point(box.x1, box.y1)}`};
}

function hex(picture, i) {
  return '#' + [0, 1, 2].map(k => picture.rgba[i + k].toString(16).padStart(2, '0')).join('');
}

// The designer's window on the headless backend after the actions ("X,Y"
// clicks, "^L" shortcuts), run in dir (which keeps its VELKO.SCR).
export function nativeScene(dir, actions) {
  const picture = path.join(dir, 'scene.png');
  execFileSync(tools.scene, [picture, ...actions], {cwd: dir, stdio: 'pipe'});
  return readPng(picture);
}

// The desktop program (velko-cone) playing the script under velko-check:
// what its window showed at the end, and the events it was given.
export function checkScript(dir, script) {
  const file = path.join(dir, 'played.scr');
  fs.writeFileSync(file, script, 'latin1');
  const out = path.join(dir, 'check');
  execFileSync(tools.checker, ['-s', file, '-o', out, tools.cone], {cwd: dir, stdio: 'pipe'});
  return {window: readPng(path.join(out, 'window.png')),
          events: fs.readFileSync(path.join(out, 'events.txt'), 'latin1')};
}
