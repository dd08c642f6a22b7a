// The input side of the shell: window reshape, idle, mouse and keyboard. None of these draws;
// they change viewState, and the idle callback asks for the next frame.
#include "app/app.h"

#ifdef __APPLE__
#include <GLUT/glut.h>  // Apple's GLUT framework
#else
#include <GL/glut.h>
#endif

#include <cstdlib>

ViewState viewState = {0.0f, 0.0f, 0, 0, 0, 0, 0, 0, 1};

namespace {

// A window size of zero would divide by zero; it is treated as 1.
int atLeastOne(int size)
{
    return size > 0 ? size : 1;
}

} // namespace

void onReshape(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(30.0, double(atLeastOne(width)) / double(atLeastOne(height)), 0.1, 100.0);
    // The matrix mode stays GL_PROJECTION: onDisplay selects GL_MODELVIEW itself.
}

void onIdle()
{
    glutPostRedisplay();
}

void onMouse(int button, int /*state*/, int x, int y)
{
    viewState.lastMouseX = x;
    viewState.lastMouseY = y;
    // Press and release each toggle, so a press starts a drag and its release ends it.
    if (button == GLUT_LEFT_BUTTON) viewState.dragging = !viewState.dragging;
}

void onMotion(int x, int y)
{
    viewState.prevMouseX = viewState.lastMouseX;
    viewState.prevMouseY = viewState.lastMouseY;
    viewState.lastMouseX = x;
    viewState.lastMouseY = y;
    const int dx = x - viewState.prevMouseX;  // pixels
    const int dy = y - viewState.prevMouseY;
    const float sx = float(dx) / float(atLeastOne(glutGet(GLUT_WINDOW_WIDTH)));
    const float sy = float(dy) / float(atLeastOne(glutGet(GLUT_WINDOW_HEIGHT)));
    if (!viewState.dragging) return;
    // A drag across the whole window turns the camera by 180 degrees.
    viewState.orbitAngleY = float(double(viewState.orbitAngleY) + double(sx) * 180.0);
    viewState.orbitAngleX = float(double(viewState.orbitAngleX) + double(sy) * 180.0);
}

void onKeyboard(unsigned char key, int /*x*/, int /*y*/)
{
    switch (key) {
    case 27:  // Escape
        std::exit(0);
    case ' ':
        viewState.clipSpaceView = !viewState.clipSpaceView;
        break;
    case '\\':
        viewState.animate = !viewState.animate;
        break;
    default:
        break;
    }
}
