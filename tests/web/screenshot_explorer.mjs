// Makes the picture of the clip explorer (not a test): the page in headless Chromium, 1280 by 800
// pixels, showing the walkthrough's triangle that reaches behind the eye with its near pass
// chosen and stepped to the first edge that crosses the plane.
//   node tests/web/screenshot_explorer.mjs docs/explorer.png
// With --rules, the rules' controls and the label at a glance on a 390-pixel phone, under the
// mismatch, a guard band of 4 and u, with the first figure below them:
//   node tests/web/screenshot_explorer.mjs docs/explorer-rules.png --rules
import { chromium } from 'playwright-core';

import * as h from './harness.mjs';

const output = process.argv[2] ?? 'explorer.png';
const server = await h.serveFolder(h.webBuild);
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
                                        headless: true, args: ['--disable-gpu'] });
try {
  if (process.argv.includes('--rules')) {
    const page = await browser.newPage({ viewport: { width: 390, height: 844 },
                                         deviceScaleFactor: 2 });
    await page.goto(server.url.replace(/clipdemo\.html$/, 'explore.html') +
                    '#t=-0.1,-0.05,-0.6,0.05,0.06,-0.1,0.12,-0.08,-0.5&volume=mismatch&guard=4' +
                    '&u=0,0.5,1');
    await page.waitForFunction(() => {
      const image = document.querySelector('#pass-1 img');
      return image && image.complete && image.naturalWidth > 0;
    });
    const top = await page.locator('section[aria-labelledby="rules-title"]').boundingBox();
    const figure = await page.locator('#pass-1').boundingBox();
    await page.screenshot({ path: output, fullPage: true,
                            clip: { x: 0, y: top.y - 8, width: 390,
                                    height: figure.y + 260 - (top.y - 8) } });
    console.log(`wrote ${output}`);
  } else {
    const page = await browser.newPage({ viewport: { width: 1280, height: 800 } });
    const address = server.url.replace(/clipdemo\.html$/, 'explore.html') +
                    '#t=-0.2,-0.15,-0.6,0.2,-0.15,-0.6,0.4,0.35,0.3&pass=5';
    await page.goto(address);
    await page.waitForFunction(() => document.querySelectorAll('.figure img').length === 7 &&
                                     document.getElementById('pass-5').dataset.edges);
    // The first edge that crosses the plane, as the page's own walk says.
    const edge = await page.evaluate(() => JSON.parse(
      document.getElementById('pass-5').dataset.edges)
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
  }
} finally {
  await browser.close();
  await server.close();
}
