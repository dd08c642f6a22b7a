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
    bool upper;                  // the plane is c = s·w, inside c <= s·w; else c = -s·w, inside
                                 // c >= -s·w
    float scale;                 // s: 1 for the program's planes, G for a guard band's, 0 for
                                 // the plane 0 <= z
};
// In the order of ClipPlane, which is the order clipToFrustum applies them in.
extern const PlaneInfo planeInfos[6];
// The plane pass `pass` tests under the figures' rules: planeInfos[pass] with their scale of w.
PlaneInfo passPlane(const TriangleFigures& figures, int pass);
// The other plane of the same coordinate under the same rules (ClipLeft's is ClipRight's).
PlaneInfo otherPlane(const TriangleFigures& figures, int pass);
// The polygon entering pass `pass`.
const ClipPolygon& polygonBefore(const TriangleFigures& figures, int pass);

bool sameBits(const Vector4& a, const Vector4& b);
bool sameBits(const Polygon& a, const Polygon& b);
// The kinds of the vertices entering a pass (kept, dropped) and of those it has appended (kept,
// or cut by this pass), from their origins.
std::vector<VertexKind> inputKinds(const std::vector<int>& before, const std::vector<int>& after);
std::vector<VertexKind> outputKinds(const TriangleFigures& figures, int pass,
                                    const std::vector<int>& after);

Matrix4 projection();                    // eye space to clip space, as the mesh pass projects
Matrix4 projection(const TriangleFigures& figures);  // as the figures' rules project
Polygon project(const float corners[9]);  // the triangle's corners in clip space
Polygon project(const float corners[9], const Matrix4& matrix);  // by that projection
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
std::string insideText(const PlaneInfo& plane);                // "x ≤ w", "x ≥ −4w", "z ≥ 0"
std::string planeText(const PlaneInfo& plane);                 // "x = w", "x = −4w", "z = 0"
std::string distanceText(const PlaneInfo& plane);              // d: "w − x", "x + 4w", "z"
// Inside both planes of the coordinate: "−w ≤ x ≤ w", "0 ≤ z ≤ w" (lower and upper either way).
std::string wedgeText(const PlaneInfo& plane, const PlaneInfo& other);
std::string passTitle(const std::string& triangleTitle, int pass);
std::vector<LegendEntry> passLegend(const PlaneInfo& plane, const PlaneInfo& other);
// The header's notes on the view of the polygon entering the pass, and on the numbering.
std::vector<std::string> passNotes(const TriangleFigures& figures, int pass);
// The plot's clip path, the shaded inside and the planes, the grid.
void passPlot(std::string& svg, const View& view, const PlaneInfo& plane, const PlaneInfo& other,
              const std::string& id);
std::vector<std::pair<double, double>> viewPoints(const Polygon& polygon, const PlaneInfo& plane);
// The lines of the coordinate's two planes, in pixels.
std::vector<Segment> planeLines(const View& view, const PlaneInfo& plane, const PlaneInfo& other);
void planeLabels(std::string& svg, const View& view, const PlaneInfo& plane);
// Each vertex's place in the list, its name, its values and its kind; bold the axis and w. With
// u (one per vertex), a column of it before the kind.
Table vertexTable(const Polygon& polygon, const std::vector<std::string>& names,
                  const std::vector<VertexKind>& kinds, const char* axis,
                  const std::vector<float>* u = nullptr);

// ---- Under other rules (rule_notes.cpp) ----
// The header's line naming the rules: "Rules: Vulkan: 0 ≤ z ≤ w · guard band 4."; "" for the
// program's.
std::string rulesNote(const TriangleFigures& figures);
// What the rules change about pass `pass`, in sentences, for the figure's foot and description;
// brief, a line each and nothing of u (which the step's legend names), for the foot of its step
// figures, which must fit beside the explorer's views on a laptop's screen.
std::vector<std::string> passRuleNotes(const TriangleFigures& figures, int pass,
                                       bool brief = false);
// What they change about the final picture: the guard band's cuts, the mismatch's near plane and
// what it loses, the depth clamp, and u at each cut against the divided edge's.
std::vector<std::string> finalRuleNotes(const TriangleFigures& figures);
// The cut points the passes made, counted as the figures letter them.
std::size_t cutCount(const std::vector<std::vector<EdgeRecord>>& walks);

// The legend's entry for u (none when u is not shown), and the discs of u behind the markers.
std::vector<LegendEntry> attributeLegend(const TriangleFigures& figures);
void attributeDiscs(std::string& svg, const TriangleFigures& figures,
                    const std::vector<Point>& pixels, const std::vector<float>& u);

// ---- The attribute u (attributes.cpp) ----
// u of every vertex of every pass's output and of the clipped polygon, from the corners' u
// (rules.u) through each cut with the walk's own t, as the clipper interpolates a coordinate.
void carryAttributes(TriangleFigures& figures);
// u of the vertices entering pass `pass`.
std::vector<float> attributesBefore(const TriangleFigures& figures, int pass);
// u as the figures draw it: a grey from light (the corners' least u) to dark (their greatest).
std::string attributeGrey(const TriangleFigures& figures, float u);
// A disc of that grey behind a vertex's marker.
void attributeDisc(std::string& svg, Point p, const std::string& grey);
// u at a cut point against what the parameter of the divided edge would give there.
struct CutAttribute {
    int origin;          // the cut point
    float byT;           // u from the clipper's t (what the figures carry)
    bool divided;        // both ends of its edge have w > 0, so the divided edge is a segment
    double s;            // the divided edge's parameter where it meets the plane (when divided)
    double bySplit;      // u from s
};
std::vector<CutAttribute> cutAttributes(const TriangleFigures& figures,
                                        const std::vector<int>& cuts);
// The step's u, for a crossing edge with u shown: "u(I) = u(P) + t·(u(Q) − u(P)) = 0.375, from
// u(P) = 0, u(Q) = 0.5 and t = 0.75."; "" otherwise.
std::string attributeStep(const TriangleFigures& figures, int pass, int edge);

} // namespace fig
