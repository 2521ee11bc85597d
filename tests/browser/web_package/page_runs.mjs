// A program's page, served as a static host serves it, opened in Chromium:
// the graphics window shows a picture of more than one colour, the picture
// keeps changing while the program animates, the program has not ended, and
// the page reports no error and misses no file.
//
//   node page_runs.mjs <folder> <page.html>
import path from 'node:path';
import {launch} from '../chromium.mjs';
import {serve} from '../../../tools/web/serve.mjs';

const [folder, pageName] = process.argv.slice(2);
if (!folder || !pageName) {
  console.error('usage: node page_runs.mjs <folder> <page.html>');
  process.exit(2);
}

// The graphics window's pixels, summed up: how many colours, and a digest
// that changes when any pixel does.
function picture() {
  const canvas = document.getElementById('velko-graphics');
  if (!canvas || !canvas.width || !canvas.height) return null;
  const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
  const pixels = new Uint32Array(data.buffer);
  const colours = new Set();
  let digest = 0;
  for (let i = 0; i < pixels.length; ++i) {
    colours.add(pixels[i]);
    digest = (Math.imul(digest, 31) + pixels[i]) | 0;
  }
  return {colours: colours.size, digest, ended: document.body.classList.contains('velko-ended')};
}

async function waitFor(page, test, ms) {
  const until = Date.now() + ms;
  for (;;) {
    const seen = await page.evaluate(picture);
    if ((seen && test(seen)) || Date.now() > until) return seen;
    await new Promise(resolve => setTimeout(resolve, 100));
  }
}

const problems = [];
const server = await serve(path.resolve(folder), 0);
const browser = await launch();
try {
  const page = await browser.newPage();
  page.on('pageerror', error => problems.push(`page error: ${error.message}`));
  page.on('console', message => {
    if (message.type() === 'error') problems.push(`console error: ${message.text()}`);
  });
  page.on('requestfailed', request => problems.push(`request failed: ${request.url()}`));
  page.on('response', response => {
    if (response.status() >= 400) problems.push(`${response.status()} for ${response.url()}`);
  });
  const {port} = server.address();
  const started = Date.now();
  await page.goto(`http://127.0.0.1:${port}/${pageName}`, {waitUntil: 'load'});

  const first = await waitFor(page, seen => seen.colours > 1, 20000);
  if (!first) throw new Error('the page has no graphics window (canvas#velko-graphics)');
  if (first.colours < 2) throw new Error('the graphics window shows one colour only');
  const shown = Date.now() - started;
  // The program animates: on its ticks the picture keeps changing.
  const pictures = new Set([first.digest]);
  const later = await waitFor(page, seen => pictures.add(seen.digest).size > 3 || seen.ended, 10000);
  if (pictures.size <= 3) {
    throw new Error(`the picture changed ${pictures.size - 1} times in 10 s while it animates`);
  }
  if (later.ended) {
    const text = await page.$eval('#velko-ended-text', node => node.textContent);
    throw new Error(`the program ended: ${text}`);
  }
  if (problems.length) throw new Error('the page reported problems');
  console.log(`${pageName}: a picture of ${first.colours} colours after ${shown} ms, ` +
              `then ${pictures.size - 1} others in ${Date.now() - started - shown} ms`);
} catch (error) {
  console.error([`${pageName}: ${error.message}`, ...problems].join('\n'));
  process.exitCode = 1;
} finally {
  await browser.close();
  server.close();
}
