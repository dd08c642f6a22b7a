// libFuzzer target: arbitrary bytes as a triangle-object text, through the parse functions the
// loader uses, from memory and from a file read a few bytes at a time. AddressSanitizer catches
// any read past the text or write past the triangles; the checks below hold every outcome to an
// independent reading of the same bytes: the count as the first white-space-delimited word read
// as a whole decimal number, and the coordinates by the C library's own fscanf "%f".
#include "model/model.h"

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition) std::abort();
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

struct Word {
    size_t offset;
    std::string text;
};

std::vector<Word> splitWords(const std::string& text)
{
    std::vector<Word> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSpace(text[i])) ++i;
        const size_t start = i;
        while (i < text.size() && !isSpace(text[i])) ++i;
        if (i > start) words.push_back({start, text.substr(start, i - start)});
    }
    return words;
}

// A whole number: optional sign, then digits only.
bool isWholeNumber(const std::string& word)
{
    size_t i = (word[0] == '+' || word[0] == '-') ? 1 : 0;
    if (i == word.size()) return false;
    for (; i < word.size(); ++i)
        if (word[i] < '0' || word[i] > '9') return false;
    return true;
}

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<Word> words = splitWords(text);

    TriParser parser = startTriParse(text.data(), text.size());
    int count = -12345;
    const bool countOk = parseTriCount(parser, count);
    const std::string message = describeTriFault(parser, "f.tri");
    check(countOk == message.empty());
    if (!countOk) {
        // One printable line naming the file.
        check(message.rfind("ERROR: TriObj [f.tri]", 0) == 0 && message.back() == '!');
        for (char c : message) check(c >= 0x20 && c <= 0x7e);
    }

    // The count's fate from the independent reading.
    if (words.empty()) {
        check(parser.fault == TriFault::countMissing);
        return 0;
    }
    const std::string& first = words[0].text;
    if (!isWholeNumber(first)) {
        check(parser.fault == TriFault::countNotANumber);
        return 0;
    }
    errno = 0;
    const long long wide = std::strtoll(first.c_str(), nullptr, 10);
    if (errno == ERANGE || wide < INT_MIN || wide > INT_MAX) {
        check(parser.fault == TriFault::countOutOfRange);
        return 0;
    }
    check(count == int(wide));
    if (wide < 0) {
        check(parser.fault == TriFault::countNegative);
        return 0;
    }
    const size_t rest = size - (words[0].offset + first.size());
    if (size_t(wide) * 18 > rest) {
        check(parser.fault == TriFault::countTooLarge);
        return 0;
    }
    check(countOk);

    // Now the triangles: all of them, or the first fault where fscanf fails.
    std::vector<Triangle> triangles(static_cast<size_t>(count));
    const bool trianglesOk = parseTriangles(parser, count, triangles.data());
    std::FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    check(file && std::fseek(file, long(words[0].offset + first.size()), SEEK_SET) == 0);
    const size_t needed = 9 * size_t(count);
    size_t k = 0;
    int got = 1;
    long start = 0;
    for (; k < needed; ++k) {
        start = std::ftell(file);
        float value = 0;
        got = std::fscanf(file, "%f", &value);
        if (got != 1) break;
        // Triangles before the one with the fault are stored; that one is left as it was.
        const Vector3& v = triangles[k / 9].vertices[k % 9 / 3];
        if (trianglesOk || k / 9 + 1 < size_t(parser.triangle))
            check(sameBits((&v.x)[k % 3], value));
    }
    std::fclose(file);
    if (k == needed) {
        check(trianglesOk);
    } else {
        check(!trianglesOk);
        check(parser.triangle == int(k / 9) + 1);
        // fscanf answers EOF where only white space is left.
        check((got == EOF) == (parser.fault == TriFault::dataEndsEarly));
        if (got != EOF) {
            check(parser.fault == TriFault::notANumber);
            size_t at = size_t(start);
            while (isSpace(text[at])) ++at;
            check(parser.faultOffset == at);
        }
        const std::string line = describeTriFault(parser, "f.tri");
        check(line.rfind("ERROR: TriObj [f.tri]", 0) == 0 && line.back() == '!');
        for (char c : line) check(c >= 0x20 && c <= 0x7e);
    }

    // The same bytes from a file, a few at a time: the same outcome to the bit.
    std::FILE* chunked = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
    check(chunked != nullptr);
    TriParser fromFile = startTriFileParse(chunked, size, 1 + size % 7);
    int fileCount = 0;
    std::vector<Triangle> fileTriangles(static_cast<size_t>(count));
    check(parseTriCount(fromFile, fileCount) && fileCount == count);
    check(parseTriangles(fromFile, count, fileTriangles.data()) == trianglesOk);
    std::fclose(chunked);
    check(fromFile.fault == parser.fault && fromFile.faultOffset == parser.faultOffset &&
          fromFile.faultLine == parser.faultLine && fromFile.faultText == parser.faultText);
    check(triangles.empty() || std::memcmp(fileTriangles.data(), triangles.data(),
                                           triangles.size() * sizeof(Triangle)) == 0);
    return 0;
}
