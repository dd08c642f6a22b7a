// The triangle-object text parser: the number scanner that reads as "%f" reads, and the reader
// that takes a file a chunk at a time (see model/model.h). It never prints or exits.
#include "model/model.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#include <unistd.h>

namespace {

// The fewest characters one triangle can take, counting the white space that must follow the
// count. A number of one character is a digit, and a digit can only begin a number after white
// space or after a number that ends in a letter ("nan5" is NaN and 5; "inf", "infinity" alike),
// itself at least three characters long. So the numbers average at least two characters each:
// the tightest text, "5nan5nan5...", takes 18 characters for 9 numbers with the white space
// before its first. Nine numbers per triangle, so 18 per triangle.
constexpr std::size_t minimumTriangleCharacters = 18;

// How much of an offending number an error line quotes.
constexpr std::size_t quotedCharacters = 24;

// The white space "%d" and "%f" skip in the C locale.
bool isSeparator(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char lower(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

// The line breaks in [p, end); memchr passes a line at a time, far faster than a loop.
long countLines(const char* p, const char* end)
{
    long lines = 0;
    while (p != end && (p = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p))))) {
        ++lines;
        ++p;
    }
    return lines;
}

const char* windowStart(const TriParser& parser)
{
    return parser.file ? parser.buffer.get() : parser.memory;
}

// Reads up to wanted bytes of the file into into; sets ended at its end or at a read error
// (then also readFailed). A file of unknown size (a pipe, a device) with a descriptor gives what
// has arrived, as soon as anything has: fread would wait for all it was asked for, holding up
// numbers a writer has sent while it pauses or keeps the pipe open.
std::size_t readSome(TriParser& parser, char* into, std::size_t wanted, bool& ended)
{
    const int descriptor = parser.size == unknownTriSize ? fileno(parser.file) : -1;
    if (descriptor < 0) {
        const std::size_t got = std::fread(into, 1, wanted, parser.file);
        parser.readFailed = std::ferror(parser.file) != 0;
        // Less than asked for is the end of the file or an error; text-mode reading on some
        // systems also gives less when it drops carriage returns, and then the next call reads on.
        ended = got == 0 || std::feof(parser.file) || parser.readFailed;
        return got;
    }
    for (;;) {
        const auto got = read(descriptor, into, wanted);
        if (got >= 0 || errno != EINTR) {
            parser.readFailed = got < 0;
            ended = got <= 0;
            return got > 0 ? std::size_t(got) : 0;
        }
    }
}

// Moves the window on to start at parser.next and reads more of the file behind what it keeps:
// a chunk, or as much again as it keeps. What it keeps is moved only when the window moves on,
// and the buffer at least doubles when it grows, so a long number costs time in proportion to
// its length however small the pieces it arrives in. Sets atEnd when the file has no more (or
// cannot be read further).
void readMore(TriParser& parser)
{
    if (!parser.file) {
        parser.atEnd = true;
        return;
    }
    char* base = parser.buffer.get();
    const std::size_t kept = parser.end - parser.next;
    parser.passedLines += countLines(base, base + parser.next);
    parser.passed += parser.next;
    const std::size_t wanted = std::max(parser.chunk, kept);
    if (kept + wanted > parser.capacity) {
        const std::size_t capacity = std::max(kept + wanted, 2 * parser.capacity);
        std::unique_ptr<char[]> larger(new char[capacity]);
        if (kept) std::memcpy(larger.get(), base + parser.next, kept);
        parser.buffer = std::move(larger);
        parser.capacity = capacity;
        parser.work += kept;
    } else if (parser.next) {
        std::memmove(base, base + parser.next, kept);
        parser.work += kept;
    }
    bool ended = false;
    const std::size_t got = readSome(parser, parser.buffer.get() + kept, wanted, ended);
    parser.next = 0;
    parser.end = kept + got;
    parser.atEnd = ended;
}

// Records a fault at position at of the window, quoting the number that starts there (up to the
// next white space, cut short). In text of known size the window is read further if the quote
// needs it; in a pipe the quote is what has arrived, for more may come only when the writer
// closes it, and a fault must be reported as soon as it is seen.
bool stop(TriParser& parser, TriFault fault, std::size_t at)
{
    parser.next = at;
    while (parser.size != unknownTriSize && !parser.atEnd &&
           parser.end - parser.next <= quotedCharacters)
        readMore(parser);
    at = parser.next;
    const char* base = windowStart(parser);
    // Text cut short by a read error says nothing about the file: the error is the fault.
    parser.fault = parser.readFailed ? TriFault::readError : fault;
    parser.faultOffset = parser.passed + at;
    parser.faultLine = 1 + parser.passedLines + countLines(base, base + at);
    parser.faultText.clear();
    const char* p = base + at;
    const char* end = base + parser.end;
    for (; p != end && !isSeparator(*p) && parser.faultText.size() < quotedCharacters; ++p)
        parser.faultText += (*p >= 0x20 && *p <= 0x7e) ? *p : '?';
    if (p != end && !isSeparator(*p)) parser.faultText += "...";
    return false;
}

// Skips white space; false if the text ends first. On true, parser.next is at a character that
// is not white space.
bool skipSeparators(TriParser& parser)
{
    for (;;) {
        const char* base = windowStart(parser);
        const char* p = base + parser.next;
        const char* end = base + parser.end;
        while (p != end && isSeparator(*p)) ++p;
        parser.next = std::size_t(p - base);
        if (p != end) return true;
        if (parser.atEnd) return false;
        readMore(parser);
    }
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
// here and every number takes the scanner's way, which gives the same bits.
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

enum class Scan { number, notANumber, needMore };

// Where the scanner stands in a number that runs to the window's end, kept so that once more
// text is read it goes on from there instead of from the number's start.
struct NumberScan {
    std::size_t taken = 0;  // characters taken up to the digits' loop; 0: start afresh
    bool hex = false;       // "0x" taken
    bool digit = false;     // a digit taken
    bool point = false;     // no point may come: one was taken, or the exponent mark
    bool mark = false;      // the exponent mark taken
};

// value = strtof of the run [p, q); notANumber if strtof uses none of it.
Scan convert(const char* p, const char* q, float& value, const char*& stopAt)
{
    const std::string run(p, q);
    char* used = nullptr;
    const float converted = std::strtof(run.c_str(), &used);
    if (used == run.c_str()) return Scan::notANumber;
    value = converted;
    stopAt = q;
    return Scan::number;
}

// Reads the number at p the way the C library's "%f" scanner does: it takes the longest run of
// characters that can still become a number (an optional sign; "nan"; "inf" or "infinity"; or
// digits with one point, an exponent mark after a digit and a sign right after the mark, in
// hexadecimal after "0x" with "p" for the mark), then converts them with strtof, dropping what
// strtof does not use ("1e" is 1). It fails where that run is empty or strtof uses none of it,
// and where it is longer than longestTriNumber. Looking past end answers needMore unless atEnd
// says the text stops there; scan then says where to go on once the window holds more.
Scan scanNumber(const char* p, const char* end, bool atEnd, NumberScan& scan, float& value,
                const char*& stopAt)
{
    constexpr int endOfText = -1, notHere = -2;
    const char* q = p + scan.taken;
    auto look = [&]() { return q != end ? int((unsigned char)(*q)) : atEnd ? endOfText : notHere; };
    // Takes the text's next characters if they spell word (any case), as the scanner must.
    auto takeWord = [&](const char* word) {
        for (; *word; ++word, ++q) {
            const int c = look();
            if (c == notHere) return notHere;
            if (c == endOfText || lower(char(c)) != *word) return 0;
        }
        return 1;
    };

    const bool sign = *p == '+' || *p == '-';
    int c = look();
    if (scan.taken == 0) {
        if (sign) {
            ++q;
            c = look();
            if (c == endOfText) return Scan::notANumber;
        }
        if (c == notHere) return Scan::needMore;
        const char first = lower(char(c));
        if (first == 'n' || first == 'i') {
            const int taken = takeWord(first == 'n' ? "nan" : "inf");
            if (taken != 1) return taken == notHere ? Scan::needMore : Scan::notANumber;
            if (first == 'i') {
                c = look();
                if (c == notHere) return Scan::needMore;
                if (c != endOfText && lower(char(c)) == 'i') {
                    const int rest = takeWord("inity");
                    if (rest != 1) return rest == notHere ? Scan::needMore : Scan::notANumber;
                }
            }
            return convert(p, q, value, stopAt);
        }
        if (c == '0') {
            ++q;
            c = look();
            if (c == notHere) return Scan::needMore;
            if (c != endOfText) {
                if (lower(char(c)) == 'x') {
                    scan.hex = true;
                    ++q;
                    c = look();
                } else {
                    scan.digit = true;
                }
            }
        }
    }
    // Every character from here on is taken once, however often the window ends in the number.
    const char markChar = scan.hex ? 'p' : 'e';
    for (;; ++q, c = look()) {
        if (c == notHere) {
            scan.taken = std::size_t(q - p);
            return scan.taken > longestTriNumber ? Scan::notANumber : Scan::needMore;
        }
        if (c == endOfText) break;
        const char ch = char(c);
        if (isDigit(ch) || (!scan.mark && scan.hex && isHexDigit(ch))) {
            scan.digit = true;
        } else if (scan.mark && lower(q[-1]) == markChar && (ch == '+' || ch == '-')) {
        } else if (scan.digit && !scan.mark && lower(ch) == markChar) {
            scan.mark = scan.point = true;
        } else if (!scan.point && ch == '.') {
            scan.point = true;
        } else {
            break;
        }
    }
    const std::size_t taken = std::size_t(q - p);
    if (taken > longestTriNumber || taken == std::size_t(sign) ||
        (scan.hex && taken == 2 + std::size_t(sign)))
        return Scan::notANumber;
    return convert(p, q, value, stopAt);
}

// Reads the next coordinate, whatever its form and wherever the window ends.
bool parseCoordinate(TriParser& parser, float& value)
{
    NumberScan scan;
    for (;;) {
        if (!skipSeparators(parser)) return stop(parser, TriFault::dataEndsEarly, parser.next);
        const char* base = windowStart(parser);
        const char* stopAt = nullptr;
        const std::size_t from = parser.next + scan.taken;
        switch (scanNumber(base + parser.next, base + parser.end, parser.atEnd, scan, value,
                           stopAt)) {
        case Scan::number:
            parser.work += std::size_t(stopAt - base) - from;
            parser.next = std::size_t(stopAt - base);
            return true;
        case Scan::notANumber:
            return stop(parser, TriFault::notANumber, parser.next);
        case Scan::needMore:
            parser.work += parser.end - from;
            readMore(parser);
            break;
        }
    }
}

} // namespace

TriParser startTriParse(const char* text, std::size_t size)
{
    return TriParser{text, nullptr, 0, nullptr, 0, 0, size, true, false, 0, 0, size,
                     TriFault::none, 0, 0, std::string(), 0, 0, 0, 0};
}

TriParser startTriFileParse(std::FILE* file, std::size_t size, std::size_t chunk)
{
    return TriParser{nullptr, file, std::max<std::size_t>(chunk, 1), nullptr, 0, 0, 0, false,
                     false, 0, 0, size, TriFault::none, 0, 0, std::string(), 0, 0, 0, 0};
}

bool parseTriCount(TriParser& parser, int& count)
{
    if (!skipSeparators(parser)) return stop(parser, TriFault::countMissing, parser.next);
    // A sign and digits, then white space or the end of the text. While they run to the
    // window's end it is read further, and the scan goes on where it stopped.
    std::size_t length = 0;  // characters of sign and digits from parser.next
    const char* base;
    const char* finish;
    const char* end;
    for (;;) {
        base = windowStart(parser);
        end = base + parser.end;
        const char* start = base + parser.next;
        finish = start + length;
        if (length == 0 && (*finish == '+' || *finish == '-')) ++finish;
        while (finish != end && isDigit(*finish)) ++finish;
        parser.work += std::size_t(finish - start) - length;
        length = std::size_t(finish - start);
        if (finish != end || parser.atEnd || length > longestTriNumber) break;
        readMore(parser);
    }
    const std::size_t at = parser.next;
    if (length > longestTriNumber) return stop(parser, TriFault::countOutOfRange, at);
    bool outOfRange = false;
    int value = 0;
    if ((finish != end && !isSeparator(*finish)) ||
        !readWholeNumber(base + at, finish, value, outOfRange))
        return stop(parser, TriFault::countNotANumber, at);
    if (outOfRange) return stop(parser, TriFault::countOutOfRange, at);
    count = value;
    parser.count = value;
    parser.next = std::size_t(finish - base);
    if (value < 0) return stop(parser, TriFault::countNegative, at);
    const std::size_t read = parser.passed + parser.next;
    if (parser.size != unknownTriSize &&
        std::size_t(value) > (parser.size - std::min(parser.size, read)) /
                                 minimumTriangleCharacters)
        return stop(parser, TriFault::countTooLarge, at);
    return true;
}

bool parseTriangle(TriParser& parser, Triangle& triangle)
{
    // Read into a scratch triangle, so a fault leaves the record untouched.
    float c[9];
    int k = 0;
    // The common case, all in the window: plain decimals that from_chars reads up to white
    // space. The first number that is not, and all after it, take parseCoordinate's way. This
    // way looks no further than longestTriNumber characters, so no number it takes is longer.
    const char* base = windowStart(parser);
    const char* p = base + parser.next;
    const char* end = base + std::min(parser.end, parser.next + longestTriNumber);
    for (; k < 9; ++k) {
        while (p != end && isSeparator(*p)) ++p;
        const char* first = p != end && *p == '-' ? p + 1 : p;
        const char* parsedEnd = nullptr;
        if (first == end || !(isDigit(*first) || *first == '.') ||
            !fromChars(p, end, c[k], parsedEnd) || parsedEnd == end || !isSeparator(*parsedEnd))
            break;
        p = parsedEnd;
    }
    parser.work += std::size_t(p - base) - parser.next;
    parser.next = std::size_t(p - base);
    for (; k < 9; ++k) {
        if (!parseCoordinate(parser, c[k])) {
            parser.triangle = parser.done + 1;
            return false;
        }
    }
    for (int j = 0; j < 3; ++j)
        triangle.vertices[j] = Vector3{c[3 * j], c[3 * j + 1], c[3 * j + 2]};
    ++parser.done;
    return true;
}

bool parseTriangles(TriParser& parser, int count, Triangle* triangles)
{
    for (int i = 0; i < count; ++i)
        if (!parseTriangle(parser, triangles[i])) return false;
    return true;
}
