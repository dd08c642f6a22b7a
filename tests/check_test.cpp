// The checker library: the mistakes against hand-worked edges, the edge-level verdict, the pass
// judgement as properties over many random triangles, the test triangles and the line reader,
// and a small check's report.
#include "check/clip_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace {

bool sameBits(const Vector4& a, const Vector4& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

std::string show(const Vector4& v)
{
    char text[96];
    std::snprintf(text, sizeof text, "(%.9g, %.9g, %.9g, %.9g)", v.x, v.y, v.z, v.w);
    return text;
}

double largest(const ClipPolygon& polygon)
{
    double size = 0;
    for (const Vector4& v : polygon) {
        for (float c : {v.x, v.y, v.z, v.w}) {
            if (std::isfinite(c)) size = std::max(size, double(std::fabs(c)));
        }
    }
    return size;
}

// The same points in the same cyclic order, a point repeated next to itself counted once.
bool sameCycle(const ClipPolygon& a, const ClipPolygon& b, double tol)
{
    const auto near = [&](const Vector4& u, const Vector4& v) {
        const float x[4] = {u.x, u.y, u.z, u.w}, y[4] = {v.x, v.y, v.z, v.w};
        for (int c = 0; c < 4; ++c) {
            if (!(std::fabs(x[c] - y[c]) <= tol) && !(std::isnan(x[c]) && std::isnan(y[c])))
                return false;
        }
        return true;
    };
    const auto once = [&](const ClipPolygon& p) {
        ClipPolygon kept;
        for (const Vector4& v : p) {
            if (kept.empty() || !near(kept.back(), v)) kept.push_back(v);
        }
        while (kept.size() > 1 && near(kept.back(), kept.front())) kept.pop_back();
        return kept;
    };
    const ClipPolygon x = once(a), y = once(b);
    if (x.size() != y.size()) return false;
    for (std::size_t r = 0; r < std::max<std::size_t>(y.size(), 1); ++r) {
        bool all = true;
        for (std::size_t i = 0; i < x.size() && all; ++i) all = near(x[i], y[(i + r) % y.size()]);
        if (all) return true;
    }
    return false;
}

ClipPolygon clipped(const ClipPolygon& input, ClipPlane plane)
{
    ClipPolygon output(std::size_t(clipPassCapacity(int(input.size()))));
    output.resize(std::size_t(clipToPlane(input.data(), int(input.size()), output.data(), plane)));
    return output;
}

// Worked by hand against ClipRight (d = w - x): P = (0, 0, 0, 1), d = 1, inside; Q = (4, 0, 0,
// 2), d = -2, outside. t = 1/3, the cut (4/3, 0, 0, 4/3); from Q, 2/3 gives (8/3, 0, 0, 5/3);
// divided, x/w goes from 0 to 2 and meets 1 at 1/2, giving (2, 0, 0, 1.5). Behind the eye, B =
// (0.5, 0, 0, -1) is outside (0.5 > -1), yet 0.5 / -1 = -0.5 <= 1 calls it inside. On the
// plane, O = (1, 0, 0, 1).
TEST(MistakenEdge, EachMistakeChangesWhatItNamesAndNothingElse)
{
    const Vector4 p{0, 0, 0, 1}, q{4, 0, 0, 2}, b{0.5f, 0, 0, -1}, o{1, 0, 0, 1};
    const float third = float(4.0 / 3.0);
    struct Case {
        const char* what;
        Vector4 from, to;
        ClipMistake mistake;
        ClipEdgeCase edgeCase;
        double t;  // NaN: none
        std::vector<Vector4> appended;
    };
    const double none = NAN;
    const Case cases[] = {
        {"right, in-out", p, q, ClipMistake::None, ClipInOut, 1.0 / 3, {{third, 0, 0, third}}},
        {"right, out-in", q, p, ClipMistake::None, ClipOutIn, 2.0 / 3, {{third, 0, 0, third}, p}},
        {"flipped, in-out as out-in", p, q, ClipMistake::FlippedTest, ClipOutIn, 1.0 / 3,
         {{third, 0, 0, third}, q}},
        {"flipped, in-in as out-out", p, o, ClipMistake::FlippedTest, ClipOutOut, none, {}},
        {"t from Q", p, q, ClipMistake::TFromQ, ClipInOut, 2.0 / 3, {{8.0f / 3, 0, 0, 5.0f / 3}}},
        {"t after the division", p, q, ClipMistake::TAfterDivide, ClipInOut, 0.5,
         {{2, 0, 0, 1.5f}}},
        {"t after the division, w < 0: the true t", b, p, ClipMistake::TAfterDivide, ClipOutIn,
         1.5 / 2.5, {{0.2f, 0, 0, 0.2f}, p}},
        {"divided first, w < 0 inside", b, p, ClipMistake::DividedFirst, ClipInIn, none, {p}},
        {"divided first, w > 0 as the test", p, q, ClipMistake::DividedFirst, ClipInOut, 1.0 / 3,
         {{third, 0, 0, third}}},
        {"missing cut, in-out", p, q, ClipMistake::MissingCut, ClipInOut, 1.0 / 3, {}},
        {"missing cut, out-in keeps its cut", q, p, ClipMistake::MissingCut, ClipOutIn, 2.0 / 3,
         {{third, 0, 0, third}, p}},
        {"missing Q, out-in", q, p, ClipMistake::MissingQ, ClipOutIn, 2.0 / 3,
         {{third, 0, 0, third}}},
        {"boundary, on the plane outside", o, p, ClipMistake::Boundary, ClipOutIn, 0.0, {o, p}},
        {"skipped keeps Q", p, q, ClipMistake::Skipped, ClipInIn, none, {q}},
    };
    for (const Case& c : cases) {
        const ClipEdge edge = mistakenEdge(c.from, c.to, ClipRight, c.mistake);
        EXPECT_EQ(edge.edgeCase, c.edgeCase) << c.what;
        if (std::isnan(c.t)) {
            EXPECT_TRUE(std::isnan(edge.t)) << c.what;
        } else {
            EXPECT_NEAR(edge.t, c.t, 1e-12) << c.what;
        }
        ASSERT_EQ(edge.count, int(c.appended.size())) << c.what;
        for (int k = 0; k < edge.count; ++k) {
            EXPECT_NEAR(edge.appended[k].x, c.appended[k].x, 1e-6) << c.what << " " << k;
            EXPECT_NEAR(edge.appended[k].w, c.appended[k].w, 1e-6) << c.what << " " << k;
        }
    }
    // Where the case is the clipper's and it crosses, the cut is the clipper's to the bit.
    const ClipEdge right = clipEdge(p, q, ClipRight);
    EXPECT_TRUE(sameBits(mistakenEdge(p, q, ClipRight, ClipMistake::MissingQ).appended[0],
                         right.appended[0]));
    for (ClipMistake m : {ClipMistake::FlippedTest, ClipMistake::DividedFirst,
                          ClipMistake::TFromQ, ClipMistake::TAfterDivide, ClipMistake::MissingCut,
                          ClipMistake::MissingQ, ClipMistake::Boundary, ClipMistake::WrongPlane,
                          ClipMistake::Skipped}) {
        EXPECT_EQ(mistakeFromId(mistakeId(m)), m);
        EXPECT_GT(std::strlen(mistakeExplanation(m)), 40u) << mistakeId(m);
    }
}

TEST(JudgeEdgeAnswer, ACaseIsJudgedFirstThenTAndEachKnownMistakeIsNamed)
{
    const Vector4 p{0, 0, 0, 1}, q{4, 0, 0, 2}, b{0.5f, 0, 0, -1}, o{1, 0, 0, 1};
    struct Case {
        const char* what;
        Vector4 from, to;
        ClipEdgeCase answer;
        double t;
        bool right;
        ClipMistake mistake;
    };
    const Case cases[] = {
        {"right", p, q, ClipInOut, 1.0 / 3, true, ClipMistake::None},
        {"right within 0.002", p, q, ClipInOut, 1.0 / 3 + 0.0019, true, ClipMistake::None},
        {"t off by 0.02", p, q, ClipInOut, 1.0 / 3 + 0.02, false, ClipMistake::None},
        {"t from Q", p, q, ClipInOut, 0.6667, false, ClipMistake::TFromQ},
        {"t after the division", p, q, ClipInOut, 0.5, false, ClipMistake::TAfterDivide},
        {"no t for a crossing", p, q, ClipInOut, NAN, false, ClipMistake::None},
        {"the test reversed", p, q, ClipOutIn, 1.0 / 3, false, ClipMistake::FlippedTest},
        {"divided first behind the eye", b, p, ClipInIn, NAN, false, ClipMistake::DividedFirst},
        {"on the plane called outside", o, p, ClipOutIn, 0, false, ClipMistake::Boundary},
        {"in-in, t ignored", o, p, ClipInIn, 0.7, true, ClipMistake::None},
        {"a case no mistake gives", p, q, ClipOutOut, NAN, false, ClipMistake::None},
    };
    for (const Case& c : cases) {
        const EdgeVerdict verdict = judgeEdgeAnswer(c.from, c.to, ClipRight, {c.answer, c.t});
        EXPECT_EQ(verdict.right, c.right) << c.what;
        EXPECT_EQ(verdict.mistake, c.mistake) << c.what << ": " << mistakeId(verdict.mistake);
        EXPECT_EQ(verdict.caseRight, c.answer == verdict.clipper.edgeCase) << c.what;
    }
    // The page's t from the rounded values it shows counts too.
    EXPECT_TRUE(judgeEdgeAnswer(p, q, ClipRight, {ClipInOut, 0.34}, 0.3399).right);
}

// The practice's words, worked by hand against ClipRight: P = (0.2, 0, 0, 0.5), d = 0.3, inside;
// Q = (0.6, 0, 0, 0.5), d = -0.1, outside; t = 0.3 / 0.4 = 0.75. Behind the eye, B = (0.5, 0,
// 0, -1), d = -1.5, which divided first (-0.5 <= 1) is called inside; at the eye plane E = (0.2,
// 0, 0, 0), d = -0.2, which cannot be divided; on the plane O = (1, 0, 0, 1).
TEST(EdgeFeedback, SaysTheClippersDecisionWithItsNumbersAndNamesEachMistake)
{
    const Vector4 p{0.2f, 0, 0, 0.5f}, q{0.6f, 0, 0, 0.5f}, b{0.5f, 0, 0, -1};
    const Vector4 e{0.2f, 0, 0, 0}, o{1, 0, 0, 1}, inside{0, 0, 0, 1};
    EXPECT_EQ(edgeDecisionText(p, q, ClipRight),
              "P: d = w − x = 0.3000 ≥ 0, inside; Q: d = −0.1000 < 0, outside: in-out, "
              "t = 0.3/(0.3 + 0.1) = 0.75; the edge appends the cut point.");
    EXPECT_EQ(edgeDecisionText(q, p, ClipRight),
              "P: d = w − x = −0.1000 < 0, outside; Q: d = 0.3000 ≥ 0, inside: out-in, "
              "t = −0.1/(−0.1 − 0.3) = 0.25; the edge appends the cut point, then Q.");
    EXPECT_EQ(edgeDecisionText(o, inside, ClipRight),
              "P: d = w − x = 0 ≥ 0, on the plane, which the test keeps, inside; Q: d = 1.0000 "
              "≥ 0, inside: in-in; the edge appends Q.");
    EXPECT_EQ(edgeDecisionText(b, e, ClipLeft),
              "P: d = x + w = −0.5000 < 0, outside; Q: d = 0.2000 ≥ 0, inside: out-in, "
              "t = −0.5/(−0.5 − 0.2) = 0.7143; the edge appends the cut point, then Q.");

    // Each mistake of the practice, answered as that mistake answers, with its words.
    struct Case {
        const char* what;
        Vector4 from, to;
        ClipPlane plane;
        EdgeAnswer answer;
        const char* mistake;  // its id, "" for none
        const char* first;    // the verdict's sentence
    };
    const Case cases[] = {
        {"right", p, q, ClipRight, {ClipInOut, 0.75}, "",
         "Right: in-out, t = 0.75, within 0.002 of the clipper's t."},
        {"in-in, t ignored", o, inside, ClipRight, {ClipInIn, 5}, "", "Right: in-in."},
        {"the test reversed", p, q, ClipRight, {ClipOutIn, 0.75}, "flipped-test",
         "Not right: the edge is not out-in."},
        {"the test reversed, in-in", p, inside, ClipRight, {ClipOutOut}, "flipped-test",
         "Not right: the edge is not out-out."},
        {"divided first behind the eye", b, inside, ClipRight, {ClipInIn}, "divided-first",
         "Not right: the edge is not in-in."},
        {"divided first at w = 0", inside, e, ClipLeft, {ClipInOut, 0.5}, "divided-first",
         "Not right: the edge is not in-out."},
        {"P on the plane called outside", o, inside, ClipRight, {ClipOutIn, 0}, "boundary",
         "Not right: the edge is not out-in."},
        {"Q on the plane called outside", inside, o, ClipRight, {ClipInOut, 1}, "boundary",
         "Not right: the edge is not in-out."},
        {"t from Q", p, q, ClipRight, {ClipInOut, 0.25}, "t-from-q",
         "Not right: the case, in-out, is right, but t = 0.25 is not within 0.002 of the "
         "clipper's t."},
        {"t off by 0.02", p, q, ClipRight, {ClipInOut, 0.77}, "",
         "Not right: the case, in-out, is right, but t = 0.77 is not within 0.002 of the "
         "clipper's t."},
    };
    for (const Case& c : cases) {
        const EdgeVerdict verdict = judgeEdgeAnswer(c.from, c.to, c.plane, c.answer);
        EXPECT_STREQ(mistakeId(verdict.mistake), c.mistake) << c.what;
        const std::vector<std::string> lines = edgeFeedback(c.from, c.to, c.plane, c.answer,
                                                            verdict);
        ASSERT_EQ(lines.size(), *c.mistake ? 3u : 2u) << c.what;
        EXPECT_EQ(lines[0], c.first) << c.what;
        if (*c.mistake) {
            EXPECT_NE(lines[1].find(mistakeExplanation(verdict.mistake)), std::string::npos);
        }
        EXPECT_EQ(lines.back(), "The clipper: " + edgeDecisionText(c.from, c.to, c.plane));
    }

    // t after the division: P = (0, 0, 0, 1) to Q = (4, 0, 0, 2) gives 0.5 against 1/3.
    const Vector4 near{0, 0, 0, 1}, far{4, 0, 0, 2};
    EXPECT_STREQ(mistakeId(judgeEdgeAnswer(near, far, ClipRight, {ClipInOut, 0.501}).mistake),
                 "t-after-divide");

    // The t worked from the values as shown, four decimals: 0.33333 shows as 0.3333.
    const Vector4 third{0.33333f, 0, 0, 1}, over{2, 0, 0, 1};
    EXPECT_DOUBLE_EQ(shownT(third, over, ClipRight), 0.6667 / (0.6667 + 1));
    EXPECT_TRUE(std::isnan(shownT(p, p, ClipRight)));
    EXPECT_EQ(fourDecimals(-0.00001), "0.0000");
    EXPECT_EQ(fourDecimals(-2.5), "−2.5000");

    // t as typed.
    struct Typed {
        const char* text;
        bool read;
        double t;
    };
    const Typed typed[] = {
        {"0.75", true, 0.75},  {" 0,75 ", true, 0.75}, {"−0.5", true, -0.5},
        {"+.5", true, 0.5},    {"1e-3", true, 0.001},  {"0.3/0.4", true, 0.75},
        {"3 / 4", true, 0.75}, {"", false, 0},         {"abc", false, 0},
        {"1/0", false, 0},     {"0.5.1", false, 0},    {"1e", false, 0},
        {"nan", false, 0},     {"1e999", false, 0},    {"-", false, 0},
    };
    for (const Typed& c : typed) {
        double t = -99;
        EXPECT_EQ(readAnswerT(c.text, t), c.read) << c.text;
        if (c.read) {
            EXPECT_DOUBLE_EQ(t, c.t) << c.text;
        }
    }
}

// Over many random and hard triangles and every pass: the clipper's own output is right in
// every rotation and under rounding within the tolerance, and wrong beyond it; each mistaken
// pass that differs is wrong, named by a mistake whose pass gives it, at an edge whose
// contribution that mistake changes or before which the learner's list departs.
TEST(JudgePass, RightInAnyRotationWithinTheToleranceAndMistakesNamedWhereTheyFit)
{
    std::vector<TestTriangle> triangles = hardTriangles();
    for (int i = 1; i <= 150; ++i) triangles.push_back(randomTriangle(7, i));
    const CheckTolerance tolerance;
    int named = 0, wrong = 0;
    for (const TestTriangle& triangle : triangles) {
        ClipPolygon input(triangle.clip, triangle.clip + 3);
        for (int pass = 0; pass < 6; ++pass) {
            const ClipPlane plane = ClipPlane(pass);
            const ClipPolygon output = clipped(input, plane);
            const double tol = passTolerance(input, tolerance);
            for (std::size_t r = 0; r < output.size(); ++r) {
                ClipPolygon rotated(output.begin() + long(r), output.end());
                rotated.insert(rotated.end(), output.begin(), output.begin() + long(r));
                const PassVerdict v = judgePass(input, plane, rotated, tolerance);
                ASSERT_TRUE(v.right) << triangle.id << " pass " << pass + 1 << " rotated " << r;
                // Where the clipper appends a vertex twice (one on the plane), either copy.
                const Vector4& start = output[std::size_t(v.rotation)];
                EXPECT_TRUE(sameBits(start, rotated[0]) ||
                            (std::fabs(start.x - rotated[0].x) <= tol &&
                             std::fabs(start.w - rotated[0].w) <= tol))
                    << triangle.id << " pass " << pass + 1 << " rotated " << r;
                if (r == 0) {
                    EXPECT_EQ(v.rotation, 0);
                }
            }
            if (!output.empty() && tol > 0 && std::isfinite(output[0].x)) {
                ClipPolygon nudged = output;
                nudged[0].x = float(nudged[0].x + 0.5 * tol);
                EXPECT_TRUE(judgePass(input, plane, nudged, tolerance).right) << triangle.id;
                nudged[0].x = float(output[0].x + 3 * tol);
                EXPECT_FALSE(judgePass(input, plane, nudged, tolerance).right) << triangle.id;
                nudged[0].x = std::nextafter(output[0].x, INFINITY);
                EXPECT_FALSE(judgePass(input, plane, nudged, {true, 0}).right) << triangle.id;
            }
            for (ClipMistake m : {ClipMistake::FlippedTest, ClipMistake::DividedFirst,
                                  ClipMistake::TFromQ, ClipMistake::TAfterDivide,
                                  ClipMistake::MissingCut, ClipMistake::MissingQ}) {
                const ClipPolygon mistaken = mistakenPass(input, plane, m);
                const PassVerdict v = judgePass(input, plane, mistaken, tolerance);
                if (v.right) continue;
                ++wrong;
                named += v.mistake == m;
                ASSERT_NE(v.mistake, ClipMistake::None) << triangle.id << " " << mistakeId(m);
                ASSERT_GE(v.edge, 0);
                ASSERT_LT(v.edge, int(input.size()));
                // The named mistake's own pass gives the output too.
                const ClipPolygon again = v.mistake == ClipMistake::WrongPlane
                                              ? clipped(input, v.usedPlane)
                                              : mistakenPass(input, plane, v.mistake);
                EXPECT_TRUE(sameCycle(again, mistaken, 1e-5 * std::max(1.0, largest(again))))
                    << triangle.id << " pass " << pass + 1 << ": " << mistakeId(m)
                    << " named " << mistakeId(v.mistake);
            }
            input = output;
        }
    }
    EXPECT_GT(wrong, 1000);
    EXPECT_GT(named, wrong * 9 / 10) << "named as made: " << named << " of " << wrong;
}

TEST(TestTriangles, TheSameForASeedReadBackExactlyAndTheHardSetIsWhatItSays)
{
    // The same triangle for the same seed and index, another for another seed; every line
    // reads back to the same bits.
    std::vector<TestTriangle> all = hardTriangles();
    for (int i = 1; i <= 200; ++i) {
        const TestTriangle a = randomTriangle(42, i), b = randomTriangle(42, i);
        EXPECT_EQ(0, std::memcmp(a.clip, b.clip, sizeof a.clip));
        EXPECT_NE(0, std::memcmp(a.clip, randomTriangle(43, i).clip, sizeof a.clip));
        EXPECT_EQ(a.id, "r" + std::to_string(i));
        all.push_back(a);
    }
    for (const TestTriangle& t : all) {
        for (const std::string& line : {triangleJsonLine(t), triangleTextLine(t)}) {
            TestTriangle back;
            std::string error;
            ASSERT_TRUE(parseTriangleLine(line, back, error)) << line << ": " << error;
            EXPECT_EQ(back.id, t.id);
            for (int k = 0; k < 3; ++k) {
                EXPECT_TRUE(sameBits(back.clip[k], t.clip[k])) << line << " " << show(back.clip[k]);
            }
        }
    }
    // The hard set, by what each triangle is for.
    const std::vector<TestTriangle> hard = hardTriangles();
    ASSERT_EQ(hard.size(), 20u);
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(clipDistance(hard[std::size_t(k)].clip[0], ClipPlane(k)), 0.0) << "h" << k + 1;
    }
    // h5, h6: nearer the plane than the next floats of eye-space z either side.
    for (int k = 4; k < 6; ++k) {
        const TestTriangle& t = hard[std::size_t(k)];
        const ClipPlane plane = ClipPlane(k);
        const double d = std::fabs(clipDistance(t.clip[0], plane));
        EXPECT_LT(d, 1e-7);
        for (float z : {std::nextafter(t.eye[2], -1.0f), std::nextafter(t.eye[2], 1.0f)}) {
            float corners[9] = {t.eye[0], t.eye[1], z};
            for (int c = 3; c < 9; ++c) corners[c] = t.eye[c];
            EXPECT_GE(std::fabs(clipDistance(eyeTriangle("", corners).clip[0], plane)), d);
        }
    }
    EXPECT_EQ(hard[6].clip[0].w, 0.0f);
    EXPECT_LT(hard[7].clip[0].w, 0.0f);
    EXPECT_LT(hard[7].clip[1].w, 0.0f);
    for (const Vector4& v : hard[9].clip) EXPECT_LT(v.w, 0.0f);
    EXPECT_TRUE(clipped(ClipPolygon(hard[10].clip, hard[10].clip + 3), ClipLeft).empty());
    for (const Vector4& v : hard[11].clip) EXPECT_EQ(clipOutcode(v), 0u);
    Vector4* result = nullptr;
    EXPECT_EQ(clipToFrustum(hard[12].clip, 3, &result), 9);
    delete[] result;
    EXPECT_TRUE(sameBits(hard[13].clip[0], hard[13].clip[1]));
    EXPECT_TRUE(sameBits(hard[15].clip[0], hard[15].clip[2]));
    EXPECT_EQ(std::fabs(hard[16].eye[0]), 1e6f);
    // The explorer's address carries the eye-space corners, or the clip-space ones alone.
    EXPECT_EQ(explorerAddress(hard[0], 2, 3),
              "explore.html#t=-0.3,0.05,-0.3,0.1,-0.1,-0.5,-0.7,0.1,-0.6&pass=2&edge=3");
    TestTriangle clipOnly;
    std::string error;
    ASSERT_TRUE(parseTriangleLine("c1 1 0 0 1 0 1 0 1 0 0 0.5 1", clipOnly, error)) << error;
    EXPECT_EQ(explorerAddress(clipOnly, 1, 0), "explore.html#c=1,0,0,1,0,1,0,1,0,0,0.5,1&pass=1");
}

TEST(LineSplitter, SplitsChunksAnywhereAndRefusesLinesOverTheLimit)
{
    const std::string longLine(maxLineBytes + 1, 'x');
    const std::string exact(maxLineBytes, 'y');
    const std::string text = "a\r\nbc\n\n" + longLine + "\n" + exact + "\nlast";
    for (std::size_t chunk : {std::size_t(1), std::size_t(3), std::size_t(4096), text.size()}) {
        LineSplitter splitter;
        std::vector<SplitLine> lines, got;
        for (std::size_t at = 0; at < text.size(); at += chunk) {
            addChunk(splitter, text.data() + at, std::min(chunk, text.size() - at), lines);
            got.insert(got.end(), lines.begin(), lines.end());
        }
        SplitLine last;
        ASSERT_TRUE(finishLines(splitter, last));
        got.push_back(last);
        ASSERT_EQ(got.size(), 6u) << chunk;
        EXPECT_EQ(got[0].text, "a");
        EXPECT_EQ(got[1].text, "bc");
        EXPECT_EQ(got[2].text, "");
        EXPECT_TRUE(got[3].tooLong);
        EXPECT_TRUE(got[3].text.empty());
        EXPECT_FALSE(got[4].tooLong);
        EXPECT_EQ(got[4].text.size(), maxLineBytes);
        EXPECT_EQ(got[5].text, "last");
        EXPECT_EQ(got[5].number, 6);
        EXPECT_LE(splitter.current.capacity(), 2 * maxLineBytes + 64) << "kept what it refused";
    }
}

// A small check, worked by hand: one triangle right, one whose ClipRight misses Q, one missing,
// and a line for a triangle that does not exist.
TEST(TraceCheck, ReportsEachTriangleTheLinesOfNoTriangleAndTheSummary)
{
    TraceCheck check;
    addTriangleLine(check, 1, "{\"id\":\"a\",\"triangle\":[[0,0,0,1],[3,0,0,2],[0,0.5,0,1]]}");
    addTriangleLine(check, 2, "b 0 0 0 1 3 0 0 2 0 0.5 0 1");
    addTriangleLine(check, 3, "c 0 0 0 1 0 0.1 0 1 0.1 0 0 1");
    addTriangleLine(check, 4, "d 0 0 0 1");
    startTrace(check);
    // ClipRight of (0,0,0,1), (3,0,0,2), (0,0.5,0,1): (1.5,0,0,1.5), (1.5,0.25,0,1.5),
    // (0,0.5,0,1), (0,0,0,1); each later pass rotates it by one place.
    const std::string right = "[[1.5,0,0,1.5],[1.5,0.25,0,1.5],[0,0.5,0,1],[0,0,0,1]]";
    const std::string r3 = "[[1.5,0.25,0,1.5],[0,0.5,0,1],[0,0,0,1],[1.5,0,0,1.5]]";
    const std::string r4 = "[[0,0.5,0,1],[0,0,0,1],[1.5,0,0,1.5],[1.5,0.25,0,1.5]]";
    const std::string r5 = "[[0,0,0,1],[1.5,0,0,1.5],[1.5,0.25,0,1.5],[0,0.5,0,1]]";
    const std::string first = "[[3,0,0,2],[0,0.5,0,1],[0,0,0,1]]";
    addTraceLine(check, 1, "{\"id\":\"a\",\"passes\":[" + first + "," + right + "," + r3 + "," +
                               r4 + "," + r5 + "," + right + "]}", false);
    // b misses the Q of ClipRight's edge 1 (out-in, from (3, 0, 0, 2)): (0, 0.5, 0, 1).
    const std::string missing = "[[1.5,0,0,1.5],[1.5,0.25,0,1.5],[0,0,0,1]]";
    addTraceLine(check, 2, "{\"id\":\"b\",\"passes\":[" + first + "," + missing + "," +
                               missing + "," + missing + "," + missing + "," + missing + "]}",
                 false);
    addTraceLine(check, 3, "{\"id\":\"e\",\"passes\":[[],[],[],[],[],[]]}", false);
    finishCheck(check);
    EXPECT_EQ(check.triangleProblems.size(), 1u);
    ASSERT_EQ(check.triangles.size(), 3u);
    EXPECT_TRUE(triangleResult(check, 0).right);
    const TriangleResult b = triangleResult(check, 1);
    EXPECT_FALSE(b.right);
    EXPECT_EQ(b.pass, 2);
    EXPECT_EQ(b.edge, 1);
    EXPECT_EQ(b.mistake, ClipMistake::MissingQ);
    EXPECT_NE(b.message.find("out-in, d(P) = w − x = -1, d(Q) = 1, t = 0.5"), std::string::npos)
        << b.message;
    EXPECT_EQ(b.address, "explore.html#c=0,0,0,1,3,0,0,2,0,0.5,0,1&pass=2&edge=1");
    EXPECT_EQ(triangleResult(check, 2).problem, TraceProblem::Missing);
    EXPECT_EQ(summaryLine(check),
              "1 of 3 triangles right; ClipRight wrong in 1: missing-q 1; 1 missing from the "
              "trace; 1 line of the trace for no triangle; 1 line of the triangles not read");
    const std::string words = wordsReport(check);
    EXPECT_NE(words.find("Trace: line 3 of the trace gives the id \"e\", which no triangle has"),
              std::string::npos)
        << words;
    EXPECT_NE(jsonReport(check).find("\"lines\":[{\"line\":3,"), std::string::npos);
    EXPECT_NE(resultsJson(check).find("{\"name\":\"b\",\"score\":0,\"max_score\":1,"),
              std::string::npos);
    EXPECT_FALSE(allRight(check));
}

} // namespace
