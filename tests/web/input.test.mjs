// The page's input as a user gives it: real mouse clicks and drags in a desktop-sized window,
// real touches (through the browser's own input pipeline) on a phone-sized touch screen, keys
// and the on-screen buttons; judged by the canvas, the state line and the console.
import assert from 'node:assert/strict';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';

import * as h from './harness.mjs';

// The state line as it reads at the end of the next frame: the page's own animation frame
// callback, asked for now, runs after the program's display, which was asked for a frame before.
const stateAfterNextFrame = (page) => page.evaluate(() => new Promise((resolve) => {
  requestAnimationFrame(() => resolve(document.getElementById('state').textContent));
}));

// A drag turns the observer camera: in the empty scene it moves the outline and the axes.
const turned = (before, after) => h.changedPixels(before, after) > 500;

describe('Mouse, keys and buttons on the desktop (a mesh of 0 triangles)', { timeout: 120_000 },
         () => {
  let browser, server, session, page;
  const take = () => h.canvasPicture(page);

  before(async () => {
    server = await h.serveFolder(path.join(h.webBuild, 'test-pages/empty'));
    browser = await h.launchBrowser();
    // A laptop with a touch screen: mouse and finger on the one page.
    session = await h.openPage(browser, server.url, { hasTouch: true });
    page = session.page;
    await h.waitForOutput(session, /^Reading in teapot\.tri \(0 triangles\)\. \. \.$/);
  });

  after(async () => {
    await browser?.close();
    await server?.close();
  });

  test('a press reaches the program only on the canvas, its release wherever it is, or the ' +
       'window\'s losing the focus, or the page\'s being hidden', async () => {
    const box = await page.locator('#canvas').boundingBox();
    const heading = await page.locator('h1').boundingBox();
    const onHeading = [heading.x + 20, heading.y + heading.height / 2];
    let picture = await h.settledPicture(take);

    // A click on the heading, then a drag on the canvas.
    await page.mouse.click(...onHeading);
    await h.dragOnCanvas(page, [100, 128], [164, 160]);
    let next = await h.settledPicture(take);
    assert.ok(turned(picture, next), 'a drag after a click beside the canvas turns the view');
    picture = next;

    // A press on the heading released on the canvas, then a drag.
    await page.mouse.move(...onHeading);
    await page.mouse.down();
    await page.mouse.move(box.x + 128, box.y + 128, { steps: 8 });
    await page.mouse.up();
    await h.dragOnCanvas(page, [164, 160], [100, 128]);
    next = await h.settledPicture(take);
    assert.ok(turned(picture, next), 'a drag after a press beside the canvas turns the view');
    picture = next;

    // A drag from the canvas released on the heading ends there: moving over the canvas
    // afterwards turns nothing, the next drag does.
    await h.dragOnCanvas(page, [128, 128], [128, Math.round(onHeading[1] - box.y)]);
    picture = await h.settledPicture(take);
    await page.mouse.move(box.x + 30, box.y + 30, { steps: 20 });
    await page.mouse.move(box.x + 220, box.y + 220, { steps: 20 });
    await page.mouse.wheel(0, 100);  // the wheel over the canvas changes nothing either
    assert.ok(h.samePicture(picture, await h.settledPicture(take)),
              'no turn without a button held');
    await h.dragOnCanvas(page, [100, 128], [164, 160]);
    assert.ok(turned(picture, await h.settledPicture(take)), 'the next drag turns the view');

    // A press on the canvas released in another window, unseen by the page: the window's losing
    // the focus, the page's being hidden (another tab in front) or a motion without the button
    // lets go; the pointer's moves with the button still down turn nothing then, and a late
    // release changes nothing.
    const cdp = await page.context().newCDPSession(page);
    const mouse = (type, [x, y], buttons) => cdp.send('Input.dispatchMouseEvent',
      { type, x: box.x + x, y: box.y + y, button: 'left', buttons, clickCount: 1 });
    // Hidden as the browser says it when another tab comes to the front (headless Chromium keeps
    // every tab visible), and shown again.
    const setHidden = (hidden) => page.evaluate((hidden) => {
      if (hidden) {
        Object.defineProperty(document, 'hidden', { configurable: true, get: () => true });
        Object.defineProperty(document, 'visibilityState', { configurable: true,
                                                             get: () => 'hidden' });
      } else {
        delete document.hidden;
        delete document.visibilityState;
      }
      document.dispatchEvent(new Event('visibilitychange'));
    }, hidden);
    for (const [how, letGo, comeBack] of [
      ['blur', () => page.evaluate(() => window.dispatchEvent(new Event('blur'))),
       () => page.evaluate(() => window.dispatchEvent(new Event('focus')))],
      ['hidden', () => setHidden(true), () => setHidden(false)],
      ['motion', () => page.mouse.move(box.x + 40, box.y + 40), async () => {}]]) {
      picture = await h.settledPicture(take);
      await mouse('mousePressed', [128, 128], 1);
      await letGo();
      for (let i = 1; i <= 20; ++i) await mouse('mouseMoved', [128 - 5 * i, 128 - 5 * i], 1);
      await comeBack();
      await page.mouse.move(box.x + 30, box.y + 30, { steps: 20 });
      await mouse('mouseReleased', [28, 28], 0);
      await page.mouse.move(box.x + 220, box.y + 220, { steps: 20 });
      assert.ok(h.samePicture(picture, await h.settledPicture(take)), `${how}: no turn`);
      for (let i = 0; i < 4; ++i) await page.keyboard.press('ArrowRight');
      next = await h.settledPicture(take);
      assert.ok(turned(picture, next), `${how}: the arrow keys turn the view`);
      await h.dragOnCanvas(page, [100, 128], [164, 160]);
      assert.ok(turned(next, await h.settledPicture(take)), `${how}: a drag turns the view`);
    }
  });

  test('the state line follows Space and backslash from the keyboard and the buttons; ' +
       'keys belong to the focused button', async () => {
    const button = (name) => page.getByRole('button', { name });
    assert.equal(await stateAfterNextFrame(page), 'world view');
    await page.keyboard.press('Space');
    assert.equal(await stateAfterNextFrame(page), 'clip-space view');
    await page.keyboard.press('Backslash');
    assert.equal(await stateAfterNextFrame(page), 'clip-space view, stopped');
    await button('Switch view (Space)').click();
    assert.equal(await stateAfterNextFrame(page), 'world view, stopped');
    await button('Stop / resume (backslash)').click();
    assert.equal(await stateAfterNextFrame(page), 'world view');
    await page.keyboard.press('Space');  // the clicked button gave the keys back to the program
    assert.equal(await stateAfterNextFrame(page), 'clip-space view');

    // Tab moves through the buttons, unseen by the program; Enter and Space press the focused
    // one and reach the program only through it.
    const focused = () => page.evaluate(() => document.activeElement.textContent);
    for (let i = 0; i < 10 && (await focused()) !== 'Switch view (Space)'; ++i) {
      await page.keyboard.press('Tab');
    }
    assert.equal(await focused(), 'Switch view (Space)');
    assert.equal(await stateAfterNextFrame(page), 'clip-space view');
    await page.keyboard.press('Enter');
    assert.equal(await stateAfterNextFrame(page), 'world view');
    await page.keyboard.press('Tab');
    await page.keyboard.press('Space');
    assert.equal(await stateAfterNextFrame(page), 'world view, stopped');
    await page.keyboard.press('Backslash');
    assert.equal(await stateAfterNextFrame(page), 'world view, stopped');
    // A press on the canvas gives the keys back to the program.
    await h.dragOnCanvas(page, [128, 128], [128, 128]);
    await page.keyboard.press('Backslash');
    assert.equal(await stateAfterNextFrame(page), 'world view');
  });

  // A drag back by whole pixels undoes the keys' turn exactly (each press is an 8-pixel drag,
  // 5.625 degrees, and all the sums are exact in float): the picture is the one before, bit for bit.
  test('Tab reaches the canvas, whose arrow keys turn the camera as a drag does; Tab leaves it',
       async () => {
    const canvas = page.getByRole('application', { name: 'The clipping demo' });
    const canvasFocused = () => canvas.evaluate((element) => element === document.activeElement);
    await page.evaluate(() => document.activeElement.blur());
    for (let i = 0; i < 10 && !(await canvasFocused()); ++i) await page.keyboard.press('Tab');
    assert.ok(await canvasFocused(), 'Tab reaches the canvas');
    const start = await h.settledPicture(take);
    // The camera's angles as the canvas's description gives them: [about y, about x], degrees.
    const angles = async () => (await page.locator('#description').textContent()).match(
      /turned (-?[\d.]+)° about the vertical axis and (-?[\d.]+)° about the horizontal/)
      .slice(1).map(Number);
    const startAngles = await angles();

    for (const [keys, sign, back] of [[['ArrowRight', 'ArrowDown'], 1, [[164, 160], [100, 128]]],
                                      [['ArrowLeft', 'ArrowUp'], -1, [[100, 128], [164, 160]]]]) {
      for (let i = 0; i < 8; ++i) await page.keyboard.press(keys[0]);
      for (let i = 0; i < 4; ++i) await page.keyboard.press(keys[1]);
      assert.ok(turned(start, await h.settledPicture(take)), `${keys} turn the view`);
      const [y, x] = await angles();
      assert.ok(Math.abs(y - startAngles[0] - sign * 45) < 0.002 &&
                Math.abs(x - startAngles[1] - sign * 22.5) < 0.002,
                `${keys}: the description says ${y}°, ${x}° after ${startAngles}`);
      await h.dragOnCanvas(page, ...back);
      assert.ok(h.samePicture(start, await h.settledPicture(take)),
                `a drag of 64 and 32 pixels undoes ${keys}`);
    }

    // While the mouse holds the button, the keys turn nothing.
    const box = await page.locator('#canvas').boundingBox();
    await page.mouse.move(box.x + 128, box.y + 128);
    await page.mouse.down();
    for (let i = 0; i < 4; ++i) await page.keyboard.press('ArrowRight');
    await page.mouse.up();
    assert.ok(h.samePicture(start, await h.settledPicture(take)), 'no key turn during a drag');

    // Space keeps its meaning on the focused canvas; Tab moves on to the buttons.
    assert.ok(await canvasFocused(), 'the press gave the canvas the focus');
    await page.keyboard.press('Space');
    assert.equal(await stateAfterNextFrame(page), 'clip-space view');
    await page.keyboard.press('Space');
    await page.keyboard.press('Tab');
    assert.equal(await page.evaluate(() => document.activeElement.textContent),
                 'Switch view (Space)');
  });

  // The program toggles its drag on every left-button event: one unmatched press or release
  // would invert it, and every later drag would stop turning the view.
  test('the source that holds the button keeps it: a finger against the mouse and the keys, ' +
       'the mouse against a finger, a finger across the window\'s losing the focus; drags turn ' +
       'the view afterwards', async () => {
    const touch = await touchScreen(page);
    const heading = await page.locator('h1').boundingBox();
    const box = await page.locator('#canvas').boundingBox();
    const fingerStroke = async (from) => {
      for (let i = 1; i <= 10; ++i) await touch.move([from[0] - 8 * i, from[1] + 6 * i]);
    };
    const sequences = [
      ['a finger, then the mouse and the keys', async () => {
        await touch.start([128, 128]);
        await page.keyboard.press('ArrowRight');  // the touch gave the canvas the focus
        await page.mouse.move(box.x + 40, box.y + 40);
        await page.mouse.move(box.x + 220, box.y + 200, { steps: 20 });
        await page.mouse.click(heading.x + 20, heading.y + heading.height / 2);
        await touch.end();
      }],
      ['the mouse holding still, then a finger', async () => {
        await page.mouse.move(box.x + 128, box.y + 128);
        await page.mouse.down();
        await touch.start([200, 60]);
        await fingerStroke([200, 60]);
        await touch.end();
        await page.mouse.up();
      }],
      ['a finger across the window\'s losing the focus', async () => {
        await touch.start([200, 60]);
        await page.evaluate(() => window.dispatchEvent(new Event('blur')));
        await fingerStroke([200, 60]);
        await touch.end();
      }],
    ];
    for (const [what, sequence] of sequences) {
      const picture = await h.settledPicture(take);
      await sequence();
      assert.ok(h.samePicture(picture, await h.settledPicture(take)),
                `${what}: nothing turned meanwhile`);
      await h.dragOnCanvas(page, [100, 128], [164, 160]);
      assert.ok(turned(picture, await h.settledPicture(take)),
                `${what}: a mouse drag turns the view`);
    }
  });

  test('reports no console error, page error or failed request', () => {
    assert.deepEqual(session.problems, []);
  });
});

// Touches through Chromium's input pipeline (as a touch screen delivers them, so that the
// browser scrolls and zooms for them unless the page prevents it). Points are canvas pixels
// [x, y] or [x, y, id].
async function touchScreen(page) {
  const cdp = await page.context().newCDPSession(page);
  const box = await page.locator('#canvas').boundingBox();
  const send = (type, points = []) => cdp.send('Input.dispatchTouchEvent', {
    type,
    touchPoints: points.map(([x, y, id = 0]) => ({ x: box.x + x + 0.5, y: box.y + y + 0.5, id })),
  });
  const screen = {
    // The fingers now on the screen: each new id touches down, each missing one lifts.
    start: (...points) => send('touchStart', points),
    move: (...points) => send('touchMove', points),
    end: () => send('touchEnd'),
    cancel: () => send('touchCancel'),
    // One finger, id from[2] (0 unless given), from one point to another.
    async drag(from, to) {
      await screen.start(from);
      for (let i = 1; i <= 16; ++i) {
        await screen.move([from[0] + ((to[0] - from[0]) * i) / 16,
                           from[1] + ((to[1] - from[1]) * i) / 16, from[2]]);
      }
      await screen.end();
    },
  };
  return screen;
}

describe('The teapot on a phone-sized touch screen', { timeout: 180_000 }, () => {
  let browser, server, session, page, touch;
  const take = () => h.canvasPicture(page);
  const tapButton = (name) => page.getByRole('button', { name }).tap();

  before(async () => {
    server = await h.serveFolder(h.webBuild);
    browser = await h.launchBrowser();
    session = await h.openPage(browser, server.url, h.phone);
    page = session.page;
    await h.waitForOutput(session, /^Reading in teapot\.tri \([1-9]\d* triangles\)\. \. \.$/);
    await h.waitForPicture(take, (picture) => h.countPixels(picture, h.isMesh) > 100);
    touch = await touchScreen(page);
  });

  after(async () => {
    await browser?.close();
    await server?.close();
  });

  test('the buttons stop, switch the view and resume as the keys do', async () => {
    h.checkMesh(await take(), 'world view', 5);
    await tapButton('Stop / resume (backslash)');
    await h.sleep(300);
    const frozen = await take();
    await h.sleep(1000);
    assert.ok(h.samePicture(frozen, await take()), 'the picture stands still');

    await tapButton('Switch view (Space)');
    await h.sleep(300);
    const clipSpace = await take();
    h.checkMesh(clipSpace, 'clip-space view', 1);
    assert.equal(h.countPixels(clipSpace, h.isRed), 0, 'no axes in the clip-space view');
    await tapButton('Switch view (Space)');
    await h.sleep(300);
    assert.ok(h.samePicture(frozen, await take()), 'the same world view again');

    await tapButton('Stop / resume (backslash)');
    await h.sleep(300);
    const moving = await take();
    await h.sleep(1000);
    assert.ok(!h.samePicture(moving, await take()), 'the animation runs again');
    await tapButton('Stop / resume (backslash)');
  });

  test('one finger turns the view without scrolling or zooming the page; a second finger ' +
       'and a cancelled touch leave the drag as it should be', async () => {
    // Room to scroll, so that a scroll would show.
    await page.evaluate(() => { document.body.style.paddingBottom = '2000px'; });
    await h.sleep(300);
    let picture = await take();
    const moved = async () => {
      await h.sleep(300);
      const next = await take();
      const result = h.changedPixels(picture, next) > 300;
      picture = next;
      return result;
    };

    await touch.drag([128, 40], [128, 220]);
    assert.ok(await moved(), 'a one-finger drag turns the view');
    assert.deepEqual(await page.evaluate(() => [scrollY, visualViewport.scale]), [0, 1],
                     'the page neither scrolled nor zoomed');

    // Two fingers: the first keeps turning the view, the second neither turns it nor zooms.
    await touch.start([60, 128, 1]);
    await touch.start([60, 128, 1], [200, 128, 2]);
    for (let y = 128; y <= 200; y += 8) await touch.move([60, y, 1], [200, 128, 2]);
    assert.ok(await moved(), 'the first finger turns the view with a second one down');
    for (let x = 200; x <= 250; x += 5) await touch.move([60, 200, 1], [x, 40, 2]);
    assert.ok(!(await moved()), 'the second finger does not turn the view');
    await touch.move([60, 200, 1]);  // the second finger lifts
    for (let y = 200; y >= 120; y -= 8) await touch.move([60, y, 1]);
    assert.ok(await moved(), 'the first finger still turns the view');
    await touch.end();
    assert.equal(await page.evaluate(() => visualViewport.scale), 1, 'no zoom');

    // A cancelled touch ends the drag: the next one turns the view again.
    await touch.start([128, 128]);
    await touch.move([150, 140]);
    await touch.cancel();
    await moved();
    await touch.drag([40, 128, 7], [220, 128]);  // another finger: the cancelled one is gone
    assert.ok(await moved(), 'a drag after a cancelled touch turns the view');

    // The rest of the page still scrolls under a finger: the check above could have failed.
    const text = await page.locator('table').boundingBox();
    const box = await page.locator('#canvas').boundingBox();
    const onText = (y) => [text.x + 20 - box.x, y - box.y];
    await touch.drag(onText(text.y + 10), onText(text.y - 300));
    await h.sleep(500);
    assert.ok(await page.evaluate(() => scrollY) > 0, 'a swipe on the text scrolls the page');
    await page.evaluate(() => { scrollTo(0, 0); document.body.style.paddingBottom = ''; });
  });

  test('the end button ends the program as Escape does', async () => {
    await tapButton('End (Esc)');
    await h.sleep(300);
    const last = await take();
    await h.sleep(1000);
    assert.ok(h.samePicture(last, await take()), 'no frame after the end');
    assert.match(await page.locator('#status').textContent(), /ended \(exit status 0\)/);
    assert.ok(await page.getByRole('button', { name: 'Switch view (Space)' }).isDisabled(),
              'the buttons are disabled');
  });

  test('reports no console error, page error or failed request over the whole run', () => {
    assert.deepEqual(session.problems, []);
  });
});
