// The clip explorer (explore.html) as a user meets it: served over HTTP in Debian's headless
// Chromium, driven by its address, real mouse and touch drags and clicks, and judged against the
// native build: every figure must be the bytes clipfigs --triangle writes (the committed
// docs/figures for the walkthrough's triangles), every data-vertices the bits the native
// clipper gives after that pass and every data-edges the walk its clipEdge decides
// (tests/clip_pass_bits). Then as a user without a pointer or without sight meets it, and on a
// phone: keys alone, the accessibility tree, axe-core, text sizes and scrolling.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';

import { assertNoAxeViolations } from './axe.mjs';
import { checkAgainstNative, committedFigures, containers, imageUrls, launchBrowser, nativeEdges,
         nativeFigures, shown, strained, updated, walkthrough } from './explorer_harness.mjs';
import * as h from './harness.mjs';

describe('The clip explorer', { timeout: 300_000 }, () => {
  let browser, server, url;

  before(async () => {
    server = await h.serveFolder(h.webBuild);
    url = server.url.replace(/clipdemo\.html$/, 'explore.html');
    browser = await launchBrowser();
  });

  after(async () => {
    await browser?.close();
    await server?.close();
  });

  test('draws the native figures and clipper bits for the walkthrough\'s and twelve strained ' +
       'triangles, from a loaded address and from a changed one', async () => {
    const triangles = [
      ...walkthrough.map(({ stem, text }) => ({ text, expected: committedFigures(stem),
                                                what: `walkthrough ${stem}` })),
      ...strained.map((text) => ({ text, expected: nativeFigures(text), what: text })),
    ];
    // Wide enough for the print layout, the walkthrough's.
    const session = await h.openPage(browser, `${url}#t=${triangles[0].text}`,
                                     { viewport: { width: 1280, height: 800 } });
    try {
      let state = await updated(session.page, []);
      for (const [i, { text, expected, what }] of triangles.entries()) {
        if (i > 0) {
          const before = await imageUrls(session.page);
          await session.page.evaluate((hash) => { location.hash = hash; }, `#t=${text}`);
          state = await updated(session.page, before);
        }
        assert.equal(state.hash, `#t=${text}`, `${what}: the address`);
        assert.equal(state.fields.join(','), text, `${what}: the number fields`);
        assert.equal(state.message, '', `${what}: no message`);
        checkAgainstNative(state, text, expected, what);
      }
      assert.deepEqual(session.problems, []);
    } finally {
      await session.page.close();
    }
  });

  // Drags corner k in the view from its handle by (dx, dy) CSS pixels with the given pointer
  // (mouse or touch); returns the page's state after the drag, and in `said` what the live region
  // said during the drag (cleared first) and after it.
  async function dragCorner(page, viewId, k, [dx, dy], pointer) {
    const handle = page.locator(`#${viewId} .handle[data-corner="${k}"]`);
    await handle.scrollIntoViewIfNeeded();
    const box = await handle.boundingBox();
    const [x, y] = [box.x + box.width / 2, box.y + box.height / 2];
    const before = await imageUrls(page);
    const said = () => page.evaluate(() => document.getElementById('announce').textContent);
    await page.evaluate(() => { document.getElementById('announce').textContent = ''; });
    await pointer.down(x, y);
    for (let step = 1; step <= 20; ++step) {
      await pointer.move(x + (dx * step) / 20, y + (dy * step) / 20);
    }
    const during = await said();
    await pointer.up(x + dx, y + dy);
    return { ...await updated(page, before), said: [during, await said()] };
  }

  // Checks that the drag moved exactly the values of that corner the view shows (`moved`), that
  // the address follows without new history entries, and that the figures are the native ones
  // (clipfigs with `options`: ['--screen'] on a narrow screen).
  function checkDrag(before, after, moved, what, options = []) {
    for (let i = 0; i < 9; ++i) {
      const changed = before.fields[i] !== after.fields[i];
      assert.equal(changed, moved.includes(i), `${what}: field ${i} ${before.fields[i]} -> ` +
                                               `${after.fields[i]}`);
    }
    assert.equal(after.hash, `#t=${after.fields.join(',')}`, `${what}: the address`);
    assert.equal(after.historyLength, before.historyLength, `${what}: history entries`);
    const text = after.hash.slice(3);
    checkAgainstNative(after, text, nativeFigures(text, options), what);
  }

  test('follows a mouse drag of a corner in the top view', async () => {
    const session = await h.openPage(browser, `${url}#t=${walkthrough[0].text}`);
    try {
      const { page } = session;
      await page.setViewportSize({ width: 1280, height: 900 });
      const before = await updated(page, []);
      const mouse = {
        down: async (x, y) => { await page.mouse.move(x, y); await page.mouse.down(); },
        move: (x, y) => page.mouse.move(x, y),
        up: async (x, y) => { await page.mouse.move(x, y); await page.mouse.up(); },
      };
      // Corner 1 right and away from the eye: its x and z change, y stays.
      const after = await dragCorner(page, 'top-view', 1, [60, -50], mouse);
      checkDrag(before, after, [3, 5], 'mouse drag');
      assert.equal(after.said[0], '', 'nothing is said during the drag');
      assert.match(after.said[1], /^Clipped then divided: \d+ vert/, 'the summary, on release');
      assert.ok(Number(after.fields[3]) > Number(before.fields[3]), 'x grows to the right');
      assert.ok(Number(after.fields[5]) < Number(before.fields[5]), 'z falls away from the eye');
      // A click on another corner, moving nothing, takes the focus and says nothing.
      const box = await page.locator('#top-view .handle[data-corner="0"]').boundingBox();
      await page.evaluate(() => { document.getElementById('announce').textContent = ''; });
      await page.mouse.click(box.x + box.width / 2, box.y + box.height / 2);
      assert.deepEqual(await page.evaluate(() => [document.activeElement.dataset.corner,
        document.getElementById('announce').textContent]), ['0', ''], 'a click says nothing');
      assert.deepEqual(session.problems, []);
    } finally {
      await session.page.close();
    }
  });

  test('follows a touch drag in the side view on a 390-pixel phone, laid out to its width',
       async () => {
    const context = await browser.newContext({ viewport: { width: 390, height: 844 },
                                               hasTouch: true, isMobile: true,
                                               deviceScaleFactor: 2 });
    try {
      const session = await h.openPage(context, `${url}#t=${walkthrough[3].text}`);
      const { page } = session;
      const before = await updated(page, []);
      const cdp = await context.newCDPSession(page);
      const touch = (type, points) => cdp.send('Input.dispatchTouchEvent',
                                               { type, touchPoints: points });
      const finger = {
        down: (x, y) => touch('touchStart', [{ x, y }]),
        move: (x, y) => touch('touchMove', [{ x, y }]),
        up: () => touch('touchEnd', []),
      };
      // Corner 2 further away and down: its z and y change, x stays.
      const after = await dragCorner(page, 'side-view', 2, [40, 50], finger);
      checkDrag(before, after, [7, 8], 'touch drag', ['--screen']);
      const layout = await page.evaluate(() => ({
        pageWidth: document.documentElement.scrollWidth,
        widest: Math.max(...[...document.querySelectorAll('.figure img, .view svg')]
          .map((node) => node.getBoundingClientRect().right)),
      }));
      assert.ok(layout.pageWidth <= 390, `the page is ${layout.pageWidth} pixels wide`);
      assert.ok(layout.widest <= 390, `a figure reaches to ${layout.widest}`);
      assert.deepEqual(session.problems, []);
    } finally {
      await context.close();
    }
  });

  test('shows a message and the first walkthrough triangle for an address it cannot use, and ' +
       'says why a typed number is not drawn until it is mended', async () => {
    const preset = walkthrough[0].text;
    const cases = [
      ['#t=1,2', /there are 2 values, not nine/],
      ['#t=a,b,c,d,e,f,g,h,i', /x0, “a”, is not a decimal number/],
      ['#t=1,2,3,4,5,6,7,8,9,10', /there are 10 values, not nine/],
      ['#t=0,0,-0.5,0,0,-0.5,0,0,1000001', /z2, “1000001”, is beyond the limit of ±1000000/],
      ['#t=0,0,-0.5,0,0,-0.5,0,0,-4e38', /z2, “-4e38”, is beyond the limit/],
      ['#t=NaN,0,-0.5,0,0,-0.5,0,0,-0.5', /x0, “NaN”, is not a finite number/],
      ['#t=0,0,-0.5,0,0,-0.5,0,0,Infinity', /z2, “Infinity”, is not a finite number/],
      ['#t=0,0,%E0%A4%A', /not a well-formed address/],
      ['#t=1,2,3,4,5,6,7,8,9%00junk', /z2, “9\?junk”, is not a decimal number/],
      ['#triangle', /names no triangle: it holds no t=/],
    ];
    const session = await h.openPage(browser, 'about:blank');
    try {
      for (const [hash, reason] of cases) {
        // Each from a fresh load; the first again in the open page, as a changed address.
        for (const how of hash === cases[0][0] ? ['load', 'change'] : ['load']) {
          let before = [];
          if (how === 'load') {
            await session.page.goto('about:blank');
            await session.page.goto(url + hash);
          } else {
            const shownFirst = await imageUrls(session.page);
            await session.page.evaluate((hash) => { location.hash = hash; }, `#t=${strained[1]}`);
            await updated(session.page, shownFirst);
            before = await imageUrls(session.page);
            await session.page.evaluate((bad) => { location.hash = bad; }, hash);
          }
          const state = await updated(session.page, before);
          const what = `${hash} (${how})`;
          assert.match(state.message, reason, `${what}: the message says why`);
          assert.match(state.message,
                       /Showing the walkthrough's triangle “crosses the near plane” instead/,
                       `${what}: the message says what is shown`);
          assert.equal(state.hash, `#t=${preset}`, `${what}: the address`);
          assert.equal(state.fields.join(','), preset, `${what}: the number fields`);
        }
      }
      const { page } = session, error = () => page.textContent('#numbers-error');
      await page.click('#numbers input[aria-label="x0"]');
      await page.keyboard.press('End');
      await page.keyboard.type('q');
      assert.match(await error(), /^Not drawn: x0, “.*q”, is not a decimal number/);
      await page.keyboard.press('Backspace');
      assert.equal(await error(), '', 'the mended number clears the reason');
      assert.deepEqual(session.problems, []);
    } finally {
      await session.page.close();
    }
  });

  test('copies a figure\'s data-vertices to the clipboard, or selects them where it cannot',
       async () => {
    const context = await browser.newContext();
    try {
      await context.grantPermissions(['clipboard-read', 'clipboard-write']);
      const session = await h.openPage(context, `${url}#t=${walkthrough[1].text}`);
      const state = await updated(session.page, []);
      await session.page.click('#pass-4 button.copy');
      await session.page.waitForFunction(
        () => document.querySelector('#pass-4 .copy-status').textContent === 'copied');
      assert.equal(await session.page.evaluate(() => navigator.clipboard.readText()),
                   state.figures[3].vertices);

      // Without the clipboard API, as on plain http from another host.
      const plain = await context.newPage();
      await plain.addInitScript(() => {
        Object.defineProperty(Navigator.prototype, 'clipboard', { get: () => undefined });
      });
      await plain.goto(`${url}#t=${walkthrough[1].text}`);
      await updated(plain, []);
      await plain.click('#final button.copy');
      const selected = await plain.evaluate(() => {
        const area = document.querySelector('#final textarea');
        return { visible: !area.hidden, focused: document.activeElement === area,
                 selected: area.value.slice(area.selectionStart, area.selectionEnd) };
      });
      assert.deepEqual(selected, { visible: true, focused: true,
                                   selected: state.figures[6].vertices });
      assert.deepEqual(session.problems, []);
    } finally {
      await context.close();
    }
  });

  // Presses Tab until the focus is on an element that satisfies `is` (a function run in the page
  // on document.activeElement); fails after 80 presses.
  async function tabTo(page, is, what) {
    for (let i = 0; i < 80; ++i) {
      await page.keyboard.press('Tab');
      if (await page.evaluate(is)) return;
    }
    throw new Error(`Tab never reached ${what}`);
  }

  test('works from the keyboard alone: a corner moved by arrow keys, a pass stepped to its end; ' +
       'axe-core finds nothing, and the change is announced once the keys rest', async () => {
    const session = await h.openPage(browser, `${url}#t=${walkthrough[0].text}`,
                                     { viewport: { width: 1280, height: 800 } });
    try {
      const { page } = session;
      const start = await updated(page, []);
      await assertNoAxeViolations(page, 'the explorer with a preset');
      // The presets are toggles, one pressed; "random" is a plain button.
      assert.deepEqual(await page.locator('#presets button').evaluateAll((buttons) => buttons.map(
        (button) => button.getAttribute('aria-pressed'))), ['true', 'false', 'false', 'false',
                                                           'false', null]);
      // Each corner takes keys in a screen reader's browse mode too: an application, not an image.
      const corners = page.getByRole('application', { name: /^corner \d in the (top|side) view/ });
      assert.equal(await corners.count(), 6, 'the six corner handles');
      await tabTo(page, () => document.activeElement.matches('#top-view .handle'), 'a corner');
      const corner = Number(await page.evaluate(() => document.activeElement.dataset.corner));
      assert.match(await page.evaluate(() => document.activeElement.getAttribute('aria-label')),
                   /corner/);
      // What the live region says and when (`said` entries), beside each key the handle takes
      // (whose default it prevents; Shift is none): when it reached the page, on the way down
      // before the handle's listener, and when its handling was done, on the way up.
      await page.evaluate(() => {
        const region = document.getElementById('announce');
        region.textContent = '';
        window.heard = [];
        new MutationObserver(() => heard.push({ at: performance.now(), said: region.textContent }))
          .observe(region, { childList: true, characterData: true, subtree: true });
        let reached = 0;
        addEventListener('keydown', () => { reached = performance.now(); }, true);
        addEventListener('keydown', (event) => {
          if (event.defaultPrevented) heard.push({ at: reached, done: performance.now() });
        });
      });
      // Right: x only, a hundredth of the view; Shift+Up: depth only, ten times as far.
      let before = await imageUrls(page);
      await page.keyboard.press('ArrowRight');
      const right = await updated(page, before);
      before = await imageUrls(page);
      await page.keyboard.press('Shift+ArrowUp');
      const up = await updated(page, before);
      const x = 3 * corner, z = 3 * corner + 2;
      checkDrag(start, right, [x], 'ArrowRight');
      checkDrag(right, up, [z], 'Shift+ArrowUp');
      const dx = right.fields[x] - start.fields[x], dz = right.fields[z] - up.fields[z];
      assert.ok(dx > 0 && Math.abs(dz / dx / (300 / 400) - 10) < 1.5, `steps ${dx} and ${dz}`);
      assert.ok(await page.evaluate(() => document.activeElement.matches('#top-view .handle')),
                'the focus stays on the corner');
      // Once the keys rest: where the corner now is, in eye space as the fields show it, then
      // what the clipper makes of the triangle.
      const values = ['x', 'y', 'z'].map((axis, i) => `${axis} ${up.fields[3 * corner + i]}`)
        .join(', ').replace(/-/g, '\u2212');
      await page.waitForFunction((expected) => document.getElementById('announce').textContent
        .startsWith(expected), `Corner ${corner} is at ${values}. Clipped then divided: `,
                                  { timeout: 2000 });
      // Then three keys at once. Each key starts the half second of rest over: nothing is said
      // sooner after a key, nor twice without a key between, and the last key's rest is said.
      for (const key of ['ArrowLeft', 'ArrowRight', 'ArrowRight']) await page.keyboard.press(key);
      await page.waitForFunction(() => {
        const lastKey = heard.findLast((entry) => !('said' in entry)).at;
        return 'said' in heard.at(-1) || performance.now() - lastKey > 2000;
      }, null, { timeout: 5000 });
      let lastKey = null, saidSinceKey = false;
      const log = (await page.evaluate(() => heard)).sort((a, b) => a.at - b.at);
      for (const entry of log) {
        if (!('said' in entry)) {
          [lastKey, saidSinceKey] = [entry, false];
          continue;
        }
        assert.ok(lastKey === null || entry.at > lastKey.done, `“${entry.said}” said at a key`);
        const rest = lastKey === null ? -1 : entry.at - lastKey.at;
        // Half a second, less a little for the coarsening of the page's clock.
        assert.ok(rest >= 490, `“${entry.said}” said ${rest} ms after a key`);
        assert.ok(!saidSinceKey, `“${entry.said}” said again without a key between`);
        saidSinceKey = true;
      }
      assert.ok(saidSinceKey, 'the keys\' rest is said');
      assert.match(await page.textContent('#announce'),
                   /^Corner \d is at x \S+, y \S+, z \S+\. Clipped then divided: \d+ vert/);
      await assertNoAxeViolations(page, 'the explorer after a keyboard move');
      before = await imageUrls(page);
      await page.keyboard.press('Home');
      assert.deepEqual((await updated(page, before)).fields, start.fields, 'Home puts it back');

      // Pass 2 chosen with Enter, stepped with the arrows and to its end with End.
      await tabTo(page, () => document.activeElement.textContent === '2 ClipRight', 'pass 2');
      await page.keyboard.press('Enter');
      await tabTo(page, () => document.activeElement.id === 'step-next', 'Next');
      const step = () => page.evaluate(() => ({
        position: document.getElementById('step-position').textContent,
        text: document.getElementById('step-text').textContent,
        src: document.querySelector('#pass-2 img').src,
        alt: document.querySelector('#pass-2 img').alt,
        said: document.getElementById('announce').textContent }));
      const edges = nativeEdges(walkthrough[0].text)[1];
      // Previous and Next marked disabled at either end of the walk.
      const marked = () => page.evaluate(() => ['step-previous', 'step-next'].map(
        (id) => document.getElementById(id).getAttribute('aria-disabled')));
      const first = await step();
      assert.equal(first.position, `edge 1 of ${edges.length}`);
      assert.deepEqual(await marked(), ['true', 'false'], 'marked at the first edge');
      await page.keyboard.press('ArrowRight');
      assert.equal((await step()).position, `edge 2 of ${edges.length}`);
      await page.keyboard.press('End');
      const last = await step();
      const output = JSON.parse(await page.getAttribute('#pass-2', 'data-vertices')).length;
      const title = await page.textContent('#presets [aria-pressed="true"]');
      const { stem } = walkthrough[0];
      // Beside the views at 1280 by 800, in the compact layout.
      const native = nativeFigures(walkthrough[0].text, ['--compact', '--steps', '--title', title,
                                                          '--stem', stem]);
      assert.ok(Buffer.from(last.src.split(',')[1], 'base64').equals(
        native.file(`${stem}-pass2-right-step${edges.length}.svg`)), 'the last step\'s figure');
      assert.equal(last.position, `edge ${edges.length} of ${edges.length}`);
      assert.match(last.text, new RegExp(`case ${edges.at(-1).case}\\.`));
      assert.match(last.text, new RegExp(`The output has ${output} of its ${output} vertices`));
      assert.match(last.said, new RegExp(`^ClipRight, edge ${edges.length} of ${edges.length} `));
      assert.deepEqual(await marked(), ['false', 'true'], 'marked at the last edge');
      assert.notEqual(last.src, first.src, 'the step figure grows');
      // The image's text is the step's summary, not the pass's.
      const n = edges.length;
      for (const [shown, k] of [[first, 1], [last, n]]) {
        assert.match(shown.alt, new RegExp(`^ClipRight, edge ${k} of ${n}\\b`), 'image text');
      }
      // At either end the focus stays in the step controls, where the keys go on.
      const inControls = () => page.evaluate(
        () => document.activeElement.closest('#step-controls') !== null);
      assert.ok(await inControls(), 'the focus stays after End');
      await page.keyboard.press('ArrowLeft');
      assert.equal((await step()).position, `edge ${n - 1} of ${n}`, '← after End');
      await page.keyboard.press('Home');
      assert.ok(await inControls(), 'the focus stays after Home');
      const home = await step();
      assert.equal(home.position, `edge 1 of ${n}`, 'Home goes to the first edge');
      assert.match(home.said, new RegExp(`^ClipRight, edge 1 of ${n} `), 'Home says the step');
      assert.deepEqual(await marked(), ['true', 'false'], 'marked after Home');
      // Play says nothing while it plays; Pause says the step it stopped at.
      await tabTo(page, () => document.activeElement.id === 'step-play', 'Play');
      await page.evaluate(() => { document.getElementById('announce').textContent = ''; });
      await page.keyboard.press('Enter');
      assert.equal(await page.textContent('#step-play'), 'Pause');
      await page.waitForFunction(() => /^edge 2 /.test(
        document.getElementById('step-position').textContent), null, { timeout: 5000 });
      assert.equal((await step()).said, '', 'nothing is said while playing');
      await page.keyboard.press('Enter');
      assert.equal(await page.textContent('#step-play'), 'Play');
      assert.match((await step()).said, /^ClipRight, edge 2 of /, 'Pause says the step');
      await assertNoAxeViolations(page, 'the explorer stepping pass 2');
      assert.deepEqual(session.problems, []);
    } finally {
      await session.page.close();
    }
  });

  // (The text sizes and the first screen at every size: layout.test.mjs.)
  test('on a phone scrolls the page on a swipe that starts in a view off the corners',
       async () => {
    const context = await browser.newContext({ ...h.phone, deviceScaleFactor: 2 });
    try {
      const { page, problems } = await h.openPage(context, `${url}#t=${walkthrough[4].text}`);
      await updated(page, []);
      // A finger put down in the top view away from the corners, and swiped up.
      await page.evaluate(() => window.scrollTo(0, 0));
      const box = await page.locator('#top-view').boundingBox();
      const [x, y] = [box.x + 8, box.y + box.height - 8];
      const cdp = await context.newCDPSession(page);
      const touch = (type, points) => cdp.send('Input.dispatchTouchEvent',
                                               { type, touchPoints: points });
      await touch('touchStart', [{ x, y }]);
      for (let step = 1; step <= 10; ++step) await touch('touchMove', [{ x, y: y - 20 * step }]);
      await touch('touchEnd', []);
      await page.waitForFunction(() => window.scrollY > 50, null, { timeout: 5000 });
      assert.deepEqual(problems, []);
    } finally {
      await context.close();
    }
  });

  test('names each figure\'s vertex counts in its container\'s description', async () => {
    const session = await h.openPage(browser, `${url}#t=${walkthrough[1].text}`);
    try {
      const { page } = session;
      await updated(page, []);
      const cdp = await page.context().newCDPSession(page);
      const { root } = await cdp.send('DOM.getDocument');
      let entering = 3;
      for (const id of containers) {
        const { nodeId } = await cdp.send('DOM.querySelector',
                                          { nodeId: root.nodeId, selector: `#${id}` });
        const { nodes } = await cdp.send('Accessibility.getPartialAXTree',
                                         { nodeId, fetchRelatives: false });
        const description = nodes[0].description?.value ?? '';
        const leaving = JSON.parse(await page.getAttribute(`#${id}`, 'data-vertices')).length;
        for (const count of [entering, leaving]) {
          assert.match(description, new RegExp(`\\b${count} vert(ex|ices)\\b`), id);
        }
        if (id !== 'final') entering = leaving;
      }
      assert.deepEqual(session.problems, []);
    } finally {
      await session.page.close();
    }
  });
});
