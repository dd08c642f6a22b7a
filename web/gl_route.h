// Force-included (-include) into the web build's sources that call OpenGL, before anything else:
// sends the calls that Emscripten's GL emulation, GLU or GLUT cannot serve as the program needs
// to the compatibility layer (web/gl_compat.h says why each one). The OpenGL, GLU and GLUT
// headers are read first, so their declarations keep their own names, and the program's own
// #include <GL/glut.h> finds them already read.
#pragma once

#include "web/gl_compat.h"

#define glEnable webGlEnable
#define glDisable webGlDisable
#define glLightModeli webGlLightModeli
#define glShadeModel webGlShadeModel
#define glPushAttrib webGlPushAttrib
#define glPopAttrib webGlPopAttrib
#define glColor3f webGlColor3f
#define glColor3ubv webGlColor3ubv
#define glNormal3fv webGlNormal3fv
#define glBegin webGlBegin
#define glVertex3f webGlVertex3f
#define glVertex4fv webGlVertex4fv
#define glEnd webGlEnd
#define glClear webGlClear
#define glViewport webGlViewport
#define glFlush webGlFlush
#define glMatrixMode webGlMatrixMode
#define glLoadIdentity webGlLoadIdentity
#define glPushMatrix webGlPushMatrix
#define glPopMatrix webGlPopMatrix
#define glRotatef webGlRotatef
#define glScalef webGlScalef
#define glFrustum webGlFrustum
#define gluLookAt webGluLookAt
#define gluPerspective webGluPerspective
#define glutDisplayFunc webGlutDisplayFunc
#define glutIdleFunc webGlutIdleFunc
