// win/: the Windows build (mingw-w64, scripts/build-windows). The program's sources are the same
// as on Linux; what Windows' own headers get in the way of is put right here, in this folder.
//
// Force-included (-include) into the Windows build's sources that include the OpenGL or GLUT
// headers, before anything else. On Windows those headers include windows.h, which defines
// macros under plain words. Two of them are words the program uses as names:
// - near, far: defined empty (a leftover of 16-bit pointers), they would erase the Frustum's
//   near and far fields and the parameters of that name. They are taken away here, after
//   windows.h has been read once; its include guard keeps the later includes from bringing them
//   back.
// The other macros of windows.h (ERROR, IN, OUT, ...) and its function Polygon collide with no
// name of the program. min and max stay undefined (NOMINMAX), so std::min and std::max keep
// working; WIN32_LEAN_AND_MEAN leaves out what OpenGL does not need, as freeglut's header does.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#undef near
#undef far
