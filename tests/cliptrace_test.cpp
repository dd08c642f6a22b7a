// cliptrace run as a learner and a teacher run it: against learner clippers written apart from
// the program (tests/learners/, Python in double precision, right or with one deliberate
// mistake each, each telling where its mistake first shows), against the starter programs of
// examples/clipper/, and against traces with every kind of bad line.
#include "check/clip_check.h"

#include "tests/tool_run.h"

#include <gtest/gtest.h>

#include <rapidjson/document.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string tool = CLIPTRACE_TOOL;
const std::string python = PYTHON;
const std::string learner = std::string(CLIPDEMO_SOURCE_DIR) + "/tests/learners/learner_clipper.py";

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.push_back(line);
    return out;
}

struct TempDir {
    TempDir()
    {
        char pattern[] = "/tmp/clipdemo-cliptrace-XXXXXX";
        if (mkdtemp(pattern)) path = pattern;
    }
    ~TempDir()
    {
        if (!path.empty()) std::system(("rm -rf '" + path + "'").c_str());
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return path + "/" + name; }
    std::string path;
};

// A check's JSON report, results by id.
struct Report {
    rapidjson::Document document;
    std::map<std::string, const rapidjson::Value*> byId;
};

void readReport(const std::string& json, Report& report)
{
    report.document.Parse(json.c_str());
    ASSERT_FALSE(report.document.HasParseError()) << json.substr(0, 300);
    for (const rapidjson::Value& result : report.document["results"].GetArray()) {
        report.byId[result["id"].GetString()] = &result;
    }
}

int intOrZero(const rapidjson::Value& value)
{
    return value.IsInt() ? value.GetInt() : 0;
}

std::string stringOrEmpty(const rapidjson::Value& value)
{
    return value.IsString() ? value.GetString() : "";
}

TEST(Cliptrace, RightLearnerAcceptedAndEachMistakeFoundAtItsTrianglePassAndEdgeAndNamed)
{
    TempDir dir;
    const std::string text = dir.file("t.txt"), json = dir.file("t.jsonl");
    ASSERT_EQ(runCommand(tool + " triangles --hard --count 200 --seed 5 --text > " + text).status, 0);
    ASSERT_EQ(runCommand(tool + " triangles --hard --count 200 --seed 5 > " + json).status, 0);

    // Right, and right in any start (with a note).
    for (const char* variant : {"", "rotate"}) {
        const std::string trace = dir.file(std::string("right") + variant + ".jsonl");
        const std::string mistake = *variant ? std::string(" --mistake ") + variant : "";
        ASSERT_EQ(runCommand(python + " " + learner + " " + text + " " + trace + mistake).status, 0);
        const ToolRun check = runCommand(tool + " check " + json + " " + trace);
        EXPECT_EQ(check.status, 0) << variant << "\n" << check.output.substr(0, 2000);
        EXPECT_NE(check.output.find("220 of 220 triangles right"), std::string::npos) << variant;
        EXPECT_EQ(check.output.find("Note:") != std::string::npos, *variant != 0) << variant;
    }

    // One mistake each: found where the learner says it first shows, and named; where another
    // mistake gives the same output it may be named instead (a reversed test and a divided one
    // agree where w < 0; a plane that cuts nothing hands the input back, as a skipped pass).
    // boundary shows only where a polygon lies in a plane (h17, h18).
    struct Variant {
        std::string id, alternative;
        int least;  // triangles it must show in
    };
    const std::map<std::string, Variant> variants = {
        {"flipped-test", {"flipped-test", "", 100}},  {"divided-first", {"divided-first", "flipped-test", 20}},
        {"t-from-q", {"t-from-q", "", 100}},          {"t-after-divide", {"t-after-divide", "", 100}},
        {"missing-cut", {"missing-cut", "", 100}},    {"missing-q", {"missing-q", "", 100}},
        {"wrong-plane", {"wrong-plane", "skipped", 50}}, {"skipped-near", {"skipped", "", 50}},
        {"boundary", {"boundary", "flipped-test", 2}}};
    for (const auto& [variant, expected] : variants) {
        const std::string trace = dir.file(variant + ".jsonl"), found = dir.file(variant + ".found");
        ASSERT_EQ(runCommand(python + " " + learner + " " + text + " " + trace + " --mistake " +
                      variant + " --found " + found)
                      .status,
                  0);
        const ToolRun check = runCommand(tool + " check " + json + " " + trace + " --json");
        EXPECT_EQ(check.status, 1) << variant;
        Report report;
        readReport(check.output, report);
        int shown = 0, fits = 0, named = 0;
        for (const std::string& line : lines(readFile(found))) {
            rapidjson::Document where;
            where.Parse(line.c_str());
            const rapidjson::Value& result = *report.byId.at(where["id"].GetString());
            const std::string what = variant + " " + where["id"].GetString();
            if (where["pass"].IsNull()) {
                EXPECT_TRUE(result["right"].GetBool()) << what;
                continue;
            }
            ++shown;
            EXPECT_FALSE(result["right"].GetBool()) << what;
            EXPECT_EQ(intOrZero(result["pass"]), where["pass"].GetInt()) << what;
            if (where["edge"].IsInt()) {
                EXPECT_EQ(intOrZero(result["edge"]), where["edge"].GetInt()) << what;
            }
            // In a degenerate pass (all of it on the plane, say) yet other mistakes can fit.
            const std::string id = stringOrEmpty(result["mistake"]);
            EXPECT_NE(id, "") << what;
            fits += id == expected.id || id == expected.alternative;
            named += id == expected.id;
        }
        EXPECT_GE(shown, expected.least) << variant;
        EXPECT_GE(fits, shown * 95 / 100) << variant << ": " << fits << " of " << shown;
        EXPECT_GE(named, shown / 2) << variant << ": " << named << " of " << shown;
    }
}

// d of a clip-space vertex for plane k, worked out here: c + w for the lower planes, w - c for
// the upper ones.
double distance(const double v[4], int plane)
{
    const double c = v[plane / 2];
    return plane % 2 ? v[3] - c : c + v[3];
}

TEST(Cliptrace, StarterProgramsRunAndEachTriangleSomePlaneCutsIsSkippedAtItsFirstCut)
{
    TempDir dir;
    const std::string text = dir.file("t.txt");
    ASSERT_EQ(runCommand(tool + " triangles --hard --count 150 --seed 9 --text > " + text).status, 0);
    // The first plane that has a corner strictly outside it, from the text's own numbers.
    std::map<std::string, int> firstCut;
    for (const std::string& line : lines(readFile(text))) {
        std::istringstream fields(line);
        std::string id;
        double corners[3][4];
        fields >> id;
        for (auto& corner : corners) {
            for (double& c : corner) fields >> c;
        }
        // A corner outside by less than the check's tolerance (1e-5 of the largest
        // coordinate) leaves the same polygon: its cut point lies within it of the corner.
        double largest = 0;
        for (const auto& corner : corners) {
            for (double c : corner) largest = std::max(largest, std::fabs(c));
        }
        firstCut[id] = 0;
        for (int plane = 0; plane < 6 && firstCut[id] == 0; ++plane) {
            for (const auto& corner : corners) {
                if (distance(corner, plane) < -1e-5 * largest) firstCut[id] = plane + 1;
            }
        }
    }
    const std::string starters[] = {python + " " + CLIPDEMO_SOURCE_DIR +
                                        "/examples/clipper/clipper.py " + text,
                                    std::string(STARTER_CLIPPER) + " " + text,
                                    std::string(STARTER_CLIPPER) + " < " + text};
    for (const std::string& starter : starters) {
        const std::string trace = dir.file("trace.jsonl");
        ASSERT_EQ(runCommand(starter + " > " + trace).status, 0) << starter;
        const ToolRun check = runCommand(tool + " check " + text + " " + trace + " --json");
        EXPECT_EQ(check.status, 1) << starter;
        Report report;
        readReport(check.output, report);
        int cut = 0;
        for (const auto& [id, plane] : firstCut) {
            const rapidjson::Value& result = *report.byId.at(id);
            EXPECT_EQ(result["right"].GetBool(), plane == 0) << starter << " " << id;
            EXPECT_EQ(intOrZero(result["pass"]), plane) << starter << " " << id;
            if (plane > 0) {
                ++cut;
                EXPECT_EQ(stringOrEmpty(result["mistake"]), "skipped") << starter << " " << id;
            }
        }
        EXPECT_GT(cut, 60);
        EXPECT_LT(cut, 160);
    }
}

TEST(Cliptrace, MalformedTracesReportedByLineTheRestCheckedAndTheExitStatusSaysSo)
{
    TempDir dir;
    const std::string triangles = dir.file("t.jsonl"), reference = dir.file("ref.jsonl");
    ASSERT_EQ(runCommand(tool + " triangles --count 14 > " + triangles).status, 0);
    const ToolRun ref = runCommand(tool + " reference " + triangles + " --edges");
    ASSERT_EQ(ref.status, 0);
    writeFile(reference, ref.output);
    // The real clipper's trace is right, bit for bit too; its edges are each pass's walk.
    EXPECT_EQ(runCommand(tool + " check " + triangles + " " + reference + " --exact").status, 0);
    EXPECT_NE(ref.output.find("\"edges\":[[{\"from\":0,\"to\":1,\"case\":"), std::string::npos);

    std::vector<std::string> trace = lines(ref.output);
    const auto id = [](int k) { return "\"r" + std::to_string(k) + "\""; };
    const std::string six = "[[],[],[],[],[],[]]";
    trace[0] = "{\"id\": " + id(1) + ", \"passes\": [[[1, 2, 3]], [], [], [], [], []]}";
    trace[1] = "{\"id\": " + id(2) + ", \"passes\": [[[\"0.5\", 0, 0, 1]], [], [], [], [], []]}";
    std::string many = "[";
    for (int k = 0; k <= traceCapacity; ++k) many += k ? ",[0,0,0,1]" : "[0,0,0,1]";
    trace[2] = "{\"id\": " + id(3) + ", \"passes\": [" + many + "], [], [], [], [], []]}";
    trace[3] = "{\"id\": " + id(4) + ", \"passes\": [[], []]}";
    trace[4] = "this is not JSON";                         // no id: the triangle of line 5
    trace[5] = "{\"id\": \"nobody\", \"passes\": " + six + "}";  // no such id; r6 missing
    trace[6] = "{\"id\": " + id(7) + ", \"passes\": [[[\"nan\", 0, 0, 1]], [], [], [], [], []]}";
    trace[7] = std::string(maxLineBytes + 10, '[');      // too long: the triangle of line 8
    trace[8] = trace[9];                                 // r10 twice, r9 missing
    trace[10] = "";                                      // blank: r11 missing
    trace[11] = std::string(200000, '[') + std::string(200000, ']');  // deep, no id
    const std::string bad = dir.file("bad.jsonl");
    std::string all;
    for (const std::string& line : trace) all += line + "\n";
    writeFile(bad, all);

    const ToolRun check = runCommand(tool + " check " + triangles + " " + bad + " --json --results-json " +
                          dir.file("results.json"));
    EXPECT_EQ(check.status, 1);
    Report report;
    readReport(check.output, report);
    const std::map<std::string, std::string> says = {
        {"r1", "line 1 of the trace, the line of r1, cannot be read: it pass 1, vertex 0 has 3"},
        {"r2", "line 2 of the trace, the line of r2, cannot be read: it pass 1, vertex 0's x is "
               "the string \"0.5\", not a number"},
        {"r3", "line 3 of the trace, the line of r3, cannot be read: it pass 1 has 29 vertices"},
        {"r4", "line 4 of the trace, the line of r4, cannot be read: it has 2 passes, not 6"},
        {"r5", "line 5 of the trace, taken for r5 (the triangle of that place), cannot be read: "
               "it not JSON"},
        {"r7", "line 7 of the trace, the line of r7, cannot be read: it pass 1, vertex 0's x is "
               "the string \"nan\""},
        {"r8", "line 8 of the trace, taken for r8 (the triangle of that place), cannot be read: "
               "it is longer than 1 MiB"},
        {"r6", "r6 is missing from the trace"},
        {"r9", "r9 is missing from the trace"},
        {"r10", "line 10 of the trace gives r10 again (line 9 of the trace gave it first)"},
        {"r11", "r11 is missing from the trace"},
        {"r12", "line 12 of the trace, taken for r12 (the triangle of that place), cannot be "
                "read: it is not a JSON object"},
    };
    for (int k = 1; k <= 14; ++k) {
        const std::string name = "r" + std::to_string(k);
        const rapidjson::Value& result = *report.byId.at(name);
        const auto expected = says.find(name);
        if (expected == says.end()) {
            EXPECT_TRUE(result["right"].GetBool()) << name;
            continue;
        }
        EXPECT_FALSE(result["right"].GetBool()) << name;
        EXPECT_EQ(stringOrEmpty(result["message"]).rfind(expected->second, 0), 0u)
            << name << ": " << stringOrEmpty(result["message"]);
    }
    const rapidjson::Value& other = report.document["lines"];
    ASSERT_EQ(other.Size(), 1u);
    EXPECT_EQ(other[0]["line"].GetInt(), 6);
    EXPECT_NE(stringOrEmpty(other[0]["message"]).find("\"nobody\", which no triangle has"),
              std::string::npos);
    EXPECT_EQ(report.document["right"].GetInt(), 2);  // r13, r14

    // The autograding file: a test per triangle, the score the right ones.
    rapidjson::Document results;
    results.Parse(readFile(dir.file("results.json")).c_str());
    ASSERT_TRUE(results.IsObject());
    EXPECT_EQ(results["score"].GetInt(), 2);
    ASSERT_EQ(results["tests"].Size(), 14u);
    EXPECT_EQ(std::string(results["tests"][12]["name"].GetString()), "r13");
    EXPECT_EQ(results["tests"][12]["score"].GetInt(), 1);
    EXPECT_EQ(results["tests"][0]["max_score"].GetInt(), 1);

    // The words: the same, and the summary last.
    const ToolRun words = runCommand(tool + " check " + triangles + " " + bad);
    EXPECT_EQ(words.status, 1);
    EXPECT_NE(words.output.find("r10: wrong.\n  line 10 of the trace gives r10 again"),
              std::string::npos);
    EXPECT_EQ(lines(words.output).back(),
              "2 of 14 triangles right; 3 missing from the trace; 8 on a line that cannot be "
              "read; 1 given twice; 1 line of the trace for no triangle");

    // A file that cannot be read at all, or a command that is wrong: status 2.
    EXPECT_EQ(runCommand(tool + " check " + triangles + " " + dir.file("none") + " 2>/dev/null").status,
              2);
    EXPECT_EQ(runCommand(tool + " check " + triangles + " 2>/dev/null").status, 2);
    EXPECT_EQ(runCommand(tool + " check " + triangles + " " + bad + " --exact --tolerance 1 2>/dev/null")
                  .status,
              2);
    EXPECT_EQ(runCommand(tool + " triangles --count x 2>/dev/null").status, 2);
}

} // namespace
