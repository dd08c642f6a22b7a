// The clip explorer's address as a teacher writes it and a learner follows it, in Debian's
// headless Chromium: a link to a pass and an edge of a triangle, written back as the learner
// moves, a parameter the page does not know passed over, and a pass or edge out of range taken
// as the nearest one, with a note.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';

import { launchBrowser, nativeEdges, updated, walkthrough } from './explorer_harness.mjs';
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
});
