// The worksheet's script, linked into worksheet.js with --post-js: it reads the address
// (#seed=S&pass=K&count=N, and &answers for the answer key), falls back to the defaults with a
// note where a value is no use, and puts in the exercises the compiled side (worksheet.cpp: the
// practice library and the figure library) makes. It decides nothing about the clipping itself.
(function() {
  'use strict';

  var byId = function(id) { return document.getElementById(id); };
  var defaults = { seed: '1', pass: 1, count: 5 };
  var seedLimit = 4294967295;

  function text(pointer) { return Module.UTF8ToString(pointer); }

  // The sheet the address asks for, and what of it could not be used.
  function readAddress() {
    var params = new URLSearchParams(location.hash.slice(1));
    var sheet = { seed: defaults.seed, pass: defaults.pass, count: defaults.count,
                  answers: params.has('answers'), notes: [] };
    if (params.has('seed')) {
      var seed = params.get('seed');
      if (/^[0-9]{1,10}$/.test(seed) && Number(seed) <= seedLimit) {
        sheet.seed = String(Number(seed));
      } else {
        sheet.notes.push('The seed “' + seed + '” is not a whole number from 0 to ' + seedLimit +
                         ': seed ' + defaults.seed + ' instead.');
      }
    }
    var whole = function(name, low, high, fallback) {
      if (!params.has(name)) return fallback;
      var value = params.get(name);
      if (/^[0-9]{1,3}$/.test(value) && Number(value) >= low && Number(value) <= high) {
        return Number(value);
      }
      sheet.notes.push('The ' + (name === 'pass' ? 'pass' : 'count') + ' “' + value + '” is not ' +
                       low + ' to ' + high + ': ' + fallback + ' instead.');
      return fallback;
    };
    sheet.pass = whole('pass', 1, 6, defaults.pass);
    sheet.count = whole('count', 1, 20, defaults.count);
    return sheet;
  }

  function show(sheet) {
    var planeTest = text(Module._worksheetPlaneTest(sheet.pass));
    var kind = sheet.answers ? 'Answer key' : 'Worksheet';
    byId('title').textContent = kind + ': clipping against one plane, pass ' + sheet.pass +
                                ' of 6';
    document.title = kind + ', pass ' + sheet.pass + ', seed ' + sheet.seed + ' · clipdemo';
    byId('about').textContent = planeTest + '. ' + sheet.count +
      (sheet.count === 1 ? ' exercise' : ' exercises') + ' of seed ' + sheet.seed +
      ', each a triangle clipped against this plane alone, in homogeneous clip space, after the ' +
      'passes before it.';
    byId('note').textContent = sheet.notes.join(' ');
    document.body.classList.toggle('answers', sheet.answers);
    byId('seed').value = sheet.seed;
    byId('pass').value = String(sheet.pass);
    byId('count').value = String(sheet.count);
    byId('answers').checked = sheet.answers;
    var html = '';
    for (var i = 1; i <= sheet.count; ++i) {
      html += text(Module._worksheetExercise(Number(sheet.seed) >>> 0, sheet.pass, i,
                                             sheet.answers ? 1 : 0));
    }
    byId('exercises').innerHTML = html;
  }

  byId('controls').addEventListener('submit', function(event) {
    event.preventDefault();
    var address = '#seed=' + encodeURIComponent(byId('seed').value.trim()) + '&pass=' +
                  byId('pass').value + '&count=' + encodeURIComponent(byId('count').value) +
                  (byId('answers').checked ? '&answers' : '');
    if (address === location.hash) {
      show(readAddress());
    } else {
      location.hash = address;
    }
  });
  byId('print').addEventListener('click', function() { window.print(); });

  Module.onRuntimeInitialized = function() {
    show(readAddress());
    window.addEventListener('hashchange', function() { show(readAddress()); });
    document.body.dataset.ready = 'true';
  };
})();
