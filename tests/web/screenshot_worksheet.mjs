// Makes the picture of a worksheet (not a test): the answer key of seed 1's first two
// exercises for ClipNear, in headless Chromium at 820 by 1100 pixels, its first exercise in sight.
//   node tests/web/screenshot_worksheet.mjs docs/worksheet.png
import { chromium } from 'playwright-core';

import * as h from './harness.mjs';

const output = process.argv[2] ?? 'worksheet.png';
const server = await h.serveFolder(h.webBuild);
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
                                        headless: true, args: ['--disable-gpu'] });
try {
  const page = await browser.newPage({ viewport: { width: 820, height: 1100 } });
  const worksheet = server.url.replace(/clipdemo\.html$/, 'worksheet.html');
  await page.goto(`${worksheet}#seed=1&pass=5&count=2&answers`);
  await page.waitForSelector('body[data-ready]');
  await page.waitForFunction(() => [...document.querySelectorAll('.exercise img')]
    .every((image) => image.complete && image.naturalWidth > 0));
  await page.evaluate(() => document.querySelector('.exercise').scrollIntoView());
  await page.screenshot({ path: output });
  console.log(`wrote ${output}`);
} finally {
  await browser.close();
  await server.close();
}
