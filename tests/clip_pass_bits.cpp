// Not a test: the reference the browser tests compare the clip explorer's data-vertices and
// data-edges with. Prints, for the triangle given as nine eye-space numbers "x0,y0,z0,...,z2"
// (or as twelve clip-space ones "x0,y0,z0,w0,...,w2", clipped as given), the polygon after each of the six clipToPlane passes (in the order of ClipPlane) and the one
// clipToFrustum returns, as one JSON array of seven polygons, each vertex the bits of its four
// floats in hex:
//
//   clip_pass_bits -0.1,-0.05,-0.6,0.05,0.06,-0.1,0.12,-0.08,-0.5
//
// With --edges first, it prints instead each pass's walk as clipEdge decides it, one JSON array
// of six walks, each edge {"from": i, "to": j, "case": "in-out", "t": 0.5 | null, "dFrom": d(P),
// "dTo": d(Q), "appended": [k, ...]} (numbers to 17 significant digits, one that is not finite
// as "NaN", "Infinity" or "-Infinity"; appended counting the pass's output). It takes no part
// of the figure library.
//
// It projects eye-space corners the way the mesh pass does (matFrustum, matTransformPoint).
#include "clip/clip.h"
#include "math/vecmath.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void printPolygon(const std::vector<Vector4>& polygon)
{
    std::printf("[");
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const float values[4] = {polygon[i].x, polygon[i].y, polygon[i].z, polygon[i].w};
        std::printf(i ? ",[" : "[");
        for (int c = 0; c < 4; ++c) {
            std::uint32_t bits;
            std::memcpy(&bits, &values[c], sizeof bits);
            std::printf(c ? ",\"%08x\"" : "\"%08x\"", static_cast<unsigned>(bits));
        }
        std::printf("]");
    }
    std::printf("]");
}

void printNumber(double value)
{
    if (std::isnan(value)) std::printf("\"NaN\"");
    else if (std::isinf(value)) std::printf(value > 0 ? "\"Infinity\"" : "\"-Infinity\"");
    else std::printf("%.17g", value);
}

// One pass's walk, edge by edge, as clipEdge decides it.
void printWalk(const std::vector<Vector4>& polygon, ClipPlane plane)
{
    static const char* const caseNames[] = {"in-in", "in-out", "out-in", "out-out"};
    const std::size_t n = polygon.size();
    int appended = 0;
    std::printf("[");
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = (i + 1) % n;
        const ClipEdge edge = clipEdge(polygon[i], polygon[j], plane);
        std::printf("%s{\"from\":%zu,\"to\":%zu,\"case\":\"%s\",\"t\":", i ? "," : "", i, j,
                    caseNames[edge.edgeCase]);
        if (edge.edgeCase != ClipInOut && edge.edgeCase != ClipOutIn) std::printf("null");
        else printNumber(edge.t);
        std::printf(",\"dFrom\":");
        printNumber(clipDistance(polygon[i], plane));
        std::printf(",\"dTo\":");
        printNumber(clipDistance(polygon[j], plane));
        std::printf(",\"appended\":[");
        for (int k = 0; k < edge.count; ++k) std::printf(k ? ",%d" : "%d", appended++);
        std::printf("]}");
    }
    std::printf("]");
}

} // namespace

int main(int argc, char** argv)
{
    const bool edges = argc == 3 && std::strcmp(argv[1], "--edges") == 0;
    const char* text = argc == 2 ? argv[1] : edges ? argv[2] : "";
    std::vector<float> values;
    for (;;) {
        char* end = nullptr;
        values.push_back(std::strtof(text, &end));
        const bool last = *end == '\0';
        if (end == text || (*end != ',' && !last) || values.size() > 12) values.clear();
        if (values.empty() || last) break;
        text = end + 1;
    }
    if (values.size() != 9 && values.size() != 12) {
        std::fprintf(stderr, "usage: clip_pass_bits [--edges] x0,y0,z0,x1,y1,z1,x2,y2,z2\n"
                             "       clip_pass_bits [--edges] x0,y0,z0,w0,x1,...,w2\n");
        return 2;
    }
    Matrix4 projection;
    matFrustum(projection, frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
               frustum.far);
    std::vector<Vector4> polygon(3);
    for (int k = 0; k < 3; ++k) {
        if (values.size() == 12) {
            polygon[k] = {values[4 * k], values[4 * k + 1], values[4 * k + 2], values[4 * k + 3]};
            continue;
        }
        const Vector4 corner = {values[3 * k], values[3 * k + 1], values[3 * k + 2], 1};
        matTransformPoint(polygon[k], projection, corner);
    }
    const std::vector<Vector4> triangle = polygon;
    std::printf("[");
    for (int plane = ClipLeft; plane <= ClipFar; ++plane) {
        const int n = static_cast<int>(polygon.size());
        std::vector<Vector4> output(static_cast<std::size_t>(clipPassCapacity(n)));
        const int kept =
            clipToPlane(polygon.data(), n, output.data(), static_cast<ClipPlane>(plane));
        output.resize(static_cast<std::size_t>(kept));
        if (edges) {
            printWalk(polygon, static_cast<ClipPlane>(plane));
            std::printf(plane < ClipFar ? "," : "]\n");
        } else {
            printPolygon(output);
            std::printf(",");
        }
        polygon = output;
    }
    if (edges) return 0;
    Vector4* result = nullptr;
    const int count = clipToFrustum(triangle.data(), 3, &result);
    printPolygon(std::vector<Vector4>(result, result + count));
    delete[] result;
    std::printf("]\n");
    return 0;
}
