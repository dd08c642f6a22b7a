// The homogeneous clipper: one pass per plane on (x, y, z, w), each walking the polygon's edges
// and keeping what lies inside, never dividing by w, so vertices behind the eye (w < 0) and in
// the eye plane (w = 0) need no special case.
#include "clip/clip.h"

#include <algorithm>
#include <limits>

namespace {

// A plane as data: the coordinate it bounds and whether it is the upper bound (c <= w) or the
// lower one (-w <= c).
struct PlaneTest {
    float Vector4::*coordinate;
    bool upper;
};

// Indexed by ClipPlane.
constexpr PlaneTest planeTests[6] = {
    {&Vector4::x, false}, {&Vector4::x, true},  // left, right
    {&Vector4::y, false}, {&Vector4::y, true},  // bottom, top
    {&Vector4::z, false}, {&Vector4::z, true},  // near, far
};

// Strict, on the stored floats (negating w is exact): on the plane is inside, and so is anything
// compared with a NaN, since every comparison with a NaN is false.
bool isOutside(const Vector4& v, const PlaneTest& plane)
{
    const float c = v.*plane.coordinate;
    return plane.upper ? c > v.w : -v.w > c;
}

// The fraction of the way from P towards Q at which d = c + w (lower) or d = w - c (upper)
// vanishes: t = d(P) / (d(P) - d(Q)), in double, in this exact operand order. The
// interpolation always runs from the edge's start P towards its end Q, whichever of the two is
// inside, so the bits of a cut vertex are fixed by the edge alone.
double crossing(const Vector4& p, const Vector4& q, const PlaneTest& plane)
{
    const double pc = p.*plane.coordinate, qc = q.*plane.coordinate;
    const double pw = p.w, qw = q.w;
    double numerator, denominator;
    if (plane.upper) {
        numerator = pw - pc;
        denominator = ((qc - pc) - qw) + pw;
    } else {
        numerator = (-pw) - pc;
        denominator = ((qc - pc) + qw) - pw;
    }
    double t = numerator / denominator;
    // With these operands exact in double, |numerator| <= |denominator| and t lies in [0, 1].
    // Only coordinates some 2^29 apart in magnitude round, and then the denominator can come
    // out too small or 0 (0 / 0 when P lies on the plane): keep the cut on the edge instead of
    // beyond it or NaN. Ordinary input never reaches either branch, so its bits are unchanged.
    if (!(t >= 0.0)) t = 0.0;
    if (t > 1.0) t = 1.0;
    return t;
}

// Each component: difference, product, sum, all in double, rounded to float once.
Vector4 interpolate(const Vector4& p, const Vector4& q, double t)
{
    Vector4 i;
    i.x = float((double(q.x) - p.x) * t + p.x);
    i.y = float((double(q.y) - p.y) * t + p.y);
    i.z = float((double(q.z) - p.z) * t + p.z);
    i.w = float((double(q.w) - p.w) * t + p.w);
    return i;
}

} // namespace

long long clipPassCapacity(int n)
{
    return n <= 0 ? 0 : static_cast<long long>(n) + n / 2;
}

ClipEdge clipEdge(const Vector4& p, const Vector4& q, ClipPlane plane)
{
    const PlaneTest& test = planeTests[plane];
    // Both ends are tested afresh on every edge; nothing is carried from the edge before.
    const bool pOutside = isOutside(p, test);
    const bool qOutside = isOutside(q, test);
    ClipEdge edge;
    edge.edgeCase = ClipEdgeCase(int(pOutside) << 1 | int(qOutside));
    edge.t = std::numeric_limits<double>::quiet_NaN();
    edge.count = 0;
    if (pOutside != qOutside) {
        edge.t = crossing(p, q, test);
        edge.appended[0] = interpolate(p, q, edge.t);
        edge.count = 1;
    }
    if (!qOutside) edge.appended[edge.count++] = q;
    return edge;
}

double clipDistance(const Vector4& v, ClipPlane plane)
{
    const PlaneTest& test = planeTests[plane];
    const double c = v.*test.coordinate, w = v.w;
    return test.upper ? w - c : c + w;
}

int clipToPlane(const Vector4* input, int n, Vector4* output, ClipPlane plane)
{
    if (n <= 0) return 0;
    int count = 0;
    for (int i = 0; i < n; ++i) {
        const Vector4& p = input[i];
        const Vector4& q = input[i + 1 < n ? i + 1 : 0];  // the last edge closes the polygon
        const ClipEdge edge = clipEdge(p, q, plane);
        if (edge.count > 0) output[count] = edge.appended[0];
        if (edge.count > 1) output[count + 1] = edge.appended[1];
        count += edge.count;
    }
    return count;
}

int clipPolygon(Vector4* work, Vector4* spare, int n)
{
    // Six passes in the fixed order, back and forth between the two arrays: left A->B, right
    // B->A, bottom A->B, top B->A, near A->B, far B->A. The order decides the order of the
    // output vertices and, through rounding, their last bits.
    Vector4* a = work;
    Vector4* b = spare;
    int count = n;
    count = clipToPlane(a, count, b, ClipLeft);
    count = clipToPlane(b, count, a, ClipRight);
    count = clipToPlane(a, count, b, ClipBottom);
    count = clipToPlane(b, count, a, ClipTop);
    count = clipToPlane(a, count, b, ClipNear);
    count = clipToPlane(b, count, a, ClipFar);
    return count;
}

int clipToFrustum(const Vector4* input, int n, Vector4** result)
{
    const long long capacity = clipFrustumCapacity(n);
    Vector4* a = new Vector4[capacity];
    Vector4* b = new Vector4[capacity];
    *result = b;
    if (n > 0) std::copy(input, input + n, a);
    const int count = clipPolygon(a, b, n);
    std::copy(a, a + count, b);
    delete[] a;
    return count;
}
