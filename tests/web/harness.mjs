// The browser build in Debian's headless Chromium, and the native program under a virtual X
// server for reference pictures. Pictures are 8-bit RGB, row by row from the top:
// { width, height, rgb: Buffer }.
import { chromium } from 'playwright-core';

import assert from 'node:assert/strict';
import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { setTimeout as sleep } from 'node:timers/promises';
import { fileURLToPath } from 'node:url';

const top = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
// The web build (emcmake, with the test pages) and the native build.
export const webBuild = process.env.CLIPDEMO_WEB_BUILD ?? path.join(top, 'build-web');
export const nativeProgram = process.env.CLIPDEMO_NATIVE ?? path.join(top, 'build/clipdemo');
export const windowTitle = 'Polygon Clipping In Homogeneous Coordinates';

export { sleep };

// ---- Serving the page ---------------------------------------------------------------------------

const contentTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.css': 'text/css',
  '.png': 'image/png',
  '.gif': 'image/gif',
  '.svg': 'image/svg+xml',
  '.ico': 'image/x-icon',
};

// Serves folder's files on a free port of 127.0.0.1 until close(); `url` is the demo page's
// address, `base` the folder's.
export async function serveFolder(folder) {
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    const file = path.join(folder, path.normalize(name));
    if (!file.startsWith(folder + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      const type = contentTypes[path.extname(file)] ?? 'application/octet-stream';
      response.writeHead(200, { 'Content-Type': type }).end(data);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const base = `http://127.0.0.1:${server.address().port}/`;
  return {
    base,
    url: `${base}clipdemo.html`,
    close: () => new Promise((resolve) => server.close(resolve)),
  };
}

// ---- The page in the browser --------------------------------------------------------------------

// Debian's Chromium, headless, with software WebGL.
export function launchBrowser() {
  return chromium.launch({
    executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    args: ['--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
  });
}

// A phone-sized screen with touch input (the page's pictures stay at one device pixel per CSS
// pixel, as on the desktop).
export const phone = { viewport: { width: 390, height: 844 }, isMobile: true, hasTouch: true };

// The page at url, opened in a new tab (of a desktop-sized window unless the browser context
// options say otherwise). `problems` collects what must not happen: console errors, uncaught
// page errors and failed requests; `output` the program's standard output.
export async function openPage(browser, url, contextOptions = {}) {
  const page = await browser.newPage({ viewport: { width: 800, height: 800 }, ...contextOptions });
  const problems = [];
  const output = [];
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push(`console error: ${message.text()}`);
    if (message.type() === 'log') output.push(message.text());
  });
  page.on('pageerror', (error) => problems.push(`uncaught page error: ${error.message}`));
  page.on('requestfailed', (request) => problems.push(`request failed: ${request.url()}`));
  page.on('response', (response) => {
    if (response.status() >= 400) problems.push(`HTTP ${response.status()}: ${response.url()}`);
  });
  await page.goto(url);
  return { page, problems, output };
}

// Waits until the program has printed a line that matches pattern; returns the line.
export async function waitForOutput(session, pattern, seconds = 30) {
  const end = Date.now() + seconds * 1000;
  for (;;) {
    const line = session.output.find((text) => pattern.test(text));
    if (line) return line;
    if (Date.now() > end) {
      throw new Error(`no output line matching ${pattern}; got ${JSON.stringify(session.output)}`);
    }
    await sleep(50);
  }
}

// What the canvas shows, as the browser composites it.
export async function canvasPicture(page) {
  const box = await page.locator('#canvas').boundingBox();
  const clip = { x: Math.round(box.x), y: Math.round(box.y), width: Math.round(box.width),
                 height: Math.round(box.height) };
  return decodePng(await page.screenshot({ clip }));
}

// Takes pictures until one satisfies accept; returns it.
export async function waitForPicture(take, accept, seconds = 30) {
  const end = Date.now() + seconds * 1000;
  for (;;) {
    const picture = await take();
    if (accept(picture)) return picture;
    if (Date.now() > end) throw new Error('the picture never showed what was expected');
    await sleep(100);
  }
}

// A left-button drag on the canvas from one canvas pixel to another, in steps of at most 4
// pixels, the way the native reference drags.
export async function dragOnCanvas(page, from, to) {
  const box = await page.locator('#canvas').boundingBox();
  // Half a pixel in, so that the canvas pixel is the same however the page's layout rounds.
  const at = ([x, y]) => [box.x + x + 0.5, box.y + y + 0.5];
  await page.mouse.move(...at(from));
  await page.mouse.down();
  for (const point of dragPath(from, to)) await page.mouse.move(...at(point));
  await page.mouse.up();
}

function dragPath(from, to) {
  const longest = Math.max(Math.abs(to[0] - from[0]), Math.abs(to[1] - from[1]));
  const steps = Math.max(1, Math.ceil(longest / 4));
  const points = [];
  for (let i = 1; i <= steps; ++i) {
    points.push([Math.round(from[0] + ((to[0] - from[0]) * i) / steps),
                 Math.round(from[1] + ((to[1] - from[1]) * i) / steps)]);
  }
  return points;
}

// ---- Pictures -----------------------------------------------------------------------------------

const green = [0, 255, 0], red = [255, 0, 0], blue = [0, 0, 255], black = [0, 0, 0];
const same = (a, b) => a.every((value, c) => value === b[c]);
export const isGreen = (p) => same(p, green);
export const isRed = (p) => same(p, red);
// Everything that is neither background nor one of the unlit lines is the mesh.
export const isMesh = (p) => ![black, green, red, blue].some((colour) => same(p, colour));

// A picture of the empty scene once it has stopped changing (it changes only with input).
export async function settledPicture(take) {
  let previous = await waitForPicture(take, (picture) => countPixels(picture, isGreen) > 0);
  for (;;) {
    await sleep(300);
    const picture = await take();
    if (samePicture(picture, previous)) return picture;
    previous = picture;
  }
}

// The lit mesh lies inside the outline's on-screen region (within a pixel of the convex hull of
// its green lines), in shades of its one colour (255, 128, 128): lit, not all that colour itself.
// In the world view, where it faces the light, the shades vary over its surface.
export function checkMesh(picture, view, minimumShades) {
  const hull = convexHull(picture, isGreen);
  assert.ok(hull.length >= 4, `${view}: the outline is drawn`);
  let meshPixels = 0, worst = 0;
  const shades = new Set();
  for (let y = 0; y < picture.height; ++y)
    for (let x = 0; x < picture.width; ++x) {
      const p = pixel(picture, x, y);
      if (!isMesh(p)) continue;
      meshPixels += 1;
      worst = Math.max(worst, distanceOutside(hull, [x, y]));
      shades.add(p.join());
      assert.ok(p[1] === p[2] && p[0] >= p[1],
                `${view}: (${x}, ${y}) is ${p}, not a shade of the mesh colour`);
    }
  assert.ok(meshPixels > 100, `${view}: the mesh is drawn (${meshPixels} pixels)`);
  assert.ok(worst <= 1, `${view}: the mesh reaches ${worst.toFixed(1)} pixels outside the outline`);
  assert.ok(!(shades.size === 1 && shades.has('255,128,128')), `${view}: the mesh is lit`);
  assert.ok(shades.size >= minimumShades, `${view}: ${shades.size} shades`);
}

// How many pixels differ between two pictures of the same size.
export function changedPixels(a, b) {
  let n = 0;
  for (let i = 0; i < a.rgb.length; i += 3) {
    if (a.rgb[i] !== b.rgb[i] || a.rgb[i + 1] !== b.rgb[i + 1] || a.rgb[i + 2] !== b.rgb[i + 2]) {
      ++n;
    }
  }
  return n;
}

// A PNG (as screenshots come) decoded by ImageMagick.
export function decodePng(png) {
  const width = png.readUInt32BE(16), height = png.readUInt32BE(20);
  const rgb = runImageMagick('convert', ['png:-', '-depth', '8', 'rgb:-'], png, width * height * 3);
  return { width, height, rgb };
}

function runImageMagick(tool, args, input, expectedBytes, env = process.env) {
  const result = spawnSync(tool, args, { input, env, maxBuffer: 64 << 20 });
  if (result.status !== 0 || result.stdout.length !== expectedBytes) {
    throw new Error(`${tool} ${args.join(' ')} failed: ${result.stderr}`);
  }
  return result.stdout;
}

// Writes a picture as PNG, for looking at a failure.
export function savePng(picture, file) {
  const result = spawnSync('convert', ['-size', `${picture.width}x${picture.height}`, '-depth', '8',
                                        'rgb:-', file], { input: picture.rgb });
  if (result.status !== 0) throw new Error(`cannot write ${file}: ${result.stderr}`);
}

export function pixel(picture, x, y) {
  const i = 3 * (y * picture.width + x);
  return [picture.rgb[i], picture.rgb[i + 1], picture.rgb[i + 2]];
}

export function samePicture(a, b) {
  return a.width === b.width && a.height === b.height && a.rgb.equals(b.rgb);
}

export function countPixels(picture, accept) {
  let n = 0;
  for (let y = 0; y < picture.height; ++y)
    for (let x = 0; x < picture.width; ++x) n += accept(pixel(picture, x, y), x, y) ? 1 : 0;
  return n;
}

const withinOneStep = (a, b) => a.every((value, c) => Math.abs(value - b[c]) <= 1);

// Whether picture shows (up to one colour step) colour within one pixel of (x, y).
function showsNear(picture, x, y, colour) {
  for (let dy = -1; dy <= 1; ++dy)
    for (let dx = -1; dx <= 1; ++dx) {
      const nx = x + dx, ny = y + dy;
      if (nx < 0 || ny < 0 || nx >= picture.width || ny >= picture.height) continue;
      if (withinOneStep(pixel(picture, nx, ny), colour)) return true;
    }
  return false;
}

// Compares a picture with its reference pixel by pixel. A pixel that differs by at most one
// colour step per channel counts as `oneStep`. One that differs more counts as `shifted` when
// each picture's colour there shows in the other within one pixel (a line drawn one pixel
// aside); as `meeting` when both pictures draw something there, not the background (where two
// lines meet, which one ends up on top is the rasteriser's choice); else as `unexplained` (the
// first few are listed in `examples`).
export function comparePictures(reference, picture, background = [0, 0, 0]) {
  const result = { pixels: reference.width * reference.height, identical: 0, oneStep: 0, shifted: 0,
                   meeting: 0, unexplained: 0, examples: [] };
  if (reference.width !== picture.width || reference.height !== picture.height) {
    result.unexplained = result.pixels;
    result.examples.push(`sizes ${reference.width}x${reference.height} and ` +
                         `${picture.width}x${picture.height}`);
    return result;
  }
  const drawn = (colour) => !withinOneStep(colour, background);
  for (let y = 0; y < reference.height; ++y)
    for (let x = 0; x < reference.width; ++x) {
      const a = pixel(reference, x, y), b = pixel(picture, x, y);
      const aInPicture = showsNear(picture, x, y, a), bInReference = showsNear(reference, x, y, b);
      if (a.every((value, c) => value === b[c])) result.identical += 1;
      else if (withinOneStep(a, b)) result.oneStep += 1;
      else if (aInPicture && bInReference) result.shifted += 1;
      else if (drawn(a) && drawn(b)) result.meeting += 1;
      else {
        result.unexplained += 1;
        if (result.examples.length < 5) result.examples.push(`(${x}, ${y}): ${a} vs ${b}`);
      }
    }
  return result;
}

// The convex hull of the pixels accept picks, as a counter-clockwise list of [x, y] (pixel
// centres), by the monotone chain.
export function convexHull(picture, accept) {
  const points = [];
  for (let y = 0; y < picture.height; ++y)
    for (let x = 0; x < picture.width; ++x) if (accept(pixel(picture, x, y))) points.push([x, y]);
  points.sort((a, b) => a[0] - b[0] || a[1] - b[1]);
  if (points.length < 3) return points;
  const turn = (o, a, b) => (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
  const chain = (list) => {
    const hull = [];
    for (const p of list) {
      while (hull.length >= 2 && turn(hull[hull.length - 2], hull[hull.length - 1], p) <= 0) {
        hull.pop();
      }
      hull.push(p);
    }
    hull.pop();
    return hull;
  };
  return chain(points).concat(chain(points.slice().reverse()));
}

// How far (in pixels) the point lies outside the convex polygon hull; 0 inside or on it.
export function distanceOutside(hull, [x, y]) {
  let worst = 0;
  for (let i = 0; i < hull.length; ++i) {
    const [ax, ay] = hull[i], [bx, by] = hull[(i + 1) % hull.length];
    const length = Math.hypot(bx - ax, by - ay);
    // Positive to the right of the edge a -> b, which is outside for a counter-clockwise hull.
    const outside = -((bx - ax) * (y - ay) - (by - ay) * (x - ax)) / length;
    worst = Math.max(worst, outside);
  }
  return worst;
}

// ---- The native program -------------------------------------------------------------------------

// The real native clipdemo on its own virtual X server, run in a folder holding teapot.tri with
// the given text, with Mesa's softpipe driver (it draws every frame completely) unless the
// environment names a driver.
export async function startNative(teapotText) {
  const workDir = fs.mkdtempSync(path.join(os.tmpdir(), 'clipdemo-native-'));
  fs.writeFileSync(path.join(workDir, 'teapot.tri'), teapotText);
  const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', '640x480x24', '-nolisten', 'tcp'],
                     { stdio: ['ignore', 'ignore', 'ignore', 'pipe'] });
  const displayNumber = await new Promise((resolve, reject) => {
    let text = '';
    xvfb.stdio[3].on('data', (chunk) => {
      text += chunk;
      if (text.includes('\n')) resolve(text.trim());
    });
    xvfb.on('exit', () => reject(new Error('Xvfb did not start')));
  });
  const env = { ...process.env, DISPLAY: `:${displayNumber}`,
                GALLIUM_DRIVER: process.env.GALLIUM_DRIVER ?? 'softpipe' };
  const program = spawn(nativeProgram, [], { cwd: workDir, env, stdio: 'ignore' });
  const xdotool = (...args) => {
    const result = spawnSync('xdotool', args, { env, encoding: 'utf8', timeout: 30000 });
    if (result.status !== 0) throw new Error(`xdotool ${args.join(' ')}: ${result.stderr}`);
    return result.stdout.trim();
  };
  const window = xdotool('search', '--sync', '--name', `^${windowTitle}$`).split('\n')[0];
  // Keys go where a user would type: the pointer in the window, the focus on it.
  xdotool('mousemove', '--window', window, '128', '128', 'windowfocus', '--sync', window);
  return {
    picture() {
      return { width: 256, height: 256,
               rgb: runImageMagick('import', ['-window', window, '-depth', '8', 'rgb:-'], undefined,
                                   256 * 256 * 3, env) };
    },
    key(name) { xdotool('key', name); },
    drag(from, to) {
      xdotool('mousemove', '--window', window, String(from[0]), String(from[1]), 'mousedown', '1');
      for (const [x, y] of dragPath(from, to)) {
        xdotool('mousemove', '--window', window, String(x), String(y));
      }
      xdotool('mouseup', '1');
    },
    async stop() {
      program.kill();
      xvfb.kill();
      await sleep(100);
      fs.rmSync(workDir, { recursive: true, force: true });
    },
  };
}
