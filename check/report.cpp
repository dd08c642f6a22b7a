// A finished check as words, as JSON and as an autograding results file. See clip_check.h.
#include "check/clip_check.h"

#include "check/internal.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

using Writer = rapidjson::Writer<rapidjson::StringBuffer>;

void writeString(Writer& writer, const std::string& text)
{
    writer.String(text.data(), rapidjson::SizeType(text.size()));
}

std::string plural(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The paragraph of one triangle in the words report; "" for a right one without notes.
std::string paragraph(const TestTriangle& triangle, const TriangleResult& result)
{
    if (result.right && result.notes.empty()) return "";
    std::string text = triangle.id + (result.right ? ": right." : ": wrong.") + "\n";
    std::size_t at = 0;
    while (!result.message.empty() && at != std::string::npos) {
        const std::size_t end = result.message.find('\n', at);
        text += "  " + result.message.substr(at, end == std::string::npos ? end : end - at) + "\n";
        at = end == std::string::npos ? end : end + 1;
    }
    for (const std::string& note : result.notes) text += "  Note: " + note + "\n";
    if (!result.address.empty()) text += "  In the clip explorer: " + result.address + "\n";
    return text;
}

// The answer of one autograding test: the message, the notes, the explorer's address.
std::string testOutput(const TriangleResult& result)
{
    std::string text = result.right ? "right" : result.message;
    for (const std::string& note : result.notes) text += "\nNote: " + note;
    if (!result.address.empty()) text += "\nIn the clip explorer: " + result.address;
    return text;
}

} // namespace

std::string summaryLine(const TraceCheck& check)
{
    // Per pass, the triangles wrong in it and the mistakes named there, in the order of
    // ClipMistake ("unnamed" last).
    std::size_t wrongIn[6] = {};
    std::map<int, std::size_t> mistakes[6];
    std::size_t missing = 0, unreadable = 0, twice = 0;
    for (std::size_t i = 0; i < check.outcomes.size(); ++i) {
        if (check.outcomes[i].detail < 0) continue;
        const TriangleResult& result = check.details[std::size_t(check.outcomes[i].detail)];
        missing += result.problem == TraceProblem::Missing;
        unreadable += result.problem == TraceProblem::Unreadable;
        twice += result.problem == TraceProblem::Twice;
        if (result.problem != TraceProblem::None) continue;
        for (const TriangleResult::WrongPass& wrong : result.wrongPasses) {
            wrongIn[wrong.pass - 1] += 1;
            const int key = wrong.mistake == ClipMistake::None ? 1000 : int(wrong.mistake);
            mistakes[wrong.pass - 1][key] += 1;
        }
    }
    std::string line = std::to_string(rightCount(check)) + " of " +
                       plural(check.triangles.size(), "triangle", "triangles") + " right";
    for (int pass = 0; pass < 6; ++pass) {
        if (wrongIn[pass] == 0) continue;
        line += std::string("; ") + planeName(ClipPlane(pass)) + " wrong in " +
                std::to_string(wrongIn[pass]) + ":";
        bool first = true;
        for (const auto& [key, count] : mistakes[pass]) {
            line += std::string(first ? " " : ", ") +
                    (key == 1000 ? "unnamed" : mistakeId(ClipMistake(key))) + " " +
                    std::to_string(count);
            first = false;
        }
    }
    if (missing) line += "; " + std::to_string(missing) + " missing from the trace";
    if (unreadable) line += "; " + std::to_string(unreadable) + " on a line that cannot be read";
    if (twice) line += "; " + std::to_string(twice) + " given twice";
    if (!check.traceProblems.empty()) {
        line += "; " + plural(check.traceProblems.size(), "line", "lines") +
                " of the trace for no triangle";
    }
    if (!check.triangleProblems.empty()) {
        line += "; " + plural(check.triangleProblems.size(), "line", "lines") +
                " of the triangles not read";
    }
    return line;
}

std::string wordsReport(const TraceCheck& check)
{
    std::string report;
    for (const TraceCheck::LineProblem& problem : check.triangleProblems) {
        report += "Triangles: " + problem.message + ".\n";
    }
    if (!report.empty()) report += "\n";
    for (std::size_t i = 0; i < check.triangles.size(); ++i) {
        const std::string text = paragraph(check.triangles[i], triangleResult(check, i));
        if (!text.empty()) report += text + "\n";
    }
    for (const TraceCheck::LineProblem& problem : check.traceProblems) {
        report += "Trace: " + problem.message + ".\n";
    }
    if (!check.traceProblems.empty()) report += "\n";
    return report + summaryLine(check) + "\n";
}

std::string jsonReport(const TraceCheck& check)
{
    rapidjson::StringBuffer buffer;
    Writer writer(buffer);
    writer.StartObject();
    writer.Key("triangles");
    writer.Uint64(check.triangles.size());
    writer.Key("right");
    writer.Uint64(rightCount(check));
    writer.Key("results");
    writer.StartArray();
    for (std::size_t i = 0; i < check.triangles.size(); ++i) {
        const TriangleResult result = triangleResult(check, i);
        writer.StartObject();
        writer.Key("id");
        writeString(writer, check.triangles[i].id);
        writer.Key("right");
        writer.Bool(result.right);
        writer.Key("pass");
        if (result.pass > 0) writer.Int(result.pass);
        else writer.Null();
        writer.Key("edge");
        if (result.edge > 0) writer.Int(result.edge);
        else writer.Null();
        writer.Key("mistake");
        if (result.mistake != ClipMistake::None) writer.String(mistakeId(result.mistake));
        else writer.Null();
        writer.Key("message");
        writeString(writer, result.message);
        writer.Key("notes");
        writer.StartArray();
        for (const std::string& note : result.notes) writeString(writer, note);
        writer.EndArray();
        writer.Key("address");
        if (result.address.empty()) writer.Null();
        else writeString(writer, result.address);
        writer.EndObject();
    }
    writer.EndArray();
    const auto lines = [&](const char* key, const std::vector<TraceCheck::LineProblem>& list) {
        writer.Key(key);
        writer.StartArray();
        for (const TraceCheck::LineProblem& problem : list) {
            writer.StartObject();
            writer.Key("line");
            writer.Int64(problem.line);
            writer.Key("message");
            writeString(writer, problem.message);
            writer.EndObject();
        }
        writer.EndArray();
    };
    lines("lines", check.traceProblems);
    lines("triangleLines", check.triangleProblems);
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize()) + "\n";
}

std::string resultsJson(const TraceCheck& check)
{
    rapidjson::StringBuffer buffer;
    Writer writer(buffer);
    writer.StartObject();
    writer.Key("score");
    writer.Uint64(rightCount(check));
    writer.Key("max_score");
    writer.Uint64(check.triangles.size());
    writer.Key("tests");
    writer.StartArray();
    for (std::size_t i = 0; i < check.triangles.size(); ++i) {
        const TriangleResult result = triangleResult(check, i);
        writer.StartObject();
        writer.Key("name");
        writeString(writer, check.triangles[i].id);
        writer.Key("score");
        writer.Int(result.right ? 1 : 0);
        writer.Key("max_score");
        writer.Int(1);
        writer.Key("output");
        writeString(writer, testOutput(result));
        writer.EndObject();
    }
    writer.EndArray();
    writer.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize()) + "\n";
}
