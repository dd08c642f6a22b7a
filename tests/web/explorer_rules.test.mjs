// The clip explorer under other clippers' rules, in Debian's headless Chromium: for a few
// triangles (one behind the eye, the 9-vertex one, one given in clip space) and each variant
// (the zero-one volume, the mismatch, depth clamp, a guard band, a typed u, and all at once),
// every container's data-vertices, data-edges, data-attributes and data-skipped against the
// native walk of those rules (tests/clip_pass_bits with the same options), some figures' bytes
// against clipfigs with the same options; the rules in the address and in the controls, both
// ways, through a reload; a pass that depth clamp leaves out, stepped; axe-core with rules on.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';

import { assertNoAxeViolations } from './axe.mjs';
import { clipPassBits, containers, floatBits, launchBrowser, nativeFigures, run, shown,
         walkthrough } from './explorer_harness.mjs';
import * as h from './harness.mjs';

// Each variant as the address names it and as clipfigs and clip_pass_bits take it.
const variants = [
  ['volume=zero-one', ['--volume', 'zero-one']],
  ['volume=mismatch', ['--volume', 'mismatch']],
  ['clamp', ['--clamp']],
  ['guard=4', ['--guard', '4']],
  ['u=1,0.5,-2', ['--u', '1,0.5,-2']],
  ['volume=mismatch&clamp&guard=4&u=0.25,-1,3',
   ['--volume', 'mismatch', '--clamp', '--guard', '4', '--u', '0.25,-1,3']],
];

// What clip_pass_bits gives under the options: each polygon's bits, walks and u's bits.
function native(text, options) {
  const bits = JSON.parse(run(clipPassBits, [...options, text]));
  const edges = JSON.parse(run(clipPassBits, ['--edges', ...options, text]));
  const u = JSON.parse(run(clipPassBits, ['--attributes', ...options, text]));
  return { bits, edges, u };
}

// A float's bits in hex as floatBits writes them: every NaN alike.
function nanAsOne(bits) {
  const view = new DataView(new ArrayBuffer(4));
  view.setUint32(0, parseInt(bits, 16));
  return Number.isNaN(view.getFloat32(0)) ? 'NaN' : bits;
}

// What the containers carry.
const carried = (page) => page.evaluate((ids) => ids.map((id) => {
  const data = document.getElementById(id).dataset;
  return { vertices: JSON.parse(data.vertices), edges: data.edges && JSON.parse(data.edges),
           u: JSON.parse(data.attributes), skipped: data.skipped };
}), containers);

// Sets the address in the open page and waits until the page has followed it.
const go = (page, hash) => page.evaluate((hash) => new Promise((resolve) => {
  addEventListener('hashchange', () => setTimeout(resolve, 0), { once: true });
  location.hash = hash;
}), hash);

describe('The clip explorer under other clippers\' rules', { timeout: 400_000 }, () => {
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

  test('draws each variant as the native walk and clipfigs do, keeps its rules in the address ' +
       'and the controls both ways, steps a pass left out, and passes axe-core', async () => {
    const stem = (name) => walkthrough.find((triangle) => triangle.stem === name);
    const triangles = [
      { space: 't', ...stem('crosses-near') },
      { space: 't', ...stem('behind-eye') },
      { space: 't', ...stem('nine') },
      // The worked triangle in clip space: no cut under gl, t = 0.5 twice under zero-one.
      { space: 'c', stem: 'custom', text: '0,0,-0.5,1,0.5,0,0.5,1,-0.5,0.5,0.5,1' },
    ];
    // Wide enough for the print layout, with all six passes shown.
    const session = await h.openPage(browser, `${url}#t=${triangles[0].text}`,
                                     { viewport: { width: 1280, height: 800 } });
    const { page } = session;
    try {
      await page.waitForFunction(() => document.getElementById('final')?.dataset.attributes);
      for (const triangle of triangles) {
        for (const [rules, options] of variants) {
          const what = `${triangle.stem} ${rules}`;
          const hash = `#${triangle.space}=${triangle.text}&${rules}`;
          await go(page, hash);
          const state = await shown(page);
          assert.equal(state.message, '', `${what}: no message`);
          assert.equal(state.hash, hash, `${what}: the address keeps the rules`);
          const expected = native(triangle.text, options), got = await carried(page);
          got.forEach((container, i) => {
            const where = `${what}: ${containers[i]}`;
            assert.deepEqual(container.vertices.map((v) => v.map(floatBits)),
                             expected.bits[i].map((v) => v.map(nanAsOne)),
                             `${where} data-vertices`);
            assert.deepEqual(container.u.map(floatBits), expected.u[i], `${where} data-attributes`);
            if (i === 6) return;
            assert.deepEqual(container.edges, expected.edges[i], `${where} data-edges`);
            const left = options.includes('--clamp') && i >= 4;
            assert.equal(container.skipped, String(left), `${where} data-skipped`);
          });
          // The bytes clipfigs writes under the same rules, for two of them.
          if (!(triangle.stem === 'nine' && rules.includes('&')) &&
              !(triangle.space === 'c' && rules === 'volume=zero-one')) continue;
          const title = triangle.space === 'c' ? 'custom'
            : await page.textContent('#presets [aria-pressed="true"]');
          const figures = nativeFigures(triangle.text,
                                        [...options, '--title', title, '--stem', triangle.stem]);
          state.figures.forEach((figure, i) => assert.ok(
            Buffer.from(figure.dataUrl.split(',')[1], 'base64').equals(figures[i]),
            `${what}: ${containers[i]} is clipfigs' figure`));
        }
      }
      // The worked triangle's two cuts at t = 0.5 under zero-one, none under gl.
      await go(page, `#c=${triangles[3].text}&volume=zero-one`);
      const cuts = (await carried(page)).slice(0, 6).flatMap((pass) => pass.edges)
        .filter((edge) => edge.t !== null).map((edge) => edge.t);
      assert.deepEqual(cuts, [0.5, 0.5], 'the worked triangle under zero-one');

      // The address round trip: a link with rules, volume=gl and guard=1 among them, is written
      // back as given; an unknown volume is passed over with a note.
      const nine = `#t=${triangles[2].text}`;
      const given = `${nine}&pass=2&edge=2&volume=gl&clamp&guard=1&u=0,0.5,1`;
      await go(page, given);
      assert.equal((await shown(page)).hash, given, 'the address as given');
      await go(page, `${nine}&volume=flat&guard=4`);
      let state = await shown(page);
      assert.match(state.message, /volume, “flat”, is not gl, zero-one or mismatch: clipping /);
      assert.equal(state.hash, `${nine}&guard=4`, 'the unknown volume is left out');
      // Each control changes the address and is announced with the rules at a glance.
      await go(page, given);
      const controls = () => page.evaluate(() => ({
        hash: location.hash,
        volume: document.getElementById('rule-volume').value,
        clamp: document.getElementById('rule-clamp').checked,
        guard: document.getElementById('rule-guard').value,
        attribute: document.getElementById('rule-attribute').checked,
        u: document.getElementById('rule-u').value,
        label: document.getElementById('rules-label').textContent,
        said: document.getElementById('announce').textContent }));
      await page.selectOption('#rule-volume', 'zero-one');
      let now = await controls();
      assert.equal(now.hash, `${nine}&pass=2&edge=2&volume=zero-one&clamp&guard=1&u=0,0.5,1`);
      assert.match(now.said,
                   /^Rules: Vulkan: 0 ≤ z ≤ w · depth clamp · u = 0, 0\.5, 1\. ClipRight/);
      assert.equal(now.label, 'Rules: Vulkan: 0 ≤ z ≤ w · depth clamp · u = 0, 0.5, 1.');
      await page.uncheck('#rule-clamp');
      await page.selectOption('#rule-guard', '8');
      await page.fill('#rule-u', '2,x,1');
      assert.match(await page.textContent('#rules-error'), /^Not drawn: u: u1, “x”, is not a /);
      await page.fill('#rule-u', '1,0.5,-2');
      now = await controls();
      const typed = `${nine}&pass=2&edge=2&volume=zero-one&guard=8&u=1,0.5,-2`;
      assert.equal(now.hash, typed, 'the address follows the controls');
      const expected = native(triangles[2].text, ['--volume', 'zero-one', '--guard', '8',
                                                  '--u', '1,0.5,-2']);
      assert.deepEqual((await carried(page)).map((container) => container.u.map(floatBits)),
                       expected.u, 'the typed u through the passes');
      // The step's words carry the u of its cut, as the library gives it.
      const cut = expected.edges.findIndex((walk) => walk.some((edge) => edge.t !== null));
      const crossing = expected.edges[cut].findIndex((edge) => edge.t !== null);
      await go(page, `${nine}&pass=${cut + 1}&edge=${crossing + 1}&volume=zero-one&guard=8` +
                     '&u=1,0.5,-2');
      assert.match(await page.textContent('#step-text'),
                   /u\(I\) = u\(P\) \+ t·\(u\(Q\) − u\(P\)\) = /);
      await go(page, typed);
      await page.reload();
      await page.waitForFunction(() => document.getElementById('final')?.dataset.attributes);
      const reloaded = await controls();
      assert.deepEqual({ ...reloaded, said: '' }, { ...now, said: '' }, 'a reload restores it');
      await assertNoAxeViolations(page, 'the explorer with rules on');

      // Depth clamp leaves the near pass out: chosen, it says so and steps nowhere.
      await go(page, `${nine}&pass=5&clamp&guard=4`);
      const left = await page.evaluate(() => ({
        position: document.getElementById('step-position').textContent,
        text: document.getElementById('step-text').textContent,
        next: document.getElementById('step-next').getAttribute('aria-disabled'),
        play: document.getElementById('step-play').disabled,
        skipped: document.getElementById('pass-5').dataset.skipped }));
      assert.deepEqual(left, { position: 'no edges', next: 'true', play: true, skipped: 'true',
                               text: left.text }, 'the pass left out');
      assert.match(left.text, /^Depth clamp: this pass is not made\./);
      await page.focus('#step-next');
      for (const key of ['Enter', 'ArrowRight', 'End']) await page.keyboard.press(key);
      assert.equal(await page.textContent('#step-position'), 'no edges', 'keys step nowhere');
      await assertNoAxeViolations(page, 'the explorer with a pass left out');

      // Under zero-one the corners go into clip space by zero-one's projection: the same
      // figures, the preset still recognised, and back again to the same eye-space numbers.
      await go(page, `#t=${triangles[1].text}&volume=zero-one`);
      const eye = await shown(page);
      const preset = await page.textContent('#presets [aria-pressed="true"]');
      await page.check('#clip-space');
      const clip = await shown(page);
      assert.equal(clip.hash, `#c=${clip.fields.join(',')}&volume=zero-one`);
      assert.deepEqual(clip.figures.map((f) => f.dataUrl), eye.figures.map((f) => f.dataUrl),
                       'the same figures in clip space');
      assert.equal(await page.textContent('#presets [aria-pressed="true"]'), preset,
                   'the preset still recognised');
      await page.uncheck('#clip-space');
      assert.deepEqual((await shown(page)).fields, eye.fields, 'back in eye space');
      assert.deepEqual(session.problems, []);
    } finally {
      await page.close();
    }
  });
});
