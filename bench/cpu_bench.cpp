// The CPU side of a frame, per triangle, over the real animated teapot: the animation step, and
// the clip-and-draw pass with OpenGL stubbed out (bench/gl_noop.cpp) against the floor, a bare
// pass that only projects each triangle's three vertices and sends them in the same call shape.
// Also the loading of the mesh file alone: TriObj reading it from disk (the file cache warm).
//
// Every benchmark walks the same 300 animation steps from the program's start, so each sees the
// real mix of triangles inside, crossing and outside the frustum.
//
//   cpu_bench [--mesh=FILE] [google-benchmark flags]
#include "anim/anim.h"
#include "clip/clip.h"
#include "model/model.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <unistd.h>

namespace {

std::string meshPath = "teapot.tri";
MotionState startMotion;
constexpr int framesPerCycle = 300;

void loadMesh()
{
    startMotion = motionState;
    TriObj* object = new TriObj(meshPath.c_str(), 255, 128, 128);
    buildMeshArrays(*object, &meshArrays.modelVertices, &meshArrays.triangleCount,
                    &meshArrays.modelNormals, &meshArrays.colors);
    delete object;
    meshArrays.sceneVertices = new Vector4[3 * meshArrays.triangleCount];
    meshArrays.sceneNormals = new Vector3[meshArrays.triangleCount];
}

// The animation's next step, starting over after framesPerCycle steps.
void nextFrame(int& frame)
{
    if (frame == framesPerCycle) {
        motionState = startMotion;
        frame = 0;
    }
    stepAnimation(1);
    ++frame;
}

void reportPerTriangle(benchmark::State& state)
{
    state.counters["per_triangle"] = benchmark::Counter(
        double(state.iterations()) * meshArrays.triangleCount,
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["triangles"] = meshArrays.triangleCount;
}

void animationStep(benchmark::State& state)
{
    motionState = startMotion;
    int frame = 0;
    for (auto _ : state) nextFrame(frame);
    reportPerTriangle(state);
}

// The floor: project the three corners with the frustum's matrix and send them in the pass's
// call shape, nothing else.
void drawProjectedOnly(const MeshArrays& mesh)
{
    Matrix4 projection;
    matFrustum(projection, frustum.left, frustum.right, frustum.bottom, frustum.top,
               frustum.near, frustum.far);
    for (int i = 0; i < mesh.triangleCount; ++i) {
        Vector4 clipSpace[3];
        for (int k = 0; k < 3; ++k)
            matTransformPoint(clipSpace[k], projection, mesh.sceneVertices[3 * i + k]);
        glColor3ubv(mesh.colors + 3 * i);
        glNormal3fv(&mesh.sceneNormals[i].x);
        glBegin(GL_POLYGON);
        for (int k = 0; k < 3; ++k) glVertex4fv(&clipSpace[k].x);
        glEnd();
    }
}

double nanosecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start)
        .count();
}

// The pass as the program runs it (world view, mapBack 1, or clip-space view, 0) and the floor,
// both on every frame, in turns, so that each frame's pair meets the same scene and the same
// machine. Reports both per triangle and their ratio; the time per iteration is the pair's.
void passAgainstFloor(benchmark::State& state)
{
    const int mapBack = int(state.range(0));
    motionState = startMotion;
    int frame = 0;
    double pass = 0, floor = 0;
    for (auto _ : state) {
        nextFrame(frame);
        const auto start = std::chrono::steady_clock::now();
        double passNow, floorNow;
        if (frame % 2) {
            drawMesh(meshArrays.sceneVertices, meshArrays.sceneNormals, meshArrays.colors,
                     meshArrays.triangleCount, mapBack);
            passNow = nanosecondsSince(start);
            drawProjectedOnly(meshArrays);
            floorNow = nanosecondsSince(start) - passNow;
        } else {
            drawProjectedOnly(meshArrays);
            floorNow = nanosecondsSince(start);
            drawMesh(meshArrays.sceneVertices, meshArrays.sceneNormals, meshArrays.colors,
                     meshArrays.triangleCount, mapBack);
            passNow = nanosecondsSince(start) - floorNow;
        }
        pass += passNow, floor += floorNow;
        state.SetIterationTime((passNow + floorNow) * 1e-9);
    }
    const double triangles = double(state.iterations()) * meshArrays.triangleCount;
    state.counters["pass_ns"] = pass / triangles;
    state.counters["floor_ns"] = floor / triangles;
    state.counters["ratio"] = pass / floor;
}

// TriObj loading the mesh file: open, read, parse, normals. Its loading line goes to /dev/null
// while the benchmark runs.
void loading(benchmark::State& state)
{
    std::fflush(stdout);
    const int savedStdout = dup(1);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, 1);
    int count = 0;
    for (auto _ : state) {
        const TriObj object(meshPath.c_str(), 255, 128, 128);
        count = object.count;
        benchmark::DoNotOptimize(object.triangles);
    }
    std::fflush(stdout);
    dup2(savedStdout, 1);
    close(savedStdout);
    close(devNull);
    state.counters["triangles"] = count;
}

} // namespace

BENCHMARK(loading)->Unit(benchmark::kMillisecond);
BENCHMARK(animationStep)->Unit(benchmark::kMicrosecond);
BENCHMARK(passAgainstFloor)->Arg(1)->Arg(0)->ArgName("mapBack")->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--mesh=", 7) == 0) {
            meshPath = argv[i] + 7;
            for (int j = i; j + 1 < argc; ++j) argv[j] = argv[j + 1];
            --argc;
            break;
        }
    }
    loadMesh();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
