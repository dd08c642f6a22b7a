// The known mistakes as mistaken edge functions, and the verdict on one edge's answer. See
// clip_check.h.
//
// Every mistake starts from clipEdge's own decision for the edge and changes only what the
// mistake changes: where its case is the clipper's and it crosses, the cut point is clipEdge's
// to the bit (the same t, the same interpolation); only a mistaken t or a crossing that the
// clipper does not make is interpolated here, the way the clipper interpolates.
#include "check/clip_check.h"

#include <cmath>
#include <limits>

namespace {

struct MistakeText {
    ClipMistake mistake;
    const char* id;
    const char* explanation;
};

constexpr MistakeText mistakeTexts[] = {
    {ClipMistake::FlippedTest, "flipped-test",
     "The plane's test is reversed: each end that lies inside is taken for outside and each "
     "outside one for inside, so the pass keeps the part of the polygon it should cut away."},
    {ClipMistake::DividedFirst, "divided-first",
     "Each end is judged by its divided coordinate, c/w against ±1, instead of by the "
     "clip-space test on c and w; the two agree where w > 0, but where w < 0 the division turns "
     "the inequality round, and a vertex with w = 0 cannot be divided at all (it counts as "
     "outside here)."},
    {ClipMistake::TFromQ, "t-from-q",
     "The cut point is placed at 1 − t from P, as if t were measured from Q: t = d(P) / (d(P) − "
     "d(Q)) is the fraction of the way from P, the edge's start, towards Q."},
    {ClipMistake::TAfterDivide, "t-after-divide",
     "t is taken from the edge after division by w, where c/w reaches ±1; the division is not "
     "linear along the edge, so that parameter differs from the clip-space t wherever the ends' "
     "w differ. The cut is made in clip space: t = d(P) / (d(P) − d(Q))."},
    {ClipMistake::MissingCut, "missing-cut",
     "An edge that leaves the inside (in-out) must append its cut point; here it appends "
     "nothing, so the polygon runs from the last inside vertex straight to where it comes back "
     "in."},
    {ClipMistake::MissingQ, "missing-q",
     "An edge that comes back inside (out-in) must append its cut point and then its end Q; "
     "here Q is left out."},
    {ClipMistake::Boundary, "boundary",
     "An end exactly on the plane (d = 0) is inside: the test keeps the boundary (c ≤ w, not "
     "c < w)."},
    {ClipMistake::WrongPlane, "wrong-plane",
     "The pass clipped against another plane than its own: the six passes go left, right, "
     "bottom, top, near, far, each against its own plane, each on what the one before gave."},
    {ClipMistake::Skipped, "skipped",
     "The pass handed its input back unchanged, though the plane cuts it."},
};

const MistakeText* textOf(ClipMistake mistake)
{
    for (const MistakeText& text : mistakeTexts) {
        if (text.mistake == mistake) return &text;
    }
    return nullptr;
}

const char* const planeNames[6] = {"ClipLeft", "ClipRight", "ClipBottom",
                                   "ClipTop",  "ClipNear",  "ClipFar"};
const char* const planeTests[6] = {"x ≥ −w", "x ≤ w", "y ≥ −w", "y ≤ w", "z ≥ −w", "z ≤ w"};

bool isUpper(ClipPlane plane)
{
    return plane == ClipRight || plane == ClipTop || plane == ClipFar;
}

float coordinate(const Vector4& v, ClipPlane plane)
{
    return plane <= ClipRight ? v.x : plane <= ClipTop ? v.y : v.z;
}

bool crosses(ClipEdgeCase edgeCase)
{
    return edgeCase == ClipInOut || edgeCase == ClipOutIn;
}

// The clipper's own interpolation (clip/clip.cpp): difference, product, sum in double, one
// rounding to float; here for a t the clipper would not use.
Vector4 interpolate(const Vector4& p, const Vector4& q, double t)
{
    return {float((double(q.x) - p.x) * t + p.x), float((double(q.y) - p.y) * t + p.y),
            float((double(q.z) - p.z) * t + p.z), float((double(q.w) - p.w) * t + p.w)};
}

// Whether the mistake calls v outside, given whether the clipper does.
bool judgedOutside(const Vector4& v, ClipPlane plane, ClipMistake mistake, bool outside)
{
    switch (mistake) {
    case ClipMistake::FlippedTest: return !outside;
    case ClipMistake::Boundary: return outside || clipDistance(v, plane) == 0.0;
    case ClipMistake::DividedFirst: {
        if (v.w == 0.0f) return true;
        const double divided = double(coordinate(v, plane)) / double(v.w);
        return isUpper(plane) ? divided > 1.0 : divided < -1.0;
    }
    default: return outside;
    }
}

// The t of a crossing the clipper does not make: d(P) / (d(P) - d(Q)) as it stands.
double plainT(const Vector4& p, const Vector4& q, ClipPlane plane)
{
    const double dp = clipDistance(p, plane), dq = clipDistance(q, plane);
    if (dp == dq) return std::numeric_limits<double>::quiet_NaN();
    return dp / (dp - dq);
}

// The parameter where the divided edge meets c/w = ±1; the clip-space t unless both ends have
// w > 0 (only then is the divided edge the segment between them).
double tAfterDivide(const Vector4& p, const Vector4& q, ClipPlane plane, double t)
{
    if (!(p.w > 0.0f && q.w > 0.0f)) return t;
    const double bound = isUpper(plane) ? 1.0 : -1.0;
    const double dividedP = double(coordinate(p, plane)) / p.w;
    const double dividedQ = double(coordinate(q, plane)) / q.w;
    if (dividedP == dividedQ) return std::numeric_limits<double>::quiet_NaN();
    return (bound - dividedP) / (dividedQ - dividedP);
}

} // namespace

const char* mistakeId(ClipMistake mistake)
{
    const MistakeText* text = textOf(mistake);
    return text ? text->id : "";
}

const char* mistakeExplanation(ClipMistake mistake)
{
    const MistakeText* text = textOf(mistake);
    return text ? text->explanation : "";
}

ClipMistake mistakeFromId(const std::string& id)
{
    for (const MistakeText& text : mistakeTexts) {
        if (id == text.id) return text.mistake;
    }
    return ClipMistake::None;
}

const char* planeName(ClipPlane plane)
{
    return planeNames[plane];
}

const char* planeKeeps(ClipPlane plane)
{
    return planeTests[plane];
}

ClipEdge mistakenEdge(const Vector4& p, const Vector4& q, ClipPlane plane, ClipMistake mistake)
{
    const ClipEdge right = clipEdge(p, q, plane);
    if (mistake == ClipMistake::None || mistake == ClipMistake::WrongPlane) return right;
    ClipEdge edge;
    edge.t = std::numeric_limits<double>::quiet_NaN();
    edge.count = 0;
    if (mistake == ClipMistake::Skipped) {
        edge.edgeCase = ClipInIn;
        edge.appended[edge.count++] = q;
        return edge;
    }
    const bool pOutside = judgedOutside(p, plane, mistake, right.edgeCase & 2);
    const bool qOutside = judgedOutside(q, plane, mistake, right.edgeCase & 1);
    edge.edgeCase = ClipEdgeCase(int(pOutside) << 1 | int(qOutside));
    if (pOutside != qOutside) {
        // The clipper's own t and cut point wherever it crosses too.
        const bool sameCut = crosses(right.edgeCase);
        edge.t = sameCut ? right.t : plainT(p, q, plane);
        if (mistake == ClipMistake::TFromQ) edge.t = 1.0 - edge.t;
        if (mistake == ClipMistake::TAfterDivide) edge.t = tAfterDivide(p, q, plane, edge.t);
        const bool ownT = mistake == ClipMistake::TFromQ || mistake == ClipMistake::TAfterDivide;
        const bool dropped = mistake == ClipMistake::MissingCut && edge.edgeCase == ClipInOut;
        if (!dropped) {
            edge.appended[edge.count++] =
                sameCut && !ownT ? right.appended[0] : interpolate(p, q, edge.t);
        }
    }
    const bool dropQ = mistake == ClipMistake::MissingQ && edge.edgeCase == ClipOutIn;
    if (!qOutside && !dropQ) edge.appended[edge.count++] = q;
    return edge;
}

ClipPolygon mistakenPass(const ClipPolygon& input, ClipPlane plane, ClipMistake mistake)
{
    ClipPolygon output;
    const std::size_t n = input.size();
    for (std::size_t i = 0; i < n; ++i) {
        const ClipEdge edge = mistakenEdge(input[i], input[(i + 1) % n], plane, mistake);
        output.insert(output.end(), edge.appended, edge.appended + edge.count);
    }
    return output;
}

EdgeVerdict judgeEdgeAnswer(const Vector4& p, const Vector4& q, ClipPlane plane,
                            const EdgeAnswer& answer, double alsoRightT)
{
    EdgeVerdict verdict{};
    verdict.clipper = clipEdge(p, q, plane);
    verdict.mistake = ClipMistake::None;
    verdict.caseRight = answer.edgeCase == verdict.clipper.edgeCase;
    if (!verdict.caseRight) {
        // Named from the case alone: the mistakes that decide the ends differently.
        for (ClipMistake m : {ClipMistake::FlippedTest, ClipMistake::DividedFirst,
                              ClipMistake::Boundary}) {
            if (mistakenEdge(p, q, plane, m).edgeCase == answer.edgeCase) {
                verdict.mistake = m;
                break;
            }
        }
        return verdict;
    }
    if (!crosses(verdict.clipper.edgeCase)) {
        verdict.right = true;
        return verdict;
    }
    verdict.tJudged = true;
    const auto near = [&](double t) { return std::fabs(answer.t - t) <= edgeTTolerance; };
    verdict.tRight = near(verdict.clipper.t) || near(alsoRightT);
    verdict.right = verdict.tRight;
    if (verdict.tRight) return verdict;
    for (ClipMistake m : {ClipMistake::TFromQ, ClipMistake::TAfterDivide}) {
        if (near(mistakenEdge(p, q, plane, m).t)) {
            verdict.mistake = m;
            break;
        }
    }
    return verdict;
}
