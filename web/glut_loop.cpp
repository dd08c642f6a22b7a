// The GLUT loop of the browser build's compatibility layer. Why: Emscripten's GLUT calls the idle
// function from a 4 ms timer that has nothing to do with drawing. Here it runs once after every
// displayed frame, so a program whose idle function requests the next frame turns its loop once
// per frame, at the display's pace, as on the desktop.
#include "web/gl_compat_shared.h"

using namespace glcompat;

namespace {

// The GLUT callbacks the layer stands between.
struct GlutLoop {
    void (*display)() = nullptr;
    void (*idle)() = nullptr;
};

GlutLoop glutLoop;

// Emscripten's GLUT display callback: the program's display, its last polygons, then its idle
// function.
void displayThenIdle()
{
    glutLoop.display();
    drawBatch();
    if (glutLoop.idle) glutLoop.idle();
}

} // namespace

void webGlutDisplayFunc(void (*display)())
{
    glutLoop.display = display;
    glutDisplayFunc(display ? displayThenIdle : nullptr);
}

// Never handed to Emscripten's GLUT, whose timer would call it between frames.
void webGlutIdleFunc(void (*idle)())
{
    glutLoop.idle = idle;
}
