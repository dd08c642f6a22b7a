// The two views that take the corners (see explorer_core.js for the parts). Each view is an
// inline SVG drawn here, 400 by 300 units, showing two eye-space values of each corner, u across
// and v up, at one scale on both axes (depth is -z). Its corners are handles: a pointer drags
// one, and each takes the keyboard's focus, where the arrow keys move it. The drawing scales
// with the room the page gives the view; its labels and handles do not: they keep one size in
// CSS pixels (12 px text) however large or small the view is shown.
//
// A touch that starts on a handle (within a finger's reach of it) drags it; any other touch is
// the browser's: it scrolls the page and pinches to zoom.
(function(explorer) {
  'use strict';

  var byId = explorer.byId, svgElement = explorer.svgElement;
  var setAttributes = explorer.setAttributes, state = explorer.state;
  var viewWidth = 400, viewHeight = 300;
  var names = {x: 'x', y: 'y', depth: 'depth (\u2212z)'};
  var views = [
    {id: 'top-view', u: 'x', v: 'depth', title: 'top view'},
    {id: 'side-view', u: 'depth', v: 'y', title: 'side view'},
  ];
  var keyOrigin = null;  // the corners when a handle took the focus, for Home
  var labelSize = 12;    // CSS pixels: the views' text, the size of the figures' least text

  function coordinate(k, name) {
    var corners = state.corners;
    if (name === 'x') return corners[3 * k];
    if (name === 'y') return corners[3 * k + 1];
    return -corners[3 * k + 2];
  }

  // Whether the views show corner k: a corner taken in clip space may have no place in eye space.
  function shown(k) {
    return [0, 1, 2].every(function(c) { return isFinite(state.corners[3 * k + c]); });
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
      if (!shown(k)) continue;
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
    var label = {fill: '#616161'};
    view.parts = {
      behind: svgElement('rect', {fill: '#eeeeee'}, svg),
      frustum: svgElement('polygon', {fill: '#dde9f7', stroke: '#1f4e9c', 'stroke-width': 1.5},
                          svg),
      planes: svgElement('polyline', {fill: 'none', stroke: '#1f4e9c', 'stroke-dasharray': '5 4'},
                         svg),
      depthAxis: svgElement('line', {stroke: '#9e9e9e'}, svg),
      sideAxis: svgElement('line', {stroke: '#9e9e9e'}, svg),
      eye: svgElement('text', label, svg),
      near: svgElement('text', label, svg),
      far: svgElement('text', label, svg),
      behindLabel: svgElement('text', label, svg),
      triangle: svgElement('polygon', {fill: '#43a047', 'fill-opacity': 0.25, stroke: '#1b5e20',
                                       'stroke-width': 1.5}, svg),
      handles: [0, 1, 2].map(function(k) { return buildHandle(view, svg, k); }),
    };
    view.parts.eye.textContent = 'eye';
    view.parts.near.textContent = 'near';
    view.parts.far.textContent = 'far';
    view.parts.behindLabel.textContent = 'behind the eye';
    // Drawn again when the page gives the view another size, so that its text keeps its size.
    view.unit = 1;  // view units per CSS pixel as the view is shown (unitsPerPixel)
    new ResizeObserver(function() {
      var unit = unitsPerPixel(view);
      if (unit === view.unit) return;
      view.unit = unit;
      if (view.scale) drawView(view);
    }).observe(svg);
    svg.addEventListener('pointerdown', onPointerDown.bind(null, view));
    svg.addEventListener('pointermove', onPointerMove.bind(null, view));
    svg.addEventListener('pointerup', onPointerUp.bind(null, view));
    svg.addEventListener('pointercancel', onPointerUp.bind(null, view));
    // Only a touch that takes hold of a corner is kept from the browser's scrolling and zooming.
    svg.addEventListener('touchstart', function(event) {
      var touch = event.changedTouches[0];
      if (event.touches.length === 1 && cornerAt(view, touch) >= 0) event.preventDefault();
    }, {passive: false});
  }

  // A corner's handle: a circle with its number, and a ring that shows where the focus is.
  function buildHandle(view, svg, k) {
    // An application: a screen reader in browse mode passes it the arrow keys, as it would not
    // to an image.
    var handle = svgElement('g', {class: 'handle', 'data-corner': k, tabindex: 0,
                                  role: 'application',
                                  'aria-roledescription': 'movable corner',
                                  'aria-describedby': 'handle-help'}, svg);
    svgElement('circle', {class: 'ring', r: 15, fill: 'none', stroke: '#1f4e9c',
                          'stroke-width': 3}, handle);
    svgElement('circle', {class: 'dot', r: 10, stroke: '#212121', 'stroke-width': 1.5}, handle);
    var number = svgElement('text', {'font-size': labelSize, 'font-weight': 'bold',
                                     fill: '#212121',
                                     'text-anchor': 'middle', dy: 4, 'aria-hidden': 'true'},
                            handle);
    number.textContent = String(k);
    handle.addEventListener('focus', function() { keyOrigin = explorer.space.cornerOrigin(); });
    handle.addEventListener('keydown', onHandleKey.bind(null, view, k));
    return handle;
  }

  // View units per CSS pixel as the view is shown (1 before it has a size).
  function unitsPerPixel(view) {
    var width = byId(view.id).getBoundingClientRect().width;
    return width > 0 ? viewWidth / width : 1;
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
    // The labels labelSize CSS pixels high, and as many pixels from what they name.
    var unit = view.unit, size = labelSize * unit;
    var nearAt = viewPoint(view, near, 0), farAt = viewPoint(view, far, 0);
    setAttributes(parts.eye, {x: eye[0] + 4 * unit, y: eye[1] - 4 * unit, 'font-size': size});
    setAttributes(parts.near, {x: nearAt[0] + 3 * unit, y: nearAt[1] + 13 * unit,
                               'font-size': size});
    setAttributes(parts.far, {x: farAt[0] + 3 * unit, y: farAt[1] + 13 * unit,
                              'font-size': size});
    setAttributes(parts.behindLabel, {x: 4 * unit, y: viewHeight - 6 * unit, 'font-size': size});
    var points = [0, 1, 2].map(function(k) {
      return [(coordinate(k, view.u) - view.u0) * view.scale,
              (view.v1 - coordinate(k, view.v)) * view.scale];
    });
    parts.triangle.setAttribute('points', pointsText(points.filter(function(p, k) {
      return shown(k);
    })));
    parts.handles.forEach(function(handle, k) {
      // A corner the views cannot show has no handle; the notes under the numbers say why.
      handle.setAttribute('display', shown(k) ? 'inline' : 'none');
      if (!shown(k)) return;
      var held = state.drag !== null && state.drag.corner === k;
      // In CSS pixels: as large, and as easy to hit, in a small view as in a large one.
      handle.setAttribute('transform', 'translate(' + points[k][0].toFixed(2) + ' ' +
                          points[k][1].toFixed(2) + ') scale(' + unit.toFixed(4) + ')');
      handle.querySelector('.dot').setAttribute('fill', held ? '#fb8c00' : '#ffffff');
      handle.setAttribute('aria-label', 'corner ' + k + ' in the ' + view.title + ': ' +
                          names[view.u] + ' ' + explorer.number(coordinate(k, view.u)) + ', ' +
                          names[view.v] + ' ' + explorer.number(coordinate(k, view.v)));
    });
  }

  function setLine(line, from, to) {
    setAttributes(line, {x1: from[0], y1: from[1], x2: to[0], y2: to[1]});
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

  // A value rounded to the view's resolution (a power of ten not above one view unit), so that
  // the address carries short numbers.
  function valueAt(raw, scale) {
    var digits = Math.max(0, Math.min(7, Math.ceil(Math.log10(scale))));
    return Math.max(-explorer.limit, Math.min(explorer.limit, Number(raw.toFixed(digits))));
  }

  // Moves the corners to the values and shows them, when they change the triangle; returns
  // whether (in the space the triangle is taken in: explorer_space.js).
  function moveTo(values) {
    return explorer.space.moveCorners(values);
  }

  function onPointerDown(view, event) {
    var k = cornerAt(view, event);
    if (k < 0) return;
    event.preventDefault();
    byId(view.id).setPointerCapture(event.pointerId);
    state.drag = {view: view, corner: k, pointerId: event.pointerId, from: state.corners.slice()};
    // The handle takes the focus as well, so that the arrow keys go on where the pointer left.
    view.parts.handles[k].focus({preventScroll: true});
    drawViews();
  }

  function onPointerMove(view, event) {
    var drag = state.drag;
    if (!drag || drag.view !== view || drag.pointerId !== event.pointerId) return;
    event.preventDefault();
    var at = pointerAt(view, event);
    var values = state.corners.slice();
    setCoordinate(values, drag.corner, view.u, valueAt(view.u0 + at[0] / view.scale, view.scale));
    setCoordinate(values, drag.corner, view.v, valueAt(view.v1 - at[1] / view.scale, view.scale));
    moveTo(values);
  }

  function onPointerUp(view, event) {
    var drag = state.drag;
    if (!drag || drag.pointerId !== event.pointerId) return;
    state.drag = null;
    explorer.writeAddressNow();
    views.forEach(fitRange);
    drawViews();
    // A click, or a drag back to where it began, has nothing new to say.
    var changed = state.corners.some(function(value, i) { return value !== drag.from[i]; });
    if (changed) explorer.announce(explorer.changeSummary);
  }

  // Arrow keys move the handle's corner in the view's two values by a hundredth of the view's
  // span (ten times that with Shift), Home puts it back where it was when it took the focus.
  function onHandleKey(view, k, event) {
    var steps = {ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, 1], ArrowDown: [0, -1]};
    var values = state.corners.slice();
    if (event.key === 'Home' && keyOrigin) {
      event.preventDefault();
      if (explorer.space.restoreCorner(keyOrigin, k)) {
        explorer.announceAfterRest(explorer.changeSummary);
      }
      return;
    } else if (steps[event.key]) {
      var factor = event.shiftKey ? 10 : 1;
      var du = steps[event.key][0] * factor * viewWidth / view.scale / 100;
      var dv = steps[event.key][1] * factor * viewHeight / view.scale / 100;
      setCoordinate(values, k, view.u, valueAt(coordinate(k, view.u) + du, view.scale));
      setCoordinate(values, k, view.v, valueAt(coordinate(k, view.v) + dv, view.scale));
    } else {
      return;
    }
    event.preventDefault();
    if (moveTo(values)) {
      explorer.announceAfterRest(function() {
        return cornerValues(k) + ' ' + explorer.changeSummary();
      });
    }
  }

  // Where corner k now is, in eye space: "Corner 1 is at x 0.25, y −0.15, z −0.6."
  function cornerValues(k) {
    var corners = state.corners, number = explorer.number;
    return 'Corner ' + k + ' is at x ' + number(corners[3 * k]) + ', y ' +
           number(corners[3 * k + 1]) + ', z ' + number(corners[3 * k + 2]) + '.';
  }

  explorer.views = {
    // Fits each view to the corners unless one is being dragged in it, and draws both.
    update: function() {
      if (!state.drag) views.forEach(fitRange);
      drawViews();
    },
    build: function() {
      views.forEach(buildView);
      views.forEach(function(view) { view.unit = unitsPerPixel(view); });
    },
  };
})(ClipExplorer);
