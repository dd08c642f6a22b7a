// The figure library's inside: the planes as the figures show them, the triangle's way through
// the projection and the clipper, and the figures drawn from it. Internal to figures/.
#pragma once

#include "figures/clip_figures.h"
#include "figures/plot.h"

#include "clip/clip.h"
#include "math/vecmath.h"

#include <string>
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

// Layout of the two-panel figures, in pixels.
inline constexpr double figureWidth = 820;
inline constexpr double panelLeft[2] = {62, 472};  // the plots' left edges
inline constexpr double plotTop = 112;
inline constexpr double plotWidth = 320;
inline constexpr double plotHeight = 300;
inline constexpr double tableTop = plotTop + plotHeight + 58;

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

// The figure of pass `pass` (0 to 5, ClipPlane order) and the final figure, as SVG documents.
std::string passFigure(const std::string& triangleTitle, int pass, const Polygon& before,
                       const Polygon& after);
std::string finalFigure(const std::string& triangleTitle, const Polygon& triangle,
                        const Polygon& clipped);

} // namespace fig
