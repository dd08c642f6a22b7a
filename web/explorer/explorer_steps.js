// Stepping through one pass (see explorer_core.js for the parts): the chosen pass's walk of
// clipToPlane, edge P -> Q by edge in the order the clipper takes them. For the current edge the
// panel says, in the library's sentences (stepText) and its one numbering, which ends are
// inside, the case, d(P) and d(Q), t and the cut point when the edge crosses, and what it
// appends; the pass's container shows the library's step figure, in which the output grows edge
// by edge.
//
// Keys, with the focus in the step controls: Left and Right step, Home and End go to the first
// and the last edge.
(function(explorer) {
  'use strict';

  var byId = explorer.byId, element = explorer.element, state = explorer.state;
  var index = 0;       // the current edge of the chosen pass's walk, from 0
  var count = 0;       // how many edges the chosen pass walks (0: an empty polygon enters it)
  var playTimer = 0;   // setInterval's id while playing, or 0
  var playEvery = 1200;  // milliseconds per step while playing
  var lastStep = null;   // what the step last drawn shows (explorerDrawStep's record)

  // Draws the current step of the chosen pass and says it in the panel.
  function drawStep() {
    var pass = state.shownPass - 1;
    count = explorer.wasm.edgeCount(pass);
    index = Math.max(0, Math.min(index, count - 1));
    var text = byId('step-text');
    text.textContent = '';
    if (count === 0) {
      lastStep = null;
      explorer.wasm.drawStep(pass, 0);
      explorer.figures.showStep(state.shownPass);
      text.appendChild(element('p', {}, explorer.wasm.skipped(pass)
        ? 'Depth clamp: this pass is not made. It hands its input on unchanged, so there is no ' +
          'edge to walk; the figure shows the pass.'
        : 'No polygon enters this pass: an earlier pass left nothing inside, so there is no ' +
          'edge to walk.'));
    } else {
      lastStep = explorer.wasm.drawStep(pass, index);
      explorer.figures.showStep(state.shownPass);
      lastStep.lines.forEach(function(line) { text.appendChild(element('p', {}, line)); });
    }
    byId('step-position').textContent = count ? 'edge ' + (index + 1) + ' of ' + count
                                              : 'no edges';
    // Marked, not disabled: a disabled button would drop the focus it holds at the walk's end.
    byId('step-previous').setAttribute('aria-disabled', String(index <= 0));
    byId('step-next').setAttribute('aria-disabled', String(index >= count - 1));
    byId('step-play').disabled = count <= 1;
  }

  // Goes to edge `to` (from 0; beyond the walk's ends, to the end) and writes it into the
  // address. A move that changes nothing (the first edge before the first) draws and says
  // nothing.
  function go(to, announce) {
    var target = Math.max(0, Math.min(to, count - 1));
    if (target === index) return;
    index = target;
    drawStep();
    explorer.updateAddress();
    if (announce) announceStep();
  }

  function announceStep() {
    if (lastStep) explorer.announce(function() { return explorer.wasm.summary('step'); });
  }

  function setPlaying(on) {
    clearInterval(playTimer);
    playTimer = 0;
    var button = byId('step-play');
    button.textContent = on ? 'Pause' : 'Play';
    if (!on) return;
    // Playing says nothing until it stops: a step a second would drown each other out.
    if (index >= count - 1) go(0, false);
    playTimer = setInterval(function() {
      go(index + 1, false);
      if (index >= count - 1) {
        setPlaying(false);
        announceStep();
      }
    }, playEvery);
  }

  // A click on Previous (-1) or Next (1); nothing where the button is marked disabled.
  function stepBy(delta) {
    return function(event) {
      if (event.currentTarget.getAttribute('aria-disabled') === 'true') return;
      setPlaying(false);
      go(index + delta, true);
    };
  }

  function onKey(event) {
    var targets = {ArrowLeft: index - 1, ArrowRight: index + 1, Home: 0, End: count - 1};
    if (!(event.key in targets) || event.altKey || event.ctrlKey || event.metaKey) return;
    event.preventDefault();
    setPlaying(false);
    go(targets[event.key], true);
  }

  explorer.steps = {
    build: function() {
      byId('step-previous').addEventListener('click', stepBy(-1));
      byId('step-next').addEventListener('click', stepBy(1));
      byId('step-play').addEventListener('click', function() {
        var pausing = playTimer !== 0;
        setPlaying(!pausing);
        if (pausing) announceStep();
      });
      byId('step-controls').addEventListener('keydown', onKey);
    },
    // Pass k (from 1) is chosen, or none (0): its walk starts at the first edge; practice,
    // when on, goes on with that pass (or ends, with none).
    choose: function(k) {
      setPlaying(false);
      index = 0;
      byId('steps').hidden = byId('step-words').hidden = k === 0;
      if (k > 0) {
        byId('steps-title').textContent = 'Step through pass ' + k + ': ' +
                                          explorer.passNames[k - 1];
        drawStep();
      }
      explorer.practice.chosen(k);
    },
    // After a draw: the same step of the new walk (the last one if the walk got shorter).
    update: function() {
      if (state.shownPass > 0) drawStep();
    },
    // The chosen pass's walk: how many edges it has, the current one (from 1; 0 for none), and
    // a move to edge i (from 0; nearest that exists), drawn without a word.
    count: function() { return count; },
    edge: function() { return count > 0 ? index + 1 : 0; },
    goTo: function(i) {
      setPlaying(false);
      index = Math.max(0, Math.min(i, count - 1));
      drawStep();
    },
    // The same without drawing it, for a step not shown yet: update() draws it when it is.
    moveTo: function(i) {
      setPlaying(false);
      index = Math.max(0, Math.min(i, count - 1));
    },
  };
})(ClipExplorer);
