// The first paint of a class report's index.html in Debian's headless
// Chromium, opened from the disk: the median of five loads with no cache,
// in ms from navigation to first-contentful-paint, as "name value" lines.
//   node bench/class_report_paint.mjs REPORT_FOLDER
import path from 'node:path';
import {launch} from '../tests/browser/chromium.mjs';

const index = 'file://' + path.resolve(process.argv[2], 'index.html');
const browser = await launch();
const paints = [];
try {
  for (let i = 0; i < 5; ++i) {
    const page = await browser.newPage();
    await page.setCacheEnabled(false);
    await page.goto(index, {waitUntil: 'load'});
    // The entry may come after 'load': wait for it (at most 10 s).
    paints.push(await page.evaluate(() => new Promise(resolve => {
      new PerformanceObserver(list => {
        const paint = list.getEntriesByName('first-contentful-paint')[0];
        if (paint)
          resolve(paint.startTime);
      }).observe({type: 'paint', buffered: true});
      setTimeout(() => resolve(10000), 10000);
    })));
    await page.close();
  }
} finally {
  await browser.close();
}
paints.sort((a, b) => a - b);
console.log(`class300_paint_ms ${paints[2].toFixed(0)}`);
console.log(`class300_paint_max_ms ${paints[4].toFixed(0)}`);
