// One numbering for every figure, description and step: where each vertex of each pass comes
// from, followed through the edge walks, and the names it gives. See clip_figures.h.
#include "figures/clip_figures.h"

#include "figures/passes.h"

#include <string>
#include <vector>

namespace {

// The cut points' letters, in the order they are made. Left out: the letters that name a
// quantity on the same figures and steps (d, t, w, x, y, z, and p, q beside P and Q) and those a
// reader takes for a digit (i, l, o), so that "d(P)" or "P = p" never reads two ways.
const char cutLetters[] = "abcefghjkmnrsuv";
const int letterCount = sizeof cutLetters - 1;

} // namespace

namespace fig {

// Follows the walks of all six passes: what an edge appends as Q is Q, what a crossing edge
// appends first is the next cut point. Needs figures.edges and afterPass.
void followOrigins(TriangleFigures& figures)
{
    figures.cuts.clear();
    std::vector<int> before = {0, 1, 2};
    for (int pass = 0; pass < 6; ++pass) {
        std::vector<int>& after = figures.origins[pass];
        if (figures.skipped[pass]) {
            after = before;  // a pass left out hands its input on as it is
            continue;
        }
        after.assign(figures.afterPass[pass].size(), -1);
        const std::vector<EdgeRecord>& walk = figures.edges[pass];
        for (std::size_t e = 0; e < walk.size(); ++e) {
            const EdgeRecord& edge = walk[e];
            const bool crosses = edge.edgeCase == ClipInOut || edge.edgeCase == ClipOutIn;
            for (std::size_t k = 0; k < edge.appended.size(); ++k) {
                const std::size_t at = static_cast<std::size_t>(edge.appended[k]);
                if (at >= after.size()) continue;
                if (crosses && k == 0) {
                    const int from = before[static_cast<std::size_t>(edge.from)];
                    const int to = before[static_cast<std::size_t>(edge.to)];
                    figures.cuts.push_back({pass, int(e), from, to, edge.t});
                    after[at] = 2 + int(figures.cuts.size());
                } else {
                    after[at] = before[static_cast<std::size_t>(edge.to)];
                }
            }
        }
        before = after;
    }
}

std::vector<std::string> originLabels(const std::vector<int>& origins)
{
    std::vector<std::string> labels;
    for (int origin : origins) labels.push_back(originLabel(origin));
    return labels;
}

std::vector<std::string> originNames(const std::vector<int>& origins)
{
    std::vector<std::string> names;
    for (int origin : origins) names.push_back(originName(origin));
    return names;
}

std::string namesText(const std::vector<std::string>& names)
{
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    }
    return text;
}

std::vector<int> cutsAmong(const std::vector<std::vector<int>>& polygons)
{
    std::vector<bool> seen;
    for (const std::vector<int>& origins : polygons) {
        for (int origin : origins) {
            if (origin < 3) continue;
            if (seen.size() <= std::size_t(origin)) seen.resize(std::size_t(origin) + 1);
            seen[std::size_t(origin)] = true;
        }
    }
    std::vector<int> cuts;
    for (std::size_t origin = 3; origin < seen.size(); ++origin) {
        if (seen[origin]) cuts.push_back(int(origin));
    }
    return cuts;
}

std::vector<int> keyedCuts(const TriangleFigures& figures, const std::vector<int>& cuts)
{
    // A cut's key names the ends of its edge, which may be earlier cuts: those are keyed too,
    // so that every name in a key is a corner or keyed (a cut's ends are made before it).
    std::vector<bool> keyed(figures.cuts.size() + 3, false);
    for (int origin : cuts) {
        if (origin >= 3 && std::size_t(origin) < keyed.size()) keyed[std::size_t(origin)] = true;
    }
    for (std::size_t origin = keyed.size(); origin-- > 3;) {
        if (!keyed[origin]) continue;
        for (int end : {figures.cuts[origin - 3].from, figures.cuts[origin - 3].to}) {
            if (end >= 3) keyed[std::size_t(end)] = true;
        }
    }
    std::vector<int> all;
    for (std::size_t origin = 3; origin < keyed.size(); ++origin) {
        if (keyed[origin]) all.push_back(int(origin));
    }
    return all;
}

std::vector<std::string> keyEntries(const TriangleFigures& figures, const std::vector<int>& cuts)
{
    std::vector<std::string> entries;
    for (int origin : keyedCuts(figures, cuts)) entries.push_back(cutKey(figures, origin));
    return entries;
}

} // namespace fig

std::vector<int> originsBefore(const TriangleFigures& figures, int pass)
{
    return pass == 0 ? std::vector<int>{0, 1, 2} : figures.origins[pass - 1];
}

std::string originName(int origin)
{
    return origin >= 0 && origin < 3 ? "corner " + std::to_string(origin) : originLabel(origin);
}

std::string originLabel(int origin)
{
    if (origin < 0) return "?";
    if (origin < 3) return std::to_string(origin);
    const int k = origin - 3;
    if (k < letterCount) return std::string(1, cutLetters[k]);
    // Past the single letters, two: "aa", "ab", ...
    const int first = k / letterCount - 1, second = k % letterCount;
    return std::string(1, cutLetters[first % letterCount]) + cutLetters[second];
}

std::string cutKey(const TriangleFigures& figures, int origin)
{
    const std::size_t k = static_cast<std::size_t>(origin - 3);
    if (origin < 3 || k >= figures.cuts.size()) return "";
    const CutPoint& cut = figures.cuts[k];
    return originLabel(origin) + ": cut of " + originName(cut.from) + " → " +
           originName(cut.to) + " by " + fig::planeInfos[cut.pass].enumerator;
}
