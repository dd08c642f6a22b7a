// The clip explorer's page script, linked into explore.js with --post-js. It turns input into the
// triangle's nine eye-space corner values (drags in the two views, typed numbers, presets, the
// address) and puts what the compiled side returns into the page: the seven SVG figures, each
// shown as an image of its own document (a data URL of its unchanged bytes, so that the fixed ids
// inside one figure cannot meet another's), their polygons as data-vertices, and the address.
// It does no clipping, projection or figure arithmetic: only the two input views are drawn here,
// and they show the corners, not what the clipper makes of them.
(function() {
  'use strict';

  var passNames = ['ClipLeft', 'ClipRight', 'ClipBottom', 'ClipTop', 'ClipNear', 'ClipFar'];
  var containerIds = ['pass-1', 'pass-2', 'pass-3', 'pass-4', 'pass-5', 'pass-6', 'final'];
  var limit = 1e6;  // the largest magnitude the compiled side accepts for a value

  var corners = [];        // the nine values last drawn, as the floats they are
  var triangleText = '';   // those values as the address carries them
  var figureUrls = [];     // the blob URL each figure's link opened last
  var drag = null;         // {view, corner, pointerId} while a corner is dragged
  var shownPass = 0;       // 0: all six passes; 1 to 6: that pass alone
  var addressTimer = 0;    // a pending address update during a drag (setTimeout's id), or 0
  var addressWritten = 0;  // when the address was last written (performance.now())

  function byId(id) { return document.getElementById(id); }

  function element(tag, attributes, text) {
    var node = document.createElement(tag);
    Object.keys(attributes || {}).forEach(function(name) {
      node.setAttribute(name, attributes[name]);
    });
    if (text !== undefined) node.textContent = text;
    return node;
  }

  // ---- The compiled side ------------------------------------------------------------------------

  function cornerArray() {
    return HEAPF32.subarray(Module._explorerCorners() >> 2, (Module._explorerCorners() >> 2) + 9);
  }

  // Hands text to the compiled parser; true when it is a triangle (now in the corners), else the
  // parser's reason as a string.
  function parseText(text) {
    var length = Module.lengthBytesUTF8(text);
    if (length < Module._explorerTextCapacity()) {
      Module.stringToUTF8(text, Module._explorerTextBuffer(), Module._explorerTextCapacity());
    }
    if (Module._explorerParse(length)) return true;
    return Module.UTF8ToString(Module._explorerMessage());
  }

  // Draws the triangle in the corners and shows everything that follows from it. typing: the
  // number field being typed in, whose text stays as the user has it.
  function show(typing) {
    if (!Module._explorerDraw()) {
      setMessage('The six clipToPlane passes and clipToFrustum disagree for this triangle: ' +
                 'please report it with this page\'s address.');
    }
    corners = Array.prototype.slice.call(cornerArray());
    triangleText = Module.UTF8ToString(Module._explorerTriangleText());
    for (var i = 0; i < 7; ++i) showFigure(i);
    updateAddress();
    var values = triangleText.split(',');
    numberInputs().forEach(function(input, k) {
      if (input !== typing) input.value = values[k];
      input.removeAttribute('aria-invalid');
    });
    if (!typing) byId('numbers-error').textContent = '';
    // A view keeps its range while a corner is dragged in it, and fits the corners otherwise.
    if (!drag) views.forEach(fitRange);
    var preset = Module._explorerMatchingPreset();
    Array.prototype.forEach.call(byId('presets').children, function(button, k) {
      button.setAttribute('aria-pressed', String(k === preset));
    });
    drawViews();
    byId('status').hidden = true;
  }

  function showFigure(i) {
    var container = byId(containerIds[i]);
    container.querySelector('img').src = Module.UTF8ToString(Module._explorerFigureDataUrl(i));
    var vertices = Module.UTF8ToString(Module._explorerVertices(i));
    container.setAttribute('data-vertices', vertices);
    var area = container.querySelector('textarea');
    if (!area.hidden) area.value = vertices;
  }

  // Opens figure i alone, full size, in a new tab: its link gets a blob URL of the figure's bytes
  // as the user follows it (a tab may not open a data URL). The URL made for the previous click
  // is given up then; its tab has long loaded it.
  function openFigure(i, link) {
    var pointer = Module._explorerFigure(i), length = Module._explorerFigureLength(i);
    var blob = new Blob([HEAPU8.subarray(pointer, pointer + length)], {type: 'image/svg+xml'});
    if (figureUrls[i]) URL.revokeObjectURL(figureUrls[i]);
    figureUrls[i] = URL.createObjectURL(blob);
    link.href = figureUrls[i];
  }

  // Writes the triangle into the address, replacing the history entry rather than adding one.
  // While a corner is dragged, four times a second: a browser ignores, with a warning, a page that
  // rewrites its address hundreds of times in a few seconds, and each rewrite costs the page a
  // few milliseconds of a busy browser's time. The last position always lands.
  function updateAddress() {
    if (!drag) {
      writeAddress();
      return;
    }
    var wait = addressWritten + 250 - performance.now();
    if (wait <= 0) writeAddress();
    else if (!addressTimer) addressTimer = setTimeout(writeAddress, wait);
  }

  function writeAddress() {
    clearTimeout(addressTimer);
    addressTimer = 0;
    addressWritten = performance.now();
    history.replaceState(null, '', '#t=' + triangleText);
  }

  // ---- Messages ---------------------------------------------------------------------------------

  function setMessage(text) {
    var box = byId('message');
    box.textContent = text;
    box.hidden = !text;
  }

  // ---- The address ------------------------------------------------------------------------------

  // Shows the triangle the address names; anything else, with a message, the first preset.
  function followAddress() {
    var hash = location.hash;
    if (triangleText && hash === '#t=' + triangleText) return;
    if (hash === '' || hash === '#') {
      usePreset(0);
      return;
    }
    var reason;
    if (hash.indexOf('#t=') !== 0) {
      reason = 'it does not start with #t=';
    } else {
      var text;
      try {
        text = decodeURIComponent(hash.slice(3));
      } catch (error) {
        text = null;
      }
      var parsed = text === null ? 'it is not a well-formed address' : parseText(text);
      if (parsed === true) {
        setMessage('');
        show();
        return;
      }
      reason = parsed;
    }
    var shown = hash.length > 60 ? hash.slice(0, 57) + '\u2026' : hash;
    setMessage('The address\'s triangle \u201c' + shown + '\u201d cannot be shown: ' + reason +
               '. Showing the walkthrough\'s triangle \u201c' +
               Module.UTF8ToString(Module._explorerPresetTitle(0)) + '\u201d instead. An address ' +
               'that shows a triangle ends in #t=x0,y0,z0,x1,y1,z1,x2,y2,z2: nine numbers, ' +
               'each at most 1000000 in size.');
    Module._explorerUsePreset(0);
    show();
  }

  function usePreset(k) {
    Module._explorerUsePreset(k);
    show();
  }

  // ---- Typed numbers ----------------------------------------------------------------------------

  function numberInputs() {
    return Array.prototype.slice.call(byId('numbers').querySelectorAll('input'));
  }

  function onTyped(event) {
    var parsed = parseText(numberInputs().map(function(input) { return input.value; }).join(','));
    if (parsed === true) {
      setMessage('');
      show(event.target);
      return;
    }
    event.target.setAttribute('aria-invalid', 'true');
    byId('numbers-error').textContent = 'Not drawn: ' + parsed + '.';
  }

  // ---- The two views that take the corners ------------------------------------------------------

  // Each view is an inline SVG drawn here, 400 by 300 units, showing two eye-space values of each
  // corner, u across and v up, at one scale on both axes (depth is -z). Its corners are circles a
  // pointer can take hold of.
  var viewWidth = 400, viewHeight = 300;
  var views = [
    {id: 'top-view', u: 'x', v: 'depth'},
    {id: 'side-view', u: 'depth', v: 'y'},
  ];
  var svgNamespace = 'http://www.w3.org/2000/svg';

  function svgElement(tag, attributes, parent) {
    var node = document.createElementNS(svgNamespace, tag);
    Object.keys(attributes).forEach(function(name) { node.setAttribute(name, attributes[name]); });
    if (parent) parent.appendChild(node);
    return node;
  }

  function coordinate(k, name) {
    if (name === 'x') return corners[3 * k];
    if (name === 'y') return corners[3 * k + 1];
    return -corners[3 * k + 2];
  }

  function setCoordinate(values, k, name, value) {
    if (name === 'x') values[3 * k] = value;
    else if (name === 'y') values[3 * k + 1] = value;
    else values[3 * k + 2] = value === 0 ? 0 : -value;
  }

  // What a view shows: the frustum, the space just behind the eye and every corner. Called when
  // no corner is being dragged, so that the view holds still under the pointer.
  function fitRange(view) {
    var depth = [-0.45, 1.35], across = [-1.3, 1.3];
    var u = view.u === 'depth' ? depth.slice() : across.slice();
    var v = view.v === 'depth' ? depth.slice() : across.slice();
    for (var k = 0; k < 3; ++k) {
      var cu = coordinate(k, view.u), cv = coordinate(k, view.v);
      var margin = 0.08 * Math.max(Math.abs(cu), Math.abs(cv), 1);
      u = [Math.min(u[0], cu - margin), Math.max(u[1], cu + margin)];
      v = [Math.min(v[0], cv - margin), Math.max(v[1], cv + margin)];
    }
    var scale = Math.min(viewWidth / (u[1] - u[0]), viewHeight / (v[1] - v[0]));
    view.scale = scale;  // view units per eye-space unit
    view.u0 = (u[0] + u[1]) / 2 - viewWidth / 2 / scale;
    view.v1 = (v[0] + v[1]) / 2 + viewHeight / 2 / scale;
  }

  // (depth, side) in eye space to view units, whichever way round the view shows them.
  function viewPoint(view, depth, side) {
    var u = view.u === 'depth' ? depth : side, v = view.u === 'depth' ? side : depth;
    return [(u - view.u0) * view.scale, (view.v1 - v) * view.scale];
  }

  function pointsText(points) {
    return points.map(function(p) { return p[0].toFixed(2) + ',' + p[1].toFixed(2); }).join(' ');
  }

  function buildView(view) {
    var svg = byId(view.id);
    svg.setAttribute('viewBox', '0 0 ' + viewWidth + ' ' + viewHeight);
    view.parts = {
      behind: svgElement('rect', {fill: '#eeeeee'}, svg),
      frustum: svgElement('polygon', {fill: '#dde9f7', stroke: '#1f4e9c', 'stroke-width': 1.5},
                          svg),
      planes: svgElement('polyline', {fill: 'none', stroke: '#1f4e9c', 'stroke-dasharray': '5 4'},
                         svg),
      depthAxis: svgElement('line', {stroke: '#9e9e9e'}, svg),
      sideAxis: svgElement('line', {stroke: '#9e9e9e'}, svg),
      eye: svgElement('text', {'font-size': 12, fill: '#616161'}, svg),
      near: svgElement('text', {'font-size': 12, fill: '#616161'}, svg),
      far: svgElement('text', {'font-size': 12, fill: '#616161'}, svg),
      behindLabel: svgElement('text', {'font-size': 12, fill: '#616161', x: 4,
                                       y: viewHeight - 6}, svg),
      triangle: svgElement('polygon', {fill: '#43a047', 'fill-opacity': 0.25, stroke: '#1b5e20',
                                       'stroke-width': 1.5}, svg),
      handles: [0, 1, 2].map(function(k) {
        var handle = svgElement('g', {class: 'handle', 'data-corner': k, role: 'img',
                                      'aria-label': 'corner ' + k}, svg);
        svgElement('circle', {r: 10, stroke: '#212121', 'stroke-width': 1.5}, handle);
        var label = svgElement('text', {'font-size': 12, 'font-weight': 'bold', fill: '#212121',
                                        'text-anchor': 'middle', dy: 4}, handle);
        label.textContent = String(k);
        return handle;
      }),
    };
    view.parts.eye.textContent = 'eye';
    view.parts.near.textContent = 'near';
    view.parts.far.textContent = 'far';
    view.parts.behindLabel.textContent = 'behind the eye';
    svg.addEventListener('pointerdown', onPointerDown.bind(null, view));
    svg.addEventListener('pointermove', onPointerMove.bind(null, view));
    svg.addEventListener('pointerup', onPointerUp.bind(null, view));
    svg.addEventListener('pointercancel', onPointerUp.bind(null, view));
  }

  function drawViews() {
    views.forEach(drawView);
  }

  function drawView(view) {
    // Lines through the eye reach just beyond the view: a dashed line far longer costs the
    // browser a dash for every few pixels of its whole length.
    var reach = 2 * Math.max(Math.abs(view.u0), Math.abs(view.v1),
                             (viewWidth + viewHeight) / view.scale);
    var parts = view.parts, near = 0.25, far = 1;
    var eye = viewPoint(view, 0, 0);
    if (view.u === 'depth') {
      setAttributes(parts.behind, {x: 0, y: 0, width: Math.max(0, eye[0]), height: viewHeight});
    } else {
      setAttributes(parts.behind, {x: 0, y: eye[1], width: viewWidth,
                                   height: Math.max(0, viewHeight - eye[1])});
    }
    parts.frustum.setAttribute('points', pointsText([
      viewPoint(view, near, -near), viewPoint(view, far, -far), viewPoint(view, far, far),
      viewPoint(view, near, near)]));
    parts.planes.setAttribute('points', pointsText([
      viewPoint(view, reach, -reach), eye, viewPoint(view, reach, reach)]));
    setLine(parts.depthAxis, viewPoint(view, -reach, 0), viewPoint(view, reach, 0));
    setLine(parts.sideAxis, viewPoint(view, 0, -reach), viewPoint(view, 0, reach));
    setAttributes(parts.eye, {x: eye[0] + 4, y: eye[1] - 4});
    var nearAt = viewPoint(view, near, 0), farAt = viewPoint(view, far, 0);
    setAttributes(parts.near, {x: nearAt[0] + 3, y: nearAt[1] + 13});
    setAttributes(parts.far, {x: farAt[0] + 3, y: farAt[1] + 13});
    var points = [0, 1, 2].map(function(k) {
      return [(coordinate(k, view.u) - view.u0) * view.scale,
              (view.v1 - coordinate(k, view.v)) * view.scale];
    });
    parts.triangle.setAttribute('points', pointsText(points));
    parts.handles.forEach(function(handle, k) {
      var held = drag !== null && drag.corner === k;
      handle.setAttribute('transform', 'translate(' + points[k][0].toFixed(2) + ' ' +
                          points[k][1].toFixed(2) + ')');
      handle.firstChild.setAttribute('fill', held ? '#fb8c00' : '#ffffff');
    });
  }

  function setLine(line, from, to) {
    setAttributes(line, {x1: from[0], y1: from[1], x2: to[0], y2: to[1]});
  }

  function setAttributes(node, attributes) {
    Object.keys(attributes).forEach(function(name) { node.setAttribute(name, attributes[name]); });
  }

  // The pointer's place in a view, in view units.
  function pointerAt(view, event) {
    var box = byId(view.id).getBoundingClientRect();
    return [(event.clientX - box.left) * viewWidth / box.width,
            (event.clientY - box.top) * viewHeight / box.height];
  }

  // The corner under the pointer (within reach of a finger: 28 CSS pixels), or -1.
  function cornerAt(view, event) {
    var at = pointerAt(view, event), best = -1;
    var reach = 28 * viewWidth / byId(view.id).getBoundingClientRect().width;
    for (var k = 0; k < 3; ++k) {
      var d = Math.hypot((coordinate(k, view.u) - view.u0) * view.scale - at[0],
                         (view.v1 - coordinate(k, view.v)) * view.scale - at[1]);
      if (d < reach) {
        best = k;
        reach = d;
      }
    }
    return best;
  }

  // A value at the pointer, rounded to the view's resolution (a power of ten not above one view
  // unit), so that the address carries short numbers.
  function valueAt(raw, scale) {
    var digits = Math.max(0, Math.min(7, Math.ceil(Math.log10(scale))));
    return Math.max(-limit, Math.min(limit, Number(raw.toFixed(digits))));
  }

  function onPointerDown(view, event) {
    var k = cornerAt(view, event);
    if (k < 0) return;
    event.preventDefault();
    byId(view.id).setPointerCapture(event.pointerId);
    drag = {view: view, corner: k, pointerId: event.pointerId};
    drawViews();
  }

  function onPointerMove(view, event) {
    if (!drag || drag.view !== view || drag.pointerId !== event.pointerId) return;
    event.preventDefault();
    var at = pointerAt(view, event);
    var values = corners.slice();
    setCoordinate(values, drag.corner, view.u, valueAt(view.u0 + at[0] / view.scale, view.scale));
    setCoordinate(values, drag.corner, view.v, valueAt(view.v1 - at[1] / view.scale, view.scale));
    var array = cornerArray();
    var changed = values.some(function(value, i) { return Math.fround(value) !== array[i]; });
    if (!changed) return;
    array.set(values);
    setMessage('');
    show();
  }

  function onPointerUp(view, event) {
    if (!drag || drag.pointerId !== event.pointerId) return;
    drag = null;
    if (addressTimer) writeAddress();
    views.forEach(fitRange);
    drawViews();
  }

  // ---- Figures, copying and the pass selector ---------------------------------------------------

  function makeFigure(i, holder) {
    var name = i < 6 ? 'Pass ' + (i + 1) + ' of 6: ' + passNames[i] : 'Clipped, then divided';
    var container = element('figure', {id: containerIds[i], class: 'figure', 'data-vertices': ''});
    var caption = element('figcaption');
    caption.appendChild(element('span', {class: 'name'}, name));
    var copy = element('button', {type: 'button', class: 'copy'}, 'copy vertices');
    copy.addEventListener('click', function() { copyVertices(container); });
    caption.appendChild(copy);
    caption.appendChild(element('span', {class: 'copy-status', 'aria-live': 'polite'}));
    container.appendChild(caption);
    var link = element('a', {href: '#', target: '_blank', title: 'the figure alone, full size'});
    link.addEventListener('click', function() { openFigure(i, link); });
    link.appendChild(element('img', {alt: name + ', figure drawn by clipfigs', width: '820'}));
    container.appendChild(link);
    var area = element('textarea', {readonly: '', 'aria-label': name + ': vertices'});
    area.hidden = true;
    container.appendChild(area);
    holder.appendChild(container);
  }

  // Puts the container's data-vertices on the clipboard; where the clipboard cannot be written
  // (no clipboard API outside secure contexts, such as plain http, or permission refused), shows
  // the text selected, for the user to copy.
  function copyVertices(container) {
    var text = container.getAttribute('data-vertices');
    var status = container.querySelector('.copy-status');
    var fallback = function() {
      var area = container.querySelector('textarea');
      area.hidden = false;
      area.value = text;
      area.focus();
      area.select();
      status.textContent = 'selected: copy it with Ctrl+C or the menu';
    };
    if (!navigator.clipboard || !navigator.clipboard.writeText) {
      fallback();
      return;
    }
    navigator.clipboard.writeText(text).then(function() {
      status.textContent = 'copied';
    }, fallback);
  }

  function choosePass(k) {
    shownPass = k;
    byId('passes').classList.toggle('one', k > 0);
    for (var i = 0; i < 6; ++i) byId(containerIds[i]).classList.toggle('chosen', i + 1 === k);
    Array.prototype.forEach.call(byId('pass-select').children, function(button, j) {
      button.setAttribute('aria-pressed', String(j === k));
    });
  }

  // ---- Start ------------------------------------------------------------------------------------

  function buildPage() {
    var presets = byId('presets');
    for (var k = 0; k < Module._explorerPresetCount(); ++k) {
      var button = element('button', {type: 'button', 'aria-pressed': 'false'},
                           Module.UTF8ToString(Module._explorerPresetTitle(k)));
      button.addEventListener('click', usePreset.bind(null, k));
      presets.appendChild(button);
    }
    var random = element('button', {type: 'button'}, 'random');
    random.addEventListener('click', function() {
      // Around the frustum and a little behind the eye, to hundredths.
      var values = [];
      for (var i = 0; i < 9; ++i) {
        var value = i % 3 === 2 ? 0.3 - 1.6 * Math.random() : 1.6 * Math.random() - 0.8;
        values.push(Math.round(value * 100) / 100);
      }
      cornerArray().set(values);
      setMessage('');
      show();
    });
    presets.appendChild(random);

    var rows = byId('numbers');
    for (var corner = 0; corner < 3; ++corner) {
      var row = element('tr');
      row.appendChild(element('td', {}, String(corner)));
      ['x', 'y', 'z'].forEach(function(axis) {
        var cell = element('td');
        var input = element('input', {type: 'text', inputmode: 'decimal', spellcheck: 'false',
                                      autocomplete: 'off', 'aria-label': axis + corner});
        input.addEventListener('input', onTyped);
        input.addEventListener('change', function() {
          if (input.getAttribute('aria-invalid') !== 'true') show();
        });
        cell.appendChild(input);
        row.appendChild(cell);
      });
      rows.appendChild(row);
    }

    var select = byId('pass-select');
    ['all six'].concat(passNames.map(function(name, i) { return (i + 1) + ' ' + name; }))
        .forEach(function(label, k) {
          var button = element('button', {type: 'button', 'aria-pressed': 'false'}, label);
          button.addEventListener('click', choosePass.bind(null, k));
          select.appendChild(button);
        });
    for (var i = 0; i < 6; ++i) makeFigure(i, byId('passes'));
    makeFigure(6, byId('final-holder'));
    choosePass(shownPass);

    views.forEach(buildView);
    window.addEventListener('hashchange', followAddress);
  }

  Module['onRuntimeInitialized'] = function() {
    buildPage();
    followAddress();
  };
})();
