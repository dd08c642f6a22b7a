// The figure library's one numbering and its triangles given in clip space
// (figures/clip_figures.h): where every vertex of every pass comes from, checked against the
// clipper's own per-edge decisions over many triangles, named alike in every figure's text; the
// clip-space path against the projected one; clipfigs --clip and --explorer-links --figures run
// as a user runs them.
#include "figures/clip_figures.h"

#include "tests/clipfigs_run.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool sameBits(const Vector4& a, const Vector4& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The clip-space corners of eye-space ones, as the mesh pass projects them.
std::vector<Vector4> projected(const float corners[9])
{
    Matrix4 m;
    matFrustum(m, frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
               frustum.far);
    std::vector<Vector4> clip(3);
    for (int k = 0; k < 3; ++k) {
        const Vector4 eye = {corners[3 * k], corners[3 * k + 1], corners[3 * k + 2], 1};
        matTransformPoint(clip[std::size_t(k)], m, eye);
    }
    return clip;
}

// Checks the origins of a drawn triangle against the clipper: every vertex named for a corner
// or an earlier cut is that vertex entering the pass, copied bit for bit; every cut is made once,
// by clipEdge on the two vertices of the pass's input that its key names, consecutive there,
// and has the bits clipEdge gives. Returns what is wrong, or "".
std::string originFault(const TriangleFigures& drawn)
{
    std::vector<int> before = {0, 1, 2};
    const ClipPolygon* input = &drawn.triangle;
    std::vector<int> madeBy(drawn.cuts.size(), -1);
    for (int pass = 0; pass < 6; ++pass) {
        const ClipPolygon& output = drawn.afterPass[pass];
        const std::vector<int>& after = drawn.origins[pass];
        const std::string where = "pass " + std::to_string(pass + 1) + ": ";
        if (after.size() != output.size()) return where + "one origin per vertex";
        if (std::set<int>(after.begin(), after.end()).size() != after.size()) {
            return where + "an origin twice";
        }
        for (std::size_t i = 0; i < after.size(); ++i) {
            const int origin = after[i];
            const std::size_t k = std::size_t(origin - 3);
            const auto at = std::find(before.begin(), before.end(), origin) - before.begin();
            if (origin >= 3 && k < drawn.cuts.size() && drawn.cuts[k].pass == pass) {
                const CutPoint& cut = drawn.cuts[k];
                if (madeBy[k] >= 0) return where + originName(origin) + " made twice";
                madeBy[k] = pass;
                const auto p = std::find(before.begin(), before.end(), cut.from) - before.begin();
                const auto q = std::find(before.begin(), before.end(), cut.to) - before.begin();
                const long n = long(before.size());
                if (p == n || q != (p + 1) % n) return where + originName(origin) + "'s edge";
                const ClipEdge edge =
                    clipEdge((*input)[std::size_t(p)], (*input)[std::size_t(q)], ClipPlane(pass));
                const bool crosses = edge.edgeCase == ClipInOut || edge.edgeCase == ClipOutIn;
                if (!crosses || !sameBits(edge.appended[0], output[i])) {
                    return where + originName(origin) + " is not its edge's cut";
                }
                if (!(edge.t == cut.t || (std::isnan(edge.t) && std::isnan(cut.t)))) {
                    return where + originName(origin) + "'s t";
                }
            } else if (at == long(before.size()) ||
                       !sameBits((*input)[std::size_t(at)], output[i])) {
                // A corner, or a cut of an earlier pass: it must be what entered the pass so.
                return where + originName(origin) + " did not enter the pass so";
            }
        }
        before = after;
        input = &output;
    }
    for (std::size_t k = 0; k < madeBy.size(); ++k) {
        if (madeBy[k] != drawn.cuts[k].pass) return "cut " + originName(int(k) + 3) + " unmade";
    }
    return "";
}

// Checks that a description names each vertex as the walk does: every "vertex i = NAME" of
// the given kind ("Before, ", "After, ", "Output ") names origins[i], every cut point named has
// its key line, as cutKey writes it, and so has every cut a key names. Returns what is wrong,
// or "".
std::string namingFault(const TriangleFigures& drawn, const std::string& text,
                        const std::string& kind, const std::vector<int>& origins)
{
    const std::regex named(kind + "vertex (\\d+) = ([a-z]+(?: \\d)?)(?: \\(|:)");
    std::size_t found = 0;
    for (auto m = std::sregex_iterator(text.begin(), text.end(), named);
         m != std::sregex_iterator(); ++m, ++found) {
        const std::size_t i = std::stoul((*m)[1]);
        if (i >= origins.size()) return kind + "vertex " + (*m)[1].str() + " beyond the list";
        if ((*m)[2] != originName(origins[i])) {
            return kind + "vertex " + (*m)[1].str() + " named " + (*m)[2].str() + ", not " +
                   originName(origins[i]);
        }
        if (origins[i] >= 3 && text.find("\n" + cutKey(drawn, origins[i]) + ".\n") ==
                                   std::string::npos) {
            return "no key for " + (*m)[2].str();
        }
    }
    if (found != origins.size()) return kind + ": " + std::to_string(found) + " vertices named";
    // Each key names corners, or cuts keyed too.
    const std::regex key("\n([a-z]+): cut of ([a-z]+(?: \\d)?) → ([a-z]+(?: \\d)?) by Clip");
    for (auto m = std::sregex_iterator(text.begin(), text.end(), key);
         m != std::sregex_iterator(); ++m) {
        for (int end = 2; end <= 3; ++end) {
            const std::string name = (*m)[end];
            if (name.rfind("corner ", 0) != 0 && text.find("\n" + name + ": cut of ") ==
                                                     std::string::npos) {
                return (*m)[1].str() + "'s key names " + name + ", which has none";
            }
        }
    }
    return "";
}

// Every name of a polygon stands in the figure's SVG as a table's cell.
std::string tableFault(const Figure& figure, const std::vector<int>& origins)
{
    for (int origin : origins) {
        if (figure.svg.find(">" + originName(origin) + "</text>") == std::string::npos) {
            return figure.fileName + " has no cell " + originName(origin);
        }
    }
    return "";
}

std::vector<std::vector<float>> trianglesToName()
{
    std::vector<std::vector<float>> triangles = {
        {0.1f, 0.1f, -0.5f, 0.1f, 0.1f, -0.5f, 0.1f, 0.1f, -0.5f},      // one point three times
        {0.4f, 0.35f, 0.3f, 0.4f, 0.35f, 0.3f, 0.1f, 0, -0.5f},           // two equal, behind
        {0, 0, -0.3f, 0.1f, 0.1f, -0.6f, 0.2f, 0.2f, -0.9f},              // on one line
        {0, 0, 0, 0.2f, 0.1f, -0.6f, -0.2f, 0.1f, -0.6f},                 // a corner at the eye
        {-2, 0, -0.5f, -3, 0.1f, -0.5f, -2.5f, -0.2f, -0.6f},             // emptied at once
        {0.25f, 0.25f, -0.25f, 0.3f, -0.1f, -0.6f, -0.2f, 0.1f, -0.9f},   // on the corner edge
    };
    for (const WalkthroughTriangle& t : walkthroughTriangles) {
        triangles.emplace_back(t.corners, t.corners + 9);
    }
    std::mt19937 random(30);
    std::uniform_real_distribution<float> coordinate(-1.5f, 1.5f);
    for (int n = 0; n < 300; ++n) {
        triangles.emplace_back(9);
        for (float& v : triangles.back()) v = coordinate(random);
        // Now and then a corner on a plane, or two corners alike.
        if (n % 4 == 0) triangles.back()[3] = -triangles.back()[5];
        if (n % 9 == 0) std::copy_n(triangles.back().begin(), 3, triangles.back().begin() + 6);
    }
    return triangles;
}

TEST(OneNumbering, OriginsFollowEveryPassesWalkAndEveryFigureNamesThemSo)
{
    for (const std::vector<float>& corners : trianglesToName()) {
        const TriangleFigures drawn = drawTriangleFigures(corners.data(), "t", "t");
        const std::string what = triangleText(corners.data());
        ASSERT_EQ(originFault(drawn), "") << what;
        for (int pass = 0; pass < 6; ++pass) {
            const std::vector<int> before = originsBefore(drawn, pass);
            const Figure& figure = drawn.figures[pass];
            EXPECT_EQ(namingFault(drawn, figure.description, "Before, ", before), "") << what;
            EXPECT_EQ(namingFault(drawn, figure.description, "After, ", drawn.origins[pass]), "")
                << what << " pass " << pass + 1;
            EXPECT_EQ(tableFault(figure, before), "") << what;
            EXPECT_EQ(tableFault(figure, drawn.origins[pass]), "") << what;
            for (std::size_t e = 0; e < drawn.edges[pass].size(); ++e) {
                const Figure step = drawStepFigure(drawn, pass, int(e), FigureLayout::Print);
                const EdgeRecord& edge = drawn.edges[pass][e];
                std::size_t grown = 0;
                for (std::size_t i = 0; i <= e; ++i) grown += drawn.edges[pass][i].appended.size();
                const std::vector<int> sofar(drawn.origins[pass].begin(),
                                             drawn.origins[pass].begin() + long(grown));
                EXPECT_EQ(namingFault(drawn, step.description, "Output ", sofar), "") << what;
                // P and Q by their places and their names.
                const std::string ends =
                    "P = vertex " + std::to_string(edge.from) + " = " +
                    originName(before[std::size_t(edge.from)]) + " → Q = vertex " +
                    std::to_string(edge.to) + " = " + originName(before[std::size_t(edge.to)]);
                EXPECT_NE(stepText(drawn, pass, int(e))[0].find(ends), std::string::npos)
                    << what << " pass " << pass + 1 << " edge " << e;
            }
        }
        const std::vector<int> clipped = clippedOrigins(drawn);
        EXPECT_EQ(namingFault(drawn, drawn.figures[6].description, "", clipped), "") << what;
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(OneNumbering, HandWorkedNamesBehindTheEyeAndWhereCutsHaveACornersBits)
{
    // Behind the eye, ClipRight: pass 1 hands the corners back turned, 1, 2, 0; corner 2 is cut
    // off, between a (on its way in) and b (on its way back).
    const WalkthroughTriangle& behind = walkthroughTriangles[2];
    ASSERT_STREQ(behind.stem, "behind-eye");
    const TriangleFigures drawn = drawTriangleFigures(behind.corners, behind.title, behind.stem);
    EXPECT_EQ(originsBefore(drawn, 1), (std::vector<int>{1, 2, 0}));
    EXPECT_EQ(drawn.origins[1], (std::vector<int>{3, 4, 0, 1}));
    EXPECT_EQ(drawn.figures[1].summary, "ClipRight, inside x ≤ w: 3 vertices in, 4 out; corner 2 "
                                        "dropped; 2 cuts, a and b");
    EXPECT_EQ(cutKey(drawn, 3), "a: cut of corner 1 → corner 2 by ClipRight");
    EXPECT_EQ(cutKey(drawn, 4), "b: cut of corner 2 → corner 0 by ClipRight");
    EXPECT_NE(drawn.figures[1].description.find("Before, vertex 1 = corner 2 ("),
              std::string::npos);
    const std::vector<std::string> first = stepText(drawn, 1, 0);
    EXPECT_EQ(first[0], "Edge 1 of 3: P = vertex 0 = corner 1 → Q = vertex 1 = corner 2, case "
                        "in-out.");
    EXPECT_EQ(first[3], "Appended: the cut point a as output vertex 0.");
    EXPECT_EQ(first.back().rfind("Why the output starts elsewhere:", 0), 0u);
    EXPECT_EQ(stepText(drawn, 1, 1).back().find("Why"), std::string::npos) << "once, at edge 1";
    EXPECT_EQ(drawStepFigure(drawn, 1, 1, FigureLayout::Print).summary,
              "ClipRight, edge 2 of 3 (corner 2 → corner 0): P outside, Q inside: the cut b at "
              "t = 0.4667 is appended as vertex 1, then Q, corner 0, as vertex 2.");
    EXPECT_TRUE(stepText(drawn, 1, 3).empty());

    // Given in clip space: the only inside corner lies on the plane, so both cuts (t = 1 on the
    // way in, t = 0 on the way out) have its bits; they are still cuts, and named apart.
    const Vector4 onPlane[3] = {{1, 0, 0, 1}, {2, 0, 0, 1}, {2, 1, 0, 1}};
    const TriangleFigures cuts = drawClipTriangleFigures(onPlane, "on the plane", "p");
    ASSERT_EQ(cuts.afterPass[1].size(), 3u);
    for (const Vector4& v : cuts.afterPass[1]) EXPECT_TRUE(sameBits(v, onPlane[0]));
    EXPECT_EQ(cuts.origins[1], (std::vector<int>{3, 0, 4}));
    EXPECT_EQ(cuts.figures[1].summary, "ClipRight, inside x ≤ w: 3 vertices in, 3 out; corner 1 "
                                       "and corner 2 dropped; 2 cuts, a and b");
    // Three corners of one point are three corners still.
    const float point[9] = {0.1f, 0.1f, -0.5f, 0.1f, 0.1f, -0.5f, 0.1f, 0.1f, -0.5f};
    const TriangleFigures one = drawTriangleFigures(point, "point", "p");
    EXPECT_EQ(one.origins[0], (std::vector<int>{1, 2, 0}));
    EXPECT_NE(one.figures[0].description.find("Before, vertex 0 = corner 0 (x 0.1000, y 0.1000, "
                                              "z 0.1667, w 0.5000): kept, vertex 2 after."),
              std::string::npos);
    // The letters leave out those that name a quantity beside them or read as digits.
    std::string letters;
    for (int origin = 3; origin < 3 + 17; ++origin) letters += originLabel(origin) + " ";
    EXPECT_EQ(letters, "a b c e f g h j k m n r s u v aa ab ");
    EXPECT_EQ(originName(2), "corner 2");
    EXPECT_EQ(originLabel(2), "2");
}

TEST(ClipSpaceTriangle, DrawnFromTheProjectedCornersItGivesTheBytesOfTheEyeSpacePath)
{
    std::vector<std::vector<float>> triangles = trianglesToName();
    triangles.resize(60);
    for (const std::vector<float>& corners : triangles) {
        const std::vector<Vector4> clip = projected(corners.data());
        for (FigureLayout layout : {FigureLayout::Print, FigureLayout::Screen}) {
            const TriangleFigures eye = drawTriangleFigures(corners.data(), "t", "t", layout);
            const TriangleFigures given = drawClipTriangleFigures(clip.data(), "t", "t", layout);
            const std::string what = triangleText(corners.data());
            for (int f = 0; f < 7; ++f) {
                ASSERT_TRUE(eye.figures[f].svg == given.figures[f].svg) << what << " " << f;
                ASSERT_EQ(eye.figures[f].summary, given.figures[f].summary) << what;
            }
            for (int pass = 0; pass < 6; ++pass) {
                for (std::size_t e = 0; e < eye.edges[pass].size(); ++e) {
                    ASSERT_TRUE(drawStepFigure(eye, pass, int(e), layout).svg ==
                                drawStepFigure(given, pass, int(e), layout).svg)
                        << what;
                }
            }
        }
    }
    // A triangle given in clip space off the line that projected ones lie on in the z-w view
    // is drawn so, and said to be.
    const Vector4 slanted[3] = {{0, 0, -0.5f, 0.6f}, {0.1f, 0, 0.5f, 0.4f}, {0, 0.1f, 0, 1}};
    const TriangleFigures drawn = drawClipTriangleFigures(slanted, "slanted", "s");
    EXPECT_NE(drawn.figures[4].svg.find("not edge-on"), std::string::npos);
    EXPECT_EQ(drawTriangleFigures(walkthroughTriangles[0].corners, "", "")
                  .figures[4].svg.find("not edge-on"),
              std::string::npos);
}

TEST(ClipSpaceTriangle, ReadsTwelveNumbersAndPutsEachCornerWhereTheViewsCanShowIt)
{
    Vector4 corners[3];
    std::string error;
    ASSERT_TRUE(parseClipText("0.4,0.35,-1.1666666,-0.3, 1e6,-1e6,0,1, -0,0.5,0,1", corners,
                              error)) << error;
    EXPECT_EQ(corners[0].w, -0.3f);
    EXPECT_EQ(corners[1].y, -1e6f);
    EXPECT_TRUE(std::signbit(corners[2].x));
    EXPECT_EQ(clipText(corners), "0.4,0.35,-1.1666666,-0.3,1e6,-1e6,0,1,-0,0.5,0,1");
    const struct {
        const char* text;
        const char* error;
    } refused[] = {
        {"1,2,3,4,5,6,7,8,9", "there are 9 values, not twelve: a triangle in clip space needs "
                              "x0,y0,z0,w0,x1,y1,z1,w1,x2,y2,z2,w2"},
        {"1,2,3,4,5,6,7,8,9,10,11,x", "w2, “x”, is not a decimal number"},
        {"1,2,3,1000001,5,6,7,8,9,10,11,12", "w0, “1000001”, is beyond the limit of ±1000000"},
        {"", "there are no numbers; a triangle in clip space needs twelve"},
    };
    for (const auto& r : refused) {
        EXPECT_FALSE(parseClipText(r.text, corners, error)) << r.text;
        EXPECT_EQ(error.rfind(r.error, 0), 0u) << r.text << ": " << error;
    }

    // A projected corner maps back to where it was; moved with its weight it comes back as
    // drawTriangleFigures projects it.
    const WalkthroughTriangle& behind = walkthroughTriangles[2];
    const std::vector<Vector4> clip = projected(behind.corners);
    for (int k = 0; k < 3; ++k) {
        const EyeCorner eye = eyeCorner(clip[std::size_t(k)], k);
        ASSERT_TRUE(eye.shown);
        EXPECT_NEAR(eye.weight, 1, 1e-6);
        const float back[3] = {eye.x, eye.y, eye.z};
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(back[c], behind.corners[3 * k + c], 1e-6);
        const Vector4 again = clipCorner(behind.corners[3 * k], behind.corners[3 * k + 1],
                                         behind.corners[3 * k + 2], 1);
        EXPECT_TRUE(sameBits(again, clip[std::size_t(k)])) << k;
    }
    EXPECT_EQ(eyeCorner(clip[2], 2).note, "Corner 2 has w < 0: it lies behind the eye, where "
                                          "the views show it.");
    EXPECT_EQ(eyeCorner(clip[0], 0).note, "");
    EXPECT_EQ(findWalkthroughClipTriangle(clip.data()), &behind);
    const Vector4 negated = {-clip[0].x, -clip[0].y, -clip[0].z, -clip[0].w};
    const EyeCorner through = eyeCorner(negated, 0);
    EXPECT_TRUE(through.shown);
    EXPECT_NEAR(through.x, behind.corners[0], 1e-6);
    EXPECT_NE(through.note.find("Corner 0 is -1 times the projection"), std::string::npos);
    // At infinite depth: z = 5/3 w maps back to a weight of 0.
    const EyeCorner infinite = eyeCorner({0.1f, 0.2f, 5, 3}, 1);
    EXPECT_FALSE(infinite.shown);
    EXPECT_NE(infinite.note.find("a point at infinity"), std::string::npos);
    EXPECT_NE(eyeCorner({0.1f, 0.2f, -0.5f, 0}, 1).note.find("w = 0: it lies in the eye plane"),
              std::string::npos);
    EXPECT_EQ(findWalkthroughClipTriangle(corners), nullptr);
}

// The bytes of a file.
std::string contents(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(Clipfigs, ClipOptionWritesTheFiguresOfATriangleGivenInClipSpace)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("clipfigs-clip-" + std::to_string(getpid()));
    std::filesystem::remove_all(folder);
    const std::string text = "0.4,0.35,-1.1666666,-0.3,0.2,-0.15,0.3333,0.6,-0.5,0,1,0.4";
    const ToolRun run = runClipfigs("--clip " + text + " --steps --screen " + folder.string());
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("explore.html#c=" + text), std::string::npos) << run.output;
    Vector4 corners[3];
    std::string error;
    ASSERT_TRUE(parseClipText(text, corners, error));
    const TriangleFigures drawn =
        drawClipTriangleFigures(corners, defaultTitle, defaultStem, FigureLayout::Screen);
    std::size_t expected = 7;
    for (const Figure& figure : drawn.figures) {
        EXPECT_TRUE(contents(folder / figure.fileName) == figure.svg) << figure.fileName;
    }
    for (int pass = 0; pass < 6; ++pass) {
        for (std::size_t e = 0; e < drawn.edges[pass].size(); ++e, ++expected) {
            const Figure step = drawStepFigure(drawn, pass, int(e), FigureLayout::Screen);
            EXPECT_TRUE(contents(folder / step.fileName) == step.svg) << step.fileName;
        }
    }
    EXPECT_EQ(std::size_t(std::distance(std::filesystem::directory_iterator(folder),
                                        std::filesystem::directory_iterator())),
              expected);
    std::filesystem::remove_all(folder);
    for (const char* arguments : {"--clip 1,2,3 out", "--clip 1,2,3,4,5,6,7,8,9,10,11,12 "
                                                      "--triangle 1,2,3,4,5,6,7,8,9 out"}) {
        EXPECT_EQ(runClipfigs(arguments).status, 2) << arguments;
    }
}

TEST(Clipfigs, ExplorerLinksWithFiguresGiveEachFigureTheAddressThatOpensIt)
{
    const ToolRun run = runClipfigs("--explorer-links --figures");
    ASSERT_EQ(run.status, 0) << run.output;
    std::istringstream lines(run.output);
    for (const WalkthroughTriangle& triangle : walkthroughTriangles) {
        const TriangleFigures drawn = drawTriangleFigures(triangle.corners, "", triangle.stem);
        for (int i = 0; i < 7; ++i) {
            std::string name, address;
            ASSERT_TRUE(lines >> name >> address) << run.output;
            EXPECT_EQ(name + ".svg", drawn.figures[i].fileName);
            const std::string pass = i < 6 ? "&pass=" + std::to_string(i + 1) : "";
            EXPECT_EQ(address, "explore.html#t=" + triangleText(triangle.corners) + pass);
        }
    }
    // Then the figures under other rules, with their rules after the triangle and the pass.
    for (const WalkthroughRuleFigure& ruled : walkthroughRuleFigures) {
        const WalkthroughTriangle& triangle = walkthroughTriangles[ruled.triangle];
        ClipRules rules;
        std::string error, name, address;
        ASSERT_TRUE(parseRulesText(ruled.rules, rules, error)) << error;
        const TriangleFigures drawn =
            drawTriangleFigures(triangle.corners, "", ruled.stem, FigureLayout::Print, rules);
        ASSERT_TRUE(lines >> name >> address) << run.output;
        EXPECT_EQ(name + ".svg", drawn.figures[ruled.figure].fileName);
        const std::string pass = ruled.figure < 6 ? "&pass=" + std::to_string(ruled.figure + 1) : "";
        EXPECT_EQ(address, "explore.html#t=" + triangleText(triangle.corners) + pass + "&" +
                               rulesText(rules));
    }
    std::string extra;
    EXPECT_FALSE(lines >> extra) << "one line per figure";
    EXPECT_EQ(runClipfigs("--explorer-links --steps").status, 2);
}

} // namespace
