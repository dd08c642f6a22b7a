// Not a test: the reference the browser tests compare the clip explorer's data-vertices,
// data-edges and data-attributes with. Prints, for the triangle given as nine eye-space numbers
// "x0,y0,z0,...,z2" (or as twelve clip-space ones "x0,y0,z0,w0,...,w2", clipped as given), the
// polygon after each of the six clipToPlane passes (in the order of ClipPlane) and the one
// clipToFrustum returns, as one JSON array of seven polygons, each vertex the bits of its four
// floats in hex:
//
//   clip_pass_bits -0.1,-0.05,-0.6,0.05,0.06,-0.1,0.12,-0.08,-0.5
//
// With --edges first, it prints instead each pass's walk as clipEdge decides it, one JSON array
// of six walks, each edge {"from": i, "to": j, "case": "in-out", "t": 0.5 | null, "dFrom": d(P),
// "dTo": d(Q), "appended": [k, ...]} (numbers to 17 significant digits, one that is not finite
// as "NaN", "Infinity" or "-Infinity"; appended counting the pass's output). With --attributes,
// the u of each of the seven polygons' vertices, as the bits of its float in hex, in their order.
//
// Under another clipper's rules, given before the triangle as the explorer's address names them:
//   --volume gl|zero-one|mismatch  the program's -w <= z <= w; 0 <= z <= w with the projection
//                                  made for it (eye-space corners only); matFrustum's
//                                  projection against 0 <= z <= w
//   --clamp                        no near and far passes: each hands its input on, its walk []
//   --guard G                      the four side planes at ±G·w
//   --u a,b,c                      the corners' u (0, 0.5 and 1 unless given)
// the passes are its own walk of those planes (with the program's operand order and precision),
// and the seventh polygon is the last pass's. It takes no part of the figure library.
//
// It projects eye-space corners the way the mesh pass does (matFrustum, matTransformPoint).
#include "clip/clip.h"
#include "math/vecmath.h"

#include <algorithm>
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

// A plane as this reference reads the rules: the coordinate (0 x, 1 y, 2 z), the side, and the
// scale s of w, so that the inside is c <= s·w or c >= -s·w.
struct Plane {
    int coordinate;
    bool upper;
    float scale;
    bool made;  // false: the pass is left out (depth clamp)
};

float component(const Vector4& v, int c)
{
    return c == 0 ? v.x : c == 1 ? v.y : v.z;
}

float scaledW(const Vector4& v, const Plane& plane)
{
    return plane.scale == 0 ? 0.0f : plane.scale * v.w;
}

bool outside(const Vector4& v, const Plane& plane)
{
    const float c = component(v, plane.coordinate), sw = scaledW(v, plane);
    return plane.upper ? c > sw : -sw > c;
}

double distance(const Vector4& v, const Plane& plane)
{
    const double c = component(v, plane.coordinate), sw = scaledW(v, plane);
    return plane.upper ? sw - c : c + sw;
}

// The clipper's edge for this plane: its case, t and what it appends.
ClipEdge planeEdge(const Vector4& p, const Vector4& q, const Plane& plane)
{
    ClipEdge edge;
    const bool pOut = outside(p, plane), qOut = outside(q, plane);
    edge.edgeCase = ClipEdgeCase(int(pOut) << 1 | int(qOut));
    edge.t = std::nan("");
    edge.count = 0;
    if (pOut != qOut) {
        const double pc = component(p, plane.coordinate), qc = component(q, plane.coordinate);
        const double pw = scaledW(p, plane), qw = scaledW(q, plane);
        const double numerator = plane.upper ? pw - pc : (-pw) - pc;
        const double denominator = plane.upper ? ((qc - pc) - qw) + pw : ((qc - pc) + qw) - pw;
        double t = numerator / denominator;
        if (!(t >= 0.0)) t = 0.0;
        if (t > 1.0) t = 1.0;
        edge.t = t;
        Vector4& i = edge.appended[edge.count++];
        i.x = float((double(q.x) - p.x) * t + p.x);
        i.y = float((double(q.y) - p.y) * t + p.y);
        i.z = float((double(q.z) - p.z) * t + p.z);
        i.w = float((double(q.w) - p.w) * t + p.w);
    }
    if (!qOut) edge.appended[edge.count++] = q;
    return edge;
}

// The rules, as given on the command line.
struct Rules {
    int volume = 0;  // 0 gl, 1 zero-one, 2 mismatch
    bool clamp = false;
    float guard = 1;
    float u[3] = {0, 0.5f, 1};
    bool program() const { return volume == 0 && !clamp && guard == 1; }
};

// The six planes the rules test, in the order of ClipPlane.
std::vector<Plane> planesOf(const Rules& rules)
{
    return {{0, false, rules.guard, true},
            {0, true, rules.guard, true},
            {1, false, rules.guard, true},
            {1, true, rules.guard, true},
            {2, false, rules.volume == 0 ? 1.0f : 0.0f, !rules.clamp},
            {2, true, 1, !rules.clamp}};
}

// Edge i -> i + 1 of the pass, as the program (clipEdge) or the rules' plane decides it.
ClipEdge passEdge(const std::vector<Vector4>& polygon, std::size_t i, const Rules& rules,
                  int plane)
{
    const Vector4& p = polygon[i];
    const Vector4& q = polygon[(i + 1) % polygon.size()];
    return rules.program() ? clipEdge(p, q, static_cast<ClipPlane>(plane))
                           : planeEdge(p, q, planesOf(rules)[std::size_t(plane)]);
}

double passDistance(const Vector4& v, const Rules& rules, int plane)
{
    return rules.program() ? clipDistance(v, static_cast<ClipPlane>(plane))
                           : distance(v, planesOf(rules)[std::size_t(plane)]);
}

// One pass's walk, edge by edge.
void printWalk(const std::vector<Vector4>& polygon, const Rules& rules, int plane)
{
    static const char* const caseNames[] = {"in-in", "in-out", "out-in", "out-out"};
    const std::size_t n = polygon.size();
    int appended = 0;
    std::printf("[");
    for (std::size_t i = 0; n > 0 && planesOf(rules)[std::size_t(plane)].made && i < n; ++i) {
        const std::size_t j = (i + 1) % n;
        const ClipEdge edge = passEdge(polygon, i, rules, plane);
        std::printf("%s{\"from\":%zu,\"to\":%zu,\"case\":\"%s\",\"t\":", i ? "," : "", i, j,
                    caseNames[edge.edgeCase]);
        if (edge.edgeCase != ClipInOut && edge.edgeCase != ClipOutIn) std::printf("null");
        else printNumber(edge.t);
        std::printf(",\"dFrom\":");
        printNumber(passDistance(polygon[i], rules, plane));
        std::printf(",\"dTo\":");
        printNumber(passDistance(polygon[j], rules, plane));
        std::printf(",\"appended\":[");
        for (int k = 0; k < edge.count; ++k) std::printf(k ? ",%d" : "%d", appended++);
        std::printf("]}");
    }
    std::printf("]");
}

void printAttributes(const std::vector<float>& u)
{
    std::printf("[");
    for (std::size_t i = 0; i < u.size(); ++i) {
        std::uint32_t bits;
        std::memcpy(&bits, &u[i], sizeof bits);
        std::printf(i ? ",\"%08x\"" : "\"%08x\"", static_cast<unsigned>(bits));
    }
    std::printf("]");
}

// The numbers of a comma-separated list, or none when it is not one of at most `most`.
std::vector<float> numbers(const char* text, std::size_t most)
{
    std::vector<float> values;
    for (;;) {
        char* end = nullptr;
        values.push_back(std::strtof(text, &end));
        const bool last = *end == '\0';
        if (end == text || (*end != ',' && !last) || values.size() > most) return {};
        if (last) return values;
        text = end + 1;
    }
}

int usage()
{
    std::fprintf(stderr,
                 "usage: clip_pass_bits [--edges | --attributes] [--volume gl|zero-one|mismatch]\n"
                 "                      [--clamp] [--guard G] [--u a,b,c] TRIANGLE\n"
                 "       TRIANGLE: x0,y0,z0,x1,y1,z1,x2,y2,z2 or x0,y0,z0,w0,x1,...,w2\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    bool edges = false, attributes = false;
    Rules rules;
    std::vector<float> values;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--edges") {
            edges = true;
        } else if (arg == "--attributes") {
            attributes = true;
        } else if (arg == "--clamp") {
            rules.clamp = true;
        } else if (arg == "--volume" && i + 1 < argc) {
            const std::string volume = argv[++i];
            rules.volume = volume == "gl"         ? 0
                           : volume == "zero-one" ? 1
                           : volume == "mismatch" ? 2
                                                  : -1;
            if (rules.volume < 0) return usage();
        } else if (arg == "--guard" && i + 1 < argc) {
            rules.guard = std::strtof(argv[++i], nullptr);
            if (rules.guard != 1 && rules.guard != 2 && rules.guard != 4 && rules.guard != 8) {
                return usage();
            }
        } else if (arg == "--u" && i + 1 < argc) {
            const std::vector<float> u = numbers(argv[++i], 3);
            if (u.size() != 3) return usage();
            std::copy(u.begin(), u.end(), rules.u);
        } else if (values.empty() && i + 1 == argc) {
            values = numbers(argv[i], 12);
        } else {
            return usage();
        }
    }
    if ((values.size() != 9 && values.size() != 12) || (edges && attributes)) return usage();
    Matrix4 projection;
    matFrustum(projection, frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
               frustum.far);
    if (rules.volume == 1) {
        // The same frustum's projection for 0 <= z <= w: the near face to z = 0, the far to w.
        const double n = frustum.near, f = frustum.far;
        projection.m[10] = float(-f / (f - n));
        projection.m[14] = float(-(n * f) / (f - n));
    }
    if (values.size() == 12 && rules.volume == 2) rules.volume = 1;  // no projection to mismatch
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
    std::vector<float> u(rules.u, rules.u + 3);
    std::printf("[");
    for (int plane = ClipLeft; plane <= ClipFar; ++plane) {
        std::vector<Vector4> output;
        std::vector<float> outputU;
        if (!planesOf(rules)[std::size_t(plane)].made) {
            output = polygon;
            outputU = u;
        }
        for (std::size_t i = 0; planesOf(rules)[std::size_t(plane)].made && i < polygon.size();
             ++i) {
            const ClipEdge edge = passEdge(polygon, i, rules, plane);
            const float up = u[i], uq = u[(i + 1) % u.size()];
            for (int k = 0; k < edge.count; ++k) {
                output.push_back(edge.appended[k]);
                const bool cut =
                    k == 0 && (edge.edgeCase == ClipInOut || edge.edgeCase == ClipOutIn);
                outputU.push_back(cut ? float((double(uq) - up) * edge.t + up) : uq);
            }
        }
        if (rules.program()) {
            // The clipper's own pass, which the walk above must equal.
            const int n = static_cast<int>(polygon.size());
            std::vector<Vector4> passed(static_cast<std::size_t>(clipPassCapacity(n)));
            passed.resize(static_cast<std::size_t>(
                clipToPlane(polygon.data(), n, passed.data(), static_cast<ClipPlane>(plane))));
            if (passed.size() != output.size() ||
                std::memcmp(passed.data(), output.data(), output.size() * sizeof(Vector4)) != 0) {
                std::fprintf(stderr, "clip_pass_bits: clipToPlane and clipEdge disagree\n");
                return 1;
            }
        }
        if (edges) printWalk(polygon, rules, plane);
        else if (attributes) printAttributes(outputU);
        else printPolygon(output);
        std::printf(plane < ClipFar || !edges ? "," : "]\n");
        polygon = output;
        u = outputU;
    }
    if (edges) return 0;
    if (attributes) {
        printAttributes(u);
        std::printf("]\n");
        return 0;
    }
    if (!rules.program()) {
        printPolygon(polygon);
        std::printf("]\n");
        return 0;
    }
    Vector4* result = nullptr;
    const int count = clipToFrustum(triangle.data(), 3, &result);
    printPolygon(std::vector<Vector4>(result, result + count));
    delete[] result;
    std::printf("]\n");
    return 0;
}
