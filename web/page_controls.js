// Linked into the web build with --post-js, after glut_fixes.js: the page's controls and texts
// beside the canvas, for screens without a keyboard and for screen readers.
// - Each button with a data-key attribute hands the program's keyboard callback that key code,
//   exactly as the key itself does (32 Space, 92 backslash, 27 Escape).
// - The element with id "state" says which view is on and whether the animation is stopped, as
//   the program's ViewState holds them (web/page_state.cpp), read after every frame; the one with
//   id "description" says in a sentence what the canvas shows now (the canvas names both as its
//   description, so that a screen reader has the picture in words).
// - Once the program has ended, the button with id "restart" appears and takes the focus: it
//   loads the page again, so that the demo is back without the browser's reload.
// A page without these elements simply has none of this.

var keyButtons = Array.prototype.slice.call(document.querySelectorAll('button[data-key]'));

keyButtons.forEach(function(button) {
  button.addEventListener('click', function(event) {
    // A button pressed with the mouse or a finger gives the keyboard back to the program, so
    // that Space afterwards switches the view instead of pressing this button again; one pressed
    // from the keyboard keeps the focus, for Tab to move on from.
    if (event.detail > 0) button.blur();
    callProgram(GLUT.keyboardFunc, [Number(button.dataset.key), Browser.mouseX, Browser.mouseY]);
  });
});

var stateLine = document.getElementById('state');
var viewDescription = document.getElementById('description');

function stateText() {
  var view = _webClipSpaceView() ? 'clip-space view' : 'world view';
  return _webAnimate() ? view : view + ', stopped';
}

// Degrees as a reader says them: up to three decimals, no trailing zeros.
function degreesText(degrees) {
  return String(Math.round(degrees * 1000) / 1000) + '°';
}

// What the canvas shows, in words: the view and what is in it, whether it moves, and how far the
// observer camera has been turned.
function descriptionText() {
  var triangles = _webTriangleCount();
  var mesh = triangles > 0 ? 'the mesh of ' + triangles + ' triangles' : 'an empty mesh';
  var moving = _webAnimate() ? 'bouncing and tumbling' : 'stopped';
  var text = _webClipSpaceView() ?
    'Clip-space view: the simulated camera\'s view volume as the cube from -1 to 1 (green ' +
      'outline), with ' + mesh + ', ' + moving + ', cut to what lies inside the cube and ' +
      'drawn dark brown. ' :
    'World view: the simulated camera\'s view volume (green frustum outline) with red, green ' +
      'and blue axes at the camera, and ' + mesh + ', ' + moving + ', cut flat where it ' +
      'crosses the frustum\'s faces. ';
  return text + 'The observer camera is turned ' + degreesText(_webOrbitAngleY()) +
         ' about the vertical axis and ' + degreesText(_webOrbitAngleX()) +
         ' about the horizontal axis.';
}

if (stateLine || viewDescription) {
  // Browser.mainLoop calls this after each of GLUT's display callbacks: after every frame.
  Module['postMainLoop'] = function() {
    [[stateLine, stateText], [viewDescription, descriptionText]].forEach(function(pair) {
      if (!pair[0]) return;
      var text = pair[1]();
      if (pair[0].textContent != text) pair[0].textContent = text;
    });
  };
}

var restartButton = document.getElementById('restart');
if (restartButton) {
  restartButton.addEventListener('click', function() { location.reload(); });
}

var quitBeforeControls = quit_;
quit_ = function(status, toThrow) {
  keyButtons.forEach(function(button) { button.disabled = true; });
  if (restartButton) {
    restartButton.hidden = false;
    restartButton.focus();
  }
  quitBeforeControls(status, toThrow);
};
