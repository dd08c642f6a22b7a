// The check page's script, linked into check.js with --post-js: it reads the files the learner
// chooses or drops (they never leave the browser), hands their bytes to the compiled checker
// (check.cpp, the checker library that cliptrace is built on) in chunks, and shows the report it
// returns: the same words as cliptrace check, each wrong triangle linked to the clip explorer.
// It judges nothing itself.
(function() {
  'use strict';

  var byId = function(id) { return document.getElementById(id); };
  var files = { trace: null, triangles: null };
  var ready = false;

  function text(pointer) { return Module.UTF8ToString(pointer); }

  // The seed field's text into the chunk, as the compiled side reads it.
  function writeSeed() {
    Module.stringToUTF8(byId('seed').value.trim(), Module._checkChunk(), 64);
  }

  function count() {
    var value = Number(byId('count').value);
    return Number.isInteger(value) && value >= 0 && value <= 100000 ? value : -1;
  }

  function madeTrianglesName() {
    var hard = byId('hard').checked;
    return (hard ? 'the hard set and ' : '') + count() + ' random triangles of seed ' +
           byId('seed').value.trim();
  }

  // ---- 1. The triangles -------------------------------------------------------------------------

  function download(event) {
    event.preventDefault();
    var status = byId('download-status');
    if (!ready) return;
    var n = count();
    writeSeed();
    var asText = byId('format-text').checked;
    var made = n < 0 ? '' : text(Module._checkMakeTriangles(n, byId('hard').checked ? 1 : 0,
                                                            asText ? 1 : 0));
    if (!made) {
      status.textContent = 'The seed must be a whole number (0 to 18446744073709551615) and ' +
                           'the count one from 0 to 100000.';
      return;
    }
    var name = 'triangles' + (asText ? '.txt' : '.jsonl');
    var link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([made], { type: 'text/plain' }));
    link.download = name;
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(function() { URL.revokeObjectURL(link.href); }, 10000);
    status.textContent = 'Saved ' + name + ': ' + madeTrianglesName() + '.';
  }

  // ---- 2. The check ---------------------------------------------------------------------------

  // Hands a file to the compiled side, chunk by chunk as the browser reads it.
  async function feed(file, add) {
    var capacity = Module._checkChunkCapacity();
    var reader = file.stream().getReader();
    for (;;) {
      var part = await reader.read();
      if (part.done) return;
      for (var at = 0; at < part.value.length; at += capacity) {
        var piece = part.value.subarray(at, at + capacity);
        HEAPU8.set(piece, Module._checkChunk());
        add(piece.length);
      }
    }
  }

  async function check() {
    if (!ready) return;
    var summary = byId('summary');
    if (!files.trace) {
      summary.textContent = 'Choose your trace file first.';
      return;
    }
    var relative = Number(byId('tolerance').value);
    var exact = byId('exact').checked;
    if (!exact && !(relative >= 0 && Number.isFinite(relative))) {
      summary.textContent = 'The tolerance must be a number of 0 or more, such as 1e-5.';
      return;
    }
    summary.textContent = 'Checking…';
    Module._checkBegin(exact ? 1 : 0, exact ? 0 : relative);
    try {
      if (files.triangles) {
        await feed(files.triangles, Module._checkAddTriangles);
        Module._checkEndTriangles();
      } else {
        writeSeed();
        if (count() < 0 || !Module._checkUseMadeTriangles(count(), byId('hard').checked ? 1 : 0)) {
          summary.textContent = 'The seed must be a whole number and the count one from 0 to ' +
                                '100000, or choose a triangles file of your own.';
          return;
        }
      }
      await feed(files.trace, Module._checkAddTrace);
    } catch (error) {
      summary.textContent = 'The file cannot be read: ' + error.message;
      return;
    }
    Module._checkFinish();
    var words = text(Module._checkWords());
    var report = JSON.parse(text(Module._checkJson()));
    show(words, report);
  }

  // The words report as the page's text: a section per paragraph of a triangle, its first line
  // the heading; the explorer's address as a link; the lines of no triangle as a list; the
  // summary, the report's last line, in the live region.
  function show(words, report) {
    var holder = byId('report');
    holder.textContent = '';
    var paragraphs = words.replace(/\n$/, '').split('\n\n');
    var summaryLine = paragraphs[paragraphs.length - 1];
    var lastBlock = summaryLine.split('\n');
    summaryLine = lastBlock.pop();
    if (lastBlock.length) paragraphs[paragraphs.length - 1] = lastBlock.join('\n');
    else paragraphs.pop();
    var heading = byId('report-title');
    var from = files.triangles ? files.triangles.name : madeTrianglesName();
    var intro = document.createElement('p');
    intro.textContent = files.trace.name + ' against ' + from + ': ' + report.triangles +
                        ' triangles, ' + report.right + ' right.';
    holder.appendChild(intro);
    paragraphs.forEach(function(paragraph) {
      var lines = paragraph.split('\n');
      var title = /^(.+): (right|wrong)\.$/.exec(lines[0]);
      if (!title) {
        var list = document.createElement('ul');
        lines.forEach(function(line) {
          var item = document.createElement('li');
          item.textContent = line;
          list.appendChild(item);
        });
        holder.appendChild(list);
        return;
      }
      var section = document.createElement('section');
      section.className = 'triangle';
      section.dataset.id = title[1];
      var h3 = document.createElement('h3');
      h3.textContent = lines[0];
      section.appendChild(h3);
      lines.slice(1).forEach(function(line) {
        var p = document.createElement('p');
        var body = line.replace(/^ {2}/, '');
        var address = /^In the clip explorer: (explore\.html#\S+)$/.exec(body);
        if (address) {
          var result = report.results.find(function(r) { return r.id === title[1]; });
          p.appendChild(document.createTextNode('In the clip explorer: '));
          var link = document.createElement('a');
          link.href = address[1];
          link.textContent = title[1] + ', pass ' + result.pass + ', edge ' + result.edge;
          p.appendChild(link);
        } else {
          p.textContent = body;
        }
        section.appendChild(p);
      });
      holder.appendChild(section);
    });
    heading.dataset.checked = 'true';
    byId('summary').textContent = summaryLine;
  }

  // ---- Choosing and dropping files ------------------------------------------------------------

  function choose(kind, file) {
    files[kind] = file;
    check();
  }

  // A dropped file is the trace when its first line has passes; else the triangles.
  async function sort(dropped) {
    for (var i = 0; i < dropped.length; ++i) {
      var head = await dropped[i].slice(0, 1 << 16).text();
      var first = head.split('\n', 1)[0];
      files[/"passes"/.test(first) ? 'trace' : 'triangles'] = dropped[i];
    }
    check();
  }

  function setUp() {
    byId('triangles-form').addEventListener('submit', download);
    byId('check').addEventListener('click', check);
    byId('trace-file').addEventListener('change', function(event) {
      choose('trace', event.target.files[0] || null);
    });
    byId('triangles-file').addEventListener('change', function(event) {
      choose('triangles', event.target.files[0] || null);
    });
    var zone = byId('drop-zone');
    zone.addEventListener('dragover', function(event) {
      event.preventDefault();
      zone.classList.add('over');
    });
    zone.addEventListener('dragleave', function() { zone.classList.remove('over'); });
    zone.addEventListener('drop', function(event) {
      event.preventDefault();
      zone.classList.remove('over');
      sort(event.dataTransfer.files);
    });
  }

  setUp();
  Module.onRuntimeInitialized = function() {
    ready = true;
    document.body.dataset.ready = 'true';
  };
})();
