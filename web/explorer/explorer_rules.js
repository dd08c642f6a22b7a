// Other clippers' rules (see explorer_core.js for the parts): the clip volume, depth clamp, a
// guard band and an attribute u carried through the cuts, chosen with the controls of the rules
// panel or by the address (&volume=gl|zero-one|mismatch, &clamp, &guard=G, &u=a,b,c). The
// compiled side (explorer_rules.cpp) checks them and draws under them; this part only keeps the
// controls, the address and the label at a glance in step with what it accepted, and puts each
// container's data-attributes and data-skipped into the page.
//
// A rule parameter given (by the address or a control) stays in the address as the page
// rewrites it, volume=gl and guard=1 included; the program's rules not given are left out.
(function(explorer) {
  'use strict';

  var byId = explorer.byId, state = explorer.state;
  var names = ['volume', 'clamp', 'guard', 'u'];
  var volumes = ['gl', 'zero-one', 'mismatch'];
  // The rules the compiled side holds now, as the controls show them.
  var rules = {volume: 'gl', clamp: false, guard: '1', attribute: false, u: '0,0.5,1'};
  var given = {volume: false, clamp: false, guard: false};  // kept in the address though default
  var clampOff = false;  // the address gave clamp=0 (or off, false): kept so until changed

  function text(pointer) { return Module.UTF8ToString(pointer); }

  // The compiled side's rules: handed over as address parameters, read back the same way.
  explorer.wasm.parseRules = function(value) {
    var length = Module.lengthBytesUTF8(value);
    if (length < Module._explorerTextCapacity()) {
      Module.stringToUTF8(value, Module._explorerTextBuffer(), Module._explorerTextCapacity());
    }
    if (Module._explorerParseRules(length)) return true;
    return text(Module._explorerRulesMessage());
  };
  explorer.wasm.rulesText = function() { return text(Module._explorerRulesText()); };
  explorer.wasm.attributeText = function() { return text(Module._explorerAttributeText()); };
  explorer.wasm.rulesLabel = function() { return text(Module._explorerRulesLabel()); };
  explorer.wasm.attributes = function(i) { return text(Module._explorerAttributes(i)); };
  explorer.wasm.skipped = function(pass) { return Module._explorerSkipped(pass) === 1; };

  // The rules as the compiled side now holds them, into `rules` and the controls.
  function readBack() {
    rules = {volume: 'gl', clamp: false, guard: '1', attribute: false,
             u: explorer.wasm.attributeText()};
    explorer.wasm.rulesText().split('&').forEach(function(part) {
      var at = part.indexOf('='), name = at < 0 ? part : part.slice(0, at);
      var value = at < 0 ? '' : part.slice(at + 1);
      if (name === 'volume') rules.volume = value;
      if (name === 'clamp') rules.clamp = true;
      if (name === 'guard') rules.guard = value;
      if (name === 'u') rules.attribute = true;
    });
    byId('rule-volume').value = rules.volume;
    byId('rule-clamp').checked = rules.clamp;
    byId('rule-guard').value = rules.guard;
    byId('rule-attribute').checked = rules.attribute;
    var field = byId('rule-u');
    if (document.activeElement !== field) field.value = rules.u;
    field.removeAttribute('aria-invalid');
    byId('rules-error').textContent = '';
  }

  // The controls as address parameters.
  function controlsText() {
    var parts = ['volume=' + byId('rule-volume').value, 'guard=' + byId('rule-guard').value];
    if (byId('rule-clamp').checked) parts.push('clamp');
    if (byId('rule-attribute').checked) parts.push('u=' + byId('rule-u').value);
    return parts.join('&');
  }

  // The rules as the address gives them or the controls changed them, now in the page's words.
  function label() {
    var note = '';
    if (state.space === 'clip' && rules.volume === 'mismatch') {
      note = ' (with the corners in clip space there is no projection to mismatch: it clips as ' +
             'zero-one)';
    }
    return 'Rules: ' + explorer.wasm.rulesLabel() + note + '.';
  }

  // A control changed: the rules the controls name, drawn, announced; a u the compiled side
  // refuses is marked and not drawn.
  function onChange(event) {
    var id = event.target.id;
    if (id === 'rule-volume') given.volume = true;
    if (id === 'rule-guard') given.guard = true;
    if (id === 'rule-clamp') clampOff = false;
    if (id === 'rule-u' && !byId('rule-attribute').checked) {
      if (event.type !== 'input') return;
      byId('rule-attribute').checked = true;  // typing a u shows it
    }
    var accepted = explorer.wasm.parseRules(controlsText());
    if (accepted !== true) {
      byId('rule-u').setAttribute('aria-invalid', 'true');
      byId('rules-error').textContent = 'Not drawn: ' + accepted + '.';
      return;
    }
    // A triangle taken in clip space keeps its numbers; in eye space its corners.
    readBack();
    explorer.setMessage('');
    explorer.show();
    var say = function() { return label() + ' ' + explorer.changeSummary(); };
    if (event.type === 'input') explorer.announceAfterRest(say);
    else explorer.announce(say);
  }

  explorer.rules = {
    build: function() {
      ['rule-volume', 'rule-clamp', 'rule-guard', 'rule-attribute'].forEach(function(id) {
        byId(id).addEventListener('change', onChange);
      });
      byId('rule-u').addEventListener('input', onChange);
      byId('rule-u').addEventListener('change', function() { readBack(); });
      readBack();
    },

    // Takes the rules the address gives (explorer.address.read's result), each one it cannot
    // take left at the program's with a note; returns {notes, changed}: changed when the rules
    // differ from those drawn before.
    follow: function(address) {
      var before = explorer.wasm.rulesText(), notes = [], good = [];
      given = {volume: false, clamp: false, guard: false};
      clampOff = false;
      names.forEach(function(name) {
        if (!(name in address.values) && address.malformed.indexOf(name) < 0) return;
        var value = address.values[name];
        var part = address.bare.indexOf(name) >= 0 ? name
                 : name + '=' + String(value).replace(/&/g, '%26');
        var accepted = address.malformed.indexOf(name) >= 0 ? 'it is not well-formed'
                     : explorer.wasm.parseRules(part);
        if (accepted !== true) {
          var fallback = {volume: 'clipping with the program\'s volume, gl',
                          clamp: 'clipping without depth clamp',
                          guard: 'clipping with no guard band',
                          u: 'showing u = 0, 0.5 and 1 at the corners'}[name];
          notes.push('The address\'s rule ' + (accepted.indexOf(name) === 0 ? accepted
                     : name + ': ' + accepted) + ': ' + fallback + '.');
          if (name === 'u') good.push('u');
          return;
        }
        good.push(part);
        if (name === 'volume' || name === 'guard') given[name] = true;
        if (name === 'clamp') clampOff = explorer.wasm.rulesText().indexOf('clamp') < 0;
      });
      explorer.wasm.parseRules(good.join('&'));
      readBack();
      return {notes: notes, changed: explorer.wasm.rulesText() !== before};
    },

    // After a draw: the label at a glance, each container's u and whether its pass was made.
    update: function() {
      byId('rules-label').textContent = label();
      explorer.containerIds.forEach(function(id, i) {
        var container = byId(id);
        container.setAttribute('data-attributes', explorer.wasm.attributes(i));
        if (i < 6) container.setAttribute('data-skipped', String(explorer.wasm.skipped(i)));
      });
    },

    label: label,
  };

  explorer.address.understand('volume', function() {
    return given.volume || rules.volume !== 'gl' ? rules.volume : null;
  });
  explorer.address.understand('clamp', function() {
    return rules.clamp ? true : clampOff ? '0' : null;
  });
  explorer.address.understand('guard', function() {
    return given.guard || rules.guard !== '1' ? rules.guard : null;
  });
  explorer.address.understand('u', function() {
    return rules.attribute ? rules.u : null;
  });
})(ClipExplorer);
