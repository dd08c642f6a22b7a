// Makes the picture of the explorer's practice (not a test): the page in headless Chromium, 1280
// by 800 pixels, practising the near pass of the walkthrough's triangle that reaches behind the
// eye, at its first edge that crosses the plane, answered with t measured from Q, so that the
// feedback names that mistake.
//   node tests/web/screenshot_practice.mjs docs/practice.png
import { chromium } from 'playwright-core';

import * as h from './harness.mjs';

const output = process.argv[2] ?? 'practice.png';
const server = await h.serveFolder(h.webBuild);
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
                                        headless: true, args: ['--disable-gpu'] });
try {
  const page = await browser.newPage({ viewport: { width: 1280, height: 800 } });
  const explore = server.url.replace(/clipdemo\.html$/, 'explore.html');
  const triangle = '-0.2,-0.15,-0.6,0.2,-0.15,-0.6,0.4,0.35,0.3';
  await page.goto(`${explore}#t=${triangle}&pass=5&practise`);
  await page.waitForFunction(() => !document.getElementById('practice').hidden &&
                                   document.getElementById('pass-5').dataset.edges);
  // The first edge that crosses the plane, as the page's own walk says.
  const walk = await page.evaluate(() => JSON.parse(document.getElementById('pass-5').dataset.edges));
  const edge = walk.findIndex((record) => record.t !== null);
  await page.evaluate((hash) => { location.hash = hash; },
                      `#t=${triangle}&pass=5&edge=${edge + 1}&practise`);
  await page.waitForFunction((wanted) => document.getElementById('practice-position').textContent
    .startsWith(wanted), `Edge ${edge + 1} `);
  await page.check(`input[name="practice-case"][value="${walk[edge].case}"]`);
  await page.fill('#practice-t', (1 - walk[edge].t).toFixed(2));
  await page.click('#practice-check');
  await page.waitForFunction(() => {
    const image = document.getElementById('practice-figure');
    return image.complete && image.naturalWidth > 0;
  });
  await page.mouse.move(0, 0);
  // The question's values and its answer's feedback in sight.
  await page.evaluate(() => {
    document.getElementById('passes').scrollTop =
      document.getElementById('practice-form').offsetTop - 380;
  });
  await page.screenshot({ path: output });
  console.log(`wrote ${output}`);
} finally {
  await browser.close();
  await server.close();
}
