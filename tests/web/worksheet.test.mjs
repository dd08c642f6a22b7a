// The worksheets (worksheet.html) of the web build in headless Chromium, against the native
// build: each exercise is the triangle clipfigs --practise names, the answer key's data-edges the
// walk the native clipper makes (tests/clip_pass_bits --edges), the question figure the bytes
// clipfigs --question writes; the question sheet tells no answer; on A4 and Letter no exercise
// is cut by a page break and no control is printed; bad values fall back with a note; axe-core
// finds nothing.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';

import { assertNoAxeViolations } from './axe.mjs';
import { clipfigs, launchBrowser, nativeEdges, run } from './explorer_harness.mjs';
import * as h from './harness.mjs';

// Paper less the page's 12 mm margins, in CSS px (96 to the inch): what one page holds.
const mm = 96 / 25.4;
const papers = [
  { format: 'A4', width: (210 - 24) * mm, height: (297 - 24) * mm },
  { format: 'Letter', width: (215.9 - 24) * mm, height: (279.4 - 24) * mm },
];
const pageRules = ['target-size', 'heading-order', 'empty-table-header'];

describe('The worksheets', { timeout: 300_000 }, () => {
  let browser, server;

  before(async () => {
    server = await h.serveFolder(h.webBuild);
    browser = await launchBrowser();
  });

  after(async () => {
    await browser?.close();
    await server?.close();
  });

  async function open(hash) {
    const session = await h.openPage(browser, `${server.base}worksheet.html${hash}`);
    await session.page.waitForSelector('body[data-ready]');
    return session;
  }

  // What each exercise carries, and how many elements carry data-t at all.
  const exercises = (page) => page.evaluate(() => ({
    tagged: document.querySelectorAll('[data-t]').length,
    withEdges: document.querySelectorAll('[data-edges]').length,
    list: [...document.querySelectorAll('.exercise')].map((element) => ({
      t: element.dataset.t,
      edges: element.dataset.edges ?? null,
      text: element.innerText,
      alts: [...element.querySelectorAll('img')].map((image) => image.alt).join('\n'),
      question: element.querySelector('figure.question img').src,
      steps: element.querySelectorAll('.steps img.step').length,
      rows: element.querySelectorAll('table.walk tbody tr').length,
      // The cells the learner fills in: case, t and what is appended.
      answered: [...element.querySelectorAll('table.walk tbody td:nth-child(n+4)')]
        .map((cell) => cell.textContent).join(''),
    })),
  }));

  test('the answer key is the native walk of the practice triangles, the question sheet ' +
       'shows none of it', async () => {
    for (const [seed, pass, count] of [[3, 2, 6], [11, 5, 3], [4000000000, 1, 4], [7, 4, 2]]) {
      const hash = `#seed=${seed}&pass=${pass}&count=${count}`;
      const what = `worksheet.html${hash}`;
      const lines = run(clipfigs, ['--practise', String(seed), '--pass', String(pass),
                                   '--count', String(count)]).trim().split('\n');
      const key = await open(hash + '&answers');
      const answers = await exercises(key.page);
      assert.equal(answers.list.length, count, what);
      assert.equal(answers.tagged, count, `${what}: only the exercises carry data-t`);
      assert.equal(answers.withEdges, count, `${what}: only the exercises carry data-edges`);
      const sheet = await open(hash);
      const questions = await exercises(sheet.page);
      assert.equal(questions.tagged, count, what);
      assert.equal(questions.withEdges, 0, `${what}: the question sheet carries no walk`);
      for (let i = 0; i < count; ++i) {
        const exercise = `${what}: exercise ${i + 1}`;
        const text = lines[i].slice('#t='.length);
        assert.equal(answers.list[i].t, lines[i], exercise);
        assert.equal(questions.list[i].t, lines[i], exercise);
        const walk = nativeEdges(text)[pass - 1];
        assert.deepEqual(JSON.parse(answers.list[i].edges), walk, `${exercise}: data-edges`);
        assert.equal(answers.list[i].rows, walk.length, exercise);
        assert.equal(questions.list[i].rows, walk.length, exercise);
        assert.equal(answers.list[i].steps, walk.length, `${exercise}: a step figure per edge`);
        // The answer key says each case and each t; the question sheet none, nor its figure.
        for (const edge of walk) {
          assert.ok(answers.list[i].text.includes(edge.case), exercise);
          if (edge.t !== null) {
            const t = edge.t.toFixed(4);
            assert.ok(answers.list[i].answered.includes(t), `${exercise}: t = ${t}`);
          }
        }
        assert.equal(questions.list[i].answered, '', `${exercise}: the table is filled in`);
        assert.doesNotMatch(questions.list[i].text + questions.list[i].alts,
                            /\b(in-in|in-out|out-in|out-out|t = |d\(P\) = )/, exercise);
        assert.equal(questions.list[i].steps, 0, exercise);
        // The question figure: the bytes clipfigs --question draws (which tell no answer).
        const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'worksheet-question-'));
        run(clipfigs, ['--triangle', text, '--title', `exercise ${i + 1}`, '--stem', 'q',
                       '--compact', '--question', String(pass), folder]);
        const [file] = fs.readdirSync(folder);
        const native = fs.readFileSync(path.join(folder, file), 'utf8');
        fs.rmSync(folder, { recursive: true, force: true });
        const shownFigure = decodeURIComponent(questions.list[i].question.split(',').slice(1)
          .join(','));
        assert.equal(shownFigure, native, `${exercise}: the question figure`);
      }
      assert.deepEqual([...key.problems, ...sheet.problems], [], what);
      await key.page.close();
      await sheet.page.close();
    }
  });

  test('prints on A4 and Letter with no exercise split and no control printed', async () => {
    // Seed 1's far pass has an exercise of six vertices entering, as many as 3600 exercises of
    // thirty seeds have.
    for (const hash of ['#seed=5&pass=3&count=20', '#seed=5&pass=3&count=20&answers',
                        '#seed=1&pass=6&count=20', '#seed=1&pass=6&count=20&answers']) {
      const session = await open(hash);
      const { page } = session;
      for (const paper of papers) {
        const what = `worksheet.html${hash} on ${paper.format}`;
        const pdf = await page.pdf({ format: paper.format });
        assert.equal(pdf.subarray(0, 5).toString(), '%PDF-', what);
        // The page as printed: the paper's width, print styles.
        await page.setViewportSize({ width: Math.floor(paper.width), height: 900 });
        await page.emulateMedia({ media: 'print' });
        const laid = await page.evaluate(() => ({
          exercises: [...document.querySelectorAll('.exercise')].map((element) => ({
            height: element.getBoundingClientRect().height,
            avoid: getComputedStyle(element).breakInside,
          })),
          hidden: ['nav', '#controls', '#note', '.practise-link'].map((selector) =>
            [...document.querySelectorAll(selector)].every(
              (element) => getComputedStyle(element).display === 'none')),
          ink: getComputedStyle(document.querySelector('.exercise td')).color,
        }));
        assert.ok(laid.exercises.length >= 10, what);
        laid.exercises.forEach((exercise, i) => {
          assert.equal(exercise.avoid, 'avoid', `${what}: exercise ${i + 1} may be split`);
          assert.ok(exercise.height <= paper.height,
                    `${what}: exercise ${i + 1} is ${exercise.height} px, the page ${paper.height}`);
        });
        assert.deepEqual(laid.hidden, [true, true, true, true], `${what}: controls printed`);
        assert.equal(laid.ink, 'rgb(0, 0, 0)', `${what}: the tables in black`);
        await page.emulateMedia({ media: 'screen' });
      }
      await page.close();
    }
  });

  test('bad values fall back with a note, the form makes the sheet, and axe-core finds ' +
       'nothing', async () => {
    const session = await open('#seed=abc&pass=9&count=50');
    const { page } = session;
    const fallback = await exercises(page);
    assert.deepEqual(fallback.list.map((exercise) => exercise.t),
                     run(clipfigs, ['--practise', '1', '--pass', '1', '--count', '5'])
                       .trim().split('\n'));
    const note = await page.locator('#note').innerText();
    for (const word of ['“abc”', '“9”', '“50”']) assert.ok(note.includes(word), note);
    await assertNoAxeViolations(page, 'the worksheet with a note', { extraRules: pageRules });
    // The form: seed 12, the near plane, two exercises, the answer key.
    await page.fill('#seed', '12');
    await page.selectOption('#pass', '5');
    await page.fill('#count', '2');
    await page.check('#answers');
    await page.click('#make');
    await page.waitForFunction(() => location.hash === '#seed=12&pass=5&count=2&answers');
    await page.waitForFunction(() => document.querySelectorAll('[data-edges]').length === 2);
    assert.equal(await page.locator('#note').innerText(), '');
    assert.match(await page.locator('h1').innerText(), /^Answer key/);
    await assertNoAxeViolations(page, 'the answer key', { extraRules: pageRules });
    await page.goto(`${server.base}worksheet.html#seed=12&pass=5&count=2`);
    await page.reload();
    await page.waitForSelector('body[data-ready]');
    assert.match(await page.locator('h1').innerText(), /^Worksheet/);
    await assertNoAxeViolations(page, 'the worksheet', { extraRules: pageRules });
    assert.deepEqual(session.problems, []);
    await page.close();
  });
});
