// The shell against the recording GL stand-in: the start-up sequence with the mesh set-up, the
// calls of a frame in both views, and what mouse and keys do to the ViewState.
#include "anim/anim.h"
#include "app/app.h"
#include "math/vecmath.h"
#include "model/model.h"
#include "tests/gl_recorder.h"

#include <GL/glut.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

int clipdemoMain(int argc, char** argv);  // app/main.cpp's main, renamed for this test

namespace {

using Names = std::vector<std::string>;

const ViewState initialViewState = {0.0f, 0.0f, 0, 0, 0, 0, 0, 0, 1};

class Shell : public ::testing::Test {
protected:
    void SetUp() override
    {
        viewState = initialViewState;
        setRecordedWindowSize(256, 256);
        clearGlCalls();
    }
};

// The recorded calls of one name, in order.
std::vector<GlCall> callsNamed(const std::string& name)
{
    std::vector<GlCall> found;
    for (const GlCall& call : glCalls())
        if (call.name == name) found.push_back(call);
    return found;
}

// A fresh directory to run the start-up in, where it reads teapot.tri; the working directory
// comes back and the mesh arrays go back to the empty mesh afterwards.
class StartUp : public Shell {
protected:
    void SetUp() override
    {
        Shell::SetUp();
        char pattern[] = "/tmp/clipdemo-startup-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ASSERT_NE(getcwd(previousDir, sizeof previousDir), nullptr);
        ASSERT_EQ(chdir(dir.c_str()), 0);
    }
    void TearDown() override
    {
        EXPECT_EQ(chdir(previousDir), 0);
        std::system(("rm -rf '" + dir + "'").c_str());
        // The program never frees its mesh; the test does, so the leak checker stays useful.
        delete[] meshArrays.modelVertices;
        delete[] meshArrays.modelNormals;
        delete[] meshArrays.colors;
        delete[] meshArrays.sceneVertices;
        delete[] meshArrays.sceneNormals;
        meshArrays = MeshArrays{0, nullptr, nullptr, nullptr, nullptr, nullptr};
    }
    std::string dir;
    char previousDir[4096];
};

TEST_F(StartUp, RunsTheFixedSequenceAndNothingElse)
{
    // Two triangles: (0,0,0) (1,0,0) (0,1,0), normal +z; (0,0,1) (0,0,2) (0,3,1), normal -x.
    std::ofstream("teapot.tri") << "2\n0 0 0 1 0 0 0 1 0\n0 0 1 0 0 2 0 3 1\n";
    char program[] = "clipdemo";
    char* argv[] = {program, nullptr};
    ::testing::internal::CaptureStdout();
    clipdemoMain(1, argv);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Reading in teapot.tri (2 triangles). . .\n");

    const Names expected = {
        "glutInit", "glutInitDisplayMode", "glutInitWindowSize", "glutInitWindowPosition",
        "glutCreateWindow", "glEnable", "glEnable", "glEnable", "glEnable", "glLightModeli",
        "glLightModeli", "glShadeModel", "glEnable", "glutDisplayFunc", "glutReshapeFunc",
        "glutIdleFunc", "glutMouseFunc", "glutMotionFunc", "glutKeyboardFunc", "glutMainLoop",
    };
    ASSERT_EQ(glCallNames(), expected);

    const std::vector<GlCall>& calls = glCalls();
    EXPECT_EQ(calls[0].args, (std::vector<double>{1}));
    EXPECT_EQ(calls[0].text, "clipdemo");
    EXPECT_EQ(calls[1].args, (std::vector<double>{18}));  // RGB | DOUBLE | DEPTH
    EXPECT_EQ(calls[2].args, (std::vector<double>{256, 256}));
    EXPECT_EQ(calls[3].args, (std::vector<double>{180, 100}));
    EXPECT_EQ(calls[4].text, "Polygon Clipping In Homogeneous Coordinates");
    EXPECT_EQ(calls[5].args, (std::vector<double>{GL_COLOR_MATERIAL}));
    EXPECT_EQ(calls[6].args, (std::vector<double>{GL_LIGHTING}));
    EXPECT_EQ(calls[7].args, (std::vector<double>{GL_LIGHT0}));
    EXPECT_EQ(calls[8].args, (std::vector<double>{GL_DEPTH_TEST}));
    EXPECT_EQ(calls[9].args, (std::vector<double>{GL_LIGHT_MODEL_LOCAL_VIEWER, 1}));
    EXPECT_EQ(calls[10].args, (std::vector<double>{GL_LIGHT_MODEL_TWO_SIDE, 1}));
    EXPECT_EQ(calls[11].args, (std::vector<double>{GL_SMOOTH}));
    EXPECT_EQ(calls[12].args, (std::vector<double>{GL_NORMALIZE}));

    const GlutCallbacks& callbacks = glutCallbacks();
    EXPECT_EQ(callbacks.display, &onDisplay);
    EXPECT_EQ(callbacks.reshape, &onReshape);
    EXPECT_EQ(callbacks.idle, &onIdle);
    EXPECT_EQ(callbacks.mouse, &onMouse);
    EXPECT_EQ(callbacks.motion, &onMotion);
    EXPECT_EQ(callbacks.keyboard, &onKeyboard);

    // The mesh arrays hold the file's triangles in the one colour, w = 1, with room for the
    // scene arrays.
    ASSERT_EQ(meshArrays.triangleCount, 2);
    const float corners[6][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 2}, {0, 3, 1}};
    for (int k = 0; k < 6; ++k) {
        const Vector4& v = meshArrays.modelVertices[k];
        EXPECT_EQ(v.x, corners[k][0]);
        EXPECT_EQ(v.y, corners[k][1]);
        EXPECT_EQ(v.z, corners[k][2]);
        EXPECT_EQ(v.w, 1.0f);
    }
    const Vector3& n0 = meshArrays.modelNormals[0];
    const Vector3& n1 = meshArrays.modelNormals[1];
    EXPECT_EQ((std::vector<float>{n0.x, n0.y, n0.z, n1.x, n1.y, n1.z}),
              (std::vector<float>{0, 0, 1, -1, 0, 0}));
    EXPECT_EQ(std::vector<int>(meshArrays.colors, meshArrays.colors + 6),
              (std::vector<int>{255, 128, 128, 255, 128, 128}));
    EXPECT_NE(meshArrays.sceneVertices, nullptr);
    EXPECT_NE(meshArrays.sceneNormals, nullptr);
}

// Reports, on standard error, the last OpenGL/GLUT call the process made before it exited.
void reportLastCall()
{
    const std::vector<GlCall>& calls = glCalls();
    std::fflush(stdout);  // what the program printed comes first
    std::fprintf(stderr, "last call: %s\n", calls.empty() ? "none" : calls.back().name.c_str());
}

TEST_F(StartUp, EndsAtTheMeshSetUpWhenTheFileIsMissingOrBad)
{
    char program[] = "clipdemo";
    char* argv[] = {program, nullptr};
    // Standard output joins standard error, where the death test reads it: the error line,
    // then the last call made, which is the callbacks' set-up: the loop is never entered.
    EXPECT_EXIT(
        {
            dup2(2, 1);
            std::atexit(reportLastCall);
            clipdemoMain(1, argv);
        },
        ::testing::ExitedWithCode(1),
        "^ERROR: unable to open TriObj \\[teapot\\.tri\\]!\nlast call: glutKeyboardFunc\n$");

    std::ofstream("teapot.tri") << "3\n0 0 0 1 0 0 0 1 0\n";
    EXPECT_EXIT(
        {
            dup2(2, 1);
            std::atexit(reportLastCall);
            clipdemoMain(1, argv);
        },
        ::testing::ExitedWithCode(1),
        "^Reading in teapot\\.tri \\(3 triangles\\)\\. \\. \\.\n"
        "ERROR: TriObj \\[teapot\\.tri\\] is too short to hold 3 triangles!\n"
        "last call: glutKeyboardFunc\n$");
}

TEST_F(Shell, ReshapeSetsViewportAndObserverProjection)
{
    onReshape(300, 200);
    onReshape(256, 0);  // a zero height counts as 1 instead of dividing by zero
    const Names expected = {"glViewport", "glMatrixMode", "glLoadIdentity", "gluPerspective",
                            "glViewport", "glMatrixMode", "glLoadIdentity", "gluPerspective"};
    ASSERT_EQ(glCallNames(), expected);
    const std::vector<GlCall>& calls = glCalls();
    EXPECT_EQ(calls[0].args, (std::vector<double>{0, 0, 300, 200}));
    EXPECT_EQ(calls[1].args, (std::vector<double>{GL_PROJECTION}));
    EXPECT_EQ(calls[3].args, (std::vector<double>{30.0, 1.5, 0.1, 100.0}));
    EXPECT_EQ(calls[4].args, (std::vector<double>{0, 0, 256, 0}));
    EXPECT_EQ(calls[7].args, (std::vector<double>{30.0, 256.0, 0.1, 100.0}));
}

TEST_F(Shell, IdleOnlyAsksForAFrame)
{
    onIdle();
    EXPECT_EQ(glCallNames(), Names{"glutPostRedisplay"});
}

// The frame's calls after the observer camera is placed, up to the swap, for the empty mesh.
const Names axesCalls = {
    "glPushAttrib", "glDisable", "glMatrixMode", "glPushMatrix", "glBegin",
    "glColor3f", "glVertex3f", "glVertex3f", "glColor3f", "glVertex3f", "glVertex3f",
    "glColor3f", "glVertex3f", "glVertex3f", "glEnd", "glPopMatrix", "glPopAttrib",
};
const Names outlineCalls = {
    "glPushAttrib", "glDisable",
    "glBegin", "glVertex3f", "glVertex3f", "glVertex3f", "glVertex3f", "glEnd",
    "glBegin", "glVertex3f", "glVertex3f", "glVertex3f", "glVertex3f", "glEnd",
    "glBegin", "glVertex3f", "glVertex3f", "glVertex3f", "glVertex3f",
    "glVertex3f", "glVertex3f", "glVertex3f", "glVertex3f", "glEnd",
    "glPopAttrib",
};

Names concat(std::initializer_list<Names> parts)
{
    Names all;
    for (const Names& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

TEST_F(Shell, WorldViewFrameDrawsAxesAndOutline)
{
    viewState.orbitAngleX = 12.5f;
    viewState.orbitAngleY = -30.0f;
    onDisplay();

    const Names head = {"glClear", "glMatrixMode", "glLoadIdentity", "gluLookAt", "glRotatef",
                        "glRotatef"};
    ASSERT_EQ(glCallNames(),
              concat({head, axesCalls, {"glColor3f"}, outlineCalls, {"glutSwapBuffers"}}));
    const std::vector<GlCall>& calls = glCalls();
    EXPECT_EQ(calls[0].args, (std::vector<double>{GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT}));
    EXPECT_EQ(calls[1].args, (std::vector<double>{GL_MODELVIEW}));
    EXPECT_EQ(calls[3].args, (std::vector<double>{0, 0, 8, 0, 0, 0, 0, 1, 0}));
    // x first, then y: the scene turns about y, then about x, then is viewed.
    EXPECT_EQ(calls[4].args, (std::vector<double>{12.5, 1, 0, 0}));
    EXPECT_EQ(calls[5].args, (std::vector<double>{-30.0, 0, 1, 0}));

    // The axes: unlit, red x, green y, blue z, each from the origin.
    const std::vector<GlCall> axes(calls.begin() + 6, calls.begin() + 6 + axesCalls.size());
    EXPECT_EQ(axes[0].args, (std::vector<double>{GL_LIGHTING_BIT}));
    EXPECT_EQ(axes[1].args, (std::vector<double>{GL_LIGHTING}));
    EXPECT_EQ(axes[4].args, (std::vector<double>{GL_LINES}));
    const std::vector<std::vector<double>> axisValues = {
        {1, 0, 0}, {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 0}, {0, 1, 0},
        {0, 0, 1}, {0, 0, 0}, {0, 0, 1}};
    for (size_t k = 0; k < axisValues.size(); ++k)
        EXPECT_EQ(axes[5 + k].args, axisValues[k]) << "axes call " << 5 + k;

    // The outline in green, unlit.
    const size_t green = 6 + axesCalls.size();
    EXPECT_EQ(calls[green].args, (std::vector<double>{0, 1, 0}));
    EXPECT_EQ(calls[green + 1].args, (std::vector<double>{GL_LIGHTING_BIT}));
    EXPECT_EQ(calls[green + 2].args, (std::vector<double>{GL_LIGHTING}));
}

TEST_F(Shell, ClipSpaceViewFrameHasNoAxesAndProjectsTheOutline)
{
    viewState.clipSpaceView = 1;
    onDisplay();

    const Names head = {"glClear", "glMatrixMode", "glLoadIdentity", "gluLookAt", "glRotatef",
                        "glRotatef"};
    // The (empty) mesh pass mirrors z in its own push/pop; the outline goes through glFrustum.
    ASSERT_EQ(glCallNames(), concat({head, {"glPushMatrix", "glScalef", "glPopMatrix"},
                                     {"glFrustum", "glColor3f"}, outlineCalls,
                                     {"glutSwapBuffers"}}));
    EXPECT_EQ(glCalls()[7].args, (std::vector<double>{1, 1, -1}));
    EXPECT_EQ(glCalls()[9].args, (std::vector<double>{-0.25, 0.25, -0.25, 0.25, 0.25, 1.0}));
}

// A frame with a mesh: the animation step first (only while animate is on), then the mesh
// between the axes and the outline, one polygon per triangle in array order.
TEST_F(Shell, FrameAnimatesThenDrawsTheMeshBetweenAxesAndOutline)
{
    // Two triangles of the model: one that ends up inside the frustum, one far off to the side.
    Vector4 modelVertices[6] = {{0, 0, 0, 1},  {0.1f, 0, 0, 1}, {0, 0.1f, 0, 1},
                                {50, 50, 0, 1}, {51, 50, 0, 1}, {50, 51, 0, 1}};
    Vector3 modelNormals[2] = {{0, 0, 1}, {0, 0, 1}};
    unsigned char colors[6] = {255, 128, 128, 1, 2, 3};
    Vector4 sceneVertices[6];
    Vector3 sceneNormals[2];
    const MeshArrays saved = meshArrays;
    meshArrays = {2, modelVertices, modelNormals, colors, sceneVertices, sceneNormals};
    const MotionState start = motionState;

    onDisplay();
    EXPECT_NE(motionState.spinAngle.x, start.spinAngle.x) << "animate is on at start";
    const MotionState afterOne = motionState;
    const Names head = {"glClear", "glMatrixMode", "glLoadIdentity", "gluLookAt", "glRotatef",
                        "glRotatef"};
    const Names mesh = {"glColor3ubv", "glNormal3fv", "glBegin", "glVertex4fv", "glVertex4fv",
                        "glVertex4fv", "glEnd", "glColor3ubv", "glNormal3fv", "glBegin",
                        "glEnd"};
    EXPECT_EQ(glCallNames(), concat({head, axesCalls, mesh, {"glColor3f"}, outlineCalls,
                                     {"glutSwapBuffers"}}));
    const std::vector<GlCall> shades = callsNamed("glColor3ubv");
    ASSERT_EQ(shades.size(), 2u);
    EXPECT_EQ(shades[0].args, (std::vector<double>{255, 128, 128}));
    EXPECT_EQ(shades[1].args, (std::vector<double>{1, 2, 3}));
    // The triangle inside goes out as the animation placed it in eye space, mapped back there
    // from clip space: its scene corners, w = 1, up to rounding.
    auto expectSent = [&](auto expected) {
        const std::vector<GlCall> sent = callsNamed("glVertex4fv");
        ASSERT_EQ(sent.size(), 3u);
        for (int k = 0; k < 3; ++k) {
            const Vector4& v = sceneVertices[k];
            const std::vector<double> want = expected(double(v.x), double(v.y), double(v.z));
            for (int c = 0; c < 4; ++c)
                EXPECT_NEAR(sent[k].args[c], want[c], 1e-6) << "corner " << k << ", " << c;
        }
    };
    expectSent([](double x, double y, double z) { return std::vector<double>{x, y, z, 1}; });

    // Stopped, in the clip-space view: no step, the same triangle projected by the frustum,
    // (x, y, -5/3 z - 2/3, -z), and left in clip space.
    clearGlCalls();
    viewState.animate = 0;
    viewState.clipSpaceView = 1;
    onDisplay();
    EXPECT_EQ(motionState.spinAngle.x, afterOne.spinAngle.x) << "stopped: no step";
    EXPECT_EQ(motionState.position.x, afterOne.position.x);
    expectSent([](double x, double y, double z) {
        return std::vector<double>{x, y, -5.0 / 3.0 * z - 2.0 / 3.0, -z};
    });

    meshArrays = saved;
    motionState = start;
}

TEST_F(Shell, OutlineJoinsTheNearAndFarFaces)
{
    drawFrustumOutline(-0.25f, 0.25f, -0.25f, 0.25f, 0.25f, 1.0f);
    std::vector<std::vector<double>> vertices;
    for (const GlCall& call : callsNamed("glVertex3f")) vertices.push_back(call.args);
    const std::vector<std::vector<double>> expected = {
        // near face at z = -near
        {0.25, 0.25, -0.25}, {-0.25, 0.25, -0.25}, {-0.25, -0.25, -0.25}, {0.25, -0.25, -0.25},
        // far face, four times as large at z = -far
        {1, 1, -1}, {-1, 1, -1}, {-1, -1, -1}, {1, -1, -1},
        // side edges, near corner to far corner
        {0.25, 0.25, -0.25}, {1, 1, -1}, {-0.25, 0.25, -0.25}, {-1, 1, -1},
        {-0.25, -0.25, -0.25}, {-1, -1, -1}, {0.25, -0.25, -0.25}, {1, -1, -1},
    };
    EXPECT_EQ(vertices, expected);
    const std::vector<GlCall> begins = callsNamed("glBegin");
    ASSERT_EQ(begins.size(), 3u);
    EXPECT_EQ(begins[0].args[0], GL_LINE_LOOP);
    EXPECT_EQ(begins[1].args[0], GL_LINE_LOOP);
    EXPECT_EQ(begins[2].args[0], GL_LINES);
    EXPECT_TRUE(callsNamed("glColor3f").empty()) << "the outline keeps the caller's colour";
}

TEST_F(Shell, LeftDragTurnsTheObserverFromThePressPosition)
{
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 50);
    EXPECT_EQ(viewState.dragging, 1);
    onMotion(164, 50);   // 64 of 256 pixels right: 45 degrees about y
    onMotion(164, 178);  // 128 of 256 pixels down: 90 degrees about x
    EXPECT_EQ(viewState.orbitAngleY, 45.0f);
    EXPECT_EQ(viewState.orbitAngleX, 90.0f);
    EXPECT_EQ(viewState.prevMouseX, 164);
    EXPECT_EQ(viewState.prevMouseY, 50);
    EXPECT_EQ(viewState.lastMouseY, 178);
    onMouse(GLUT_LEFT_BUTTON, GLUT_UP, 164, 178);
    EXPECT_EQ(viewState.dragging, 0);
    onMotion(200, 200);  // no drag: positions follow, angles stay
    EXPECT_EQ(viewState.orbitAngleY, 45.0f);
    EXPECT_EQ(viewState.orbitAngleX, 90.0f);
    EXPECT_EQ(viewState.lastMouseX, 200);

    // Each motion asks for the width, then the height, whether dragging or not.
    std::vector<double> queries;
    for (const GlCall& call : callsNamed("glutGet")) queries.push_back(call.args[0]);
    EXPECT_EQ(queries, (std::vector<double>{GLUT_WINDOW_WIDTH, GLUT_WINDOW_HEIGHT,
                                            GLUT_WINDOW_WIDTH, GLUT_WINDOW_HEIGHT,
                                            GLUT_WINDOW_WIDTH, GLUT_WINDOW_HEIGHT}));
    EXPECT_EQ(glCallNames().size(), 6u) << "input callbacks draw nothing";
}

TEST_F(Shell, DraggingAgainAndAgainIsNeverWrapped)
{
    setRecordedWindowSize(100, 100);
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    for (int i = 1; i <= 10; ++i) onMotion(100 * i, -100 * i);  // a window's width each time
    EXPECT_EQ(viewState.orbitAngleY, 1800.0f);
    EXPECT_EQ(viewState.orbitAngleX, -1800.0f);
}

TEST_F(Shell, OtherButtonsRecordThePositionButNeverDrag)
{
    onMouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 10, 20);
    onMouse(GLUT_RIGHT_BUTTON, GLUT_DOWN, 30, 40);
    EXPECT_EQ(viewState.lastMouseX, 30);
    EXPECT_EQ(viewState.lastMouseY, 40);
    EXPECT_EQ(viewState.dragging, 0);
    onMotion(90, 90);
    EXPECT_EQ(viewState.prevMouseX, 30);
    EXPECT_EQ(viewState.prevMouseY, 40);
    EXPECT_EQ(viewState.orbitAngleX, 0.0f);
    EXPECT_EQ(viewState.orbitAngleY, 0.0f);
}

TEST_F(Shell, ZeroWindowSizeDoesNotDivideByZero)
{
    setRecordedWindowSize(0, 0);
    onMouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 0, 0);
    onMotion(1, 2);  // counts as a 1 x 1 window
    EXPECT_EQ(viewState.orbitAngleY, 180.0f);
    EXPECT_EQ(viewState.orbitAngleX, 360.0f);
}

TEST_F(Shell, SpaceAndBackslashToggleOtherKeysDoNothing)
{
    onKeyboard(' ', 0, 0);
    EXPECT_EQ(viewState.clipSpaceView, 1);
    onKeyboard('\\', 0, 0);
    EXPECT_EQ(viewState.animate, 0);
    for (int key : {97, 65, 113, 81, 122, 47, 13, 9, 0, 127, 255})  // a A q Q z / CR tab ...
        onKeyboard(key, 0, 0);
    EXPECT_EQ(viewState.clipSpaceView, 1);
    EXPECT_EQ(viewState.animate, 0);
    onKeyboard(' ', 5, 5);
    onKeyboard('\\', 5, 5);
    EXPECT_EQ(viewState.clipSpaceView, 0);
    EXPECT_EQ(viewState.animate, 1);

    // Toggling is logical negation: any non-zero value becomes 0.
    viewState.clipSpaceView = 7;
    onKeyboard(' ', 0, 0);
    EXPECT_EQ(viewState.clipSpaceView, 0);
    EXPECT_TRUE(glCalls().empty()) << "keys draw nothing and ask for no frame";
}

TEST_F(Shell, EscapeExitsWithStatusZero)
{
    EXPECT_EXIT(onKeyboard(27, 0, 0), ::testing::ExitedWithCode(0), "");
    viewState.clipSpaceView = 1;
    viewState.animate = 0;
    EXPECT_EXIT(onKeyboard(27, 0, 0), ::testing::ExitedWithCode(0), "");
}

} // namespace
