// The figure of a question about one pass: see clip_figures.h. Left, the polygon entering the
// pass, its vertices named and listed with their clip-space values, one edge marked if asked;
// right, the same plot with the input dashed and nothing else, for the learner's answer. Drawn
// from the pass's input alone: nothing of the pass's walk or output (no side, no d, no t, no
// cut point of the pass, no kept or dropped) reaches the drawing or its text.
#include "figures/clip_figures.h"

#include "figures/frame.h"
#include "figures/passes.h"
#include "figures/plot.h"
#include "figures/svg.h"

#include <cstddef>
#include <string>
#include <vector>

namespace fig {

namespace {

const char* const askedStroke = "#6a1b9a";  // the edge asked about, as a step marks its edge

std::string questionTitle(const std::string& triangleTitle, int pass)
{
    return passTitle(triangleTitle, pass) + ": the question";
}

std::vector<std::string> questionNotes(const PlaneInfo& plane, std::size_t count)
{
    return {std::string(plane.enumerator) + " keeps " + insideText(plane) + "; in the " +
                plane.axis + "–w view the plane is the line " + planeText(plane) + ".",
            "Which side is each vertex on, and what does each edge append?",
            count == 0 ? "Nothing enters this pass."
                       : "The walk takes the edges in list order (#), the last one back to #0."};
}

// "vertex 1 = corner 2", as the steps name a vertex by its place and origin.
std::string place(const std::vector<int>& origins, int at)
{
    return "vertex " + std::to_string(at) + " = " + originName(origins[std::size_t(at)]);
}

} // namespace

} // namespace fig

using namespace fig;

Figure drawQuestionFigure(const TriangleFigures& figures, int pass, int edge, FigureLayout layout)
{
    if (pass < 0 || pass >= 6 || figures.skipped[pass]) return {};
    const Polygon& before = polygonBefore(figures, pass);
    const int count = int(before.size());
    if (edge < -1 || edge >= count) return {};
    const PlaneInfo plane = passPlane(figures, pass);
    const PlaneInfo other = otherPlane(figures, pass);
    const std::vector<int> origins = originsBefore(figures, pass);
    // The cut points of earlier passes that enter this one: named, as everywhere, by the key.
    const std::vector<int> cuts = cutsAmong({origins});
    const std::string title = questionTitle(figures.title, pass);
    const std::vector<std::string> notes = questionNotes(plane, before.size());

    Figure figure;
    figure.fileName = figures.stem + "-pass" + std::to_string(pass + 1) + "-" + plane.fileName +
                      "-question" + (edge >= 0 ? "-edge" + std::to_string(edge + 1) : "") +
                      ".svg";
    figure.description = title + ".\n";
    for (const std::string& note : notes) figure.description += note + "\n";
    const std::string entering =
        std::to_string(count) + (count == 1 ? " vertex enters" : " vertices enter");
    figure.description += entering + " the pass, in the clipper's order.\n";
    for (int i = 0; i < count; ++i) {
        const Vector4& v = before[std::size_t(i)];
        figure.description += "Vertex " + std::to_string(i) + " = " +
                              originName(origins[std::size_t(i)]) + " (x " + value(v.x) + ", y " +
                              value(v.y) + ", z " + value(v.z) + ", w " + value(v.w) + ").\n";
    }
    if (edge >= 0) {
        const int to = (edge + 1) % count;
        figure.description += "Asked: edge " + std::to_string(edge + 1) + " of " +
                              std::to_string(count) + ", P = " + place(origins, edge) +
                              " → Q = " + place(origins, to) + ".\n";
    }
    figure.description += keyLines(figures, cuts);
    figure.summary = std::string(plane.enumerator) + ", inside " + insideText(plane) + ": " +
                     entering +
                     (edge >= 0 ? "; asked: edge " + std::to_string(edge + 1) + ", " +
                                      originName(origins[std::size_t(edge)]) + " → " +
                                      originName(origins[std::size_t((edge + 1) % count)])
                                : "") +
                     ".";

    std::vector<LegendEntry> entries = {
        {Swatch::Inside, std::string("inside ") + plane.enumerator + ": " + insideText(plane)},
        {Swatch::Given, "a vertex entering the pass"},
        {Swatch::Wedge, "inside both " + std::string(plane.axis) + " planes: " +
                            wedgeText(plane, other)},
        {Swatch::Before, "the polygon entering the pass"},
        {Swatch::Plane, "the plane " + planeText(plane)},
        {Swatch::OtherPlane, "the other " + std::string(plane.axis) + " plane, " +
                                 planeText(other)},
    };
    if (edge >= 0) entries.push_back({Swatch::Edge, "the edge asked about, P → Q"});
    const Frame frame = makeFrame(layout, title, notes, before.size(), 0, entries.size(),
                                  keyEntries(figures, cuts));
    std::string svg = frameStart(frame, title, figure.description);
    const PassBounds b = passBounds(before, plane);
    const std::vector<VertexKind> kinds(before.size(), VertexKind::Given);
    for (int p = 0; p < 2; ++p) {
        const View view = panelView(frame, p, b.uMin, b.uMax, b.vMin, b.vMax);
        const std::string clipId = "plot" + std::to_string(p);
        panelHeading(svg, frame, p,
                     p == 1 ? std::string("the output: yours to find")
                     : edge >= 0
                         ? "P → Q: " + originName(origins[std::size_t(edge)]) + " → " +
                               originName(origins[std::size_t((edge + 1) % count)])
                         : "entering: " + std::to_string(count) +
                               (count == 1 ? " vertex" : " vertices"));
        passPlot(svg, view, plane, other, clipId);
        const std::vector<Point> pixels = toPixels(view, viewPoints(before, plane));
        svg += "<g clip-path=\"url(#" + clipId + ")\">\n";
        if (p == 0) {
            polygon(svg, pixels,
                    std::string("fill=\"") + beforeFill +
                        "\" fill-opacity=\"0.3\" stroke=\"#424242\" stroke-width=\"1.5\" "
                        "stroke-linejoin=\"round\"");
            if (edge >= 0) {
                const Point& from = pixels[std::size_t(edge)];
                const Point& to = pixels[std::size_t((edge + 1) % count)];
                line(svg, from.x, from.y, to.x, to.y,
                     std::string("stroke=\"") + askedStroke +
                         "\" stroke-width=\"4\" stroke-linecap=\"round\"");
            }
        } else {
            polygon(svg, pixels,
                    "fill=\"none\" stroke=\"#616161\" stroke-width=\"1.2\" "
                    "stroke-dasharray=\"4 3\" stroke-linejoin=\"round\"");
        }
        svg += "</g>\n";
        planeLabels(svg, view, plane);
        if (before.empty()) {
            plotNote(svg, view, {"nothing left to clip:", "an earlier pass removed it all"}, true);
        }
        if (p == 1) continue;
        for (const Point& at : pixels) marker(svg, at, VertexKind::Given);
        std::vector<Segment> obstacles = edges(pixels);
        for (const Segment& l : planeLines(view, plane, other)) obstacles.push_back(l);
        vertexLabels(svg, pixels, originLabels(origins), obstacles);
        frameTable(svg, frame, view, p,
                   vertexTable(before, originNames(origins), kinds, plane.axis));
    }
    frameLegend(svg, frame, entries);
    svg += "</svg>\n";
    figure.svg = svg;
    return figure;
}
