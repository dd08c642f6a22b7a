// Makes the README's picture of the clip explorer (not a test): the page in headless Chromium,
// 1200 by 1000 pixels, showing the walkthrough's triangle that reaches behind the eye.
//   node tests/web/screenshot_explorer.mjs docs/explorer.png
import { chromium } from 'playwright-core';

import * as h from './harness.mjs';

const output = process.argv[2] ?? 'explorer.png';
const server = await h.serveFolder(h.webBuild);
const browser = await chromium.launch({ executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
                                        headless: true, args: ['--disable-gpu'] });
try {
  const page = await browser.newPage({ viewport: { width: 1200, height: 1000 } });
  await page.goto(server.url.replace(/clipdemo\.html$/, 'explore.html') +
                  '#t=-0.2,-0.15,-0.6,0.2,-0.15,-0.6,0.4,0.35,0.3');
  await page.waitForFunction(() => {
    const images = [...document.querySelectorAll('.figure img')];
    return images.length === 7 && images.every((image) => image.complete && image.naturalWidth);
  });
  await page.screenshot({ path: output });
  console.log(`wrote ${output}`);
} finally {
  await browser.close();
  await server.close();
}
