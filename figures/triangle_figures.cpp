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
    {ClipLeft, "ClipLeft", "left", "x", &Vector4::x, false, 1},
    {ClipRight, "ClipRight", "right", "x", &Vector4::x, true, 1},
    {ClipBottom, "ClipBottom", "bottom", "y", &Vector4::y, false, 1},
    {ClipTop, "ClipTop", "top", "y", &Vector4::y, true, 1},
    {ClipNear, "ClipNear", "near", "z", &Vector4::z, false, 1},
    {ClipFar, "ClipFar", "far", "z", &Vector4::z, true, 1},
};

PlaneInfo passPlane(const TriangleFigures& figures, int pass)
{
    PlaneInfo plane = planeInfos[pass];
    plane.scale = figures.planes[pass].scale;
    return plane;
}

PlaneInfo otherPlane(const TriangleFigures& figures, int pass)
{
    return passPlane(figures, pass ^ 1);  // left and right, bottom and top, near and far
}

const ClipPolygon& polygonBefore(const TriangleFigures& figures, int pass)
{
    return pass == 0 ? figures.triangle : figures.afterPass[pass - 1];
}

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

Matrix4 projection(const TriangleFigures& figures)
{
    return volumeProjection(figures.rules.volume);
}

// The triangle's corners in clip space, as the mesh pass projects them.
Polygon project(const float corners[9])
{
    return project(corners, projection());
}

Polygon project(const float corners[9], const Matrix4& matrix)
{
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

namespace {

// The planes each pass tests under the rules, and which passes they leave out.
void choosePlanes(TriangleFigures& result)
{
    const std::vector<WalkPlane> planes = rulePlanes(result.rules);
    for (int pass = 0; pass < 6; ++pass) {
        result.skipped[pass] = true;
        result.planes[pass] = programPlanes[pass];
        for (const WalkPlane& plane : planes) {
            if (plane.pass != pass) continue;
            result.planes[pass] = plane;
            result.skipped[pass] = false;
        }
    }
    // A pass left out still shows the plane it would test.
    if (result.skipped[ClipNear] && result.rules.volume != ClipVolume::Gl) {
        result.planes[ClipNear].scale = 0;
    }
}

// The passes under the program's rules: clipToPlane's, clipEdge's and clipToFrustum's own.
void clipAsProgram(TriangleFigures& result)
{
    const Polygon* before = &result.triangle;
    for (int pass = 0; pass < 6; ++pass) {
        result.afterPass[pass] = clipOnePlane(*before, planeInfos[pass].plane);
        result.edges[pass] = edgeWalk(*before, planeInfos[pass].plane);
        before = &result.afterPass[pass];
    }
    result.clipped = clipWhole(result.triangle);
    result.passesAgree = sameBits(result.clipped, result.afterPass[5]);
}

// The passes under other rules: the walk over their planes, a pass left out handing its input
// on. That walk stays the clipper's: given the program's planes, it must give clipToFrustum's
// bits for this same triangle, or the figures say the passes disagree.
void clipByRules(TriangleFigures& result)
{
    const Polygon* before = &result.triangle;
    for (int pass = 0; pass < 6; ++pass) {
        if (result.skipped[pass]) {
            result.afterPass[pass] = *before;
            result.edges[pass].clear();
        } else {
            result.afterPass[pass] = walkPass(*before, result.planes[pass]);
            result.edges[pass] = walkRecords(*before, result.planes[pass]);
        }
        before = &result.afterPass[pass];
    }
    result.clipped = result.afterPass[5];
    const std::vector<WalkPlane> program(programPlanes, programPlanes + 6);
    result.passesAgree =
        sameBits(walkPlanes(result.triangle, program).after.back(), clipWhole(result.triangle));
}

// What the figures compare the rules with: the same rules without the guard band, and what the
// program's volume keeps that the mismatch loses (the part of it with z < 0, nearer than the
// mismatch's near plane).
void compareRules(TriangleFigures& result)
{
    if (result.rules.guard != 1) {
        ClipRules unguarded = result.rules;
        unguarded.guard = 1;
        const PlaneWalk walk = walkPlanes(result.triangle, rulePlanes(unguarded));
        result.unguarded = walk.after.back();
        result.unguardedCuts = cutCount(walk.edges);
    }
    if (result.rules.volume == ClipVolume::Mismatch && !result.rules.depthClamp) {
        ClipRules program = result.rules;
        program.volume = ClipVolume::Gl;
        const Polygon kept = walkPlanes(result.triangle, rulePlanes(program)).after.back();
        result.lost = walkPass(kept, {ClipNear, &Vector4::z, true, 0});  // z <= 0
    }
}

TriangleFigures drawFigures(const Polygon& corners, const std::string& givenTitle,
                            const std::string& stem, FigureLayout layout, const ClipRules& rules)
{
    // The title as the figures show it and the descriptions say it: any text, mended.
    const std::string title = mendedText(givenTitle);
    TriangleFigures result;
    result.title = title;
    result.stem = stem;
    result.triangle = corners;
    result.rules = rules;
    // First what the clipper does, then the names it gives, then the figures that show both.
    choosePlanes(result);
    if (walksAsProgram(rules)) {
        clipAsProgram(result);
    } else {
        clipByRules(result);
    }
    followOrigins(result);
    carryAttributes(result);
    compareRules(result);
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

} // namespace

TriangleFigures drawTriangleFigures(const float corners[9], const std::string& title,
                                    const std::string& stem, FigureLayout layout,
                                    const ClipRules& rules)
{
    return drawFigures(project(corners, volumeProjection(rules.volume)), title, stem, layout,
                       rules);
}

TriangleFigures drawClipTriangleFigures(const Vector4 corners[3], const std::string& title,
                                        const std::string& stem, FigureLayout layout,
                                        const ClipRules& rules)
{
    // Given in clip space, the corners have no projection that could mismatch the test.
    ClipRules asGiven = rules;
    if (asGiven.volume == ClipVolume::Mismatch) asGiven.volume = ClipVolume::ZeroOne;
    return drawFigures(Polygon(corners, corners + 3), title, stem, layout, asGiven);
}
