// Whole frames in a real OpenGL context: the program's own start-up and onDisplay, against
// reference frames that draw the same scene triangles unclipped and let OpenGL clip them.
//
// The program's main runs unchanged (compiled in as clipdemoMain). Where it would enter the GLUT
// loop for good, this file's glutMainLoop takes over: it waits for the first frame, which gives
// the start-up time and the peak memory, then times rounds of
//   program    onDisplay as the program draws it (CPU clipping, one GL_POLYGON per triangle)
//   planes     the same frame with the mesh sent unclipped, one glBegin/glEnd per triangle, and
//              the simulated camera's frustum as six user clip planes (glClipPlane)
//   arrays     the same with the mesh as one vertex array and glDrawArrays
// each frame timed to glFinish; at every animation step all three draw the same scene, in
// turns. Both views.
//
// Prints one line per measurement, "key value", for scripts/bench to tabulate.
//
//   frame_bench [--frames=N] [--rounds=R]     (run in the folder holding teapot.tri)
#include "anim/anim.h"
#include "app/app.h"
#include "model/model.h"

#include <GL/freeglut.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

int clipdemoMain(int argc, char** argv);  // app/main.cpp's main

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point mainEntered;
bool firstFrameDone = false;
double startUpSeconds = 0;
int framesPerRound = 0;
int rounds = 7;
MotionState startMotion;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The first frame as GLUT shows it: the program's onDisplay, then wait for OpenGL to finish.
void firstFrame()
{
    onDisplay();
    glFinish();
    if (!firstFrameDone) startUpSeconds = secondsSince(mainEntered);
    firstFrameDone = true;
}

// The frame's stages other than the mesh, as onDisplay runs them.
void frameStart()
{
    stepAnimation(viewState.animate);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 8, 0, 0, 0, 0, 1, 0);
    glRotatef(viewState.orbitAngleX, 1, 0, 0);
    glRotatef(viewState.orbitAngleY, 0, 1, 0);
    if (!viewState.clipSpaceView) drawAxes();
}

void frameEnd()
{
    if (viewState.clipSpaceView)
        glFrustum(frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
                  frustum.far);
    glColor3f(0, 1, 0);
    drawFrustumOutline(frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
                       frustum.far);
    glutSwapBuffers();
}

// The six faces of the simulated camera's frustum as clip planes a x + b y + c z + d >= 0 in its
// eye space, for this frustum's bounds (near 0.25, far 1, sides through the eye).
const GLdouble eyeSpacePlanes[6][4] = {
    {frustum.near, 0, frustum.left, 0},     // left:   near x + left z >= 0
    {-frustum.near, 0, -frustum.right, 0},  // right
    {0, frustum.near, frustum.bottom, 0},   // bottom
    {0, -frustum.near, -frustum.top, 0},    // top
    {0, 0, -1, -frustum.near},              // near:   -z >= near
    {0, 0, 1, frustum.far},                 // far:    z >= -far
};
// The same faces in clip space: -w <= x, y, z <= w.
const GLdouble clipSpacePlanes[6][4] = {
    {1, 0, 0, 1}, {-1, 0, 0, 1}, {0, 1, 0, 1}, {0, -1, 0, 1}, {0, 0, 1, 1}, {0, 0, -1, 1},
};

// In the clip-space view OpenGL projects: the modelview gets the mirror and the frustum's
// projection, and the planes are given in clip space between the two.
void beginGlClipping()
{
    const bool clipView = viewState.clipSpaceView != 0;
    glPushMatrix();
    if (clipView) glScalef(1, 1, -1);
    for (int i = 0; i < 6; ++i) {
        glClipPlane(GL_CLIP_PLANE0 + i, clipView ? clipSpacePlanes[i] : eyeSpacePlanes[i]);
        glEnable(GL_CLIP_PLANE0 + i);
    }
    if (clipView)
        glFrustum(frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
                  frustum.far);
}

void endGlClipping()
{
    for (int i = 0; i < 6; ++i) glDisable(GL_CLIP_PLANE0 + i);
    glPopMatrix();
}

void planesFrame()
{
    frameStart();
    beginGlClipping();
    const MeshArrays& mesh = meshArrays;
    for (int i = 0; i < mesh.triangleCount; ++i) {
        glColor3ubv(mesh.colors + 3 * i);
        glNormal3fv(&mesh.sceneNormals[i].x);
        glBegin(GL_POLYGON);
        for (int k = 0; k < 3; ++k) glVertex4fv(&mesh.sceneVertices[3 * i + k].x);
        glEnd();
    }
    endGlClipping();
    frameEnd();
}

std::vector<Vector3> arrayNormals;
std::vector<unsigned char> arrayColors;

void arraysFrame()
{
    frameStart();
    const MeshArrays& mesh = meshArrays;
    const int vertexCount = 3 * mesh.triangleCount;
    arrayNormals.resize(size_t(vertexCount));
    for (int i = 0; i < vertexCount; ++i) arrayNormals[size_t(i)] = mesh.sceneNormals[i / 3];
    beginGlClipping();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(4, GL_FLOAT, 0, mesh.sceneVertices);
    glNormalPointer(GL_FLOAT, 0, arrayNormals.data());
    glColorPointer(3, GL_UNSIGNED_BYTE, 0, arrayColors.data());
    glDrawArrays(GL_TRIANGLES, 0, vertexCount);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    endGlClipping();
    frameEnd();
}

// Seconds one frame takes, up to the end of OpenGL's work.
double timeFrame(void (*frame)())
{
    glFinish();
    const Clock::time_point start = Clock::now();
    frame();
    glFinish();
    return secondsSince(start);
}

// One round: framesPerRound animation steps from the start; at each step the three kinds of
// frame draw the same scene (the motion is set back before each), in an order that turns from
// step to step. Seconds per frame of each kind.
void timeRound(double perFrame[3])
{
    void (*const kinds[3])() = {onDisplay, planesFrame, arraysFrame};
    double total[3] = {0, 0, 0};
    motionState = startMotion;
    for (int i = 0; i < framesPerRound; ++i) {
        const MotionState before = motionState;
        for (int k = 0; k < 3; ++k) {
            const int kind = (i + k) % 3;
            motionState = before;
            total[kind] += timeFrame(kinds[kind]);
        }
    }
    for (int kind = 0; kind < 3; ++kind) perFrame[kind] = total[kind] / framesPerRound;
}

void print(const char* key, double value)
{
    std::printf("%s %.9g\n", key, value);
}

// The start-up: the set-up (window, OpenGL state, mesh loaded), the first frame, peak memory.
void printStartUp(double setUpSeconds)
{
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    print("triangles", meshArrays.triangleCount);
    print("setup_seconds", setUpSeconds);
    print("startup_seconds", startUpSeconds);
    print("peak_rss_kib", double(usage.ru_maxrss));
}

void measureFrames()
{
    const int triangles = meshArrays.triangleCount;
    print("mesh_arrays_bytes", double(triangles) * (48 + 12 + 3 + 48 + 12));
    if (framesPerRound == 0) framesPerRound = std::max(4, std::min(400, 2000000 / std::max(triangles, 1)));
    print("frames_per_round", framesPerRound);

    arrayColors.clear();  // one colour per vertex
    for (int i = 0; i < triangles; ++i)
        for (int k = 0; k < 3; ++k)
            arrayColors.insert(arrayColors.end(), meshArrays.colors + 3 * i,
                               meshArrays.colors + 3 * i + 3);

    startMotion = motionState;
    viewState.animate = 1;
    for (int view : {0, 1}) {
        viewState.clipSpaceView = view;
        double perFrame[3];
        timeRound(perFrame);  // warm up
        for (int round = 0; round < rounds; ++round) {
            timeRound(perFrame);
            std::printf("round %s %d program %.9g planes %.9g arrays %.9g\n", view ? "clip" : "world",
                        round, perFrame[0], perFrame[1], perFrame[2]);
        }
    }
    std::fflush(stdout);
}

} // namespace

// Takes the place of GLUT's loop: run until the first frame is shown, then measure and end.
extern "C" void glutMainLoop()
{
    const double setUpSeconds = secondsSince(mainEntered);  // window, GL state, mesh loaded
    glutDisplayFunc(firstFrame);
    glutIdleFunc(nullptr);
    while (!firstFrameDone) glutMainLoopEvent();
    printStartUp(setUpSeconds);
    if (!std::getenv("FRAME_BENCH_STARTUP_ONLY")) measureFrames();
    std::exit(0);
}

int main(int argc, char** argv)
{
    mainEntered = Clock::now();
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--frames=", 9) == 0)
            framesPerRound = std::atoi(argv[i] + 9);
        else if (std::strncmp(argv[i], "--rounds=", 9) == 0)
            rounds = std::atoi(argv[i] + 9);
        else
            argv[kept++] = argv[i];
    }
    argv[kept] = nullptr;
    return clipdemoMain(kept, argv);
}
