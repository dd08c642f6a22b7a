// same_bits's shared pieces: exact hexadecimal output of floats and doubles, the report file
// that counts results, and the random inputs from the standard's fixed engine. The program's two
// files (same_bits.cpp: math, clipper, animation; same_bits_parsing.cpp: the loader and the
// parser) write through these, so Linux and Windows builds write the same bytes.
#pragma once

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


namespace same_bits {

// The exact value of a float in C99 hexadecimal notation, from its bits alone (no C library
// formatting, which differs between systems): -0x1.8p+1, 0x0.000002p-126, inf, nan:7fc00000.
inline std::string hexFloat(float value)
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
inline std::string hexDouble(double value)
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

inline constexpr float inf = std::numeric_limits<float>::infinity();
inline constexpr float nan = std::numeric_limits<float>::quiet_NaN();
inline constexpr float tiny = std::numeric_limits<float>::denorm_min();
inline constexpr float huge = std::numeric_limits<float>::max();

inline const float Inputs::specials[specialCount] = {
    0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 2.0f, tiny, -tiny, 1e-38f, huge, -huge, inf, -inf, nan,
    -nan, 0.1f};

// The loader over the teapot with CR LF line ends, and the parser over the teapot, malformed and
// random texts (same_bits_parsing.cpp).
void crlfTeapot(Report& out, const char* teapotPath, const std::string& scratchPath);
void parser(Report& out, Inputs& in, const char* teapotPath);

} // namespace same_bits
