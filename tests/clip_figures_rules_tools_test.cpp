// The rules of other clippers as text and through the tools (figures/clip_figures.h): read from
// the explorer's address and written back, labelled at a glance; clipfigs drawing under them,
// and the browser tests' reference clip_pass_bits, which walks them on its own, against the
// library, run as a user runs them.
#include "figures/clip_figures.h"

#include "tests/clipfigs_run.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

TEST(ClipRules, ReadFromTheAddressWrittenBackAndLabelled)
{
    const std::vector<std::pair<std::string, std::string>> labels = {
        {"", "OpenGL: −w ≤ z ≤ w"},
        {"volume=zero-one&guard=4", "Vulkan: 0 ≤ z ≤ w · guard band 4"},
        {"volume=mismatch&clamp", "mismatch: OpenGL's projection against 0 ≤ z ≤ w · depth clamp"},
        {"u", "OpenGL: −w ≤ z ≤ w · u = 0, 0.5, 1"},
        {"guard=8&u=1,-2,0.25", "OpenGL: −w ≤ z ≤ w · guard band 8 · u = 1, -2, 0.25"},
    };
    for (const auto& [text, label] : labels) {
        ClipRules rules;
        std::string error;
        ASSERT_TRUE(parseRulesText(text, rules, error)) << text << ": " << error;
        EXPECT_EQ(rulesLabel(rules), label) << text;
    }
    // Every combination of rules reads back from its text, among other parameters in any order.
    for (int volume = 0; volume < 3; ++volume) {
        for (int bits = 0; bits < 32; ++bits) {
            ClipRules rules;
            rules.volume = ClipVolume(volume);
            rules.depthClamp = bits & 1;
            rules.guard = 1 << (bits >> 1 & 3);
            rules.attribute = bits & 16;
            if (rules.attribute) rules.u[1] = 0.1f * float(bits);
            const std::string text = "t=1,2,3,4,5,6,7,8,9&" + rulesText(rules) + "&pass=2&edge";
            ClipRules back;
            back.guard = 2;  // every rule not named goes back to its default
            std::string error;
            ASSERT_TRUE(parseRulesText(text, back, error)) << text << ": " << error;
            EXPECT_EQ(rulesText(back), rulesText(rules)) << text;
            EXPECT_TRUE(back.volume == rules.volume && back.depthClamp == rules.depthClamp &&
                        back.guard == rules.guard && back.attribute == rules.attribute &&
                        std::memcmp(back.u, rules.u, sizeof rules.u) == 0)
                << text;
        }
    }
    ClipRules given;
    std::string error;
    ASSERT_TRUE(parseRulesText("volume=gl&clamp=off", given, error));
    EXPECT_TRUE(isProgramRules(given));
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"volume=vulkan", "volume, “vulkan”, is not gl, zero-one or mismatch"},
        {"guard=3", "guard, “3”, is not 1, 2, 4 or 8"},
        {"clamp=maybe", "clamp, “maybe”, needs no value"},
        {"u=1,2", "u: there are 2 values, not three: the corners' u needs u0,u1,u2"},
        {"u=1,nan,2", "u: u1, “nan”, is not a finite number"},
        {"u=0,0,2e6", "u: u2, “2e6”, is beyond the limit of ±1000000"},
    };
    for (const auto& [text, message] : refused) {
        ClipRules rules;
        rules.guard = 4;
        EXPECT_FALSE(parseRulesText(text, rules, error)) << text;
        EXPECT_EQ(error, message) << text;
        EXPECT_EQ(rules.guard, 4) << "left alone: " << text;
    }
}

std::string contents(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Clipfigs, TheRulesOptionsWriteTheLibrarysFiguresUnderThoseRules)
{
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("clipfigs-rules-" + std::to_string(getpid()));
    const float corners[9] = {0.2f, -0.5f, -0.1f, -1, 0.9f, -0.6f, 1, 0.5f, -1.2f};
    ClipRules rules;
    rules.volume = ClipVolume::Mismatch;
    rules.depthClamp = true;
    rules.guard = 4;
    rules.attribute = true;
    rules.u[0] = 1;
    rules.u[2] = -2;
    const ToolRun run = runClipfigs("--triangle " + triangleText(corners) +
                                    " --volume mismatch --clamp --guard 4 --u 1,0.5,-2 --compact "
                                    "--steps " + folder.string());
    ASSERT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("explore.html#t=" + triangleText(corners) +
                              "&volume=mismatch&clamp&guard=4&u=1,0.5,-2"),
              std::string::npos)
        << run.output;
    const TriangleFigures drawn = drawTriangleFigures(corners, defaultTitle, defaultStem,
                                                      FigureLayout::Compact, rules);
    std::size_t expected = 7;
    for (const Figure& figure : drawn.figures) {
        EXPECT_TRUE(contents(folder / figure.fileName) == figure.svg) << figure.fileName;
    }
    for (int pass = 0; pass < 6; ++pass) {
        for (std::size_t e = 0; e < drawn.edges[pass].size(); ++e, ++expected) {
            const Figure step = drawStepFigure(drawn, pass, int(e), FigureLayout::Compact);
            EXPECT_TRUE(contents(folder / step.fileName) == step.svg) << step.fileName;
        }
    }
    EXPECT_EQ(std::size_t(std::distance(std::filesystem::directory_iterator(folder),
                                        std::filesystem::directory_iterator())),
              expected);
    std::filesystem::remove_all(folder);
    const std::vector<std::pair<std::string, std::string>> refusals = {
        {"--volume vulkan", "--volume vulkan: volume, “vulkan”, is not gl"},
        {"--guard 3", "--guard 3: guard, “3”, is not 1, 2, 4 or 8"},
        {"--u 1,2", "--u 1,2: u: there are 2 values"},
    };
    for (const auto& [option, says] : refusals) {
        const ToolRun refused = runClipfigs("--triangle 1,2,3,4,5,6,7,8,9 " + option + " out");
        EXPECT_EQ(refused.status, 2) << option;
        EXPECT_NE(refused.output.find(says), std::string::npos) << option << ": " << refused.output;
    }
}

// Runs the browser tests' reference with the arguments.
std::string clipPassBits(const std::string& arguments)
{
    std::FILE* pipe = popen((std::string(CLIP_PASS_BITS) + " " + arguments).c_str(), "r");
    std::string output;
    char buffer[4096];
    std::size_t n;
    while (pipe && (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    if (pipe) pclose(pipe);
    return output;
}

// Values as the reference writes them: the hex bits of each float.
std::string hexBits(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    char hex[16];
    std::snprintf(hex, sizeof hex, "\"%08x\"", unsigned(bits));
    return hex;
}

std::string flatBits(const std::vector<float>& values)
{
    std::string json = "[";
    for (std::size_t i = 0; i < values.size(); ++i) json += (i ? "," : "") + hexBits(values[i]);
    return json + "]";
}

std::string polygonBits(const ClipPolygon& polygon)
{
    std::string json = "[";
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vector4& v = polygon[i];
        json += (i ? "," : "") + flatBits({v.x, v.y, v.z, v.w});
    }
    return json + "]";
}

TEST(ClipPassBits, TheBrowserTestsReferenceAgreesWithTheLibraryUnderEveryRule)
{
    const std::string triangles[] = {"0.2,-0.5,-0.1,-1,0.9,-0.6,1,0.5,-1.2",
                                     "-0.2,-0.15,-0.6,0.2,-0.15,-0.6,0.4,0.35,0.3",
                                     "0,0,-0.3,0.1,0,-0.6,-0.1,0.1,-0.6",
                                     "0,0,-0.5,1,0.5,0,0.5,1,-0.5,0.5,0.5,1"};
    const char* const options[] = {"", "--volume zero-one", "--volume mismatch", "--clamp",
                                   "--guard 2", "--guard 8 --volume mismatch --u 1,-1,0.3",
                                   "--clamp --guard 4 --volume zero-one"};
    for (const std::string& text : triangles) {
        for (const char* option : options) {
            ClipRules rules;
            std::string words = option, error, parameters;
            // The options as address parameters: "--guard 8" is "guard=8".
            std::istringstream in(words);
            for (std::string word; in >> word;) {
                const bool name = word.rfind("--", 0) == 0;
                parameters += name ? (parameters.empty() ? "" : "&") + word.substr(2) : "=" + word;
            }
            ASSERT_TRUE(parseRulesText(parameters, rules, error)) << error;
            float eye[9];
            Vector4 clip[3];
            const bool inClip = parseClipText(text, clip, error);
            ASSERT_TRUE(inClip || parseTriangleText(text, eye, error)) << error;
            const TriangleFigures drawn =
                inClip ? drawClipTriangleFigures(clip, "", "", FigureLayout::Print, rules)
                       : drawTriangleFigures(eye, "", "", FigureLayout::Print, rules);
            std::string edges = "[", polygons = "[", attributes = "[";
            for (int i = 0; i < 7; ++i) {
                polygons +=
                    (i ? "," : "") + polygonBits(i < 6 ? drawn.afterPass[i] : drawn.clipped);
                attributes += (i ? "," : "") +
                              flatBits(i < 6 ? drawn.attributes[i] : drawn.clippedAttributes);
                if (i < 6) edges += (i ? "," : "") + edgesJson(drawn.edges[i]);
            }
            const std::string what = text + " " + option;
            EXPECT_EQ(clipPassBits(words + " " + text), polygons + "]\n") << what;
            EXPECT_EQ(clipPassBits("--edges " + words + " " + text), edges + "]\n") << what;
            EXPECT_EQ(clipPassBits("--attributes " + words + " " + text), attributes + "]\n")
                << what;
        }
    }
}

} // namespace
