// The figure library (figures/clip_figures.h) on triangles that strain it, its text formats, and
// clipfigs --triangle / --explorer-links run as a user runs them. That the walkthrough's figures
// are what the library draws is clipfigs_figures_up_to_date; that the page draws the same bytes
// is the browser test (tests/web/explorer.test.mjs).
#include "figures/clip_figures.h"

#include "tests/clipfigs_run.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::size_t count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++n;
    }
    return n;
}

// Checks that an SVG document is whole and drawable: one root, balanced groups, clip paths and
// texts, two plot clip paths, a few grid lines per plot (ticks that scale with the view), and
// every coordinate, length and point a finite number within 2e5 pixels (what reaches further is
// cut at 1e5). Returns what is wrong, or "".
std::string svgFault(const std::string& svg)
{
    if (svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0) != 0) return "no head";
    if (svg.size() < 7 || svg.compare(svg.size() - 7, 7, "</svg>\n") != 0) return "no end";
    if (count(svg, "<svg") != 1 || count(svg, "</svg>") != 1) return "not one root";
    if (count(svg, "<g ") != count(svg, "</g>")) return "unbalanced groups";
    if (count(svg, "<clipPath") != count(svg, "</clipPath>")) return "unbalanced clip paths";
    if (count(svg, "<text") != count(svg, "</text>")) return "unbalanced texts";
    if (count(svg, "id=\"plot0\"") != 1 || count(svg, "id=\"plot1\"") != 1) return "plot ids";
    // Two plots, each with two to nine ticks on each axis.
    const std::size_t gridLines = count(svg, "stroke=\"#000000\" stroke-opacity=\"0.08\"") +
                                  count(svg, "stroke=\"#757575\" stroke-width=\"1\"/>");
    if (gridLines < 8 || gridLines > 36) return std::to_string(gridLines) + " grid lines";
    static const char* const numeric[] = {"x", "y", "x1", "y1", "x2", "y2", "cx", "cy",
                                          "width", "height", "r", "points"};
    for (std::size_t at = svg.find("=\""); at != std::string::npos; at = svg.find("=\"", at + 1)) {
        std::size_t start = at;
        while (start > 0 && std::isalnum(static_cast<unsigned char>(svg[start - 1]))) --start;
        const std::string name = svg.substr(start, at - start);
        bool isNumeric = false;
        for (const char* n : numeric) isNumeric = isNumeric || name == n;
        if (!isNumeric || svg[start - 1] != ' ') continue;
        const std::size_t end = svg.find('"', at + 2);
        std::string value = svg.substr(at + 2, end - at - 2);
        if (name == "width" || name == "height") {
            if (value == "100%") continue;
        }
        for (char& c : value) c = c == ',' ? ' ' : c;
        std::istringstream numbers(value);
        std::string number;
        while (numbers >> number) {
            char* stop = nullptr;
            const double v = std::strtod(number.c_str(), &stop);
            if (*stop != '\0' || !std::isfinite(v) || std::fabs(v) > 2e5) {
                return name + "=\"" + value.substr(0, 60) + "\"";
            }
        }
    }
    return "";
}

// Draws a triangle and checks all seven figures; returns them.
TriangleFigures drawChecked(const std::vector<float>& corners, const std::string& what)
{
    const TriangleFigures drawn = drawTriangleFigures(corners.data(), "test", "test");
    EXPECT_TRUE(drawn.passesAgree) << what;
    for (const Figure& figure : drawn.figures) {
        EXPECT_EQ(svgFault(figure.svg), "") << what << ": " << figure.fileName;
        // A walkthrough figure is some 20 KB; bounded whatever the triangle.
        EXPECT_LT(figure.svg.size(), 60000u) << what << ": " << figure.fileName;
        EXPECT_LT(count(figure.svg, "<text"), 200u) << what << ": " << figure.fileName;
    }
    return drawn;
}

TEST(DrawTriangleFigures, TrianglesThatStrainTheFiguresDrawWholeWithANoteWhereAPanelIsEmpty)
{
    struct Case {
        const char* what;
        std::vector<float> corners;
        std::vector<std::string> notes[7];  // texts each figure must hold
    };
    const std::string nothingLeft = "nothing left to clip";
    const Case cases[] = {
        {"every corner at the eye", {0, 0, 0, 0, 0, 0, 0, 0, 0},
         {{}, {}, {}, {}, {"nothing is inside z ≥ −w"}, {nothingLeft},
          {"nothing inside the view volume", "has w = 0:", "0/0"}}},
        {"one corner at the eye", {0, 0, 0, 0.2f, 0.1f, -0.6f, -0.2f, 0.1f, -0.6f},
         {{}, {}, {}, {}, {}, {}, {"corner 0 has w = 0:", "0/0", "no outline"}}},
        {"a corner in the eye plane beside the eye", {0.3f, 0.1f, 0, 0.1f, 0.1f, -0.5f, -0.1f, 0,
                                                      -0.6f},
         {{}, {}, {}, {}, {}, {}, {"corner 0 has w = 0:", "lies at infinity"}}},
        {"a corner just off the eye plane: divided, beyond the float range",
         {0.1f, 0.1f, 1e-40f, 0.2f, 0.1f, -0.5f, 0, 0, -0.5f},
         {{}, {}, {}, {}, {}, {}, {"lies at infinity"}}},
        {"wholly left of the frustum", {-2, 0, -0.5f, -3, 0.1f, -0.5f, -2.5f, -0.2f, -0.6f},
         {{"nothing is inside x ≥ −w"}, {nothingLeft}, {nothingLeft}, {nothingLeft},
          {nothingLeft}, {nothingLeft}, {"nothing inside the view volume"}}},
        {"spanning two million", {-1e6f, -1e6f, -1e6f, 1e6f, 1e6f, 1e6f, 1e6f, -1e6f, -1e6f},
         {{"1e6"}, {"1e6"}, {"1e6"}, {"1e6"}, {"1e6"}, {"1e6"}, {}}},
        {"far from the eye, divided beyond the panel", {0.5f, 0, -0.01f, 0, 0, -0.5f, 0, 0.1f,
                                                        -0.5f},
         {{}, {}, {}, {}, {}, {}, {"corner 0 lies beyond this panel"}}},
        {"a ten-millionth across", {1e-7f, 1e-7f, -1e-7f, 2e-7f, 1e-7f, -1e-7f, 1e-7f, 2e-7f,
                                    -2e-7f}, {}},
        {"one point three times", {0.1f, 0.1f, -0.5f, 0.1f, 0.1f, -0.5f, 0.1f, 0.1f, -0.5f}, {}},
    };
    for (const Case& c : cases) {
        const TriangleFigures drawn = drawChecked(c.corners, c.what);
        for (int f = 0; f < 7; ++f) {
            for (const std::string& note : c.notes[f]) {
                EXPECT_NE(drawn.figures[f].svg.find(note), std::string::npos)
                    << c.what << ": " << drawn.figures[f].fileName << " lacks \"" << note << "\"";
            }
        }
    }
}

TEST(DrawTriangleFigures, AnyTriangleWithinTheLimitsDrawsWholeAndBounded)
{
    // Values of every size from 1e-8 to 1e6, either sign, zeros, and corners on the planes.
    std::mt19937 random(14);
    std::uniform_real_distribution<double> unit(0, 1);
    const auto value = [&]() -> float {
        const double r = unit(random);
        if (r < 0.1) return 0;
        const double magnitude = std::pow(10.0, -8 + 14 * unit(random));
        return float(r < 0.55 ? magnitude : -magnitude);
    };
    for (int n = 0; n < 150; ++n) {
        std::vector<float> corners(9);
        for (float& v : corners) v = value();
        // Now and then a corner on a side plane: x = -z or y = z.
        if (n % 5 == 0) corners[3] = -corners[5];
        if (n % 7 == 0) corners[7] = corners[8];
        std::ostringstream what;
        what << "triangle " << triangleText(corners.data());
        drawChecked(corners, what.str());
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(DrawTriangleFigures, NamesItsFiguresByStemAndTitlesThem)
{
    const float corners[9] = {0, 0, -0.5f, 0.1f, 0, -0.5f, 0, 0.1f, -0.5f};
    const TriangleFigures drawn = drawTriangleFigures(corners, "a <b> & c", "mine");
    const char* const names[7] = {"mine-pass1-left.svg", "mine-pass2-right.svg",
                                  "mine-pass3-bottom.svg", "mine-pass4-top.svg",
                                  "mine-pass5-near.svg", "mine-pass6-far.svg", "mine-final.svg"};
    for (int f = 0; f < 7; ++f) {
        EXPECT_EQ(drawn.figures[f].fileName, names[f]);
        EXPECT_NE(drawn.figures[f].svg.find("<title>Triangle “a &lt;b&gt; &amp; c”"),
                  std::string::npos);
    }
}

// The walkthrough's fifth triangle grows by one vertex in every pass, to the most a convex
// polygon of three vertices can become: 3 + 6.
TEST(WalkthroughTriangles, NineGainsOneVertexInEveryPass)
{
    const WalkthroughTriangle& nine = walkthroughTriangles[4];
    ASSERT_STREQ(nine.stem, "nine");
    const TriangleFigures figures = drawTriangleFigures(nine.corners, nine.title, nine.stem);
    for (int pass = 0; pass < 6; ++pass)
        EXPECT_EQ(figures.afterPass[pass].size(), std::size_t(4 + pass)) << "pass " << pass + 1;
    EXPECT_EQ(figures.clipped.size(), 9u);
}

TEST(ParseTriangle, ReadsNineBoundedDecimalsAndSaysWhatIsWrongWithAnythingElse)
{
    struct Case {
        const char* text;
        const char* error;  // "" when accepted
    };
    const Case cases[] = {
        {"-0.1,-0.05,-0.6,0.05,0.06,-0.1,0.12,-0.08,-0.5", ""},
        {" 1 , 2,3,4 ,5,6,7,8, 9 ", ""},
        {"1e6,-1e6,+1E+6,1000000,.5,5.,-0,1e-50,0.000001", ""},
        {"", "there are no numbers"},
        {"1,2", "there are 2 values, not nine"},
        {"1,2,3,4,5,6,7,8,9,10", "there are 10 values, not nine"},
        {"1,2,3,4,,6,7,8,9", "y1 is missing"},
        {"a,b,c,d,e,f,g,h,i", "x0, “a”, is not a decimal number"},
        {"1,2,3,4,5,6,7,8,0x10", "z2, “0x10”, is not a decimal number"},
        {"1,2,3,4,5,6,7,8,1e", "z2, “1e”, is not a decimal number"},
        {"1,2,3,4,5,6,7,8,.", "z2, “.”, is not a decimal number"},
        {"NaN,2,3,4,5,6,7,8,9", "x0, “NaN”, is not a finite number"},
        {"1,-Infinity,3,4,5,6,7,8,9", "y0, “-Infinity”, is not a finite number"},
        {"1,2,1000000.01,4,5,6,7,8,9", "z0, “1000000.01”, is beyond the limit of ±1000000"},
        {"1,2,3,4,5,6,7,8,-1e39", "z2, “-1e39”, is beyond the limit"},
        {"1,2,3,4,5,6,7,8,1e999999", "is beyond the limit"},
        {"1,2,3,4,5,6,7,8,123456789012345678901234567890",
         "z2, “12345678901234567890…”, is beyond"},
        {"1,2,3,4,5,6,7,8,9 9", "is not a decimal number"},
    };
    for (const Case& c : cases) {
        float corners[9] = {42, 42, 42, 42, 42, 42, 42, 42, 42};
        std::string error;
        const bool accepted = parseTriangleText(c.text, corners, error);
        if (*c.error == '\0') {
            EXPECT_TRUE(accepted) << c.text << ": " << error;
        } else {
            EXPECT_FALSE(accepted) << c.text;
            EXPECT_NE(error.find(c.error), std::string::npos) << c.text << ": " << error;
            EXPECT_EQ(corners[0], 42) << c.text << ": the corners are left alone";
        }
    }
    float corners[9];
    std::string error;
    ASSERT_TRUE(parseTriangleText("0.1,-0.05,1e6,-0,0,0,0,0,0", corners, error)) << error;
    EXPECT_EQ(corners[0], 0.1f);
    EXPECT_EQ(corners[1], -0.05f);
    EXPECT_EQ(corners[2], 1e6f);
    EXPECT_TRUE(std::signbit(corners[3]));
    EXPECT_FALSE(parseTriangleText(std::string(2000, '1'), corners, error));
    // A NUL is part of the text, and the message shows it without ending there.
    EXPECT_FALSE(parseTriangleText(std::string("1,2,3,4,5,6,7,8,9\0junk", 22), corners, error));
    EXPECT_EQ(error, "z2, “9?junk”, is not a decimal number");
}

// The count of significant digits of a decimal ("0.0125" and "1.25e-2" have 3; "0" has 1).
std::size_t significantDigits(const std::string& decimal)
{
    std::string digits;
    for (char c : decimal.substr(0, decimal.find('e'))) {
        if (c >= '0' && c <= '9') digits += c;
    }
    digits.erase(0, digits.find_first_not_of('0'));
    digits.erase(digits.find_last_not_of('0') + 1);
    return std::max<std::size_t>(digits.size(), 1);
}

TEST(ShortestDecimal, WritesTheFewestDigitsThatReadBackToTheSameFloat)
{
    EXPECT_EQ(shortestDecimal(0.1f), "0.1");
    EXPECT_EQ(shortestDecimal(-0.6f), "-0.6");
    EXPECT_EQ(shortestDecimal(1e6f), "1e6");
    EXPECT_EQ(shortestDecimal(-1e-7f), "-1e-7");
    EXPECT_EQ(shortestDecimal(1.0f / 3), "0.33333334");
    EXPECT_EQ(shortestDecimal(123456.7f), "123456.7");
    EXPECT_EQ(shortestDecimal(16777216.0f), "16777216");
    EXPECT_EQ(shortestDecimal(0.0f), "0");
    EXPECT_EQ(shortestDecimal(-0.0f), "-0");
    EXPECT_EQ(shortestDecimal(1e-45f), "1e-45");
    EXPECT_EQ(shortestDecimal(std::numeric_limits<float>::infinity()), "inf");
    // Not the nearest eight digits (1.2621774e-29), which read back to another float.
    EXPECT_EQ(shortestDecimal(std::ldexp(1.0f, -96)), "1.2621775e-29");

    // Any float within the address's limits: the text reads back through parseTriangleText to the
    // same bits, with as few significant digits as any decimal that does.
    std::mt19937 random(7);
    for (int n = 0; n < 20000; ++n) {
        const std::uint32_t bits = random();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        if (!(std::fabs(v) <= 1e6f)) continue;
        const float corners[9] = {v, v, v, v, v, v, v, v, v};
        float back[9];
        std::string error;
        ASSERT_TRUE(parseTriangleText(triangleText(corners), back, error)) << error;
        ASSERT_EQ(std::memcmp(&back[4], &v, sizeof v), 0) << shortestDecimal(v);
        // As few significant digits as the standard library's shortest form.
        char shortest[64];
        *std::to_chars(shortest, shortest + 63, v, std::chars_format::scientific).ptr = '\0';
        const std::string mine = shortestDecimal(v);
        ASSERT_EQ(significantDigits(mine), significantDigits(shortest))
            << mine << " against " << shortest;
    }
}

TEST(VerticesJson, NineSignificantDigitsThatReadBackAndNonFiniteValuesAsStrings)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    EXPECT_EQ(verticesJson({}), "[]");
    EXPECT_EQ(verticesJson({{0.1f, -0.0f, 1e6f, 1.0f / 3}, {nan, inf, -inf, 1e-7f}}),
              "[[0.100000001,-0,1000000,0.333333343],"
              "[\"NaN\",\"Infinity\",\"-Infinity\",1.00000001e-07]]");
    std::mt19937 random(9);
    for (int n = 0; n < 5000; ++n) {
        const std::uint32_t bits = random();
        float v;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v)) continue;
        const std::string json = verticesJson({{v, v, v, v}});
        const float back = std::strtof(json.c_str() + 2, nullptr);
        ASSERT_EQ(std::memcmp(&back, &v, sizeof v), 0) << json;
    }
}

bool sameBits(const Vector4& a, const Vector4& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(EdgeWalk, ReplayingTheRecordsOfEveryPassGivesThePassesOutputToTheBit)
{
    std::vector<std::vector<float>> triangles = {
        {0.4f, 0.35f, 0.3f, -0.2f, -0.15f, -0.6f, 0.2f, -0.15f, -0.6f},  // behind the eye
        {0.25f, 0.1f, -0.25f, 0.1f, 0.1f, -0.5f, -0.1f, 0, -0.6f},       // a corner on two planes
        {0.1f, 0.1f, -0.5f, 0.1f, 0.1f, -0.5f, 0.1f, 0.1f, -0.5f},       // one point three times
        {0, 0, -0.5f, 0.1f, 0, -0.5f, 0.2f, 0, -0.5f},                    // on one line
        {-1e6f, -1e6f, -1e6f, 1e6f, 1e6f, 1e6f, 1e6f, -1e6f, -1e6f},     // extreme, finite
        {0, 0, 0, 0.2f, 0.1f, -0.6f, -0.2f, 0.1f, -0.6f},                 // a corner at the eye
    };
    for (const WalkthroughTriangle& t : walkthroughTriangles) {
        triangles.emplace_back(t.corners, t.corners + 9);
    }
    std::mt19937 random(5);
    std::uniform_real_distribution<float> coordinate(-1.5f, 1.5f);
    for (int n = 0; n < 200; ++n) {
        triangles.emplace_back(9);
        for (float& v : triangles.back()) v = coordinate(random);
    }
    for (const std::vector<float>& corners : triangles) {
        const TriangleFigures drawn = drawTriangleFigures(corners.data(), "t", "t");
        const ClipPolygon* input = &drawn.triangle;
        for (int pass = 0; pass < 6; ++pass) {
            const ClipPlane plane = ClipPlane(pass);
            const std::vector<EdgeRecord>& walk = drawn.edges[pass];
            const std::string what = triangleText(corners.data()) + " pass " +
                                     std::to_string(pass);
            ASSERT_EQ(walk.size(), input->size()) << what;
            ClipPolygon replayed;
            for (std::size_t i = 0; i < walk.size(); ++i) {
                const EdgeRecord& e = walk[i];
                ASSERT_EQ(e.from, int(i)) << what;
                ASSERT_EQ(e.to, int((i + 1) % walk.size())) << what;
                const Vector4& p = (*input)[i];
                const Vector4& q = (*input)[std::size_t(e.to)];
                // The case agrees with the clipper's own strict tests.
                const bool pOut = clipOutcode(p) >> pass & 1, qOut = clipOutcode(q) >> pass & 1;
                EXPECT_EQ(e.edgeCase, ClipEdgeCase(2 * pOut + qOut)) << what;
                EXPECT_TRUE(pOut != qOut || std::isnan(e.t)) << what;
                const double dFrom = clipDistance(p, plane), dTo = clipDistance(q, plane);
                EXPECT_TRUE(e.dFrom == dFrom || (std::isnan(e.dFrom) && std::isnan(dFrom))) << what;
                EXPECT_TRUE(e.dTo == dTo || (std::isnan(e.dTo) && std::isnan(dTo))) << what;
                const ClipEdge edge = clipEdge(p, q, plane);
                ASSERT_EQ(e.appended.size(), std::size_t(edge.count)) << what;
                for (int k = 0; k < edge.count; ++k) {
                    EXPECT_EQ(e.appended[std::size_t(k)], int(replayed.size())) << what;
                    replayed.push_back(edge.appended[k]);
                }
            }
            const ClipPolygon& output = drawn.afterPass[pass];
            ASSERT_EQ(replayed.size(), output.size()) << what;
            for (std::size_t k = 0; k < output.size(); ++k) {
                EXPECT_TRUE(sameBits(replayed[k], output[k])) << what << " vertex " << k;
            }
            input = &output;
        }
    }
}

TEST(EdgeWalk, TheFourCasesTAndTheJsonOfAHandWorkedWalk)
{
    // Against ClipRight d = w - x: -1, 1, 0.5, -2. Edge 0 out-in at t = -1 / (-1 - 1), edge 2
    // in-out at t = 0.5 / (0.5 + 2).
    const ClipPolygon square = {{2, 0, 0, 1}, {0, 0, 0, 1}, {0.5f, 0, 0, 1}, {3, 0, 0, 1}};
    const std::vector<EdgeRecord> walk = edgeWalk(square, ClipRight);
    ASSERT_EQ(walk.size(), 4u);
    const ClipEdgeCase cases[4] = {ClipOutIn, ClipInIn, ClipInOut, ClipOutOut};
    const std::vector<int> appended[4] = {{0, 1}, {2}, {3}, {}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(walk[i].edgeCase, cases[i]) << i;
        EXPECT_EQ(walk[i].appended, appended[i]) << i;
    }
    EXPECT_EQ(walk[0].t, 0.5);
    EXPECT_EQ(walk[2].t, 0.2);
    EXPECT_TRUE(std::isnan(walk[1].t) && std::isnan(walk[3].t));
    EXPECT_EQ(walk[0].dFrom, -1);
    EXPECT_EQ(walk[3].dTo, -1);
    EXPECT_EQ(edgesJson(walk),
              "[{\"from\":0,\"to\":1,\"case\":\"out-in\",\"t\":0.5,\"dFrom\":-1,\"dTo\":1,"
              "\"appended\":[0,1]},"
              "{\"from\":1,\"to\":2,\"case\":\"in-in\",\"t\":null,\"dFrom\":1,\"dTo\":0.5,"
              "\"appended\":[2]},"
              "{\"from\":2,\"to\":3,\"case\":\"in-out\",\"t\":0.20000000000000001,\"dFrom\":0.5,"
              "\"dTo\":-2,\"appended\":[3]},"
              "{\"from\":3,\"to\":0,\"case\":\"out-out\",\"t\":null,\"dFrom\":-2,\"dTo\":-1,"
              "\"appended\":[]}]");
    EXPECT_TRUE(edgeWalk({}, ClipLeft).empty());
    EXPECT_EQ(edgesJson({}), "[]");
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(edgesJson({{0, 0, ClipInOut, std::nan(""), inf, -inf, {0}}}),
              "[{\"from\":0,\"to\":0,\"case\":\"in-out\",\"t\":\"NaN\",\"dFrom\":\"Infinity\","
              "\"dTo\":\"-Infinity\",\"appended\":[0]}]");
}

// ---- clipfigs, run as a program

TEST(Clipfigs, TriangleOptionWritesTheLibrarysSevenFiguresAndRefusesWhatItCannotUse)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("clipfigs-test-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    const ToolRun run =
        runClipfigs("--triangle '0.3,0.1,0,0.1,0.1,-0.5,-0.1,0,-0.6' --title 'at the eye' "
                    "--stem eye " + folder.string());
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("explore.html#t=0.3,0.1,0,0.1,0.1,-0.5,-0.1,0,-0.6"),
              std::string::npos) << run.output;
    const float corners[9] = {0.3f, 0.1f, 0, 0.1f, 0.1f, -0.5f, -0.1f, 0, -0.6f};
    const TriangleFigures drawn = drawTriangleFigures(corners, "at the eye", "eye");
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 7u);
    for (const Figure& figure : drawn.figures) {
        std::ifstream in(folder / figure.fileName, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        EXPECT_TRUE(bytes.str() == figure.svg) << figure.fileName;
    }
    std::filesystem::remove_all(folder);

    // The screen layout with every step: the library's bytes under the same names.
    const ToolRun screen = runClipfigs("--triangle '0.3,0.1,0,0.1,0.1,-0.5,-0.1,0,-0.6' --stem eye "
                                       "--screen --steps " + folder.string());
    ASSERT_EQ(screen.status, 0) << screen.output;
    const TriangleFigures onScreen = drawTriangleFigures(corners, defaultTitle, "eye",
                                                         FigureLayout::Screen);
    std::vector<Figure> expected(onScreen.figures, onScreen.figures + 7);
    for (int pass = 0; pass < 6; ++pass) {
        for (std::size_t edge = 0; edge < onScreen.edges[pass].size(); ++edge) {
            expected.push_back(drawStepFigure(onScreen, pass, int(edge), FigureLayout::Screen));
        }
    }
    files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, expected.size());
    for (const Figure& figure : expected) {
        std::ifstream in(folder / figure.fileName, std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        EXPECT_TRUE(bytes.str() == figure.svg) << figure.fileName;
    }
    std::filesystem::remove_all(folder);

    const ToolRun defaults = runClipfigs("--triangle 0,0,-0.5,0.1,0,-0.5,0,0.1,-0.5 " +
                                         folder.string());
    EXPECT_EQ(defaults.status, 0) << defaults.output;
    EXPECT_TRUE(std::filesystem::exists(folder / "custom-final.svg"));
    std::filesystem::remove_all(folder);

    struct Refusal {
        const char* arguments;
        const char* says;
    };
    const Refusal refusals[] = {
        {"--triangle 1,2 out", "there are 2 values, not nine"},
        {"--triangle 1,2,3,4,5,6,7,8,nan out", "is not a finite number"},
        {"--triangle 1,2,3,4,5,6,7,8,9 --stem ../up out", "--stem ../up"},
        {"--triangle 1,2,3,4,5,6,7,8,9 --title \"$(printf 'bad \\377')\" out", "not valid UTF-8"},
        {"--triangle 1,2,3,4,5,6,7,8,9", "no OUTDIR"},
        {"--triangle 1,2,3,4,5,6,7,8,9 --colour red out", "unexpected argument --colour"},
        {"", "usage"},
    };
    for (const Refusal& refusal : refusals) {
        const ToolRun refused = runClipfigs(refusal.arguments);
        EXPECT_EQ(refused.status, 2) << refusal.arguments;
        EXPECT_NE(refused.output.find(refusal.says), std::string::npos)
            << refusal.arguments << ": " << refused.output;
    }
}

TEST(Clipfigs, ExplorerLinksGiveEachWalkthroughTriangleAnAddressThatReadsBackToIt)
{
    const ToolRun run = runClipfigs("--explorer-links");
    ASSERT_EQ(run.status, 0) << run.output;
    std::istringstream lines(run.output);
    for (const WalkthroughTriangle& triangle : walkthroughTriangles) {
        std::string stem, address;
        ASSERT_TRUE(lines >> stem >> address) << run.output;
        EXPECT_EQ(stem, triangle.stem);
        const std::string prefix = "explore.html#t=";
        ASSERT_EQ(address.rfind(prefix, 0), 0u) << address;
        float corners[9];
        std::string error;
        ASSERT_TRUE(parseTriangleText(address.substr(prefix.size()), corners, error)) << error;
        EXPECT_EQ(findWalkthroughTriangle(corners), &triangle) << address;
    }
    std::string extra;
    EXPECT_FALSE(lines >> extra) << "one line per walkthrough triangle";
}

} // namespace
