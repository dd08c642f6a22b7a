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
#include "anim/anim.h"
#include "clip/clip.h"
#include "math/vecmath.h"
#include "model/model.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

// The exact value of a float in C99 hexadecimal notation, from its bits alone (no C library
// formatting, which differs between systems): -0x1.8p+1, 0x0.000002p-126, inf, nan:7fc00000.
std::string hexFloat(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const std::string sign = (bits >> 31) ? "-" : "";
    const int exponent = int((bits >> 23) & 0xFF);
    std::uint32_t fraction = bits & 0x7FFFFF;
    char text[32];
    if (exponent == 0xFF && fraction != 0) {
        std::snprintf(text, sizeof text, "nan:%08lx", static_cast<unsigned long>(bits));
        return text;
    }
    if (exponent == 0xFF) return sign + "inf";
    if (exponent == 0 && fraction == 0) return sign + "0x0p+0";
    fraction <<= 1;  // 24 bits: six hexadecimal digits
    int digits = 6;
    while (digits > 0 && (fraction & 0xF) == 0) fraction >>= 4, --digits;
    const int power = exponent == 0 ? -126 : exponent - 127;
    std::string mantissa = exponent == 0 ? "0x0" : "0x1";
    if (digits > 0) {
        std::snprintf(text, sizeof text, ".%0*lx", digits, static_cast<unsigned long>(fraction));
        mantissa += text;
    }
    std::snprintf(text, sizeof text, "p%+d", power);
    return sign + mantissa + text;
}

// A double by its bits, as sixteen hexadecimal digits.
std::string hexDouble(double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    char text[24];
    std::snprintf(text, sizeof text, "%08lx%08lx", static_cast<unsigned long>(bits >> 32),
                  static_cast<unsigned long>(bits & 0xFFFFFFFF));
    return text;
}

// The output file, and how many results went into it.
struct Report {
    std::FILE* file;
    long results = 0;

    void line(const std::string& text) { std::fprintf(file, "%s\n", text.c_str()); }
    std::string value(float f)
    {
        ++results;
        return " " + hexFloat(f);
    }
    std::string value(double d)
    {
        ++results;
        return " " + hexDouble(d);
    }
    std::string value(long long n)
    {
        ++results;
        return " " + std::to_string(n);
    }
    std::string values(const float* f, int n)
    {
        std::string text;
        for (int i = 0; i < n; ++i) text += value(f[i]);
        return text;
    }
    std::string vector(const Vector3& v) { return value(v.x) + value(v.y) + value(v.z); }
    std::string vector(const Vector4& v) { return vector(Vector3{v.x, v.y, v.z}) + value(v.w); }
    std::string matrix(const Matrix4& m) { return values(m.m, 16); }
    std::string polygon(const Vector4* p, int n)
    {
        std::string text = value(static_cast<long long>(n)) + " :";
        for (int i = 0; i < n; ++i) text += vector(p[i]);
        return text;
    }
};

// Random inputs from the standard's fixed engine.
class Inputs {
public:
    std::uint32_t bits() { return std::uint32_t(engine()); }
    // In [low, high), 24 random bits, rounded once to float.
    float uniform(double low, double high)
    {
        return float(low + (high - low) * double(bits() >> 8) / 16777216.0);
    }
    // Any float at all: NaNs, infinities and subnormals included.
    float anyFloat()
    {
        const std::uint32_t b = bits();
        float f;
        std::memcpy(&f, &b, sizeof f);
        return f;
    }
    float special() { return specials[bits() % specialCount]; }
    // Mostly ordinary values, now and then a special or an arbitrary one.
    float mixed(double low, double high)
    {
        const std::uint32_t pick = bits() % 16;
        if (pick == 0) return special();
        if (pick == 1) return anyFloat();
        return uniform(low, high);
    }
    Vector3 vector3(double low, double high)
    {
        return Vector3{uniform(low, high), uniform(low, high), uniform(low, high)};
    }
    Matrix4 matrix(bool withSpecials)
    {
        Matrix4 m;
        for (float& e : m.m) e = withSpecials ? mixed(-4, 4) : uniform(-4, 4);
        return m;
    }

    static constexpr int specialCount = 16;
    static const float specials[specialCount];

private:
    std::mt19937 engine{20240916u};
};

constexpr float inf = std::numeric_limits<float>::infinity();
constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float tiny = std::numeric_limits<float>::denorm_min();
constexpr float huge = std::numeric_limits<float>::max();

const float Inputs::specials[specialCount] = {
    0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 2.0f, tiny, -tiny, 1e-38f, huge, -huge, inf, -inf, nan,
    -nan, 0.1f};

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

// Parses text with the in-memory parser and reports the count, the triangles read (records the
// parse did not fill keep a marker value) and the error line.
void parse(Report& out, const std::string& name, const std::string& text)
{
    TriParser parser = startTriParse(text.data(), text.size());
    int count = -7;
    const bool countOk = parseTriCount(parser, count);
    std::string line = "parse " + name + out.value(static_cast<long long>(countOk)) +
                       out.value(static_cast<long long>(count));
    if (countOk) {
        Triangle marker;
        std::memset(&marker, 0x5A, sizeof marker);
        std::vector<Triangle> triangles(std::size_t(count), marker);
        const bool ok = parseTriangles(parser, count, triangles.data());
        line += out.value(static_cast<long long>(ok));
        for (const Triangle& t : triangles)
            for (const Vector3& v : t.vertices) line += out.vector(v);
    }
    out.line(line);
    ++out.results;
    out.line("  " + describeTriFault(parser, "teapot.tri"));
}

std::string readBinary(const char* path)
{
    std::string text;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return text;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    std::fclose(file);
    return text;
}

// The shipped teapot with CR LF line ends, written to scratchPath and loaded by TriObj. The
// loader opens it in text mode and reads it in chunks; on Windows that drops the carriage
// returns, so the chunks come back shorter than asked for.
void crlfTeapot(Report& out, const char* teapotPath, const std::string& scratchPath)
{
    std::string text;
    for (char c : readBinary(teapotPath)) {
        if (c == '\n') text += '\r';
        text += c;
    }
    std::FILE* file = std::fopen(scratchPath.c_str(), "wb");
    if (!file) return out.line("crlf-teapot cannot write " + scratchPath);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    TriObj object(scratchPath.c_str(), 1, 2, 3);
    std::string line = "crlf-teapot" + out.value(static_cast<long long>(object.count));
    for (int i = 0; i < object.count; ++i) {
        for (const Vector3& v : object.triangles[i].vertices) line += out.vector(v);
        line += out.vector(object.triangles[i].normal);
    }
    out.line(line);
    std::remove(scratchPath.c_str());
}

void parser(Report& out, Inputs& in, const char* teapotPath)
{
    parse(out, "teapot", readBinary(teapotPath));

    const std::string triangle = " 0 0 0 1 0 0 0 1 0\n";
    const struct {
        const char* name;
        std::string text;
    } catalogue[] = {
        {"empty", ""},
        {"blanks", " \t\r\n\v\f "},
        {"zero", "0"},
        {"zero-rest", "0\ngarbage"},
        {"one", "1" + triangle},
        {"two-of-three", "2" + triangle + triangle + triangle},
        {"crlf", "1\r\n0\t0 0\r\n1 0 0\r\n0 1 0\r\n"},
        {"one-line", "2 0 0 0 1 0 0 0 1 0 0 0 0 0 1 0 1 0 0"},
        {"count-word", "many" + triangle},
        {"count-plus", "+1" + triangle},
        {"count-float", "1.0" + triangle},
        {"count-exponent", "1e0" + triangle},
        {"count-hex", "0x1" + triangle},
        {"count-negative", "-1" + triangle},
        {"count-minus-zero", "-0"},
        {"count-int-max", "2147483647" + triangle},
        {"count-int-overflow", "2147483648" + triangle},
        {"count-int-min", "-2147483648"},
        {"count-far-out", "-99999999999999999999999"},
        {"count-too-large", "1000000000" + triangle},
        {"count-just-fits", "1 0 0 0 0 0 0 0 0 0"},
        {"count-sign-only", "-"},
        {"count-glued", "1,0 0 0 1 0 0 0 1 0"},
        {"ends-early", "2" + triangle + " 0 0 0 1 0 0 0 1\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n"},
        {"word", "1\n0 0 0\n1 0 0\n0 one 0\n"},
        {"comma", "1\n0 0 0 1,2 0 0 0 1 0 0 0 0 0 0 0 0 0 0"},
        {"unit", "1\n0.5cm 0 0 1 0 0 0 1 0 0 0 0 0 0 0 0 0 0"},
        {"glued-minus", "1\n0-1 0 1 0 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0"},
        {"glued-plus", "1\n1e5+2 0 1 0 0 0 1 0 0 0 0 0 0 0 0 0 0 0"},
        {"nan-payload", "1\nnan(1) 0 0 1 0 0 0 1 0 0 0 0 0 0 0 0 0"},
        {"specials", "1\ninf -inf nan -nan INF NaN infinity -Infinity +inf 0 0 0 0 0 0 0 0 0"},
        {"hex", "1\n0x1.8p1 -0x10 0x.8p0 0X1P-149 0x1p-150 0x1.fffffep127 0x1p128 0x1p+0 0xA"},
        {"ranges",
         "1\n1e-45 7e-46 1e-50 3.4028235e38 3.4028236e38 1e39 -1e39 1e-38 1.17549435e-38"},
        {"ties", "1\n1.00000005960464477539062 1.000000059604644775390625 "
                 "1.0000000596046447753906251 16777217 16777219 0.1 0.2 0.3 3.14159265358979"},
        {"long-digits", "1\n0.000000000000000000000000000000000000000000001401298464324817 "
                        "1.000000000000000000000000000000000000000000000000000000000000001 "
                        "123456789012345678901234567890 0 0 0 0 0 0"},
        {"signs", "1\n+1 -1 +.5 -.5 .5 5. +0 -0 -.0e-0"},
        {"bad-signs", "1\n+-1 0 0 0 0 0 0 0 0"},
        {"dot-only", "1\n. 0 0 0 0 0 0 0 0"},
        {"exponent-only", "1\ne5 0 0 0 0 0 0 0 0"},
        {"dangling-exponent", "1\n1e 0 0 0 0 0 0 0 0"},
        {"nul-byte", std::string("1\n0 0 \0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0", 38)},
        {"ctrl-z", "1\n0 0 0 1 0 0 0 1 0\x1a"},
        {"ctrl-z-inside", "1\n0 0 0 1 0 0\x1a 0 1 0"},
        {"high-bytes", "1\n0 0 0 \xc3\xa9\xff 0 0 0 1 0 0 0 0 0 0 0 0 0"},
        {"long-garbage", "1\n" + std::string(100, 'x') + " 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"},
        {"line-count", "1\n\n\n\n0 0\n\n0\n1 0 0\n0 1 x"},
    };
    for (const auto& entry : catalogue) parse(out, entry.name, entry.text);

    // Random numbers in every notation the parser reads, nine to a triangle.
    for (int i = 0; i < 300; ++i) {
        std::string text = "1\n";
        for (int k = 0; k < 9; ++k) {
            const std::uint32_t form = in.bits() % 8;
            std::string number = (in.bits() & 1) ? "-" : "";
            if (form < 5) {  // decimal, 1 to 30 digits, with or without a point and an exponent
                const int digits = 1 + int(in.bits() % 30);
                const int point = int(in.bits() % (digits + 2));
                for (int d = 0; d < digits; ++d) {
                    if (d == point) number += '.';
                    number += char('0' + in.bits() % 10);
                }
                if (form >= 2) number += "e" + std::to_string(int(in.bits() % 100) - 60);
            } else if (form == 5) {  // hexadecimal
                char hex[40];
                std::snprintf(hex, sizeof hex, "0x%lx.%lxp%d",
                              static_cast<unsigned long>(in.bits() % 0x1000000),
                              static_cast<unsigned long>(in.bits() % 0x10000),
                              int(in.bits() % 300) - 170);
                number += hex;
            } else {  // nine significant digits, from the subnormals to beyond the float range
                number += std::to_string(in.bits() % 1000000000) + "e" +
                          std::to_string(int(in.bits() % 100) - 55);
            }
            text += number + ((in.bits() & 3) ? " " : "\t\r\n");
        }
        parse(out, "random-number-" + std::to_string(i), text);
    }

    // Random texts from the characters numbers are made of, and a few others.
    const std::string alphabet = "0123456789+-.eEpxXinfaINFA \t\n\r,()";
    for (int i = 0; i < 400; ++i) {
        std::string text = std::to_string(in.bits() % 3) + " ";
        const int length = int(in.bits() % 90);
        for (int k = 0; k < length; ++k) text += alphabet[in.bits() % alphabet.size()];
        parse(out, "random-text-" + std::to_string(i), text);
    }
}

} // namespace

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
