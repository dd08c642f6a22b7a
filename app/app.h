// app/: the application shell of clipdemo: the observer camera's ViewState, the GLUT callbacks
// and the frame display. main (app/main.cpp) opens the window, sets the fixed OpenGL state,
// registers the callbacks, sets up the mesh and enters the GLUT loop for good.
//
// Keys: Escape quits (status 0), Space switches between the world view and the clip-space view,
// backslash stops and resumes the animation. Dragging with the left mouse button orbits the
// observer camera: across the whole window width turns it 180 degrees about y, across the whole
// height 180 degrees about x.
//
// Everything runs on the one thread of the GLUT loop. The input callbacks only change viewState;
// onDisplay reads it once per frame.
#pragma once

// The observer camera and the display modes; changed by the input callbacks, read by onDisplay.
struct ViewState {
    float orbitAngleX;  // degrees about x; grows with downward drags, never wrapped
    float orbitAngleY;  // degrees about y; grows with rightward drags, never wrapped
    int dragging;       // 1 while a left-button drag is in progress
    int lastMouseX;     // pointer at the latest button or motion event, window pixels
    int lastMouseY;
    int prevMouseX;     // pointer before the latest motion event, window pixels
    int prevMouseY;
    int clipSpaceView;  // 0: world view (mesh mapped back to eye space); 1: clip-space view
    int animate;        // 1: the animation advances one step per frame
};

extern ViewState viewState;

// GLUT callbacks.
void onReshape(int width, int height);
void onIdle();
void onMouse(int button, int state, int x, int y);
void onMotion(int x, int y);
void onKeyboard(unsigned char key, int x, int y);
void onDisplay();

// The three unit axes at the origin of the current modelview space, unlit, red x, green y,
// blue z. Leaves the current colour blue.
void drawAxes();
// The wireframe of a frustum with these bounds (eye space, the camera looking down -z), unlit,
// in the caller's current colour and transformation.
void drawFrustumOutline(float left, float right, float bottom, float top, float near, float far);
