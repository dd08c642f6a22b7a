// Text descriptions of the figures, from the same data the figures draw: see passes.h. Values as
// the figures' tables print them (four decimals for the clip-space values of the walkthrough).
#include "figures/passes.h"

#include "figures/svg.h"

#include <algorithm>
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

std::string keyLines(const TriangleFigures& figures, const std::vector<int>& cuts)
{
    std::string text;
    for (int origin : keyedCuts(figures, cuts)) text += cutKey(figures, origin) + ".\n";
    return text;
}

Described describePass(const TriangleFigures& figures, int pass)
{
    const PlaneInfo plane = passPlane(figures, pass);
    const Polygon& before = polygonBefore(figures, pass);
    const Polygon& after = figures.afterPass[pass];
    const std::vector<int> from = originsBefore(figures, pass), to = figures.origins[pass];
    const std::string axis = plane.axis;
    const bool skipped = figures.skipped[pass];
    Described out;
    std::string& text = out.description;
    text = passTitle(figures.title, pass) + ".\n";
    const std::string rules = rulesNote(figures);
    if (!rules.empty()) text += rules + "\n";
    text += std::string(plane.enumerator) + (skipped ? " would keep" : " keeps") +
            " what lies inside " + insideText(plane) + ", where d = " + distanceText(plane) +
            " ≥ 0; only " + axis + (plane.scale == 0 ? " decides" : " and w decide") +
            " the test.\n";
    for (const std::string& note : passRuleNotes(figures, pass)) text += note + "\n";
    text += "Before the pass: " + vertices(before.size()) + "; after it: " +
            vertices(after.size()) + ".\n";
    if (before.empty()) text += "Nothing is left to clip: an earlier pass removed it all.\n";
    text += skipped ? "Each vertex is named by where it comes from: the triangle's corners keep "
                      "their numbers 0, 1 and 2, and cut points get letters. Its place in the "
                      "list is its vertex number; a pass not made keeps the list as it is.\n"
                    : "Each vertex is named by where it comes from: the triangle's corners keep "
                      "their numbers 0, 1 and 2, and cut points get letters. Its place in the "
                      "list is its vertex number, and the list starts with what edge 0 → 1 "
                      "appends, so even a pass that cuts nothing turns it by one place.\n";
    text += keyLines(figures, cutsAmong({from, to}));

    std::vector<std::string> dropped, cuts;
    for (std::size_t i = 0; i < before.size(); ++i) {
        const std::size_t at = std::size_t(std::find(to.begin(), to.end(), from[i]) - to.begin());
        text += "Before, vertex " + std::to_string(i) + " = " + originName(from[i]) + " (" +
                clipValues(before[i]) + "): ";
        if (at == to.size()) {
            text += "dropped, outside.\n";
            dropped.push_back(originName(from[i]));
        } else {
            text += "kept, vertex " + std::to_string(at) + " after.\n";
        }
    }
    const std::vector<VertexKind> kinds = outputKinds(figures, pass, to);
    for (std::size_t i = 0; i < after.size(); ++i) {
        text += "After, vertex " + std::to_string(i) + " = " + originName(to[i]) + " (" +
                clipValues(after[i]) + "): ";
        if (kinds[i] == VertexKind::Kept) {
            const long at = long(std::find(from.begin(), from.end(), to[i]) - from.begin());
            text += "kept, vertex " + std::to_string(at) + " before.\n";
            continue;
        }
        cuts.push_back(originName(to[i]));
        const CutPoint& cut = figures.cuts[std::size_t(to[i] - 3)];
        const EdgeRecord& edge = figures.edges[pass][std::size_t(cut.edge)];
        text += "cut, a new vertex on the plane, on edge " + std::to_string(edge.from) + " → " +
                std::to_string(edge.to) + " at t = " + value(cut.t) + ".\n";
    }
    if (!before.empty() && after.empty()) text += "Nothing is inside " + insideText(plane) + ".\n";

    if (skipped) {
        out.summary = std::string(plane.enumerator) + ", not made (depth clamp): " +
                      vertices(before.size()) + " passed on unchanged";
        return out;
    }
    out.summary = std::string(plane.enumerator) + ", inside " + insideText(plane) + ": " +
                  vertices(before.size()) + " in, " + std::to_string(after.size()) + " out; " +
                  (dropped.empty() ? "none dropped" : namesText(dropped) + " dropped") + "; " +
                  (cuts.empty() ? "no cuts"
                                : std::to_string(cuts.size()) + (cuts.size() == 1 ? " cut, "
                                                                                   : " cuts, ") +
                                      namesText(cuts));
    return out;
}

Described describeFinal(const TriangleFigures& figures)
{
    const Polygon& triangle = figures.triangle;
    const Polygon& clipped = figures.clipped;
    const std::vector<int> origins = clippedOrigins(figures);
    Described out;
    std::string& text = out.description;
    text = "Triangle “" + figures.title + "”: clipped, then divided by w.\n";
    const std::string rules = rulesNote(figures);
    if (!rules.empty()) text += rules + "\n";
    text += "What the simulated camera sees, x/w against y/w, on the cube's face −1 ≤ x/w, y/w "
            "≤ 1.\n";
    text += std::string("Clipped first: ") +
            (walksAsProgram(figures.rules) ? "clipToFrustum returns " : "the passes leave ") +
            vertices(clipped.size()) + " of the " + std::to_string(triangle.size()) +
            " corners' triangle";
    text += clipped.empty() ? "; nothing lies inside the view volume.\n" : "; divided by w:\n";
    std::size_t cuts = 0;
    for (std::size_t i = 0; i < clipped.size(); ++i) {
        const bool corner = origins[i] >= 0 && origins[i] < 3;
        cuts += corner ? 0 : 1;
        text += "vertex " + std::to_string(i) + " = " + originName(origins[i]) +
                (corner ? "" : " (cut)") + ": " + landing(clipped[i]) + ".\n";
    }
    text += keyLines(figures, cutsAmong({origins}));
    for (const std::string& note : finalRuleNotes(figures)) text += note + "\n";
    text += "Divided first, without clipping, the corners land:\n";
    std::size_t behind = 0;
    for (std::size_t i = 0; i < triangle.size(); ++i) {
        behind += triangle[i].w < 0 ? 1 : 0;
        text += "corner " + std::to_string(i) + ": " + landing(triangle[i]) + ".\n";
    }
    // With a guard band, how many cuts all passes made, beside how many they make without it.
    const std::string guard =
        figures.rules.guard == 1
            ? ""
            : "; guard band " + std::to_string(figures.rules.guard) + ": " +
                  std::to_string(figures.cuts.size()) + " cuts made, " +
                  std::to_string(figures.unguardedCuts) + " with G = 1";
    out.summary = "Clipped then divided: " + vertices(clipped.size()) + ", " +
                  std::to_string(cuts) + (cuts == 1 ? " cut" : " cuts") + guard + "; " +
                  (behind == 0 ? "no corner behind the eye"
                               : std::to_string(behind) +
                                     (behind == 1 ? " corner" : " corners") + " behind the eye");
    return out;
}

} // namespace fig
