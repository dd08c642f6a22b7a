// Records each OpenGL, GLU and GLUT call instead of carrying it out.
#include "tests/gl_recorder.h"

#include <GL/glut.h>

namespace {

std::vector<GlCall> calls;
GlutCallbacks callbacks = {};
int windowWidth = 256, windowHeight = 256;

void record(const char* name, std::vector<double> args = {}, std::string text = {})
{
    calls.push_back({name, std::move(args), std::move(text)});
}

} // namespace

const std::vector<GlCall>& glCalls() { return calls; }
void clearGlCalls() { calls.clear(); }
void setRecordedWindowSize(int width, int height) { windowWidth = width, windowHeight = height; }
const GlutCallbacks& glutCallbacks() { return callbacks; }

std::vector<std::string> glCallNames()
{
    std::vector<std::string> names;
    for (const GlCall& call : calls) names.push_back(call.name);
    return names;
}

extern "C" {

void glEnable(GLenum cap) { record("glEnable", {double(cap)}); }
void glDisable(GLenum cap) { record("glDisable", {double(cap)}); }
void glLightModeli(GLenum name, GLint value) { record("glLightModeli", {double(name), double(value)}); }
void glShadeModel(GLenum mode) { record("glShadeModel", {double(mode)}); }
void glPushAttrib(GLbitfield mask) { record("glPushAttrib", {double(mask)}); }
void glPopAttrib() { record("glPopAttrib"); }
void glViewport(GLint x, GLint y, GLsizei w, GLsizei h) { record("glViewport", {double(x), double(y), double(w), double(h)}); }
void glClear(GLbitfield mask) { record("glClear", {double(mask)}); }
void glMatrixMode(GLenum mode) { record("glMatrixMode", {double(mode)}); }
void glLoadIdentity() { record("glLoadIdentity"); }
void glPushMatrix() { record("glPushMatrix"); }
void glPopMatrix() { record("glPopMatrix"); }
void glRotatef(GLfloat a, GLfloat x, GLfloat y, GLfloat z) { record("glRotatef", {a, x, y, z}); }
void glScalef(GLfloat x, GLfloat y, GLfloat z) { record("glScalef", {x, y, z}); }
void glFrustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) { record("glFrustum", {l, r, b, t, n, f}); }
void glBegin(GLenum mode) { record("glBegin", {double(mode)}); }
void glEnd() { record("glEnd"); }
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { record("glColor3f", {r, g, b}); }
void glColor3ubv(const GLubyte* c) { record("glColor3ubv", {double(c[0]), double(c[1]), double(c[2])}); }
void glNormal3fv(const GLfloat* n) { record("glNormal3fv", {n[0], n[1], n[2]}); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { record("glVertex3f", {x, y, z}); }
void glVertex4fv(const GLfloat* v) { record("glVertex4fv", {v[0], v[1], v[2], v[3]}); }

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) { record("gluPerspective", {fovy, aspect, zNear, zFar}); }
void gluLookAt(GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux, GLdouble uy, GLdouble uz) { record("gluLookAt", {ex, ey, ez, cx, cy, cz, ux, uy, uz}); }

void glutInit(int* argc, char** argv) { record("glutInit", {double(*argc)}, argc && *argc > 0 ? argv[0] : ""); }
void glutInitDisplayMode(unsigned int mode) { record("glutInitDisplayMode", {double(mode)}); }
void glutInitWindowSize(int w, int h) { record("glutInitWindowSize", {double(w), double(h)}); }
void glutInitWindowPosition(int x, int y) { record("glutInitWindowPosition", {double(x), double(y)}); }
int glutCreateWindow(const char* title) { record("glutCreateWindow", {}, title); return 1; }
void glutDisplayFunc(void (*f)()) { callbacks.display = f; record("glutDisplayFunc"); }
void glutReshapeFunc(void (*f)(int, int)) { callbacks.reshape = f; record("glutReshapeFunc"); }
void glutIdleFunc(void (*f)()) { callbacks.idle = f; record("glutIdleFunc"); }
void glutMouseFunc(void (*f)(int, int, int, int)) { callbacks.mouse = f; record("glutMouseFunc"); }
void glutMotionFunc(void (*f)(int, int)) { callbacks.motion = f; record("glutMotionFunc"); }
void glutKeyboardFunc(void (*f)(unsigned char, int, int)) { callbacks.keyboard = f; record("glutKeyboardFunc"); }
// The real loop never returns; the recorder's returns at once, so main's start-up can be checked.
void glutMainLoop() { record("glutMainLoop"); }
void glutPostRedisplay() { record("glutPostRedisplay"); }
void glutSwapBuffers() { record("glutSwapBuffers"); }
int glutGet(GLenum what)
{
    record("glutGet", {double(what)});
    if (what == GLUT_WINDOW_WIDTH) return windowWidth;
    if (what == GLUT_WINDOW_HEIGHT) return windowHeight;
    return 0;
}

} // extern "C"
