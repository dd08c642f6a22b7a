// Turns each figure of the walkthrough's HTML (an <img> of figures/NAME.svg, as cmark-gfm writes
// it from the Markdown) into a figure a reader can use on any screen and with a screen reader:
// - the picture: the print layout on a wide screen, the screen layout (figures/screen/NAME.svg,
//   made for a screen 390 CSS px wide, its text 12 px or more there) on a narrow one;
// - a link around it that opens the figure alone, where the browser zooms it;
// - the figure's text description, the <desc> the figure library writes into the SVG, under a
//   disclosure "The figure in words", and the image's description from a hidden copy (a
//   browser leaves out of the description what a closed <details> holds);
// - a separate link to the clip explorer at the figure's triangle, from the explorer links.
//   node walkthrough_figures.mjs BODY.html LINKS.txt FIGURES SCREEN > OUT.html
// BODY.html is the converted Markdown; LINKS.txt what `clipfigs --explorer-links` prints (a stem
// and an address a line); FIGURES and SCREEN the folders of the print and the screen figures.
// Fails (status 1, a message) when a figure or its description is missing.
import fs from 'node:fs';
import path from 'node:path';

const [bodyFile, linksFile, figures, screen] = process.argv.slice(2);
if (!screen) {
  console.error('usage: node walkthrough_figures.mjs BODY.html LINKS.txt FIGURES SCREEN');
  process.exit(2);
}

// The narrowest screen that gets the print layout: a print figure is 820 px wide, and shrunk to
// a narrower column its text falls under 12 px.
const narrow = '(max-width: 600px)';

const explorerLinks = new Map();
for (const line of fs.readFileSync(linksFile, 'utf8').split('\n')) {
  const match = line.match(/^([A-Za-z0-9_.-]+) (explore\.html#t=[-0-9.,e+]+)$/);
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

// One figure's HTML for the <img> tag that shows figures/name.
function figureHtml(tag, name) {
  const print = readFigure(figures, name);
  const small = readFigure(screen, name);
  const id = `words-${name.replace(/\.svg$/, '')}`;
  const stem = [...explorerLinks.keys()].find((s) => name.startsWith(`${s}-`));
  if (!stem) fail(`no explorer link for ${name}`);
  const triangle = print.title.match(/“([^”]+)”/);
  const words = print.desc.split('\n').map((line) => `<p>${line}</p>`).join('\n');
  return `<figure class="clip-figure">
<a class="figure-alone" href="figures/${name}" title="the figure alone, to zoom"><picture>
<source media="${narrow}" srcset="figures/screen/${name}" width="${small.width}" height="${small.height}">
<img src="figures/${name}" width="${print.width}" height="${print.height}" alt="${attribute(tag, 'alt')}" aria-describedby="${id}">
</picture></a>
<figcaption><a href="${explorerLinks.get(stem)}">${triangle ? `“${triangle[1]}”` : 'This triangle'} in the clip explorer</a></figcaption>
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
process.stdout.write(body.replace(figureTag, (whole, alone, aloneName, tag, name) =>
  figureHtml(alone ?? tag, aloneName ?? name)));
