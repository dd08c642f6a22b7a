// The browser build as a user meets it: the page served over HTTP, in Debian's headless
// Chromium with software WebGL, driven with real key presses and mouse drags, and judged by
// what the canvas shows, what the page prints and what the console reports.
import assert from 'node:assert/strict';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';

import * as h from './harness.mjs';

const green = [0, 255, 0], red = [255, 0, 0], blue = [0, 0, 255], black = [0, 0, 0];
const same = (a, b) => a.every((value, c) => value === b[c]);
const isGreen = (p) => same(p, green);
const isRed = (p) => same(p, red);
// Everything that is neither background nor one of the unlit lines is the mesh.
const isMesh = (p) => ![black, green, red, blue].some((colour) => same(p, colour));

// The same sequence on the native program and on the page: the world view, the clip-space view
// (Space), and the world view again after a left-button drag that turns the observer by 45
// degrees about y and 22.5 degrees about x.
const drag = [[100, 128], [164, 160]];

// A picture of the empty scene once it has stopped changing (it changes only with input).
async function settled(take) {
  let previous = await h.waitForPicture(take, (picture) => h.countPixels(picture, isGreen) > 0);
  for (;;) {
    await h.sleep(300);
    const picture = await take();
    if (h.samePicture(picture, previous)) return picture;
    previous = picture;
  }
}

describe('A scene without animation (a mesh of 0 triangles)', { timeout: 180_000 }, () => {
  const native = {}, web = {};
  let browser, server, session;

  before(async () => {
    const program = await h.startNative('0\n');
    try {
      const take = async () => program.picture();
      native.world = await settled(take);
      program.key('space');
      native.clipSpace = await settled(take);
      program.key('space');
      await settled(take);
      program.drag(...drag);
      native.dragged = await settled(take);
    } finally {
      await program.stop();
    }

    server = await h.serveFolder(path.join(h.webBuild, 'test-pages/empty'));
    browser = await h.launchBrowser();
    session = await h.openPage(browser, server.url);
    await h.waitForOutput(session, /^Reading in teapot\.tri \(0 triangles\)\. \. \.$/);
    const take = () => h.canvasPicture(session.page);
    web.world = await settled(take);
    await session.page.keyboard.press('Space');
    web.clipSpace = await settled(take);
    await session.page.keyboard.press('Space');
    await settled(take);
    await h.dragOnCanvas(session.page, ...drag);
    web.dragged = await settled(take);
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
      assert.ok(h.countPixels(web[view], isGreen) > 200, 'the frustum outline is drawn');
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
    await h.waitForPicture(take, (picture) => h.countPixels(picture, isMesh) > 100);
  });

  after(async () => {
    await browser?.close();
    await server?.close();
  });

  // The lit mesh lies inside the outline's on-screen region (within a pixel of the convex hull
  // of its green lines), in shades of its one colour (255, 128, 128): lit, not all that colour
  // itself. In the world view, where it faces the light, the shades vary over its surface.
  function checkMesh(picture, view, minimumShades) {
    const hull = h.convexHull(picture, isGreen);
    assert.ok(hull.length >= 4, `${view}: the outline is drawn`);
    let meshPixels = 0, worst = 0;
    const shades = new Set();
    for (let y = 0; y < picture.height; ++y)
      for (let x = 0; x < picture.width; ++x) {
        const p = h.pixel(picture, x, y);
        if (!isMesh(p)) continue;
        meshPixels += 1;
        worst = Math.max(worst, h.distanceOutside(hull, [x, y]));
        shades.add(p.join());
        assert.ok(p[1] === p[2] && p[0] >= p[1],
                  `${view}: (${x}, ${y}) is ${p}, not a shade of the mesh colour`);
      }
    assert.ok(meshPixels > 100, `${view}: the mesh is drawn (${meshPixels} pixels)`);
    assert.ok(worst <= 1,
              `${view}: the mesh reaches ${worst.toFixed(1)} pixels outside the outline`);
    assert.ok(!(shades.size === 1 && shades.has('255,128,128')), `${view}: the mesh is lit`);
    assert.ok(shades.size >= minimumShades, `${view}: ${shades.size} shades`);
  }

  test('is drawn lit, only inside the outline, in both views', async () => {
    for (let i = 0; i < 4; ++i) {
      checkMesh(await take(), 'world view', 5);
      await h.sleep(250);
    }
    await session.page.keyboard.press('Space');
    try {
      await h.sleep(300);
      for (let i = 0; i < 4; ++i) {
        const picture = await take();
        checkMesh(picture, 'clip-space view', 1);
        assert.equal(h.countPixels(picture, isRed), 0, 'no axes in the clip-space view');
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
    assert.equal(h.countPixels(clipSpace, isRed), 0, 'no axes in the clip-space view');
    await session.page.keyboard.press('Space');
    await h.sleep(300);
    assert.ok(h.samePicture(frozen, await take()), 'Space again shows the same world view');

    await session.page.keyboard.press('Backslash');
    await h.sleep(300);
    const moving = await take();
    await h.sleep(1000);
    assert.ok(!h.samePicture(moving, await take()), 'the animation runs again');
  });

  test('ends with Escape: no further frame, and keys do nothing any more', async () => {
    await session.page.keyboard.press('Escape');
    await h.sleep(300);
    const last = await take();
    await h.sleep(1000);
    assert.ok(h.samePicture(last, await take()), 'no frame after Escape');
    await session.page.keyboard.press('Space');
    await h.sleep(300);
    assert.ok(h.samePicture(last, await take()), 'Space after Escape changes nothing');
    assert.match(await session.page.locator('#status').textContent(), /ended \(exit status 0\)/);
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
