// clipToFrustum alone, on triangles wholly inside, crossing one plane, crossing a corner (three
// planes) and wholly outside. Time per call is time per triangle.
#include "clip/clip.h"

#include <benchmark/benchmark.h>

namespace {

// Clip-space triangles, from the program's frustum.
const Vector4 triangles[][3] = {
    {{0, 0, 1.0f / 6, 0.5f}, {0.125f, 0, 1.0f / 6, 0.5f}, {0, 0.125f, 1.0f / 6, 0.5f}},  // inside
    {{0, 0, 0, 1}, {3, 0, 0, 2}, {0, 0.5f, 0, 1}},                                     // one plane
    {{0, 0, 0, 1}, {3, 2.5f, 1.5f, 1}, {-0.5f, 2, 2, 1}},                              // corner
    {{0, 0, 2, 1}, {1, 0, 3, 1}, {0, 1, 5, 1}},                                        // outside
};

void clipTriangle(benchmark::State& state)
{
    const Vector4* triangle = triangles[state.range(0)];
    for (auto _ : state) {
        Vector4* result = nullptr;
        const int count = clipToFrustum(triangle, 3, &result);
        benchmark::DoNotOptimize(count);
        benchmark::DoNotOptimize(result);
        delete[] result;
    }
}

} // namespace

BENCHMARK(clipTriangle)->DenseRange(0, 3)->ArgName("inside_onePlane_corner_outside");

BENCHMARK_MAIN();
