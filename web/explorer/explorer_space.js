// How the page takes the triangle (see explorer_core.js for the parts): in eye space, nine values
// (x, y, z a corner), or in clip space, twelve (x, y, z, w a corner), clipped as given, as
// homework often states a triangle. The switch beside the numbers changes between the two; the
// address carries the one taken (#t= or #c=). The views show eye space: a corner taken in clip
// space they show mapped back there (the compiled side maps it), and the notes under the numbers
// say where one has no place there or what its w means. A corner moved in a view moves in the
// space the triangle is taken in.
(function(explorer) {
  'use strict';

  var byId = explorer.byId, state = explorer.state;

  // Puts the page into the space taken: the switch, the w column, the numbers' width.
  function setSpace(space) {
    state.space = space;
    byId('clip-space').checked = space === 'clip';
    document.querySelectorAll('.clip-only').forEach(function(node) {
      node.hidden = space !== 'clip';
    });
    byId('numbers').closest('table').classList.toggle('clip', space === 'clip');
  }

  // Takes the triangle shown in the other space, the same figures; true, or why it cannot be.
  function take(space) {
    if (space === state.space) return true;
    var taken = space === 'clip' ? explorer.wasm.projectCorners() : explorer.wasm.eyeFromClip();
    if (taken === true) setSpace(space);
    return taken;
  }

  function onSwitch() {
    var wanted = byId('clip-space').checked ? 'clip' : 'eye';
    var taken = take(wanted);
    if (taken !== true) {
      byId('clip-space').checked = state.space === 'clip';
      byId('numbers-error').textContent = 'Still in clip space: ' + taken + '.';
      return;
    }
    explorer.setMessage('');
    explorer.show();
    explorer.announce(function() {
      return wanted === 'clip' ? 'The corners in clip space, x, y, z and w.'
                               : 'The corners in eye space, x, y and z.';
    });
  }

  explorer.space = {
    build: function() {
      byId('clip-space').addEventListener('change', onSwitch);
      setSpace(state.space);
    },

    // Draws the triangle as taken, in a layout (explorer.wasm.draw); false when the passes and
    // clipToFrustum disagree. The views' corners and the notes follow it.
    draw: function(layout) {
      var clip = state.space === 'clip';
      var agree = clip ? explorer.wasm.drawClip(layout) : explorer.wasm.draw(layout);
      state.corners = Array.prototype.slice.call(clip ? explorer.wasm.viewCorners()
                                                      : explorer.wasm.corners());
      var notes = clip ? explorer.wasm.cornerNotes() : [];
      byId('corner-notes').textContent = notes.join(' ');
      byId('corner-notes').hidden = notes.length === 0;
      return agree;
    },

    // Reads a triangle given as text in `space` ('eye': nine numbers, 'clip': twelve) into the
    // corners and takes it so; true, or the parser's reason.
    parse: function(text, space) {
      var parsed = space === 'clip' ? explorer.wasm.parseClip(text) : explorer.wasm.parse(text);
      if (parsed === true) setSpace(space);
      return parsed;
    },

    // After a preset or a random triangle was written into the eye-space corners: the same
    // triangle in the space taken.
    follow: function() {
      if (state.space === 'clip') explorer.wasm.projectCorners();
    },

    // Moves the corners to the nine eye-space values a view gives and shows them, when that
    // changes the triangle; returns whether. Taken in clip space, each corner whose values
    // changed moves keeping its weight, the others keep their bits.
    moveCorners: function(values) {
      if (state.space === 'eye') {
        var array = explorer.wasm.corners();
        var changed = values.some(function(value, i) { return Math.fround(value) !== array[i]; });
        if (!changed) return false;
        array.set(values);
      } else {
        var moved = false;
        for (var k = 0; k < 3; ++k) {
          var own = values.slice(3 * k, 3 * k + 3);
          var same = own.every(function(value, c) {
            return Math.fround(value) === state.corners[3 * k + c];
          });
          if (!same && explorer.wasm.moveClipCorner(k, own[0], own[1], own[2])) moved = true;
        }
        if (!moved) return false;
      }
      explorer.setMessage('');
      explorer.show();
      return true;
    },

    // The corners as they are now, for restoreCorner.
    cornerOrigin: function() {
      var clip = state.space === 'clip';
      return {space: state.space, values: Array.prototype.slice.call(
        clip ? explorer.wasm.clipCorners() : explorer.wasm.corners())};
    },

    // Puts corner k back as it was in origin (cornerOrigin) and shows it; returns whether that
    // changed the triangle.
    restoreCorner: function(origin, k) {
      if (origin.space !== state.space) return false;
      var size = state.space === 'clip' ? 4 : 3;
      var array = state.space === 'clip' ? explorer.wasm.clipCorners() : explorer.wasm.corners();
      var changed = false;
      for (var c = 0; c < size; ++c) {
        changed = changed || !Object.is(array[size * k + c], origin.values[size * k + c]);
        array[size * k + c] = origin.values[size * k + c];
      }
      if (!changed) return false;
      explorer.setMessage('');
      explorer.show();
      return true;
    },
  };
})(ClipExplorer);
