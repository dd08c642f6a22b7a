// The triangle-object loader, face normals and the flat mesh arrays.
#include "model/model.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

#include <sys/stat.h>

MeshArrays meshArrays = {0, nullptr, nullptr, nullptr, nullptr, nullptr};

namespace {

// The fewest characters one triangle can take: nine numbers of one digit, each after a
// separator.
constexpr std::size_t minimumTriangleCharacters = 18;

// How much of an offending number an error line quotes.
constexpr std::size_t quotedCharacters = 24;

// The white space "%d" and "%f" skip in the C locale.
bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

const char* skipSeparators(const char* p, const char* end)
{
    while (p != end && isSeparator(*p)) ++p;
    return p;
}

// One past the last character of the number that starts at p.
const char* numberEnd(const char* p, const char* end)
{
    while (p != end && !isSeparator(*p)) ++p;
    return p;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// value = the whole decimal number [begin, end) with optional sign, as "%d" reads it; false if
// the characters are not exactly that. outOfRange tells a number that does not fit in an int.
bool readWholeNumber(const char* begin, const char* end, int& value, bool& outOfRange)
{
    const char* p = begin;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (p == end) return false;
    // Accumulated up to one past INT_MAX + 1 at most, so INT_MIN itself still fits.
    const long long limit = 1LL + INT_MAX;
    long long magnitude = 0;
    for (; p != end; ++p) {
        if (!isDigit(*p)) return false;
        magnitude = std::min(limit + 1, magnitude * 10 + (*p - '0'));
    }
    outOfRange = magnitude > (negative ? limit : limit - 1);
    if (!outOfRange) value = int(negative ? -magnitude : magnitude);
    return true;
}

// from_chars for a float: true if it read a number from begin (then value holds it and
// parsedEnd points past it). Floating-point from_chars is C++17 but not in every standard
// library (the libc++ of the web build, Emscripten's, lacks it); without it nothing is read
// here and every number takes the strtof way, which gives the same bits.
bool fromChars(const char* begin, const char* end, float& value, const char*& parsedEnd)
{
#if defined(__cpp_lib_to_chars)
    const std::from_chars_result result = std::from_chars(begin, end, value);
    parsedEnd = result.ptr;
    return result.ec == std::errc();
#else
    static_cast<void>(begin), static_cast<void>(end), static_cast<void>(value);
    parsedEnd = nullptr;
    return false;
#endif
}

// value = the number [begin, end) spells, with the bits "%f" gives it; false if the characters
// are not one number in full. The plain decimal forms go through from_chars, which rounds
// correctly like strtof and is several times faster; everything else (hexadecimal, inf, nan,
// results beyond the float range) goes to strtof itself, which "%f" also uses.
bool readFloat(const char* begin, const char* end, float& value)
{
    const char* p = begin;
    if (*p == '+' && end - p > 1 && (isDigit(p[1]) || p[1] == '.')) ++p;
    const char first = (*p == '-' && end - p > 1) ? p[1] : *p;
    const char* parsedEnd = nullptr;
    if ((isDigit(first) || first == '.') && fromChars(p, end, value, parsedEnd) && parsedEnd == end)
        return true;
    const std::string copy(begin, end);
    // "%f" reads no NaN payload: "nan(1)" is "nan" followed by something else.
    if (copy.find('(') != std::string::npos) return false;
    char* stop = nullptr;
    const float converted = std::strtof(copy.c_str(), &stop);
    if (copy.empty() || stop != copy.c_str() + copy.size()) return false;
    value = converted;
    return true;
}

// Printable ASCII only, cut short: the text may hold any bytes.
std::string quote(const char* begin, const char* end)
{
    std::string text;
    for (const char* p = begin; p != end && text.size() < quotedCharacters; ++p)
        text += (*p >= 0x20 && *p <= 0x7e) ? *p : '?';
    if (std::size_t(end - begin) > quotedCharacters) text += "...";
    return text;
}

bool stop(TriParser& parser, TriFault fault, const char* at, const char* atEnd)
{
    parser.fault = fault;
    parser.faultAt = at;
    parser.faultText = quote(at, atEnd);
    return false;
}

// Reads one coordinate of triangle number triangle (1-based).
bool parseCoordinate(TriParser& parser, int triangle, float& value)
{
    const char* start = skipSeparators(parser.next, parser.end);
    // The common case in one scan: a plain decimal that from_chars reads up to a separator.
    const char* parsedEnd = nullptr;
    if (start != parser.end && (isDigit(*start) || *start == '-' || *start == '.') &&
        fromChars(start, parser.end, value, parsedEnd) &&
        (parsedEnd == parser.end || isSeparator(*parsedEnd))) {
        parser.next = parsedEnd;
        return true;
    }
    const char* finish = numberEnd(start, parser.end);
    parser.triangle = triangle;
    if (start == parser.end) return stop(parser, TriFault::dataEndsEarly, start, finish);
    if (!readFloat(start, finish, value)) return stop(parser, TriFault::notANumber, start, finish);
    parser.next = finish;
    return true;
}

// Reads the whole of an open file into text; false on a read error (a directory, say).
bool readWholeFile(std::FILE* file, std::string& text)
{
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || S_ISDIR(status.st_mode)) return false;
    std::size_t capacity = 1 << 16;
    if (S_ISREG(status.st_mode) && status.st_size > 0)
        capacity = std::size_t(status.st_size) + 1;  // + 1: the end shows at once
    text.resize(capacity);
    std::size_t used = 0;
    for (;;) {
        used += std::fread(&text[used], 1, text.size() - used, file);
        if (std::ferror(file)) return false;
        if (std::feof(file)) break;
        if (used == text.size()) text.resize(text.size() * 2);
    }
    text.resize(used);
    return true;
}

[[noreturn]] void refuse(const TriParser& parser, const char* fileName)
{
    std::printf("%s\n", describeTriFault(parser, fileName).c_str());
    std::exit(1);
}

} // namespace

TriParser startTriParse(const char* text, std::size_t size)
{
    return TriParser{text, text, text + size, TriFault::none, nullptr, std::string(), 0, 0};
}

bool parseTriCount(TriParser& parser, int& count)
{
    const char* start = skipSeparators(parser.next, parser.end);
    const char* finish = numberEnd(start, parser.end);
    if (start == parser.end) return stop(parser, TriFault::countMissing, start, finish);
    bool outOfRange = false;
    int value = 0;
    if (!readWholeNumber(start, finish, value, outOfRange))
        return stop(parser, TriFault::countNotANumber, start, finish);
    if (outOfRange) return stop(parser, TriFault::countOutOfRange, start, finish);
    count = value;
    parser.count = value;
    parser.next = finish;
    if (value < 0) return stop(parser, TriFault::countNegative, start, finish);
    const std::size_t rest = std::size_t(parser.end - finish);
    if (std::size_t(value) > rest / minimumTriangleCharacters)
        return stop(parser, TriFault::countTooLarge, start, finish);
    return true;
}

bool parseTriangles(TriParser& parser, int count, Triangle* triangles)
{
    for (int i = 0; i < count; ++i) {
        // Read into a scratch triangle, so a fault leaves the record untouched.
        float c[9];
        for (int k = 0; k < 9; ++k)
            if (!parseCoordinate(parser, i + 1, c[k])) return false;
        Vector3* corners = triangles[i].vertices;
        for (int j = 0; j < 3; ++j) corners[j] = Vector3{c[3 * j], c[3 * j + 1], c[3 * j + 2]};
    }
    return true;
}

std::string describeTriFault(const TriParser& parser, const char* fileName)
{
    const std::string file = "TriObj [" + std::string(fileName) + "]";
    const std::string count = std::to_string(parser.count);
    const std::string quoted = "\"" + parser.faultText + "\"";
    const long line = 1 + std::count(parser.begin, parser.faultAt ? parser.faultAt : parser.begin,
                                     '\n');
    switch (parser.fault) {
    case TriFault::none:
        return "";
    case TriFault::countMissing:
        return "ERROR: " + file + " holds no triangle count!";
    case TriFault::countNotANumber:
        return "ERROR: " + file + " starts with " + quoted + ", not a triangle count!";
    case TriFault::countOutOfRange:
        return "ERROR: " + file + " has a triangle count out of range (" + parser.faultText +
               ")!";
    case TriFault::countNegative:
        return "ERROR: " + file + " has a negative triangle count (" + count + ")!";
    case TriFault::countTooLarge:
        return "ERROR: " + file + " is too short to hold " + count + " triangles!";
    case TriFault::dataEndsEarly:
        return "ERROR: " + file + " ends early, in triangle " + std::to_string(parser.triangle) +
               " of " + count + "!";
    case TriFault::notANumber:
        return "ERROR: " + file + " has " + quoted + " where a number is expected (line " +
               std::to_string(line) + ", triangle " + std::to_string(parser.triangle) + ")!";
    }
    return "";
}

TriObj::TriObj(const char* fileName, unsigned char red, unsigned char green, unsigned char blue)
    : triangles(nullptr), count(0)
{
    load(fileName, red, green, blue);
}

TriObj::~TriObj()
{
    delete[] triangles;
}

void TriObj::load(const char* fileName, unsigned char red, unsigned char green,
                  unsigned char blue)
{
    delete[] triangles;  // a second load replaces the first
    triangles = nullptr;
    count = 0;

    std::FILE* file = std::fopen(fileName, "r");
    if (!file) {
        std::printf("ERROR: unable to open TriObj [%s]!\n", fileName);
        std::exit(1);
    }
    // The whole file is read at once and parsed in memory: far faster than one fscanf per
    // number, with the same values.
    std::string text;
    const bool readable = readWholeFile(file, text);
    std::fclose(file);
    if (!readable) {
        std::printf("ERROR: unable to read TriObj [%s]!\n", fileName);
        std::exit(1);
    }

    TriParser parser = startTriParse(text.data(), text.size());
    int fileCount = 0;
    const bool countOk = parseTriCount(parser, fileCount);
    const bool countRead = countOk || parser.fault == TriFault::countNegative ||
                           parser.fault == TriFault::countTooLarge;
    if (countRead) {
        std::printf("Reading in %s (%d triangles). . .\n", fileName, fileCount);
        std::fflush(stdout);  // the progress line shows before the work it announces
    }
    if (!countOk) refuse(parser, fileName);

    // The count was checked against the file's size, so this allocation is bounded by it.
    Triangle* read = new Triangle[fileCount];
    if (!parseTriangles(parser, fileCount, read)) {
        delete[] read;
        refuse(parser, fileName);
    }
    for (int i = 0; i < fileCount; ++i) {
        Triangle& t = read[i];
        t.color[0] = red;
        t.color[1] = green;
        t.color[2] = blue;
        faceNormal(t.normal, t.vertices[0], t.vertices[1], t.vertices[2]);
    }
    triangles = read;
    count = fileCount;
}

void TriObj::faceNormal(Vector3& normal, const Vector3& v0, const Vector3& v1, const Vector3& v2)
{
    Vector3 firstEdge, secondEdge;
    vecSubtract(firstEdge, v1, v0);
    vecSubtract(secondEdge, v2, v0);
    vecCross(normal, firstEdge, secondEdge);
    vecNormalize(normal);
}

void buildMeshArrays(const TriObj& object, Vector4** modelVertices, int* triangleCount,
                     Vector3** modelNormals, unsigned char** colors)
{
    const int n = object.count;
    *triangleCount = n;
    Vector4* vertices = new Vector4[3 * std::size_t(n)];
    Vector3* normals = new Vector3[std::size_t(n)];
    unsigned char* rgb = new unsigned char[3 * std::size_t(n)];
    for (int i = 0; i < n; ++i) {
        const Triangle& t = object.triangles[i];
        for (int j = 0; j < 3; ++j) {
            const Vector3& v = t.vertices[j];
            vertices[3 * i + j] = Vector4{v.x, v.y, v.z, 1.0f};
        }
        normals[i] = t.normal;
        for (int k = 0; k < 3; ++k) rgb[3 * i + k] = t.color[k];
    }
    *modelVertices = vertices;
    *modelNormals = normals;
    *colors = rgb;
}
