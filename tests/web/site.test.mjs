// The site as it is published: the web build installed into a fresh folder (cmake --install),
// served over HTTP, its pages loaded in headless Chromium; and the one-file demo copied alone into
// another folder and opened from the disk.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, describe, test } from 'node:test';
import { fileURLToPath, pathToFileURL } from 'node:url';

import { assertNoAxeViolations } from './axe.mjs';
import * as h from './harness.mjs';

const markdown = fs.readFileSync(
  path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../../docs/clipping.md'), 'utf8');

// The rules axe-core runs on every page besides WCAG 2.0 and 2.1 A and AA and the landmarks.
const pageRules = ['target-size', 'heading-order', 'empty-table-header'];

// Waits until the demo page has drawn its first frame (the state line is written after each).
const firstFrame = (page) => page.waitForFunction(
  () => document.getElementById('state').textContent !== '');

describe('The site', { timeout: 180_000 }, () => {
  let browser, server, folder;

  before(async () => {
    folder = fs.mkdtempSync(path.join(os.tmpdir(), 'clipdemo-site-'));
    const install = spawnSync('cmake', ['--install', h.webBuild, '--prefix', folder],
                              { encoding: 'utf8' });
    assert.equal(install.status, 0, install.stderr);
    server = await h.serveFolder(folder);
    browser = await h.launchBrowser();
  });

  after(async () => {
    await browser?.close();
    await server?.close();
    if (folder) fs.rmSync(folder, { recursive: true, force: true });
  });

  // Opens url and waits until the page has loaded all it asks for; returns the session.
  async function load(url) {
    const session = await h.openPage(browser, 'about:blank');
    await session.page.goto(url, { waitUntil: 'networkidle' });
    return session;
  }

  test('every link of the index leads to a page that loads without a failed request',
       async () => {
    const index = await load(`${server.base}index.html`);
    const links = await index.page.locator('a[href]').evaluateAll(
      (anchors) => anchors.map((anchor) => anchor.href));
    for (const page of ['clipdemo.html', 'clipping.html', 'clipdemo-single.html',
                        'explore.html']) {
      assert.ok(links.includes(`${server.base}${page}`), `the index links ${page}`);
    }
    assert.deepEqual(index.problems, [], 'index.html');
    for (const link of links) {
      const session = await load(link);
      assert.deepEqual(session.problems, [], link);
      await session.page.close();
    }
  });

  // What `cmake --install` gathers is the folder to publish: the pages, their scripts, styles,
  // pictures and figures, and the icon a browser asks for beside a figure opened alone; no file
  // of the build itself.
  test('the installed site holds only its own files, a real favicon.ico among them', async () => {
    const files = fs.readdirSync(folder, { recursive: true, withFileTypes: true })
      .filter((entry) => entry.isFile())
      .map((entry) => path.relative(folder, path.join(entry.parentPath ?? entry.path, entry.name)));
    const own = new RegExp('^((index|clipping|clipdemo|clipdemo-single|explore|check|worksheet)\\.html|' +
                           '(clipdemo|explore|check|worksheet)\\.(js|wasm)|clipdemo\\.data|site\\.css|' +
                           'favicon\\.ico|[\\w-]+\\.(png|gif)|' +
                           'figures/((screen|compact)/)?[\\w-]+\\.svg)$');
    assert.deepEqual(files.filter((name) => !own.test(name)), [], 'files not the site\'s own');
    // Every committed figure of the walkthrough, in each layout.
    const committed = fs.readdirSync(path.resolve(path.dirname(fileURLToPath(import.meta.url)),
                                                  '../../docs/figures'))
      .filter((name) => name.endsWith('.svg')).length;
    assert.equal(committed, 38, 'the five triangles\' 35 figures and three under other rules');
    for (const layout of ['', 'screen/', 'compact/']) {
      assert.equal(files.filter((name) => name.startsWith(`figures/${layout}`) &&
                                          !name.slice(8 + layout.length).includes('/')).length,
                   committed, `figures/${layout}`);
    }
    // An icon file: its directory names each image's size and where its bytes lie in the file,
    // and the browser draws it.
    const icon = fs.readFileSync(path.join(folder, 'favicon.ico'));
    assert.deepEqual([icon.readUInt16LE(0), icon.readUInt16LE(2)], [0, 1], 'an icon directory');
    const sizes = [];
    for (let i = 0; i < icon.readUInt16LE(4); ++i) {
      const entry = 6 + 16 * i;
      sizes.push(icon[entry] || 256);
      assert.ok(icon.readUInt32LE(entry + 12) + icon.readUInt32LE(entry + 8) <= icon.length);
    }
    assert.deepEqual(sizes.sort((a, b) => a - b), [16, 32]);
    const session = await load(`${server.base}figures/corner-final.svg`);
    const drawn = await session.page.evaluate(async () => {
      const image = new Image();
      image.src = '/favicon.ico';
      await image.decode();
      return [image.naturalWidth, image.naturalHeight];
    });
    assert.ok(drawn[0] >= 16 && drawn[0] === drawn[1], `the icon drawn at ${drawn}`);
    assert.deepEqual(session.problems, []);
    await session.page.close();
  });

  // axe-core's WCAG 2.0/2.1 A and AA rules, the landmark rules, WCAG 2.2's target size, and
  // headings in order with no empty header cell; each page the way a user meets it.
  test('every page passes axe-core, and each links back to the index', async () => {
    for (const name of ['index.html', 'clipping.html', 'clipdemo.html']) {
      const session = await load(`${server.base}${name}`);
      if (name === 'clipdemo.html') await firstFrame(session.page);
      await assertNoAxeViolations(session.page, name, { extraRules: pageRules });
      if (name !== 'index.html') {
        assert.ok(await session.page.locator('a[href="index.html"]').count() > 0,
                  `${name} links the index`);
      }
      assert.deepEqual(session.problems, [], name);
      await session.page.close();
    }
  });

  // With reduced motion asked for, and without: the same, nothing moves until asked to.
  test('the index shows a still, plays its animation on request and stops it again', async () => {
    const session = await h.openPage(browser, 'about:blank', { reducedMotion: 'reduce' });
    const page = session.page;
    const gifs = [];
    page.on('request', (request) => { if (/\.gif$/.test(request.url())) gifs.push(request.url()); });
    await page.goto(`${server.base}index.html`, { waitUntil: 'networkidle' });
    const shown = () => page.locator('main img').evaluate(
      (image) => image.complete && image.naturalWidth > 0 && new URL(image.src).pathname);
    assert.equal(await shown(), '/world-view.png');
    assert.deepEqual(gifs, [], 'no animation is fetched before it is asked for');
    // The image changes source on the click and then loads: wait for it to have drawn.
    const drawn = (name) => page.waitForFunction((wanted) => {
      const image = document.querySelector('main img');
      return image.complete && image.naturalWidth > 0 && new URL(image.src).pathname === wanted;
    }, name, { timeout: 10000 }).catch(() => {});
    await page.getByRole('button', { name: 'Play the animation' }).click();
    await drawn('/clipdemo.gif');
    assert.equal(await shown(), '/clipdemo.gif');
    await page.getByRole('button', { name: 'Stop the animation' }).click();
    await drawn('/world-view.png');
    assert.equal(await shown(), '/world-view.png');
    assert.deepEqual(session.problems, []);
    await page.close();
  });

  test('the walkthrough is a page of its own with every figure of its Markdown', async () => {
    const session = await load(`${server.base}clipping.html`);
    const page = session.page;
    assert.equal(await page.title(), 'How the clipping works · clipdemo');
    assert.equal(await page.locator('meta[name=viewport]').count(), 1);
    assert.ok(await page.evaluate(() => document.styleSheets[0].cssRules.length > 0),
              'its stylesheet has loaded');
    assert.ok(await page.locator('table').count() >= 4, 'the pipe tables are tables');

    // Every image the Markdown shows, as ![..](src) or <img src="..">, is on the page, loaded.
    const expected = new Set([...markdown.matchAll(/!\[[^\]]*\]\(([^)\s]+)\)/g),
                              ...markdown.matchAll(/<img [^>]*src="([^"]+)"/g)]
      .map((match) => new URL(match[1], server.base).href));
    const images = await page.locator('main img').evaluateAll((all) => all.map(
      (image) => ({ src: image.src, loaded: image.complete && image.naturalWidth > 0 })));
    // (The grid's figures in the screen layout, under the same names.)
    const named = (src) => src.replace(/\/figures\/(screen|compact)\//, '/figures/');
    assert.deepEqual(new Set(images.map((image) => named(image.src))), expected);
    assert.deepEqual(images.filter((image) => !image.loaded), [], 'images that did not load');

    // The figures it links rather than shows are there too, each link named by its figure.
    const links = await page.locator('main a[href]').evaluateAll(
      (anchors) => anchors.map((anchor) => anchor.href));
    assert.ok(links.length >= 28, `${links.length} links`);
    const planes = ['Left', 'Right', 'Bottom', 'Top', 'Near', 'Far'];
    const tableLinks = await page.locator('main td a[href^="figures/"]').evaluateAll(
      (anchors) => anchors.map((anchor) => [anchor.getAttribute('href'), anchor.textContent]));
    assert.equal(tableLinks.length, 35, 'the table of all figures');
    for (const [href, name] of tableLinks) {
      const pass = href.match(/-pass(\d)-/);
      assert.equal(name, pass ? `pass ${pass[1]}, Clip${planes[pass[1] - 1]}`
                              : 'clipped, then divided', href);
    }
    assert.equal(await page.locator('#glossary').count(), 1, 'the glossary\'s anchor');
    for (const link of links) {
      assert.equal((await page.request.get(link)).status(), 200, link);
    }
    assert.deepEqual(session.problems, []);
  });

  test('on a 390-pixel phone the walkthrough shows each figure in its screen layout, its text ' +
       '12 px or more, and a tap opens the figure alone in that layout, to zoom', async () => {
    const session = await h.openPage(browser, 'about:blank', h.phone);
    const page = session.page;
    await page.goto(`${server.base}clipping.html`, { waitUntil: 'networkidle' });
    // Each figure's smallest text as shown: its smallest font size times the picture's scale.
    const figures = await page.locator('main figure img').evaluateAll(
      (all) => Promise.all(all.map(async (image) => {
        const svg = await (await fetch(image.currentSrc)).text();
        const width = Number(svg.match(/<svg [^>]*width="([\d.]+)"/)[1]);
        const box = image.getBoundingClientRect();
        const sizes = [...svg.matchAll(/font-size="([\d.]+)"/g)].map((match) => Number(match[1]));
        return { src: image.currentSrc, smallest: (Math.min(...sizes) * box.width) / width,
                 inside: box.left >= 0 && box.right <= innerWidth };
      })));
    assert.ok(figures.length >= 14, `${figures.length} figures`);
    for (const { src, smallest, inside } of figures) {
      assert.match(src, /\/figures\/screen\/[^/]+\.svg$/, 'the screen layout');
      assert.ok(smallest >= 12, `${src}: text of ${smallest.toFixed(1)} px`);
      assert.ok(inside, `${src} lies within the screen's width`);
    }

    assert.deepEqual(session.problems, []);

    // The tap opens the figure in the layout shown, readable on the phone too.
    const figure = page.locator('main figure img').first();
    await figure.scrollIntoViewIfNeeded();
    const alone = await figure.evaluate((image) => image.currentSrc);
    assert.match(alone, /\/figures\/screen\/[^/]+\.svg$/);
    await Promise.all([page.waitForURL(alone), figure.tap()]);
    assert.equal(await page.evaluate(() => document.documentElement.localName), 'svg');
    const scale = () => page.evaluate(() => visualViewport.scale);
    const before = await scale();
    const cdp = await page.context().newCDPSession(page);
    await cdp.send('Input.synthesizePinchGesture', { x: 100, y: 100, scaleFactor: 2.5 });
    assert.ok(await scale() > 1.5 * before, 'two fingers zoom the figure');
    await page.close();
  });

  // Each figure links the explorer at its own triangle and pass: opened there, the explorer shows
  // that pass, and that very figure, byte for byte; and each is described in words, the <desc>
  // the figure library writes into it.
  test('every figure of the walkthrough opens its triangle in the clip explorer at its pass ' +
       'and is described in its own words', async () => {
    const session = await load(`${server.base}clipping.html`);
    const selector = 'main img[src^="figures/"]';
    const figures = await session.page.locator(selector).evaluateAll(
      (all) => Promise.all(all.map(async (image) => {
        const svg = new DOMParser().parseFromString(await (await fetch(image.src)).text(),
                                                    'image/svg+xml');
        const text = (element) => element?.textContent.replace(/\s+/g, ' ').trim();
        return {
          src: image.src,
          link: image.closest('figure').querySelector('a[href*="explore.html"]')?.href ?? '',
          shown: text(image.closest('figure').querySelector('details')),
          desc: text(svg.querySelector('desc')) };
      })));
    // The description a screen reader gets: each image's in the accessibility tree.
    const cdp = await session.page.context().newCDPSession(session.page);
    const { root } = await cdp.send('DOM.getDocument');
    const { nodeIds } = await cdp.send('DOM.querySelectorAll', { nodeId: root.nodeId, selector });
    for (const [i, nodeId] of nodeIds.entries()) {
      const { nodes } = await cdp.send('Accessibility.getPartialAXTree',
                                       { nodeId, fetchRelatives: false });
      figures[i].words = nodes[0].description?.value.replace(/\s+/g, ' ').trim();
    }
    const firstOfStem = new Map();
    for (const { src, link, shown, words, desc } of figures) {
      assert.ok(desc?.length > 100 && words === desc, `${src}: its description is "${words}"`);
      assert.equal(shown, `The figure in words ${desc}`, `${src}: the words shown`);
      // A figure of the grid shows the screen layout; its name is the print figure's.
      const print = src.replace(/\/figures\/(screen|compact)\//, '/figures/');
      const [, stem, pass] = print.match(/figures\/(.+)-(?:pass(\d)-\w+|final)\.svg$/);
      const [triangle, passLinked, ruled] =
        link.match(/(\/explore\.html#t=[^,&]+(?:,[^,&]+){8})(&pass=\d)?(.*)$/)?.slice(1) ?? [];
      assert.ok(triangle, `${src} links the explorer: ${link}`);
      assert.equal(passLinked ?? '', pass ? `&pass=${pass}` : '', `${src}: the link opens its pass`);
      // A figure drawn under other rules says so, and its link carries them, and no other does.
      assert.equal(ruled !== '', desc.includes('Rules: '), `${src}: the rules of ${link}`);
      if (!firstOfStem.has(stem)) firstOfStem.set(stem, { print, link, pass, triangle, ruled });
      assert.equal(triangle, firstOfStem.get(stem).triangle, `${stem}: one triangle, one address`);
    }
    assert.equal(firstOfStem.size, 8, 'the five triangles, and three figures under other rules');
    // Followed, the link shows its pass, chosen, under the rules it names; with all six shown,
    // wide enough for the print layout, that pass's figure is the walkthrough's, byte for byte.
    for (const { print, link, pass } of firstOfStem.values()) {
      const explorer = await h.openPage(browser, link, { viewport: { width: 1280, height: 800 } });
      const { page } = explorer;
      const id = pass ? `pass-${pass}` : 'final';
      const shownFigure = (container) => page.waitForFunction(
        (container) => document.querySelector(`#${container} img`)?.naturalWidth > 0, container);
      await shownFigure(id);
      assert.equal(await page.textContent('#pass-select [aria-pressed="true"]'),
                   pass ? `${pass} ${['ClipLeft', 'ClipRight', 'ClipBottom', 'ClipTop', 'ClipNear',
                                      'ClipFar'][pass - 1]}` : 'all six', `${link}: the pass`);
      if (pass) {
        await page.click('#pass-select button:nth-child(1)');
        await page.waitForFunction(() => !document.body.classList.contains('pass-chosen'));
        await shownFigure(id);
      }
      const same = await page.evaluate(async ([container, figure]) => {
        const text = async (url) => (await fetch(url)).text();
        return await text(document.querySelector(`#${container} img`).src) ===
               await text(figure);
      }, [id, print]);
      assert.ok(same, `${link} shows ${print}`);
      assert.deepEqual(explorer.problems, [], link);
      await page.close();
    }
  });
});

describe('The demo in one file, opened from the disk', { timeout: 120_000 }, () => {
  let browser, folder, session;
  const take = () => h.canvasPicture(session.page);

  before(async () => {
    folder = fs.mkdtempSync(path.join(os.tmpdir(), 'clipdemo-single-'));
    const file = path.join(folder, 'clipdemo-single.html');
    fs.copyFileSync(path.join(h.webBuild, 'clipdemo-single.html'), file);
    browser = await h.launchBrowser();
    session = await h.openPage(browser, pathToFileURL(file).href);
  });

  after(async () => {
    await browser?.close();
    if (folder) fs.rmSync(folder, { recursive: true, force: true });
  });

  test('draws the teapot lit inside the outline, passes axe-core, and Escape ends it until ' +
       '"Start again"', async () => {
    const loaded = /^Reading in teapot\.tri \(4032 triangles\)\. \. \.$/;
    await h.waitForOutput(session, loaded);
    h.checkMesh(await h.waitForPicture(take, (picture) => h.countPixels(picture, h.isMesh) > 100),
                'world view', 5);
    await firstFrame(session.page);
    await assertNoAxeViolations(session.page, 'clipdemo-single.html', { extraRules: pageRules });
    await session.page.keyboard.press('Escape');
    await h.sleep(300);
    const last = await take();
    await h.sleep(1000);
    assert.ok(h.samePicture(last, await take()), 'no frame after Escape');
    assert.match(await session.page.locator('#status').textContent(), /ended \(exit status 0\)/);
    session.output.length = 0;
    await session.page.keyboard.press('Enter');  // the focus is on "Start again"
    await h.waitForOutput(session, loaded);
    assert.deepEqual(session.problems, []);
  });
});
