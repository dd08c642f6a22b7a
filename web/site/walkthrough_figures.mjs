// Turns each figure of the walkthrough's HTML (an <img> of figures/NAME.svg, as cmark-gfm writes
// it from the Markdown) into a figure a reader can use on any screen and with a screen reader:
// - the picture in the largest layout that fits the screen at its own width, where its text is
//   12 px or more: the print layout (figures/NAME.svg, 820 CSS px wide), the compact one
//   (figures/compact/NAME.svg, 700 px) or the screen layout (figures/screen/NAME.svg, 390 px);
//   the figures of a <div class="figure-grid"> always in the screen layout, side by side where
//   they fit;
// - a link around it that opens the figure alone, where the browser zooms it (the page's script
//   points it at the layout shown);
// - the figure's text description, the <desc> the figure library writes into the SVG, under a
//   disclosure "The figure in words", and the image's description from a hidden copy (a
//   browser leaves out of the description what a closed <details> holds);
// - a separate link to the clip explorer at the figure's triangle and pass, from the explorer
//   links.
//   node walkthrough_figures.mjs BODY.html LINKS.txt FIGURES COMPACT SCREEN > OUT.html
// BODY.html is the converted Markdown; LINKS.txt what `clipfigs --explorer-links --figures`
// prints (a figure's name and its address a line); FIGURES, COMPACT and SCREEN the folders of
// the print, the compact and the screen figures. Fails (status 1, a message) when a figure, its
// description or its link is missing.
import fs from 'node:fs';
import path from 'node:path';

const [bodyFile, linksFile, figures, compact, screen] = process.argv.slice(2);
if (!screen) {
  console.error('usage: node walkthrough_figures.mjs BODY.html LINKS.txt FIGURES COMPACT SCREEN');
  process.exit(2);
}

// The narrowest windows that show a layout at its own width beside the page's 16 px padding:
// 820 + 32 for print, 700 + 32 for compact (site.css lets a print figure reach past the text's
// column, which is narrower than 820 px).
const belowPrint = '(max-width: 851px)';
const belowCompact = '(max-width: 731px)';

const explorerLinks = new Map();
for (const line of fs.readFileSync(linksFile, 'utf8').split('\n')) {
  // The triangle, its pass, and any rules of another clipper after them ("&volume=mismatch").
  const match = line.match(
    /^([A-Za-z0-9_.-]+) (explore\.html#t=[-0-9.,e+]+(&pass=[1-6])?(&[a-z]+(=[-0-9a-z.,]+)?)*)$/);
  if (match) explorerLinks.set(match[1], match[2]);
}

function fail(message) {
  console.error(`walkthrough_figures: ${message}`);
  process.exit(1);
}

// The root element's size and the texts of its <title> and <desc> (still XML-escaped, which is
// valid HTML as it stands).
function readFigure(folder, name) {
  const file = path.join(folder, name);
  if (!fs.existsSync(file)) fail(`no figure ${file}`);
  const svg = fs.readFileSync(file, 'utf8');
  const size = svg.match(/<svg [^>]*width="([\d.]+)" height="([\d.]+)"/);
  const title = svg.match(/<title>([^<]*)<\/title>/);
  const desc = svg.match(/<desc>([^<]*)<\/desc>/);
  if (!size || !title || !desc) fail(`${file} has no size, <title> or <desc>`);
  return { width: Math.round(Number(size[1])), height: Math.round(Number(size[2])),
           title: title[1], desc: desc[1].trim() };
}

function attribute(tag, name) {
  const match = tag.match(new RegExp(`\\s${name}="([^"]*)"`));
  return match ? match[1] : '';
}

// The link to the clip explorer: the figure's triangle, at the figure's pass.
function explorerLink(name, print) {
  const stem = name.replace(/\.svg$/, '');
  const address = explorerLinks.get(stem);
  if (!address) fail(`no explorer link for ${name}`);
  const triangle = print.title.match(/“([^”]+)”/);
  const pass = address.match(/&pass=(\d)/);
  const what = triangle ? `“${triangle[1]}”` : 'This triangle';
  return `<a href="${address}">${what}${pass ? `, pass ${pass[1]},` : ''} in the clip explorer</a>`;
}

// A <picture>'s source of the figure at src for windows that match media.
function source(media, src, figure) {
  return `<source media="${media}" srcset="${src}" width="${figure.width}" ` +
         `height="${figure.height}">`;
}

// One figure's HTML for the <img> tag that shows figures/name; in a grid, in the screen layout.
function figureHtml(tag, name, inGrid) {
  const print = readFigure(figures, name);
  const small = readFigure(screen, name);
  const middle = readFigure(compact, name);
  const id = `words-${name.replace(/\.svg$/, '')}`;
  const words = print.desc.split('\n').map((line) => `<p>${line}</p>`).join('\n');
  const alt = attribute(tag, 'alt');
  const picture = inGrid
    ? `<a class="figure-alone" href="figures/screen/${name}" title="the figure alone, to zoom">` +
      `<img src="figures/screen/${name}" width="${small.width}" height="${small.height}" ` +
      `alt="${alt}" aria-describedby="${id}"></a>`
    : `<a class="figure-alone" href="figures/${name}" title="the figure alone, to zoom"><picture>
${source(belowCompact, `figures/screen/${name}`, small)}
${source(belowPrint, `figures/compact/${name}`, middle)}
<img src="figures/${name}" width="${print.width}" height="${print.height}" alt="${alt}" ` +
      `aria-describedby="${id}">
</picture></a>`;
  return `<figure class="clip-figure">
${picture}
<figcaption>${explorerLink(name, print)}</figcaption>
<details><summary>The figure in words</summary>
<div>
${words}
</div>
</details>
<div id="${id}" hidden>${print.desc}</div>
</figure>`;
}

const body = fs.readFileSync(bodyFile, 'utf8');
// An image alone in its paragraph loses the paragraph, which cannot hold a figure.
const image = '<img src="figures/([A-Za-z0-9_.-]+\\.svg)"[^>]*>';
const figureTag = new RegExp(`<p>(${image})</p>|(${image})`, 'g');
const figuresIn = (html, inGrid) => html.replace(figureTag, (whole, alone, aloneName, tag, name) =>
  figureHtml(alone ?? tag, aloneName ?? name, inGrid));
// The grids first, each figure in the screen layout; then every other figure.
const grid = /(<div class="figure-grid">)([\s\S]*?)(<\/div>)/g;
const parts = body.split(grid);
let out = '';
for (let i = 0; i < parts.length; ++i) {
  if (parts[i] === '<div class="figure-grid">') {
    out += parts[i] + figuresIn(parts[i + 1], true) + parts[i + 2];
    i += 2;
  } else {
    out += figuresIn(parts[i], false);
  }
}
process.stdout.write(out);
