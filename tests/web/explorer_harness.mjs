// What the clip explorer's browser tests share (explorer.test.mjs, explorer_address.test.mjs,
// explorer_words.test.mjs):
// Chromium, the native references (clipfigs, clip_pass_bits), the walkthrough's and the strained
// triangles, and reading back what the page shows.
import assert from 'node:assert/strict';
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { chromium } from 'playwright-core';

// Debian's Chromium, headless, rastering on the CPU: the explorer draws no WebGL, and Chromium's
// own raster draws its vector figures several times faster than SwiftShader's emulated GPU,
// which the demo's page needs.
export const launchBrowser = () => chromium.launch({
  executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium', headless: true,
  args: ['--disable-gpu'] });

export const top = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
export const clipfigs = process.env.CLIPFIGS ?? path.join(top, 'build/tools/clipfigs');
export const clipPassBits = process.env.CLIP_PASS_BITS ??
  path.join(top, 'build/tests/clip_pass_bits');
export const containers = ['pass-1', 'pass-2', 'pass-3', 'pass-4', 'pass-5', 'pass-6', 'final'];
export const figureNames = ['pass1-left', 'pass2-right', 'pass3-bottom', 'pass4-top',
                            'pass5-near', 'pass6-far', 'final'];

export function run(program, args) {
  const result = spawnSync(program, args, { encoding: 'buffer' });
  if (result.status !== 0) throw new Error(`${program} ${args.join(' ')}: ${result.stderr}`);
  return result.stdout.toString();
}

// The walkthrough's triangles as clipfigs names them: [{stem, text}], text as in the address.
export const walkthrough = run(clipfigs, ['--explorer-links']).trim().split('\n').map((line) => {
  const [stem, address] = line.split(' ');
  return { stem, text: address.replace('explore.html#t=', '') };
});

// Triangles that strain the clipper and the figures, each written as the page writes it.
export const strained = [
  '0.1,0.1,-0.5,-0.2,0.1,0.4,0.2,-0.3,1.5',         // two corners behind the eye
  '0.5,0,-0.5,0,0.2,-0.7,-0.1,-0.1,-0.4',           // a corner on the right plane
  '0,0,-0.25,0.1,0.1,-0.5,-0.1,0.05,-0.8',          // a corner on the near plane
  '0.25,0.25,-0.25,0.3,-0.1,-0.6,-0.2,0.1,-0.9',    // a corner on the frustum's corner edge
  '0,0,0,0.2,0.1,-0.6,-0.2,0.1,-0.6',               // a corner exactly at the eye
  '0.3,0.1,0,0.1,0.1,-0.5,-0.1,0,-0.6',             // a corner in the eye plane, beside the eye
  '0,0,0,0,0,0,0,0,0',                              // all at the eye
  '0.1,0.1,-0.5,0.1,0.1,-0.5,0.1,0.1,-0.5',         // degenerate: one point
  '0,0,-0.3,0.1,0.1,-0.6,0.2,0.2,-0.9',             // degenerate: one line
  '-2,0,-0.5,-3,0.1,-0.5,-2.5,-0.2,-0.6',           // wholly left: emptied by the first pass
  '1e6,1e6,-1e6,-1e6,1e6,-1e6,1e6,1e6,1e6',         // far outside, a span of two million
  '-1e6,-1e6,-1e6,1e6,1e6,1e6,1e6,-1e6,-1e6',       // through the frustum, corners a million out
];

// The seven figures clipfigs writes for the triangle (nine numbers, eye space; twelve, clip
// space), as Buffers; with options (['--screen'], ['--steps', '--title', ...]) also
// `file(name)`, a further figure by its name.
export function nativeFigures(text, options = []) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'explorer-native-'));
  const given = text.split(',').length === 12 ? '--clip' : '--triangle';
  try {
    run(clipfigs, [given, text, ...options, folder]);
    const files = new Map(fs.readdirSync(folder).map(
      (name) => [name, fs.readFileSync(path.join(folder, name))]));
    const stem = options.includes('--stem') ? options[options.indexOf('--stem') + 1] : 'custom';
    return Object.assign(figureNames.map((name) => files.get(`${stem}-${name}.svg`)),
                         { file: (name) => files.get(name) });
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

export function committedFigures(stem) {
  return figureNames.map((name) => fs.readFileSync(path.join(top, 'docs/figures',
                                                             `${stem}-${name}.svg`)));
}

// The bits of a data-vertices value as the page wrote it, read as a float.
export function floatBits(value) {
  const number = typeof value === 'number' ? value : Number(value);  // "NaN", "Infinity", ...
  if (Number.isNaN(number)) return 'NaN';
  const view = new DataView(new ArrayBuffer(4));
  view.setFloat32(0, number);
  return view.getUint32(0).toString(16).padStart(8, '0');
}

export const nativeBits = (text) => JSON.parse(run(clipPassBits, [text])).map(
  (polygon) => polygon.map((vertex) => vertex.map((bits) => {
    const view = new DataView(new ArrayBuffer(4));
    view.setUint32(0, parseInt(bits, 16));
    return Number.isNaN(view.getFloat32(0)) ? 'NaN' : bits;
  })));

// What the page shows now: each figure's bytes (read back from its image's own URL), whether its
// image has drawn, its data-vertices, the address and the number fields shown.
export async function shown(page) {
  return page.evaluate(async (ids) => {
    const read = (blob) => new Promise((resolve) => {
      const reader = new FileReader();
      reader.onload = () => resolve(reader.result);
      reader.readAsDataURL(blob);
    });
    const figures = [];
    for (const id of ids) {
      const container = document.getElementById(id);
      const image = container.querySelector('img');
      const blob = await (await fetch(image.src)).blob();
      figures.push({ dataUrl: await read(blob), type: blob.type,
                     drawnWidth: image.complete ? image.naturalWidth : 0,
                     vertices: container.dataset.vertices, edges: container.dataset.edges });
    }
    return { figures, hash: location.hash, historyLength: history.length,
             message: document.getElementById('message').hidden ? ''
               : document.getElementById('message').textContent,
             // The fields shown: x, y, z a corner, and in clip space w.
             fields: [...document.querySelectorAll('#numbers input')]
               .filter((input) => input.offsetParent !== null).map((input) => input.value) };
  }, containers);
}

// Waits until every figure has been replaced since `before` (the images' URLs, which are data
// URLs of the figures' bytes: a changed triangle changes them all) and has drawn.
export async function updated(page, before) {
  await page.waitForFunction((old) => {
    const images = [...document.querySelectorAll('.figure img')];
    return images.length === 7 && images.every((image, i) => image.src !== old[i] &&
                                               image.complete && image.naturalWidth > 0);
  }, before, { timeout: 30000 });
  return shown(page);
}

export const imageUrls = (page) => page.evaluate(
  () => [...document.querySelectorAll('.figure img')].map((image) => image.src));

// Each pass's walk as the native clipEdge decides it, parsed.
export const nativeEdges = (text) => JSON.parse(run(clipPassBits, ['--edges', text]));

// The page's figures are the expected bytes, drawn as images, its data-vertices the native
// clipper's bits and its data-edges the native walks.
export function checkAgainstNative(state, text, expected, what) {
  const bits = nativeBits(text), edges = nativeEdges(text);
  state.figures.forEach((figure, i) => {
    const [header, base64] = figure.dataUrl.split(',');
    assert.match(header, /^data:image\/svg\+xml;base64$/, `${what}: ${containers[i]} type`);
    assert.ok(Buffer.from(base64, 'base64').equals(expected[i]),
              `${what}: ${containers[i]} differs from the native figure`);
    assert.equal(figure.drawnWidth, Number(/width="([\d.]+)"/.exec(expected[i])[1]),
                 `${what}: ${containers[i]} is drawn`);
    const polygon = JSON.parse(figure.vertices).map((vertex) => vertex.map(floatBits));
    assert.deepEqual(polygon, bits[i], `${what}: ${containers[i]} data-vertices`);
    if (i < 6) assert.deepEqual(JSON.parse(figure.edges), edges[i], `${what}: pass ${i + 1} edges`);
  });
}
