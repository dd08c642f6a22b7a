// The homogeneous clipper: hand-worked cases to the bit, properties over many random triangles
// checked against clipping after the division by w, and inputs that would overflow arrays sized
// for convex polygons.
#include "clip/clip.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

using Polygon = std::vector<Vector4>;

float fromBits(uint32_t bits)
{
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

bool sameBits(const Vector4& a, const Vector4& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string show(const Polygon& polygon)
{
    std::string s;
    for (const Vector4& v : polygon) {
        char buffer[96];
        std::snprintf(buffer, sizeof buffer, "(%.9g, %.9g, %.9g, %.9g) ", v.x, v.y, v.z, v.w);
        s += buffer;
    }
    return s;
}

Polygon clipPlane(const Polygon& input, ClipPlane plane)
{
    Polygon output(clipPassCapacity(int(input.size())) + 1);
    const int n = clipToPlane(input.data(), int(input.size()), output.data(), plane);
    output.resize(size_t(n));
    return output;
}

Polygon clipFrustum(const Polygon& input)
{
    Vector4* result = nullptr;
    const int n = clipToFrustum(input.data(), int(input.size()), &result);
    EXPECT_NE(result, nullptr) << "the result array is handed over on every call";
    Polygon output(result, result + std::max(n, 0));
    delete[] result;
    return output;
}

void expectPolygon(const Polygon& actual, const Polygon& expected)
{
    ASSERT_EQ(actual.size(), expected.size()) << show(actual);
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_TRUE(sameBits(actual[i], expected[i]))
            << "vertex " << i << ": got " << show(actual) << "\nwant " << show(expected);
}

TEST(ClipToPlane, WorkedCasesToTheBit)
{
    struct Case {
        const char* what;
        ClipPlane plane;
        Polygon input, expected;
    };
    const Case cases[] = {
        {"one cut on each crossing edge", ClipRight,
         {{0, 0, 0, 1}, {3, 0, 0, 2}, {0, 0.5f, 0, 1}},
         {{1.5f, 0, 0, 1.5f}, {1.5f, 0.25f, 0, 1.5f}, {0, 0.5f, 0, 1}, {0, 0, 0, 1}}},
        {"a lower plane", ClipLeft,
         {{0, 0, 0, 1}, {-3, 0, 0, 1}, {0, 0.5f, 0, 1}},
         {{-1, 0, 0, 1}, {-1, float(1.0 / 3.0), 0, 1}, {0, 0.5f, 0, 1}, {0, 0, 0, 1}}},
        {"a vertex on the plane is inside", ClipRight,
         {{1, 0, 0, 1}, {0, 0, 0, 1}, {0, 1, 0, 1}},
         {{0, 0, 0, 1}, {0, 1, 0, 1}, {1, 0, 0, 1}}},
        {"the only inside vertex on the plane", ClipRight,
         {{1, 0, 0, 1}, {2, 0, 0, 1}, {2, 1, 0, 1}},
         {{1, 0, 0, 1}, {1, 0, 0, 1}, {1, 0, 0, 1}}},
        {"wholly outside", ClipTop, {{0, 2, 0, 1}, {1, 3, 0, 1}, {0, 5, 0, 2}}, {}},
        {"wholly inside comes back rotated by one", ClipFar,
         {{0.1f, 0.2f, 0.3f, 1}, {-0.7f, 0, 0.9f, 1}, {0, 0, -5, 1}},
         {{-0.7f, 0, 0.9f, 1}, {0, 0, -5, 1}, {0.1f, 0.2f, 0.3f, 1}}},
        {"n = 1 inside", ClipNear, {{0, 0, -1, 1}}, {{0, 0, -1, 1}}},
        {"n = 1 outside", ClipNear, {{0, 0, -1.5f, 1}}, {}},
        {"n = 2 walks there and back", ClipRight,
         {{0, 0, 0, 1}, {2, 0, 0, 1}},
         {{1, 0, 0, 1}, {1, 0, 0, 1}, {0, 0, 0, 1}}},
        {"negative w needs no division", ClipLeft,
         {{-0.5f, 0, 0, -1}, {0, 0, 0, 1}, {0, 0.5f, 0, 1}},
         {{-0.2f, 0, 0, 0.2f}, {0, 0, 0, 1}, {0, 0.5f, 0, 1}, {-0.2f, 0.3f, 0, 0.2f}}},
        {"bottom and its mirror", ClipBottom,
         {{0, 0, 0, 1}, {0, -3, 0, 1}, {0.5f, 0, 0, 1}},
         {{0, -1, 0, 1}, {float(1.0 / 3.0), -1, 0, 1}, {0.5f, 0, 0, 1}, {0, 0, 0, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        expectPolygon(clipPlane(c.input, c.plane), c.expected);
    }
}

// Cut vertices whose bits come out different when the same formulas run in float arithmetic
// (expectations worked out separately in double precision, rounded once per component).
TEST(ClipToPlane, CutsAreComputedInDoubleAndRoundedOnce)
{
    const Vector4 p = {-0.6373178362846375f, 2.2385780811309814f, 1.7737538814544678f,
                       0.5628204941749573f};
    const Vector4 q = {2.9287736415863037f, 2.8590312004089355f, 1.6156901121139526f,
                       1.4233440160751343f};
    const Vector4 r = {-0.37002360820770264f, -0.9399970769882202f, 1.1135250329971313f,
                       0.5893266797065735f};
    const Vector4 cutPQ = {fromBits(0x3f71ccdf), fromBits(0x4020e216), fromBits(0x3fda10df),
                           fromBits(0x3f71ccdf)};
    const Vector4 cutQR = {fromBits(0x3f69f85b), fromBits(0x3f09e68b), fromBits(0x3fa78ca4),
                           fromBits(0x3f69f85b)};
    expectPolygon(clipPlane({p, q, r}, ClipRight), {cutPQ, cutQR, r, p});
    // In float arithmetic the first cut would have x = 0x3f71cce1 and z = 0x3fda10de.
}

TEST(ClipToPlane, NaNComparesAsInside)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Polygon withNaN = {{nan, 0, 0, 1}, {0, 0, 0, 1}, {0, 0.5f, 0, 1}};
    const Polygon out = clipPlane(withNaN, ClipRight);
    ASSERT_EQ(out.size(), 3u);  // nothing cut: every vertex counts as inside
    EXPECT_TRUE(std::isnan(out[2].x));
}

TEST(ClipToPlane, NonPositiveCountWritesNothing)
{
    const Vector4 sentinel = {7, 7, 7, 7};
    Polygon output(4, sentinel);
    const Polygon input = {{0, 0, 0, 1}};
    for (int n : {0, -1, -100}) {
        EXPECT_EQ(clipToPlane(input.data(), n, output.data(), ClipLeft), 0);
        for (const Vector4& v : output) EXPECT_TRUE(sameBits(v, sentinel));
    }
}

// P on the plane, Q outside by a denormal: in double, ((Q.x - P.x) - Q.w) + P.w rounds to 0 and
// the cut would be 0 / 0. It stays on the edge instead: here at P itself.
TEST(ClipToPlane, ExtremeMagnitudeRatioKeepsTheCutOnTheEdge)
{
    const float a = 0.0462009795f;
    const Vector4 p = {a, a, a, a};
    const Vector4 q = {9.40395481e-38f, 0, 0, -0.0f};
    const Vector4 r = {0, 0, 0, a};
    const Polygon out = clipPlane({p, q, r}, ClipRight);
    ASSERT_EQ(out.size(), 4u) << show(out);
    EXPECT_TRUE(sameBits(out[0], p)) << show(out);
    for (const Vector4& v : out) EXPECT_FALSE(std::isnan(v.x + v.y + v.z + v.w)) << show(out);
}

// Each edge's decision against hand-worked values (d by its definition, t = d(P) / (d(P) - d(Q))),
// and the edges replayed in walk order give clipToPlane's output.
TEST(ClipEdge, DecidesEachEdgeAsTheClipperDoes)
{
    const double none = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        ClipPlane plane;
        Vector4 p, q;
        ClipEdgeCase edgeCase;
        double dP, dQ, t;
        Polygon appended;
    };
    const Case cases[] = {  // the first three: the edges of (0,0,0,1), (3,0,0,2), (0,0.5,0,1)
        {ClipRight, {0, 0, 0, 1}, {3, 0, 0, 2}, ClipInOut, 1, -1, 0.5, {{1.5f, 0, 0, 1.5f}}},
        {ClipRight, {3, 0, 0, 2}, {0, 0.5f, 0, 1}, ClipOutIn, -1, 1, 0.5,
         {{1.5f, 0.25f, 0, 1.5f}, {0, 0.5f, 0, 1}}},
        {ClipRight, {0, 0.5f, 0, 1}, {0, 0, 0, 1}, ClipInIn, 1, 1, none, {{0, 0, 0, 1}}},
        {ClipRight, {3, 0, 0, 2}, {2, 0, 0, 1}, ClipOutOut, -1, -1, none, {}},
        {ClipTop, {0, 1, 0, 1}, {0, 2, 0, 1}, ClipInOut, 0, -1, 0, {{0, 1, 0, 1}}},  // P on it
        {ClipLeft, {-0.5f, 0, 0, -1}, {0, 0, 0, 1}, ClipOutIn, -1.5, 1, 0.6,  // P behind the eye
         {{-0.2f, 0, 0, 0.2f}, {0, 0, 0, 1}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(show({c.p, c.q}));
        const ClipEdge edge = clipEdge(c.p, c.q, c.plane);
        EXPECT_EQ(edge.edgeCase, c.edgeCase);
        EXPECT_EQ(clipDistance(c.p, c.plane), c.dP);
        EXPECT_EQ(clipDistance(c.q, c.plane), c.dQ);
        EXPECT_TRUE(std::isnan(c.t) ? std::isnan(edge.t) : edge.t == c.t) << edge.t;
        expectPolygon(Polygon(edge.appended, edge.appended + edge.count), c.appended);
    }

    std::mt19937 random(7);
    std::uniform_real_distribution<float> uniform(-2, 2);
    for (int trial = 0; trial < 3000 && !HasFailure(); ++trial) {
        Polygon triangle(3), replayed;
        for (Vector4& v : triangle)
            v = {uniform(random), uniform(random), uniform(random), uniform(random)};
        const ClipPlane plane = ClipPlane(trial % 6);
        for (int i = 0; i < 3; ++i) {
            const ClipEdge edge = clipEdge(triangle[i], triangle[(i + 1) % 3], plane);
            replayed.insert(replayed.end(), edge.appended, edge.appended + edge.count);
        }
        expectPolygon(replayed, clipPlane(triangle, plane));
    }
}

TEST(ClipToFrustum, WorkedCases)
{
    // Only the right plane cuts; the other five passes rotate the list by one place each.
    expectPolygon(clipFrustum({{0, 0, 0, 1}, {3, 0, 0, 2}, {0, 0.5f, 0, 1}}),
                  {{1.5f, 0.25f, 0, 1.5f}, {0, 0.5f, 0, 1}, {0, 0, 0, 1}, {1.5f, 0, 0, 1.5f}});

    // A vertex behind the eye: cut by left, then by top.
    const Polygon behind = clipFrustum({{-0.5f, 0, 0, -1}, {0, 0, 0, 1}, {0, 0.5f, 0, 1}});
    const Polygon expected = {{-0.2f, 0, 0, 0.2f}, {0, 0, 0, 1}, {0, 0.5f, 0, 1},
                              {-1.0f / 6, 1.0f / 3, 0, 1.0f / 3}, {-0.2f, 0.2f, 0, 0.2f}};
    ASSERT_EQ(behind.size(), expected.size()) << show(behind);
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_FLOAT_EQ(behind[i].x, expected[i].x) << i;
        EXPECT_FLOAT_EQ(behind[i].y, expected[i].y) << i;
        EXPECT_FLOAT_EQ(behind[i].z, expected[i].z) << i;
        EXPECT_FLOAT_EQ(behind[i].w, expected[i].w) << i;
    }

    // Cut by left, right, top and far in turn (w = 1 throughout: the cube from -1 to 1 in plain
    // terms), each pass starting its list where its first edge takes it; worked out in exact
    // fractions (left gives 4 vertices, right 5, top 4, far 3). In another order the list starts
    // elsewhere or rounding shows: of the 15 swaps of two passes, all but bottom with top change
    // the bits; the next case catches that one.
    expectPolygon(clipFrustum({{-4, 0, -2.75f, 1}, {1.5f, 3.5f, -2.25f, 1}, {-0.25f, 0.25f, 4, 1}}),
                  {{-1, 0.75f, 1, 1}, {-1, 1, 0.25f, 1}, {-0.625f, 1, 1, 1}});

    // Cut by bottom and top, whose order only the list's start shows (w = 1, z = 0, x inside).
    // Left and right turn (0,-5), (0,3), (1/2,3) to start at (1/2,3). Bottom cuts (1/2,3)->(0,-5)
    // and (0,-5)->(0,3) at t = 4/8: (1/4,-1), (0,-1), (0,3), (1/2,3). Top cuts (0,-1)->(0,3) and
    // (1/2,3)->(1/4,-1) at t = 2/4: (0,-1), (0,1), (3/8,1), (1/4,-1). Near and far turn it by
    // two places. Top before bottom gives the same four points starting at (0,1).
    expectPolygon(clipFrustum({{0, -5, 0, 1}, {0, 3, 0, 1}, {0.5f, 3, 0, 1}}),
                  {{0.375f, 1, 0, 1}, {0.25f, -1, 0, 1}, {0, -1, 0, 1}, {0, 1, 0, 1}});

    // Wholly outside one plane: nothing, but still an array to free.
    EXPECT_TRUE(clipFrustum({{0, 0, 2, 1}, {1, 0, 3, 1}, {0, 1, 5, 1}}).empty());
    // No vertices at all.
    EXPECT_TRUE(clipFrustum({}).empty());
    Vector4* result = nullptr;
    EXPECT_EQ(clipToFrustum(nullptr, -5, &result), 0);
    EXPECT_NE(result, nullptr);
    delete[] result;
}

// --- Properties over random triangles -------------------------------------------------------

struct Point3 {
    double x, y, z;
};

// Clipping done another way, for triangles wholly in front of the eye (w > 0): divide by w
// first, then clip against the cube's six faces in ordinary coordinates, in double.
std::vector<Point3> clipAfterDivision(const Polygon& triangle)
{
    std::vector<Point3> polygon;
    for (const Vector4& v : triangle)
        polygon.push_back({double(v.x) / v.w, double(v.y) / v.w, double(v.z) / v.w});
    for (int axis = 0; axis < 3; ++axis) {
        for (double bound : {-1.0, 1.0}) {
            auto value = [&](const Point3& p) { return axis == 0 ? p.x : axis == 1 ? p.y : p.z; };
            auto inside = [&](const Point3& p) { return bound < 0 ? value(p) >= -1 : value(p) <= 1; };
            std::vector<Point3> next;
            for (size_t i = 0; i < polygon.size(); ++i) {
                const Point3& a = polygon[i];
                const Point3& b = polygon[(i + 1) % polygon.size()];
                if (inside(a)) next.push_back(a);
                if (inside(a) != inside(b)) {
                    const double s = (bound - value(a)) / (value(b) - value(a));
                    next.push_back({a.x + (b.x - a.x) * s, a.y + (b.y - a.y) * s,
                                    a.z + (b.z - a.z) * s});
                }
            }
            polygon = next;
        }
    }
    return polygon;
}

// The area of a planar polygon in space: half the length of the summed cross products.
double area(const std::vector<Point3>& polygon)
{
    double sx = 0, sy = 0, sz = 0;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const Point3& a = polygon[i];
        const Point3& b = polygon[(i + 1) % polygon.size()];
        sx += a.y * b.z - a.z * b.y;
        sy += a.z * b.x - a.x * b.z;
        sz += a.x * b.y - a.y * b.x;
    }
    return 0.5 * std::sqrt(sx * sx + sy * sy + sz * sz);
}

bool insideVolume(const Vector4& v, double slack)
{
    const double w = v.w, tolerance = slack * (std::fabs(w) + 1e-30);
    for (double c : {double(v.x), double(v.y), double(v.z)})
        if (c < -w - tolerance || c > w + tolerance) return false;
    return true;
}

class RandomTriangles : public ::testing::Test {
protected:
    std::mt19937 random{20261209};  // fixed seed: every run checks the same triangles
    float uniform(float low, float high)
    {
        return std::uniform_real_distribution<float>(low, high)(random);
    }
    Vector4 vertex(float spread, float wLow, float wHigh)
    {
        const float w = uniform(wLow, wHigh);
        return {uniform(-spread, spread) * w, uniform(-spread, spread) * w,
                uniform(-spread, spread) * w, w};
    }
};

TEST_F(RandomTriangles, OutputLiesInsideTheClipVolume)
{
    for (int trial = 0; trial < 20000; ++trial) {
        // Half of them reach behind the eye.
        const float wLow = trial % 2 ? -2.0f : 0.05f;
        const Polygon triangle = {vertex(2, wLow, 2), vertex(2, wLow, 2), vertex(2, wLow, 2)};
        const Polygon clipped = clipFrustum(triangle);
        ASSERT_LE(clipped.size(), 9u) << "a triangle gains at most one vertex per plane";
        for (const Vector4& v : clipped) {
            ASSERT_TRUE(insideVolume(v, 1e-5)) << "trial " << trial << ": " << show(clipped);
            ASSERT_GE(v.w, 0.0f) << "no point with w < 0 is in the clip volume";
        }
    }
}

TEST_F(RandomTriangles, WhollyInsideComesBackUnchangedInItsOwnOrder)
{
    for (int trial = 0; trial < 5000; ++trial) {
        const Polygon triangle = {vertex(0.99f, 0.1f, 3), vertex(0.99f, 0.1f, 3),
                                  vertex(0.99f, 0.1f, 3)};
        expectPolygon(clipFrustum(triangle), triangle);
        if (HasFailure()) return;
    }
}

TEST_F(RandomTriangles, WhollyOutsideOnePlaneGivesNothing)
{
    for (int trial = 0; trial < 5000; ++trial) {
        Polygon triangle = {vertex(3, 0.1f, 2), vertex(3, 0.1f, 2), vertex(3, 0.1f, 2)};
        const int plane = trial % 6;
        const bool upper = plane % 2 == 1;
        for (Vector4& v : triangle) {  // push every corner beyond the plane
            float& c = plane < 2 ? v.x : plane < 4 ? v.y : v.z;
            c = (upper ? 1 : -1) * v.w * uniform(1.01f, 4);
        }
        EXPECT_TRUE(clipPlane(triangle, ClipPlane(plane)).empty()) << show(triangle);
        EXPECT_TRUE(clipFrustum(triangle).empty()) << show(triangle);
    }
}

TEST_F(RandomTriangles, AreaMatchesClippingAfterTheDivision)
{
    int cut = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        const Polygon triangle = {vertex(1.6f, 0.2f, 2), vertex(1.6f, 0.2f, 2),
                                  vertex(1.6f, 0.2f, 2)};
        const Polygon clipped = clipFrustum(triangle);
        std::vector<Point3> divided;
        for (const Vector4& v : clipped)
            divided.push_back({double(v.x) / v.w, double(v.y) / v.w, double(v.z) / v.w});
        const double expected = area(clipAfterDivision(triangle));
        ASSERT_NEAR(area(divided), expected, 1e-5 + 1e-4 * expected)
            << "trial " << trial << ": " << show(triangle);
        cut += clipped.size() != 3;
    }
    EXPECT_GT(cut, 5000) << "most of these triangles should cross a plane";
}

// --- Inputs beyond convex triangles -----------------------------------------------------------

// Alternating inside and outside the right plane: every edge crosses, so a pass writes half as
// many vertices again as it was given, more than n + 1.
Polygon zigZag(int n)
{
    Polygon polygon;
    for (int i = 0; i < n; ++i) polygon.push_back({i % 2 ? 2.0f : 0.5f, -0.9f + 1.8f * i / n, 0, 1});
    return polygon;
}

TEST(ClipCapacity, ZigZagGrowsByHalfAndStaysInItsArrays)
{
    for (int n : {4, 5, 64, 1001}) {
        const Polygon input = zigZag(n);
        const Polygon once = clipPlane(input, ClipRight);
        const long long inside = (n + 1) / 2, crossing = 2 * (n / 2);
        EXPECT_EQ(static_cast<long long>(once.size()), inside + crossing);
        EXPECT_LE(static_cast<long long>(once.size()), clipPassCapacity(n));
        // Through all six passes the result exceeds n + 6 vertices.
        const Polygon all = clipFrustum(input);
        EXPECT_EQ(all.size(), once.size());
        for (const Vector4& v : all) EXPECT_TRUE(insideVolume(v, 1e-6));
    }
}

// Each of the six passes can grow what it is given by half (clipPassCapacity): the arrays of
// clipToFrustum must hold what all six together can make, never less than n + 6, the most a
// convex polygon comes to.
TEST(ClipCapacity, FrustumArraysHoldWhatSixPassesCanGrow)
{
    EXPECT_EQ(clipFrustumCapacity(3), 28);
    for (int n = -2; n <= 3000; ++n) {
        long long grown = n > 0 ? n : 0;
        for (int pass = 0; pass < 6; ++pass) grown = clipPassCapacity(int(grown));
        const long long start = n > 0 ? n : 0;
        EXPECT_GE(clipFrustumCapacity(n), std::max(grown, start + 6)) << n;
    }
}

TEST(ClipCapacity, StarShapedPolygonCutByEveryPlane)
{
    // A star whose spikes poke through all six faces: each pass can add many vertices.
    Polygon star;
    const int spikes = 40;
    for (int i = 0; i < 2 * spikes; ++i) {
        const double angle = M_PI * i / spikes;
        const float radius = i % 2 ? 0.3f : 2.5f;
        star.push_back({float(radius * std::cos(angle)), float(radius * std::sin(angle)),
                        float(radius * std::sin(3 * angle)), 1});
    }
    const Polygon clipped = clipFrustum(star);
    EXPECT_GT(clipped.size(), star.size() + 6);
    for (const Vector4& v : clipped) EXPECT_TRUE(insideVolume(v, 1e-6)) << show({v});
}

// A triangle of finite values that rounding takes past the 3 + 6 vertices a convex polygon can
// reach: with magnitudes from 1e-44 to 1e28, cut vertices round to (0, 0, 0, 0) and to points
// that later planes cut again. (Found by the fuzzer.) It must stay within its arrays.
TEST(ClipCapacity, RoundingTakesATriangleBeyondNineVertices)
{
    const Polygon triangle = {
        {0.1f, 0.2f, 0.3f, -3.022314549036573e+23f},
        {8.828180325246348e-44f, 2.6764800668604006e-43f, -1.1911320041406904e-23f,
         -8.688050478813866e-44f},
        {2.2922440279425358e-41f, 6.851788971162626e-41f, 2.715360727650046e+23f,
         7.118158531547475e+28f},
    };
    const Polygon clipped = clipFrustum(triangle);
    EXPECT_EQ(clipped.size(), 10u) << show(clipped);
    EXPECT_LE(static_cast<long long>(clipped.size()), clipFrustumCapacity(3));
    // Inside up to rounding at the scale of the largest input, 7e28.
    const double slack = 1e-6 * 7.2e28;
    for (const Vector4& v : clipped)
        for (double c : {double(v.x), double(v.y), double(v.z)})
            EXPECT_TRUE(c >= -double(v.w) - slack && c <= double(v.w) + slack) << show({v});
}

TEST(ClipCapacity, NonFiniteAndExtremeValuesDoNotEscapeTheArrays)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float big = std::numeric_limits<float>::max();
    const float tiny = std::numeric_limits<float>::denorm_min();
    const std::vector<Polygon> inputs = {
        {{inf, 0, 0, 1}, {0, 0, 0, 1}, {0, -inf, 0, 1}},
        {{nan, nan, nan, nan}, {1, 2, 3, 4}, {-inf, inf, nan, 0}},
        {{big, -big, big, tiny}, {-big, big, -big, tiny}, {tiny, tiny, tiny, -big}},
        {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}},
        {{tiny, -tiny, tiny, tiny}, {-tiny, tiny, -tiny, -tiny}, {2 * tiny, 0, 0, tiny}},
    };
    for (const Polygon& input : inputs) {
        const Polygon clipped = clipFrustum(input);
        EXPECT_LE(static_cast<long long>(clipped.size()), 28) << show(input);
    }
}

TEST(ClipCapacity, NearlyPlanarPolygonScatteredByRounding)
{
    // Vertices within a few ulps of the plane x = w fall on both sides of it in turn.
    std::mt19937 random(42);
    for (int trial = 0; trial < 200; ++trial) {
        Polygon polygon;
        for (int i = 0; i < 50; ++i) {
            const float w = 0.5f + std::uniform_real_distribution<float>(0, 1)(random);
            const float x = std::nextafter(w, i % 2 ? 2 * w : 0.0f);
            polygon.push_back({x, float(i) / 50 * w, 0, w});
        }
        const Polygon clipped = clipFrustum(polygon);
        EXPECT_LE(static_cast<long long>(clipped.size()), clipPassCapacity(50));
    }
}

} // namespace
