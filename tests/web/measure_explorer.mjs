// Measures the clip explorer (not a test: it prints numbers and judges nothing): its size, the
// time from navigation until its seven figures have drawn, and the script time of one drag step
// in headless Chromium. Run after building the page (scripts/web or scripts/test):
//   node tests/web/measure_explorer.mjs [drag steps, default 100]
//   RASTER=swiftshader node tests/web/measure_explorer.mjs
//   RULES='volume=zero-one&clamp&guard=4&u=0,0.5,1' node tests/web/measure_explorer.mjs
// (RULES: the drag under other clippers' rules, as the address names them)
//
// A drag step is one real mouse move of a held corner (a pixel to the right or left, so that every
// step changes the triangle and redraws all seven figures), with pass 2 chosen and stepped to its
// second edge, so that each step also draws that step's figure, its words and its descriptions.
// Then, where the page has practice, the script time of a Check and of Next edge.
// Its script time is what Chromium counts as script for the page (the ScriptDuration metric) from
// before the move to after it: the page's handler, the WebAssembly figure drawing and the image
// set-up. The images' own decoding and painting follow outside script.
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

import { chromium } from 'playwright-core';

import * as h from './harness.mjs';

// Debian's Chromium, headless, rastering on the CPU (as without a GPU): the explorer draws no
// WebGL, and Chromium's own raster draws its vector figures several times faster than
// SwiftShader's emulated GPU, which the demo's page needs. RASTER=swiftshader measures with that.
const launchBrowser = () => process.env.RASTER === 'swiftshader' ? h.launchBrowser()
  : chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
                      headless: true, args: ['--disable-gpu'] });

const steps = Number(process.argv[2] ?? 100);
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};

let total = 0, totalCompressed = 0;
for (const name of ['explore.html', 'explore.js', 'explore.wasm']) {
  const data = fs.readFileSync(path.join(h.webBuild, name));
  const compressed = zlib.gzipSync(data, { level: 9 }).length;
  total += data.length, totalCompressed += compressed;
  console.log(`size ${name.padEnd(13)} ${String(data.length).padStart(8)} bytes, ` +
              `${String(compressed).padStart(7)} gzipped`);
}
console.log(`size ${'all'.padEnd(13)} ${String(total).padStart(8)} bytes, ` +
            `${String(totalCompressed).padStart(7)} gzipped`);

const server = await h.serveFolder(h.webBuild);
const url = server.url.replace(/clipdemo\.html$/, 'explore.html');
const browser = await launchBrowser();
try {
  // First figures: navigation start to the moment all seven images have drawn, five loads.
  const firsts = [];
  for (let run = 0; run < 5; ++run) {
    const page = await browser.newPage({ viewport: { width: 1280, height: 900 } });
    await page.goto(url);
    const at = await page.waitForFunction(() => {
      const images = [...document.querySelectorAll('.figure img')];
      return images.length === 7 && images.every((image) => image.complete &&
                                                  image.naturalWidth > 0) && performance.now();
    }, null, { polling: 'raf', timeout: 30000 });
    firsts.push(await at.jsonValue());
    await page.close();
  }
  console.log(`first figures drawn ${median(firsts).toFixed(0)} ms after navigation started ` +
              `(median of 5 loads: ${firsts.map((t) => t.toFixed(0)).join(', ')})`);

  // The drag: corner 1 of the walkthrough's first triangle, held in the top view.
  const page = await browser.newPage({ viewport: { width: 1280, height: 900 } });
  const rules = process.env.RULES ? `&${process.env.RULES}` : '';
  await page.goto(`${url}#t=-0.1,-0.05,-0.6,0.05,0.06,-0.1,0.12,-0.08,-0.5${rules}`);
  await page.waitForFunction(() => document.querySelectorAll('.figure img').length === 7);
  // Pass 2 chosen and stepped once, where the page has stepping.
  if (await page.locator('#step-next').count()) {
    await page.click('#pass-select button:nth-child(3)');
    await page.click('#step-next');
  }
  await page.evaluate(() => {
    // The WebAssembly side's share: the time in explorerDraw (and explorerDrawStep), summed
    // until the measuring loop reads and clears it.
    window.wasmTime = 0;
    for (const name of ['_explorerDraw', '_explorerDrawStep']) {
      const call = Module[name];
      if (!call) continue;
      Module[name] = (...args) => {
        const start = performance.now();
        const result = call(...args);
        window.wasmTime += performance.now() - start;
        return result;
      };
    }
  });
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Performance.enable');
  const scriptSeconds = async () => (await cdp.send('Performance.getMetrics')).metrics
    .find((metric) => metric.name === 'ScriptDuration').value;
  const box = await page.locator('#top-view .handle[data-corner="1"]').boundingBox();
  const [x, y] = [box.x + box.width / 2, box.y + box.height / 2];
  await page.mouse.move(x, y);
  await page.mouse.down();
  const times = [], walls = [], draws = [];
  const fields = () => page.evaluate(
    () => [...document.querySelectorAll('#numbers input')].map((input) => input.value).join());
  let updates = 0, shown = await fields();
  for (let step = 0; step < steps; ++step) {
    const [before, start] = [await scriptSeconds(), Date.now()];
    await page.mouse.move(x + (step % 2 ? 0 : 1), y);
    times.push((await scriptSeconds() - before) * 1000);
    walls.push(Date.now() - start);
    draws.push(await page.evaluate(() => {
      const time = window.wasmTime;
      window.wasmTime = 0;
      return time;
    }));
    const now = await fields();
    updates += now !== shown ? 1 : 0;
    shown = now;
  }
  await page.mouse.up();
  if (rules) console.log(`rules: ${process.env.RULES}`);
  console.log(`drag: ${median(times).toFixed(2)} ms of script per step (median of ${steps} ` +
              `steps, ${updates} of which redrew the figures; slowest ` +
              `${Math.max(...times).toFixed(2)} ms), of which the figure library in ` +
              `WebAssembly ${median(draws).toFixed(2)} ms; a step every ${median(walls)} ms ` +
              `(the browser's own drawing of the new figures included)`);

  // Practice, where the page has it: a Check of a right answer (the verdict, its words, the
  // step shown) and Next edge (the next step drawn, hidden, and the next question with its
  // figure), each a click, pass 5 of the walkthrough's triangle behind the eye; back to edge 1
  // after its last edge, untimed.
  if (await page.locator('#practise').count()) {
    const text = '-0.2,-0.15,-0.6,0.2,-0.15,-0.6,0.4,0.35,0.3';
    await page.evaluate((t) => { location.hash = `#t=${t}&pass=5&practise`; }, text);
    await page.waitForFunction(() => location.hash.includes('&edge=1&practise'));
    const checks = [], nexts = [];
    const rounds = Math.max(10, Math.round(steps / 3));
    for (let round = 0; round < rounds; ++round) {
      const edge = await page.evaluate(() => {
        const walk = JSON.parse(document.getElementById('pass-5').dataset.edges);
        const at = Number(/edge=(\d+)/.exec(location.hash)[1]) - 1;
        return { ...walk[at], last: at === walk.length - 1 };
      });
      await page.check(`input[name="practice-case"][value="${edge.case}"]`);
      await page.fill('#practice-t', edge.t === null ? '' : edge.t.toFixed(4));
      let before = await scriptSeconds();
      await page.click('#practice-check');
      checks.push((await scriptSeconds() - before) * 1000);
      if (edge.last) {
        await page.evaluate((t) => { location.hash = `#t=${t}&pass=5&edge=1&practise`; }, text);
        await page.waitForFunction(() => document.getElementById('practice-feedback')
          .textContent === '');
        continue;
      }
      before = await scriptSeconds();
      await page.click('#practice-next');
      nexts.push((await scriptSeconds() - before) * 1000);
    }
    console.log(`practice: a Check ${median(checks).toFixed(2)} ms of script (median of ` +
                `${checks.length}, slowest ${Math.max(...checks).toFixed(2)} ms); the next ` +
                `edge's question ${median(nexts).toFixed(2)} ms (median of ${nexts.length}, ` +
                `slowest ${Math.max(...nexts).toFixed(2)} ms)`);
  }
} finally {
  await browser.close();
  await server.close();
}
