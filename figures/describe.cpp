// Text descriptions of the figures, from the same data the figures draw: see passes.h. Values as
// the figures' tables print them (four decimals for the clip-space values of the walkthrough).
#include "figures/passes.h"

#include "figures/svg.h"

#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

namespace fig {

namespace {

std::string vertices(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " vertex" : " vertices");
}

std::string clipValues(const Vector4& v)
{
    return "x " + value(v.x) + ", y " + value(v.y) + ", z " + value(v.z) + ", w " + value(v.w);
}

// "vertex 2", "vertices 0, 2"; "" for none.
std::string numberList(const char* one, const char* many, const std::vector<std::size_t>& numbers)
{
    if (numbers.empty()) return "";
    std::string list = std::string(numbers.size() == 1 ? one : many) + " ";
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        list += (i ? ", " : "") + std::to_string(numbers[i]);
    }
    return list;
}

// The place of v in polygon, bit for bit, or -1.
long placeOf(const Polygon& polygon, const Vector4& v)
{
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        if (sameBits(polygon[i], v)) return long(i);
    }
    return -1;
}

// Where a divided point lands, for the final figure's description.
std::string landing(const Vector4& v)
{
    const Vector4 d = divided(v);
    if (v.w == 0 || !finite(d.x, d.y)) {
        return std::isnan(d.x) || std::isnan(d.y) ? "w = 0 and x or y = 0: divided it is 0/0, no "
                                                    "point at all"
                                                  : "w = " + value(v.w) +
                                                        ": divided it lies at infinity";
    }
    const bool onFace = std::fabs(d.x) <= 1 && std::fabs(d.y) <= 1;
    std::string text = "(" + value(d.x) + ", " + value(d.y) + ")";
    if (v.w < 0) text += ", w " + value(v.w) + " < 0: behind the eye, its signs flipped";
    return text + (onFace ? ", on the face" : ", off the face");
}

} // namespace

Described describePass(const std::string& triangleTitle, int pass, const Polygon& before,
                       const Polygon& after, const std::vector<CutOrigin>& cuts)
{
    const PlaneInfo& plane = planeInfos[pass];
    const std::string axis = plane.axis;
    const std::string d = plane.upper ? "w − " + axis : axis + " + w";
    Described out;
    std::string& text = out.description;
    text = passTitle(triangleTitle, pass) + ".\n";
    text += std::string(plane.enumerator) + " keeps what lies inside " + insideText(plane) +
            ", where d = " + d + " ≥ 0; only " + axis + " and w decide the test.\n";
    text += "Before the pass: " + vertices(before.size()) + "; after it: " +
            vertices(after.size()) + ".\n";
    if (before.empty()) text += "Nothing is left to clip: an earlier pass removed it all.\n";

    std::vector<std::size_t> dropped;
    for (std::size_t i = 0; i < before.size(); ++i) {
        const long at = placeOf(after, before[i]);
        text += "Before, vertex " + std::to_string(i) + " (" + clipValues(before[i]) + "): ";
        if (at < 0) {
            text += "dropped, outside.\n";
            dropped.push_back(i);
        } else {
            text += "kept, vertex " + std::to_string(at) + " after.\n";
        }
    }
    std::size_t cutCount = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        text += "After, vertex " + std::to_string(i) + " (" + clipValues(after[i]) + "): ";
        const long at = placeOf(before, after[i]);
        if (at >= 0) {
            text += "kept, vertex " + std::to_string(at) + " before.\n";
            continue;
        }
        ++cutCount;
        text += "cut, a new vertex on the plane";
        if (i < cuts.size() && cuts[i].from >= 0) {
            text += ", on edge " + std::to_string(cuts[i].from) + " → " +
                    std::to_string(cuts[i].to) + " at t = " + value(cuts[i].t);
        }
        text += ".\n";
    }
    if (!before.empty() && after.empty()) text += "Nothing is inside " + insideText(plane) + ".\n";

    out.summary = std::string(plane.enumerator) + ": " + vertices(before.size()) + " in, " +
                  std::to_string(after.size()) + " out; " +
                  (dropped.empty() ? "none dropped" :
                                     numberList("vertex", "vertices", dropped) + " dropped") +
                  "; " +
                  (cutCount == 0 ? "no cuts"
                                 : std::to_string(cutCount) + (cutCount == 1 ? " cut" : " cuts"));
    return out;
}

Described describeFinal(const std::string& triangleTitle, const Polygon& triangle,
                        const Polygon& clipped)
{
    Described out;
    std::string& text = out.description;
    text = "Triangle “" + triangleTitle + "”: clipped, then divided by w.\n";
    text += "What the simulated camera sees, x/w against y/w, on the cube's face −1 ≤ x/w, y/w "
            "≤ 1.\n";
    text += "Clipped first: clipToFrustum returns " + vertices(clipped.size()) + " of the " +
            std::to_string(triangle.size()) + " corners' triangle";
    text += clipped.empty() ? "; nothing lies inside the view volume.\n" : "; divided by w:\n";
    std::size_t cuts = 0;
    for (std::size_t i = 0; i < clipped.size(); ++i) {
        const bool kept = placeOf(triangle, clipped[i]) >= 0;
        cuts += kept ? 0 : 1;
        text += "vertex " + std::to_string(i) + " (" + (kept ? "a corner" : "cut") + "): " +
                landing(clipped[i]) + ".\n";
    }
    text += "Divided first, without clipping, the corners land:\n";
    std::size_t behind = 0;
    for (std::size_t i = 0; i < triangle.size(); ++i) {
        behind += triangle[i].w < 0 ? 1 : 0;
        text += "corner " + std::to_string(i) + ": " + landing(triangle[i]) + ".\n";
    }
    out.summary = "Clipped then divided: " + vertices(clipped.size()) + ", " +
                  std::to_string(cuts) + (cuts == 1 ? " cut" : " cuts") + "; " +
                  (behind == 0 ? "no corner behind the eye"
                               : std::to_string(behind) +
                                     (behind == 1 ? " corner" : " corners") + " behind the eye");
    return out;
}

} // namespace fig
