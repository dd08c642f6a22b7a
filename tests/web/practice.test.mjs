// The clip explorer's practice in Debian's headless Chromium: a learner answers each edge of a
// pass, right answers taken from the native clipper's walk (clip_pass_bits --edges) and mistaken
// ones worked out here from the mistakes' definitions on the native clipper's polygons; what the
// page must keep hidden until an edge is answered, the score, the address, the seeded sequences
// (clipfigs --practise), the keyboard alone, axe-core, and a phone's screen by touch.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';

import { assertNoAxeViolations } from './axe.mjs';
import { clipfigs, containers, figureNames, launchBrowser, nativeBits, nativeEdges,
         nativeFigures, run, walkthrough } from './explorer_harness.mjs';
import * as h from './harness.mjs';

const tolerance = 0.002;
const cases = ['in-in', 'in-out', 'out-in', 'out-out'];

// The floats of clip_pass_bits' polygons: [pass][vertex][x, y, z, w].
const floats = (text) => nativeBits(text).map((polygon) => polygon.map((vertex) => vertex.map(
  (bits) => {
    if (bits === 'NaN') return NaN;
    const view = new DataView(new ArrayBuffer(4));
    view.setUint32(0, parseInt(bits, 16));
    return view.getFloat32(0);
  })));

// Pass k's plane (1 to 6): the coordinate it bounds and whether it is an upper one (c <= w).
const planeOf = (k) => ({ c: (k - 1) >> 1, upper: k % 2 === 0 });
const distance = (v, k) => {
  const { c, upper } = planeOf(k);
  return upper ? v[3] - v[c] : v[c] + v[3];
};
const caseOf = (pInside, qInside) => `${pInside ? 'in' : 'out'}-${qInside ? 'in' : 'out'}`;

// What each mistake answers for edge P -> Q of pass k, from its definition: a case, or a t.
function mistakenAnswers(p, q, k, rightT) {
  const { c, upper } = planeOf(k);
  const inside = (v) => distance(v, k) >= 0;
  const divided = (v) => v[3] !== 0 && (upper ? v[c] / v[3] <= 1 : v[c] / v[3] >= -1);
  const strict = (v) => inside(v) && distance(v, k) !== 0;
  const answers = {
    'flipped-test': { edgeCase: caseOf(!inside(p), !inside(q)) },
    'divided-first': { edgeCase: caseOf(divided(p), divided(q)) },
    boundary: { edgeCase: caseOf(strict(p), strict(q)) },
  };
  if (rightT !== null) {
    answers['t-from-q'] = { t: 1 - rightT };
    if (p[3] > 0 && q[3] > 0) {
      const bound = upper ? 1 : -1, from = p[c] / p[3], to = q[c] / q[3];
      answers['t-after-divide'] = { t: (bound - from) / (to - from) };
    }
  }
  return answers;
}

// The t a learner works out from P and Q to four decimals.
const shownT = (p, q, k) => {
  const round = (v) => v.map((value) => Number(value.toFixed(4)));
  const dp = distance(round(p), k), dq = distance(round(q), k);
  return dp / (dp - dq);
};

// What the practice panel shows and says.
const panel = (page) => page.evaluate(() => {
  const feedback = document.getElementById('practice-feedback');
  const score = document.getElementById('practice-score');
  return { hash: location.hash, verdict: feedback.dataset.verdict, mistake: feedback.dataset.mistake,
           words: feedback.textContent, right: Number(score.dataset.right),
           asked: Number(score.dataset.asked), focus: document.activeElement.id,
           position: document.getElementById('practice-position').textContent,
           fields: [...document.querySelectorAll('#numbers input:not([data-axis="w"])')]
             .map((input) => input.value).join(',') };
});

async function answer(page, edgeCase, t) {
  await page.check(`input[name="practice-case"][value="${edgeCase}"]`);
  await page.fill('#practice-t', t === undefined ? '' : String(t));
  await page.click('#practice-check');
  return panel(page);
}

// The words of step e (from 0) of pass k as clipfigs --steps writes them into its figure's
// description: the lines of the step panel.
function stepWords(text, k, e) {
  const svg = nativeFigures(text, ['--steps']).file(`custom-${figureNames[k - 1]}-step${e + 1}.svg`)
    .toString();
  const lines = /<desc>([\s\S]*?)<\/desc>/.exec(svg)[1].split('\n')
    .map((line) => line.replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&quot;/g, '"')
      .replace(/&#39;/g, "'").replace(/&amp;/g, '&'));
  return lines.slice(1, lines.findIndex((line) => line.startsWith('Before the pass')));
}

// Nothing of edge e's answer can be seen or reached before it is given: the containers of pass
// k, the later passes and the final figure are hidden (and keep their data), and neither the
// page's text, its accessibility tree nor its announcement holds the step's words (as clipfigs
// writes them) or the summary of what the page last drew for the pass.
async function assertConcealed(page, k, words, what) {
  const found = await page.evaluate((ids) => ({
    hidden: ids.map((id) => document.getElementById(id).hidden &&
                            document.getElementById(id).getClientRects().length === 0),
    data: ids.slice(0, -1).every((id) => document.getElementById(id).dataset.edges.length > 2),
    summary: document.querySelector(`#${ids[0]} img`).alt,
    text: document.body.innerText,
    announced: document.getElementById('announce').textContent,
  }), containers.slice(k - 1));
  assert.ok(found.hidden.every(Boolean), `${what}: pass ${k} on, and the final figure, hidden`);
  assert.ok(found.data || k === 6, `${what}: the hidden containers keep data-edges`);
  const secrets = [...words, found.summary];
  assert.ok(words.length >= 4, `${what}: the step has words to hide`);
  const tree = await page.locator('body').ariaSnapshot();
  for (const secret of secrets) {
    for (const [where, text] of [['text', found.text], ['tree', tree],
                                 ['announcement', found.announced]]) {
      assert.ok(!text.includes(secret), `${what}: the ${where} shows “${secret}”`);
    }
  }
  for (const giveaway of ['d(P)', 'Appended', 'case in-', 'case out-']) {
    assert.ok(!found.text.includes(giveaway) && !tree.includes(giveaway), `${what}: ${giveaway}`);
  }
}

describe('The clip explorer\'s practice', { timeout: 600_000 }, () => {
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

  test('every edge of a pass answered right is accepted, nothing of its answer shows before, ' +
       'the score counts first tries, and the pass\'s result comes back after its last edge',
       async () => {
    const seeded = run(clipfigs, ['--practise', '7', '--pass', '4', '--count', '1'])
      .trim().replace('#t=', '');
    const exercises = [
      [walkthrough.find((triangle) => triangle.stem === 'behind-eye').text, 5],
      ['0.5,0,-0.5,0,0.2,-0.7,-0.1,-0.1,-0.4', 2],  // a corner on the right plane
      [seeded, 4],
    ];
    let right = 0, asked = 0, crossings = 0;
    const session = await h.openPage(browser, `${url}#t=${exercises[0][0]}&pass=5&practise`);
    const { page } = session;
    for (const [text, k] of exercises) {
      const what = `${text} pass ${k}`;
      await page.evaluate((hash) => { location.hash = hash; }, `#t=${text}&pass=${k}&practise`);
      await page.waitForFunction((t) => location.hash.includes('practise') &&
                                        location.hash.includes(t), text);
      const walk = nativeEdges(text)[k - 1];
      crossings += walk.filter((edge) => edge.t !== null).length;
      for (const [e, edge] of walk.entries()) {
        await assertConcealed(page, k, stepWords(text, k, e), `${what}, edge ${e + 1}`);
        // A wrong case first on the first edge: a first try that was not right.
        if (e === 0) {
          const wrong = await answer(page, cases[(cases.indexOf(edge.case) + 3) % 4], 0.5);
          assert.equal(wrong.verdict, 'wrong', `${what}: a wrong case`);
          asked += 1;
          assert.deepEqual([wrong.right, wrong.asked], [right, asked], `${what}: counted once`);
        }
        const shown = await answer(page, edge.case, edge.t === null ? 'ignored' : edge.t.toFixed(4));
        if (e > 0) asked += 1, right += 1;
        assert.deepEqual([shown.verdict, shown.mistake], ['right', ''], `${what}, edge ${e + 1}`);
        assert.match(shown.words, new RegExp(`: ${edge.case}[,;]`), `${what}: the words`);
        assert.deepEqual([shown.right, shown.asked], [right, asked], `${what}: the score`);
        const last = e === walk.length - 1;
        assert.equal(shown.focus, last ? 'practice-new' : 'practice-next', `${what}: the focus`);
        assert.match(shown.hash, new RegExp(`&edge=${e + 1}&practise`), `${what}: the address`);
        const open = await page.evaluate((ids) => ids.map((id) => document.getElementById(id).hidden),
                                         containers.slice(k - 1));
        assert.deepEqual(open, open.map((_, i) => i > 0 && !last), `${what}: what is shown`);
        assert.deepEqual(await page.locator('#step-text p').allTextContents(),
                         stepWords(text, k, e), `${what}: the step shown, as clipfigs words it`);
        if (!last) await page.click('#practice-next');
      }
      assert.ok(await page.locator('#final').isVisible(), `${what}: the final figure at the end`);
    }
    assert.ok(crossings >= 4, 'crossing edges among them');
    assert.deepEqual(session.problems, []);
    await page.close();
  });

  test('each known mistake is refused with its id, and a t off by 0.02 is refused', async () => {
    // Edges where each mistake answers otherwise than the clipper, found over the walkthrough's
    // triangles, a corner on the right plane and seeded sequences, in passes 2 to 6.
    const triangles = [...walkthrough.map((triangle) => triangle.text),
                       '0.5,0,-0.5,0,0.2,-0.7,-0.1,-0.1,-0.4',
                       ...[2, 3, 5, 6].flatMap((k) => run(clipfigs, ['--practise', '1', '--pass',
                         String(k), '--count', '10']).trim().split('\n')
                         .map((line) => line.replace('#t=', '')))];
    const wanted = new Map([['flipped-test'], ['divided-first'], ['boundary'], ['t-from-q'],
                            ['t-after-divide'], ['t-off']].map(([id]) => [id, null]));
    for (const text of triangles) {
      const polygons = floats(text), walks = nativeEdges(text);
      for (let k = 2; k <= 6; ++k) {
        const input = polygons[k - 2];
        walks[k - 1].forEach((edge, e) => {
          const p = input[edge.from], q = input[edge.to];
          const answers = mistakenAnswers(p, q, k, edge.t);
          const rightTs = edge.t === null ? [] : [edge.t, shownT(p, q, k)];
          const far = (t) => rightTs.every((r) => Math.abs(t - r) > 4 * tolerance);
          // A t off by 0.02 where no mistake gives it.
          if (edge.t !== null && Object.values(answers).every((other) => other.t === undefined ||
              Math.abs(other.t - edge.t - 0.02) > 2 * tolerance)) {
            answers['t-off'] = { t: edge.t + 0.02 };
          }
          for (const [id, given] of Object.entries(answers)) {
            if (wanted.get(id) || (given.edgeCase ?? edge.case) === edge.case && given.t === undefined) {
              continue;
            }
            if (given.t !== undefined && !far(given.t)) continue;
            // Every id whose answer this is, from the definitions: either may be named.
            const fits = Object.entries(answers).filter(([, other]) => given.t === undefined
              ? other.edgeCase === given.edgeCase
              : other.t !== undefined && Math.abs(other.t - given.t) <= tolerance)
              .map(([other]) => other).filter((other) => other !== 't-off');
            wanted.set(id, { text, k, e, edgeCase: given.edgeCase ?? edge.case,
                             t: given.t ?? edge.t ?? 0.5, fits: id === 't-off' ? [''] : fits });
          }
        });
      }
    }
    const session = await h.openPage(browser, url);
    const { page } = session;
    for (const [id, found] of wanted) {
      assert.ok(found, `an edge where ${id} answers otherwise`);
      const { text, k, e } = found;
      await page.evaluate((hash) => { location.hash = hash; },
                          `#t=${text}&pass=${k}&edge=${e + 1}&practise`);
      await page.waitForFunction((edge) => location.hash.includes(`&edge=${edge}&practise`),
                                 e + 1);
      const shown = await answer(page, found.edgeCase, found.t.toFixed(4));
      assert.equal(shown.verdict, 'wrong', `${id}: ${text} pass ${k} edge ${e + 1}`);
      assert.ok(found.fits.includes(shown.mistake),
                `${id}: named ${shown.mistake}, not one of ${found.fits}`);
      if (id !== 't-off') assert.match(shown.words, /known mistake/, `${id}: its sentence`);
      // Tried again as often as the learner likes; the second try is still not a first.
      const again = await answer(page, found.edgeCase, found.t.toFixed(4));
      assert.equal(again.asked, shown.asked, `${id}: one edge asked once`);
    }
    // Answers that cannot be judged yet say what is missing and count nothing; any number is
    // judged.
    const fresh = run(clipfigs, ['--practise', '9', '--pass', '2', '--count', '1']).trim()
      .replace('#t=', '');
    const e = nativeEdges(fresh)[1].findIndex((edge) => edge.t !== null);
    await page.evaluate((hash) => { location.hash = hash; },
                        `#t=${fresh}&pass=2&edge=${e + 1}&practise`);
    await page.waitForFunction((t) => location.hash.startsWith(`#t=${t}&`), fresh);
    const before = await panel(page);
    await page.click('#practice-check');
    let shown = await panel(page);
    assert.deepEqual([shown.verdict, shown.asked], ['', before.asked], 'no case chosen');
    assert.match(shown.words, /Choose the edge's case/);
    const crossing = nativeEdges(fresh)[1][e].case;
    for (const [t, words] of [['', /needs its t/], ['abc', /“abc”, is not a number/]]) {
      shown = await answer(page, crossing, t);
      assert.deepEqual([shown.verdict, shown.asked], ['', before.asked], `t “${t}”`);
      assert.match(shown.words, words);
    }
    shown = await answer(page, crossing, '\u22121e3');
    assert.deepEqual([shown.verdict, shown.asked], ['wrong', before.asked + 1], 'a number');
    assert.deepEqual(session.problems, []);
    await page.close();
  });

  test('a seeded exercise: its address lands on the sequence\'s triangle and follows the ' +
       'learner, a reload lands on the same exercise, New triangle takes the next', async () => {
    const lines = run(clipfigs, ['--practise', '5', '--pass', '3', '--count', '3']).trim()
      .split('\n').map((line) => line.replace('#t=', ''));
    const session = await h.openPage(browser, `${url}#practise&seed=5&pass=3&n=2`);
    const { page } = session;
    await page.waitForFunction(() => !document.getElementById('practice').hidden);
    let shown = await panel(page);
    assert.equal(shown.fields, lines[1], 'triangle 2 of seed 5, pass 3');
    assert.equal(shown.hash, '#pass=3&edge=1&practise&seed=5&n=2');
    const edge = nativeEdges(lines[1])[2][0];
    await answer(page, edge.case, edge.t === null ? '' : edge.t.toFixed(4));
    await page.click('#practice-next');
    await page.reload();
    await page.waitForFunction(() => !document.getElementById('practice').hidden);
    shown = await panel(page);
    assert.deepEqual([shown.hash, shown.fields, shown.position.slice(0, 6)],
                     ['#pass=3&edge=2&practise&seed=5&n=2', lines[1], 'Edge 2'], 'reloaded');
    assert.equal(await page.getAttribute('#practice-worksheet', 'href'),
                 'worksheet.html#seed=5&pass=3&count=10');
    await page.click('#practice-new');
    await page.waitForFunction(() => location.hash.includes('n=3'));
    shown = await panel(page);
    assert.deepEqual([shown.hash, shown.fields], ['#pass=3&edge=1&practise&seed=5&n=3', lines[2]]);
    // A triangle moved by the learner is no longer the sequence's: the address names it.
    await page.fill('#numbers input >> nth=0', '0.123');
    await page.waitForFunction(() => location.hash.startsWith('#t=0.123'));
    assert.match((await panel(page)).hash, /^#t=0\.123,.*&pass=3&edge=1&practise&seed=5$/);
    // Practise off: everything shown again, the address as before.
    await page.click('#practise');
    assert.ok(await page.locator('#pass-3').isVisible());
    assert.ok(!(await panel(page)).hash.includes('practise'));
    // With #t= and no pass, the first pass the walk crosses.
    const text = walkthrough.find((triangle) => triangle.stem === 'behind-eye').text;
    const first = nativeEdges(text).findIndex((walk) => walk.some((e) => e.t !== null)) + 1;
    await page.evaluate((hash) => { location.hash = hash; }, `#t=${text}&practise`);
    await page.waitForFunction((k) => location.hash.includes(`pass=${k}&edge=1&practise`), first);
    assert.deepEqual(session.problems, []);
    await page.close();
  });

  test('the keyboard alone answers and goes on, axe-core finds nothing in practice mode, and ' +
       'on a phone the question fits its width and works by touch', async () => {
    const text = walkthrough.find((triangle) => triangle.stem === 'behind-eye').text;
    const walk = nativeEdges(text)[4];
    const session = await h.openPage(browser, `${url}#t=${text}&pass=5`);
    const { page } = session;
    await page.waitForFunction(() => document.querySelectorAll('.figure img').length === 7);
    await page.focus('#practise');
    await page.keyboard.press('Enter');
    await assertNoAxeViolations(page, 'the explorer practising, a question asked');
    for (const [e, edge] of walk.entries()) {
      // Into the radio group, the first case chosen with Space and the right one by arrows.
      if (e === 0) await page.keyboard.press('Tab');
      await page.keyboard.press('Space');
      for (let i = 0; i < cases.indexOf(edge.case); ++i) await page.keyboard.press('ArrowDown');
      await page.keyboard.press('Tab');
      assert.equal(await page.evaluate(() => document.activeElement.id), 'practice-t');
      await page.keyboard.type(edge.t === null ? '' : edge.t.toFixed(4));
      await page.keyboard.press('Enter');
      const shown = await panel(page);
      assert.equal(shown.verdict, 'right', `edge ${e + 1} by keys`);
      if (e === 0) await assertNoAxeViolations(page, 'the explorer practising, answered right');
      if (e < walk.length - 1) {
        assert.equal(shown.focus, 'practice-next');
        await page.keyboard.press('Enter');  // the next edge, the focus on its first case
      }
    }
    assert.equal((await panel(page)).right, walk.length);
    await page.close();

    const phone = await h.openPage(browser, `${url}#t=${text}&pass=5&practise`, h.phone);
    const small = phone.page;
    await small.waitForFunction(() => !document.getElementById('practice').hidden);
    const fits = await small.evaluate(() => ({
      page: document.documentElement.scrollWidth,
      parts: ['practice-question', 'practice-figure', 'practice-buttons'].map((id) =>
        document.getElementById(id).getBoundingClientRect().right),
    }));
    assert.ok(fits.page <= 390 && fits.parts.every((right) => right <= 390), JSON.stringify(fits));
    await small.tap(`input[name="practice-case"][value="${walk[0].case}"]`);
    await small.fill('#practice-t', walk[0].t === null ? '' : walk[0].t.toFixed(4));
    await small.tap('#practice-check');
    assert.equal((await panel(small)).verdict, 'right', 'by touch');
    await small.tap('#practice-next');
    assert.match((await panel(small)).position, /^Edge 2/);
    assert.deepEqual([...session.problems, ...phone.problems], []);
    await small.close();
  });
});
