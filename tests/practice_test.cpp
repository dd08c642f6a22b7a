// The practice sequences (practice/practice.h), checked through the real projection, clipper and
// edge walk over many seeds and every pass: what each triangle promises, what the first ten of
// every sequence hold, that a sequence is fixed by its seed and pass alone; clipfigs --practise
// and --question run as programs.
#include "practice/practice.h"

#include "check/clip_check.h"
#include "clip/clip.h"
#include "figures/clip_figures.h"
#include "tests/clipfigs_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The polygon that enters pass `pass` (1 to 6), through the real clipper's earlier passes.
ClipPolygon passInput(const float corners[9], int pass)
{
    const TestTriangle projected = eyeTriangle("", corners);
    ClipPolygon polygon(projected.clip, projected.clip + 3);
    for (int p = 0; p + 1 < pass; ++p) {
        ClipPolygon out(std::size_t(clipPassCapacity(int(polygon.size()))));
        out.resize(std::size_t(
            clipToPlane(polygon.data(), int(polygon.size()), out.data(), ClipPlane(p))));
        polygon = out;
    }
    return polygon;
}

// What one triangle of a sequence shows about itself.
struct Found {
    bool behindEye = false;  // a corner with w < 0
    bool onPlane = false;    // a vertex entering the pass with d exactly 0
};

// Checks what every practice triangle promises; says what the first ten need.
Found checkTriangle(const float corners[9], int pass, const std::string& what)
{
    Found found;
    // Corners of whole twentieths, as the address writes them: at most two decimals, a
    // multiple of 0.05, finite and small.
    static const std::regex decimal("-?[0-9]+(\\.[0-9]{1,2})?");
    std::stringstream text(triangleText(corners));
    std::string field;
    while (std::getline(text, field, ',')) {
        EXPECT_TRUE(std::regex_match(field, decimal)) << what << ": " << field;
        const double hundredths = std::strtod(field.c_str(), nullptr) * 100;
        EXPECT_EQ(std::fmod(std::round(hundredths), 5.0), 0.0) << what << ": " << field;
    }
    for (int k = 0; k < 9; ++k) {
        EXPECT_TRUE(std::isfinite(corners[k]) && std::fabs(corners[k]) <= 1.6f) << what;
    }
    const TestTriangle projected = eyeTriangle("", corners);
    for (const Vector4& v : projected.clip) found.behindEye = found.behindEye || v.w < 0;
    const ClipPolygon input = passInput(corners, pass);
    bool crossing = false;
    for (const EdgeRecord& edge : edgeWalk(input, ClipPlane(pass - 1))) {
        const bool crosses = edge.edgeCase == ClipInOut || edge.edgeCase == ClipOutIn;
        crossing = crossing || (crosses && std::fabs(edge.dFrom - edge.dTo) >= 0.05);
    }
    EXPECT_TRUE(crossing) << what << ": no edge of pass " << pass << " crosses its plane by 0.05";
    for (const Vector4& v : input) {
        found.onPlane = found.onPlane || clipDistance(v, ClipPlane(pass - 1)) == 0.0;
    }
    return found;
}

std::string lineOf(std::uint64_t seed, int pass, int index)
{
    float corners[9];
    EXPECT_TRUE(practiceTriangle(seed, pass, index, corners));
    return "#t=" + triangleText(corners) + "\n";
}

TEST(Practice, EverySequenceOfManySeedsAndEveryPassKeepsItsPromises)
{
    std::vector<std::uint64_t> seeds;
    for (std::uint64_t seed = 0; seed < 200; ++seed) seeds.push_back(seed);
    seeds.push_back(2147483648u);
    seeds.push_back(4000000007u);
    seeds.push_back(practiceSeedLimit);
    for (std::uint64_t seed : seeds) {
        for (int pass = 1; pass <= 6; ++pass) {
            Found first10;
            for (int index = 1; index <= 10; ++index) {
                float corners[9];
                ASSERT_TRUE(practiceTriangle(seed, pass, index, corners));
                const std::string what = "seed " + std::to_string(seed) + " pass " +
                                         std::to_string(pass) + " n " + std::to_string(index);
                const Found found = checkTriangle(corners, pass, what);
                first10.behindEye = first10.behindEye || found.behindEye;
                first10.onPlane = first10.onPlane || found.onPlane;
                // The same seed, pass and place give the same bits, however often asked.
                float again[9];
                practiceTriangle(seed, pass, index, again);
                EXPECT_EQ(std::memcmp(corners, again, sizeof corners), 0) << what;
            }
            const std::string what = "seed " + std::to_string(seed) + " pass " +
                                     std::to_string(pass);
            EXPECT_TRUE(first10.behindEye) << what << ": no corner behind the eye in the first ten";
            if (pass <= 4) {
                EXPECT_TRUE(first10.onPlane) << what << ": no vertex on the plane in the first ten";
            }
            // A count only says how many to take: the first ten of twenty are the ten.
            const std::string ten = practiceLines(seed, pass, 10);
            const std::string twenty = practiceLines(seed, pass, 20);
            EXPECT_EQ(twenty.compare(0, ten.size(), ten), 0) << what;
            EXPECT_EQ(ten.substr(ten.rfind("#t=")), lineOf(seed, pass, 10)) << what;
            if (::testing::Test::HasFailure()) return;
        }
    }
    // Further along a sequence too, and the sequences differ by seed and by pass.
    for (int index = 11; index <= 400; ++index) {
        float corners[9];
        practiceTriangle(7, 1 + index % 6, index, corners);
        checkTriangle(corners, 1 + index % 6, "seed 7 n " + std::to_string(index));
    }
    EXPECT_NE(practiceLines(1, 2, 5), practiceLines(2, 2, 5));
    EXPECT_NE(practiceLines(1, 2, 5), practiceLines(1, 3, 5));
    // The same on every platform: the first triangle of seed 1 for the first pass, as made here.
    EXPECT_EQ(lineOf(1, 1, 1), "#t=-0.6,0.1,-0.7,-1.25,-0.5,-0.85,0.3,0.05,0.5\n");

    // Out of range: nothing, and the corners left alone.
    float corners[9] = {};
    EXPECT_FALSE(practiceTriangle(1, 0, 1, corners));
    EXPECT_FALSE(practiceTriangle(1, 7, 1, corners));
    EXPECT_FALSE(practiceTriangle(1, 1, 0, corners));
    EXPECT_FALSE(practiceTriangle(practiceSeedLimit + 1, 1, 1, corners));
    EXPECT_EQ(std::memcmp(corners, std::vector<float>(9, 0.0f).data(), sizeof corners), 0);
    EXPECT_EQ(practiceLines(1, 1, 0), "");
    // Seeds as an address or a command line writes them.
    std::uint64_t seed = 5;
    EXPECT_TRUE(parsePracticeSeed("0", seed) && seed == 0);
    EXPECT_TRUE(parsePracticeSeed("4294967295", seed) && seed == practiceSeedLimit);
    for (const char* bad :
         {"", "4294967296", "-1", "+1", " 1", "1 ", "1e3", "0x10", "12345678901"}) {
        EXPECT_FALSE(parsePracticeSeed(bad, seed)) << bad;
    }
}

TEST(Practice, ClipfigsPrintsTheSequenceAndDrawsTheQuestion)
{
    // --practise: one "#t=" line per triangle, nine numbers, no spaces, nothing else.
    const ToolRun run = runClipfigs("--practise 42 --pass 3 --count 7");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_EQ(run.output, practiceLines(42, 3, 7));
    const std::regex line("#t=(-?[0-9.]+,){8}-?[0-9.]+");
    std::stringstream lines(run.output);
    std::string text;
    int count = 0;
    while (std::getline(lines, text)) {
        EXPECT_TRUE(std::regex_match(text, line)) << text;
        ++count;
    }
    EXPECT_EQ(count, 7);
    EXPECT_EQ(runClipfigs("--pass 3 --count 7 --practise 42").output, run.output);
    for (const char* bad : {"--practise 42 --pass 7 --count 2", "--practise 42 --pass 1",
                            "--practise x --pass 1 --count 2", "--practise 1 --pass 1 --count 0",
                            "--practise 4294967296 --pass 1 --count 1"}) {
        EXPECT_EQ(runClipfigs(bad).status, 2) << bad;
    }

    // --question K --edge E: the bytes of the library's question figure, as a page draws it.
    float corners[9];
    practiceTriangle(42, 3, 2, corners);
    const std::string folder = ::testing::TempDir() + "practice_question";
    std::filesystem::remove_all(folder);
    const std::string triangle = triangleText(corners);
    for (const auto& [layout, flag] : {std::pair{FigureLayout::Print, ""},
                                       std::pair{FigureLayout::Screen, " --screen"},
                                       std::pair{FigureLayout::Compact, " --compact"}}) {
        const ToolRun drawn = runClipfigs("--triangle " + triangle + " --title T --stem q" + flag +
                                          " --question 3 --edge 2 " + folder);
        EXPECT_EQ(drawn.status, 0) << drawn.output;
        const Figure question =
            drawQuestionFigure(drawTriangleFigures(corners, "T", "q", layout), 2, 1, layout);
        EXPECT_EQ(question.fileName, "q-pass3-bottom-question-edge2.svg");
        EXPECT_EQ(readFile(folder + "/" + question.fileName), question.svg) << flag;
    }
    EXPECT_EQ(runClipfigs("--triangle " + triangle + " --question 3 --edge 9 " + folder).status, 1);
    EXPECT_EQ(runClipfigs("--triangle " + triangle + " --edge 2 " + folder).status, 2);
    std::filesystem::remove_all(folder);
}

} // namespace
