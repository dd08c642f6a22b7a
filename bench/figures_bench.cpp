// The figure library's cost per triangle: its seven figures with their descriptions, drawn
// natively for each walkthrough triangle, and one step figure on top of them. The clip explorer
// redraws them on every step of a drag, within a frame's budget in the browser; under each of
// the rules of other clippers too.
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

// The rule sets of the explorer's variants: the program's, each rule alone, all together.
ClipRules ruleSet(int k)
{
    ClipRules rules;
    if (k == 1) rules.volume = ClipVolume::ZeroOne;
    if (k == 2) rules.volume = ClipVolume::Mismatch;
    if (k == 3) rules.depthClamp = true;
    if (k == 4) rules.guard = 4;
    if (k == 5) rules.attribute = true;
    if (k == 6) rules = {ClipVolume::Mismatch, true, 8, true, {0, 0.5f, 1}};
    return rules;
}

// The seven figures and one step of the triangle cut by all six planes (the most to draw) under
// each rule set: what a drag step under those rules costs the library.
void drawFiguresUnderRules(benchmark::State& state)
{
    const WalkthroughTriangle& triangle = walkthroughTriangles[4];
    const ClipRules rules = ruleSet(int(state.range(0)));
    for (auto _ : state) {
        const TriangleFigures drawn = drawTriangleFigures(triangle.corners, triangle.title,
                                                          triangle.stem, FigureLayout::Compact,
                                                          rules);
        const Figure step = drawStepFigure(drawn, 3, int(drawn.edges[3].size()) - 1,
                                           FigureLayout::Compact);
        benchmark::DoNotOptimize(step.svg.data());
    }
}

} // namespace

BENCHMARK(drawFiguresUnderRules)->DenseRange(0, 6)->ArgName("rules")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(drawFigures)->DenseRange(0, int(std::size(walkthroughTriangles)) - 1)->ArgName("triangle")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(drawFiguresAndAStep)->DenseRange(0, int(std::size(walkthroughTriangles)) - 1)
    ->ArgName("triangle")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
