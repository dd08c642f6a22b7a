// The check page's compiled side (check.html): the functions its script (check_page.js) calls.
// The triangles, the check and its report come from the checker library (check/clip_check.h),
// the same code as cliptrace's, so the page says the same words; the script only reads the
// chosen files, hands their bytes over in chunks and puts the returned text into the page.
//
// The script writes a chunk into checkChunk() (room for checkChunkCapacity() bytes) and hands it
// to checkAddTriangles or checkAddTrace; the text the functions return stays valid until the
// next call that makes text.
#include "check/clip_check.h"

#include <emscripten/emscripten.h>

#include <string>
#include <vector>

namespace {

// Everything one check needs between calls.
struct PageState {
    std::vector<char> chunk = std::vector<char>(1 << 20);  // a chunk handed over by the script
    TraceCheck check;            // the check under way
    LineSplitter splitter;       // the file being read
    std::vector<SplitLine> lines;
    std::string text;            // the last text returned
};

PageState state;

void addTriangles(const SplitLine& line)
{
    if (line.tooLong) {
        state.check.triangleProblems.push_back(
            {line.number, "line " + std::to_string(line.number) + " of the triangles is " +
                              "longer than 1 MiB"});
        return;
    }
    addTriangleLine(state.check, line.number, line.text);
}

// The seed written in the chunk (NUL-terminated): false when it is no whole number below 2^64.
bool readSeed(unsigned long long& seed)
{
    const std::string text(state.chunk.data());
    seed = 0;
    bool ok = !text.empty() && text.size() <= 20;
    for (char c : text) {
        const unsigned digit = unsigned(c - '0');
        ok = ok && c >= '0' && c <= '9' && seed <= (~0ull - digit) / 10;
        if (ok) seed = seed * 10 + digit;
    }
    return ok;
}

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE char* checkChunk()
{
    return state.chunk.data();
}

EMSCRIPTEN_KEEPALIVE int checkChunkCapacity()
{
    return int(state.chunk.size());
}

// The test triangles, as cliptrace triangles makes them: the hard set first when hard is 1,
// then count random ones of the seed in the chunk; as JSON Lines, or as text when text is 1.
// Returns the text, or "" when the seed is no whole number below 2^64.
EMSCRIPTEN_KEEPALIVE const char* checkMakeTriangles(int count, int hard, int text)
{
    state.text.clear();
    unsigned long long seed;
    if (!readSeed(seed) || count < 0) return state.text.c_str();
    const auto add = [&](const TestTriangle& t) {
        state.text += (text ? triangleTextLine(t) : triangleJsonLine(t)) + "\n";
    };
    if (hard) {
        for (const TestTriangle& t : hardTriangles()) add(t);
    }
    for (int k = 1; k <= count; ++k) add(randomTriangle(seed, k));
    return state.text.c_str();
}

// The same triangles as the check's, read as their file's lines would be, ending the triangles.
// Returns 0 when the seed is none.
EMSCRIPTEN_KEEPALIVE int checkUseMadeTriangles(int count, int hard)
{
    unsigned long long seed;
    if (!readSeed(seed) || count < 0) return 0;
    long long line = 0;
    if (hard) {
        for (const TestTriangle& t : hardTriangles()) {
            addTriangleLine(state.check, ++line, triangleJsonLine(t));
        }
    }
    for (int k = 1; k <= count; ++k) {
        addTriangleLine(state.check, ++line, triangleJsonLine(randomTriangle(seed, k)));
    }
    startTrace(state.check);
    state.splitter = LineSplitter();
    return 1;
}

EMSCRIPTEN_KEEPALIVE int checkTextLength()
{
    return int(state.text.size());
}

// A new check, bit for bit when exact is 1, else with the relative tolerance; its triangles
// come next, from a file (checkAddTriangles, checkEndTriangles) or made (checkUseMadeTriangles).
EMSCRIPTEN_KEEPALIVE void checkBegin(int exact, double relative)
{
    state.check = TraceCheck();
    state.check.tolerance.exact = exact != 0;
    state.check.tolerance.relative = relative;
    state.splitter = LineSplitter();
}

// The next size bytes of the triangles file, from the chunk.
EMSCRIPTEN_KEEPALIVE void checkAddTriangles(int size)
{
    addChunk(state.splitter, state.chunk.data(), std::size_t(size), state.lines);
    for (const SplitLine& line : state.lines) addTriangles(line);
}

// After the triangles file's last chunk: the trace comes next.
EMSCRIPTEN_KEEPALIVE void checkEndTriangles()
{
    SplitLine last;
    if (finishLines(state.splitter, last)) addTriangles(last);
    startTrace(state.check);
    state.splitter = LineSplitter();
}

EMSCRIPTEN_KEEPALIVE void checkAddTrace(int size)
{
    addChunk(state.splitter, state.chunk.data(), std::size_t(size), state.lines);
    for (const SplitLine& line : state.lines) {
        addTraceLine(state.check, line.number, line.text, line.tooLong);
    }
}

// After the trace's last chunk. Returns 1 when every triangle is right and every line read.
EMSCRIPTEN_KEEPALIVE int checkFinish()
{
    SplitLine last;
    if (finishLines(state.splitter, last)) {
        addTraceLine(state.check, last.number, last.text, last.tooLong);
    }
    finishCheck(state.check);
    return allRight(state.check) ? 1 : 0;
}

// The finished check's report in words, as cliptrace check prints it, and as JSON (--json).
EMSCRIPTEN_KEEPALIVE const char* checkWords()
{
    state.text = wordsReport(state.check);
    return state.text.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* checkJson()
{
    state.text = jsonReport(state.check);
    return state.text.c_str();
}

} // extern "C"
