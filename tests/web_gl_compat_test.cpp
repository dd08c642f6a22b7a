// The browser build's compatibility layer, compiled natively and run on real OpenGL (Mesa, in a
// surfaceless EGL context drawing into a framebuffer object): its lit polygons against
// fixed-function lighting, its GLU functions against GLU's, its attribute stack and its
// primitives against the same calls made to OpenGL directly.
#include "web/gl_compat.h"

#include "tests/egl_context.h"

#include <EGL/egl.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {

constexpr int size = 8;  // the framebuffer's width and height, pixels

// Makes a desktop-OpenGL context current with an 8 x 8 RGBA framebuffer object bound, once per
// process; false if that is not possible.
bool makeGlContextCurrent()
{
    static const bool current = [] {
        if (!makeSurfacelessGlContextCurrent()) return false;
        auto genFramebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSPROC>(
            eglGetProcAddress("glGenFramebuffers"));
        auto bindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFERPROC>(
            eglGetProcAddress("glBindFramebuffer"));
        auto genRenderbuffers = reinterpret_cast<PFNGLGENRENDERBUFFERSPROC>(
            eglGetProcAddress("glGenRenderbuffers"));
        auto bindRenderbuffer = reinterpret_cast<PFNGLBINDRENDERBUFFERPROC>(
            eglGetProcAddress("glBindRenderbuffer"));
        auto renderbufferStorage = reinterpret_cast<PFNGLRENDERBUFFERSTORAGEPROC>(
            eglGetProcAddress("glRenderbufferStorage"));
        auto framebufferRenderbuffer = reinterpret_cast<PFNGLFRAMEBUFFERRENDERBUFFERPROC>(
            eglGetProcAddress("glFramebufferRenderbuffer"));
        if (!genFramebuffers || !bindFramebuffer || !genRenderbuffers || !bindRenderbuffer ||
            !renderbufferStorage || !framebufferRenderbuffer)
            return false;
        GLuint framebuffer, renderbuffer;
        genFramebuffers(1, &framebuffer);
        bindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        genRenderbuffers(1, &renderbuffer);
        bindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
        renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, size, size);
        framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                renderbuffer);
        glViewport(0, 0, size, size);
        return true;
    }();
    return current;
}

using Rgb = std::array<int, 3>;

Rgb pixelAt(int x, int y)
{
    unsigned char rgba[4];
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return {rgba[0], rgba[1], rgba[2]};
}

::testing::AssertionResult withinOneStep(const Rgb& expected, const Rgb& actual)
{
    for (int c = 0; c < 3; ++c)
        if (std::abs(expected[c] - actual[c]) > 1)
            return ::testing::AssertionFailure()
                   << "OpenGL (" << expected[0] << ", " << expected[1] << ", " << expected[2]
                   << "), layer (" << actual[0] << ", " << actual[1] << ", " << actual[2] << ")";
    return ::testing::AssertionSuccess();
}

// The calls a program makes, so that one sequence can be made to OpenGL itself and to the
// layer.
struct GlCalls {
    void (*enable)(GLenum);
    void (*disable)(GLenum);
    void (*lightModeli)(GLenum, GLint);
    void (*shadeModel)(GLenum);
    void (*pushAttrib)(GLbitfield);
    void (*popAttrib)();
    void (*color3ubv)(const GLubyte*);
    void (*normal3fv)(const GLfloat*);
    void (*begin)(GLenum);
    void (*vertex4fv)(const GLfloat*);
    void (*end)();
    void (*clear)(GLbitfield);
    void (*flush)();
    void (*matrixMode)(GLenum);
    void (*loadIdentity)();
    void (*frustum)(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble);
    void (*lookAt)(GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble, GLdouble,
                   GLdouble, GLdouble);
    void (*rotatef)(GLfloat, GLfloat, GLfloat, GLfloat);
    void (*scalef)(GLfloat, GLfloat, GLfloat);
};

const GlCalls openGl = {
    [](GLenum c) { glEnable(c); }, [](GLenum c) { glDisable(c); },
    [](GLenum p, GLint v) { glLightModeli(p, v); }, [](GLenum m) { glShadeModel(m); },
    [](GLbitfield mask) { glPushAttrib(mask); }, [] { glPopAttrib(); },
    [](const GLubyte* c) { glColor3ubv(c); }, [](const GLfloat* n) { glNormal3fv(n); },
    [](GLenum m) { glBegin(m); }, [](const GLfloat* v) { glVertex4fv(v); }, [] { glEnd(); },
    [](GLbitfield mask) { glClear(mask); }, [] { glFlush(); },
    [](GLenum m) { glMatrixMode(m); }, [] { glLoadIdentity(); },
    [](GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
        glFrustum(l, r, b, t, n, f);
    },
    [](GLdouble ex, GLdouble ey, GLdouble ez, GLdouble cx, GLdouble cy, GLdouble cz, GLdouble ux,
       GLdouble uy, GLdouble uz) { gluLookAt(ex, ey, ez, cx, cy, cz, ux, uy, uz); },
    [](GLfloat a, GLfloat x, GLfloat y, GLfloat z) { glRotatef(a, x, y, z); },
    [](GLfloat x, GLfloat y, GLfloat z) { glScalef(x, y, z); }};

const GlCalls layer = {webGlEnable,     webGlDisable,   webGlLightModeli, webGlShadeModel,
                       webGlPushAttrib, webGlPopAttrib, webGlColor3ubv,   webGlNormal3fv,
                       webGlBegin,      webGlVertex4fv, webGlEnd,         webGlClear,
                       webGlFlush,      webGlMatrixMode, webGlLoadIdentity, webGlFrustum,
                       webGluLookAt,    webGlRotatef,   webGlScalef};

// The lighting switches that the program sets once at start, and which the cases vary.
struct Switches {
    bool colorMaterial, light0, twoSide, normalize;
};

// The modelview's part after the camera: a rotation, then a scaling.
struct Transform {
    float angle, axis[3];
    float scale[3];
};

const Transform unchanged = {0, {0, 0, 1}, {1, 1, 1}};
const Transform tilted = {60, {1, 1, 0}, {1, 1, 1}};
const Transform mirroredInZ = {0, {0, 0, 1}, {1, 1, -1}};
const Transform shrunk = {0, {0, 0, 1}, {0.2f, 0.2f, 0.2f}};
const Transform stretched = {-35, {0, 1, 0}, {2, 1, 0.5f}};

// One lit polygon: the square of the plane z = 0 around the origin (which covers the middle of
// the picture) with this normal, its vertices running clockwise on screen or not, all with
// this w.
struct LitCase {
    const char* what;
    Switches switches;
    Transform transform;
    float normal[3];
    bool clockwise;
    float w;
};

void squareCorners(float corners[4][4], bool clockwise, float w)
{
    const float xy[4][2] = {{-2, -2}, {2, -2}, {2, 2}, {-2, 2}};
    for (int i = 0; i < 4; ++i) {
        const int k = clockwise ? 3 - i : i;
        corners[i][0] = xy[k][0] * w, corners[i][1] = xy[k][1] * w;
        corners[i][2] = 0, corners[i][3] = w;
    }
}

// A perspective camera 3 units in front of the origin, then the case's transformation.
void placeCamera(const GlCalls& gl, const Transform& t)
{
    gl.matrixMode(GL_PROJECTION);
    gl.loadIdentity();
    gl.frustum(-1, 1, -1, 1, 1, 10);
    gl.matrixMode(GL_MODELVIEW);
    gl.loadIdentity();
    gl.lookAt(0, 0, 3, 0, 0, 0, 0, 1, 0);
    gl.rotatef(t.angle, t.axis[0], t.axis[1], t.axis[2]);
    gl.scalef(t.scale[0], t.scale[1], t.scale[2]);
}

void setSwitches(const GlCalls& gl, const Switches& s)
{
    gl.enable(GL_LIGHTING);
    (s.colorMaterial ? gl.enable : gl.disable)(GL_COLOR_MATERIAL);
    (s.light0 ? gl.enable : gl.disable)(GL_LIGHT0);
    (s.normalize ? gl.enable : gl.disable)(GL_NORMALIZE);
    gl.lightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    gl.lightModeli(GL_LIGHT_MODEL_TWO_SIDE, s.twoSide);
    gl.shadeModel(GL_SMOOTH);
}

void clearSwitches(const GlCalls& gl)
{
    for (GLenum capability : {GL_LIGHTING, GL_COLOR_MATERIAL, GL_LIGHT0, GL_NORMALIZE})
        gl.disable(capability);
}

// The middle pixel after the polygon is drawn the way the program draws one: colour, normal,
// begin, vertices, end.
Rgb drawnBy(const GlCalls& gl, const LitCase& c, const GLubyte color[3])
{
    gl.clear(GL_COLOR_BUFFER_BIT);
    placeCamera(gl, c.transform);
    setSwitches(gl, c.switches);
    float corners[4][4];
    squareCorners(corners, c.clockwise, c.w);
    gl.color3ubv(color);
    gl.normal3fv(c.normal);
    gl.begin(GL_POLYGON);
    for (const auto& corner : corners) gl.vertex4fv(corner);
    gl.end();
    gl.flush();
    clearSwitches(gl);
    return pixelAt(size / 2, size / 2);
}

TEST(WebLitPolygon, HasTheColourOfFixedFunctionLighting)
{
    ASSERT_TRUE(makeGlContextCurrent());
    const Switches program = {true, true, true, true};
    const LitCase cases[] = {
        {"facing the light", program, unchanged, {0, 0, 1}, false, 1},
        {"at an angle", program, unchanged, {0.3f, -0.2f, 0.9f}, false, 1},
        {"normal away from the light", program, unchanged, {0, 0, -1}, false, 1},
        {"grazing", program, unchanged, {1, 0, 0}, false, 1},
        {"back face", program, unchanged, {0, 0, 1}, true, 1},
        {"back face, normal away", program, unchanged, {0.2f, 0.1f, -0.9f}, true, 1},
        {"tilted", program, tilted, {0, 0, 1}, false, 1},
        {"tilted back face", program, tilted, {0.4f, 0.5f, 0.6f}, true, 1},
        {"mirrored in z", program, mirroredInZ, {0, 0, 1}, false, 1},
        {"mirrored in z, other winding", program, mirroredInZ, {0.1f, 0.3f, 0.5f}, true, 1},
        {"scaled by 0.2, normal of length 0.2", program, shrunk, {0, 0, 0.2f}, false, 1},
        {"stretched unevenly", program, stretched, {0.5f, 0.5f, 0.7f}, false, 1},
        {"w of 0.5", program, tilted, {0.1f, 0.2f, 0.9f}, false, 0.5f},
        {"w of 0.5, back face", program, mirroredInZ, {0.1f, 0.2f, 0.9f}, true, 0.5f},
        {"one-sided, back face", {true, true, false, true}, unchanged, {0, 0, 1}, true, 1},
        {"not normalised", {true, true, true, false}, shrunk, {0, 0, 0.2f}, false, 1},
        {"no colour material", {false, true, true, true}, tilted, {0.3f, 0.3f, 0.8f}, false, 1},
        {"light 0 off", {true, false, true, true}, unchanged, {0, 0, 1}, false, 1},
    };
    const GLubyte colors[][3] = {{255, 128, 128}, {10, 200, 90}};
    for (const LitCase& c : cases)
        for (const auto& color : colors) {
            SCOPED_TRACE(std::string(c.what) + ", colour " + std::to_string(color[0]) + " " +
                         std::to_string(color[1]) + " " + std::to_string(color[2]));
            EXPECT_TRUE(withinOneStep(drawnBy(openGl, c, color), drawnBy(layer, c, color)));
        }
}

// The sequence of drawAxes around a lit polygon: lighting saved, turned off, an unlit polygon
// in another colour, lighting restored, the lit polygon again, then in a third colour. The
// middle pixel after each of the three polygons.
std::array<Rgb, 3> pushPopSequence(const GlCalls& gl)
{
    const Switches switches = {true, true, true, true};
    const float normal[3] = {0.8f, 0, 0.6f};
    const GLubyte first[3] = {200, 100, 50}, second[3] = {0, 255, 0}, third[3] = {90, 180, 250};
    float corners[4][4];
    squareCorners(corners, false, 1);
    auto polygon = [&] {
        gl.clear(GL_COLOR_BUFFER_BIT);
        gl.begin(GL_POLYGON);
        for (const auto& corner : corners) gl.vertex4fv(corner);
        gl.end();
        gl.flush();
        return pixelAt(size / 2, size / 2);
    };
    placeCamera(gl, tilted);
    setSwitches(gl, switches);
    gl.normal3fv(normal);
    gl.color3ubv(first);
    gl.pushAttrib(GL_LIGHTING_BIT);
    gl.disable(GL_LIGHTING);
    gl.color3ubv(second);
    std::array<Rgb, 3> pixels;
    pixels[0] = polygon();
    gl.popAttrib();
    pixels[1] = polygon();
    gl.color3ubv(third);
    pixels[2] = polygon();
    clearSwitches(gl);
    return pixels;
}

TEST(WebPushAttrib, SavesAndRestoresTheLightingStateAsOpenGlDoes)
{
    ASSERT_TRUE(makeGlContextCurrent());
    const std::array<Rgb, 3> expected = pushPopSequence(openGl);
    const std::array<Rgb, 3> actual = pushPopSequence(layer);
    EXPECT_EQ(actual[0], (Rgb{0, 255, 0})) << "unlit between push and pop";
    EXPECT_TRUE(withinOneStep(expected[0], actual[0])) << "unlit between push and pop";
    EXPECT_TRUE(withinOneStep(expected[1], actual[1])) << "lit after the pop";
    EXPECT_TRUE(withinOneStep(expected[2], actual[2])) << "lit in a new colour";
    EXPECT_NE(actual[1], actual[0]) << "lighting is back on";
}

// Lit polygons are gathered and drawn together; what comes after them in the program comes
// after them in the picture too. Here a lit square, then an unlit one in front of half of it:
// the unlit one covers its half.
TEST(WebLitPolygon, IsDrawnBeforeWhatFollowsIt)
{
    ASSERT_TRUE(makeGlContextCurrent());
    const GLubyte pink[3] = {255, 128, 128}, blue[3] = {0, 0, 255};
    const float normal[3] = {0, 0, 1};
    float corners[4][4];
    squareCorners(corners, false, 1);
    const float rightHalf[4][4] = {{0, -2, 0, 1}, {2, -2, 0, 1}, {2, 2, 0, 1}, {0, 2, 0, 1}};
    layer.clear(GL_COLOR_BUFFER_BIT);
    placeCamera(layer, unchanged);
    setSwitches(layer, {true, true, true, true});
    layer.color3ubv(pink);
    layer.normal3fv(normal);
    layer.begin(GL_POLYGON);
    for (const auto& corner : corners) layer.vertex4fv(corner);
    layer.end();
    layer.disable(GL_LIGHTING);
    layer.color3ubv(blue);
    layer.begin(GL_POLYGON);
    for (const auto& corner : rightHalf) layer.vertex4fv(corner);
    layer.end();
    layer.flush();
    clearSwitches(layer);
    EXPECT_EQ(pixelAt(1, size / 2), (Rgb{255, 154, 154})) << "lit: 1.2 x the colour, clamped";
    EXPECT_EQ(pixelAt(size - 2, size / 2), (Rgb{0, 0, 255}));
}

// Two segments across the picture, with a colour before the first vertex only, then a third
// with its own colour: each vertex takes the colour current when it is given.
TEST(WebPrimitive, VerticesTakeTheColourCurrentWhenTheyAreGiven)
{
    ASSERT_TRUE(makeGlContextCurrent());
    webGlMatrixMode(GL_PROJECTION);
    webGlLoadIdentity();
    webGlMatrixMode(GL_MODELVIEW);
    webGlLoadIdentity();
    webGlClear(GL_COLOR_BUFFER_BIT);
    // Rows 1, 3 and 5 of the 8 x 8 picture, in normalised device coordinates.
    auto row = [](int y) { return (y + 0.5f) / size * 2 - 1; };
    webGlColor3f(0, 0, 1);  // outside the pair: not for these vertices
    webGlBegin(GL_LINES);
    webGlColor3f(1, 0, 0);
    webGlVertex3f(-1, row(1), 0);
    webGlVertex3f(1, row(1), 0);
    webGlVertex3f(-1, row(3), 0);
    webGlVertex3f(1, row(3), 0);
    webGlColor3f(0, 1, 0);
    webGlVertex3f(-1, row(5), 0);
    webGlVertex3f(1, row(5), 0);
    webGlEnd();
    webGlFlush();
    EXPECT_EQ(pixelAt(4, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixelAt(4, 3), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixelAt(4, 5), (Rgb{0, 255, 0}));

    // The current colour after the pair is the last one given inside it.
    webGlClear(GL_COLOR_BUFFER_BIT);
    webGlBegin(GL_LINES);
    webGlVertex3f(-1, row(2), 0);
    webGlVertex3f(1, row(2), 0);
    webGlEnd();
    webGlFlush();
    EXPECT_EQ(pixelAt(4, 2), (Rgb{0, 255, 0}));
}

TEST(WebPrimitive, AnEmptyOrTwoVertexPolygonDrawsNothing)
{
    ASSERT_TRUE(makeGlContextCurrent());
    webGlMatrixMode(GL_PROJECTION);
    webGlLoadIdentity();
    webGlMatrixMode(GL_MODELVIEW);
    webGlLoadIdentity();
    webGlClear(GL_COLOR_BUFFER_BIT);
    webGlEnable(GL_LIGHTING);
    webGlColor3f(1, 1, 1);
    webGlBegin(GL_POLYGON);
    webGlEnd();
    webGlBegin(GL_POLYGON);
    webGlVertex3f(-1, -1, 0);
    webGlVertex3f(1, 1, 0);
    webGlEnd();
    webGlDisable(GL_LIGHTING);
    webGlFlush();
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) EXPECT_EQ(pixelAt(x, y), (Rgb{0, 0, 0}));
}

void modelview(double m[16])
{
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
}

TEST(WebGlu, LookAtAndPerspectiveMultiplyTheMatricesGluDoes)
{
    ASSERT_TRUE(makeGlContextCurrent());
    const double lookAts[][9] = {{0, 0, 8, 0, 0, 0, 0, 1, 0},
                                 {1, 2, 3, -1, 0.5, -2, 0.2, 1, 0.1},
                                 {-4, 0, 0, 0, 0, 0, 0, 0, 2}};
    const double perspectives[][4] = {{30, 1, 0.1, 100}, {60, 1.5, 1, 10}, {90, 0.5, 0.5, 2}};
    for (int i = 0; i < 3; ++i) {
        const double* l = lookAts[i];
        const double* p = perspectives[i];
        double expected[16], actual[16];
        glMatrixMode(GL_MODELVIEW);
        // Start from a matrix that is not the identity: both must multiply it.
        glLoadIdentity();
        glRotatef(20, 1, 0, 0);
        gluPerspective(p[0], p[1], p[2], p[3]);
        gluLookAt(l[0], l[1], l[2], l[3], l[4], l[5], l[6], l[7], l[8]);
        modelview(expected);
        glLoadIdentity();
        glRotatef(20, 1, 0, 0);
        webGluPerspective(p[0], p[1], p[2], p[3]);
        webGluLookAt(l[0], l[1], l[2], l[3], l[4], l[5], l[6], l[7], l[8]);
        modelview(actual);
        for (int k = 0; k < 16; ++k)
            EXPECT_NEAR(actual[k], expected[k], 1e-5 * (1 + std::fabs(expected[k])))
                << "case " << i << ", entry " << k;
    }
}

} // namespace
