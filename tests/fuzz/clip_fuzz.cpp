// libFuzzer target: arbitrary bytes become a polygon of raw floats (any NaN, infinity, huge or
// tiny value, any shape), clipped by each plane and by the whole frustum. AddressSanitizer
// catches any write beyond the arrays; the checks below catch wrong results.
#include "clip/clip.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

bool allFiniteAndModerate(const std::vector<Vector4>& polygon, double& largest)
{
    largest = 0;
    for (const Vector4& v : polygon)
        for (float c : {v.x, v.y, v.z, v.w}) {
            if (!std::isfinite(c) || std::fabs(c) > 1e30f) return false;
            largest = std::fmax(largest, std::fabs(c));
        }
    return true;
}

bool strictlyInside(const Vector4& v)
{
    return v.x >= -v.w && v.x <= v.w && v.y >= -v.w && v.y <= v.w && v.z >= -v.w && v.z <= v.w;
}

void check(bool condition)
{
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int n = int(std::min<size_t>(size / sizeof(Vector4), 256));
    std::vector<Vector4> polygon(static_cast<size_t>(n));
    if (n > 0) std::memcpy(polygon.data(), data, size_t(n) * sizeof(Vector4));

    // One pass into exactly the room the contract promises is enough.
    for (int plane = ClipLeft; plane <= ClipFar; ++plane) {
        std::vector<Vector4> output(size_t(clipPassCapacity(n)));
        const int count = clipToPlane(polygon.data(), n, output.data(), ClipPlane(plane));
        check(count >= 0 && count <= clipPassCapacity(n));
    }

    Vector4* result = nullptr;
    const int count = clipToFrustum(polygon.data(), n, &result);
    check(result != nullptr && count >= 0);
    const std::vector<Vector4> clipped(result, result + count);
    delete[] result;

    double largest = 0;
    if (!allFiniteAndModerate(polygon, largest)) return 0;
    // No more than the arrays hold. (Not 9 for a triangle: with magnitudes far apart, rounding
    // can scatter cut vertices to both sides of a later plane, as clip_test shows.)
    check(count <= clipFrustumCapacity(n));

    // Every output vertex is inside up to rounding, relative to the input's magnitude.
    const double slack = 1e-5 * largest + 1e-30;
    for (const Vector4& v : clipped) {
        const double w = v.w;
        for (double c : {double(v.x), double(v.y), double(v.z)})
            check(c >= -w - slack && c <= w + slack);
    }

    // A polygon with every vertex inside comes back unchanged; for a triangle, in its own order.
    bool allInside = n > 0;
    for (const Vector4& v : polygon) allInside = allInside && strictlyInside(v);
    if (allInside && n == 3) {
        check(count == 3 && std::memcmp(clipped.data(), polygon.data(), 3 * sizeof(Vector4)) == 0);
    }
    return 0;
}
