// Linked into the web build with --post-js: three corrections to Emscripten's GLUT, made before
// main runs (so before glutInit registers its listeners). They exist because:
// - keys: GLUT derives the character from the key code with a table that turns backslash into
//   '/'; the character the browser reports for the key is used instead;
// - motion: GLUT calls the motion callback with the pointer's previous position instead of the
//   new one, so every drag would lose its last step;
// - exit: exit() inside a callback throws out of GLUT's event listener (an uncaught page error)
//   and leaves the loop running, so an animation frame already requested calls back into a
//   program that has ended. Exiting now ends the loop: no further callback runs, GLUT's
//   listeners are removed, the last picture stays and the page says that the program has ended.

var glutAsciiKey = GLUT.getASCIIKey;
GLUT.getASCIIKey = function(event) {
  var key = event['key'];
  if (!event['ctrlKey'] && !event['altKey'] && !event['metaKey'] && typeof key == 'string' &&
      key.length == 1 && key.charCodeAt(0) < 128) {
    return key.charCodeAt(0);
  }
  return glutAsciiKey(event);  // Escape, Return, Tab, ...
};

GLUT.onMousemove = function(event) {
  var lastX = Browser.mouseX, lastY = Browser.mouseY;
  Browser.calculateMouseEvent(event);
  if (Browser.mouseX == lastX && Browser.mouseY == lastY) return;
  var callback = GLUT.buttons == 0
      ? (event.target == Module['canvas'] ? GLUT.passiveMotionFunc : null)
      : GLUT.motionFunc;
  if (!callback) return;
  event.preventDefault();
  GLUT.saveModifiers(event);
  wasmTable.get(callback)(Browser.mouseX, Browser.mouseY);
};

// GLUT's listeners as glutInit registers them: event name, handler.
var glutListeners = [
  ['keydown', 'onKeydown'], ['keyup', 'onKeyup'], ['mousemove', 'onMousemove'],
  ['mousedown', 'onMouseButtonDown'], ['mouseup', 'onMouseButtonUp'],
  ['mousewheel', 'onMouseWheel'], ['DOMMouseScroll', 'onMouseWheel'],
  ['touchstart', 'touchHandler'], ['touchmove', 'touchHandler'], ['touchend', 'touchHandler'],
];

// exit() has already done its work when its ExitStatus reaches a listener: not an error.
['onKeydown', 'onKeyup', 'onMousemove', 'onMouseButtonDown', 'onMouseButtonUp',
 'onMouseWheel'].forEach(function(handler) {
  var listener = GLUT[handler];
  GLUT[handler] = function(event) {
    try {
      listener(event);
    } catch (e) {
      if (!(e instanceof ExitStatus)) throw e;
    }
  };
});

var programQuit = quit_;
quit_ = function(status, toThrow) {
  ABORT = true;  // the runtime's own flag: no frame, timer or event calls into the program now
  glutListeners.forEach(function(listener) {
    window.removeEventListener(listener[0], GLUT[listener[1]], true);
  });
  var setStatus = Module['setStatus'];
  if (setStatus) {
    setStatus('The program has ended (exit status ' + status + ').');
    Module['setStatus'] = function() {};  // the runtime's own later '' would clear it
  }
  programQuit(status, toThrow);
};
