// The figure library's cost per triangle: its seven figures (and what the library hands over
// with them), drawn natively for each walkthrough triangle. The clip explorer redraws them on
// every step of a drag, within a frame's budget in the browser.
#include "figures/clip_figures.h"

#include <benchmark/benchmark.h>

#include <iterator>

namespace {

void drawFigures(benchmark::State& state)
{
    const WalkthroughTriangle& triangle = walkthroughTriangles[state.range(0)];
    for (auto _ : state) {
        const TriangleFigures drawn =
            drawTriangleFigures(triangle.corners, triangle.title, triangle.stem);
        benchmark::DoNotOptimize(drawn.figures[6].svg.data());
    }
}

} // namespace

BENCHMARK(drawFigures)->DenseRange(0, int(std::size(walkthroughTriangles)) - 1)->ArgName("triangle")
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
