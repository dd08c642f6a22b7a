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
// The kinds of the vertices of the polygon given to a clip, and of the polygon it gave back.
std::vector<VertexKind> inputKinds(const Polygon& input, const Polygon& output);
std::vector<VertexKind> outputKinds(const Polygon& input, const Polygon& output);

Matrix4 projection();                    // eye space to clip space, as the mesh pass projects
Polygon project(const float corners[9]);  // the triangle's corners in clip space
Polygon clipOnePlane(const Polygon& input, ClipPlane plane);
Polygon clipWhole(const Polygon& input);
Vector4 divided(const Vector4& v);  // x/w, y/w, z/w: for drawing only
bool finite(double u, double v);

// The figure of pass `pass` (0 to 5, ClipPlane order) and the final figure, as SVG documents
// carrying the given description.
std::string passFigure(const std::string& triangleTitle, int pass, const Polygon& before,
                       const Polygon& after, FigureLayout layout, const std::string& description);
std::string finalFigure(const std::string& triangleTitle, const Polygon& triangle,
                        const Polygon& clipped, FigureLayout layout,
                        const std::string& description);

// A figure's text: its description (several lines) and a one-sentence summary.
struct Described {
    std::string description, summary;
};
// Where a pass's output vertex was cut: its edge's ends (indices into the pass's input) and t;
// from = -1 for a vertex that was not cut.
struct CutOrigin {
    int from = -1, to = -1;
    double t = 0;
};
// Where each of the outputSize vertices of a pass was cut, from its walk.
std::vector<CutOrigin> cutOrigins(const std::vector<EdgeRecord>& edges, std::size_t outputSize);
// `cuts` has one entry per output vertex, or none when the walk is not known.
Described describePass(const std::string& triangleTitle, int pass, const Polygon& before,
                       const Polygon& after, const std::vector<CutOrigin>& cuts);
Described describeFinal(const std::string& triangleTitle, const Polygon& triangle,
                        const Polygon& clipped);

// Pieces of the pass figure that its step figures share.
struct PassBounds {
    double uMin, uMax, vMin, vMax;  // the c-w view both panels show
};
PassBounds passBounds(const Polygon& before, const PlaneInfo& plane);
std::string insideText(const PlaneInfo& plane);                // "x ≤ w"
std::string passTitle(const std::string& triangleTitle, int pass);
std::vector<LegendEntry> passLegend(const PlaneInfo& plane);
std::vector<std::string> passNotes(const PlaneInfo& plane);
// The plot's clip path, the shaded inside and the planes, the grid.
void passPlot(std::string& svg, const View& view, const PlaneInfo& plane, const std::string& id);
std::vector<std::pair<double, double>> viewPoints(const Polygon& polygon, const PlaneInfo& plane);
std::vector<Segment> planeLines(const View& view);
void planeLabels(std::string& svg, const View& view, const PlaneInfo& plane);
Table vertexTable(const Polygon& polygon, const std::vector<VertexKind>& kinds, const char* axis);
std::vector<std::size_t> listNumbers(std::size_t n);

} // namespace fig
