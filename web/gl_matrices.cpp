// The matrix, framebuffer and GLU calls of the browser build's compatibility layer.
// Why: lit polygons are gathered into one batch (gl_primitives.cpp), so every call that changes
// the matrices or the framebuffer (glClear, glViewport, glFlush, glMatrixMode, glLoadIdentity,
// glPushMatrix, glPopMatrix, glRotatef, glScalef, glFrustum) comes through here to draw the
// gathered polygons first; that also lets the layer read the matrices for lighting only after
// they have changed. And Emscripten's gluLookAt passes its arguments in the wrong order (the
// camera does not move) and its gluPerspective replaces the current matrix instead of multiplying
// it; webGluLookAt and webGluPerspective follow GLU's published definitions.
#include "web/gl_compat_shared.h"

#include <cmath>

using namespace glcompat;

namespace {

Matrices matrices;

constexpr double pi = 3.14159265358979323846;

// The same as beforeOtherCall, for a call that changes the current matrix.
void beforeMatrixCall()
{
    drawBatch();
    matrices.known = false;
}

} // namespace

namespace glcompat {

const Matrices& currentMatrices()
{
    if (!matrices.known) {
        glGetFloatv(GL_MODELVIEW_MATRIX, matrices.modelview);
        glGetFloatv(GL_PROJECTION_MATRIX, matrices.projection);
        matrices.known = true;
    }
    return matrices;
}

} // namespace glcompat

void webGlClear(GLbitfield mask)
{
    beforeOtherCall();
    glClear(mask);
}

void webGlViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    beforeOtherCall();
    glViewport(x, y, width, height);
}

void webGlFlush()
{
    beforeOtherCall();
    glFlush();
}

void webGlMatrixMode(GLenum mode)
{
    beforeMatrixCall();
    glMatrixMode(mode);
}

void webGlLoadIdentity()
{
    beforeMatrixCall();
    glLoadIdentity();
}

void webGlPushMatrix()
{
    beforeMatrixCall();
    glPushMatrix();
}

void webGlPopMatrix()
{
    beforeMatrixCall();
    glPopMatrix();
}

void webGlRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    beforeMatrixCall();
    glRotatef(angle, x, y, z);
}

void webGlScalef(GLfloat x, GLfloat y, GLfloat z)
{
    beforeMatrixCall();
    glScalef(x, y, z);
}

void webGlFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
                  GLdouble zFar)
{
    beforeMatrixCall();
    glFrustum(left, right, bottom, top, zNear, zFar);
}

// GLU's definition: f = (center - eye) / |center - eye|, s = f x up normalised, u = s x f; the
// current matrix is multiplied by the rotation with rows s, u, -f, then translated by -eye.
void webGluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
                  GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ)
{
    beforeMatrixCall();
    double f[3] = {centerX - eyeX, centerY - eyeY, centerZ - eyeZ};
    double up[3] = {upX, upY, upZ};
    normalizeInPlace(f);
    normalizeInPlace(up);
    double s[3], u[3];
    cross(s, f, up);
    normalizeInPlace(s);
    cross(u, s, f);
    const GLdouble rotation[16] = {s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0,
                                   s[2], u[2], -f[2], 0, 0,    0,    0,     1};
    glMultMatrixd(rotation);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

// GLU's definition: with f = cot(fovy / 2) (fovy in degrees), the current matrix is multiplied by
//   f / aspect  0  0                              0
//   0           f  0                              0
//   0           0  (far + near) / (near - far)    2 far near / (near - far)
//   0           0  -1                             0
void webGluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    beforeMatrixCall();
    const double halfAngle = fovy / 2 * pi / 180;
    const double f = std::cos(halfAngle) / std::sin(halfAngle);
    const double depth = zNear - zFar;
    const GLdouble perspective[16] = {f / aspect, 0, 0, 0, 0, f, 0, 0,
                                      0, 0, (zFar + zNear) / depth, -1,
                                      0, 0, 2 * zFar * zNear / depth, 0};
    glMultMatrixd(perspective);
}
