// The triangle the page shows (see explorer_core.js for the parts): where it comes from (the
// address, the typed numbers, the presets, the views) and everything that follows from it on
// each change; then the start, once the compiled side is ready.
(function(explorer) {
  'use strict';

  var byId = explorer.byId, element = explorer.element, state = explorer.state;
  var addressTimer = 0;    // a pending address update during a drag (setTimeout's id), or 0
  var addressWritten = 0;  // when the address was last written (performance.now())
  // The figure library's layouts as explorerDraw numbers them.
  var layoutCodes = {print: 0, screen: 1, compact: 2};
  var drawnLayout = -1;  // the layout the figures shown were drawn in

  // The layout the page's style asks for now (its --figure-layout, which depends on the
  // window's size and on whether a pass is chosen): the largest whose figures fit, each shown
  // at the width it is drawn for, so that its text is never under 12 px.
  explorer.figureLayout = function() {
    var name = getComputedStyle(document.body).getPropertyValue('--figure-layout').trim();
    return name in layoutCodes ? layoutCodes[name] : layoutCodes.print;
  };

  // Draws everything again when the style now asks for another layout; true when it did.
  explorer.relayout = function() {
    if (explorer.figureLayout() === drawnLayout) return false;
    explorer.show();
    return true;
  };

  // What the last change did, in one sentence: the chosen pass's summary, or with all six
  // shown the final figure's; while practising, the question (a summary says the answer).
  explorer.changeSummary = function() {
    if (explorer.practice.active()) return explorer.practice.sentence();
    return explorer.wasm.summary(state.shownPass > 0 ? state.shownPass - 1 : 6);
  };

  // Draws the triangle in the corners and shows everything that follows from it. typing: the
  // number field being typed in, whose text stays as the user has it.
  explorer.show = function(typing) {
    drawnLayout = explorer.figureLayout();
    if (!explorer.space.draw(drawnLayout)) {
      explorer.setMessage('The six clipToPlane passes and clipToFrustum disagree for this ' +
                          'triangle: please report it with this page\'s address.');
    }
    state.triangleText = explorer.wasm.triangleText();
    explorer.figures.update();
    explorer.rules.update();
    explorer.steps.update();
    explorer.practice.update();
    updateAddress();
    var values = state.triangleText.split(',');
    numberInputs().forEach(function(input, k) {
      if (input !== typing) input.value = values[k];
      input.removeAttribute('aria-invalid');
    });
    byId('numbers-error').textContent = '';
    var preset = explorer.wasm.matchingPreset();
    // The presets are toggles, one of them pressed when the triangle is that preset; "random"
    // is a plain button.
    byId('presets').querySelectorAll('button[aria-pressed]').forEach(function(button, k) {
      button.setAttribute('aria-pressed', String(k === preset));
    });
    explorer.views.update();
    byId('status').hidden = true;
  };

  // Writes what the page shows into the address (explorer_address.js), replacing the history
  // entry rather than adding one.
  // While a corner is dragged, four times a second: a browser ignores, with a warning, a page that
  // rewrites its address hundreds of times in a few seconds, and each rewrite costs the page a
  // few milliseconds of a busy browser's time. The last position always lands.
  function updateAddress() {
    if (!state.drag) {
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
    history.replaceState(null, '', explorer.address.text());
  }

  explorer.updateAddress = updateAddress;

  // A pending address update, done now (a drag has ended).
  explorer.writeAddressNow = function() {
    if (addressTimer) writeAddress();
  };

  // ---- The address ------------------------------------------------------------------------------

  // Shows what the address names: its triangle (anything else, with a message, the first preset),
  // then its pass and edge, each out-of-range one as the nearest that exists, with a note.
  function followAddress() {
    var hash = location.hash;
    if (state.triangleText && hash === explorer.address.text()) return;
    var address = explorer.address.read(hash);
    var rules = explorer.rules.follow(address);
    // A triangle of a practice sequence is named by its seed and n instead of t= or c=.
    var sequenced = explorer.practice.addressTriangle(address);
    var problems = [sequenced !== null ? sequenced : addressTriangle(hash, address, rules.changed)]
      .concat(rules.notes, addressPass(address));
    explorer.practice.follow(address);
    var message = problems.filter(Boolean).join(' ');
    explorer.setMessage(message);
    explorer.updateAddress();
    // A message is said by its own region (an alert); else what is shown.
    if (!message) explorer.announce(explorer.figures.announcement);
  }

  // Draws the address's triangle (t=, or c= in clip space; the first if both), or the first
  // preset; returns '' or why not the address's. redraw: the rules changed, so the triangle
  // shown is drawn again.
  function addressTriangle(hash, address, redraw) {
    var reason = '';
    var name = address.names.filter(function(n) { return n === 't' || n === 'c'; })[0];
    var space = name === 'c' ? 'clip' : 'eye';
    if (address.malformed.indexOf(name) >= 0) {
      reason = 'it is not a well-formed address';
    } else if (!name) {
      if (!address.empty) reason = 'it names no triangle: it holds no t= or c=';
    } else if (address.values[name] !== state.triangleText || space !== state.space) {
      var parsed = explorer.space.parse(address.values[name], space);
      if (parsed === true) {
        explorer.show();
        return '';
      }
      reason = parsed;
    } else {
      if (redraw) explorer.show();  // the triangle shown
      return '';
    }
    explorer.wasm.usePreset(0);
    explorer.space.follow();
    explorer.show();
    if (!reason) return '';
    var shown = hash.length > 60 ? hash.slice(0, 57) + '\u2026' : hash;
    return 'The address\'s triangle \u201c' + shown + '\u201d cannot be shown: ' + reason +
           '. Showing the walkthrough\'s triangle \u201c' + explorer.wasm.presetTitle(0) +
           '\u201d instead. An address that shows a triangle holds ' +
           't=x0,y0,z0,x1,y1,z1,x2,y2,z2, nine numbers, or in clip space ' +
           'c=x0,y0,z0,w0,x1,y1,z1,w1,x2,y2,z2,w2, twelve, each at most 1000000 in size.';
  }

  // A value of the address as a message quotes it.
  function quoted(text) {
    return '\u201c' + (text.length > 20 ? text.slice(0, 17) + '\u2026' : text) + '\u201d';
  }

  // Shows the address's pass (all six without one) at its edge (the first without one); returns
  // a note for each value it could not take as it stands.
  function addressPass(address) {
    var notes = [], values = address.values, whole = explorer.address.whole;
    var pass = 0;
    if ('pass' in values) {
      var asked = whole(values.pass);
      if (isNaN(asked)) {
        notes.push('The address\'s pass ' + quoted(values.pass) + ' is not a number from 1 ' +
                   'to 6: showing all six passes.');
      } else {
        pass = Math.max(1, Math.min(6, asked));
        if (pass !== asked) {
          notes.push('There is no pass ' + asked + ': showing pass ' + pass + ', ' +
                     explorer.passNames[pass - 1] + '.');
        }
      }
    }
    explorer.figures.show(pass, true);
    if (!('edge' in values)) {
      if (pass > 0) explorer.steps.goTo(0);
      return notes;
    }
    var edge = whole(values.edge), count = explorer.steps.count();
    if (pass === 0) {
      notes.push('The address\'s edge belongs to a pass, and it names none: showing all six.');
    } else if (count === 0) {
      notes.push(explorer.wasm.skipped(pass - 1)
                 ? 'Pass ' + pass + ' is not made under depth clamp, so it has no edge to show.'
                 : 'No polygon enters pass ' + pass + ', so it has no edge to show.');
    } else if (isNaN(edge)) {
      notes.push('The address\'s edge ' + quoted(values.edge) + ' is not a whole number: ' +
                 'showing edge 1.');
      explorer.steps.goTo(0);
    } else {
      var shown = Math.max(1, Math.min(count, edge));
      if (shown !== edge) {
        notes.push('Pass ' + pass + ' walks ' + count + (count === 1 ? ' edge' : ' edges') +
                   ': showing edge ' + shown + ', not ' + edge + '.');
      }
      explorer.steps.goTo(shown - 1);
    }
    return notes;
  }

  function usePreset(k) {
    explorer.wasm.usePreset(k);
    explorer.space.follow();
    explorer.show();
    explorer.announce(explorer.changeSummary);
  }

  // ---- Typed numbers ----------------------------------------------------------------------------

  // The number fields of the space the triangle is taken in: x, y, z a corner, or x, y, z, w.
  function numberInputs() {
    return Array.prototype.slice.call(byId('numbers').querySelectorAll(
      state.space === 'clip' ? 'input' : 'input:not([data-axis="w"])'));
  }

  function onTyped(event) {
    var parsed = explorer.space.parse(numberInputs().map(function(input) {
      return input.value;
    }).join(','), state.space);
    if (parsed === true) {
      explorer.setMessage('');
      explorer.show(event.target);
      explorer.announceAfterRest(explorer.changeSummary);
      return;
    }
    event.target.setAttribute('aria-invalid', 'true');
    byId('numbers-error').textContent = 'Not drawn: ' + parsed + '.';
  }

  function randomTriangle() {
    // Around the frustum and a little behind the eye, to hundredths.
    var values = [];
    for (var i = 0; i < 9; ++i) {
      var value = i % 3 === 2 ? 0.3 - 1.6 * Math.random() : 1.6 * Math.random() - 0.8;
      values.push(Math.round(value * 100) / 100);
    }
    explorer.wasm.corners().set(values);
    explorer.space.follow();
    explorer.setMessage('');
    explorer.show();
    explorer.announce(explorer.changeSummary);
  }

  // ---- Start ------------------------------------------------------------------------------------

  function buildPage() {
    var presets = byId('presets');
    for (var k = 0; k < explorer.wasm.presetCount(); ++k) {
      var button = element('button', {type: 'button', 'aria-pressed': 'false'},
                           explorer.wasm.presetTitle(k));
      button.addEventListener('click', usePreset.bind(null, k));
      presets.appendChild(button);
    }
    var random = element('button', {type: 'button'}, 'random');
    random.addEventListener('click', randomTriangle);
    presets.appendChild(random);

    var rows = byId('numbers');
    for (var corner = 0; corner < 3; ++corner) {
      var row = element('tr');
      row.appendChild(element('th', {scope: 'row'}, String(corner)));
      ['x', 'y', 'z', 'w'].forEach(function(axis) {
        var cell = element('td', axis === 'w' ? {class: 'clip-only'} : {});
        var input = element('input', {type: 'text', inputmode: 'decimal', spellcheck: 'false',
                                      autocomplete: 'off', 'aria-label': axis + corner,
                                      'data-axis': axis});
        input.addEventListener('input', onTyped);
        input.addEventListener('change', function() {
          if (input.getAttribute('aria-invalid') !== 'true') explorer.show();
        });
        cell.appendChild(input);
        row.appendChild(cell);
      });
      rows.appendChild(row);
    }

    explorer.space.build();
    explorer.rules.build();
    explorer.figures.build();
    explorer.steps.build();
    explorer.views.build();
    explorer.practice.build();
    window.addEventListener('hashchange', followAddress);
    // A window resized across a width or height where another layout fits draws them again.
    window.addEventListener('resize', explorer.relayout);
  }

  Module['onRuntimeInitialized'] = function() {
    buildPage();
    followAddress();
  };
})(ClipExplorer);
