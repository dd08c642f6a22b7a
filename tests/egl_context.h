// A desktop-OpenGL context of Mesa's without any window: for tests that compare with real
// OpenGL.
#pragma once

// Makes a surfaceless desktop-OpenGL context current, once per process; false if that is not
// possible. Drawing needs a framebuffer object of the caller's.
bool makeSurfacelessGlContextCurrent();
