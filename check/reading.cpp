// Lines in and out: the triangles file, the learner's trace, the reference trace, and the split
// of text into lines. See clip_check.h.
//
// JSON is read with RapidJSON (header-only, from Debian's rapidjson-dev): iteratively, so that a
// line nested a million deep cannot exhaust the stack, and with full precision, so that a number
// reads as the nearest double, which then rounds to the nearest float.
#include "check/clip_check.h"

#include "check/internal.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace {

using Value = rapidjson::Value;
constexpr unsigned parseFlags = rapidjson::kParseIterativeFlag | rapidjson::kParseFullPrecisionFlag;

// Parses line as one JSON value; false with the reason when it is not.
bool parseJson(const std::string& line, rapidjson::Document& document, std::string& error)
{
    document.Parse<parseFlags>(line.data(), line.size());
    if (!document.HasParseError()) return true;
    error = std::string("not JSON: ") + rapidjson::GetParseError_En(document.GetParseError()) +
            " (at character " + std::to_string(document.GetErrorOffset() + 1) + ")";
    return false;
}

// Where a value stands in a line, for a message: built only when there is something to say.
struct Where {
    const char* list;  // "pass", or "\"triangle\" vertex", "\"eye\" number"
    int index = -1;    // the pass, from 1 (-1: none)
    int vertex = -1;   // the vertex, from 0 (-1: none)
    int coordinate = -1;  // 0 to 3: x, y, z, w (-1: none)

    std::string text() const
    {
        static const char* const names[4] = {"x", "y", "z", "w"};
        std::string out = list;
        if (index >= 0) out += " " + std::to_string(index);
        if (vertex >= 0) out += ", vertex " + std::to_string(vertex);
        if (coordinate >= 0) out += std::string("'s ") + names[coordinate];
        return out;
    }
};

// A number of the trace: a JSON number within the float range, or "NaN", "Infinity",
// "-Infinity".
bool readFloat(const Value& value, float& out, const Where& where, std::string& error)
{
    if (value.IsNumber()) {
        const double number = value.GetDouble();
        if (std::fabs(number) > double(FLT_MAX)) {
            error = where.text() + " is beyond the range of a float";
            return false;
        }
        out = float(number);
        return true;
    }
    if (value.IsString()) {
        const std::string text(value.GetString(), value.GetStringLength());
        if (text == "NaN") out = std::numeric_limits<float>::quiet_NaN();
        else if (text == "Infinity") out = INFINITY;
        else if (text == "-Infinity") out = -INFINITY;
        else {
            error = where.text() + " is the string " + chk::jsonString(text.substr(0, 20)) +
                    ", not a number (only \"NaN\", \"Infinity\" and \"-Infinity\" may stand for "
                    "one)";
            return false;
        }
        return true;
    }
    error = where.text() + " is not a number";
    return false;
}

bool readVertex(const Value& value, Vector4& v, Where where, std::string& error)
{
    if (!value.IsArray()) {
        error = where.text() + " is not a vertex [x, y, z, w]";
        return false;
    }
    if (value.Size() != 4) {
        error = where.text() + " has " + std::to_string(value.Size()) +
                " numbers, not 4 (x, y, z, w)";
        return false;
    }
    float* const out[4] = {&v.x, &v.y, &v.z, &v.w};
    for (int c = 0; c < 4; ++c) {
        where.coordinate = c;
        if (!readFloat(value[rapidjson::SizeType(c)], *out[c], where, error)) return false;
    }
    return true;
}

bool readPolygon(const Value& value, ClipPolygon& polygon, int pass, std::string& error)
{
    const Where where{"pass", pass};
    if (!value.IsArray()) {
        error = where.text() + " is not a list of vertices";
        return false;
    }
    if (value.Size() > rapidjson::SizeType(traceCapacity)) {
        error = where.text() + " has " + std::to_string(value.Size()) +
                " vertices, more than the " + std::to_string(traceCapacity) +
                " any pass can give a triangle";
        return false;
    }
    polygon.resize(value.Size());
    for (rapidjson::SizeType i = 0; i < value.Size(); ++i) {
        if (!readVertex(value[i], polygon[i], {"pass", pass, int(i)}, error)) return false;
    }
    return true;
}

// A plain decimal, as the text form of the triangles file writes its numbers.
bool readDecimal(const std::string& text, float& out)
{
    std::size_t i = text[0] == '-' || text[0] == '+' ? 1 : 0;
    std::size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') ++digits;
        else if (text[i] == '.' && !point) point = true;
        else break;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        if (i == start) return false;
    }
    if (i != text.size()) return false;
    out = std::strtof(text.c_str(), nullptr);
    return std::isfinite(out);
}

bool parseTextTriangle(const std::string& line, TestTriangle& triangle, std::string& error)
{
    std::vector<std::string> fields;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t start = line.find_first_not_of(" \t\r", at);
        if (start == std::string::npos) break;
        const std::size_t end = line.find_first_of(" \t\r", start);
        fields.push_back(line.substr(start, end - start));
        at = end == std::string::npos ? line.size() : end;
    }
    if (fields.size() != 13) {
        error = "has " + std::to_string(fields.size()) +
                " fields, not 13: ID x y z w x y z w x y z w";
        return false;
    }
    TestTriangle read;
    read.id = fields[0];
    for (int k = 0; k < 12; ++k) {
        float* const values[4] = {&read.clip[k / 4].x, &read.clip[k / 4].y, &read.clip[k / 4].z,
                                  &read.clip[k / 4].w};
        if (!readDecimal(fields[std::size_t(k) + 1], *values[k % 4])) {
            error = "field " + std::to_string(k + 2) + ", " +
                    chk::jsonString(fields[std::size_t(k) + 1].substr(0, 20)) +
                    ", is not a finite decimal number";
            return false;
        }
    }
    triangle = read;
    return true;
}

bool sameBits(const Vector4& a, const Vector4& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool parseJsonTriangle(const std::string& line, TestTriangle& triangle, std::string& error)
{
    rapidjson::Document document;
    if (!parseJson(line, document, error)) return false;
    if (!document.IsObject() || !document.HasMember("id") || !document["id"].IsString()) {
        error = "has no \"id\" string";
        return false;
    }
    TestTriangle read;
    read.id.assign(document["id"].GetString(), document["id"].GetStringLength());
    const bool hasClip = document.HasMember("triangle");
    if (document.HasMember("eye")) {
        const Value& eye = document["eye"];
        if (!eye.IsArray() || eye.Size() != 9) {
            error = "\"eye\" is not a list of 9 numbers";
            return false;
        }
        float corners[9];
        for (rapidjson::SizeType k = 0; k < 9; ++k) {
            if (!readFloat(eye[k], corners[k], {"\"eye\" number", int(k) + 1}, error)) {
                return false;
            }
            if (!std::isfinite(corners[k]) || std::fabs(corners[k]) > 1e6f) {
                error = "\"eye\" number " + std::to_string(k + 1) + " is beyond ±1000000";
                return false;
            }
        }
        read = eyeTriangle(read.id, corners);
    } else if (!hasClip) {
        error = "has neither \"triangle\" nor \"eye\"";
        return false;
    }
    if (hasClip) {
        const Value& clip = document["triangle"];
        if (!clip.IsArray() || clip.Size() != 3) {
            error = "\"triangle\" is not a list of 3 vertices";
            return false;
        }
        bool sameAsEye = read.hasEye;
        for (rapidjson::SizeType k = 0; k < 3; ++k) {
            Vector4 v;
            if (!readVertex(clip[k], v, {"\"triangle\" vertex", int(k)}, error)) return false;
            if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z) ||
                !std::isfinite(v.w)) {
                error = "\"triangle\" vertex " + std::to_string(k) + " is not finite";
                return false;
            }
            sameAsEye = sameAsEye && sameBits(v, read.clip[k]);
            read.clip[k] = v;
        }
        // The clip-space corners are what was handed out; the eye only names them for the
        // explorer while it projects to exactly them.
        read.hasEye = sameAsEye;
    }
    triangle = read;
    return true;
}

} // namespace

namespace chk {

std::string jsonString(const std::string& text)
{
    rapidjson::StringBuffer buffer;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
    writer.String(text.data(), rapidjson::SizeType(text.size()));
    return std::string(buffer.GetString(), buffer.GetSize());
}

std::string shortNumber(double value)
{
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    char text[40];
    std::snprintf(text, sizeof text, "%.6g", value == 0.0 ? 0.0 : value);
    return text;
}

std::string vertexText(const Vector4& v)
{
    return "(" + shortestDecimal(v.x) + ", " + shortestDecimal(v.y) + ", " +
           shortestDecimal(v.z) + ", " + shortestDecimal(v.w) + ")";
}

} // namespace chk

bool parseTriangleLine(const std::string& line, TestTriangle& triangle, std::string& error)
{
    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first != std::string::npos && line[first] == '{') {
        return parseJsonTriangle(line, triangle, error);
    }
    return parseTextTriangle(line, triangle, error);
}

std::string referenceLine(const TestTriangle& triangle, bool edges)
{
    ClipPolygon polygon(triangle.clip, triangle.clip + 3);
    std::string passes, walks;
    for (int pass = 0; pass < 6; ++pass) {
        const ClipPlane plane = ClipPlane(pass);
        if (edges) walks += (pass ? "," : "") + edgesJson(edgeWalk(polygon, plane));
        ClipPolygon output(std::size_t(clipPassCapacity(int(polygon.size()))));
        output.resize(std::size_t(
            clipToPlane(polygon.data(), int(polygon.size()), output.data(), plane)));
        polygon = output;
        passes += (pass ? "," : "") + verticesJson(polygon);
    }
    std::string line = "{\"id\":" + chk::jsonString(triangle.id) + ",\"passes\":[" + passes + "]";
    if (edges) line += ",\"edges\":[" + walks + "]";
    return line + "}";
}

bool parseTraceLine(const std::string& line, TraceLine& trace, std::string& error)
{
    trace.hasId = false;
    trace.id.clear();
    // A line of a right trace fits in this; a longer one takes more from the heap.
    char pool[1 << 16];
    rapidjson::MemoryPoolAllocator<> allocator(pool, sizeof pool);
    rapidjson::Document document(&allocator);
    if (!parseJson(line, document, error)) return false;
    if (!document.IsObject()) {
        error = "is not a JSON object {\"id\": ..., \"passes\": [...]}";
        return false;
    }
    const Value::ConstMemberIterator id = document.FindMember("id");
    if (id == document.MemberEnd() || !id->value.IsString()) {
        error = "has no \"id\" string";
        return false;
    }
    trace.hasId = true;
    trace.id.assign(id->value.GetString(), id->value.GetStringLength());
    const Value::ConstMemberIterator passes = document.FindMember("passes");
    if (passes == document.MemberEnd() || !passes->value.IsArray()) {
        error = "has no \"passes\" list";
        return false;
    }
    if (passes->value.Size() != 6) {
        error = "has " + std::to_string(passes->value.Size()) + " passes, not 6";
        return false;
    }
    for (rapidjson::SizeType k = 0; k < 6; ++k) {
        if (!readPolygon(passes->value[k], trace.passes[k], int(k) + 1, error)) return false;
    }
    return true;
}

void addChunk(LineSplitter& splitter, const char* data, std::size_t size,
              std::vector<SplitLine>& lines)
{
    lines.clear();
    std::size_t at = 0;
    while (at < size) {
        const void* found = std::memchr(data + at, '\n', size - at);
        const std::size_t end = found ? std::size_t(static_cast<const char*>(found) - data) : size;
        // Only as much of a line is kept as can still be within the limit (+1 for a CR).
        if (!splitter.tooLong) {
            const std::size_t room = maxLineBytes + 1 - splitter.current.size();
            if (end - at > room) {
                splitter.tooLong = true;
                splitter.current.clear();
            } else {
                splitter.current.append(data + at, end - at);
            }
        }
        if (!found) break;
        at = end + 1;
        std::string text;
        text.swap(splitter.current);
        if (!text.empty() && text.back() == '\r') text.pop_back();
        const bool tooLong = splitter.tooLong || text.size() > maxLineBytes;
        lines.push_back({++splitter.number, tooLong, tooLong ? std::string() : std::move(text)});
        splitter.tooLong = false;
    }
}

bool finishLines(LineSplitter& splitter, SplitLine& line)
{
    if (splitter.current.empty() && !splitter.tooLong) return false;
    std::vector<SplitLine> lines;
    addChunk(splitter, "\n", 1, lines);
    line = lines.front();
    return true;
}
