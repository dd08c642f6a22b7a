// The figure library's inside: the planes as the figures show them, the triangle's way through
// the projection and the clipper, and the figures drawn from it. Internal to figures/.
#pragma once

#include "figures/clip_figures.h"
#include "figures/plot.h"

#include "clip/clip.h"
#include "math/vecmath.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace fig {

using Polygon = ClipPolygon;

// One clip plane as the figures show it: the coordinate it bounds against w.
struct PlaneInfo {
    ClipPlane plane;
    const char* enumerator;      // the name in clip/clip.h
    const char* fileName;        // the part of the figure's file name
    const char* axis;            // "x", "y" or "z": the view is this coordinate against w
    float Vector4::*coordinate;  // the same coordinate, as a member
    bool upper;                  // the plane is c = w, inside c <= w; else c = -w, inside c >= -w
};
// In the order of ClipPlane, which is the order clipToFrustum applies them in.
extern const PlaneInfo planeInfos[6];

bool sameBits(const Vector4& a, const Vector4& b);
bool sameBits(const Polygon& a, const Polygon& b);
// The kinds of the vertices entering a pass (kept, dropped) and of those it has appended (kept,
// or cut by this pass), from their origins.
std::vector<VertexKind> inputKinds(const std::vector<int>& before, const std::vector<int>& after);
std::vector<VertexKind> outputKinds(const TriangleFigures& figures, int pass,
                                    const std::vector<int>& after);

Matrix4 projection();                    // eye space to clip space, as the mesh pass projects
Polygon project(const float corners[9]);  // the triangle's corners in clip space
Polygon clipOnePlane(const Polygon& input, ClipPlane plane);
Polygon clipWhole(const Polygon& input);
Vector4 divided(const Vector4& v);  // x/w, y/w, z/w: for drawing only
bool finite(double u, double v);

// The origins of every pass's output and the cut points, from the walks (figures.edges) and the
// outputs (figures.afterPass).
void followOrigins(TriangleFigures& figures);
// The origins as the plots label them and as the texts name them.
std::vector<std::string> originLabels(const std::vector<int>& origins);
std::vector<std::string> originNames(const std::vector<int>& origins);
// "a", "a and b", "corner 0, a and b".
std::string namesText(const std::vector<std::string>& names);
// The cut points among the polygons' origins, once each, in the order they were made.
std::vector<int> cutsAmong(const std::vector<std::vector<int>>& polygons);
// Those cut points and every cut their keys name, in the order they were made.
std::vector<int> keyedCuts(const TriangleFigures& figures, const std::vector<int>& cuts);
// The key of those cut points (keyedCuts), an entry each: "a: cut of corner 0 → corner 2 by
// ClipRight".
std::vector<std::string> keyEntries(const TriangleFigures& figures, const std::vector<int>& cuts);

// The figure of pass `pass` (0 to 5, ClipPlane order) and the final figure, as SVG documents
// carrying the given description. They need everything of figures but its figures.
std::string passFigure(const TriangleFigures& figures, int pass, FigureLayout layout,
                       const std::string& description);
std::string finalFigure(const TriangleFigures& figures, FigureLayout layout,
                        const std::string& description);

// A figure's text: its description (several lines) and a one-sentence summary.
struct Described {
    std::string description, summary;
};
Described describePass(const TriangleFigures& figures, int pass);
Described describeFinal(const TriangleFigures& figures);
// The key of the cut points (keyedCuts), a line each, for a description.
std::string keyLines(const TriangleFigures& figures, const std::vector<int>& cuts);

// Pieces of the pass figure that its step figures share.
struct PassBounds {
    double uMin, uMax, vMin, vMax;  // the c-w view both panels show
};
PassBounds passBounds(const Polygon& before, const PlaneInfo& plane);
std::string insideText(const PlaneInfo& plane);                // "x ≤ w"
std::string passTitle(const std::string& triangleTitle, int pass);
std::vector<LegendEntry> passLegend(const PlaneInfo& plane);
// The header's notes on the view of the polygon entering the pass, and on the numbering.
std::vector<std::string> passNotes(const PlaneInfo& plane, const Polygon& before);
// The plot's clip path, the shaded inside and the planes, the grid.
void passPlot(std::string& svg, const View& view, const PlaneInfo& plane, const std::string& id);
std::vector<std::pair<double, double>> viewPoints(const Polygon& polygon, const PlaneInfo& plane);
std::vector<Segment> planeLines(const View& view);
void planeLabels(std::string& svg, const View& view, const PlaneInfo& plane);
// Each vertex's place in the list, its name, its values and its kind; bold the axis and w.
Table vertexTable(const Polygon& polygon, const std::vector<std::string>& names,
                  const std::vector<VertexKind>& kinds, const char* axis);

} // namespace fig
