// Linked into the web build with --post-js, after glut_fixes.js: the observer camera turned from
// the keyboard, for those who cannot drag. While the canvas has the focus (Tab reaches it, a click
// or a touch gives it), each press of an arrow key is handed to the program as the drag it stands
// for, through the program's own mouse and motion callbacks: a left-button press at the canvas's
// centre, one motion of keyOrbitDegrees' worth of pixels in the arrow's direction, and the release.
// The program itself gives the arrow keys no meaning (they reach none of its callbacks), so its
// sources stay as they are; Escape, Space and backslash reach it as before.
// A press while the mouse or a finger holds a button is ignored (glut_fixes.js: one holder), as
// is one after the program has ended. With Alt, Ctrl, Meta or Shift an arrow stays the browser's.

// Degrees the camera turns per press: a drag across 1/32 of the canvas, 8 pixels of the program's
// 256 (a whole width turns it 180 degrees), so that every press turns it by the same exact amount.
var keyOrbitDegrees = 5.625;

// The drag direction of each arrow key, in window pixels per canvas size: right and down make
// the angles grow, as rightward and downward drags do.
var keyOrbitDirections = {
  ArrowLeft: [-1, 0], ArrowRight: [1, 0], ArrowUp: [0, -1], ArrowDown: [0, 1],
};

Module['canvas'].addEventListener('keydown', function(event) {
  var direction = keyOrbitDirections[event.key];
  if (!direction || event.altKey || event.ctrlKey || event.metaKey || event.shiftKey) return;
  event.preventDefault();  // the page does not scroll under the focused canvas
  if (ABORT || buttonHolder !== null) return;
  var canvas = Module['canvas'];
  var step = keyOrbitDegrees / 180;  // of the canvas size
  var pointerX = Browser.mouseX, pointerY = Browser.mouseY;  // the mouse's, kept for it
  Browser.mouseX = Math.floor(canvas.width / 2);
  Browser.mouseY = Math.floor(canvas.height / 2);
  GLUT.modifiers = 0;
  pressButton('key', 0);
  Browser.mouseX += Math.round(direction[0] * step * canvas.width);
  Browser.mouseY += Math.round(direction[1] * step * canvas.height);
  moveProgramPointer();
  releaseButton(0);
  Browser.mouseX = pointerX;
  Browser.mouseY = pointerY;
});
