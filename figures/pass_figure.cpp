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

// A point of the line c = k·w at `along`: (k·along, along), scaled down where |k| > 1 so that
// neither coordinate goes past `along`. For k = ±1 it is (±along, along) exactly.
std::pair<double, double> planePoint(double k, double along)
{
    const double m = std::max(std::fabs(k), 1.0);
    return {k * along / m, along / m};
}

// The plane's line c = k·w: k = s for an upper plane, -s for a lower one.
double slope(const PlaneInfo& plane)
{
    return plane.upper ? plane.scale : -plane.scale;
}

// The square |c|, |w| <= far cut to the inside of each plane given, in the c-w view: the
// half-plane or the wedge of a plane at another scale than 1, as a shape a plot can cut.
std::vector<std::pair<double, double>> insideOf(double far, const std::vector<PlaneInfo>& planes)
{
    std::vector<std::pair<double, double>> shape = {{-far, -far}, {far, -far}, {far, far},
                                                    {-far, far}};
    for (const PlaneInfo& plane : planes) {
        const auto d = [&](const std::pair<double, double>& p) {
            return plane.upper ? plane.scale * p.second - p.first
                               : p.first + plane.scale * p.second;
        };
        std::vector<std::pair<double, double>> kept;
        for (std::size_t i = 0; i < shape.size(); ++i) {
            const auto& a = shape[i];
            const auto& b = shape[(i + 1) % shape.size()];
            const double da = d(a), db = d(b);
            if (da >= 0) kept.push_back(a);
            if ((da >= 0) != (db >= 0)) {
                const double t = da / (da - db);
                kept.push_back({a.first + t * (b.first - a.first),
                                a.second + t * (b.second - a.second)});
            }
        }
        shape = kept;
    }
    return shape;
}

// The shaded inside of the plane, the wedge inside both planes of the axis, and the two planes
// as lines, all in the c-w view. Drawn as large shapes cut to the plot.
void planeBackground(std::string& svg, const View& view, const PlaneInfo& plane,
                     const PlaneInfo& other)
{
    const double far = planeReach(view);
    // The program's planes: the half-plane as a triangle, the plane's line and the far corner on
    // its inside, and the wedge as the triangle of the eye and the two lines' far ends.
    std::vector<std::pair<double, double>> inside =
        plane.upper ? std::vector<std::pair<double, double>>{{-far, -far}, {far, far}, {-far, far}}
                    : std::vector<std::pair<double, double>>{{far, -far}, {-far, far}, {far, far}};
    std::vector<std::pair<double, double>> wedge = {{0, 0}, {-far, far}, {far, far}};
    if (plane.scale != 1 || other.scale != 1) {
        inside = insideOf(far, {plane});
        wedge = insideOf(far, {plane, other});
    }
    polygon(svg, toPixels(view, inside), std::string("fill=\"") + insideFill + "\"");
    polygon(svg, toPixels(view, wedge), std::string("fill=\"") + wedgeFill + "\"");
    const double sign = plane.upper ? 1 : -1;
    const std::string stroke = std::string("stroke=\"") + planeStroke + "\"";
    const auto a = planePoint(slope(other), -sign * far), b = planePoint(slope(other), sign * far);
    line(svg, toX(view, a.first), toY(view, a.second), toX(view, b.first), toY(view, b.second),
         stroke + " stroke-width=\"1.2\" stroke-dasharray=\"5 4\"");
    const auto c = planePoint(slope(plane), -sign * far), d = planePoint(slope(plane), sign * far);
    line(svg, toX(view, c.first), toY(view, c.second), toX(view, d.first), toY(view, d.second),
         stroke + " stroke-width=\"2.5\"");
}

std::vector<Segment> planeLines(const View& view, const PlaneInfo& plane, const PlaneInfo& other)
{
    const double far = planeReach(view);
    const PlaneInfo& upper = plane.upper ? plane : other;
    const PlaneInfo& lower = plane.upper ? other : plane;
    std::vector<Segment> lines;
    for (const double k : {slope(upper), slope(lower)}) {
        const auto a = planePoint(k, -far), b = planePoint(k, far);
        lines.push_back({{toX(view, a.first), toY(view, a.second)},
                         {toX(view, b.first), toY(view, b.second)}});
    }
    return lines;
}

// The name of the pass's plane where its line leaves the top of the plot (or its side), and the
// eye plane w = 0. The other plane of the axis is named in the legend.
void planeLabels(std::string& svg, const View& view, const PlaneInfo& plane)
{
    const double s = plane.upper ? 1 : -1;  // the side the wedge lies on, seen from the line
    const double k = slope(plane);          // the plane is the line c = k·w
    double w = view.vMax - 0.1 * (view.vMax - view.vMin);
    const double cLimit = (s > 0 ? view.uMax : -view.uMin) - 0.06 * (view.uMax - view.uMin);
    if (std::fabs(k) * w > cLimit) w = cLimit / std::fabs(k);
    // On the wedge's side of the line, so it reads as a caption of its edge.
    text(svg, toX(view, k * w) - s * 8, toY(view, w) + 4, planeText(plane),
         {13, "bold", s > 0 ? "end" : "", planeStroke, false, true});
    if (view.vMin < 0 && view.vMax > 0) {
        text(svg, view.left + view.width - 4, toY(view, 0) + 14, "w = 0: the eye plane",
             {view.smallText, "", "end", "#616161", false, true});
    }
}

Table vertexTable(const Polygon& polygon, const std::vector<std::string>& names,
                  const std::vector<VertexKind>& kinds, const char* axis,
                  const std::vector<float>* u)
{
    Table t;
    t.headers = {"#", "vertex", "x", "y", "z", "w", ""};
    t.shown = {false, false, axis[0] == 'x', axis[0] == 'y', axis[0] == 'z', true, false};
    if (u) {
        t.headers.insert(t.headers.end() - 1, "u");
        t.shown.insert(t.shown.end() - 1, true);
    }
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vector4& v = polygon[i];
        t.rows.push_back({std::to_string(i), names[i], value(v.x), value(v.y), value(v.z),
                          value(v.w), kindName(kinds[i])});
        if (u) t.rows.back().insert(t.rows.back().end() - 1, i < u->size() ? value((*u)[i]) : "");
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
std::string viewNote(const PlaneInfo& plane, const Polygon& before, const Matrix4& m)
{
    if (plane.coordinate != &Vector4::z) {
        return std::string("Only ") + plane.axis +
               " and w decide this test; the other coordinates are carried along, cut with the "
               "same t.";
    }
    // With w = m[11] * depth and z = m[10] * depth + m[14] (the eye-space w is 1), every point of
    // a projected scene lies on one line of this view.
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

namespace {

// s·w as the texts write it: "w", "4w"; "0" for s = 0.
std::string scaledW(const PlaneInfo& plane)
{
    if (plane.scale == 0) return "0";
    return plane.scale == 1 ? "w" : compact(plane.scale, 3) + "w";
}

// The plane's bound on its coordinate: "w", "−4w", "0".
std::string bound(const PlaneInfo& plane)
{
    return plane.upper || plane.scale == 0 ? scaledW(plane) : "−" + scaledW(plane);
}

} // namespace

std::string insideText(const PlaneInfo& plane)
{
    return std::string(plane.axis) + (plane.upper ? " ≤ " : " ≥ ") + bound(plane);
}

std::string planeText(const PlaneInfo& plane)
{
    return std::string(plane.axis) + " = " + bound(plane);
}

std::string distanceText(const PlaneInfo& plane)
{
    if (plane.upper) return scaledW(plane) + " − " + plane.axis;
    return plane.scale == 0 ? plane.axis : std::string(plane.axis) + " + " + scaledW(plane);
}

std::string wedgeText(const PlaneInfo& plane, const PlaneInfo& other)
{
    const PlaneInfo& upper = plane.upper ? plane : other;
    const PlaneInfo& lower = plane.upper ? other : plane;
    return bound(lower) + " ≤ " + plane.axis + " ≤ " + bound(upper);
}

std::vector<LegendEntry> passLegend(const PlaneInfo& plane, const PlaneInfo& other)
{
    const std::string axis = plane.axis;
    return {
        {Swatch::Inside, std::string("inside ") + plane.enumerator + ": " + insideText(plane)},
        {Swatch::Kept, "inside: kept"},
        {Swatch::Wedge, "inside both " + axis + " planes: " + wedgeText(plane, other)},
        {Swatch::Dropped, "outside: dropped"},
        {Swatch::Plane, "the plane " + planeText(plane)},
        {Swatch::Cut, "cut: a new vertex on the plane"},
        {Swatch::OtherPlane, "the other " + axis + " plane, " + planeText(other)},
        {Swatch::Before, "the polygon before the pass"},
    };
}

std::vector<std::string> passNotes(const TriangleFigures& figures, int pass)
{
    const PlaneInfo plane = passPlane(figures, pass);
    const Polygon& before = polygonBefore(figures, pass);
    const std::string axis = plane.axis;
    std::vector<std::string> notes;
    const std::string rules = rulesNote(figures);
    if (!rules.empty()) notes.push_back(rules);
    if (figures.skipped[pass]) {
        notes.push_back("Not made under depth clamp; in the " + axis + "–w view its plane would "
                        "be the line " + planeText(plane) + ", the inside " + insideText(plane) +
                        ".");
    } else {
        const std::string walk = walksAsProgram(figures.rules) ? "clipToPlane" : "The pass";
        notes.push_back(walk + " in the " +
                        axis + "–w view: the plane is the line " + planeText(plane) +
                        ", the inside " + insideText(plane) + ".");
    }
    notes.push_back(viewNote(plane, before, projection(figures)));
    notes.push_back("Corners keep their numbers, cut points get letters; # is the list order, "
                    "which starts with what edge 0 → 1 appends.");
    return notes;
}

void passPlot(std::string& svg, const View& view, const PlaneInfo& plane, const PlaneInfo& other,
              const std::string& id)
{
    plotClip(svg, view, id);
    svg += "<g clip-path=\"url(#" + id + ")\">\n";
    planeBackground(svg, view, plane, other);
    svg += "</g>\n";
    grid(svg, view, plane.axis, "w");
}

std::string passTitle(const std::string& triangleTitle, int pass)
{
    return "Triangle “" + triangleTitle + "”, pass " + std::to_string(pass + 1) + " of 6: " +
           planeInfos[pass].enumerator;
}

std::vector<LegendEntry> attributeLegend(const TriangleFigures& figures)
{
    if (!figures.rules.attribute) return {};
    const float* u = figures.rules.u;
    const float lo = std::min({u[0], u[1], u[2]}), hi = std::max({u[0], u[1], u[2]});
    return {{Swatch::Attribute, "u as a grey: light " + compact(lo == 0 ? 0.0f : lo, 4) +
                                    ", dark " + compact(hi == 0 ? 0.0f : hi, 4)}};
}

void attributeDiscs(std::string& svg, const TriangleFigures& figures,
                    const std::vector<Point>& pixels, const std::vector<float>& u)
{
    if (!figures.rules.attribute) return;
    for (std::size_t i = 0; i < pixels.size() && i < u.size(); ++i) {
        attributeDisc(svg, pixels[i], attributeGrey(figures, u[i]));
    }
}

std::string passFigure(const TriangleFigures& figures, int pass, FigureLayout layout,
                       const std::string& description)
{
    const PlaneInfo plane = passPlane(figures, pass);
    const PlaneInfo other = otherPlane(figures, pass);
    const Polygon& before = polygonBefore(figures, pass);
    const Polygon& after = figures.afterPass[pass];
    const std::vector<int> origins[2] = {originsBefore(figures, pass), figures.origins[pass]};
    const std::vector<float> u[2] = {attributesBefore(figures, pass), figures.attributes[pass]};
    const bool showU = figures.rules.attribute;
    const std::string inside = insideText(plane);
    const PassBounds b = passBounds(before, plane);
    std::vector<LegendEntry> entries = passLegend(plane, other);
    for (const LegendEntry& entry : attributeLegend(figures)) entries.push_back(entry);
    const std::string title = passTitle(figures.title, pass);
    Frame frame = makeFrame(layout, title, passNotes(figures, pass), before.size(), after.size(),
                            entries.size(),
                            keyEntries(figures, cutsAmong({origins[0], origins[1]})), {},
                            passRuleNotes(figures, pass));
    frame.shownOnly = frame.shownOnly || showU;
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
        passPlot(svg, view, plane, other, clipId);
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
        attributeDiscs(svg, figures, pixels, u[p]);
        for (std::size_t i = 0; i < pixels.size(); ++i) marker(svg, pixels[i], kinds[p][i]);
        std::vector<Segment> obstacles = edges(beforePixels);
        for (const Segment& edge : edges(pixels)) obstacles.push_back(edge);
        for (const Segment& line : planeLines(view, plane, other)) obstacles.push_back(line);
        vertexLabels(svg, pixels, originLabels(origins[p]), obstacles);
        if (before.empty()) {
            plotNote(svg, view, {"nothing left to clip:", "an earlier pass removed it all"}, true);
        } else if (p == 1 && figures.skipped[pass]) {
            plotNote(svg, view, {"not made (depth clamp):", "the input passes on unchanged"},
                     false);
        } else if (p == 1 && after.empty()) {
            plotNote(svg, view, {"nothing is inside " + inside + ":", "0 vertices"}, true);
        }
        frameTable(svg, frame, view, p,
                   vertexTable(*polygons[p], originNames(origins[p]), kinds[p], plane.axis,
                               showU ? &u[p] : nullptr));
    }
    frameLegend(svg, frame, entries);
    svg += "</svg>\n";
    return svg;
}

} // namespace fig
