// The figure library under other clippers' rules (figures/clip_figures.h): the walk over planes
// as data against the program's clipper to the bit; each rule on worked triangles, to the value;
// the guard band's picture inside the viewport against the unguarded one over many triangles.
// Their text, clipfigs and clip_pass_bits: clip_figures_rules_tools_test.cpp.
#include "figures/clip_figures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// The same number, to the bit; any NaN is the same as any other, as a compiler may add the two
// operands of a sum in either order, which decides the payload of a NaN made from two.
bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b));
}

bool sameBits(const ClipPolygon& a, const ClipPolygon& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!sameBits(a[i].x, b[i].x) || !sameBits(a[i].y, b[i].y) || !sameBits(a[i].z, b[i].z) ||
            !sameBits(a[i].w, b[i].w)) {
            return false;
        }
    }
    return true;
}

ClipPolygon clipPass(const ClipPolygon& input, ClipPlane plane)
{
    const int n = int(input.size());
    ClipPolygon output(std::size_t(clipPassCapacity(n)));
    output.resize(std::size_t(clipToPlane(input.data(), n, output.data(), plane)));
    return output;
}

ClipPolygon clipFrustum(const ClipPolygon& input)
{
    Vector4* result = nullptr;
    const int count = clipToFrustum(input.data(), int(input.size()), &result);
    ClipPolygon output(result, result + count);
    delete[] result;
    return output;
}

// A clip-space value of any size from 1e-8 to 1e6, either sign, zeros, and some not finite.
struct RandomValues {
    std::mt19937 random{29};
    std::uniform_real_distribution<double> unit{0, 1};
    float operator()()
    {
        const double r = unit(random);
        if (r < 0.08) return 0;
        if (r < 0.09) return std::nanf("");
        if (r < 0.1) return r < 0.095 ? INFINITY : -INFINITY;
        if (r < 0.7) return float(4 * unit(random) - 2);
        const double magnitude = std::pow(10.0, -8 + 14 * unit(random));
        return float(r < 0.85 ? magnitude : -magnitude);
    }
};

TEST(WalkPlanes, GivenTheProgramsPlanesItIsClipToFrustumPassByPassAndEdgeByEdgeToTheBit)
{
    RandomValues value;
    const std::vector<WalkPlane> program(programPlanes, programPlanes + 6);
    const std::vector<WalkPlane> ruled = rulePlanes(ClipRules{});
    ASSERT_EQ(ruled.size(), 6u);
    for (int k = 0; k < 6; ++k) {
        EXPECT_EQ(ruled[std::size_t(k)].pass, ClipPlane(k));
        EXPECT_EQ(ruled[std::size_t(k)].scale, 1.0f);
    }
    for (int n = 0; n < 4000; ++n) {
        ClipPolygon triangle(3);
        for (Vector4& v : triangle) v = {value(), value(), value(), value()};
        // Corners on a plane, and a w shared with a neighbour, where ties decide.
        if (n % 4 == 0) triangle[1].x = triangle[1].w;
        if (n % 6 == 0) triangle[2].w = triangle[0].w;
        const PlaneWalk walk = walkPlanes(triangle, ruled);
        const ClipPolygon* before = &triangle;
        for (int pass = 0; pass < 6; ++pass) {
            const ClipPlane plane = ClipPlane(pass);
            ASSERT_TRUE(sameBits(walk.after[std::size_t(pass)], clipPass(*before, plane)))
                << "triangle " << n << ", pass " << pass + 1;
            const std::vector<EdgeRecord> expected = edgeWalk(*before, plane);
            const std::vector<EdgeRecord>& records = walk.edges[std::size_t(pass)];
            ASSERT_EQ(records.size(), expected.size());
            for (std::size_t e = 0; e < records.size(); ++e) {
                const EdgeRecord &a = records[e], &b = expected[e];
                ASSERT_TRUE(a.from == b.from && a.to == b.to && a.edgeCase == b.edgeCase &&
                            sameBits(a.t, b.t) && sameBits(a.dFrom, b.dFrom) &&
                            sameBits(a.dTo, b.dTo) && a.appended == b.appended)
                    << "triangle " << n << ", pass " << pass + 1 << ", edge " << e << ": "
                    << edgesJson({a}) << " against " << edgesJson({b});
            }
            before = &walk.after[std::size_t(pass)];
        }
        ASSERT_TRUE(sameBits(walk.after.back(), clipFrustum(triangle))) << "triangle " << n;
        ASSERT_TRUE(sameBits(walkPlanes(triangle, program).after.back(), walk.after.back()));
    }
}

// The worked clip-space triangle A(0, 0, -0.5, 1), B(0.5, 0, 0.5, 1), C(-0.5, 0.5, 0.5, 1).
const Vector4 worked[3] = {{0, 0, -0.5f, 1}, {0.5f, 0, 0.5f, 1}, {-0.5f, 0.5f, 0.5f, 1}};

bool crosses(const EdgeRecord& edge)
{
    return edge.edgeCase == ClipInOut || edge.edgeCase == ClipOutIn;
}

TEST(ClipRules, EachVolumeOnWorkedTrianglesToTheValue)
{
    // The program's volume cuts nothing: every pass turns the list, the last gives it back.
    const TriangleFigures gl = drawClipTriangleFigures(worked, "worked", "w");
    EXPECT_TRUE(gl.cuts.empty());
    EXPECT_TRUE(sameBits(gl.clipped, gl.triangle));
    // 0 <= z cuts A away, at t = 0.5 on both edges that cross: (0.25, 0, 0, 1) and (-0.25, 0.25,
    // 0, 1), and z <= w cuts nothing.
    ClipRules zeroOne;
    zeroOne.volume = ClipVolume::ZeroOne;
    const TriangleFigures z = drawClipTriangleFigures(worked, "worked", "w", FigureLayout::Print,
                                                      zeroOne);
    ASSERT_EQ(z.cuts.size(), 2u);
    std::vector<double> ts;
    for (const EdgeRecord& edge : z.edges[ClipNear]) {
        if (crosses(edge)) ts.push_back(edge.t);
    }
    EXPECT_EQ(ts, (std::vector<double>{0.5, 0.5}));
    // The four side passes turned the list to B, C, A: C, the cut of C -> A, the cut of A -> B, B.
    const ClipPolygon expected = {{-0.5f, 0.5f, 0.5f, 1}, {-0.25f, 0.25f, 0, 1}, {0.25f, 0, 0, 1},
                                  {0.5f, 0, 0.5f, 1}};
    EXPECT_TRUE(sameBits(z.afterPass[ClipNear], expected));
    EXPECT_TRUE(sameBits(z.clipped, z.afterPass[ClipFar]));
    EXPECT_NE(z.figures[ClipNear].summary.find("ClipNear, inside z ≥ 0: 3 vertices in, 4 out"),
              std::string::npos)
        << z.figures[ClipNear].summary;
    // Given in clip space there is no projection to mismatch: the same figures as zero-one's.
    ClipRules mismatch;
    mismatch.volume = ClipVolume::Mismatch;
    const TriangleFigures m = drawClipTriangleFigures(worked, "worked", "w", FigureLayout::Print,
                                                      mismatch);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(m.figures[i].svg, z.figures[i].svg) << i;

    // The zero-one projection: matFrustum's but for z' = -f/(f - n)·z - f·n/(f - n), rounded
    // once; the near face goes to z' = 0, the far face to z' = w.
    Matrix4 program;
    matFrustum(program, frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
               frustum.far);
    const Matrix4 p = volumeProjection(ClipVolume::ZeroOne);
    for (int k = 0; k < 16; ++k) {
        if (k != 10 && k != 14) {
            EXPECT_EQ(p.m[k], program.m[k]) << k;
        }
    }
    EXPECT_EQ(p.m[10], float(-4.0 / 3.0));
    EXPECT_EQ(p.m[14], float(-1.0 / 3.0));
    for (const float depth : {frustum.near, frustum.far}) {
        Vector4 clip;
        matTransformPoint(clip, p, {0, 0, -depth, 1});
        EXPECT_NEAR(clip.z, depth == frustum.near ? 0 : clip.w, 1e-7) << depth;
    }
    EXPECT_EQ(volumeProjection(ClipVolume::Mismatch).m[10], program.m[10]);

    // The mismatch: OpenGL's projection against 0 <= z puts the near plane at depth 2fn/(f + n).
    EXPECT_NEAR(mismatchNearDepth(), 0.4, 1e-15);
    // A corner at depth 0.3, inside the frustum: OpenGL's volume keeps it, the mismatch cuts it
    // off at depth 0.4 (w = 0.4) and loses what lies between.
    const float eye[9] = {0, 0, -0.3f, 0.1f, 0, -0.6f, -0.1f, 0.1f, -0.6f};
    ClipRules eyeMismatch;
    eyeMismatch.volume = ClipVolume::Mismatch;
    const TriangleFigures kept = drawTriangleFigures(eye, "eye", "e");
    const TriangleFigures lost = drawTriangleFigures(eye, "eye", "e", FigureLayout::Print,
                                                     eyeMismatch);
    EXPECT_TRUE(kept.cuts.empty());
    ASSERT_EQ(lost.cuts.size(), 2u);
    for (const CutPoint& cut : lost.cuts) {
        EXPECT_EQ(cut.pass, ClipNear);
        EXPECT_NEAR(lost.afterPass[ClipNear][std::size_t(lost.edges[ClipNear][std::size_t(
                        cut.edge)].appended[0])].w, 0.4, 1e-6);
    }
    ASSERT_FALSE(lost.lost.empty());
    for (const Vector4& v : lost.lost) {
        EXPECT_LE(v.z, 1e-6);
        EXPECT_TRUE(v.w >= 0.25f - 1e-6 && v.w <= 0.4f + 1e-6) << v.w;
    }
    EXPECT_NE(lost.figures[6].description.find("2fn/(f + n) = 0.4"), std::string::npos);
    EXPECT_NE(lost.figures[ClipNear].description.find("2fn/(f + n) = 0.4"), std::string::npos);
}

TEST(ClipRules, DepthClampGuardBandAndTheAttributeOnWorkedTriangles)
{
    // Depth clamp: the near and far passes hand their input on, marked, with no walk; what lies
    // nearer than the near face stays.
    const Vector4 near[3] = {{0, 0, -2, 1}, {0.5f, 0, 0.5f, 1}, {-0.5f, 0.5f, 0.5f, 1}};
    ClipRules clamp;
    clamp.depthClamp = true;
    const TriangleFigures c =
        drawClipTriangleFigures(near, "near", "n", FigureLayout::Print, clamp);
    for (int pass = 0; pass < 6; ++pass) {
        const bool z = pass == ClipNear || pass == ClipFar;
        EXPECT_EQ(c.skipped[pass], z) << pass;
        if (!z) continue;
        EXPECT_TRUE(c.edges[pass].empty());
        EXPECT_TRUE(sameBits(c.afterPass[pass], c.afterPass[pass - 1]));
        EXPECT_EQ(c.origins[pass], c.origins[pass - 1]);
    }
    EXPECT_TRUE(sameBits(c.clipped, c.afterPass[ClipTop]));
    EXPECT_EQ(c.figures[ClipNear].summary, "ClipNear, not made (depth clamp): 3 vertices passed "
                                           "on unchanged");
    EXPECT_EQ(drawStepFigure(c, ClipNear, 0, FigureLayout::Print).svg, "");
    EXPECT_NE(c.figures[6].description.find("−w ≤ x ≤ w holds for no point with w < 0"),
              std::string::npos);

    // The guard band: (3, 0, 0, 2) lies beyond x = w but within x = 2w, so G = 2 makes no cut
    // where G = 1 makes two.
    const Vector4 right[3] = {{0, 0, 0, 1}, {3, 0, 0, 2}, {0, 0.5f, 0, 1}};
    ClipRules guard;
    guard.guard = 2;
    const TriangleFigures g =
        drawClipTriangleFigures(right, "right", "r", FigureLayout::Print, guard);
    EXPECT_TRUE(g.cuts.empty());
    EXPECT_EQ(g.unguardedCuts, 2u);
    EXPECT_EQ(g.unguarded.size(), 4u);
    EXPECT_EQ(g.clipped.size(), 3u);
    EXPECT_NE(g.figures[ClipRight].summary.find("inside x ≤ 2w"), std::string::npos);
    EXPECT_NE(g.figures[6].summary.find("guard band 2: 0 cuts made, 2 with G = 1"),
              std::string::npos)
        << g.figures[6].summary;

    // u through the cut: (0, 0, 0, 3) to (2, 0, 0, 1) crosses x = w at t = 0.75, so u = 0 and 0.5
    // give 0.375 there; the divided edge (0 to 2 in x/w) meets x/w = 1 half way, 0.25. The edge
    // to (0, 0.5, 0, 1), whose ends share w = 1, gives the same u both ways.
    const Vector4 attribute[3] = {{0, 0, 0, 3}, {2, 0, 0, 1}, {0, 0.5f, 0, 1}};
    ClipRules u;
    u.attribute = true;
    const TriangleFigures a = drawClipTriangleFigures(attribute, "u", "u", FigureLayout::Print, u);
    EXPECT_EQ(a.attributes[ClipRight], (std::vector<float>{0.75f, 1, 0, 0.375f}));
    EXPECT_EQ(a.clippedAttributes, (std::vector<float>{0.75f, 1, 0, 0.375f}));
    const std::vector<std::string> step = stepText(a, ClipRight, 2);
    ASSERT_GE(step.size(), 4u);
    EXPECT_EQ(step[3], "u(I) = u(P) + t·(u(Q) − u(P)) = 0.375, from u(P) = 0, u(Q) = 0.5 and t = "
                       "0.75: the same t that cuts x, y, z and w.");
    const std::string& final = a.figures[6].description;
    EXPECT_NE(final.find("u at a: 0.75 by the clipper's t; the divided edge's parameter, 0.5, "
                         "would give 0.75."), std::string::npos) << final;
    EXPECT_NE(final.find("u at b: 0.375 by the clipper's t; the divided edge's parameter, 0.5, "
                         "would give 0.25."), std::string::npos) << final;
    // The attribute alone leaves the walk the program's.
    const TriangleFigures plain = drawClipTriangleFigures(attribute, "u", "u");
    for (int pass = 0; pass < 6; ++pass) {
        EXPECT_EQ(edgesJson(a.edges[pass]), edgesJson(plain.edges[pass]));
        EXPECT_TRUE(sameBits(a.afterPass[pass], plain.afterPass[pass]));
    }
}

// The area of a polygon in clip space once divided by w (none of its w <= 0).
double dividedArea(const ClipPolygon& polygon)
{
    double area = 0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vector4 &p = polygon[i], &q = polygon[(i + 1) % polygon.size()];
        area += double(p.x) / p.w * (double(q.y) / q.w) - double(q.x) / q.w * (double(p.y) / p.w);
    }
    return std::fabs(area) / 2;
}

// How far the divided point v lies from the divided polygon's boundary.
double distanceToBoundary(const Vector4& v, const ClipPolygon& polygon)
{
    const double x = double(v.x) / v.w, y = double(v.y) / v.w;
    double best = INFINITY;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vector4 &p = polygon[i], &q = polygon[(i + 1) % polygon.size()];
        const double ax = double(p.x) / p.w, ay = double(p.y) / p.w;
        const double bx = double(q.x) / q.w, by = double(q.y) / q.w;
        const double dx = bx - ax, dy = by - ay, length = dx * dx + dy * dy;
        const double t = length > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / length, 0.0, 1.0)
                                    : 0;
        best = std::min(best, std::hypot(x - (ax + t * dx), y - (ay + t * dy)));
    }
    return best;
}

TEST(GuardBand, InsideTheViewportThePictureIsTheUnguardedOneOverManyTriangles)
{
    std::mt19937 random(31);
    std::uniform_real_distribution<float> coordinate(-3, 3), depth(-2.5f, 0.5f);
    const std::vector<WalkPlane> viewport(programPlanes, programPlanes + 4);
    int compared = 0;
    for (int n = 0; n < 600; ++n) {
        const float corners[9] = {coordinate(random), coordinate(random), depth(random),
                                  coordinate(random), coordinate(random), depth(random),
                                  coordinate(random), coordinate(random), depth(random)};
        ClipRules rules;
        rules.guard = 2 << (n % 3);
        rules.volume = n % 2 ? ClipVolume::ZeroOne : ClipVolume::Gl;
        rules.depthClamp = n % 5 == 0;
        const TriangleFigures drawn = drawTriangleFigures(corners, "g", "g", FigureLayout::Print,
                                                          rules);
        ASSERT_TRUE(drawn.passesAgree);
        // What the rasteriser draws of the guarded polygon: its part inside the viewport.
        const ClipPolygon seen = walkPlanes(drawn.clipped, viewport).after.back();
        const ClipPolygon& unguarded = drawn.unguarded;
        bool atEye = false;
        for (const ClipPolygon* polygon : {&seen, &unguarded}) {
            for (const Vector4& v : *polygon) atEye = atEye || !(v.w > 1e-4f);
        }
        if (atEye) continue;  // a vertex at the eye: no divided picture to compare
        ASSERT_EQ(seen.empty(), unguarded.empty()) << triangleText(corners);
        if (seen.empty()) continue;
        ++compared;
        const double area = dividedArea(unguarded);
        EXPECT_NEAR(dividedArea(seen), area, 1e-5 * (1 + area)) << triangleText(corners);
        for (const Vector4& v : seen) {
            EXPECT_LT(distanceToBoundary(v, unguarded), 1e-4) << triangleText(corners);
        }
        for (const Vector4& v : unguarded) {
            EXPECT_LT(distanceToBoundary(v, seen), 1e-4) << triangleText(corners);
        }
        if (::testing::Test::HasFailure()) return;
    }
    EXPECT_GT(compared, 200);
}

// The explorer's corners between eye and clip space: each volume by its own projection, so that
// a corner typed in clip space under zero-one is shown where zero-one's projection puts it.
TEST(ClipRules, CornersGoBetweenEyeAndClipSpaceByTheVolumesOwnProjection)
{
    // Hand-worked for n = 0.25, f = 1: w_eye = -(f - n)/(f·n)·z' + w'/n = -3·z' + 4·w'.
    const Matrix4 inverse = volumeProjectionInverse(ClipVolume::ZeroOne);
    EXPECT_EQ(inverse.m[11], -3.0f);
    EXPECT_EQ(inverse.m[15], 4.0f);
    // zero-one's near plane z' = 0 is the near face, depth 0.25; OpenGL's projection puts z' = 0
    // at the mismatch's depth 0.4.
    EXPECT_NEAR(eyeCorner({0, 0, 0, 0.25f}, 0, ClipVolume::ZeroOne).z, -0.25, 1e-7);
    EXPECT_NEAR(eyeCorner({0, 0, 0, 0.4f}, 0, ClipVolume::Gl).z, -0.4, 1e-7);
    EXPECT_NEAR(eyeCorner({0, 0, 0, 0.4f}, 0, ClipVolume::Mismatch).z, -0.4, 1e-7);

    // Any point and weight, projected and mapped back, is that point with that weight.
    std::mt19937 random(29);
    std::uniform_real_distribution<float> coordinate(-2, 2), weight(0.1f, 3);
    for (int i = 0; i < 1000; ++i) {
        const float x = coordinate(random), y = coordinate(random), z = coordinate(random);
        const double w = (i % 2 ? -1 : 1) * weight(random);
        if (std::fabs(z) < 1e-3f) continue;  // at the eye plane w' = 0: no weight to map back
        for (ClipVolume volume : {ClipVolume::Gl, ClipVolume::ZeroOne, ClipVolume::Mismatch}) {
            const EyeCorner back = eyeCorner(clipCorner(x, y, z, w, volume), 0, volume);
            ASSERT_TRUE(back.shown) << i;
            EXPECT_NEAR(back.weight, w, 1e-4 * std::fabs(w)) << i;
            EXPECT_NEAR(back.x, x, 1e-4 * (1 + std::fabs(x))) << i;
            EXPECT_NEAR(back.y, y, 1e-4 * (1 + std::fabs(y))) << i;
            EXPECT_NEAR(back.z, z, 1e-4 * (1 + std::fabs(z))) << i;
        }
    }

    // With weight 1 a corner lands on the bits the figures project it to, and a walkthrough
    // triangle is found from them under its volume only.
    ClipRules zeroOne;
    zeroOne.volume = ClipVolume::ZeroOne;
    for (const WalkthroughTriangle& triangle : walkthroughTriangles) {
        const TriangleFigures drawn = drawTriangleFigures(triangle.corners, triangle.title,
                                                          triangle.stem, FigureLayout::Print,
                                                          zeroOne);
        Vector4 clip[3];
        for (int k = 0; k < 3; ++k) {
            const float* c = triangle.corners + 3 * k;
            clip[k] = clipCorner(c[0], c[1], c[2], 1, ClipVolume::ZeroOne);
            EXPECT_TRUE(sameBits(ClipPolygon{clip[k]}, ClipPolygon{drawn.triangle[k]}))
                << triangle.stem << " " << k;
        }
        EXPECT_EQ(findWalkthroughClipTriangle(clip, ClipVolume::ZeroOne), &triangle);
        EXPECT_EQ(findWalkthroughClipTriangle(clip), nullptr) << triangle.stem;
    }
}

} // namespace
