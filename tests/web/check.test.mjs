// The check page (check.html) as a learner meets it: served over HTTP in Debian's headless
// Chromium, its triangles downloaded, a trace chosen with the file input, by the keyboard and
// dropped on the page, judged against the native cliptrace: the page's report must be the
// tool's words for the same files, and its links must open the clip explorer at the triangle,
// the pass and the edge. Then axe-core, and a phone.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { chromium } from 'playwright-core';

import { assertNoAxeViolations } from './axe.mjs';
import * as h from './harness.mjs';

const top = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const cliptrace = process.env.CLIPTRACE ?? path.join(top, 'build/tools/cliptrace');
const learner = path.join(top, 'tests/learners/learner_clipper.py');

// The page draws nothing with WebGL: Chromium's own raster on the CPU.
const launchBrowser = () => chromium.launch({
  executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', headless: true,
  args: ['--disable-gpu'] });

function run(program, args) {
  const result = spawnSync(program, args, { encoding: 'utf8', maxBuffer: 64 << 20 });
  if (result.status !== 0 && result.status !== 1) {
    throw new Error(`${program} ${args.join(' ')}: ${result.stderr}`);
  }
  return result.stdout;
}

// The report as the page shows it, written back in the tool's words: each section's heading
// and paragraphs (a link as the address it opens), each list item, and the summary last.
async function shownReport(page) {
  return page.evaluate(() => {
    const out = [];
    for (const node of document.getElementById('report').children) {
      if (node.tagName === 'SECTION') {
        const lines = [node.querySelector('h3').textContent];
        for (const p of node.querySelectorAll('p')) {
          const link = p.querySelector('a');
          lines.push('  ' + (link ? 'In the clip explorer: ' + link.getAttribute('href')
                                  : p.textContent));
        }
        out.push(lines.join('\n') + '\n');
      } else if (node.tagName === 'UL') {
        out.push([...node.querySelectorAll('li')].map((li) => li.textContent).join('\n') + '\n');
      }
    }
    out.push(document.getElementById('summary').textContent);
    return out.join('\n') + '\n';
  });
}

const checked = (page) => page.waitForFunction(
  () => document.getElementById('report-title').dataset.checked === 'true' &&
        !/^Checking/.test(document.getElementById('summary').textContent));

describe('The check page', { timeout: 180_000 }, () => {
  let browser, server, folder;
  const files = {};

  before(async () => {
    folder = fs.mkdtempSync(path.join(os.tmpdir(), 'clipdemo-check-'));
    const write = (name, text) => {
      files[name] = path.join(folder, name);
      fs.writeFileSync(files[name], text);
    };
    const made = ['triangles', '--seed', '3', '--count', '30', '--hard'];
    write('triangles.jsonl', run(cliptrace, made));
    write('triangles.txt', run(cliptrace, [...made, '--text']));
    // A learner whose far pass is skipped wholesale is too easy: divided-first, which shows
    // where corners lie behind the eye, and a line lost.
    files['trace.jsonl'] = path.join(folder, 'trace.jsonl');
    const python = spawnSync('python3', [learner, files['triangles.txt'], files['trace.jsonl'],
                                         '--mistake', 'divided-first']);
    assert.equal(python.status, 0, String(python.stderr));
    const lines = fs.readFileSync(files['trace.jsonl'], 'utf8').split('\n');
    lines.splice(lines.findIndex((line) => line.startsWith('{"id": "r5"')), 1);
    write('trace.jsonl', lines.join('\n'));
    server = await h.serveFolder(h.webBuild);
    browser = await launchBrowser();
  });

  after(async () => {
    await browser?.close();
    await server?.close();
    if (folder) fs.rmSync(folder, { recursive: true, force: true });
  });

  async function open(options = {}) {
    const session = await h.openPage(browser, `${server.base}check.html`, options);
    await session.page.waitForFunction(() => document.body.dataset.ready === 'true');
    // The triangles the files were made of.
    await session.page.fill('#seed', '3');
    await session.page.fill('#count', '30');
    await session.page.check('#hard');
    return session;
  }

  test('the downloaded triangles are the tool\'s, in either form', async () => {
    const { page, problems } = await open({ acceptDownloads: true });
    for (const [format, name] of [['#format-json', 'triangles.jsonl'],
                                  ['#format-text', 'triangles.txt']]) {
      await page.check(format);
      const [download] = await Promise.all([page.waitForEvent('download'),
                                            page.click('#download')]);
      assert.equal(download.suggestedFilename(), name);
      const saved = fs.readFileSync(await download.path(), 'utf8');
      assert.equal(saved, fs.readFileSync(files[name], 'utf8'), name);
    }
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a trace chosen, or chosen with its triangles, gives the tool\'s report', async () => {
    const { page, problems } = await open();
    await page.setInputFiles('#trace-file', files['trace.jsonl']);
    await checked(page);
    const native = run(cliptrace, ['check', files['triangles.jsonl'], files['trace.jsonl']]);
    assert.match(native, /divided-first/);
    assert.match(native, /r5 is missing from the trace/);
    assert.equal(await shownReport(page), native);
    // With the text form of the triangles chosen as well (no eye space: the links carry #c=).
    await page.setInputFiles('#triangles-file', files['triangles.txt']);
    await checked(page);
    assert.equal(await shownReport(page),
                 run(cliptrace, ['check', files['triangles.txt'], files['trace.jsonl']]));
    assert.match(await page.locator('#report a').first().getAttribute('href'),
                 /^explore\.html#c=/);
    await assertNoAxeViolations(page, 'check.html with a report',
                                { extraRules: ['target-size', 'heading-order'] });
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('by the keyboard alone the trace is chosen and checked', async () => {
    const { page, problems } = await open();
    await page.focus('#check');
    // Back from the Check button to the trace's file input.
    for (let i = 0; i < 8; ++i) {
      const id = await page.evaluate(() => document.activeElement.id);
      if (id === 'trace-file') break;
      await page.keyboard.press('Shift+Tab');
    }
    assert.equal(await page.evaluate(() => document.activeElement.id), 'trace-file');
    const [chooser] = await Promise.all([page.waitForEvent('filechooser'),
                                         page.keyboard.press('Space')]);
    await chooser.setFiles(files['trace.jsonl']);
    await checked(page);
    assert.match(await page.textContent('#summary'), /^\d+ of 50 triangles right; /);
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('a trace dropped gives the report; its link opens the explorer there', async () => {
    const { page, problems } = await open();
    const text = fs.readFileSync(files['trace.jsonl'], 'utf8');
    const dataTransfer = await page.evaluateHandle((content) => {
      const transfer = new DataTransfer();
      transfer.items.add(new File([content], 'trace.jsonl', { type: 'application/json' }));
      return transfer;
    }, text);
    await page.dispatchEvent('#drop-zone', 'drop', { dataTransfer });
    await checked(page);
    assert.equal(await shownReport(page),
                 run(cliptrace, ['check', files['triangles.jsonl'], files['trace.jsonl']]));

    const json = JSON.parse(run(cliptrace, ['check', files['triangles.jsonl'],
                                            files['trace.jsonl'], '--json']));
    const wrong = json.results.find((r) => r.mistake === 'divided-first');
    const link = page.locator(`#report section[data-id="${wrong.id}"] a`);
    assert.equal(await link.getAttribute('href'), wrong.address);
    await Promise.all([page.waitForURL(/explore\.html#/), link.click()]);
    await page.waitForFunction(() => document.querySelectorAll('.figure img').length === 7);
    // The explorer shows that triangle: its nine numbers are the triangle's eye-space corners.
    const triangle = fs.readFileSync(files['triangles.jsonl'], 'utf8').split('\n')
      .map((line) => line && JSON.parse(line)).find((t) => t && t.id === wrong.id);
    // The fields shown: x, y, z of each corner (the w column belongs to clip space).
    const fields = await page.$$eval('#numbers input', (inputs) => inputs
      .filter((input) => input.offsetParent !== null).map((input) => input.value));
    assert.deepEqual(fields.map(Number), triangle.eye);
    // At that pass and edge: the pass chosen and the step at that edge.
    await page.waitForFunction(() => !document.getElementById('steps').hidden);
    const shown = await page.evaluate(() => ({
      pass: document.querySelector('#pass-select [aria-pressed="true"]')?.textContent ?? '',
      position: document.getElementById('step-position').textContent,
    }));
    assert.equal(shown.pass.split(' ')[0], String(wrong.pass));
    assert.match(shown.position, new RegExp(`^edge ${wrong.edge} of `));
    assert.deepEqual(problems, []);
    await page.close();
  });

  test('on a phone the page fits the screen and works by touch; axe-core finds nothing', async () => {
    const { page, problems } = await open(h.phone);
    await assertNoAxeViolations(page, 'check.html on a phone',
                                { extraRules: ['target-size', 'heading-order'] });
    await page.setInputFiles('#trace-file', files['trace.jsonl']);
    await checked(page);
    await page.tap('#check');
    await checked(page);
    const widths = await page.evaluate(() => [document.documentElement.scrollWidth,
                                              window.innerWidth]);
    assert.ok(widths[0] <= widths[1], `the page is ${widths[0]} px wide in ${widths[1]}`);
    // Its labels name the two file inputs apart: the trace's says "trace", the triangles'
    // says "triangles" and not "trace".
    const trace = await page.getByRole('button', { name: /trace/ }).getAttribute('id');
    const triangles = await page.getByRole('button', { name: /^(?!.*trace).*triangles file/ })
      .getAttribute('id');
    assert.deepEqual([trace, triangles], ['trace-file', 'triangles-file']);
    assert.deepEqual(problems, []);
    await page.close();
  });
});
