// The clip explorer's page script, first of its eight parts, each linked into explore.js with
// --post-js in this order:
//   explorer_core.js     the shared state, page helpers, the compiled side and announcements
//   explorer_address.js  the address: its parameters read once and written back
//   explorer_space.js    the triangle taken in eye space or in clip space
//   explorer_views.js    the two input views: corners dragged with a pointer or moved with keys
//   explorer_figures.js  the figure containers, their descriptions, copying, the pass selector
//   explorer_steps.js    stepping through one pass's walk, edge by edge
//   explorer_rules.js    other clippers' rules: the clip volume, depth clamp, guard band, u
//   explorer_page.js     the triangle shown: from the address, typed numbers, presets; the start
//   explorer_practice.js practice: the learner predicts each edge of a pass, the clipper judges
// Together they turn input into the triangle's corner values (nine in eye space, twelve in clip
// space) and put what the compiled side (explorer.cpp, the figure library) returns into the
// page. They do no clipping, projection or figure arithmetic: only the two input views are drawn
// here, and they show the corners (where the compiled side puts them), not what the clipper
// makes of them. The parts share one object, ClipExplorer.
var ClipExplorer = (function() {
  'use strict';

  var explorer = {
    passNames: ['ClipLeft', 'ClipRight', 'ClipBottom', 'ClipTop', 'ClipNear', 'ClipFar'],
    containerIds: ['pass-1', 'pass-2', 'pass-3', 'pass-4', 'pass-5', 'pass-6', 'final'],
    limit: 1e6,  // the largest magnitude the compiled side accepts for a value
  };

  // What the parts share about the triangle shown.
  explorer.state = {
    space: 'eye',       // how the triangle is taken: 'eye' (x, y, z) or 'clip' (x, y, z, w)
    corners: [],        // the nine eye-space values the views show, as the floats they are
                        // (taken in clip space: each corner mapped back, NaN where it has no
                        // place there)
    triangleText: '',   // the triangle as the address carries it: nine values, or in clip
                        // space twelve
    drag: null,         // {view, corner, pointerId, from: the corners at its start} while a
                        // corner is dragged with a pointer
    shownPass: 0,       // 0: all six passes; 1 to 6: that pass alone, stepped through
  };

  explorer.byId = function(id) { return document.getElementById(id); };

  explorer.element = function(tag, attributes, text) {
    var node = document.createElement(tag);
    explorer.setAttributes(node, attributes || {});
    if (text !== undefined) node.textContent = text;
    return node;
  };

  explorer.svgElement = function(tag, attributes, parent) {
    var node = document.createElementNS('http://www.w3.org/2000/svg', tag);
    explorer.setAttributes(node, attributes);
    if (parent) parent.appendChild(node);
    return node;
  };

  explorer.setAttributes = function(node, attributes) {
    Object.keys(attributes).forEach(function(name) { node.setAttribute(name, attributes[name]); });
  };

  // A number as the page writes it: at most six significant digits, a true minus sign.
  explorer.number = function(value) {
    if (typeof value === 'string') return value;  // "NaN", "Infinity", "-Infinity"
    return String(Number(value.toPrecision(6))).replace(/-/g, '\u2212');
  };

  explorer.setMessage = function(text) {
    var box = explorer.byId('message');
    box.textContent = text;
    box.hidden = !text;
  };

  // ---- The compiled side ------------------------------------------------------------------------

  // Text the compiled side returns as a NUL-terminated pointer.
  function text(pointer) { return Module.UTF8ToString(pointer); }

  explorer.wasm = {
    corners: function() {
      var at = Module._explorerCorners() >> 2;
      return HEAPF32.subarray(at, at + 9);
    },
    // Hands text to the compiled parser; true when it is a triangle (now in the corners), else
    // the parser's reason as a string.
    parse: function(value) {
      var length = Module.lengthBytesUTF8(value);
      if (length < Module._explorerTextCapacity()) {
        Module.stringToUTF8(value, Module._explorerTextBuffer(), Module._explorerTextCapacity());
      }
      if (Module._explorerParse(length)) return true;
      return text(Module._explorerMessage());
    },
    // Draws the corners' seven figures in a layout (0 print, 1 screen, 2 compact); false when
    // the passes and clipToFrustum disagree.
    draw: function(layout) { return Module._explorerDraw(layout) === 1; },
    // The same for the triangle taken in clip space: its twelve values, their parser, its draw,
    // where the views show its corners and what they say of them.
    clipCorners: function() {
      var at = Module._explorerClipCorners() >> 2;
      return HEAPF32.subarray(at, at + 12);
    },
    parseClip: function(value) {
      var length = Module.lengthBytesUTF8(value);
      if (length < Module._explorerTextCapacity()) {
        Module.stringToUTF8(value, Module._explorerTextBuffer(), Module._explorerTextCapacity());
      }
      if (Module._explorerParseClip(length)) return true;
      return text(Module._explorerMessage());
    },
    drawClip: function(layout) { return Module._explorerDrawClip(layout) === 1; },
    viewCorners: function() {
      var at = Module._explorerViewCorners() >> 2;
      return HEAPF32.subarray(at, at + 9);
    },
    cornerNotes: function() { return JSON.parse(text(Module._explorerCornerNotes())); },
    // From eye space into clip space and back, and a corner moved in clip space: true, or the
    // reason why not as a string (moveClipCorner: false).
    projectCorners: function() {
      return Module._explorerProjectCorners() === 1 || text(Module._explorerMessage());
    },
    eyeFromClip: function() {
      return Module._explorerEyeFromClip() === 1 || text(Module._explorerMessage());
    },
    moveClipCorner: function(k, x, y, z) {
      return Module._explorerMoveClipCorner(k, x, y, z) === 1;
    },
    triangleText: function() { return text(Module._explorerTriangleText()); },
    presetCount: function() { return Module._explorerPresetCount(); },
    presetTitle: function(k) { return text(Module._explorerPresetTitle(k)); },
    usePreset: function(k) { Module._explorerUsePreset(k); },
    matchingPreset: function() { return Module._explorerMatchingPreset(); },
    // Figure i of the last draw (0 to 5 the passes, 6 the final figure), or with i = 'step' the
    // step figure of the last drawStep.
    figureUrl: function(i) {
      return text(i === 'step' ? Module._explorerStepDataUrl() : Module._explorerFigureDataUrl(i));
    },
    figureBytes: function(i) {
      var at = i === 'step' ? Module._explorerStepFigure() : Module._explorerFigure(i);
      var length = i === 'step' ? Module._explorerStepFigureLength()
                                : Module._explorerFigureLength(i);
      return HEAPU8.slice(at, at + length);
    },
    description: function(i) {
      return text(i === 'step' ? Module._explorerStepDescription()
                               : Module._explorerDescription(i));
    },
    summary: function(i) {
      return text(i === 'step' ? Module._explorerStepSummary() : Module._explorerSummary(i));
    },
    vertices: function(i) { return text(Module._explorerVertices(i)); },
    names: function(i) { return text(Module._explorerNames(i)); },
    edges: function(pass) { return text(Module._explorerEdges(pass)); },
    edgeCount: function(pass) { return Module._explorerEdgeCount(pass); },
    // Draws step `edge` of pass `pass` (both from 0); returns what the step shows, parsed.
    drawStep: function(pass, edge) {
      return JSON.parse(text(Module._explorerDrawStep(pass, edge)));
    },
  };

  // ---- Announcements ----------------------------------------------------------------------------

  // What changed, said once politely in the live region #announce: at once for a single change
  // (a click, a release, a step), and for a run of changes (keys held down or typed) once they
  // have rested for half a second. A pointer's moves during a drag say nothing until release.
  var announceTimer = 0;
  var announcePending = null;  // a function that gives the text, or null

  function say(makeText) {
    clearTimeout(announceTimer);
    announceTimer = 0;
    announcePending = null;
    var region = explorer.byId('announce');
    var value = makeText();
    // The same sentence again is still news: a region whose text does not change says nothing.
    region.textContent = region.textContent === value ? value + '\u00a0' : value;
  }

  explorer.announce = function(makeText) { say(makeText); };

  explorer.announceAfterRest = function(makeText) {
    clearTimeout(announceTimer);
    announcePending = makeText;
    announceTimer = setTimeout(function() { say(announcePending); }, 500);
  };

  return explorer;
})();
