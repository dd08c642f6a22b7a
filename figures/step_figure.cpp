// The figure of one step of a pass's edge walk: see clip_figures.h. Left, the polygon entering
// the pass with the current edge P -> Q marked and its cut point; right, the output as far as
// the edges up to this one have grown it. Drawn from the pass's records and its output, so the
// last step shows the pass's result.
#include "figures/clip_figures.h"

#include "figures/frame.h"
#include "figures/passes.h"
#include "figures/plot.h"
#include "figures/svg.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace fig {

namespace {

const char* const edgeStroke = "#6a1b9a";  // the current edge

bool crosses(const EdgeRecord& edge)
{
    return edge.edgeCase == ClipInOut || edge.edgeCase == ClipOutIn;
}

std::string side(bool inside)
{
    return inside ? "inside" : "outside";
}

// The step's text: what the edge is, its d values and t, what it appends.
std::vector<std::string> stepNotes(const EdgeRecord& edge, int step, std::size_t steps)
{
    const bool pIn = edge.edgeCase == ClipInIn || edge.edgeCase == ClipInOut;
    const bool qIn = edge.edgeCase == ClipInIn || edge.edgeCase == ClipOutIn;
    std::vector<std::string> notes;
    notes.push_back("Edge " + std::to_string(step + 1) + " of " + std::to_string(steps) +
                    " runs from P = vertex " + std::to_string(edge.from) + " to Q = vertex " +
                    std::to_string(edge.to) + ": P " + side(pIn) + ", Q " + side(qIn) + " (" +
                    edgeCaseName(edge.edgeCase) + ").");
    std::string numbers = "d(P) = " + value(edge.dFrom) + ", d(Q) = " + value(edge.dTo);
    numbers += crosses(edge) ? "; t = d(P) / (d(P) − d(Q)) = " + value(edge.t) + "."
                             : "; no crossing, so no t.";
    notes.push_back(numbers);
    std::string appends = "Appends ";
    if (edge.appended.empty()) appends += "nothing.";
    for (std::size_t k = 0; k < edge.appended.size(); ++k) {
        const bool cut = crosses(edge) && k == 0;
        appends += (k ? ", then " : "") +
                   std::string(cut ? "the cut point" : "Q") + " as output vertex " +
                   std::to_string(edge.appended[k]);
        if (k + 1 == edge.appended.size()) appends += ".";
    }
    notes.push_back(appends);
    return notes;
}

std::string stepTitle(const std::string& triangleTitle, int pass, int step, std::size_t steps)
{
    return passTitle(triangleTitle, pass) + ", edge " + std::to_string(step + 1) + " of " +
           std::to_string(steps);
}

// The output's vertex count after edges 0..step.
std::size_t grownCount(const std::vector<EdgeRecord>& edges, int step)
{
    std::size_t count = 0;
    for (int i = 0; i <= step; ++i) count += edges[static_cast<std::size_t>(i)].appended.size();
    return count;
}

} // namespace

} // namespace fig

using namespace fig;

Figure drawStepFigure(const TriangleFigures& figures, int pass, int edge, FigureLayout layout)
{
    if (pass < 0 || pass >= 6 || edge < 0 ||
        static_cast<std::size_t>(edge) >= figures.edges[pass].size()) {
        return {};
    }
    const PlaneInfo& plane = planeInfos[pass];
    const Polygon& before = pass == 0 ? figures.triangle : figures.afterPass[pass - 1];
    const Polygon& after = figures.afterPass[pass];
    const std::vector<EdgeRecord>& walk = figures.edges[pass];
    const EdgeRecord& record = walk[static_cast<std::size_t>(edge)];
    const std::size_t grown = std::min(grownCount(walk, edge), after.size());
    const Polygon sofar(after.begin(), after.begin() + static_cast<long>(grown));

    const std::string title = stepTitle(figures.title, pass, edge, walk.size());
    const std::vector<std::string> notes = stepNotes(record, edge, walk.size());

    Figure figure;
    figure.fileName = figures.stem + "-pass" + std::to_string(pass + 1) + "-" + plane.fileName +
                      "-step" + std::to_string(edge + 1) + ".svg";
    figure.description = title + ".\n";
    for (const std::string& note : notes) figure.description += note + "\n";
    figure.description += "Before the pass: " + std::to_string(before.size()) +
                          (before.size() == 1 ? " vertex" : " vertices") +
                          "; the output so far: " + std::to_string(grown) + " of " +
                          std::to_string(after.size()) +
                          (after.size() == 1 ? " vertex" : " vertices") + ".\n";
    const std::vector<VertexKind> inKinds = inputKinds(before, after);
    const std::vector<VertexKind> outKinds = outputKinds(before, sofar);
    for (std::size_t i = 0; i < sofar.size(); ++i) {
        figure.description += "Output vertex " + std::to_string(i) + " (x " + value(sofar[i].x) +
                              ", y " + value(sofar[i].y) + ", z " + value(sofar[i].z) + ", w " +
                              value(sofar[i].w) + "): " + kindName(outKinds[i]) + ".\n";
    }
    figure.summary = std::string(plane.enumerator) + ", edge " + std::to_string(edge + 1) +
                     " of " + std::to_string(walk.size()) + " (" + std::to_string(record.from) +
                     " → " + std::to_string(record.to) + "): " + edgeCaseName(record.edgeCase) +
                     (crosses(record) ? ", t = " + value(record.t) : "") + "; " +
                     std::to_string(grown) + " of " + std::to_string(after.size()) +
                     " output vertices so far";

    std::vector<LegendEntry> entries = passLegend(plane);
    entries.push_back({Swatch::Edge, "the current edge, P → Q"});
    entries.push_back({Swatch::After, "the output so far"});
    // Room for the whole output and for the longest header of the walk, so that every step of
    // a pass has the same height and the plots stay put while the learner steps.
    HeaderLines room;
    for (std::size_t e = 0; e < walk.size(); ++e) {
        const HeaderLines lines =
            headerLines(layout, stepTitle(figures.title, pass, int(e), walk.size()),
                        stepNotes(walk[e], int(e), walk.size()));
        room.title = std::max(room.title, lines.title);
        room.notes = std::max(room.notes, lines.notes);
    }
    const Frame frame = makeFrame(layout, title, notes, before.size(), after.size(),
                                  entries.size(), room);
    std::string svg = frameStart(frame, title, figure.description);
    const PassBounds b = passBounds(before, plane);
    for (int p = 0; p < 2; ++p) {
        const View view = panelView(frame, p, b.uMin, b.uMax, b.vMin, b.vMax);
        const std::string clipId = "plot" + std::to_string(p);
        panelHeading(svg, frame, p,
                     p == 0 ? "edge " + std::to_string(record.from) + " → " +
                                  std::to_string(record.to) + ": " +
                                  edgeCaseName(record.edgeCase)
                            : "output so far: " + std::to_string(grown) + " of " +
                                  std::to_string(after.size()));
        passPlot(svg, view, plane, clipId);
        const std::vector<Point> beforePixels = toPixels(view, viewPoints(before, plane));
        const std::vector<Point> sofarPixels = toPixels(view, viewPoints(sofar, plane));
        svg += "<g clip-path=\"url(#" + clipId + ")\">\n";
        if (p == 0) {
            polygon(svg, beforePixels,
                    std::string("fill=\"") + beforeFill +
                        "\" fill-opacity=\"0.3\" stroke=\"#424242\" stroke-width=\"1.5\" "
                        "stroke-linejoin=\"round\"");
            const Point& from = beforePixels[static_cast<std::size_t>(record.from)];
            const Point& to = beforePixels[static_cast<std::size_t>(record.to)];
            line(svg, from.x, from.y, to.x, to.y,
                 std::string("stroke=\"") + edgeStroke +
                     "\" stroke-width=\"4\" stroke-linecap=\"round\"");
        } else {
            polygon(svg, beforePixels,
                    "fill=\"none\" stroke=\"#616161\" stroke-width=\"1.2\" "
                    "stroke-dasharray=\"4 3\" stroke-linejoin=\"round\"");
            const std::string stroke = std::string("stroke=\"") + afterStroke +
                                       "\" stroke-width=\"1.8\" stroke-linecap=\"round\"";
            if (grown == after.size() && grown > 0) {
                polygon(svg, sofarPixels,
                        std::string("fill=\"") + afterFill + "\" fill-opacity=\"0.35\" " +
                            stroke + " stroke-linejoin=\"round\"");
            } else {
                // Still open: the chain of what has been appended.
                for (std::size_t i = 1; i < sofarPixels.size(); ++i) {
                    line(svg, sofarPixels[i - 1].x, sofarPixels[i - 1].y, sofarPixels[i].x,
                         sofarPixels[i].y, stroke);
                }
            }
        }
        svg += "</g>\n";
        planeLabels(svg, view, plane);
        const std::vector<Point>& pixels = p == 0 ? beforePixels : sofarPixels;
        const std::vector<VertexKind>& kinds = p == 0 ? inKinds : outKinds;
        for (std::size_t i = 0; i < pixels.size(); ++i) marker(svg, pixels[i], kinds[i]);
        if (p == 0 && crosses(record) && !record.appended.empty()) {
            const std::size_t cut = static_cast<std::size_t>(record.appended[0]);
            if (cut < after.size()) {
                marker(svg, toPixels(view, viewPoints({after[cut]}, plane))[0], VertexKind::Cut);
            }
        }
        std::vector<Segment> obstacles = edges(beforePixels);
        for (const Segment& l : planeLines(view)) obstacles.push_back(l);
        vertexLabels(svg, pixels, listNumbers(pixels.size()), obstacles);
        table(svg, view.left - 40, frame.tableTop[p],
              vertexTable(p == 0 ? before : sofar, kinds, plane.axis));
    }
    frameLegend(svg, frame, entries);
    svg += "</svg>\n";
    figure.svg = svg;
    return figure;
}
