// web/: the browser build's compatibility layer. The program's sources are the same as on the
// desktop; Emscripten runs their OpenGL 1.1 immediate mode on WebGL through its legacy GL
// emulation and plays freeglut's part with its own GLUT. Where those lack something the program
// uses, or do it differently from the published behaviour, the pieces below take over. They are
// compiled into the web build only; web/gl_route.h, force-included into the sources that call
// OpenGL, routes the affected calls here. The GLUT event fixes live in web/glut_fixes.js, the
// page's own controls (buttons for the keys, the state line) in web/page_controls.js.
//
// Why each piece exists, and the file that holds it (what the files share is in
// web/gl_compat_shared.h):
// - Lighting, gl_lighting.cpp (glEnable/glDisable of GL_LIGHTING, GL_LIGHT0, GL_COLOR_MATERIAL,
//   GL_NORMALIZE; glLightModeli; glShadeModel; glNormal3fv): the emulation ignores
//   GL_COLOR_MATERIAL (all lit grey), two-sided lighting and GL_FLAT, wants the normal per vertex
//   where the program sets one per polygon before glBegin, throws on GL_LIGHT_MODEL_LOCAL_VIEWER
//   and has no glLightModeli. So the layer keeps the lighting state itself, the emulation never
//   sees GL_LIGHTING, and each lit primitive gets the one colour fixed-function OpenGL computes for
//   it (see webGlEnd).
// - Primitives, gl_primitives.cpp (glBegin, glVertex3f, glVertex4fv, glEnd, and glColor3f,
//   glColor3ubv): the emulation has no GL_POLYGON in immediate mode ("unsupported immediate mode
//   9"), and wants the same attributes for every vertex of a primitive, where the program sets a
//   colour before some vertices only (the axes). So each primitive is collected until glEnd and
//   handed over in the form the emulation takes: a convex polygon as a triangle fan (the same
//   pixels), every vertex with a colour if the colour changed inside the primitive. A lit primitive
//   needs all of its vertices anyway, for its facing under two-sided lighting. An empty primitive,
//   which the mesh pass issues for every triangle clipped away, draws nothing and is not handed
//   over.
// - Batching, gl_primitives.cpp and gl_matrices.cpp (and so glClear, glViewport, glFlush and the
//   matrix calls glMatrixMode, glLoadIdentity, glPushMatrix, glPopMatrix, glRotatef, glScalef,
//   glFrustum): the emulation turns every glBegin/glEnd into its own WebGL draw with much
//   JavaScript around it; one per triangle of the teapot made a frame take about 90 ms of script.
//   Lit polygons are gathered and drawn together, in their order, as one array of triangles. Every
//   other call the layer sees draws the gathered ones first, as does the end of every frame; so the
//   calls that change the matrices or the framebuffer come through the layer too, which also lets
//   it read the matrices for lighting only after they have changed.
// - glPushAttrib/glPopAttrib, gl_attributes.cpp: missing (link errors). They save and restore the
//   layer's lighting state, which is what GL_LIGHTING_BIT covers; the program saves no other group.
// - gluLookAt, gluPerspective, gl_matrices.cpp: Emscripten's pass gluLookAt's arguments in the
//   wrong order (the camera does not move) and make gluPerspective replace the current matrix
//   instead of multiplying it. These follow GLU's published definitions.
// - glutDisplayFunc/glutIdleFunc, glut_loop.cpp: Emscripten's GLUT calls the idle function from
//   a 4 ms timer that has nothing to do with drawing. Here it runs once after every displayed
//   frame, so a program whose idle function requests the next frame turns its loop once per
//   frame, at the display's pace, as on the desktop.
//
// Limits, none of which the program meets: one light (GL_LIGHT0) with OpenGL's default
// parameters, OpenGL's default material for what colour material does not replace, one normal
// and one colour per lit primitive (set before glBegin), lit polygons convex; no other
// attribute group is saved by glPushAttrib; between lit polygons, OpenGL calls other than the
// routed ones (glTranslatef, glLoadMatrixf, glDepthFunc, ...) would have to be routed too, so
// that the gathered polygons are drawn before them.
#pragma once

#include <GL/glut.h>

void webGlEnable(GLenum capability);
void webGlDisable(GLenum capability);
void webGlLightModeli(GLenum parameter, GLint value);
void webGlShadeModel(GLenum mode);
void webGlPushAttrib(GLbitfield mask);
void webGlPopAttrib();

void webGlColor3f(GLfloat red, GLfloat green, GLfloat blue);
void webGlColor3ubv(const GLubyte* color);
void webGlNormal3fv(const GLfloat* normal);

void webGlBegin(GLenum mode);
void webGlVertex3f(GLfloat x, GLfloat y, GLfloat z);
void webGlVertex4fv(const GLfloat* vertex);
void webGlEnd();

void webGlClear(GLbitfield mask);
void webGlViewport(GLint x, GLint y, GLsizei width, GLsizei height);
void webGlFlush();
void webGlMatrixMode(GLenum mode);
void webGlLoadIdentity();
void webGlPushMatrix();
void webGlPopMatrix();
void webGlRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z);
void webGlScalef(GLfloat x, GLfloat y, GLfloat z);
void webGlFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
                  GLdouble zFar);

void webGluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
                  GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ);
void webGluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar);

void webGlutDisplayFunc(void (*display)());
void webGlutIdleFunc(void (*idle)());

// For the page (web/page_state.cpp, called from web/page_controls.js after every frame): the
// program's display modes as its ViewState holds them, 1 or 0. clipSpaceView: the clip-space view
// is on; animate: the animation runs.
extern "C" int webClipSpaceView();
extern "C" int webAnimate();
