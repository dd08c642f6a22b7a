// The page's address (see explorer_core.js for the parts): its hash read into parameters once,
// here, and written back from what the page shows. An address is "#name=value&name=value...":
// "#t=x0,y0,z0,x1,y1,z1,x2,y2,z2" the triangle (or "#c=x0,y0,z0,w0,...,w2" taken in clip space),
// "&pass=K" the pass shown alone (1 to 6), "&edge=E" the edge of its walk (from 1), "&practise"
// practice of that pass ("&seed=S&n=I" for triangle I of a practice sequence); the rules of
// another clipper (explorer_rules.js) after them. A parameter the page does not know is passed
// over.
//
// Each parameter the page understands is registered with a function that gives its value as the
// page now shows it (or null, when it does not belong in the address); the address is rewritten
// from those, in the order they were registered, so whatever the learner set stays in it. A
// later feature registers its own the same way.
(function(explorer) {
  'use strict';

  var state = explorer.state;
  var understood = [];  // [{name, current}] in the order the address writes them

  // A value as the address carries it: as it stands when it holds only characters an address
  // keeps unchanged (the triangle's digits, points, commas and signs), else percent-encoded.
  function encoded(value) {
    return /^[-+.,0-9A-Za-z_]*$/.test(value) ? value : encodeURIComponent(value);
  }

  explorer.address = {
    // Registers a parameter the page understands; current() gives its value as the page shows
    // it now, a string ('' for a flag, written as its name alone), or null when the address
    // should not carry it.
    understand: function(name, current) {
      understood.push({name: name, current: current});
    },

    // The hash read into parameters: {values: {name: text}, names: [in the order given],
    // malformed: [names whose value is no well-formed percent-encoding], bare: [names given
    // without "=", such as "clamp"], empty: true for no hash at all}. Of a name given twice the
    // first counts.
    read: function(hash) {
      var result = {values: {}, names: [], malformed: [], bare: [],
                    empty: hash === '' || hash === '#'};
      if (result.empty) return result;
      hash.replace(/^#/, '').split('&').forEach(function(part) {
        var at = part.indexOf('=');
        var name = at < 0 ? part : part.slice(0, at), raw = at < 0 ? '' : part.slice(at + 1);
        if (name in result.values || result.malformed.indexOf(name) >= 0) return;
        result.names.push(name);
        if (at < 0) result.bare.push(name);
        try {
          result.values[name] = decodeURIComponent(raw);
        } catch (error) {
          result.malformed.push(name);
        }
      });
      return result;
    },

    // The address of what the page shows: every understood parameter that has a value (true:
    // the name alone, as "clamp").
    text: function() {
      var parts = [];
      understood.forEach(function(parameter) {
        var value = parameter.current();
        // A flag stands alone ("&practise", "&clamp"): its value is '' or true.
        if (value === '' || value === true) {
          parts.push(parameter.name);
        } else if (value !== null && value !== undefined) {
          parts.push(parameter.name + '=' + encoded(String(value)));
        }
      });
      return '#' + parts.join('&');
    },

    // A whole number as an address writes it ("2", "-1", "+3"), or NaN.
    whole: function(text) {
      return /^[-+]?[0-9]{1,9}$/.test(text) ? Number(text) : NaN;
    },
  };

  // A triangle of a practice sequence is named by its seed, pass and n instead.
  explorer.address.understand('t', function() {
    if (explorer.practice.fromSequence()) return null;
    return state.space === 'eye' && state.triangleText || null;
  });
  explorer.address.understand('c', function() {
    if (explorer.practice.fromSequence()) return null;
    return state.space === 'clip' && state.triangleText || null;
  });
  explorer.address.understand('pass', function() {
    return state.shownPass > 0 ? String(state.shownPass) : null;
  });
  explorer.address.understand('edge', function() {
    var edge = state.shownPass > 0 ? explorer.steps.edge() : 0;
    return edge > 0 ? String(edge) : null;
  });
  // Practice (explorer_practice.js): "&practise", and for a triangle of a seeded sequence
  // "&seed=S&n=I".
  explorer.address.understand('practise', function() {
    return explorer.practice.practiseParameter();
  });
  explorer.address.understand('seed', function() { return explorer.practice.seedParameter(); });
  explorer.address.understand('n', function() { return explorer.practice.nParameter(); });
})(ClipExplorer);
