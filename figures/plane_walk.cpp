// The walk over a list of planes as data: clipEdge's walk for any plane c <= s·w or c >= -s·w.
// See clip_figures.h.
//
// Every operation is the one clip.cpp makes, in the same order and precision, with s·w in place
// of w: for s = 1 the product is w itself (exact), so the program's planes give clipEdge's bits,
// and a test over many triangles holds the two together. For s = 0 (the plane 0 <= z) the
// products are 0 rather than 0·w, so that a w of infinity or NaN cannot make the test's bound NaN.
#include "figures/clip_figures.h"

#include <cstddef>
#include <limits>
#include <vector>

const WalkPlane programPlanes[6] = {
    {ClipLeft, &Vector4::x, false, 1},  {ClipRight, &Vector4::x, true, 1},
    {ClipBottom, &Vector4::y, false, 1}, {ClipTop, &Vector4::y, true, 1},
    {ClipNear, &Vector4::z, false, 1},  {ClipFar, &Vector4::z, true, 1},
};

namespace {

// s·w in float: exact for s = 1 and for powers of two (short of overflow), and 0 for s = 0.
float scaledW(const Vector4& v, const WalkPlane& plane)
{
    if (plane.scale == 0) return 0;
    return plane.scale == 1 ? v.w : plane.scale * v.w;
}

// Strict, on the stored floats, as clip.cpp's: on the plane is inside, and so is a NaN.
bool isOutside(const Vector4& v, const WalkPlane& plane)
{
    const float c = v.*plane.coordinate;
    const float sw = scaledW(v, plane);
    return plane.upper ? c > sw : -sw > c;
}

// clip.cpp's crossing with s·w for w: the same operand order, in double, kept on the edge.
double crossing(const Vector4& p, const Vector4& q, const WalkPlane& plane)
{
    const double pc = p.*plane.coordinate, qc = q.*plane.coordinate;
    const double pw = scaledW(p, plane), qw = scaledW(q, plane);
    double numerator, denominator;
    if (plane.upper) {
        numerator = pw - pc;
        denominator = ((qc - pc) - qw) + pw;
    } else {
        numerator = (-pw) - pc;
        denominator = ((qc - pc) + qw) - pw;
    }
    double t = numerator / denominator;
    if (!(t >= 0.0)) t = 0.0;
    if (t > 1.0) t = 1.0;
    return t;
}

// Each component: difference, product, sum, in double, rounded to float once.
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

ClipEdge walkEdge(const Vector4& p, const Vector4& q, const WalkPlane& plane)
{
    const bool pOutside = isOutside(p, plane);
    const bool qOutside = isOutside(q, plane);
    ClipEdge edge;
    edge.edgeCase = ClipEdgeCase(int(pOutside) << 1 | int(qOutside));
    edge.t = std::numeric_limits<double>::quiet_NaN();
    edge.count = 0;
    if (pOutside != qOutside) {
        edge.t = crossing(p, q, plane);
        edge.appended[0] = interpolate(p, q, edge.t);
        edge.count = 1;
    }
    if (!qOutside) edge.appended[edge.count++] = q;
    return edge;
}

double walkDistance(const Vector4& v, const WalkPlane& plane)
{
    const double c = v.*plane.coordinate, sw = scaledW(v, plane);
    return plane.upper ? sw - c : c + sw;
}

ClipPolygon walkPass(const ClipPolygon& input, const WalkPlane& plane)
{
    ClipPolygon output;
    const std::size_t n = input.size();
    for (std::size_t i = 0; i < n; ++i) {
        const ClipEdge edge = walkEdge(input[i], input[(i + 1) % n], plane);
        output.insert(output.end(), edge.appended, edge.appended + edge.count);
    }
    return output;
}

std::vector<EdgeRecord> walkRecords(const ClipPolygon& input, const WalkPlane& plane)
{
    std::vector<EdgeRecord> records;
    const int n = static_cast<int>(input.size());
    int appended = 0;
    for (int i = 0; i < n; ++i) {
        const int j = (i + 1) % n;
        const ClipEdge edge = walkEdge(input[std::size_t(i)], input[std::size_t(j)], plane);
        EdgeRecord record{i, j, edge.edgeCase, edge.t, walkDistance(input[std::size_t(i)], plane),
                          walkDistance(input[std::size_t(j)], plane), {}};
        for (int k = 0; k < edge.count; ++k) record.appended.push_back(appended++);
        records.push_back(record);
    }
    return records;
}

PlaneWalk walkPlanes(const ClipPolygon& polygon, const std::vector<WalkPlane>& planes)
{
    PlaneWalk walk;
    walk.after.reserve(planes.size());  // so that `before` stays valid as outputs are added
    const ClipPolygon* before = &polygon;
    for (const WalkPlane& plane : planes) {
        walk.edges.push_back(walkRecords(*before, plane));
        walk.after.push_back(walkPass(*before, plane));
        before = &walk.after.back();
    }
    return walk;
}
