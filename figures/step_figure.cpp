// The figure of one step of a pass's edge walk, and the step in words: see clip_figures.h.
// Left, the polygon entering the pass with the current edge P -> Q marked and its cut point;
// right, the output as far as the edges up to this one have grown it. Drawn from the pass's
// records and its output, so the last step shows the pass's result.
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

bool startInside(const EdgeRecord& edge)
{
    return edge.edgeCase == ClipInIn || edge.edgeCase == ClipInOut;
}

bool endInside(const EdgeRecord& edge)
{
    return edge.edgeCase == ClipInIn || edge.edgeCase == ClipOutIn;
}

std::string side(bool inside)
{
    return inside ? "inside" : "outside";
}

// What one step is about: the pass, its walk, the edge, and the names of what it touches.
struct Step {
    const EdgeRecord& edge;
    int number, count;           // the edge's place in the walk (from 0) and the walk's length
    std::string from, to;        // P and Q: "vertex 0 = corner 1"
    std::string toName;          // Q's name alone: "corner 1"
    std::vector<std::string> appended;  // the names of what the edge appends, in order
};

Step describeStep(const TriangleFigures& figures, int pass, int edge)
{
    const std::vector<EdgeRecord>& walk = figures.edges[pass];
    const EdgeRecord& record = walk[static_cast<std::size_t>(edge)];
    const std::vector<int> before = originsBefore(figures, pass);
    const std::vector<int>& after = figures.origins[pass];
    Step step{record, edge, int(walk.size()), "", "", "", {}};
    const auto place = [&](int at) {
        return "vertex " + std::to_string(at) + " = " +
               originName(before[static_cast<std::size_t>(at)]);
    };
    step.from = place(record.from);
    step.to = place(record.to);
    step.toName = originName(before[static_cast<std::size_t>(record.to)]);
    for (int k : record.appended) {
        step.appended.push_back(
            std::size_t(k) < after.size() ? originName(after[std::size_t(k)]) : "?");
    }
    return step;
}

// What the edge appends, in a clause: "the cut point a as output vertex 0, then Q = corner 0 as
// output vertex 1"; "" for nothing.
std::string appendedText(const Step& step, const char* vertexWord)
{
    std::string text;
    for (std::size_t k = 0; k < step.appended.size(); ++k) {
        const bool cut = crosses(step.edge) && k == 0;
        text += (k ? ", then " : "") +
                (cut ? "the cut point " + step.appended[k] : "Q = " + step.appended[k]) +
                " as " + vertexWord + std::to_string(step.edge.appended[k]);
    }
    return text;
}

// The step's notes in the figure's header, two lines: the edge; its d values and t, and what it
// appends.
std::vector<std::string> stepNotes(const Step& step)
{
    const EdgeRecord& edge = step.edge;
    std::vector<std::string> notes;
    notes.push_back("Edge " + std::to_string(step.number + 1) + " of " +
                    std::to_string(step.count) + " runs from P = " + step.from + " to Q = " +
                    step.to + ": P " + side(startInside(edge)) + ", Q " +
                    side(endInside(edge)) + " (" + edgeCaseName(edge.edgeCase) + ").");
    notes.push_back("d(P) = " + value(edge.dFrom) + ", d(Q) = " + value(edge.dTo) +
                    (crosses(edge) ? ", t = " + value(edge.t) : ", no crossing") +
                    ": appends " +
                    (step.appended.empty() ? "nothing" : appendedText(step, "vertex ")) + ".");
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

// The step's decision in one sentence, for an announcement and the image's text: "ClipRight,
// edge 1 of 3 (corner 1 → corner 2): P inside, Q outside: the cut a at t = 0.8000 is appended
// as vertex 0."
std::string stepSummary(const Step& step, const PlaneInfo& plane, const TriangleFigures& figures,
                        int pass)
{
    const EdgeRecord& edge = step.edge;
    const std::vector<int> before = originsBefore(figures, pass);
    std::string text = std::string(plane.enumerator) + ", edge " +
                       std::to_string(step.number + 1) + " of " + std::to_string(step.count) +
                       " (" + originName(before[std::size_t(edge.from)]) + " → " + step.toName +
                       "): P " + side(startInside(edge)) + ", Q " + side(endInside(edge)) + ": ";
    if (step.appended.empty()) return text + "nothing is appended.";
    std::size_t k = 0;
    if (crosses(edge)) {
        text += "the cut " + step.appended[0] + " at t = " + value(edge.t) +
                " is appended as vertex " + std::to_string(edge.appended[0]);
        ++k;
    }
    if (k < step.appended.size()) {
        const std::string vertex = std::to_string(edge.appended[k]);
        text += k ? ", then Q, " + step.appended[k] + ", as vertex " + vertex
                  : "Q, " + step.appended[k] + ", is appended as vertex " + vertex;
    }
    return text + ".";
}

} // namespace

} // namespace fig

using namespace fig;

std::vector<std::string> stepText(const TriangleFigures& figures, int pass, int edge)
{
    if (pass < 0 || pass >= 6 || edge < 0 ||
        static_cast<std::size_t>(edge) >= figures.edges[pass].size()) {
        return {};
    }
    const Step step = describeStep(figures, pass, edge);
    const EdgeRecord& record = step.edge;
    const std::size_t outputCount = figures.afterPass[pass].size();
    std::vector<std::string> lines;
    lines.push_back("Edge " + std::to_string(edge + 1) + " of " + std::to_string(step.count) +
                    ": P = " + step.from + " → Q = " + step.to + ", case " +
                    edgeCaseName(record.edgeCase) + ".");
    lines.push_back("d(P) = " + value(record.dFrom) + ", so P is " + side(startInside(record)) +
                    "; d(Q) = " + value(record.dTo) + ", so Q is " + side(endInside(record)) +
                    ".");
    if (!crosses(record) || record.appended.empty()) {
        lines.push_back("The edge does not cross the plane: no t, no cut point.");
    } else {
        const std::string u = attributeStep(figures, pass, edge);
        const Vector4& cut =
            figures.afterPass[pass][static_cast<std::size_t>(record.appended[0])];
        const int origin = figures.origins[pass][static_cast<std::size_t>(record.appended[0])];
        lines.push_back("t = d(P) / (d(P) − d(Q)) = " + value(record.t) +
                        "; the cut point I = P + t(Q − P) = (" + value(cut.x) + ", " +
                        value(cut.y) + ", " + value(cut.z) + ", " + value(cut.w) + "), named " +
                        cutKey(figures, origin) + ".");
        if (!u.empty()) lines.push_back(u);
    }
    lines.push_back(step.appended.empty() ? "Nothing is appended."
                                          : "Appended: " + appendedText(step, "output vertex ") +
                                                ".");
    lines.push_back("The output has " + std::to_string(grownCount(figures.edges[pass], edge)) +
                    " of its " + std::to_string(outputCount) + " vertices after this edge.");
    if (edge == 0) {
        lines.push_back("Why the output starts elsewhere: each edge appends its end Q (after "
                        "the cut point, if it crosses), never its start P, so the output begins "
                        "with what this first edge appends, and a pass that cuts nothing hands "
                        "the list back turned by one place.");
    }
    return lines;
}

Figure drawStepFigure(const TriangleFigures& figures, int pass, int edge, FigureLayout layout)
{
    if (pass < 0 || pass >= 6 || edge < 0 ||
        static_cast<std::size_t>(edge) >= figures.edges[pass].size()) {
        return {};
    }
    const PlaneInfo plane = passPlane(figures, pass);
    const PlaneInfo other = otherPlane(figures, pass);
    const Polygon& before = polygonBefore(figures, pass);
    const Polygon& after = figures.afterPass[pass];
    const std::vector<EdgeRecord>& walk = figures.edges[pass];
    const bool showU = figures.rules.attribute;
    const EdgeRecord& record = walk[static_cast<std::size_t>(edge)];
    const std::size_t grown = std::min(grownCount(walk, edge), after.size());
    const Polygon sofar(after.begin(), after.begin() + static_cast<long>(grown));

    const std::string title = stepTitle(figures.title, pass, edge, walk.size());
    const Step step = describeStep(figures, pass, edge);
    // Under other rules the step's legend names its plane's test and its foot what the rules
    // change, in a line each: the header stays two lines, so that the tallest steps still fit
    // beside the explorer's views.
    const std::vector<std::string> notes = stepNotes(step);
    const std::vector<int> inOrigins = originsBefore(figures, pass);
    const std::vector<int>& outOrigins = figures.origins[pass];
    const std::vector<int> sofarOrigins(outOrigins.begin(),
                                        outOrigins.begin() + static_cast<long>(grown));
    // The key of every cut point the pass shows, so that every step of it has the same height.
    const std::vector<int> cuts = cutsAmong({inOrigins, outOrigins});

    Figure figure;
    figure.fileName = figures.stem + "-pass" + std::to_string(pass + 1) + "-" + plane.fileName +
                      "-step" + std::to_string(edge + 1) + ".svg";
    figure.description = title + ".\n";
    for (const std::string& line : stepText(figures, pass, edge)) {
        figure.description += line + "\n";
    }
    figure.description += "Before the pass: " + std::to_string(before.size()) +
                          (before.size() == 1 ? " vertex" : " vertices") +
                          "; the output so far: " + std::to_string(grown) + " of " +
                          std::to_string(after.size()) +
                          (after.size() == 1 ? " vertex" : " vertices") + ".\n";
    const std::vector<VertexKind> inKinds = inputKinds(inOrigins, outOrigins);
    const std::vector<VertexKind> outKinds = outputKinds(figures, pass, sofarOrigins);
    for (std::size_t i = 0; i < sofar.size(); ++i) {
        figure.description += "Output vertex " + std::to_string(i) + " = " +
                              originName(sofarOrigins[i]) + " (x " + value(sofar[i].x) +
                              ", y " + value(sofar[i].y) + ", z " + value(sofar[i].z) + ", w " +
                              value(sofar[i].w) + "): " + kindName(outKinds[i]) + ".\n";
    }
    figure.description += keyLines(figures, cuts);
    figure.summary = stepSummary(step, plane, figures, pass);

    std::vector<LegendEntry> entries = passLegend(plane, other);
    entries.push_back({Swatch::Edge, "the current edge, P → Q"});
    entries.push_back({Swatch::After, "the output so far"});
    // u is said within an entry, not in one more row, so that the tallest steps keep their height.
    if (showU) entries[1].label += "; a grey disc: its u";
    // Room for the whole output and for the longest header of the walk, so that every step of
    // a pass has the same height and the plots stay put while the learner steps.
    HeaderLines room;
    for (std::size_t e = 0; e < walk.size(); ++e) {
        const HeaderLines lines =
            headerLines(layout, stepTitle(figures.title, pass, int(e), walk.size()),
                        stepNotes(describeStep(figures, pass, int(e))));
        room.title = std::max(room.title, lines.title);
        room.notes = std::max(room.notes, lines.notes);
    }
    Frame frame = makeFrame(layout, title, notes, before.size(), after.size(), entries.size(),
                            keyEntries(figures, cuts), room, passRuleNotes(figures, pass, true));
    frame.shownOnly = frame.shownOnly || showU;
    const std::vector<float> inU = attributesBefore(figures, pass);
    const std::vector<float> sofarU(figures.attributes[pass].begin(),
                                    figures.attributes[pass].begin() + long(grown));
    std::string svg = frameStart(frame, title, figure.description);
    const PassBounds b = passBounds(before, plane);
    for (int p = 0; p < 2; ++p) {
        const View view = panelView(frame, p, b.uMin, b.uMax, b.vMin, b.vMax);
        const std::string clipId = "plot" + std::to_string(p);
        panelHeading(svg, frame, p,
                     p == 0 ? originName(inOrigins[std::size_t(record.from)]) + " → " +
                                  step.toName + ": " + edgeCaseName(record.edgeCase)
                            : "output so far: " + std::to_string(grown) + " of " +
                                  std::to_string(after.size()));
        passPlot(svg, view, plane, other, clipId);
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
        attributeDiscs(svg, figures, pixels, p == 0 ? inU : sofarU);
        for (std::size_t i = 0; i < pixels.size(); ++i) marker(svg, pixels[i], kinds[i]);
        if (p == 0 && crosses(record) && !record.appended.empty()) {
            const std::size_t cut = static_cast<std::size_t>(record.appended[0]);
            if (cut < after.size()) {
                const Point at = toPixels(view, viewPoints({after[cut]}, plane))[0];
                attributeDiscs(svg, figures, {at}, {figures.attributes[pass][cut]});
                marker(svg, at, VertexKind::Cut);
            }
        }
        std::vector<Segment> obstacles = edges(beforePixels);
        for (const Segment& l : planeLines(view, plane, other)) obstacles.push_back(l);
        const std::vector<int>& origins = p == 0 ? inOrigins : sofarOrigins;
        vertexLabels(svg, pixels, originLabels(origins), obstacles);
        frameTable(svg, frame, view, p,
                   vertexTable(p == 0 ? before : sofar, originNames(origins), kinds, plane.axis,
                               showU ? (p == 0 ? &inU : &sofarU) : nullptr));
    }
    frameLegend(svg, frame, entries);
    svg += "</svg>\n";
    figure.svg = svg;
    return figure;
}
