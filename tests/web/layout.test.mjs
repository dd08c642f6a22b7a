// The explorer and the walkthrough at the window sizes learners and teachers bring, served from
// the web build to Debian's headless Chromium: no page wider than its window; from 390 px up no
// text of a figure or a view under 12 CSS px as shown, and no figure shown larger than its layout
// was drawn for; on a laptop's, a desk's and a projector's screen the views, a chosen pass's
// figure and its step buttons on the first screen, the figure staying in sight while the page
// scrolls to the pass and triangle buttons; on a phone the step buttons and the step's words in
// view around the figure. Each test reports what it measured (node --test shows it).
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';

import { assertNoAxeViolations } from './axe.mjs';
import { launchBrowser, walkthrough } from './explorer_harness.mjs';
import * as h from './harness.mjs';

// The 9-vertex triangle: its last passes have the tallest figures (8 vertices in, 9 out).
const nine = walkthrough.find(({ stem }) => stem === 'nine').text;

// Waits until every figure the page shows has drawn, after the layout has settled.
const settled = (page) => page.waitForFunction(() => new Promise((resolve) => {
  requestAnimationFrame(() => requestAnimationFrame(() => resolve(
    [...document.querySelectorAll('main img')].every((image) => image.complete &&
                                                                image.naturalWidth > 0))));
}), null, { timeout: 30000 });

// What the page shows of its text, in CSS pixels: for each figure image shown, its SVG's
// smallest font size times the image's scale, and that scale; for the views, each label's size
// as drawn. Also the document's width.
const measure = (page) => page.evaluate(async () => {
  const sizes = [];
  for (const image of document.querySelectorAll('main img')) {
    const box = image.getBoundingClientRect();
    if (box.width === 0 || !/(\.svg$|^data:image\/svg)/.test(image.currentSrc)) continue;
    const svg = await (await fetch(image.currentSrc)).text();
    const scale = box.width / Number(svg.match(/<svg [^>]*width="([\d.]+)"/)[1]);
    const fonts = [...svg.matchAll(/font-size="([\d.]+)"/g)].map((match) => Number(match[1]));
    sizes.push({ what: image.closest('[id]')?.id ?? image.currentSrc.split('/').pop(),
                 size: Math.min(...fonts) * scale, scale });
  }
  for (const text of document.querySelectorAll('.view svg text')) {
    sizes.push({ what: text.closest('svg').id, scale: 1,
                 size: parseFloat(getComputedStyle(text).fontSize) * text.getScreenCTM().a });
  }
  return { width: document.documentElement.scrollWidth, sizes };
});

// The boxes of what must be on the first screen, in the window's coordinates.
const boxes = (page, pass) => page.evaluate((pass) => Object.fromEntries(
  [['top view', '#top-view'], ['side view', '#side-view'], ['figure', `#pass-${pass} img`],
   ['Previous', '#step-previous'], ['Next', '#step-next'], ['Play', '#step-play']]
    .map(([name, selector]) => [name, document.querySelector(selector)
      .getBoundingClientRect().toJSON()])), pass);

// Whether a box lies within the window (to the pixel: a scroll may leave a fraction over).
const within = (box, width, height) =>
  box.left > -1 && box.top > -1 && box.right < width + 1 && box.bottom < height + 1;
const where = (box) => `${Math.round(box.left)},${Math.round(box.top)}–` +
                       `${Math.round(box.right)},${Math.round(box.bottom)}`;

describe('The pages at every size', { timeout: 600_000 }, () => {
  let browser, server;

  before(async () => {
    server = await h.serveFolder(h.webBuild);
    browser = await launchBrowser();
  });

  after(async () => {
    await browser?.close();
    await server?.close();
  });

  test('from 320 to 1920 px wide no page is wider than its window, and from 390 px no text ' +
       'of a figure or a view is under 12 px and no figure is shown larger than drawn',
       async (t) => {
    const pages = [
      ['explore.html, all six', `explore.html#t=${nine}`],
      ['explore.html, pass 6', `explore.html#t=${nine}&pass=6&edge=8`],
      ['clipping.html', 'clipping.html'],
      ['index.html', 'index.html'],
      ['clipdemo.html', 'clipdemo.html'],
    ];
    const page = await browser.newPage();
    const problems = [];
    page.on('pageerror', (error) => problems.push(error.message));
    try {
      for (const width of [320, 390, 600, 650, 700, 820, 900, 1024, 1280, 1920]) {
        await page.setViewportSize({ width, height: 800 });
        const report = [];
        for (const [name, address] of pages) {
          await page.goto('about:blank');
          await page.goto(server.base + address, { waitUntil: 'networkidle' });
          await settled(page);
          const { width: documentWidth, sizes } = await measure(page);
          const what = `${name} at ${width} px`;
          assert.ok(documentWidth <= width, `${what}: the document is ${documentWidth} px wide`);
          assert.ok(sizes.some(({ what }) => /view/.test(what)) || !/explore/.test(name));
          if (sizes.length === 0) continue;  // no figure on the page
          const smallest = sizes.reduce((a, b) => (b.size < a.size ? b : a));
          report.push(`${name} ${smallest.size.toFixed(1)}`);
          if (width < 390) continue;
          assert.ok(smallest.size >= 11.99,
                    `${what}: ${smallest.what}'s text is ${smallest.size.toFixed(2)} px`);
          for (const { what: figure, scale } of sizes) {
            assert.ok(scale <= 1.001, `${what}: ${figure} is shown ${scale.toFixed(3)} times ` +
                                      'the size it was drawn for');
          }
        }
        t.diagnostic(`${width} px, smallest text: ${report.join('; ')}`);
      }
      assert.deepEqual(problems, []);
    } finally {
      await page.close();
    }
  });

  // Every step of the 9-vertex triangle's last two passes, chosen by a real click, stepped with
  // real clicks on Next.
  test('at 1024 by 768, 1280 by 800 and 1920 by 1080 the views, the tallest step figures and ' +
       'the step buttons lie on the first screen, and the figure stays there while the page ' +
       'scrolls to the pass and triangle buttons', async (t) => {
    for (const [width, height] of [[1024, 768], [1280, 800], [1920, 1080]]) {
      const session = await h.openPage(browser, `${server.base}explore.html#t=${nine}`,
                                       { viewport: { width, height } });
      const { page } = session;
      try {
        await settled(page);
        for (const pass of [5, 6]) {
          await page.click(`#pass-select button:nth-child(${pass + 1})`);
          // The first screen: the page and the column the click scrolled, at their tops.
          await page.evaluate(() => {
            window.scrollTo(0, 0);
            document.querySelector('.column').scrollTop = 0;
          });
          const count = Number((await page.textContent('#step-position')).split(' of ')[1]);
          let figureHeight = null;
          for (let edge = 1; edge <= count; ++edge) {
            if (edge > 1) await page.click('#step-next');
            await settled(page);
            assert.equal(await page.textContent('#step-position'), `edge ${edge} of ${count}`);
            const shown = await boxes(page, pass);
            const what = `${width}×${height}, pass ${pass}, edge ${edge}`;
            for (const [name, box] of Object.entries(shown)) {
              assert.ok(within(box, width, height), `${what}: ${name} at ${where(box)}`);
            }
            figureHeight ??= shown.figure.height;
            assert.equal(shown.figure.height, figureHeight, `${what}: the figure's height`);
            if (pass === 6 && edge === count) {
              t.diagnostic(`${width}×${height}: ` + Object.entries(shown)
                .map(([name, box]) => `${name} ${where(box)}`).join(', '));
            }
          }
        }
        // Down the column beside the figure to the buttons, as far as the page goes.
        for (const selector of ['#pass-select', '#presets']) {
          await page.locator(selector).scrollIntoViewIfNeeded();
          const [target, figure] = await page.evaluate((selector) => [
            document.querySelector(selector).getBoundingClientRect().toJSON(),
            document.querySelector('#pass-6 img').getBoundingClientRect().toJSON()], selector);
          const what = `${width}×${height}, scrolled to ${selector}`;
          assert.ok(within(target, width, height), `${what}: the buttons at ${where(target)}`);
          assert.ok(within(figure, width, height), `${what}: the figure at ${where(figure)}`);
        }
        assert.deepEqual(session.problems, []);
      } finally {
        await page.close();
      }
    }
  });

  test('on a 390 by 844 phone the step buttons and the step\'s words stay in view while the ' +
       'step figure scrolls between them', async () => {
    const context = await browser.newContext(h.phone);
    try {
      const session = await h.openPage(context, `${server.base}explore.html#t=${nine}&pass=6`);
      const { page } = session;
      await settled(page);
      await assertNoAxeViolations(page, 'the explorer on a phone, pass 6 chosen');
      const figure = await page.locator('#pass-6 img').boundingBox();
      assert.ok(figure.height > 844, 'the step figure is taller than the screen');
      // The figure's top, its middle and its end at the screen's middle, and a tap on Next.
      for (const at of [0.1, 0.5, 0.9]) {
        await page.evaluate((y) => window.scrollTo(0, y),
                            figure.y + at * figure.height - 844 / 2);
        const shown = await page.evaluate(() => ['#step-next', '#step-text']
          .map((selector) => document.querySelector(selector).getBoundingClientRect().toJSON()));
        for (const box of shown) {
          assert.ok(within(box, 390, 844), `at ${at} of the figure: ${where(box)}`);
        }
        const before = await page.textContent('#step-position');
        await page.tap('#step-next');
        assert.notEqual(await page.textContent('#step-position'), before, 'Next steps');
      }
      assert.deepEqual(session.problems, []);
    } finally {
      await context.close();
    }
  });
});
