// Measures the page (not a test: it prints numbers and judges nothing): its size and the one-file
// demo's, the time from navigation to the first frame, and the frames of the teapot in headless
// Chromium with software WebGL, in both views. Run after building the page (scripts/web or
// scripts/test):
//   node tests/web/measure.mjs [seconds per view, default 5]
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

import * as h from './harness.mjs';

const seconds = Number(process.argv[2] ?? 5);

const printSize = (name, bytes, compressed) => {
  console.log(`size ${name.padEnd(20)} ${String(bytes).padStart(8)} bytes, ` +
              `${String(compressed).padStart(7)} gzipped`);
};
let total = 0, totalCompressed = 0;
for (const name of ['clipdemo.html', 'clipdemo.js', 'clipdemo.wasm', 'clipdemo.data',
                    'clipdemo-single.html']) {
  const data = fs.readFileSync(path.join(h.webBuild, name));
  const compressed = zlib.gzipSync(data, { level: 9 }).length;
  if (name === 'clipdemo-single.html') printSize('the page: all', total, totalCompressed);
  else total += data.length, totalCompressed += compressed;
  printSize(name, data.length, compressed);
}

// Every animation-frame callback's start and end on the page's clock (milliseconds since the
// navigation started). The program's only ones are GLUT's display requests: one per frame.
const recordFrames = () => {
  window.frameTimes = [];
  const request = window.requestAnimationFrame.bind(window);
  window.requestAnimationFrame = (callback) => request((time) => {
    const start = performance.now();
    callback(time);
    window.frameTimes.push([start, performance.now()]);
  });
};

const server = await h.serveFolder(h.webBuild);
const browser = await h.launchBrowser();
try {
  const page = await browser.newPage();
  await page.addInitScript(recordFrames);
  await page.goto(server.url);
  await page.waitForFunction(() => window.frameTimes.length > 0, null, { timeout: 30000 });
  const first = await page.evaluate(() => window.frameTimes[0][1]);
  console.log(`first frame drawn ${first.toFixed(0)} ms after navigation started`);
  for (const view of ['world view', 'clip-space view']) {
    if (view === 'clip-space view') await page.keyboard.press('Space');
    await h.sleep(500);
    const from = await page.evaluate(() => window.frameTimes.length);
    await h.sleep(seconds * 1000);
    const frames = await page.evaluate((n) => window.frameTimes.slice(n), from);
    const span = (frames[frames.length - 1][0] - frames[0][0]) / 1000;
    const busy = frames.reduce((sum, [start, end]) => sum + end - start, 0) / frames.length;
    console.log(`${view}: ${((frames.length - 1) / span).toFixed(1)} frames per second, ` +
                `${busy.toFixed(2)} ms of script per frame (the program's onDisplay and the ` +
                `GL emulation), over ${frames.length} frames`);
  }
} finally {
  await browser.close();
  await server.close();
}
