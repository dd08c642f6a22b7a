// Linked into the web build with --post-js: corrections to Emscripten's GLUT, made before main
// runs (so before glutInit registers its listeners, which are the GLUT.on... functions as they
// are then). They exist because:
// - keys: GLUT derives the character from the key code with a table that turns backslash into
//   '/'; the character the browser reports for the key is used instead. And GLUT's page-wide key
//   listener takes every key it can map, Tab and Enter included, so no control on the page could
//   be reached or pressed from the keyboard. Here a key belongs to the page control that has the
//   focus (Tab moves on, Enter and Space press a button); elsewhere it goes to the program, except
//   Tab, which is how the focus reaches the controls (the program does nothing with Tab).
// - mouse buttons: GLUT hands the program every release anywhere on the page, and the program
//   toggles its drag on every left-button event, so one click beside the canvas would invert the
//   drag for good. Here buttons arrive as a window system delivers them: a press reaches the
//   program only on the canvas, and then its release does, wherever it happens; presses elsewhere
//   and their releases never do.
// - touch: GLUT turns every touch on the canvas, each finger's, into mouse events from listeners
//   on the window, where the browser makes touch listeners passive: each of its preventDefault
//   calls logs a console error, and the page may scroll or zoom under the finger. Here one touch
//   sequence on the canvas is one left-button press and one release (also when the touch is
//   cancelled); a second finger adds nothing; the canvas itself neither scrolls nor zooms.
// - one holder: the mouse, a finger and the arrow keys (web/key_orbit.js) all press the program's
//   left button. Its events must alternate press, release, or the program's drag flag ends up
//   inverted and every later drag stops turning the camera; and a delta between two sources'
//   positions would jump the camera. So the source that pressed holds the buttons: a press by
//   another source meanwhile is ignored, only the holder's release or cancel lets go, and only
//   the holder's motion reaches the program.
// - lost release: a press on the canvas whose release happens outside the browser window (the
//   window lost the focus meanwhile: another window or tab came to the front, a dialog opened)
//   sends no mouseup, and the held button would go on orbiting under the hovering pointer and
//   shutting out the other sources. So when the window loses the focus or the page is hidden,
//   whatever is held is released, and so is the mouse's left button when a motion shows it up.
// - wheel: the same passive-listener errors, and GLUT takes the wheel anywhere on the page, which
//   then cannot scroll. Here the wheel reaches the program only over the canvas, as one press and
//   one release of button 3 (up) or 4 (down), as freeglut reports it without a wheel callback.
// - motion: GLUT calls the motion callback with the pointer's previous position instead of the
//   new one, so every drag would lose its last step;
// - exit: exit() inside a callback throws out of GLUT's event listener (an uncaught page error)
//   and leaves the loop running, so an animation frame already requested calls back into a
//   program that has ended. Exiting now ends the loop: no further callback runs, GLUT's
//   listeners are removed, the last picture stays and the page says that the program has ended.

// Calls a program callback from the page; exit() inside it has already done its work when its
// ExitStatus arrives here: not an error. Nothing is called once the program has ended.
function callProgram(callback, args) {
  if (ABORT || !callback) return;
  try {
    wasmTable.get(callback).apply(null, args);
  } catch (e) {
    if (!(e instanceof ExitStatus)) throw e;
  }
}

// ---- Keys ---------------------------------------------------------------------------------------

var glutAsciiKey = GLUT.getASCIIKey;
GLUT.getASCIIKey = function(event) {
  var key = event['key'];
  if (!event['ctrlKey'] && !event['altKey'] && !event['metaKey'] && typeof key == 'string' &&
      key.length == 1 && key.charCodeAt(0) < 128) {
    return key.charCodeAt(0);
  }
  return glutAsciiKey(event);  // Escape, Return, ...
};

// Whether nothing on the page but the program's canvas has the keyboard focus.
function programHasFocus() {
  var focus = document.activeElement;
  return !focus || focus == document.body || focus == document.documentElement ||
         focus == Module['canvas'];
}

// GLUT's key handlers call the program themselves: its ExitStatus is no error there either.
['onKeydown', 'onKeyup'].forEach(function(handler) {
  var glutHandler = GLUT[handler];
  GLUT[handler] = function(event) {
    if (!programHasFocus() || event['key'] == 'Tab') return;  // the page's, as without GLUT
    try {
      glutHandler(event);
    } catch (e) {
      if (!(e instanceof ExitStatus)) throw e;
    }
  };
});

// ---- Mouse buttons and motion -------------------------------------------------------------------

// The canvas pixel under a point of the browser window (client coordinates), as the program sees
// window pixels; the position GLUT reports with every event.
function movePointerTo(clientX, clientY) {
  var canvas = Module['canvas'], rect = canvas.getBoundingClientRect();
  Browser.mouseX = (clientX - rect.left) * (canvas.width / rect.width);
  Browser.mouseY = (clientY - rect.top) * (canvas.height / rect.height);
}

// A press on the canvas gives it the keyboard, as a click into a window does (the press's own
// default, which would focus it, is prevented to keep text from being selected).
function focusProgram() {
  Module['canvas'].focus({ preventScroll: true });
}

// GLUT.buttons: bit b is set while button b, pressed on the canvas, is held. buttonHolder is the
// source that pressed them, 'mouse', 'touch' or 'key', or null while none is held; only the mouse
// has more than one button. Motion reaches the program only while a button is held.
var buttonHolder = null;

function pressButton(source, button) {
  buttonHolder = source;
  GLUT.buttons |= 1 << button;
  callProgram(GLUT.mouseFunc, [button, 0 /* GLUT_DOWN */, Browser.mouseX, Browser.mouseY]);
}

function releaseButton(button) {
  GLUT.buttons &= ~(1 << button);
  if (GLUT.buttons == 0) buttonHolder = null;
  callProgram(GLUT.mouseFunc, [button, 1 /* GLUT_UP */, Browser.mouseX, Browser.mouseY]);
}

// Whether the mouse may press or move the program's pointer: no other source holds a button.
function mouseMayAct() {
  return buttonHolder === null || buttonHolder == 'mouse';
}

GLUT.onMouseButtonDown = function(event) {
  var button = event['button'];
  if (event.target != Module['canvas'] || button > 2 || (GLUT.buttons & (1 << button))) return;
  event.preventDefault();  // no text selection by dragging from the canvas
  if (!mouseMayAct()) return;
  focusProgram();
  Browser.calculateMouseEvent(event);
  GLUT.saveModifiers(event);
  pressButton('mouse', button);
};

// Releases every button the holder, whichever it is, holds (a touch's later end finds no held
// touch and releases nothing more), so the program's presses and releases still alternate.
function releaseHeld() {
  heldTouch = null;
  for (var button = 0; button <= 2; ++button) {
    if (GLUT.buttons & (1 << button)) releaseButton(button);
  }
}

window.addEventListener('blur', releaseHeld);
document.addEventListener('visibilitychange', function() {
  if (document.hidden) releaseHeld();
});

GLUT.onMouseButtonUp = function(event) {
  var button = event['button'];
  // Not pressed on the canvas, or held by another source.
  if (button > 2 || buttonHolder != 'mouse' || !(GLUT.buttons & (1 << button))) return;
  Browser.calculateMouseEvent(event);
  GLUT.saveModifiers(event);
  releaseButton(button);
};

// Motion reaches the program while a button pressed on the canvas is held, with the new position.
function moveProgramPointer() {
  callProgram(GLUT.motionFunc, [Browser.mouseX, Browser.mouseY]);
}

GLUT.onMousemove = function(event) {
  if (!mouseMayAct()) return;  // the pointer is the holder's
  // The left button went up where no mouseup reached the page: released where it was last seen.
  if (buttonHolder == 'mouse' && (GLUT.buttons & 1) && !(event['buttons'] & 1)) releaseButton(0);
  var lastX = Browser.mouseX, lastY = Browser.mouseY;
  Browser.calculateMouseEvent(event);
  if (Browser.mouseX == lastX && Browser.mouseY == lastY) return;
  if (GLUT.buttons == 0) {
    if (event.target == Module['canvas']) {
      callProgram(GLUT.passiveMotionFunc, [Browser.mouseX, Browser.mouseY]);
    }
    return;
  }
  event.preventDefault();
  GLUT.saveModifiers(event);
  moveProgramPointer();
};

// ---- Touch and wheel, on the canvas only --------------------------------------------------------

// GLUT's own touch and wheel listeners, on the window, do nothing now; the canvas has its own,
// registered as not passive so that they may keep the browser from scrolling and zooming, and
// from making up mouse events of its own after the touch.
GLUT.touchHandler = function() {};
GLUT.onMouseWheel = function() {};

var heldTouch = null;  // identifier of the touch that holds the left button, or null

function findTouch(touches, identifier) {
  for (var i = 0; i < touches.length; ++i) {
    if (touches[i].identifier === identifier) return touches[i];
  }
  return null;
}

var touchListeners = {
  touchstart: function(event) {
    event.preventDefault();
    // A second finger adds nothing, nor does a touch while the mouse holds a button.
    if (buttonHolder !== null) return;
    var touch = event.changedTouches[0];
    heldTouch = touch.identifier;
    focusProgram();
    movePointerTo(touch.clientX, touch.clientY);
    GLUT.modifiers = 0;
    pressButton('touch', 0);
  },
  touchmove: function(event) {
    event.preventDefault();
    var touch = findTouch(event.changedTouches, heldTouch);
    if (!touch) return;
    var lastX = Browser.mouseX, lastY = Browser.mouseY;
    movePointerTo(touch.clientX, touch.clientY);
    if (Browser.mouseX != lastX || Browser.mouseY != lastY) moveProgramPointer();
  },
  touchend: function(event) {
    if (event.cancelable) event.preventDefault();
    var touch = findTouch(event.changedTouches, heldTouch);
    if (!touch) return;
    heldTouch = null;
    movePointerTo(touch.clientX, touch.clientY);
    releaseButton(0);
  },
};
touchListeners.touchcancel = touchListeners.touchend;  // a cancelled touch still lets go

Object.keys(touchListeners).forEach(function(type) {
  Module['canvas'].addEventListener(type, touchListeners[type], { passive: false });
});

Module['canvas'].addEventListener('wheel', function(event) {
  if (event.deltaY == 0) return;
  event.preventDefault();
  if (!mouseMayAct()) return;  // its press would move the program's pointer under the holder
  Browser.calculateMouseEvent(event);
  GLUT.saveModifiers(event);
  var button = event.deltaY < 0 ? 3 : 4;  // wheel up, wheel down
  callProgram(GLUT.mouseFunc, [button, 0 /* GLUT_DOWN */, Browser.mouseX, Browser.mouseY]);
  callProgram(GLUT.mouseFunc, [button, 1 /* GLUT_UP */, Browser.mouseX, Browser.mouseY]);
}, { passive: false });

// ---- Exit ---------------------------------------------------------------------------------------

// GLUT's listeners as glutInit registers them: event name, handler.
var glutListeners = [
  ['keydown', 'onKeydown'], ['keyup', 'onKeyup'], ['mousemove', 'onMousemove'],
  ['mousedown', 'onMouseButtonDown'], ['mouseup', 'onMouseButtonUp'],
  ['mousewheel', 'onMouseWheel'], ['DOMMouseScroll', 'onMouseWheel'],
  ['touchstart', 'touchHandler'], ['touchmove', 'touchHandler'], ['touchend', 'touchHandler'],
];

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
