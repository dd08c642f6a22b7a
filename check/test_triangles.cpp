// The test triangles: the hard set, the random ones of a seed, and their lines. See
// clip_check.h.
//
// A random triangle is made from integers alone: splitmix64 gives 64-bit words, each corner
// value is a whole number of thousandths written as a decimal, and the nine decimals are read
// as the explorer reads its address (parseTriangleText, which rounds each to the nearest float).
// So the same seed gives the same floats on every platform, and the explorer shows exactly the
// triangle that was checked.
#include "check/clip_check.h"

#include "check/internal.h"

#include <cmath>
#include <cstdlib>
#include <string>

std::uint64_t splitmix64(std::uint64_t& state)
{
    state += 0x9e3779b97f4a7c15ull;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
}

namespace {

// A whole number in [low, high].
long uniform(std::uint64_t& state, long low, long high)
{
    return low + long(splitmix64(state) % std::uint64_t(high - low + 1));
}

// thousandths / 1000 as a decimal, "-0.437", "1.5", "0".
std::string thousandthsText(long thousandths)
{
    const long magnitude = std::labs(thousandths);
    std::string fraction = std::to_string(1000 + magnitude % 1000).substr(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    return (thousandths < 0 ? "-" : "") + std::to_string(magnitude / 1000) +
           (fraction.empty() ? "" : "." + fraction);
}

TestTriangle fromText(const std::string& id, const std::string& text)
{
    float eye[9];
    std::string error;
    parseTriangleText(text, eye, error);  // always a triangle: the texts are made here
    return eyeTriangle(id, eye);
}

// The eye-space z nearest `start` whose projected corner lies as near the plane as floats
// allow: the smallest |d|, inside (d >= 0) on a tie. The near and far planes are met exactly
// only by awkward numbers, so this searches the floats around the plane's depth.
float nearestDepth(float start, ClipPlane plane)
{
    float best = start, bestD = INFINITY;
    float below = start, above = start;
    for (int step = 0; step < 256; ++step) {
        for (float z : {below, above}) {
            const float corner[9] = {0, 0, z, 0, 0, z, 0, 0, z};
            const double d = clipDistance(eyeTriangle("", corner).clip[0], plane);
            if (std::fabs(d) < std::fabs(bestD) || (std::fabs(d) == std::fabs(bestD) && d > 0)) {
                best = z;
                bestD = d;
            }
        }
        below = std::nextafter(below, -INFINITY);
        above = std::nextafter(above, INFINITY);
    }
    return best;
}

} // namespace

TestTriangle eyeTriangle(const std::string& id, const float eye[9])
{
    TestTriangle triangle;
    triangle.id = id;
    triangle.hasEye = true;
    Matrix4 projection;
    matFrustum(projection, frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
               frustum.far);
    for (int k = 0; k < 9; ++k) triangle.eye[k] = eye[k];
    for (int k = 0; k < 3; ++k) {
        const Vector4 corner = {eye[3 * k], eye[3 * k + 1], eye[3 * k + 2], 1.0f};
        matTransformPoint(triangle.clip[k], projection, corner);
    }
    return triangle;
}

std::vector<TestTriangle> hardTriangles()
{
    // With this projection x = x_eye and w = -z_eye, so x = -z in eye space gives x = w (and
    // x = z gives x = -w, y likewise) exactly.
    const std::string nearZ = shortestDecimal(nearestDepth(-0.25f, ClipNear));
    const std::string farZ = shortestDecimal(nearestDepth(-1.0f, ClipFar));
    const char* const corners[] = {
        // h1-h4: a corner exactly on the left, right, bottom, top plane; one corner beyond it.
        "-0.3,0.05,-0.3,0.1,-0.1,-0.5,-0.7,0.1,-0.6",
        "0.3,0.05,-0.3,-0.1,-0.1,-0.5,0.7,0.1,-0.6",
        "0.05,-0.3,-0.3,-0.1,0.1,-0.5,0.1,-0.7,-0.6",
        "0.05,0.3,-0.3,-0.1,-0.1,-0.5,0.1,0.7,-0.6",
        // h5, h6: a corner as near the near and the far plane as floats allow (filled in below).
        "", "",
        // h7: a corner in the eye plane, w = 0.
        "0.1,0.05,0,0.1,-0.1,-0.5,-0.2,0.1,-0.6",
        // h8: two corners behind the eye (w < 0).
        "0.1,0.1,0.5,-0.2,0.1,0.4,0.05,-0.1,-0.7",
        // h9: one corner behind the eye, reaching across the frustum.
        "-0.2,-0.15,-0.6,0.2,-0.15,-0.6,0.4,0.35,0.3",
        // h10: every corner behind the eye: nothing is left.
        "0.1,0.1,0.2,-0.1,0,0.5,0,-0.1,0.3",
        // h11: wholly outside the left plane: emptied by the first pass.
        "-2,0,-0.5,-3,0.1,-0.5,-2.5,-0.2,-0.6",
        // h12: wholly inside: every pass only rotates the list.
        "-0.1,-0.08,-0.5,0.15,-0.02,-0.7,0.02,0.12,-0.45",
        // h13: cut by all six planes, 3 -> 4 -> ... -> 9 vertices.
        "0.2,-0.5,-0.1,-1,0.9,-0.6,1,0.5,-1.2",
        // h14: two equal corners, crossing the right plane.
        "0.1,0.1,-0.5,0.1,0.1,-0.5,0.6,-0.1,-0.4",
        // h15: three corners in a line, crossing the right plane.
        "0,0,-0.5,0.3,0.1,-0.5,0.6,0.2,-0.5",
        // h16: all three corners one point.
        "0.1,0.1,-0.5,0.1,0.1,-0.5,0.1,0.1,-0.5",
        // h17: far outside, a million out.
        "1e6,1e6,-1e6,-1e6,1e6,-1e6,1e6,1e6,1e6",
        // h18: through the frustum, corners a million out.
        "-1e6,-1e6,-1e6,1e6,1e6,1e6,1e6,-1e6,-1e6",
        // h19: a corner on the frustum's corner edge, x = y = w.
        "0.25,0.25,-0.25,0.3,-0.1,-0.6,-0.2,0.1,-0.9",
        // h20: a corner at the eye itself, (0, 0, 0, 0) after the projection but for z.
        "0,0,0,0.2,0.1,-0.6,-0.2,0.1,-0.6",
    };
    std::vector<TestTriangle> triangles;
    int index = 0;
    for (const char* text : corners) {
        std::string corner = text;
        if (index == 4) corner = "0.05,0.02," + nearZ + ",-0.1,0.1,-0.1,0.1,-0.1,-0.6";
        if (index == 5) corner = "0.05,0.02," + farZ + ",-0.1,0.1,-1.4,0.1,-0.1,-0.6";
        triangles.push_back(fromText("h" + std::to_string(++index), corner));
    }
    return triangles;
}

TestTriangle randomTriangle(std::uint64_t seed, int index)
{
    // Each triangle from its own start, so that triangle i does not depend on the count asked.
    std::uint64_t state = seed ^ (std::uint64_t(index) * 0xd1b54a32d192ed03ull);
    splitmix64(state);
    // In thousandths: a centre at depth 0.05 to 1.25 in front of the eye, at 0.9 of the depth
    // or less to either side; each corner up to 0.35 deeper or shallower and 0.4 of its depth
    // aside. About a quarter come out wholly inside, an eighth reach behind the eye.
    const long depth = uniform(state, 50, 1250);
    const long across = uniform(state, -900, 900), up = uniform(state, -900, 900);
    std::string text;
    for (int k = 0; k < 3; ++k) {
        const long d = depth + uniform(state, -350, 350);
        const long u = across + uniform(state, -400, 400), v = up + uniform(state, -400, 400);
        // u * d is in millionths: rounded to thousandths, halves away from zero.
        const auto thousandths = [](long millionths) {
            return millionths >= 0 ? (millionths + 500) / 1000 : -((-millionths + 500) / 1000);
        };
        text += (k ? "," : "") + thousandthsText(thousandths(u * d)) + "," +
                thousandthsText(thousandths(v * d)) + "," + thousandthsText(-d);
    }
    return fromText("r" + std::to_string(index), text);
}

std::string triangleJsonLine(const TestTriangle& triangle)
{
    std::string line = "{\"id\":" + chk::jsonString(triangle.id);
    if (triangle.hasEye) {
        line += ",\"eye\":[";
        for (int k = 0; k < 9; ++k) line += (k ? "," : "") + shortestDecimal(triangle.eye[k]);
        line += "]";
    }
    line += ",\"triangle\":[";
    for (int k = 0; k < 3; ++k) {
        const Vector4& v = triangle.clip[k];
        line += std::string(k ? ",[" : "[") + shortestDecimal(v.x) + "," + shortestDecimal(v.y) +
                "," + shortestDecimal(v.z) + "," + shortestDecimal(v.w) + "]";
    }
    return line + "]}";
}

std::string triangleTextLine(const TestTriangle& triangle)
{
    std::string line = triangle.id;
    for (const Vector4& v : triangle.clip) {
        for (float c : {v.x, v.y, v.z, v.w}) line += " " + shortestDecimal(c);
    }
    return line;
}

std::string explorerAddress(const TestTriangle& triangle, int pass, int edge)
{
    std::string address = "explore.html#";
    if (triangle.hasEye) {
        address += "t=" + triangleText(triangle.eye);
    } else {
        address += "c=";
        for (int k = 0; k < 3; ++k) {
            const Vector4& v = triangle.clip[k];
            for (float c : {v.x, v.y, v.z, v.w}) {
                address += (address.back() == '=' ? "" : ",") + shortestDecimal(c);
            }
        }
    }
    if (pass > 0) address += "&pass=" + std::to_string(pass);
    if (pass > 0 && edge > 0) address += "&edge=" + std::to_string(edge);
    return address;
}
