// A stand-in for the five OpenGL calls of the mesh pass that does (almost) nothing, so the
// CPU side of the pass can be timed alone. Each vertex still feeds a sum, so no caller's work can
// be optimised away as unused.
#include <GL/gl.h>

volatile float glNoopSink;

extern "C" {
void glColor3ubv(const GLubyte*) {}
void glNormal3fv(const GLfloat*) {}
void glBegin(GLenum) {}
void glEnd() {}
void glVertex4fv(const GLfloat* v) { glNoopSink = v[0]; }
}
