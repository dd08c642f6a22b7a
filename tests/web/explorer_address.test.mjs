// The clip explorer's address as a teacher writes it and a learner follows it, in Debian's
// headless Chromium: a link to a pass and an edge of a triangle, written back as the learner
// moves, a parameter the page does not know passed over, and a pass or edge out of range taken
// as the nearest one, with a note; a triangle given in clip space (#c=, or the switch beside the
// numbers), judged against clipfigs --clip and the native clipper's bits.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';

import { assertNoAxeViolations } from './axe.mjs';
import { checkAgainstNative, committedFigures, imageUrls, launchBrowser, nativeEdges,
         nativeFigures, shown, updated, walkthrough } from './explorer_harness.mjs';
import * as h from './harness.mjs';

// What the page shows of the pass, the step and the address.
const where = (page) => page.evaluate(() => ({
  hash: location.hash,
  history: history.length,
  pass: document.querySelector('#pass-select [aria-pressed="true"]')?.textContent ?? '',
  position: document.getElementById('steps').hidden ? ''
    : document.getElementById('step-position').textContent,
  message: document.getElementById('message').hidden ? ''
    : document.getElementById('message').textContent,
}));

describe('The clip explorer\'s address', { timeout: 300_000 }, () => {
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

  test('opens the pass and edge it names, writes them back as the learner moves, passes over ' +
       'a parameter it does not know and takes one out of range as the nearest, with a note',
       async () => {
    const { stem, text } = walkthrough.find((triangle) => triangle.stem === 'behind-eye');
    const edges = nativeEdges(text).map((walk) => walk.length);
    const session = await h.openPage(browser, `${url}#t=${text}&pass=2&edge=3&from=lesson-4`);
    try {
      const { page } = session;
      await updated(page, []);
      let shown = await where(page);
      assert.deepEqual([shown.pass, shown.position, shown.message],
                       ['2 ClipRight', `edge 3 of ${edges[1]}`, ''], `${stem}: the link's step`);
      assert.equal(shown.hash, `#t=${text}&pass=2&edge=3`, 'the unknown parameter is passed over');
      const history = shown.history;

      // Stepping, another pass and all six: the address follows, in the same history entry.
      await page.focus('#step-next');
      await page.keyboard.press('ArrowLeft');
      assert.equal((await where(page)).hash, `#t=${text}&pass=2&edge=2`, '← writes the edge');
      await page.click('#pass-select button:nth-child(5)');
      assert.equal((await where(page)).hash, `#t=${text}&pass=4&edge=1`, 'a pass, at edge 1');
      await page.click('#pass-select button:nth-child(1)');
      shown = await where(page);
      assert.deepEqual([shown.hash, shown.position, shown.history], [`#t=${text}`, '', history],
                       'all six: the triangle alone, as before');

      // Out of range, or no number: the nearest pass or edge, or all six, each with a note.
      const cases = [
        ['pass=9&edge=0', '6 ClipFar', `edge 1 of ${edges[5]}`, [/no pass 9: showing pass 6/,
                                                                 /showing edge 1, not 0/]],
        ['pass=-1&edge=99', '1 ClipLeft', `edge ${edges[0]} of ${edges[0]}`,
         [/no pass -1: showing pass 1/, new RegExp(`showing edge ${edges[0]}, not 99`)]],
        ['pass=two', 'all six', '', [/pass “two” is not a number from 1 to 6/]],
        ['edge=2', 'all six', '', [/edge belongs to a pass/]],
        ['pass=3&edge=2.5', '3 ClipBottom', `edge 1 of ${edges[2]}`, [/“2.5” is not a whole/]],
      ];
      for (const [parameters, pass, position, notes] of cases) {
        // Each is written back as what it shows, so the address changes once it is followed.
        const asked = `#t=${text}&${parameters}`;
        await page.evaluate((hash) => { location.hash = hash; }, asked);
        await page.waitForFunction((hash) => location.hash !== hash, asked);
        shown = await where(page);
        assert.deepEqual([shown.pass, shown.position], [pass, position], parameters);
        for (const note of notes) assert.match(shown.message, note, parameters);
        const [, edge] = position.match(/^edge (\d+)/) ?? [];
        const written = pass === 'all six' ? '' : `&pass=${pass[0]}&edge=${edge}`;
        assert.equal(shown.hash, `#t=${text}${written}`, `${parameters}: the address written`);
      }
      // A good address again clears the note.
      await page.evaluate((hash) => { location.hash = hash; }, `#t=${text}&pass=5&edge=2`);
      await page.waitForFunction(() => document.getElementById('message').hidden);
      shown = await where(page);
      assert.deepEqual([shown.pass, shown.position], ['5 ClipNear', `edge 2 of ${edges[4]}`]);
      assert.deepEqual(session.problems, []);
    } finally {
      await session.page.close();
    }
  });

  test('takes a triangle in clip space from #c= and from the switch, clips it as given and ' +
       'draws the bytes clipfigs --clip writes; the views show each corner where eye space has ' +
       'a place for it, and say where not', async () => {
    const behind = walkthrough.find((triangle) => triangle.stem === 'behind-eye');
    const session = await h.openPage(browser, `${url}#t=${behind.text}`,
                                     { viewport: { width: 1280, height: 900 } });
    try {
      const { page } = session;
      const eye = await updated(page, []);
      const notes = () => page.evaluate(() => {
        const node = document.getElementById('corner-notes');
        return node.hidden ? '' : node.textContent;
      });
      const handles = (view) => page.evaluate((id) => [...document.querySelectorAll(
        `#${id} .handle`)].map((handle) => handle.getAttribute('display')), view);

      // The switch: the same triangle in clip space, its figures unchanged to the byte.
      await page.check('#clip-space');
      let state = await shown(page);
      const clipText = state.hash.replace(/^#c=/, '');
      assert.equal(state.fields.length, 12, 'x, y, z and w for each corner');
      assert.equal(state.fields.join(','), clipText, 'the address carries the numbers');
      assert.match(state.fields[11], /^-0\.3/, 'the corner behind the eye has w < 0');
      checkAgainstNative(state, clipText, committedFigures(behind.stem), 'switched to clip space');
      assert.match(await notes(), /^Corner 2 has w < 0: it lies behind the eye/);
      await assertNoAxeViolations(page, 'the explorer in clip space');
      // Back: the eye-space triangle it was, to the bit.
      await page.uncheck('#clip-space');
      state = await shown(page);
      assert.deepEqual([state.hash, state.fields], [eye.hash, eye.fields], 'back in eye space');

      // From the address, as given: a corner at infinity in eye space, one of w = 0, one a
      // negative factor of its point's projection.
      const cases = [
        ['0,0,-0.5,0.6,0.1,0.2,5,3,0,0.1,0,1', /Corner 1, mapped back to eye space, has w = 0/,
         ['inline', 'none', 'inline']],
        ['0.1,0.2,-0.5,0,0.2,-0.15,0.3333,0.6,-0.1,0,0.5,0.8', /Corner 0 has w = 0: it lies in/,
         ['inline', 'inline', 'inline']],
        ['0.4,0.35,-1.1666666,-0.3,0.2,-0.15,0.3333,0.6,-0.5,0,1,0.4',
         /Corner 2 is -0.5 times the projection of the point the views show/,
         ['inline', 'inline', 'inline']],
      ];
      for (const [text, note, display] of cases) {
        const before = await imageUrls(page);
        await page.evaluate((hash) => { location.hash = hash; }, `#c=${text}`);
        state = await updated(page, before);
        assert.deepEqual([state.hash, state.fields.join(','), state.message],
                         [`#c=${text}`, text, ''], text);
        checkAgainstNative(state, text, nativeFigures(text), text);
        assert.match(await notes(), note, text);
        assert.deepEqual(await handles('top-view'), display, `${text}: the handles shown`);
      }
      // A corner through infinity has no eye-space triangle to go back to.
      await page.click('#clip-space');
      assert.ok(await page.isChecked('#clip-space'), 'still in clip space');
      assert.match(await page.textContent('#numbers-error'),
                   /^Still in clip space: corner 2 has no place in eye space/);

      // A corner moved by a key moves in clip space, keeping its factor (here through
      // infinity); the other corners keep their numbers.
      const start = (await shown(page)).fields;
      await page.focus('#top-view .handle[data-corner="2"]');
      let before = await imageUrls(page);
      await page.keyboard.press('ArrowRight');
      state = await updated(page, before);
      assert.notEqual(state.fields[8], start[8], 'x2 moves');
      assert.deepEqual(state.fields.slice(0, 8), start.slice(0, 8), 'corners 0 and 1 stay');
      assert.match(await notes(), /Corner 2 is -0.5 times the projection/, 'its factor stays');
      checkAgainstNative(state, state.hash.slice(3), nativeFigures(state.hash.slice(3)),
                         'moved in clip space');
      before = await imageUrls(page);
      await page.keyboard.press('Home');
      assert.deepEqual((await updated(page, before)).fields, start, 'Home puts it back');
      // A preset taken in clip space: its projection, under its own title.
      const corner = walkthrough.find((triangle) => triangle.stem === 'corner');
      before = await imageUrls(page);
      await page.click('#presets button:nth-child(2)');
      state = await updated(page, before);
      assert.match(state.hash, /^#c=/);
      checkAgainstNative(state, state.hash.slice(3), committedFigures(corner.stem),
                         'a preset in clip space');
      assert.deepEqual(session.problems, []);
    } finally {
      await session.page.close();
    }
  });
});
