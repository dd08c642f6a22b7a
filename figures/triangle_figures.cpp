// One triangle through the program's projection and clipper, and its seven figures. See
// clip_figures.h and passes.h.
//
// A triangle, given in the simulated camera's eye space, is projected into clip space with
// matFrustum and the program's frustum (or is given in clip space), then clipped twice: plane
// by plane with clipToPlane, in the order of ClipPlane, for one figure per pass, and whole with
// clipToFrustum, for the final figure. The figures take the clipper's word for what is inside:
// they follow its walk of each pass, edge by edge; they do not test the planes themselves.
#include "figures/clip_figures.h"

#include "figures/passes.h"
#include "figures/svg.h"

#include "clip/clip.h"

#include <algorithm>
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

bool sameBits(const Polygon& a, const Polygon& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!sameBits(a[i], b[i])) return false;
    }
    return true;
}

// A vertex entering a pass is kept when the walk appends it again (each origin is appended at
// most once a pass: only the edge that ends at it can append it).
std::vector<VertexKind> inputKinds(const std::vector<int>& before, const std::vector<int>& after)
{
    std::vector<VertexKind> kinds;
    for (int origin : before) {
        const bool kept = std::find(after.begin(), after.end(), origin) != after.end();
        kinds.push_back(kept ? VertexKind::Kept : VertexKind::Dropped);
    }
    return kinds;
}

// A vertex the pass appended is cut when the pass made it, kept when it entered the pass.
std::vector<VertexKind> outputKinds(const TriangleFigures& figures, int pass,
                                    const std::vector<int>& after)
{
    std::vector<VertexKind> kinds;
    for (int origin : after) {
        const std::size_t k = static_cast<std::size_t>(origin - 3);
        const bool cut = origin >= 3 && k < figures.cuts.size() && figures.cuts[k].pass == pass;
        kinds.push_back(cut ? VertexKind::Cut : VertexKind::Kept);
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

} // namespace fig

using namespace fig;

std::vector<int> clippedOrigins(const TriangleFigures& figures)
{
    // clipped is the last pass's output whenever the passes agree; else its origins are unknown.
    if (figures.clipped.size() == figures.origins[5].size()) return figures.origins[5];
    return std::vector<int>(figures.clipped.size(), -1);
}

TriangleFigures drawTriangleFigures(const float corners[9], const std::string& title,
                                    const std::string& stem, FigureLayout layout)
{
    const Polygon clip = project(corners);
    return drawClipTriangleFigures(clip.data(), title, stem, layout);
}

TriangleFigures drawClipTriangleFigures(const Vector4 corners[3], const std::string& givenTitle,
                                        const std::string& stem, FigureLayout layout)
{
    // The title as the figures show it and the descriptions say it: any text, mended.
    const std::string title = mendedText(givenTitle);
    TriangleFigures result;
    result.title = title;
    result.stem = stem;
    result.triangle.assign(corners, corners + 3);
    // First what the clipper does, then the names it gives, then the figures that show both.
    const Polygon* before = &result.triangle;
    for (int pass = 0; pass < 6; ++pass) {
        result.afterPass[pass] = clipOnePlane(*before, planeInfos[pass].plane);
        result.edges[pass] = edgeWalk(*before, planeInfos[pass].plane);
        before = &result.afterPass[pass];
    }
    followOrigins(result);
    result.clipped = clipWhole(result.triangle);
    result.passesAgree = sameBits(result.clipped, result.afterPass[5]);
    for (int pass = 0; pass < 6; ++pass) {
        const Described text = describePass(result, pass);
        Figure& figure = result.figures[pass];
        figure.fileName = stem + "-pass" + std::to_string(pass + 1) + "-" +
                          planeInfos[pass].fileName + ".svg";
        figure.svg = passFigure(result, pass, layout, text.description);
        figure.description = text.description;
        figure.summary = text.summary;
    }
    const Described text = describeFinal(result);
    result.figures[6] = {stem + "-final.svg", finalFigure(result, layout, text.description),
                         text.description, text.summary};
    return result;
}
