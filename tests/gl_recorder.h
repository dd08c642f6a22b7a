// A recording stand-in for the OpenGL, GLU and GLUT functions the program calls. Linked into a
// test instead of the real libraries, it records every call with its arguments, in order.
#pragma once

#include <string>
#include <vector>

struct GlCall {
    std::string name;          // the function's name, e.g. "glVertex4fv"
    std::vector<double> args;  // numeric arguments (vector arguments flattened), exact
    std::string text;          // a string argument (glutCreateWindow's title)
};

// The calls since the last clearGlCalls, in order.
const std::vector<GlCall>& glCalls();
void clearGlCalls();

// What glutGet(GLUT_WINDOW_WIDTH / HEIGHT) answers.
void setRecordedWindowSize(int width, int height);

// The callbacks registered through glut*Func, as the recorder last saw them.
struct GlutCallbacks {
    void (*display)();
    void (*reshape)(int, int);
    void (*idle)();
    void (*mouse)(int, int, int, int);
    void (*motion)(int, int);
    void (*keyboard)(unsigned char, int, int);
};
const GlutCallbacks& glutCallbacks();

// Just the names of calls, for comparing sequences.
std::vector<std::string> glCallNames();
