// The figure containers (see explorer_core.js for the parts): #pass-1 ... #pass-6 and #final,
// each a <figure> holding one figure of the figure library as an image of its own document (a
// data URL of its unchanged bytes, so that the fixed ids inside one figure cannot meet another's),
// the figure's description in words (the container's accessible description, from a hidden copy:
// a browser leaves out what a closed <details> holds), its polygon as data-vertices and its
// vertices' names ("corner 2", "a") as data-names; a pass's container also carries its walk as
// data-edges. Also the pass selector, which shows all six
// passes or one alone, to be stepped through.
(function(explorer) {
  'use strict';

  var byId = explorer.byId, element = explorer.element, state = explorer.state;
  var containerIds = explorer.containerIds;
  var figureUrls = [];  // the blob URL each figure's link opened last

  function figureName(i) {
    return i < 6 ? 'Pass ' + (i + 1) + ' of 6: ' + explorer.passNames[i] : 'Clipped, then divided';
  }

  function makeFigure(i, holder) {
    var id = containerIds[i], name = figureName(i);
    var container = element('figure', {id: id, class: 'figure', 'data-vertices': '',
                                       'data-names': '',
                                       'aria-labelledby': id + '-name',
                                       'aria-describedby': id + '-words'});
    if (i < 6) container.setAttribute('data-edges', '');
    var caption = element('figcaption');
    caption.appendChild(element('span', {id: id + '-name', class: 'name'}, name));
    var copy = element('button', {type: 'button', class: 'copy'}, 'copy vertices');
    copy.addEventListener('click', function() { copyVertices(container); });
    caption.appendChild(copy);
    caption.appendChild(element('span', {class: 'copy-status', 'aria-live': 'polite'}));
    container.appendChild(caption);
    var link = element('a', {href: '#', target: '_blank',
                             title: 'the figure alone, full size, in a new tab'});
    link.addEventListener('click', function() { openFigure(i, link); });
    link.appendChild(element('img', {alt: name}));
    container.appendChild(link);
    var words = element('details', {class: 'words'});
    words.appendChild(element('summary', {}, 'the figure in words'));
    words.appendChild(element('div', {class: 'description'}));
    container.appendChild(words);
    var described = element('div', {id: id + '-words', class: 'description'});
    described.hidden = true;
    container.appendChild(described);
    var area = element('textarea', {readonly: '', 'aria-label': name + ': vertices'});
    area.hidden = true;
    container.appendChild(area);
    holder.appendChild(container);
  }

  // Opens the figure a container shows alone, full size, in a new tab: its link gets a blob URL
  // of the figure's bytes as the user follows it (a tab may not open a data URL). The URL made
  // for the previous click is given up then; its tab has long loaded it.
  function openFigure(i, link) {
    var which = i === state.shownPass - 1 ? 'step' : i;
    var blob = new Blob([explorer.wasm.figureBytes(which)], {type: 'image/svg+xml'});
    if (figureUrls[i]) URL.revokeObjectURL(figureUrls[i]);
    figureUrls[i] = URL.createObjectURL(blob);
    link.href = figureUrls[i];
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

  // Puts figure `which` (a figure's index, or 'step') into container i: the image, its summary
  // as the image's text, its words.
  function showImage(i, which) {
    var container = byId(containerIds[i]);
    var image = container.querySelector('img');
    image.src = explorer.wasm.figureUrl(which);
    image.alt = explorer.wasm.summary(which);
    var words = explorer.wasm.description(which);
    container.querySelectorAll('.description').forEach(function(node) {
      node.textContent = words;
    });
  }

  // Shows pass k alone (1 to 6) with the step panel in its container, or all six (0).
  function choosePass(k) {
    state.shownPass = k;
    byId('passes').classList.toggle('one', k > 0);
    document.body.classList.toggle('pass-chosen', k > 0);
    for (var i = 0; i < 6; ++i) byId(containerIds[i]).classList.toggle('chosen', i + 1 === k);
    if (k > 0) {
      // The step buttons above the figure, the step's words under it.
      var container = byId(containerIds[k - 1]);
      container.insertBefore(byId('steps'), container.querySelector('a'));
      container.insertBefore(byId('step-words'), container.querySelector('.words'));
    }
    Array.prototype.forEach.call(byId('pass-select').children, function(button, j) {
      button.setAttribute('aria-pressed', String(j === k));
    });
  }

  // Shows pass k alone (1 to 6), at its first edge, or all six (0), and writes it into the
  // address; says so unless quiet. Choosing what is shown already changes nothing and says
  // nothing.
  function show(k, quiet) {
    var before = state.shownPass;
    if (k === before) return;
    choosePass(k);
    // A chosen pass beside the views may want a more compact layout, all six another.
    explorer.relayout();
    explorer.steps.choose(k);
    // The figure the pass showed before it was chosen comes back.
    if (before > 0) showImage(before - 1, before - 1);
    explorer.updateAddress();
    if (!quiet) explorer.announce(announcement);
  }

  // What is shown, in a sentence: the pass as its selector names it ("2 ClipRight"; the
  // pass's summary begins with the plane's name) with its counts, or with all six the final
  // figure's summary.
  function announcement() {
    var k = state.shownPass;
    return k > 0 ? k + ' ' + explorer.wasm.summary(k - 1)
                 : 'all six passes. ' + explorer.wasm.summary(6);
  }

  explorer.figures = {
    build: function() {
      var select = byId('pass-select');
      ['all six'].concat(explorer.passNames.map(function(name, i) { return (i + 1) + ' ' + name; }))
          .forEach(function(label, k) {
            var button = element('button', {type: 'button', 'aria-pressed': 'false'}, label);
            button.addEventListener('click', function() { show(k, false); });
            select.appendChild(button);
          });
      for (var i = 0; i < 6; ++i) makeFigure(i, byId('passes'));
      makeFigure(6, byId('final-holder'));
      choosePass(state.shownPass);
    },
    // After a draw: every container's figure (but the chosen pass's, which shows its step),
    // description, data-vertices and data-edges.
    update: function() {
      for (var i = 0; i < 7; ++i) {
        var container = byId(containerIds[i]);
        if (i !== state.shownPass - 1) showImage(i, i);
        var vertices = explorer.wasm.vertices(i);
        container.setAttribute('data-vertices', vertices);
        container.setAttribute('data-names', explorer.wasm.names(i));
        if (i < 6) container.setAttribute('data-edges', explorer.wasm.edges(i));
        var area = container.querySelector('textarea');
        if (!area.hidden) area.value = vertices;
      }
    },
    // Shows the step figure last drawn in pass k's container (k from 1).
    showStep: function(k) { showImage(k - 1, 'step'); },
    show: show,
    announcement: announcement,
  };
})(ClipExplorer);
