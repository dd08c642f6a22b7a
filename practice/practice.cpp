// The seeded sequences of exercises: see practice.h.
//
// Every length here is a whole number of twentieths (0.05) until it is written as a decimal and
// read back as parseTriangleText reads the explorer's address. With this projection a corner's
// clip-space x and y are its eye-space x and y, and w its depth (−z), exactly; so the side
// planes are met exactly at x = ±depth and y = ±depth, and a corner made at such a place lies on
// its plane to the bit.
#include "practice/practice.h"

#include "check/clip_check.h"
#include "figures/clip_figures.h"

#include <cstdlib>
#include <string>

namespace {

// A whole number in [low, high].
long between(std::uint64_t& state, long low, long high)
{
    return low + long(splitmix64(state) % std::uint64_t(high - low + 1));
}

// twentieths / 20 as a decimal: "-0.35", "1.5", "0".
std::string twentiethsText(long twentieths)
{
    const long hundredths = 5 * std::labs(twentieths);
    std::string fraction = std::to_string(100 + hundredths % 100).substr(1);
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    return (twentieths < 0 ? "-" : "") + std::to_string(hundredths / 100) +
           (fraction.empty() ? "" : "." + fraction);
}

// Where a corner is put against pass K's plane.
enum class Side { Out, In, On, Behind };

// A corner in twentieths: x, y and its depth −z (eye space).
struct Corner {
    long x, y, depth;
};

// No depth: the first corner of its side.
constexpr long noDepth = -1000;

// A depth in [low, high] other than `other`: two corners on the same side of the plane never
// have the same depth, so that no triangle has two equal corners.
long depthBetween(std::uint64_t& state, long low, long high, long other)
{
    if (other < low || other > high) return between(state, low, high);
    const long depth = between(state, low, high - 1);
    return depth >= other ? depth + 1 : depth;
}

// The depth of a corner in front of the eye inside the near and far planes: 0.35 to 0.9.
long frontDepth(std::uint64_t& state, long other)
{
    return depthBetween(state, 7, 18, other);
}

// Within 0.6 of the depth aside: inside every side plane, with room.

long aside(std::uint64_t& state, long depth)
{
    return between(state, -(3 * depth) / 5, (3 * depth) / 5);
}

// A corner on the given side of pass K's plane (1 to 6), inside every plane before it unless it
// is behind the eye. Outside a side plane by 0.05 to 0.4, inside it by 0.1 to 0.6 (so inside
// the opposite plane too); outside the near plane at depth 0.05 to 0.2 and the far one at 1.1
// to 1.6. Its depth is not `avoid`, the depth of a corner made before on the same side.
Corner makeCorner(std::uint64_t& state, int pass, Side side, long avoid)
{
    if (side == Side::Behind) {
        // Behind the eye (w < 0), 0.05 to 0.5, and up to 0.5 aside.
        return {between(state, -10, 10), between(state, -10, 10), between(state, -10, -1)};
    }
    const long sign = pass % 2 == 0 ? 1 : -1;  // right, top, far bound from above
    if (pass >= 5) {
        const long depth = side != Side::Out ? frontDepth(state, avoid)
                           : pass == 5       ? depthBetween(state, 1, 4, avoid)
                                             : depthBetween(state, 22, 32, avoid);
        return {aside(state, depth), aside(state, depth), depth};
    }
    const long depth = frontDepth(state, avoid);
    const long beyond = side == Side::Out  ? between(state, 1, 8)
                        : side == Side::In ? -between(state, 2, 12)
                                           : 0;
    const long along = sign * (depth + beyond);  // the coordinate the plane bounds
    const long other = aside(state, depth);
    return pass <= 2 ? Corner{along, other, depth} : Corner{other, along, depth};
}

} // namespace

bool practiceTriangle(std::uint64_t seed, int pass, int index, float corners[9])
{
    if (pass < 1 || pass > 6 || index < 1 || seed > practiceSeedLimit) return false;
    // Which of five kinds in a row is which depends on the seed and pass alone: one behind the
    // eye, one on the plane (a plain one for the near and far passes), three plain.
    std::uint64_t sequence =
        seed * 0x9e3779b97f4a7c15ull ^ std::uint64_t(pass) * 0xd1b54a32d192ed03ull;
    const int slot = int((std::uint64_t(index - 1) + splitmix64(sequence) % 5) % 5);
    // Each triangle from its own start, so that triangle I does not depend on any before it.
    std::uint64_t state = sequence ^ std::uint64_t(index) * 0xbf58476d1ce4e5b9ull;
    splitmix64(state);
    Side sides[3] = {Side::Out, Side::In, Side::In};
    if (slot == 0) sides[2] = Side::Behind;
    if (slot == 1 && pass <= 4) sides[2] = Side::On;
    if (slot >= 2 && between(state, 0, 1) == 1) sides[2] = Side::Out;
    // The three in any order: the one on the plane or behind the eye is not always the last.
    static const int orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                     {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
    const int* order = orders[between(state, 0, 5)];
    Corner made[3];
    for (int k = 0; k < 3; ++k) {
        // Two corners on one side come one after the other: Out, In, In or Out, Out, In.
        const bool again = k > 0 && sides[k] == sides[k - 1];
        made[order[k]] =
            makeCorner(state, pass, sides[k], again ? made[order[k - 1]].depth : noDepth);
    }
    std::string text;
    for (int k = 0; k < 3; ++k) {
        text += (k ? "," : "") + twentiethsText(made[k].x) + "," + twentiethsText(made[k].y) +
                "," + twentiethsText(-made[k].depth);
    }
    std::string error;
    return parseTriangleText(text, corners, error);  // always a triangle: the text is made here
}

std::string practiceLines(std::uint64_t seed, int pass, int count)
{
    std::string lines;
    float corners[9];
    for (int index = 1; index <= count; ++index) {
        if (!practiceTriangle(seed, pass, index, corners)) return "";
        lines += "#t=" + triangleText(corners) + "\n";
    }
    return lines;
}

bool parsePracticeSeed(const std::string& text, std::uint64_t& seed)
{
    if (text.empty() || text.size() > 10) return false;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + std::uint64_t(c - '0');
    }
    if (value > practiceSeedLimit) return false;
    seed = value;
    return true;
}
