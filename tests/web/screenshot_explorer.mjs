// Makes the picture of the clip explorer (not a test): the page in headless Chromium, 1280 by 800
// pixels, showing the walkthrough's triangle that reaches behind the eye with its near pass
// chosen and stepped to the first edge that crosses the plane.
//   node tests/web/screenshot_explorer.mjs docs/explorer.png
import { chromium } from 'playwright-core';

import * as h from './harness.mjs';

const output = process.argv[2] ?? 'explorer.png';
const server = await h.serveFolder(h.webBuild);
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
                                        headless: true, args: ['--disable-gpu'] });
try {
  const page = await browser.newPage({ viewport: { width: 1280, height: 800 } });
  const address = server.url.replace(/clipdemo\.html$/, 'explore.html') +
                  '#t=-0.2,-0.15,-0.6,0.2,-0.15,-0.6,0.4,0.35,0.3&pass=5';
  await page.goto(address);
  await page.waitForFunction(() => document.querySelectorAll('.figure img').length === 7 &&
                                   document.getElementById('pass-5').dataset.edges);
  // The first edge that crosses the plane, as the page's own walk says.
  const edge = await page.evaluate(() => JSON.parse(document.getElementById('pass-5').dataset.edges)
    .findIndex((record) => record.case === 'in-out' || record.case === 'out-in'));
  await page.evaluate((hash) => { location.hash = hash; },
                      `${new URL(address).hash}&edge=${edge + 1}`);
  await page.waitForFunction((wanted) => document.getElementById('step-position').textContent
    .startsWith(wanted), `edge ${edge + 1} `);
  await page.waitForFunction(() => {
    const image = document.querySelector('#pass-5 img');
    return image.complete && image.naturalWidth > 0;
  });
  await page.mouse.move(0, 0);
  await page.evaluate(() => window.scrollTo(0, 0));
  await page.screenshot({ path: output });
  console.log(`wrote ${output}`);
} finally {
  await browser.close();
  await server.close();
}
