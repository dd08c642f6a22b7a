// The final figure: the triangle clipped then divided by w, beside divided first. See passes.h.
#include "figures/passes.h"

#include "figures/frame.h"
#include "figures/plot.h"
#include "figures/svg.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace fig {

// ---------------------------------------------------------------------------------------------
// The final figure: after the division by w

std::vector<std::pair<double, double>> screenPoints(const Polygon& polygon)
{
    std::vector<std::pair<double, double>> uv;
    for (const Vector4& v : polygon) {
        const Vector4 d = divided(v);
        uv.push_back({d.x, d.y});
    }
    return uv;
}

// The square -1 <= x/w, y/w <= 1 that the cube's face covers: what the simulated camera sees.
void face(std::string& svg, const View& view)
{
    polygon(svg, toPixels(view, {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}),
            std::string("fill=\"") + insideFill + "\" stroke=\"" + planeStroke +
                "\" stroke-width=\"1.8\"");
}

Table dividedTable(const Polygon& polygon, const std::vector<std::string>& names,
                   const std::vector<VertexKind>& kinds, const std::vector<float>* u)
{
    Table t;
    t.headers = {"#", "vertex", "x/w", "y/w", "z/w", "w", ""};
    t.shown = {false, false, true, true, false, false, false};
    if (u) {
        t.headers.insert(t.headers.end() - 1, "u");
        t.shown.insert(t.shown.end() - 1, true);
    }
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vector4 d = divided(polygon[i]);
        std::string note = kinds.empty() ? "" : kindName(kinds[i]);
        if (polygon[i].w < 0) note = "w < 0";
        t.rows.push_back({std::to_string(i), names[i], value(d.x), value(d.y), value(d.z),
                          value(polygon[i].w), note});
        if (u) t.rows.back().insert(t.rows.back().end() - 1, i < u->size() ? value((*u)[i]) : "");
    }
    return t;
}

// Whether there is an outline to draw: some points, none of them at infinity.
bool allFinite(const std::vector<Point>& points)
{
    for (const Point& p : points) {
        if (!finite(p.x, p.y)) return false;
    }
    return !points.empty();
}

// The clipped polygon, divided, as the rules leave it: filled and outlined; with a guard band
// only its part on the face filled (what the rasteriser draws), the band's edge and the polygon
// G = 1 leaves beside it; under the mismatch what it loses, in purple.
void ruledPanel(std::string& svg, const TriangleFigures& figures, const View& view,
                const std::vector<Point>& pixels, bool outlined)
{
    const std::string stroke = std::string("stroke=\"") + afterStroke +
                               "\" stroke-width=\"1.8\" stroke-linejoin=\"round\"";
    const std::vector<std::pair<double, double>> faceCorners = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
    const std::vector<Point> lost = toPixels(view, screenPoints(figures.lost));
    if (allFinite(lost)) {
        polygon(svg, lost, std::string("fill=\"") + lostFill + "\" fill-opacity=\"0.45\"");
    }
    if (figures.rules.guard == 1) {
        if (outlined) {
            polygon(svg, pixels,
                    std::string("fill=\"") + afterFill + "\" fill-opacity=\"0.35\" " + stroke);
        }
        return;
    }
    const double g = figures.rules.guard;
    polygon(svg, toPixels(view, {{-g, -g}, {g, -g}, {g, g}, {-g, g}}),
            std::string("fill=\"none\" stroke=\"") + planeStroke +
                "\" stroke-width=\"1.2\" stroke-dasharray=\"5 4\"");
    if (outlined) {
        svg += "<clipPath id=\"face0\">";
        polygon(svg, toPixels(view, faceCorners), "");
        svg += "</clipPath>\n";
        polygon(svg, pixels,
                std::string("clip-path=\"url(#face0)\" fill=\"") + afterFill +
                    "\" fill-opacity=\"0.35\"");
        polygon(svg, pixels, "fill=\"none\" " + stroke);
    }
    const std::vector<Point> unguarded = toPixels(view, screenPoints(figures.unguarded));
    if (allFinite(unguarded)) {
        polygon(svg, unguarded,
                "fill=\"none\" stroke=\"#616161\" stroke-width=\"1.2\" stroke-dasharray=\"4 3\" "
                "stroke-linejoin=\"round\"");
    }
}

// How far from the face's centre the final figure's panels reach, at most, in x/w and y/w: a
// corner divided by a w near 0 lands arbitrarily far out, and the face must stay in sight.
const double finalExtentLimit = 4;

std::string finalFigure(const TriangleFigures& figures, FigureLayout layout,
                        const std::string& description)
{
    const Polygon& triangle = figures.triangle;
    const Polygon& clipped = figures.clipped;
    const ClipRules& rules = figures.rules;
    // The clipped polygon by the names of the last pass, the corners by their own.
    const std::vector<int> origins[2] = {clippedOrigins(figures), {0, 1, 2}};
    const std::vector<float> u[2] = {figures.clippedAttributes, attributesBefore(figures, 0)};
    // One view for both panels, holding the face and every divided point it can.
    double extent = 1;
    for (const Polygon* polygon : {&triangle, &clipped}) {
        for (const auto& [u, v] : screenPoints(*polygon)) {
            if (finite(u, v)) extent = std::max({extent, std::fabs(u), std::fabs(v)});
        }
    }
    // A guard band's polygon reaches out to ±G on the face's scale.
    extent = std::min(extent, std::max(finalExtentLimit, double(rules.guard)));

    std::vector<LegendEntry> entries = {
        {Swatch::Face, "the cube's face: −1 ≤ x/w, y/w ≤ 1"},
        {Swatch::Kept, "a corner of the triangle"},
        {Swatch::After, "clipped in clip space, then divided"},
        {Swatch::Cut, walksAsProgram(figures.rules) ? "cut: made by clipToFrustum"
                                                    : "cut: made by the passes"},
        {Swatch::Naive, "divided first: what lands on the face"},
    };
    for (const Vector4& v : triangle) {
        if (v.w < 0) {
            entries.push_back({Swatch::Dropped, "a corner behind the eye (w < 0)"});
            break;
        }
    }
    const std::string g = std::to_string(rules.guard);
    if (rules.guard != 1) {
        // The band's edge where the panels reach it (they show what the polygons reach).
        if (extent >= rules.guard) {
            entries.push_back({Swatch::Band, "the guard band: −" + g + " ≤ x/w, y/w ≤ " + g});
        }
        entries.push_back({Swatch::Before, "clipped with G = 1"});
    }
    if (!figures.lost.empty()) {
        entries.push_back({Swatch::Lost, "lost: nearer than the depth " +
                                             compact(mismatchNearDepth(), 4)});
    }
    for (const LegendEntry& entry : attributeLegend(figures)) entries.push_back(entry);
    const std::string title = "Triangle “" + figures.title + "”: clipped, then divided by w";
    const std::string clipper = walksAsProgram(rules) ? "clipToFrustum" : "the clipping";
    std::vector<std::string> notes = {
        layout != FigureLayout::Screen
            ? "What the simulated camera sees, x/w against y/w. Left: " + clipper +
                  ", then the division. Right: the division first."
            : "What the simulated camera sees, x/w against y/w. Above: " + clipper +
                  ", then the division. Below: the division first."};
    const std::string rulesLine = rulesNote(figures);
    if (!rulesLine.empty()) notes.insert(notes.begin(), rulesLine);
    Frame frame = makeFrame(layout, title, notes, clipped.size(), triangle.size(), entries.size(),
                            keyEntries(figures, cutsAmong({origins[0]})), {},
                            finalRuleNotes(figures));
    frame.shownOnly = frame.shownOnly || rules.attribute;
    std::string svg = frameStart(frame, title, description);

    std::vector<VertexKind> clippedKinds;
    for (int origin : origins[0]) {
        clippedKinds.push_back(origin >= 0 && origin < 3 ? VertexKind::Kept : VertexKind::Cut);
    }
    std::vector<VertexKind> cornerKinds;
    for (const Vector4& v : triangle) {
        cornerKinds.push_back(v.w < 0 ? VertexKind::Dropped : VertexKind::Kept);
    }

    for (int p = 0; p < 2; ++p) {
        const View view = panelView(frame, p, -extent, extent, -extent, extent);
        const Polygon& shown = p == 0 ? clipped : triangle;
        const std::vector<Point> pixels = toPixels(view, screenPoints(shown));
        // Points at infinity (divided by w = 0) have no place; points beyond the panel no marker.
        std::vector<std::size_t> atInfinity, offPanel, onPanel;
        for (std::size_t i = 0; i < pixels.size(); ++i) {
            if (!finite(pixels[i].x, pixels[i].y)) {
                atInfinity.push_back(i);
            } else {
                (onPlot(view, pixels[i]) ? onPanel : offPanel).push_back(i);
            }
        }
        const bool outlined = !shown.empty() && atInfinity.empty();

        const std::string clipId = "plot" + std::to_string(p);
        const std::string heading =
            p == 1               ? "÷ w first, no clipping"
            : rules.guard != 1   ? "guard band " + g + ": " + std::to_string(figures.cuts.size()) +
                                     (figures.cuts.size() == 1 ? " cut, " : " cuts, ") +
                                     std::to_string(figures.unguardedCuts) + " with G = 1"
            : walksAsProgram(rules) ? "clipToFrustum, then ÷ w: " + std::to_string(clipped.size()) +
                                        " vertices"
                                  : "clipped, then ÷ w: " + std::to_string(clipped.size()) +
                                        " vertices";
        panelHeading(svg, frame, p, heading);
        plotClip(svg, view, clipId);
        face(svg, view);
        grid(svg, view, "x/w", "y/w");
        svg += "<g clip-path=\"url(#" + clipId + ")\">\n";
        if (p == 0) {
            ruledPanel(svg, figures, view, pixels, outlined);
        } else {
            // The part on the face, filled, and the whole triangle's outline beyond it.
            const std::string faceId = "face" + std::to_string(p);
            svg += "<clipPath id=\"" + faceId + "\">";
            polygon(svg, toPixels(view, {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}), "");
            svg += "</clipPath>\n";
            if (outlined) {
                polygon(svg, pixels,
                        std::string("clip-path=\"url(#") + faceId + ")\" fill=\"" + naiveFill +
                            "\" fill-opacity=\"0.35\"");
                polygon(svg, pixels,
                        std::string("fill=\"none\" stroke=\"") + naiveStroke +
                            "\" stroke-width=\"1.5\" stroke-dasharray=\"6 3\" "
                            "stroke-linejoin=\"round\"");
            }
        }
        svg += "</g>\n";
        const std::vector<VertexKind>& kinds = p == 0 ? clippedKinds : cornerKinds;
        std::vector<Point> marked;
        for (std::size_t i : onPanel) {
            if (rules.attribute) attributeDisc(svg, pixels[i], attributeGrey(figures, u[p][i]));
            marker(svg, pixels[i], kinds[i]);
            marked.push_back(pixels[i]);
        }
        std::vector<Segment> obstacles = outlined ? edges(pixels) : std::vector<Segment>{};
        for (const Segment& edge : edges(toPixels(view, {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}}))) {
            obstacles.push_back(edge);
        }
        const std::vector<std::string> labels = originLabels(origins[p]);
        const std::vector<std::string> names = originNames(origins[p]);
        std::vector<std::string> markedLabels;
        for (std::size_t i : onPanel) markedLabels.push_back(labels[i]);
        vertexLabels(svg, marked, markedLabels, obstacles);

        if (shown.empty()) {
            plotNote(svg, view, {"nothing inside the view volume:", "0 vertices"}, true);
        }
        std::vector<std::string> notes;
        for (std::size_t i : atInfinity) {
            const float w = shown[i].w;
            notes.push_back(names[i] + " has w = " + (w == 0 ? std::string("0") : compact(w, 3)) +
                            ":");
            const Vector4 d = divided(shown[i]);
            notes.push_back(std::isnan(d.x) || std::isnan(d.y)
                                ? "divided, it is 0/0: no point at all"
                                : "divided, it lies at infinity");
        }
        if (!atInfinity.empty()) notes.push_back("so there is no outline to draw");
        if (!offPanel.empty()) {
            std::vector<std::string> beyond;
            for (std::size_t i : offPanel) beyond.push_back(names[i]);
            notes.push_back(namesText(beyond) + (offPanel.size() == 1 ? " lies" : " lie") +
                            " beyond this panel");
        }
        // Each note within the plot: 12 px text at most 6.6 px a character (0.55 em), less
        // the note's box and margins.
        std::vector<std::string> lines;
        const std::size_t fit = std::size_t((view.width - 18) / 6.6);
        for (const std::string& note : notes) {
            for (const std::string& line : wrapped(note, fit)) lines.push_back(line);
        }
        plotNote(svg, view, lines, false);
        frameTable(svg, frame, view, p,
                   dividedTable(shown, names, p == 0 ? clippedKinds : std::vector<VertexKind>{},
                                rules.attribute ? &u[p] : nullptr));
    }
    frameLegend(svg, frame, entries);
    svg += "</svg>\n";
    return svg;
}

} // namespace fig
