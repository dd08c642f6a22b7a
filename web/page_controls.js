// Linked into the web build with --post-js, after glut_fixes.js: the page's controls beside the
// canvas, for screens without a keyboard.
// - Each button with a data-key attribute hands the program's keyboard callback that key code,
//   exactly as the key itself does (32 Space, 92 backslash, 27 Escape).
// - The element with id "state" says which view is on and whether the animation is stopped, as
//   the program's ViewState holds them (web/page_state.cpp), read after every frame.
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

function stateText() {
  var view = _webClipSpaceView() ? 'clip-space view' : 'world view';
  return _webAnimate() ? view : view + ', stopped';
}

if (stateLine) {
  // Browser.mainLoop calls this after each of GLUT's display callbacks: after every frame.
  Module['postMainLoop'] = function() {
    var text = stateText();
    if (stateLine.textContent != text) stateLine.textContent = text;
  };
}

var quitBeforeControls = quit_;
quit_ = function(status, toThrow) {
  keyButtons.forEach(function(button) { button.disabled = true; });
  quitBeforeControls(status, toThrow);
};
