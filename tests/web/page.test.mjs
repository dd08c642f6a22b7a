// The browser build as a user meets it: the page served over HTTP, in Debian's headless
// Chromium with software WebGL, driven with real key presses and mouse drags, and judged by
// what the canvas shows, what the page prints and what the console reports.
import assert from 'node:assert/strict';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';

import * as h from './harness.mjs';

// The same sequence on the native program and on the page: the world view, the clip-space view
// (Space), and the world view again after a left-button drag that turns the observer by 45
// degrees about y and 22.5 degrees about x.
const drag = [[100, 128], [164, 160]];

describe('A scene without animation (a mesh of 0 triangles)', { timeout: 180_000 }, () => {
  const native = {}, web = {};
  let browser, server, session;

  before(async () => {
    const program = await h.startNative('0\n');
    try {
      const take = async () => program.picture();
      native.world = await h.settledPicture(take);
      program.key('space');
      native.clipSpace = await h.settledPicture(take);
      program.key('space');
      await h.settledPicture(take);
      program.drag(...drag);
      native.dragged = await h.settledPicture(take);
    } finally {
      await program.stop();
    }

    server = await h.serveFolder(path.join(h.webBuild, 'test-pages/empty'));
    browser = await h.launchBrowser();
    session = await h.openPage(browser, server.url);
    await h.waitForOutput(session, /^Reading in teapot\.tri \(0 triangles\)\. \. \.$/);
    const take = () => h.canvasPicture(session.page);
    web.world = await h.settledPicture(take);
    await session.page.keyboard.press('Space');
    web.clipSpace = await h.settledPicture(take);
    await session.page.keyboard.press('Space');
    await h.settledPicture(take);
    await h.dragOnCanvas(session.page, ...drag);
    web.dragged = await h.settledPicture(take);
  });

  after(async () => {
    await browser?.close();
    await server?.close();
  });

  for (const [view, name] of [['world', 'the world view'], ['clipSpace', 'the clip-space view'],
                              ['dragged', 'the world view after a left-button drag']]) {
    test(`shows ${name} as the native program does`, (t) => {
      const result = h.comparePictures(native[view], web[view]);
      t.diagnostic(`${name}: of ${result.pixels} pixels ${result.identical} identical, ` +
                   `${result.oneStep} one colour step apart, ${result.shifted} on a line one ` +
                   `pixel aside, ${result.meeting} where two lines meet, ${result.unexplained} ` +
                   `otherwise different`);
      if (result.unexplained > 0) {
        h.savePng(native[view], path.join(h.webBuild, `${view}-native.png`));
        h.savePng(web[view], path.join(h.webBuild, `${view}-web.png`));
      }
      assert.equal(result.unexplained, 0, `pixels that differ: ${result.examples.join('; ')}`);
      assert.ok(h.countPixels(web[view], h.isGreen) > 200, 'the frustum outline is drawn');
    });
  }

  test('reports no console error, page error or failed request', () => {
    assert.deepEqual(session.problems, []);
  });
});

describe('The teapot', { timeout: 180_000 }, () => {
  let browser, server, session;
  const take = () => h.canvasPicture(session.page);

  before(async () => {
    server = await h.serveFolder(h.webBuild);
    browser = await h.launchBrowser();
    session = await h.openPage(browser, server.url);
    await h.waitForOutput(session, /^Reading in teapot\.tri \([1-9]\d* triangles\)\. \. \.$/);
    await h.waitForPicture(take, (picture) => h.countPixels(picture, h.isMesh) > 100);
  });

  after(async () => {
    await browser?.close();
    await server?.close();
  });

  test('is drawn lit, only inside the outline, in both views', async () => {
    for (let i = 0; i < 4; ++i) {
      h.checkMesh(await take(), 'world view', 5);
      await h.sleep(250);
    }
    await session.page.keyboard.press('Space');
    try {
      await h.sleep(300);
      for (let i = 0; i < 4; ++i) {
        const picture = await take();
        h.checkMesh(picture, 'clip-space view', 1);
        assert.equal(h.countPixels(picture, h.isRed), 0, 'no axes in the clip-space view');
        await h.sleep(250);
      }
    } finally {
      await session.page.keyboard.press('Space');
    }
  });

  test('freezes with backslash, switches views with Space and back, and resumes', async () => {
    await session.page.keyboard.press('Backslash');
    await h.sleep(300);
    const frozen = await take();
    await h.sleep(1000);
    assert.ok(h.samePicture(frozen, await take()), 'the picture stands still');

    await session.page.keyboard.press('Space');
    await h.sleep(300);
    const clipSpace = await take();
    assert.ok(!h.samePicture(clipSpace, frozen), 'Space shows the clip-space view');
    assert.equal(h.countPixels(clipSpace, h.isRed), 0, 'no axes in the clip-space view');
    await session.page.keyboard.press('Space');
    await h.sleep(300);
    assert.ok(h.samePicture(frozen, await take()), 'Space again shows the same world view');

    await session.page.keyboard.press('Backslash');
    await h.sleep(300);
    const moving = await take();
    await h.sleep(1000);
    assert.ok(!h.samePicture(moving, await take()), 'the animation runs again');
  });

  test('ends with Escape: no further frame, and keys do nothing any more; "Start again", ' +
       'focused within a second, brings the demo back', async () => {
    const page = session.page;
    await page.keyboard.press('Escape');
    const restart = page.getByRole('button', { name: 'Start again' });
    await restart.waitFor({ state: 'visible', timeout: 1000 });
    assert.ok(await restart.evaluate((button) => button === document.activeElement),
              'the focus is on "Start again"');
    await h.sleep(300);
    const last = await take();
    await h.sleep(1000);
    assert.ok(h.samePicture(last, await take()), 'no frame after Escape');
    await page.locator('h1').click();  // the keys away from "Start again", to the ended program
    await page.keyboard.press('Space');
    await h.sleep(300);
    assert.ok(h.samePicture(last, await take()), 'Space after Escape changes nothing');
    assert.match(await page.locator('#status').textContent(), /ended \(exit status 0\)/);

    session.output.length = 0;
    await restart.focus();
    await page.keyboard.press('Enter');
    await h.waitForOutput(session, /^Reading in teapot\.tri \([1-9]\d* triangles\)\. \. \.$/);
    const first = await h.waitForPicture(take, (picture) => h.countPixels(picture, h.isMesh) > 100);
    await h.sleep(500);
    assert.ok(!h.samePicture(first, await take()), 'the demo runs again');
  });

  test('reports no console error, page error or failed request', () => {
    assert.deepEqual(session.problems, []);
  });
});

describe('A page without teapot.tri', { timeout: 60_000 }, () => {
  let browser, server, session;

  before(async () => {
    server = await h.serveFolder(path.join(h.webBuild, 'test-pages/missing'));
    browser = await h.launchBrowser();
    session = await h.openPage(browser, server.url);
  });

  after(async () => {
    await browser?.close();
    await server?.close();
  });

  test('shows the program\'s error line and that it has ended', async () => {
    const error = 'ERROR: unable to open TriObj [teapot.tri]!';
    await h.waitForOutput(session, /^ERROR: /);
    assert.deepEqual(session.output, [error], 'the console');
    assert.equal((await session.page.locator('#output').textContent()).trim(), error, 'the page');
    assert.match(await session.page.locator('#status').textContent(), /ended \(exit status 1\)/);
    assert.deepEqual(session.problems, []);
  });
});
