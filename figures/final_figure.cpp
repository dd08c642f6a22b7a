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
                   const std::vector<VertexKind>& kinds)
{
    Table t;
    t.headers = {"#", "vertex", "x/w", "y/w", "z/w", "w", ""};
    t.shown = {false, false, true, true, false, false, false};
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vector4 d = divided(polygon[i]);
        std::string note = kinds.empty() ? "" : kindName(kinds[i]);
        if (polygon[i].w < 0) note = "w < 0";
        t.rows.push_back({std::to_string(i), names[i], value(d.x), value(d.y), value(d.z),
                          value(polygon[i].w), note});
    }
    return t;
}

// How far from the face's centre the final figure's panels reach, at most, in x/w and y/w: a
// corner divided by a w near 0 lands arbitrarily far out, and the face must stay in sight.
const double finalExtentLimit = 4;

std::string finalFigure(const TriangleFigures& figures, FigureLayout layout,
                        const std::string& description)
{
    const Polygon& triangle = figures.triangle;
    const Polygon& clipped = figures.clipped;
    // The clipped polygon by the names of the last pass, the corners by their own.
    const std::vector<int> origins[2] = {clippedOrigins(figures), {0, 1, 2}};
    // One view for both panels, holding the face and every divided point it can.
    double extent = 1;
    for (const Polygon* polygon : {&triangle, &clipped}) {
        for (const auto& [u, v] : screenPoints(*polygon)) {
            if (finite(u, v)) extent = std::max({extent, std::fabs(u), std::fabs(v)});
        }
    }
    extent = std::min(extent, finalExtentLimit);

    std::vector<LegendEntry> entries = {
        {Swatch::Face, "the cube's face: −1 ≤ x/w, y/w ≤ 1"},
        {Swatch::Kept, "a corner of the triangle"},
        {Swatch::After, "clipped in clip space, then divided"},
        {Swatch::Cut, "cut: made by clipToFrustum"},
        {Swatch::Naive, "divided first: what lands on the face"},
    };
    for (const Vector4& v : triangle) {
        if (v.w < 0) {
            entries.push_back({Swatch::Dropped, "a corner behind the eye (w < 0)"});
            break;
        }
    }
    const std::string title = "Triangle “" + figures.title + "”: clipped, then divided by w";
    const Frame frame =
        makeFrame(layout, title,
                  {layout != FigureLayout::Screen
                       ? "What the simulated camera sees, x/w against y/w. Left: clipToFrustum, "
                         "then the division. Right: the division first."
                       : "What the simulated camera sees, x/w against y/w. Above: "
                         "clipToFrustum, then the division. Below: the division first."},
                  clipped.size(), triangle.size(), entries.size(),
                  keyEntries(figures, cutsAmong({origins[0]})));
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
            p == 0 ? "clipToFrustum, then ÷ w: " + std::to_string(clipped.size()) + " vertices"
                   : "÷ w first, no clipping";
        panelHeading(svg, frame, p, heading);
        plotClip(svg, view, clipId);
        face(svg, view);
        grid(svg, view, "x/w", "y/w");
        svg += "<g clip-path=\"url(#" + clipId + ")\">\n";
        if (p == 0) {
            if (outlined) {
                polygon(svg, pixels,
                        std::string("fill=\"") + afterFill + "\" fill-opacity=\"0.35\" stroke=\"" +
                            afterStroke + "\" stroke-width=\"1.8\" stroke-linejoin=\"round\"");
            }
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
                   dividedTable(shown, names, p == 0 ? clippedKinds : std::vector<VertexKind>{}));
    }
    frameLegend(svg, frame, entries);
    svg += "</svg>\n";
    return svg;
}

} // namespace fig
