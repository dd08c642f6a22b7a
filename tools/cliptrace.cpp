// cliptrace: test triangles for a learner's own clipper, the real clipper's trace of them, and
// the check of a learner's trace against it, pass by pass and edge by edge (check/clip_check.h).
//
//   cliptrace triangles [--seed S] [--count N] [--hard] [--text]
//       test triangles on standard output, one a line: the hard set first (ids h1 ...) with
//       --hard, then N random ones of seed S (ids r1 ...; 100 of seed 1 unless given); JSON
//       Lines, or with --text "ID x y z w x y z w x y z w"
//   cliptrace reference TRIANGLES [--edges]
//       the real clipper's trace of each triangle: {"id": ..., "passes": [P1, ..., P6]}, with
//       "edges" (each pass's walk) when asked
//   cliptrace check TRIANGLES TRACE [--tolerance R | --exact] [--json] [--results-json FILE]
//       the learner's TRACE judged against the clipper; the report in words (or as JSON) on
//       standard output, the autograding results in FILE
//
// A file named "-" is standard input. Exit status: 0 when all is right, 1 when a triangle is
// wrong or missing or a line cannot be read, 2 when a file cannot be read or written at all or
// the command line is wrong.
#include "check/clip_check.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const usage =
    "usage: cliptrace triangles [--seed S] [--count N] [--hard] [--text]\n"
    "       cliptrace reference TRIANGLES [--edges]\n"
    "       cliptrace check TRIANGLES TRACE [--tolerance R | --exact] [--json]\n"
    "                 [--results-json FILE]\n"
    "The first writes test triangles (the hard set first with --hard, then N random ones of\n"
    "seed S; 100 of seed 1 unless given); the second the real clipper's polygon after each of\n"
    "the six passes for each triangle; the third checks a learner's trace of the same shape\n"
    "against it, each pass on the learner's own input to it (R: relative tolerance, 1e-5\n"
    "unless given). A file named - is standard input.\n";

int commandError(const std::string& message)
{
    std::fprintf(stderr, "cliptrace: %s\n%s", message.c_str(), usage);
    return 2;
}

bool writeOut(const std::string& text)
{
    return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
}

// Reads the file (standard input for "-") one line at a time, handing each to take(number,
// text, tooLong). False, after a message, when it cannot be opened or read.
template <typename Take>
bool readLines(const char* name, Take take)
{
    const bool standardInput = std::strcmp(name, "-") == 0;
    std::FILE* file = standardInput ? stdin : std::fopen(name, "rb");
    if (!file) {
        std::fprintf(stderr, "cliptrace: cannot open %s: %s\n", name, std::strerror(errno));
        return false;
    }
    LineSplitter splitter;
    std::vector<SplitLine> lines;
    std::vector<char> chunk(1 << 16);
    bool ok = true;
    for (;;) {
        const std::size_t got = std::fread(chunk.data(), 1, chunk.size(), file);
        addChunk(splitter, chunk.data(), got, lines);
        for (const SplitLine& line : lines) take(line.number, line.text, line.tooLong);
        if (got < chunk.size()) {
            ok = !std::ferror(file);
            break;
        }
    }
    SplitLine last;
    if (ok && finishLines(splitter, last)) take(last.number, last.text, last.tooLong);
    if (!ok) std::fprintf(stderr, "cliptrace: cannot read %s\n", name);
    if (!standardInput) std::fclose(file);
    return ok;
}

bool readWhole(const char* text, unsigned long long limit, unsigned long long& value)
{
    if (!*text) return false;
    value = 0;
    for (const char* c = text; *c; ++c) {
        if (*c < '0' || *c > '9') return false;
        const unsigned digit = unsigned(*c - '0');
        if (value > (limit - digit) / 10) return false;
        value = value * 10 + digit;
    }
    return true;
}

int triangles(int argc, char** argv)
{
    unsigned long long seed = 1, count = 100;
    bool hard = false, text = false, countGiven = false;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seed" && i + 1 < argc) {
            if (!readWhole(argv[++i], ~0ull, seed)) {
                return commandError("--seed takes a whole number from 0 to 2^64 - 1");
            }
        } else if (arg == "--count" && i + 1 < argc) {
            if (!readWhole(argv[++i], 10000000ull, count)) {
                return commandError("--count takes a whole number from 0 to 10000000");
            }
            countGiven = true;
        } else if (arg == "--hard") {
            hard = true;
        } else if (arg == "--text") {
            text = true;
        } else {
            return commandError("unexpected argument " + arg);
        }
    }
    if (hard && !countGiven) count = 0;
    const auto line = [&](const TestTriangle& t) {
        return (text ? triangleTextLine(t) : triangleJsonLine(t)) + "\n";
    };
    bool ok = true;
    if (hard) {
        for (const TestTriangle& t : hardTriangles()) ok = ok && writeOut(line(t));
    }
    for (unsigned long long k = 1; k <= count && ok; ++k) {
        ok = writeOut(line(randomTriangle(seed, int(k))));
    }
    return ok && std::fflush(stdout) == 0 ? 0 : 2;
}

int reference(int argc, char** argv)
{
    const char* file = nullptr;
    bool edges = false;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--edges") == 0) edges = true;
        else if (!file && (argv[i][0] != '-' || argv[i][1] == '\0')) file = argv[i];
        else return commandError(std::string("unexpected argument ") + argv[i]);
    }
    if (!file) return commandError("reference needs the TRIANGLES file");
    bool bad = false, written = true;
    const bool read = readLines(file, [&](long long number, const std::string& text, bool tooLong) {
        TestTriangle triangle;
        std::string error = "is longer than 1 MiB";
        if (!tooLong && text.find_first_not_of(" \t\r") == std::string::npos) return;
        if (tooLong || !parseTriangleLine(text, triangle, error)) {
            std::fprintf(stderr, "cliptrace: %s line %lld %s\n", file, number, error.c_str());
            bad = true;
            return;
        }
        written = written && writeOut(referenceLine(triangle, edges) + "\n");
    });
    if (!read || !written || std::fflush(stdout) != 0) return 2;
    return bad ? 1 : 0;
}

int check(int argc, char** argv)
{
    std::vector<const char*> files;
    TraceCheck state;
    bool json = false, toleranceGiven = false;
    const char* resultsFile = nullptr;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--tolerance" && i + 1 < argc) {
            char* end = nullptr;
            const char* value = argv[++i];
            state.tolerance.relative = std::strtod(value, &end);
            if (end == value || *end || !(state.tolerance.relative >= 0) ||
                !std::isfinite(state.tolerance.relative)) {
                return commandError("--tolerance takes a number of 0 or more, such as 1e-5");
            }
            toleranceGiven = true;
        } else if (arg == "--exact") {
            state.tolerance.exact = true;
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--results-json" && i + 1 < argc) {
            resultsFile = argv[++i];
        } else if (files.size() < 2 && (arg[0] != '-' || arg == "-")) {
            files.push_back(argv[i]);
        } else {
            return commandError("unexpected argument " + arg);
        }
    }
    if (files.size() != 2) return commandError("check needs the TRIANGLES and the TRACE file");
    if (toleranceGiven && state.tolerance.exact) {
        return commandError("--tolerance and --exact exclude each other");
    }
    if (std::strcmp(files[0], "-") == 0 && std::strcmp(files[1], "-") == 0) {
        return commandError("only one of the two files can be standard input");
    }
    if (!readLines(files[0], [&](long long number, const std::string& text, bool tooLong) {
            if (tooLong) {
                state.triangleProblems.push_back(
                    {number, "line " + std::to_string(number) + " of the triangles is " +
                                 "longer than 1 MiB"});
            } else {
                addTriangleLine(state, number, text);
            }
        })) {
        return 2;
    }
    startTrace(state);
    if (!readLines(files[1], [&](long long number, const std::string& text, bool tooLong) {
            addTraceLine(state, number, text, tooLong);
        })) {
        return 2;
    }
    finishCheck(state);
    if (!writeOut(json ? jsonReport(state) : wordsReport(state)) || std::fflush(stdout) != 0) {
        return 2;
    }
    if (resultsFile) {
        std::FILE* out = std::fopen(resultsFile, "wb");
        const std::string results = resultsJson(state);
        const bool ok = out && std::fwrite(results.data(), 1, results.size(), out) == results.size();
        if (out && std::fclose(out) != 0) return 2;
        if (!ok) {
            std::fprintf(stderr, "cliptrace: cannot write %s\n", resultsFile);
            return 2;
        }
    }
    return allRight(state) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return commandError("no command");
    const std::string command = argv[1];
    if (command == "triangles") return triangles(argc, argv);
    if (command == "reference") return reference(argc, argv);
    if (command == "check") return check(argc, argv);
    if (command == "--help" || command == "-h") {
        std::fputs(usage, stdout);
        return 0;
    }
    return commandError("unknown command " + command);
}
