// The figure of one pass of clipToFrustum in the c-w view of its plane. See passes.h.
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
// The figure of one pass

std::vector<std::pair<double, double>> viewPoints(const Polygon& polygon, const PlaneInfo& plane)
{
    std::vector<std::pair<double, double>> uv;
    for (const Vector4& v : polygon) uv.push_back({v.*plane.coordinate, v.w});
    return uv;
}

// How far from the origin the shapes of the c-w view reach: twice as far as the plot, which
// holds the origin, so that they cross it whole. No further: a browser draws a dashed line dash
// by dash along its whole length, cut to the plot or not.
double planeReach(const View& view)
{
    return 2 * std::max({std::fabs(view.uMin), std::fabs(view.uMax), std::fabs(view.vMin),
                         std::fabs(view.vMax)});
}

// The shaded inside of the plane, the wedge inside both planes of the axis, and the two planes
// as lines, all in the c-w view. Drawn as large shapes cut to the plot.
void planeBackground(std::string& svg, const View& view, const PlaneInfo& plane)
{
    const double far = planeReach(view);
    // The half-plane as a triangle: the plane's line and the far corner on its inside.
    const std::vector<std::pair<double, double>> inside =
        plane.upper ? std::vector<std::pair<double, double>>{{-far, -far}, {far, far}, {-far, far}}
                    : std::vector<std::pair<double, double>>{{far, -far}, {-far, far}, {far, far}};
    polygon(svg, toPixels(view, inside), std::string("fill=\"") + insideFill + "\"");
    polygon(svg, toPixels(view, {{0, 0}, {-far, far}, {far, far}}),
            std::string("fill=\"") + wedgeFill + "\"");
    const double sign = plane.upper ? 1 : -1;  // the plane is c = sign * w
    const std::string stroke = std::string("stroke=\"") + planeStroke + "\"";
    line(svg, toX(view, far), toY(view, -sign * far), toX(view, -far), toY(view, sign * far),
         stroke + " stroke-width=\"1.2\" stroke-dasharray=\"5 4\"");
    line(svg, toX(view, -far), toY(view, -sign * far), toX(view, far), toY(view, sign * far),
         stroke + " stroke-width=\"2.5\"");
}

// The lines c = w and c = -w, in pixels.
std::vector<Segment> planeLines(const View& view)
{
    const double far = planeReach(view);
    return {{{toX(view, -far), toY(view, -far)}, {toX(view, far), toY(view, far)}},
            {{toX(view, far), toY(view, -far)}, {toX(view, -far), toY(view, far)}}};
}

// The name of the pass's plane where its line leaves the top of the plot (or its side), and the
// eye plane w = 0. The other plane of the axis is named in the legend.
void planeLabels(std::string& svg, const View& view, const PlaneInfo& plane)
{
    const double s = plane.upper ? 1 : -1;  // the plane is the line c = s * w
    double w = view.vMax - 0.1 * (view.vMax - view.vMin);
    const double cLimit = (s > 0 ? view.uMax : -view.uMin) - 0.06 * (view.uMax - view.uMin);
    if (w > cLimit) w = cLimit;
    // On the wedge's side of the line, so it reads as a caption of its edge.
    text(svg, toX(view, s * w) - s * 8, toY(view, w) + 4,
         std::string(plane.axis) + (s > 0 ? " = w" : " = −w"),
         {13, "bold", s > 0 ? "end" : "", planeStroke, false, true});
    if (view.vMin < 0 && view.vMax > 0) {
        text(svg, view.left + view.width - 4, toY(view, 0) + 14, "w = 0: the eye plane",
             {view.smallText, "", "end", "#616161", false, true});
    }
}

Table vertexTable(const Polygon& polygon, const std::vector<std::string>& names,
                  const std::vector<VertexKind>& kinds, const char* axis)
{
    Table t;
    t.headers = {"#", "vertex", "x", "y", "z", "w", ""};
    t.shown = {false, false, axis[0] == 'x', axis[0] == 'y', axis[0] == 'z', true, false};
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vector4& v = polygon[i];
        t.rows.push_back({std::to_string(i), names[i], value(v.x), value(v.y), value(v.z),
                          value(v.w), kindName(kinds[i])});
    }
    return t;
}

// Whether every vertex lies on the line of the z-w view that a projected triangle lies on,
// z = slope * w + offset, up to the rounding of the projection and the cuts: a triangle given in
// clip space need not. A value that is not finite counts as on it.
bool onDepthLine(const Polygon& polygon, double slope, double offset)
{
    for (const Vector4& v : polygon) {
        const double off = std::fabs(v.z - (slope * v.w + offset));
        if (off > 1e-5 * (std::fabs(v.z) + std::fabs(v.w) + 1)) return false;
    }
    return true;
}

// What else the reader should know about the view of the polygon entering the pass.
std::string viewNote(const PlaneInfo& plane, const Polygon& before)
{
    if (plane.coordinate != &Vector4::z) {
        return std::string("Only ") + plane.axis +
               " and w decide this test; the other coordinates are carried along, cut with the "
               "same t.";
    }
    // With w = m[11] * depth and z = m[10] * depth + m[14] (the eye-space w is 1), every point of
    // a projected scene lies on one line of this view.
    const Matrix4 m = projection();
    const double slope = double(m.m[10]) / m.m[11];
    const double offset = m.m[14];
    const std::string line = "z = " + num(slope, 4) + "·w " + (offset < 0 ? "− " : "+ ") +
                             num(std::fabs(offset), 4);
    if (!onDepthLine(before, slope, offset)) {
        return "Given in clip space, this polygon's z and w vary apart: it is not edge-on, as "
               "a projected one is on " + line + ".";
    }
    return "z and w both follow the eye-space depth alone: every point lies on " + line +
           ", edge-on.";
}

// The bounds both panels of a pass's figures show: the eye (the wedge's tip) and the polygon;
// with nothing to hold (the polygon gone, or all of it on the eye) the wedge from the eye up to
// w = 1. Then enough of the pass's own plane to show it and name it.
PassBounds passBounds(const Polygon& before, const PlaneInfo& plane)
{
    PassBounds b{0, 0, 0, 0};
    for (const auto& [u, v] : viewPoints(before, plane)) {
        b.uMin = std::min(b.uMin, u);
        b.uMax = std::max(b.uMax, u);
        b.vMin = std::min(b.vMin, v);
        b.vMax = std::max(b.vMax, v);
    }
    if (b.uMin == b.uMax && b.vMin == b.vMax) {
        b.uMin = -1;
        b.uMax = 1;
        b.vMax = 1;
    }
    const double labelReach = (plane.upper ? 0.75 : -0.75) * b.vMax;
    b.uMin = std::min(b.uMin, labelReach);
    b.uMax = std::max(b.uMax, labelReach);
    return b;
}

std::string insideText(const PlaneInfo& plane)
{
    return std::string(plane.axis) + (plane.upper ? " ≤ w" : " ≥ −w");
}

std::vector<LegendEntry> passLegend(const PlaneInfo& plane)
{
    const std::string axis = plane.axis;
    const std::string planeName = plane.upper ? axis + " = w" : axis + " = −w";
    const std::string otherName = plane.upper ? axis + " = −w" : axis + " = w";
    return {
        {Swatch::Inside, std::string("inside ") + plane.enumerator + ": " + insideText(plane)},
        {Swatch::Kept, "inside: kept"},
        {Swatch::Wedge, "inside both " + axis + " planes: −w ≤ " + axis + " ≤ w"},
        {Swatch::Dropped, "outside: dropped"},
        {Swatch::Plane, "the plane " + planeName},
        {Swatch::Cut, "cut: a new vertex on the plane"},
        {Swatch::OtherPlane, "the other " + axis + " plane, " + otherName},
        {Swatch::Before, "the polygon before the pass"},
    };
}

std::vector<std::string> passNotes(const PlaneInfo& plane, const Polygon& before)
{
    const std::string axis = plane.axis;
    const std::string planeName = plane.upper ? axis + " = w" : axis + " = −w";
    return {"clipToPlane in the " + axis + "–w view: the plane is the line " + planeName +
                ", the inside " + insideText(plane) + ".",
            viewNote(plane, before),
            "Corners keep their numbers, cut points get letters; # is the list order, which "
            "starts with what edge 0 → 1 appends."};
}

void passPlot(std::string& svg, const View& view, const PlaneInfo& plane, const std::string& id)
{
    plotClip(svg, view, id);
    svg += "<g clip-path=\"url(#" + id + ")\">\n";
    planeBackground(svg, view, plane);
    svg += "</g>\n";
    grid(svg, view, plane.axis, "w");
}

std::string passTitle(const std::string& triangleTitle, int pass)
{
    return "Triangle “" + triangleTitle + "”, pass " + std::to_string(pass + 1) + " of 6: " +
           planeInfos[pass].enumerator;
}

std::string passFigure(const TriangleFigures& figures, int pass, FigureLayout layout,
                       const std::string& description)
{
    const PlaneInfo& plane = planeInfos[pass];
    const Polygon& before = pass == 0 ? figures.triangle : figures.afterPass[pass - 1];
    const Polygon& after = figures.afterPass[pass];
    const std::vector<int> origins[2] = {originsBefore(figures, pass), figures.origins[pass]};
    const std::string inside = insideText(plane);
    const PassBounds b = passBounds(before, plane);
    const std::vector<LegendEntry> entries = passLegend(plane);
    const std::string title = passTitle(figures.title, pass);
    const Frame frame = makeFrame(layout, title, passNotes(plane, before), before.size(),
                                  after.size(), entries.size(),
                                  keyEntries(figures, cutsAmong({origins[0], origins[1]})));
    std::string svg = frameStart(frame, title, description);

    const Polygon* polygons[2] = {&before, &after};
    const std::vector<VertexKind> kinds[2] = {inputKinds(origins[0], origins[1]),
                                              outputKinds(figures, pass, origins[1])};
    for (int p = 0; p < 2; ++p) {
        const View view = panelView(frame, p, b.uMin, b.uMax, b.vMin, b.vMax);
        const std::string clipId = "plot" + std::to_string(p);
        panelHeading(svg, frame, p,
                     p == 0 ? "before: " + std::to_string(before.size()) + " vertices"
                            : "after: " + std::to_string(after.size()) + " vertices");
        passPlot(svg, view, plane, clipId);
        svg += "<g clip-path=\"url(#" + clipId + ")\">\n";
        const std::vector<Point> beforePixels = toPixels(view, viewPoints(before, plane));
        if (p == 0) {
            polygon(svg, beforePixels,
                    std::string("fill=\"") + beforeFill +
                        "\" fill-opacity=\"0.3\" stroke=\"#424242\" stroke-width=\"1.5\" "
                        "stroke-linejoin=\"round\"");
        } else {
            polygon(svg, beforePixels,
                    "fill=\"none\" stroke=\"#616161\" stroke-width=\"1.2\" "
                    "stroke-dasharray=\"4 3\" stroke-linejoin=\"round\"");
            if (!after.empty()) {
                polygon(svg, toPixels(view, viewPoints(after, plane)),
                        std::string("fill=\"") + afterFill +
                            "\" fill-opacity=\"0.35\" stroke=\"" + afterStroke +
                            "\" stroke-width=\"1.8\" stroke-linejoin=\"round\"");
            }
        }
        svg += "</g>\n";
        planeLabels(svg, view, plane);
        const std::vector<Point> pixels = toPixels(view, viewPoints(*polygons[p], plane));
        for (std::size_t i = 0; i < pixels.size(); ++i) marker(svg, pixels[i], kinds[p][i]);
        std::vector<Segment> obstacles = edges(beforePixels);
        for (const Segment& edge : edges(pixels)) obstacles.push_back(edge);
        for (const Segment& line : planeLines(view)) obstacles.push_back(line);
        vertexLabels(svg, pixels, originLabels(origins[p]), obstacles);
        if (before.empty()) {
            plotNote(svg, view, {"nothing left to clip:", "an earlier pass removed it all"}, true);
        } else if (p == 1 && after.empty()) {
            plotNote(svg, view, {"nothing is inside " + inside + ":", "0 vertices"}, true);
        }
        frameTable(svg, frame, view, p,
                   vertexTable(*polygons[p], originNames(origins[p]), kinds[p], plane.axis));
    }
    frameLegend(svg, frame, entries);
    svg += "</svg>\n";
    return svg;
}

} // namespace fig
