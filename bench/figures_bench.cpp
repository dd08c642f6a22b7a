// The figure library's cost per triangle: its seven figures with their descriptions, drawn
// natively for each walkthrough triangle, and one step figure on top of them. The clip explorer
// redraws them on every step of a drag, within a frame's budget in the browser.
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

// The seven figures, then the step figure of the last edge of the pass that cuts most.
void drawFiguresAndAStep(benchmark::State& state)
{
    const WalkthroughTriangle& triangle = walkthroughTriangles[state.range(0)];
    for (auto _ : state) {
        const TriangleFigures drawn =
            drawTriangleFigures(triangle.corners, triangle.title, triangle.stem);
        const Figure step = drawStepFigure(drawn, 3, int(drawn.edges[3].size()) - 1,
                                           FigureLayout::Print);
        benchmark::DoNotOptimize(step.svg.data());
    }
}

} // namespace

BENCHMARK(drawFigures)->DenseRange(0, int(std::size(walkthroughTriangles)) - 1)->ArgName("triangle")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(drawFiguresAndAStep)->DenseRange(0, int(std::size(walkthroughTriangles)) - 1)
    ->ArgName("triangle")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
