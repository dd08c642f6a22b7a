// same_bits OUTPUT TEAPOT: runs the program's arithmetic and parsing over a fixed set of inputs
// and writes every result exactly to the file OUTPUT: floats by their bits (as hexadecimal
// floating point), counts, and the parser's error lines. The same program built for Linux and
// for Windows must write the same bytes; the Windows test compares the two (the file is written
// in binary mode, so line ends are LF on both). TEAPOT is the shipped data/teapot.tri.
//
// What it runs: every math operation over random and special values; the clipper, each of the
// six passes and clipToFrustum, over random, convex, adversarial and real teapot polygons; the
// animation over the shipped teapot for some hundred frames; the loader over the shipped teapot
// with CR LF line ends; and the parser over the shipped teapot, a catalogue of malformed texts
// and random ones. The inputs come from std::mt19937, whose output the C++ standard fixes,
// turned into floats by our own arithmetic.
#include "same_bits.h"

namespace same_bits {
namespace {

void mathOperations(Report& out, Inputs& in)
{
    for (int i = 0; i < 300; ++i) {
        const bool specials = i % 4 == 3;
        const Matrix4 a = in.matrix(specials), b = in.matrix(specials);
        Matrix4 product, copy, aliased = a;
        matMultiply(product, a, b);
        matMultiply(aliased, aliased, b);
        matCopy(copy, a);
        out.line("matMultiply" + out.matrix(product) + " |" + out.matrix(aliased));
        out.line("matCopy" + out.matrix(copy));

        Vector4 point = {in.mixed(-8, 8), in.mixed(-8, 8), in.mixed(-8, 8), in.mixed(-2, 2)};
        Vector4 transformed;
        matTransformPoint(transformed, a, point);
        matTransformPoint(point, a, point);  // in place
        out.line("matTransformPoint" + out.vector(transformed) + " |" + out.vector(point));
        Vector3 direction = {in.mixed(-8, 8), in.mixed(-8, 8), in.mixed(-8, 8)};
        Vector3 turned;
        matTransformVector(turned, a, direction);
        out.line("matTransformVector" + out.vector(turned));
    }

    // Rotations: every whole degree, random angles and special ones, about the exact axes (their
    // own branch) and about arbitrary, unnormalised and zero ones. The angles stay within 1000
    // degrees: mingw-w64's sin and cos use the x87 instructions, whose reduction of the argument
    // by a 66-bit pi drifts from the correctly reduced result of glibc's as the argument grows
    // (in the last bits of a double at a million radians, wholly at 10^10). The program's own
    // angles lie in (0, 360].
    const float specialAngles[12] = {0.0f, -0.0f, tiny, -tiny, 1e-38f, inf, -inf, nan, -nan,
                                     360.0f, -720.0f, 1000.0f};
    const Vector3 exactAxes[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (int i = 0; i < 600; ++i) {
        float angle = i < 361 ? float(i) : in.uniform(-1000, 1000);
        if (i % 50 == 49) angle = specialAngles[i / 50];
        Vector3 axis = i % 3 == 0 ? exactAxes[(i / 3) % 3] : in.vector3(-3, 3);
        if (i % 97 == 5) axis = Vector3{0, 0, 0};
        if (i % 89 == 7) axis = Vector3{-0.0f, 1, 0};
        Matrix4 r;
        matRotate(r, angle, axis);
        out.line("matRotate" + out.matrix(r) + " axis" + out.vector(axis));
    }

    for (int i = 0; i < 100; ++i) {
        const float x = in.mixed(-5, 5), y = in.mixed(-5, 5), z = in.mixed(-5, 5);
        Matrix4 s, t;
        out.line("matScale" + out.matrix(matScale(s, x, y, z)));
        out.line("matTranslate" + out.matrix(matTranslate(t, x, y, z)));
    }

    // Frusta: the program's own, random ones and degenerate ones (zero width, near = far).
    for (int i = 0; i < 200; ++i) {
        float l = frustum.left, r = frustum.right, b = frustum.bottom, t = frustum.top;
        float n = frustum.near, f = frustum.far;
        if (i > 0) {
            l = in.uniform(-2, 0), r = in.uniform(0, 2), b = in.uniform(-2, 0);
            t = in.uniform(0, 2), n = in.uniform(0.01, 1), f = n + in.uniform(0, 10);
        }
        if (i % 20 == 19) r = l;
        if (i % 20 == 18) f = n;
        if (i % 20 == 17) n = in.special();
        Matrix4 projection, inverse, product;
        matFrustum(projection, l, r, b, t, n, f);
        matFrustumInverse(inverse, l, r, b, t, n, f);
        matMultiply(product, inverse, projection);
        out.line("matFrustum" + out.matrix(projection) + " |" + out.matrix(inverse) + " |" +
                 out.matrix(product));
    }

    for (int i = 0; i < 400; ++i) {
        Vector3 a = {in.mixed(-10, 10), in.mixed(-10, 10), in.mixed(-10, 10)};
        Vector3 b = {in.mixed(-10, 10), in.mixed(-10, 10), in.mixed(-10, 10)};
        if (i % 25 == 0) b = a;
        Vector3 set, copy, difference, cross, normal;
        vecSet(set, a.x, b.y, a.z);
        vecCopy(copy, b);
        vecSubtract(difference, a, b);
        vecCross(cross, a, b);
        normal = cross;
        vecNormalize(normal);
        const double length = vecLength(a);
        vecSubtract(a, a, b);  // in place
        vecCross(b, b, copy);  // in place
        out.line("vec" + out.vector(set) + out.vector(copy) + out.vector(difference) +
                 out.vector(cross) + out.vector(normal) + out.value(length) + out.vector(a) +
                 out.vector(b));
    }
}

// Each of the six passes on the polygon, then clipToFrustum.
void clipOne(Report& out, const std::vector<Vector4>& polygon)
{
    const int n = int(polygon.size());
    std::vector<Vector4> output(std::size_t(clipPassCapacity(n) + 1));
    std::string text = "clip";
    for (int plane = ClipLeft; plane <= ClipFar; ++plane) {
        const int count = clipToPlane(polygon.data(), n, output.data(), ClipPlane(plane));
        text += " |" + out.polygon(output.data(), count);
    }
    Vector4* clipped = nullptr;
    const int count = clipToFrustum(polygon.data(), n, &clipped);
    text += " =" + out.polygon(clipped, count);
    delete[] clipped;
    out.line(text);
}

void clipper(Report& out, Inputs& in)
{
    // Random triangles around the clip volume, some of them behind the eye (w < 0).
    for (int i = 0; i < 1500; ++i) {
        std::vector<Vector4> p(3);
        for (Vector4& v : p)
            v = Vector4{in.uniform(-2, 2), in.uniform(-2, 2), in.uniform(-2, 2),
                        in.uniform(-0.5, 2)};
        clipOne(out, p);
    }
    // Random polygons of up to 12 corners, most of them not convex.
    for (int i = 0; i < 400; ++i) {
        std::vector<Vector4> p(4 + in.bits() % 9);
        for (Vector4& v : p)
            v = Vector4{in.uniform(-3, 3), in.uniform(-3, 3), in.uniform(-3, 3),
                        in.uniform(0.1, 2)};
        clipOne(out, p);
    }
    // Convex polygons: regular n-gons in a random plane, w the same for all corners.
    for (int i = 0; i < 400; ++i) {
        const int n = 3 + int(in.bits() % 8);
        const Vector3 centre = in.vector3(-1.5, 1.5), u = in.vector3(-1, 1), v = in.vector3(-1, 1);
        const float w = in.uniform(0.2, 1.5);
        std::vector<Vector4> p(static_cast<std::size_t>(n));
        for (int k = 0; k < n; ++k) {
            const double a = 6.283185307179586 * k / n;
            const float c = float(std::cos(a)), s = float(std::sin(a));
            p[std::size_t(k)] = Vector4{centre.x + c * u.x + s * v.x, centre.y + c * u.y + s * v.y,
                                        centre.z + c * u.z + s * v.z, w};
        }
        clipOne(out, p);
    }
    // Adversarial: corners on a plane or one float beside it, w = 0 or negative everywhere,
    // coordinates far apart in magnitude, special and arbitrary values, degenerate polygons.
    for (int i = 0; i < 700; ++i) {
        const int kind = i % 7;
        std::vector<Vector4> p(3 + std::size_t(i % 4));
        for (Vector4& v : p) {
            v = Vector4{in.uniform(-2, 2), in.uniform(-2, 2), in.uniform(-2, 2),
                        in.uniform(0.1, 2)};
            float* c = &v.x + in.bits() % 3;
            if (kind == 0) *c = (in.bits() & 1) ? v.w : -v.w;
            if (kind == 1) *c = std::nextafter((in.bits() & 1) ? v.w : -v.w, in.uniform(-4, 4));
            if (kind == 2) v.w = (in.bits() & 1) ? 0.0f : -in.uniform(0.1, 2);
            if (kind == 3) *c *= 1 << 29, v.w = in.uniform(1e-3, 1);
            if (kind == 4) *c = in.special();
            if (kind == 5) v = Vector4{in.anyFloat(), in.anyFloat(), in.anyFloat(), in.anyFloat()};
        }
        if (kind == 6) {
            for (Vector4& v : p) v = p[0];
            p.resize(std::size_t(i / 7 % 4));  // 0 to 3 corners, all the same
        }
        clipOne(out, p);
    }
    Vector4* none = nullptr;
    const int count = clipToFrustum(nullptr, -1, &none);
    out.line("clip negative-count" + out.polygon(none, count));
    delete[] none;
}

// The shipped teapot through TriObj, the mesh arrays and the animation; at some frames the
// mesh pass's arithmetic (project, clip, map back) on every triangle.
void animation(Report& out, const char* teapotPath)
{
    TriObj* object = new TriObj(teapotPath, 255, 128, 128);
    std::string text = "TriObj" + out.value(static_cast<long long>(object->count));
    for (int i = 0; i < object->count; ++i) {
        const Triangle& t = object->triangles[i];
        text += out.vector(t.normal);
        for (unsigned char c : t.color) text += out.value(static_cast<long long>(c));
    }
    out.line(text);
    buildMeshArrays(*object, &meshArrays.modelVertices, &meshArrays.triangleCount,
                    &meshArrays.modelNormals, &meshArrays.colors);
    delete object;
    const int n = meshArrays.triangleCount;
    meshArrays.sceneVertices = new Vector4[3 * std::size_t(n)];
    meshArrays.sceneNormals = new Vector3[std::size_t(n)];

    Matrix4 projection, inverse;
    matFrustum(projection, frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
               frustum.far);
    matFrustumInverse(inverse, frustum.left, frustum.right, frustum.bottom, frustum.top,
                      frustum.near, frustum.far);
    for (int frame = 1; frame <= 400; ++frame) {
        stepAnimation(frame == 200 ? 0 : 1);  // one frame without a step
        out.line("motion" + out.vector(motionState.position) + out.vector(motionState.velocity) +
                 out.vector(motionState.spinAngle));
        if (frame % 200 != 137) continue;
        for (int i = 0; i < n; ++i) {
            Vector4 corners[3];
            for (int k = 0; k < 3; ++k)
                matTransformPoint(corners[k], projection, meshArrays.sceneVertices[3 * i + k]);
            Vector4* clipped = nullptr;
            const int count = clipToFrustum(corners, 3, &clipped);
            for (int k = 0; k < count; ++k) matTransformPoint(clipped[k], inverse, clipped[k]);
            out.line("scene" + out.vector(meshArrays.sceneVertices[3 * i]) +
                     out.vector(meshArrays.sceneVertices[3 * i + 1]) +
                     out.vector(meshArrays.sceneVertices[3 * i + 2]) +
                     out.vector(meshArrays.sceneNormals[i]) + " pass" +
                     out.polygon(clipped, count));
            delete[] clipped;
        }
    }
}

} // namespace
} // namespace same_bits

using namespace same_bits;

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: same_bits OUTPUT TEAPOT\n");
        return 2;
    }
    Report out{std::fopen(argv[1], "wb")};
    if (!out.file) {
        std::fprintf(stderr, "same_bits: cannot write %s\n", argv[1]);
        return 1;
    }
    Inputs in;
    mathOperations(out, in);
    clipper(out, in);
    animation(out, argv[2]);
    crlfTeapot(out, argv[2], std::string(argv[1]) + ".crlf.tri");
    parser(out, in, argv[2]);
    out.line("results " + std::to_string(out.results));
    const bool written = std::fclose(out.file) == 0;
    std::printf("same_bits: %ld results\n", out.results);
    return written ? 0 : 1;
}