// The clip explorer's words as a learner reads and hears them, in Debian's headless Chromium:
// one numbering (the corner the views call 2 is corner 2 in the step text, the figure's table
// and its description), and what the live region says when a pass is chosen or a step taken,
// and that it says nothing for a press that changes nothing.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';

import { launchBrowser, updated, walkthrough } from './explorer_harness.mjs';
import * as h from './harness.mjs';

const behind = walkthrough.find((triangle) => triangle.stem === 'behind-eye');

// The row of the table in the figure that container `id` shows whose name cell reads `name`:
// its place ("#") and kind, read from the figure's SVG text by position.
const tableRow = (page, id, name) => page.evaluate(async ([id, name]) => {
  const image = document.querySelector(`#${id} img`);
  const svg = new DOMParser().parseFromString(await (await fetch(image.src)).text(),
                                              'image/svg+xml');
  const texts = [...svg.querySelectorAll('text')];
  const cells = texts.filter((text) => text.textContent === name);
  // The row's cells share the name's baseline and lie from just left of it to the kind's
  // column, some 300 pixels on; the other panel's table lies beyond.
  const x = (text) => Number(text.getAttribute('x'));
  return cells.map((cell) => texts.filter((text) => text.getAttribute('y') ===
                                           cell.getAttribute('y') &&
                                           x(text) >= x(cell) - 10 && x(text) <= x(cell) + 310)
    .map((text) => text.textContent));
}, [id, name]);

describe('The clip explorer\'s words', { timeout: 300_000 }, () => {
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

  test('name the corner behind the eye corner 2 in pass 2\'s step text, table and ' +
       'description, as the views do', async () => {
    const session = await h.openPage(browser, `${url}#t=${behind.text}`,
                                     { viewport: { width: 1280, height: 900 } });
    try {
      const { page } = session;
      await updated(page, []);
      assert.match(await page.getAttribute('#top-view .handle[data-corner="2"]', 'aria-label'),
                   /^corner 2 in the top view/, 'the views');
      // All six: the pass figure's table and description, the container's names.
      assert.deepEqual(JSON.parse(await page.getAttribute('#pass-2', 'data-names')),
                       ['a', 'b', 'corner 0', 'corner 1']);
      assert.deepEqual(await tableRow(page, 'pass-2', 'corner 2'),
                       [['1', 'corner 2', '0.4000', '0.3500', '-1.1667', '-0.3000', 'dropped']]);
      const described = await page.textContent('#pass-2-words');
      assert.match(described, /Before, vertex 1 = corner 2 \(x 0\.4000, .*\): dropped, outside\./);
      assert.match(described, /\na: cut of corner 1 → corner 2 by ClipRight\.\n/);
      // Pass 2 chosen: its first step's words, its step figure's table and description.
      await page.click('#pass-select button:nth-child(3)');
      const stepText = await page.textContent('#step-text');
      assert.match(stepText, /Edge 1 of 3: P = vertex 0 = corner 1 → Q = vertex 1 = corner 2/);
      assert.match(stepText, /named a: cut of corner 1 → corner 2 by ClipRight/);
      assert.match(stepText, /Why the output starts elsewhere: each edge appends its end Q/);
      assert.deepEqual((await tableRow(page, 'pass-2', 'corner 2'))[0].slice(0, 2),
                       ['1', 'corner 2'], 'the step figure\'s table');
      assert.match(await page.textContent('#pass-2-words'),
                   /P = vertex 0 = corner 1 → Q = vertex 1 = corner 2/, 'its description');
      await page.focus('#step-next');
      await page.keyboard.press('ArrowRight');
      assert.doesNotMatch(await page.textContent('#step-text'), /Why the output/,
                          'said at the first edge');
      assert.deepEqual(session.problems, []);
    } finally {
      await session.page.close();
    }
  });

  test('say the pass chosen with its test and counts, each step\'s decision in the one ' +
       'numbering, and nothing for a press that changes nothing', async () => {
    const session = await h.openPage(browser, `${url}#t=${behind.text}`,
                                     { viewport: { width: 1280, height: 900 } });
    try {
      const { page } = session;
      await updated(page, []);
      // What the live region says for an action, cleared first.
      const says = async (action) => {
        await page.evaluate(() => { document.getElementById('announce').textContent = ''; });
        await action();
        return page.textContent('#announce');
      };
      const choose = (k) => () => page.click(`#pass-select button:nth-child(${k + 1})`);
      const press = (key) => () => page.keyboard.press(key);
      assert.equal(await says(choose(2)), '2 ClipRight, inside x ≤ w: 3 vertices in, 4 out; ' +
                                          'corner 2 dropped; 2 cuts, a and b');
      assert.equal(await says(choose(2)), '', 'the pass shown, again');
      await page.focus('#step-next');
      const first = 'ClipRight, edge 1 of 3 (corner 1 → corner 2): P inside, Q outside: the ' +
                    'cut a at t = 0.3636 is appended as vertex 0.';
      const steps = [
        [press('ArrowLeft'), ''], [press('Home'), ''],
        [press('ArrowRight'), 'ClipRight, edge 2 of 3 (corner 2 → corner 0): P outside, Q ' +
                              'inside: the cut b at t = 0.4667 is appended as vertex 1, then Q, ' +
                              'corner 0, as vertex 2.'],
        [press('End'), 'ClipRight, edge 3 of 3 (corner 0 → corner 1): P inside, Q inside: Q, ' +
                       'corner 1, is appended as vertex 3.'],
        [press('ArrowRight'), ''], [press('End'), ''], [() => page.click('#step-next', { force: true }), ''],
        [press('Home'), first], [() => page.click('#step-previous', { force: true }), ''],
      ];
      for (const [[action, said], i] of steps.map((step, i) => [step, i])) {
        assert.equal(await says(action), said, `step ${i}`);
      }
      assert.equal(await page.textContent('#step-position'), 'edge 1 of 3');
      assert.match(await says(choose(0)), /^all six passes\. Clipped then divided: 5 vertices/);
      assert.deepEqual(session.problems, []);
    } finally {
      await session.page.close();
    }
  });
});
