// One pass of a learner's trace judged against the clipper's pass over the same input. See
// clip_check.h.
//
// Both outputs are compared as cyclic lists: under a tolerance after merging consecutive
// vertices within it of each other (so a vertex on the plane, which the clipper may append
// twice or once as rounding decides, counts once), bit for bit when exact. A wrong output is
// aligned with the clipper's, vertex by vertex in walk order, at the rotation that agrees
// longest from the start (then from the end); the first vertex where they part names the edge.
#include "check/clip_check.h"

#include "check/internal.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// A vertex of an output with the edge of the walk that appended it (-1: not known) and its
// place in the unmerged list.
struct Tagged {
    Vector4 v;
    int edge;
    int index;
};

struct Matcher {
    double tolerance;       // absolute
    bool exact;
    double relative = 0.0;  // the tolerance it was made of, relative to magnitudes

    bool same(float a, float b) const
    {
        if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
        if (std::isinf(a) || std::isinf(b)) return a == b;
        return std::fabs(double(a) - double(b)) <= tolerance;
    }
    bool same(const Vector4& a, const Vector4& b) const
    {
        if (exact) return std::memcmp(&a, &b, sizeof a) == 0;
        return same(a.x, b.x) && same(a.y, b.y) && same(a.z, b.z) && same(a.w, b.w);
    }
};

std::vector<Tagged> tagged(const ClipPolygon& polygon)
{
    std::vector<Tagged> list;
    for (std::size_t i = 0; i < polygon.size(); ++i) list.push_back({polygon[i], -1, int(i)});
    return list;
}

// Consecutive vertices within the tolerance of each other as one, the list taken as a cycle
// (the first one of a run kept); nothing merged when exact.
std::vector<Tagged> merged(const std::vector<Tagged>& list, const Matcher& match)
{
    if (match.exact) return list;
    std::vector<Tagged> kept;
    for (const Tagged& t : list) {
        if (kept.empty() || !match.same(kept.back().v, t.v)) kept.push_back(t);
    }
    while (kept.size() > 1 && match.same(kept.back().v, kept.front().v)) kept.pop_back();
    return kept;
}

// How many vertices of expected, from its start, learner's list matches when read from start.
std::size_t prefixAt(const std::vector<Tagged>& expected, const std::vector<Tagged>& learner,
                     std::size_t start, const Matcher& match)
{
    const std::size_t m = learner.size();
    std::size_t k = 0;
    while (k < expected.size() && k < m && match.same(expected[k].v, learner[(start + k) % m].v))
        ++k;
    return k;
}

// The rotation of learner at which it is expected (the same cyclic list), preferring its own
// start; -1 when there is none.
int sameCycle(const std::vector<Tagged>& expected, const std::vector<Tagged>& learner,
              const Matcher& match)
{
    if (expected.size() != learner.size()) return -1;
    if (expected.empty()) return 0;
    for (std::size_t r = 0; r < learner.size(); ++r) {
        if (prefixAt(expected, learner, r, match) == expected.size()) return int(r);
    }
    return -1;
}

bool sameOutput(const ClipPolygon& expected, const ClipPolygon& learner, const Matcher& match)
{
    return sameCycle(merged(tagged(expected), match), merged(tagged(learner), match), match) >= 0;
}

// The matcher for a mistake's output: the same relative tolerance, of the larger of the input's
// and that output's magnitudes. A mistaken test can cut far beyond the edge (t = 30, say), where
// any learner's rounding has grown with the cut point: relative to the input alone it would
// never match again.
Matcher mistakeMatcher(const Matcher& match, const ClipPolygon& output,
                       const CheckTolerance& tolerance)
{
    if (match.exact) return match;
    return {std::max(match.tolerance, passTolerance(output, tolerance)), false, match.relative};
}

// The clipper's output tagged with the edge that appended each vertex.
std::vector<Tagged> walkOutput(const std::vector<EdgeRecord>& walk, const ClipPolygon& output)
{
    std::vector<Tagged> list;
    for (const EdgeRecord& record : walk) {
        for (int k : record.appended) list.push_back({output[std::size_t(k)], record.from, k});
    }
    return list;
}

// The known mistake whose pass gives learner's output from this input, or None. boundary comes
// last: calling a vertex on the plane outside changes a polygon only where a part of it lies in
// the plane itself (a sliver of no area, which it drops), and there no other mistake does. Several can
// give the whole input back (a reversed test where nothing is inside, a divided test where w <
// 0): skipped is named first when the input comes back in its own order, as a pass that never
// walked it gives it, and last when it comes back rotated, as a walk that kept every vertex
// gives it.
ClipMistake namedMistake(const ClipPolygon& input, ClipPlane plane, const ClipPolygon& learner,
                         const Matcher& match, const CheckTolerance& tolerance,
                         ClipPlane& usedPlane)
{
    bool unchanged = learner.size() == input.size();
    for (std::size_t i = 0; unchanged && i < input.size(); ++i) {
        unchanged = match.same(input[i], learner[i]);
    }
    if (unchanged) return ClipMistake::Skipped;
    for (ClipMistake m : {ClipMistake::FlippedTest, ClipMistake::DividedFirst,
                          ClipMistake::TFromQ, ClipMistake::TAfterDivide,
                          ClipMistake::MissingCut, ClipMistake::MissingQ,
                          ClipMistake::Skipped, ClipMistake::Boundary}) {
        const ClipPolygon output = mistakenPass(input, plane, m);
        if (sameOutput(output, learner, mistakeMatcher(match, output, tolerance))) return m;
    }
    for (int other = 0; other < 6; ++other) {
        if (other == plane) continue;
        const ClipPolygon output = mistakenPass(input, ClipPlane(other), ClipMistake::None);
        if (sameOutput(output, learner, mistakeMatcher(match, output, tolerance))) {
            usedPlane = ClipPlane(other);
            return ClipMistake::WrongPlane;
        }
    }
    return ClipMistake::None;
}

// A wrong output aligned with the clipper's: the alignment that keeps the most vertices in
// order (a longest common subsequence), matched as early as it can be.
struct Alignment {
    std::size_t kept = 0;            // vertices matched
    std::vector<int> matchOf;        // per learner vertex (in the order read), the clipper's
                                     // vertex it matches, or -1
    std::size_t partAt = 0;          // the clipper's vertex before which they first part ...
    int partLearner = -1;            // ... and the learner's vertex there (-1: none)
};

// The alignment of learner, read from its vertex `start`, with expected.
Alignment align(const std::vector<Tagged>& expected, const std::vector<Tagged>& learner,
                std::size_t start, const Matcher& match)
{
    const std::size_t e = expected.size(), m = learner.size();
    const auto at = [&](std::size_t j) { return learner[(start + j) % m].v; };
    // common[i][j]: the longest common subsequence of expected[i..] and learner[j..].
    std::vector<std::vector<std::size_t>> common(e + 1, std::vector<std::size_t>(m + 1, 0));
    for (std::size_t i = e; i-- > 0;) {
        for (std::size_t j = m; j-- > 0;) {
            common[i][j] = match.same(expected[i].v, at(j))
                               ? common[i + 1][j + 1] + 1
                               : std::max(common[i + 1][j], common[i][j + 1]);
        }
    }
    Alignment result;
    result.kept = common[0][0];
    result.matchOf.assign(m, -1);
    bool parted = false;
    std::size_t i = 0, j = 0;
    while (i < e || j < m) {
        if (i < e && j < m && match.same(expected[i].v, at(j)) &&
            common[i][j] == common[i + 1][j + 1] + 1) {
            result.matchOf[j++] = int(i++);
            continue;
        }
        // A vertex too many when the clipper's still comes later in the learner's list.
        const bool insert = j < m && (i == e || common[i][j + 1] >= common[i + 1][j]);
        if (!parted) {
            parted = true;
            result.partAt = i;
            result.partLearner = j < m ? int(j) : -1;
        }
        if (insert) ++j;
        else ++i;
    }
    return result;
}

// Whether v lies on the line through P and Q (within the tolerance, which grows with v: a cut
// of a mistaken test can lie far beyond the edge), as every vertex an edge appends does.
bool onEdgeLine(const Vector4& p, const Vector4& q, const Vector4& v, const Matcher& match)
{
    const double pc[4] = {p.x, p.y, p.z, p.w}, qc[4] = {q.x, q.y, q.z, q.w};
    const double vc[4] = {v.x, v.y, v.z, v.w};
    int longest = 0;
    for (int c = 1; c < 4; ++c) {
        if (std::fabs(qc[c] - pc[c]) > std::fabs(qc[longest] - pc[longest])) longest = c;
    }
    const double span = qc[longest] - pc[longest];
    const double s = span == 0.0 ? 0.0 : (vc[longest] - pc[longest]) / span;
    double size = 0.0;
    for (double c : vc) size = std::max(size, std::fabs(c));
    const double tolerance = std::max(match.tolerance, match.relative * size);
    for (int c = 0; c < 4; ++c) {
        if (!(std::fabs(pc[c] + s * (qc[c] - pc[c]) - vc[c]) <= tolerance)) return false;
    }
    return true;
}

// The first edge whose contribution a known mistake changes: its walk and the clipper's side by
// side, a vertex within the tolerance of the one its list had last counting as that one (a
// vertex on the plane comes out once or twice, as rounding decides). -1 when none does.
int mistakenEdgeIndex(const ClipPolygon& input, ClipPlane plane, ClipMistake mistake,
                      ClipPlane usedPlane, const Matcher& match)
{
    const std::size_t n = input.size();
    const ClipPlane mistakePlane = mistake == ClipMistake::WrongPlane ? usedPlane : plane;
    const ClipMistake edgeMistake = mistake == ClipMistake::WrongPlane ? ClipMistake::None : mistake;
    bool haveRight = false, haveMine = false;
    Vector4 lastRight{}, lastMine{};
    const auto kept = [&](const ClipEdge& edge, bool& have, Vector4& last) {
        ClipPolygon out;
        for (int k = 0; k < edge.count; ++k) {
            if (have && match.same(last, edge.appended[k])) continue;
            out.push_back(edge.appended[k]);
            last = edge.appended[k];
            have = true;
        }
        return out;
    };
    for (std::size_t i = 0; i < n; ++i) {
        const Vector4& p = input[i];
        const Vector4& q = input[(i + 1) % n];
        const ClipPolygon right = kept(clipEdge(p, q, plane), haveRight, lastRight);
        const ClipPolygon mine =
            kept(mistakenEdge(p, q, mistakePlane, edgeMistake), haveMine, lastMine);
        bool same = right.size() == mine.size();
        for (std::size_t k = 0; same && k < right.size(); ++k) same = match.same(right[k], mine[k]);
        if (!same) return int(i);
    }
    return -1;
}

} // namespace

double passTolerance(const ClipPolygon& input, const CheckTolerance& tolerance)
{
    if (tolerance.exact) return 0.0;
    double largest = 0.0;
    for (const Vector4& v : input) {
        for (float c : {v.x, v.y, v.z, v.w}) {
            if (std::isfinite(c)) largest = std::max(largest, std::fabs(double(c)));
        }
    }
    return tolerance.relative * largest;
}

PassVerdict judgePass(const ClipPolygon& input, ClipPlane plane, const ClipPolygon& learnerOutput,
                      const CheckTolerance& tolerance)
{
    const Matcher match{passTolerance(input, tolerance), tolerance.exact,
                        tolerance.exact ? 0.0 : tolerance.relative};
    PassVerdict verdict;
    // The clipper's pass, as clipToPlane makes it.
    ClipPolygon expected(std::size_t(clipPassCapacity(int(input.size()))));
    expected.resize(std::size_t(
        clipToPlane(input.data(), int(input.size()), expected.data(), plane)));
    // Most outputs of a right trace are the clipper's list as it stands, perhaps rotated.
    if (learnerOutput.size() == expected.size()) {
        const std::size_t m = expected.size();
        for (std::size_t r = 0; r < std::max<std::size_t>(m, 1); ++r) {
            std::size_t k = 0;
            while (k < m && match.same(learnerOutput[k], expected[(k + r) % m])) ++k;
            if (k == m) {
                verdict.right = true;
                verdict.rotation = int(r);
                return verdict;
            }
        }
    }
    const std::vector<Tagged> learner = merged(tagged(learnerOutput), match);
    {
        const std::vector<Tagged> plain = merged(tagged(expected), match);
        const int rotation = sameCycle(plain, learner, match);
        if (rotation >= 0) {
            verdict.right = true;
            // learner[r] is the clipper's first vertex, so learner[0] is its vertex m - r.
            const std::size_t m = plain.size();
            verdict.rotation = m == 0 ? 0 : plain[(m - std::size_t(rotation)) % m].index;
            return verdict;
        }
    }
    verdict.mistake =
        namedMistake(input, plane, learnerOutput, match, tolerance, verdict.usedPlane);
    if (input.empty()) return verdict;

    // The walk, to find the first edge whose contribution the learner's list does not have.
    const std::vector<EdgeRecord> walk = edgeWalk(input, plane);
    const std::vector<Tagged> want = merged(walkOutput(walk, expected), match);
    // The rotation that keeps the most in order, the learner's own start on a tie.
    Alignment best;
    std::size_t start = 0;
    for (std::size_t r = 0; r < learner.size(); ++r) {
        Alignment alignment = align(want, learner, r, match);
        if (r == 0 || alignment.kept > best.kept) {
            best = std::move(alignment);
            start = r;
        }
    }
    const int n = int(input.size());
    const std::size_t m = learner.size();
    const auto learnerAt = [&](std::size_t j) { return learner[(start + j) % m].v; };
    // Where they part, the clipper's vertex there came from its edge. The learner's vertices
    // there, up to its next matched one, came from that edge or from edges before it that
    // should have appended nothing; each lies on the line of the edge that appended it, so the
    // earliest such edge (not before the last edge matched) is the first whose contribution
    // differs. Past the clipper's last vertex, the edge after the last one matched.
    const int lastMatched = best.partAt > 0 ? want[best.partAt - 1].edge : 0;
    if (best.partAt < want.size()) {
        verdict.edge = want[best.partAt].edge;
    } else {
        verdict.edge = best.partAt > 0 ? (lastMatched + 1) % n : 0;
    }
    for (std::size_t j = best.partLearner < 0 ? m : std::size_t(best.partLearner);
         j < m && best.matchOf[j] < 0; ++j) {
        for (int edge = lastMatched; edge < verdict.edge; ++edge) {
            if (onEdgeLine(input[std::size_t(edge)], input[std::size_t((edge + 1) % n)],
                           learnerAt(j), match)) {
                verdict.edge = edge;
                break;
            }
        }
    }
    // A named mistake says exactly which edge it changed first.
    if (verdict.mistake != ClipMistake::None) {
        const int changed =
            mistakenEdgeIndex(input, plane, verdict.mistake, verdict.usedPlane,
                              mistakeMatcher(match, learnerOutput, tolerance));
        if (changed >= 0) verdict.edge = changed;
    }
    // What the learner has in that place: its vertices after the last one matched to an earlier
    // edge's and before the first one matched to a later edge's.
    std::size_t from = 0, to = m;
    for (std::size_t j = 0; j < m; ++j) {
        const int k = best.matchOf.empty() ? -1 : best.matchOf[j];
        if (k < 0) continue;
        const int edge = want[std::size_t(k)].edge;
        if (edge < verdict.edge) from = j + 1;
        if (edge > verdict.edge && to == m) to = j;
    }
    for (std::size_t j = from; j < to; ++j) verdict.learnerAppends.push_back(learnerAt(j));
    verdict.record = walk[std::size_t(verdict.edge)];
    for (int k : verdict.record.appended) verdict.clipperAppends.push_back(expected[std::size_t(k)]);
    return verdict;
}

int chk::cyclicOffset(const ClipPolygon& learner, const ClipPolygon& clipper,
                      const CheckTolerance& tolerance)
{
    if (learner.size() != clipper.size()) return -1;
    if (clipper.empty()) return 0;
    const Matcher match{passTolerance(clipper, tolerance), tolerance.exact};
    const std::size_t n = clipper.size();
    for (std::size_t r = 0; r < n; ++r) {
        std::size_t i = 0;
        while (i < n && match.same(learner[i], clipper[(i + r) % n])) ++i;
        if (i == n) return int(r);
    }
    return -1;
}
