// Makes the README's picture of the page on a phone (not a test): the demo in headless Chromium on
// a 390 × 844 touch screen, its top part with the canvas and the buttons, once the teapot is drawn.
// Run after building the page (scripts/web or scripts/test):
//   node tests/web/phone-picture.mjs docs/phone.png
import * as h from './harness.mjs';

const file = process.argv[2] ?? 'phone.png';
const server = await h.serveFolder(h.webBuild);
const browser = await h.launchBrowser();
try {
  const session = await h.openPage(browser, server.url, h.phone);
  await h.waitForOutput(session, /^Reading in teapot\.tri/);
  await h.waitForPicture(() => h.canvasPicture(session.page),
                         (picture) => h.countPixels(picture, h.isMesh) > 1000);
  const controls = await session.page.locator('#controls').boundingBox();
  const height = Math.ceil(controls.y + controls.height + 16);
  await session.page.screenshot({ path: file, clip: { x: 0, y: 0, width: 390, height } });
  console.log(`${file}: 390 × ${height}`);
} finally {
  await browser.close();
  await server.close();
}
