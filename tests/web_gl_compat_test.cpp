// The browser build's compatibility layer, compiled natively and run on real OpenGL (Mesa, in a
// surfaceless EGL context drawing into a framebuffer object): its lit polygons against
// fixed-function lighting, its GLU functions against GLU's, its attribute stack and its
// primitives against the same calls made to OpenGL directly.
#include "web/gl_compat.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
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
        auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (!getPlatformDisplay) return false;
        const EGLDisplay display =
            getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return false;
        if (!eglBindAPI(EGL_OPENGL_API)) return false;
        const EGLContext context =
            eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, nullptr);
        if (context == EGL_NO_CONTEXT ||
            !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context))
            return false;
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

// The lighting switches that the program sets once at start, and which the cases vary.
struct Switches {
    bool colorMaterial, light0, twoSide, normalize;
};

// One lit polygon: the modelview after the camera's translation, the normal, whether the
// vertices run clockwise on screen, and the w of the vertices.
struct LitCase {
    const char* what;
    Switches switches;
    void (*modelview)();
    float normal[3];
    bool clockwise;
    float w;
};

void noTransform() {}
void tilt() { glRotatef(60, 1, 1, 0); }
void mirrorZ() { glScalef(1, 1, -1); }
void shrink() { glScalef(0.2f, 0.2f, 0.2f); }
void stretch() { glRotatef(-35, 0, 1, 0), glScalef(2, 1, 0.5f); }

// The square of the plane z = 0 around the origin, which covers the middle of the picture.
void squareCorners(float corners[4][4], bool clockwise, float w)
{
    const float xy[4][2] = {{-2, -2}, {2, -2}, {2, 2}, {-2, 2}};
    for (int i = 0; i < 4; ++i) {
        const int k = clockwise ? 3 - i : i;
        corners[i][0] = xy[k][0] * w, corners[i][1] = xy[k][1] * w;
        corners[i][2] = 0, corners[i][3] = w;
    }
}

void placeCamera(const LitCase& c)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-1, 1, -1, 1, 1, 10);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -3);
    c.modelview();
}

void setSwitches(void (*enable)(GLenum), void (*disable)(GLenum), const Switches& s)
{
    enable(GL_LIGHTING);
    (s.colorMaterial ? enable : disable)(GL_COLOR_MATERIAL);
    (s.light0 ? enable : disable)(GL_LIGHT0);
    (s.normalize ? enable : disable)(GL_NORMALIZE);
}

void realEnable(GLenum capability) { glEnable(capability); }
void realDisable(GLenum capability) { glDisable(capability); }

// The polygon drawn by OpenGL's own fixed-function lighting, as the program draws it.
Rgb drawnByOpenGl(const LitCase& c, const unsigned char color[3])
{
    glClear(GL_COLOR_BUFFER_BIT);
    placeCamera(c);
    setSwitches(realEnable, realDisable, c.switches);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, c.switches.twoSide);
    glShadeModel(GL_SMOOTH);
    float corners[4][4];
    squareCorners(corners, c.clockwise, c.w);
    glColor3ubv(color);
    glNormal3fv(c.normal);
    glBegin(GL_POLYGON);
    for (const auto& corner : corners) glVertex4fv(corner);
    glEnd();
    const Rgb result = pixelAt(size / 2, size / 2);
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_LIGHT0);
    glDisable(GL_NORMALIZE);
    return result;
}

// The same through the layer, which lights on the CPU and draws unlit.
Rgb drawnByLayer(const LitCase& c, const unsigned char color[3])
{
    glClear(GL_COLOR_BUFFER_BIT);
    placeCamera(c);
    setSwitches(webGlEnable, webGlDisable, c.switches);
    webGlLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    webGlLightModeli(GL_LIGHT_MODEL_TWO_SIDE, c.switches.twoSide);
    webGlShadeModel(GL_SMOOTH);
    float corners[4][4];
    squareCorners(corners, c.clockwise, c.w);
    webGlColor3ubv(color);
    webGlNormal3fv(c.normal);
    webGlBegin(GL_POLYGON);
    for (const auto& corner : corners) webGlVertex4fv(corner);
    webGlEnd();
    webGlDisable(GL_LIGHTING);
    return pixelAt(size / 2, size / 2);
}

TEST(WebLitPolygon, HasTheColourOfFixedFunctionLighting)
{
    ASSERT_TRUE(makeGlContextCurrent());
    const Switches program = {true, true, true, true};
    const LitCase cases[] = {
        {"facing the light", program, noTransform, {0, 0, 1}, false, 1},
        {"at an angle", program, noTransform, {0.3f, -0.2f, 0.9f}, false, 1},
        {"normal away from the light", program, noTransform, {0, 0, -1}, false, 1},
        {"grazing", program, noTransform, {1, 0, 0}, false, 1},
        {"back face", program, noTransform, {0, 0, 1}, true, 1},
        {"back face, normal away", program, noTransform, {0.2f, 0.1f, -0.9f}, true, 1},
        {"tilted", program, tilt, {0, 0, 1}, false, 1},
        {"tilted back face", program, tilt, {0.4f, 0.5f, 0.6f}, true, 1},
        {"mirrored in z", program, mirrorZ, {0, 0, 1}, false, 1},
        {"mirrored in z, other winding", program, mirrorZ, {0.1f, 0.3f, 0.5f}, true, 1},
        {"scaled by 0.2, normal of length 0.2", program, shrink, {0, 0, 0.2f}, false, 1},
        {"stretched unevenly", program, stretch, {0.5f, 0.5f, 0.7f}, false, 1},
        {"w of 0.5", program, tilt, {0.1f, 0.2f, 0.9f}, false, 0.5f},
        {"w of 0.5, back face", program, mirrorZ, {0.1f, 0.2f, 0.9f}, true, 0.5f},
        {"one-sided, back face", {true, true, false, true}, noTransform, {0, 0, 1}, true, 1},
        {"not normalised", {true, true, true, false}, shrink, {0, 0, 0.2f}, false, 1},
        {"no colour material", {false, true, true, true}, tilt, {0.3f, 0.3f, 0.8f}, false, 1},
        {"light 0 off", {true, false, true, true}, noTransform, {0, 0, 1}, false, 1},
    };
    const unsigned char colors[][3] = {{255, 128, 128}, {10, 200, 90}};
    for (const LitCase& c : cases)
        for (const auto& color : colors) {
            SCOPED_TRACE(std::string(c.what) + ", colour " + std::to_string(color[0]) + " " +
                         std::to_string(color[1]) + " " + std::to_string(color[2]));
            EXPECT_TRUE(withinOneStep(drawnByOpenGl(c, color), drawnByLayer(c, color)));
        }
}

// The calls a program makes to OpenGL, so that one sequence can be made to OpenGL itself and to
// the layer.
struct GlCalls {
    void (*enable)(GLenum);
    void (*disable)(GLenum);
    void (*lightModeli)(GLenum, GLint);
    void (*pushAttrib)(GLbitfield);
    void (*popAttrib)();
    void (*color3ubv)(const GLubyte*);
    void (*normal3fv)(const GLfloat*);
    void (*begin)(GLenum);
    void (*vertex4fv)(const GLfloat*);
    void (*end)();
};

const GlCalls openGl = {realEnable, realDisable, [](GLenum p, GLint v) { glLightModeli(p, v); },
                        [](GLbitfield mask) { glPushAttrib(mask); }, [] { glPopAttrib(); },
                        [](const GLubyte* c) { glColor3ubv(c); },
                        [](const GLfloat* n) { glNormal3fv(n); }, [](GLenum m) { glBegin(m); },
                        [](const GLfloat* v) { glVertex4fv(v); }, [] { glEnd(); }};
const GlCalls layer = {webGlEnable, webGlDisable, webGlLightModeli, webGlPushAttrib,
                       webGlPopAttrib, webGlColor3ubv, webGlNormal3fv, webGlBegin,
                       webGlVertex4fv, webGlEnd};

// The sequence of drawAxes around a lit polygon: lighting saved, turned off, an unlit polygon
// in another colour, lighting restored, the lit polygon again, then in a third colour. The
// middle pixel after each of the three polygons.
std::array<Rgb, 3> pushPopSequence(const GlCalls& gl)
{
    const LitCase lit = {"", {true, true, true, true}, tilt, {0.8f, 0, 0.6f}, false, 1};
    const GLubyte first[3] = {200, 100, 50}, second[3] = {0, 255, 0}, third[3] = {90, 180, 250};
    float corners[4][4];
    squareCorners(corners, false, 1);
    auto polygon = [&] {
        glClear(GL_COLOR_BUFFER_BIT);
        gl.begin(GL_POLYGON);
        for (const auto& corner : corners) gl.vertex4fv(corner);
        gl.end();
        return pixelAt(size / 2, size / 2);
    };
    placeCamera(lit);
    setSwitches(gl.enable, gl.disable, lit.switches);
    gl.lightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    gl.normal3fv(lit.normal);
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
    for (GLenum capability : {GL_LIGHTING, GL_COLOR_MATERIAL, GL_LIGHT0, GL_NORMALIZE})
        gl.disable(capability);
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

// Two segments across the picture, with a colour before the first vertex only, then a third
// with its own colour: each vertex takes the colour current when it is given.
TEST(WebPrimitive, VerticesTakeTheColourCurrentWhenTheyAreGiven)
{
    ASSERT_TRUE(makeGlContextCurrent());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);
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
    EXPECT_EQ(pixelAt(4, 1), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixelAt(4, 3), (Rgb{255, 0, 0}));
    EXPECT_EQ(pixelAt(4, 5), (Rgb{0, 255, 0}));

    // The current colour after the pair is the last one given inside it.
    glClear(GL_COLOR_BUFFER_BIT);
    webGlBegin(GL_LINES);
    webGlVertex3f(-1, row(2), 0);
    webGlVertex3f(1, row(2), 0);
    webGlEnd();
    EXPECT_EQ(pixelAt(4, 2), (Rgb{0, 255, 0}));
}

TEST(WebPrimitive, AnEmptyOrTwoVertexPolygonDrawsNothing)
{
    ASSERT_TRUE(makeGlContextCurrent());
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT);
    webGlEnable(GL_LIGHTING);
    webGlColor3f(1, 1, 1);
    webGlBegin(GL_POLYGON);
    webGlEnd();
    webGlBegin(GL_POLYGON);
    webGlVertex3f(-1, -1, 0);
    webGlVertex3f(1, 1, 0);
    webGlEnd();
    webGlDisable(GL_LIGHTING);
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
