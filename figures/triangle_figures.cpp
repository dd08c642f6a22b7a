// One triangle through the program's projection and clipper, and its seven figures. See
// clip_figures.h and passes.h.
//
// A triangle, given in the simulated camera's eye space, is projected into clip space with
// matFrustum and the program's frustum, then clipped twice: plane by plane with clipToPlane, in
// the order of ClipPlane, for one figure per pass, and whole with clipToFrustum, for the final
// figure. The figures take the clipper's word for what is inside: they compare its input and
// output bit for bit, they do not test the planes themselves.
#include "figures/clip_figures.h"

#include "figures/passes.h"
#include "figures/svg.h"

#include "clip/clip.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace fig {

// In the order of ClipPlane, which is the order clipToFrustum applies them in.
const PlaneInfo planeInfos[6] = {
    {ClipLeft, "ClipLeft", "left", "x", &Vector4::x, false},
    {ClipRight, "ClipRight", "right", "x", &Vector4::x, true},
    {ClipBottom, "ClipBottom", "bottom", "y", &Vector4::y, false},
    {ClipTop, "ClipTop", "top", "y", &Vector4::y, true},
    {ClipNear, "ClipNear", "near", "z", &Vector4::z, false},
    {ClipFar, "ClipFar", "far", "z", &Vector4::z, true},
};

bool sameBits(const Vector4& a, const Vector4& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool contains(const Polygon& polygon, const Vector4& v)
{
    for (const Vector4& p : polygon) {
        if (sameBits(p, v)) return true;
    }
    return false;
}

bool sameBits(const Polygon& a, const Polygon& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!sameBits(a[i], b[i])) return false;
    }
    return true;
}

// The kinds of the vertices of the polygon given to a clip.
std::vector<VertexKind> inputKinds(const Polygon& input, const Polygon& output)
{
    std::vector<VertexKind> kinds;
    for (const Vector4& v : input) {
        kinds.push_back(contains(output, v) ? VertexKind::Kept : VertexKind::Dropped);
    }
    return kinds;
}

// The kinds of the vertices of the polygon a clip gave back.
std::vector<VertexKind> outputKinds(const Polygon& input, const Polygon& output)
{
    std::vector<VertexKind> kinds;
    for (const Vector4& v : output) {
        kinds.push_back(contains(input, v) ? VertexKind::Kept : VertexKind::Cut);
    }
    return kinds;
}

// The mesh pass's projection: the simulated camera's eye space to clip space.
Matrix4 projection()
{
    Matrix4 matrix;
    matFrustum(matrix, frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
               frustum.far);
    return matrix;
}

// The triangle's corners in clip space, as the mesh pass projects them.
Polygon project(const float corners[9])
{
    const Matrix4 matrix = projection();
    Polygon clip(3);
    for (int k = 0; k < 3; ++k) {
        const Vector4 eye = {corners[3 * k], corners[3 * k + 1], corners[3 * k + 2], 1.0f};
        matTransformPoint(clip[k], matrix, eye);
    }
    return clip;
}

Polygon clipOnePlane(const Polygon& input, ClipPlane plane)
{
    Polygon output(static_cast<std::size_t>(clipPassCapacity(static_cast<int>(input.size()))));
    const int count =
        clipToPlane(input.data(), static_cast<int>(input.size()), output.data(), plane);
    output.resize(static_cast<std::size_t>(count));
    return output;
}

Polygon clipWhole(const Polygon& input)
{
    Vector4* result = nullptr;
    const int count = clipToFrustum(input.data(), static_cast<int>(input.size()), &result);
    Polygon output(result, result + count);
    delete[] result;
    return output;
}

// The point the simulated camera sees: x/w, y/w, z/w. The division is what the figures warn
// about; it is only ever done here for drawing. With w = 0 (or w so small that the quotient
// leaves the float range) the point lies at infinity and has no place in a plot.
Vector4 divided(const Vector4& v)
{
    return {float(double(v.x) / v.w), float(double(v.y) / v.w), float(double(v.z) / v.w), 1.0f};
}

bool finite(double u, double v)
{
    return std::isfinite(u) && std::isfinite(v);
}

std::vector<CutOrigin> cutOrigins(const std::vector<EdgeRecord>& edges, std::size_t outputSize)
{
    std::vector<CutOrigin> cuts(outputSize);
    for (const EdgeRecord& edge : edges) {
        const bool crosses = edge.edgeCase == ClipInOut || edge.edgeCase == ClipOutIn;
        // The crossing point is what a crossing edge appends first.
        if (!crosses || edge.appended.empty()) continue;
        const std::size_t at = static_cast<std::size_t>(edge.appended[0]);
        if (at < outputSize) cuts[at] = {edge.from, edge.to, edge.t};
    }
    return cuts;
}

} // namespace fig

using namespace fig;

TriangleFigures drawTriangleFigures(const float corners[9], const std::string& givenTitle,
                                    const std::string& stem, FigureLayout layout)
{
    // The title as the figures show it and the descriptions say it: any text, mended.
    const std::string title = mendedText(givenTitle);
    TriangleFigures result;
    result.title = title;
    result.stem = stem;
    result.triangle = project(corners);
    const Polygon* before = &result.triangle;
    for (int pass = 0; pass < 6; ++pass) {
        result.afterPass[pass] = clipOnePlane(*before, planeInfos[pass].plane);
        result.edges[pass] = edgeWalk(*before, planeInfos[pass].plane);
        const Described text = describePass(title, pass, *before, result.afterPass[pass],
                                            cutOrigins(result.edges[pass],
                                                       result.afterPass[pass].size()));
        Figure& figure = result.figures[pass];
        figure.fileName = stem + "-pass" + std::to_string(pass + 1) + "-" +
                          planeInfos[pass].fileName + ".svg";
        figure.svg = passFigure(title, pass, *before, result.afterPass[pass], layout,
                                text.description);
        figure.description = text.description;
        figure.summary = text.summary;
        before = &result.afterPass[pass];
    }
    result.clipped = clipWhole(result.triangle);
    result.passesAgree = sameBits(result.clipped, result.afterPass[5]);
    const Described text = describeFinal(title, result.triangle, result.clipped);
    result.figures[6] = {stem + "-final.svg",
                         finalFigure(title, result.triangle, result.clipped, layout,
                                     text.description),
                         text.description, text.summary};
    return result;
}
