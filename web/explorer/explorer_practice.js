// Practice (see explorer_core.js for the parts): the learner predicts each edge of the chosen
// pass, in walk order, before the explorer shows it. For the current edge P -> Q the panel
// shows P and Q in clip space and the plane's test, and the page hides, until the edge is
// answered right or its answer asked for, everything that gives it away: the pass's container
// (its step figure, the step's words, the figure's text alternative and description), the later
// passes' and the final figure's containers, and the step announcements. The learner chooses
// the case, types t for a crossing case and checks; the compiled side judges the answer
// (explorer_practice.cpp, the check library's judgeEdgeAnswer) and words the feedback: the page
// judges nothing. The address carries `practise`, and `seed` and `n` for a triangle of a seeded
// sequence; its `pass` and `edge` are the chosen pass's and the current edge.
//
// Keys: arrows choose the case in the radio group, Enter in the t field checks, Tab goes on to
// the buttons; after a right answer the focus goes to "Next edge" (at the pass's last edge, to
// "New triangle").
(function(explorer) {
  'use strict';

  var byId = explorer.byId, element = explorer.element, state = explorer.state;
  var caseCodes = {'in-in': 0, 'in-out': 1, 'out-in': 2, 'out-out': 3};
  var caseWords = {'in-in': 'P inside, Q inside', 'in-out': 'P inside, Q outside',
                   'out-in': 'P outside, Q inside', 'out-out': 'P outside, Q outside'};

  var practice = {
    on: false,          // practice mode
    seed: '1',          // the seed of the sequence New triangle takes the next triangle from
    n: 0,               // the triangle's place in that sequence (from 1); 0: not from it
    sequencePass: 0,    // the pass whose sequence it is
    pendingN: 0,        // n of the triangle of a sequence being drawn now
    triangle: '',       // the triangle practised (its address text), to notice a new one
    pass: 0,            // the pass practised (1 to 6)
    question: null,     // the current edge's question (explorerPracticeQuestion), or null
    answered: false,    // the current edge was answered right or its answer shown
    judged: {},         // edges whose first answer was counted, by triangle, pass and edge
    right: 0,           // edges answered right at the first try, this visit
    asked: 0,           // edges answered or shown, this visit
  };

  function compiled(name) {
    return Module['_explorerPractice' + name];
  }

  function json(pointer) { return JSON.parse(Module.UTF8ToString(pointer)); }

  // The containers an answer would show: the practised pass's, the later passes', the final one.
  function answerContainers() {
    return explorer.containerIds.slice(practice.pass - 1);
  }

  // Hides or shows what gives the current edge's answer away: the practised pass's container
  // (its step figure and words), and the later passes' and the final figure's containers.
  function conceal(passHidden, laterHidden) {
    answerContainers().forEach(function(id, i) {
      byId(id).hidden = i === 0 ? passHidden : laterHidden;
    });
    byId('final-later').hidden = !laterHidden;
  }

  function edgeKey() {
    return practice.triangle + '|' + practice.pass + '|' + explorer.steps.edge();
  }

  function lastEdge() {
    return explorer.steps.edge() >= explorer.steps.count();
  }

  // ---- The question -------------------------------------------------------------------------

  function endRow(label, end) {
    var row = element('tr');
    row.appendChild(element('th', {scope: 'row'}, label + ' = vertex ' + end.vertex + ' = ' +
                                                  end.name));
    end.values.forEach(function(value) { row.appendChild(element('td', {}, value)); });
    return row;
  }

  // Puts the current edge's question into the panel, with nothing of its answer, and clears
  // the answer given to the edge before.
  function ask() {
    var pass = practice.pass;
    var usable = compiled('ProgramRules')() === 1;
    practice.question = usable ? json(compiled('Question')(pass - 1, explorer.steps.edge() - 1))
                               : null;
    practice.answered = false;
    byId('practice-title').textContent = 'Practise pass ' + pass + ': ' +
                                         explorer.passNames[pass - 1];
    var question = practice.question;
    byId('practice-question').hidden = !question;
    byId('practice-none').hidden = !!question;
    setFeedback('', '', []);
    byId('practice-form').reset();
    if (!question) {
      byId('practice-none').textContent = !usable
        ? 'Practice asks about this program\'s clipper, under OpenGL\'s rules; the page ' +
          'draws other rules now.'
        : 'No polygon enters pass ' + pass + ': an earlier pass left nothing inside, so ' +
          'this pass has no edge to practise. Choose another pass or a new triangle.';
      byId('practice-position').textContent = '';
      conceal(false, false);
      setButtons();
      return;
    }
    showPosition();
    byId('practice-test').textContent = question.test + '.';
    var rows = byId('practice-ends').tBodies[0];
    rows.textContent = '';
    rows.appendChild(endRow('P', question.from));
    rows.appendChild(endRow('Q', question.to));
    var keys = [question.from.key, question.to.key].filter(Boolean);
    if (keys[1] === keys[0]) keys.pop();
    byId('practice-keys').textContent = keys.join('; ');
    byId('practice-keys').hidden = keys.length === 0;
    var figure = byId('practice-figure');
    var url = Module.UTF8ToString(compiled('Figure')(pass - 1, question.edge,
                                                     explorer.figureLayout()));
    figure.hidden = !url;
    if (url) {
      figure.src = url;
      figure.alt = Module.UTF8ToString(compiled('FigureSummary')());
    }
    conceal(true, true);
    setButtons();
  }

  // Where the learner is in the pass, and once the pass is done, that it is.
  function showPosition() {
    var question = practice.question;
    if (!question) return;
    var done = practice.answered && lastEdge();
    byId('practice-position').textContent =
      'Edge ' + (question.edge + 1) + ' of ' + question.count + ': P \u2192 Q.' +
      (done ? ' That was the pass\'s last edge: its result and the final figure are shown.'
            : '');
  }

  // The question in one sentence, for the page's announcement: nothing of the answer.
  function sentence() {
    var question = practice.question;
    if (!question) return byId('practice-none').textContent;
    return 'Practise pass ' + practice.pass + ', ' + question.test + '. Edge ' +
           (question.edge + 1) + ' of ' + question.count + ': P = ' + question.from.name +
           ', Q = ' + question.to.name + '.';
  }

  function setButtons() {
    var open = !!practice.question;
    byId('practice-check').disabled = !open;
    byId('practice-reveal').disabled = !open;
    byId('practice-next').disabled = !open || !practice.answered || lastEdge();
    byId('practice-new').disabled = !practice.pass;
  }

  // ---- Answers ------------------------------------------------------------------------------

  // The feedback, said once by its polite live region: what the compiled side returned.
  function setFeedback(verdict, mistake, lines) {
    var feedback = byId('practice-feedback');
    feedback.setAttribute('data-verdict', verdict);
    feedback.setAttribute('data-mistake', mistake);
    feedback.textContent = '';
    lines.forEach(function(line) { feedback.appendChild(element('p', {}, line)); });
  }

  // Counts the current edge's first answer: right (at the first try) or not.
  function count(right) {
    var key = edgeKey();
    if (practice.judged[key]) return;
    practice.judged[key] = true;
    practice.asked += 1;
    if (right) practice.right += 1;
    var score = byId('practice-score');
    score.setAttribute('data-right', String(practice.right));
    score.setAttribute('data-asked', String(practice.asked));
    score.textContent = 'Right at the first try: ' + practice.right + ' of ' + practice.asked +
                        (practice.asked === 1 ? ' edge' : ' edges') + ' asked.';
  }

  // The edge is done: its step is shown as the explorer shows it (drawn now, unless `drawn`);
  // after the pass's last edge, the later passes and the final figure too.
  function open(drawn) {
    if (!drawn) explorer.steps.update();
    practice.answered = true;
    conceal(false, !lastEdge());
    showPosition();
    setButtons();
  }

  function check() {
    if (!practice.question) return;
    var chosen = byId('practice-form').querySelector('input[name="practice-case"]:checked');
    var typed = byId('practice-t').value;
    var length = Module.lengthBytesUTF8(typed);
    if (length < Module._explorerTextCapacity()) {
      Module.stringToUTF8(typed, Module._explorerTextBuffer(), Module._explorerTextCapacity());
    }
    var result = json(compiled('Check')(practice.pass - 1, explorer.steps.edge() - 1,
                                        chosen ? caseCodes[chosen.value] : -1, length));
    setFeedback(result.verdict, result.mistake, result.lines);
    if (!result.verdict) return;
    count(result.verdict === 'right');
    if (result.verdict !== 'right') return;
    var wasAnswered = practice.answered;
    open();
    if (!wasAnswered) (lastEdge() ? byId('practice-new')
                                                           : byId('practice-next')).focus();
  }

  function reveal() {
    if (!practice.question) return;
    count(false);
    var answer = json(compiled('Answer')(practice.pass - 1, explorer.steps.edge() - 1));
    setFeedback('', '', answer.lines);
    open();
  }

  function next() {
    if (!practice.answered || lastEdge()) return;
    conceal(true, true);
    // The step is drawn once its answer is given: until then its container stays hidden.
    explorer.steps.moveTo(explorer.steps.edge());
    ask();
    explorer.updateAddress();
    explorer.announce(sentence);
    var first = byId('practice-form').querySelector('input[name="practice-case"]');
    first.focus();
  }

  // ---- Triangles of a sequence --------------------------------------------------------------

  // Draws triangle n of the sequence of `seed` (its text) for pass k and practises it from its
  // first edge; false, drawing nothing, for a seed, pass or n out of range.
  function useSequence(seed, k, n) {
    var length = Module.lengthBytesUTF8(seed);
    if (length >= Module._explorerTextCapacity()) return false;
    Module.stringToUTF8(seed, Module._explorerTextBuffer(), Module._explorerTextCapacity());
    if (compiled('UseTriangle')(length, k, n) !== 1) return false;
    practice.seed = seed;
    practice.pendingN = n;
    practice.sequencePass = k;
    explorer.space.follow();
    explorer.setMessage('');
    explorer.show();
    return true;
  }

  // New triangle: the next of the sequence (the first, for a triangle of none).
  function newTriangle() {
    var k = practice.pass;
    var n = practice.n && practice.sequencePass === k ? practice.n + 1 : 1;
    if (!useSequence(practice.seed, k, n) && !useSequence('1', k, 1)) return;
    explorer.announce(sentence);
    byId('practice-form').querySelector('input[name="practice-case"]').focus();
  }

  // The triangle an address of a sequence names ("practise&seed=S&pass=K&n=I", each part
  // optional: seed 1, pass 1, n 1), drawn; null for an address that names none (it holds t= or
  // c=, or no seed and no n), else '' or a note on what could not be taken as it stands. A pass
  // not named is named here, pass 1, for the address's pass to show.
  function addressTriangle(address) {
    var values = address.values, whole = explorer.address.whole;
    if (!('practise' in values) || 't' in values || 'c' in values ||
        !('seed' in values || 'n' in values)) {
      return null;
    }
    var notes = [];
    if (!('pass' in values)) values.pass = '1';
    var k = Math.max(1, Math.min(6, whole(values.pass) || 1));
    var seed = 'seed' in values ? values.seed : '1';
    var n = 'n' in values ? whole(values.n) : 1;
    if (!(n >= 1)) {
      notes.push('The address\'s n, \u201c' + values.n + '\u201d, is not a whole number ' +
                 'from 1: practising triangle 1.');
      n = 1;
    }
    if (practice.on && practice.n === n && practice.seed === seed && practice.sequencePass === k &&
        state.triangleText === practice.triangle) {
      return notes.join(' ');
    }
    if (!useSequence(seed, k, n)) {
      notes.push('The address\'s seed, \u201c' + seed + '\u201d, is not a whole number from ' +
                 '0 to 4294967295: practising seed 1.');
      useSequence('1', k, n);
    }
    return notes.join(' ');
  }

  // ---- On and off ---------------------------------------------------------------------------

  // Practice of pass k of the triangle shown (0: the first pass its walk crosses), from its
  // first edge unless the address names another.
  function start(k) {
    practice.on = true;
    practice.triangle = state.triangleText;
    document.body.classList.add('practising');
    byId('practise').setAttribute('aria-pressed', 'true');
    byId('steps').hidden = true;
    byId('practice').hidden = false;
    var pass = k || compiled('FirstPass')();
    if (state.shownPass !== pass) explorer.figures.show(pass, true);
    else chosen(pass);
  }

  function stop() {
    practice.on = false;
    practice.n = 0;
    practice.seed = '1';
    document.body.classList.remove('practising');
    byId('practise').setAttribute('aria-pressed', 'false');
    byId('practice').hidden = true;
    explorer.containerIds.forEach(function(id) { byId(id).hidden = false; });
    byId('final-later').hidden = true;
    var passChosen = state.shownPass > 0;
    byId('steps').hidden = byId('step-words').hidden = !passChosen;
    if (passChosen) explorer.steps.update();
  }

  // Pass k was chosen (steps.choose): practice goes on with that pass from its first edge, and
  // ends with all six.
  function chosen(k) {
    if (!practice.on) return;
    if (k === 0) {
      stop();
      return;
    }
    practice.pass = k;
    if (k !== practice.sequencePass) practice.n = 0;
    byId('steps').hidden = true;
    var container = byId(explorer.containerIds[k - 1]);
    byId('passes').insertBefore(byId('practice'), container);
    byId('practice-worksheet').href = 'worksheet.html#seed=' + encodeURIComponent(practice.seed) +
                                      '&pass=' + k + '&count=10';
    ask();
  }

  function toggle() {
    if (practice.on) {
      stop();
      explorer.updateAddress();
      explorer.announce(explorer.figures.announcement);
      return;
    }
    start(state.shownPass);
    explorer.steps.goTo(0);
    ask();
    explorer.updateAddress();
    explorer.announce(sentence);
  }

  // While practising, the page's sentence of what is shown (a pass's summary) would say the
  // answer: the question is said instead.
  var plainAnnounce = explorer.announce;
  explorer.announce = function(makeText) {
    plainAnnounce(practice.on && makeText === explorer.figures.announcement ? sentence : makeText);
  };

  // ---- Building -----------------------------------------------------------------------------

  function build() {
    var group = byId('practice-cases');
    Object.keys(caseCodes).forEach(function(name) {
      var label = element('label', {class: 'case'});
      label.appendChild(element('input', {type: 'radio', name: 'practice-case', value: name}));
      label.appendChild(document.createTextNode(' ' + name + ': ' + caseWords[name]));
      group.appendChild(label);
    });
    byId('practice-form').addEventListener('submit', function(event) {
      event.preventDefault();
      check();
    });
    byId('practice-reveal').addEventListener('click', reveal);
    byId('practice-next').addEventListener('click', next);
    byId('practice-new').addEventListener('click', newTriangle);
    byId('practise').addEventListener('click', toggle);
  }

  explorer.practice = {
    build: build,
    active: function() { return practice.on; },
    sentence: sentence,
    chosen: chosen,
    // After every draw: a changed triangle is practised from its first edge, and is no longer
    // the sequence's; a triangle drawn again (another layout) keeps its question and state.
    update: function() {
      if (!practice.on) return;
      if (state.triangleText === practice.triangle) {
        if (practice.answered) open(true);
        else conceal(true, true);
        return;
      }
      practice.triangle = state.triangleText;
      practice.n = practice.pendingN;
      practice.pendingN = 0;
      explorer.steps.goTo(0);
      ask();
    },
    // The address: practise (a flag), and the sequence's seed and n for its triangle.
    practiseParameter: function() { return practice.on ? '' : null; },
    seedParameter: function() {
      return practice.on && (practice.n || practice.seed !== '1') ? practice.seed : null;
    },
    nParameter: function() { return practice.on && practice.n ? String(practice.n) : null; },
    fromSequence: function() { return practice.on && practice.n > 0; },
    addressTriangle: addressTriangle,
    // Follows the address after its triangle, pass and edge were shown: practice on or off as
    // it says; practising with no pass named, the first pass the walk crosses, at edge 1.
    follow: function(address) {
      if (!('practise' in address.values)) {
        if (practice.on) stop();
        return;
      }
      if ('seed' in address.values && !practice.n) practice.seed = address.values.seed;
      var named = 'pass' in address.values && state.shownPass > 0;
      var edge = named ? explorer.steps.edge() : 1;
      practice.triangle = state.triangleText;
      if (practice.pendingN) {
        practice.n = practice.pendingN;
        practice.pendingN = 0;
      }
      if (!practice.on) start(named ? state.shownPass : 0);
      else if (!named) explorer.figures.show(compiled('FirstPass')(), true);
      else chosen(state.shownPass);
      explorer.steps.goTo(Math.max(edge, 1) - 1);
      ask();
    },
  };
})(ClipExplorer);
