// libFuzzer target: arbitrary bytes as a triangle-object text, through the parse functions the
// loader uses. AddressSanitizer catches any read past the text or write past the triangles;
// the checks below hold every outcome to an independent reading of the same bytes: the text
// split at white space, the count read as a whole decimal number and every coordinate by strtof.
#include "model/model.h"

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
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

// strtof over the whole word; NaN payloads "nan(...)" are not numbers, as for "%f".
bool strtofWhole(const std::string& word, float& value)
{
    if (word.find('(') != std::string::npos || word.find('\0') != std::string::npos) return false;
    char* end = nullptr;
    value = std::strtof(word.c_str(), &end);
    return end == word.c_str() + word.size();
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

    // Now the triangles: all of them, or the first fault where the words say it is.
    std::vector<Triangle> triangles(static_cast<size_t>(count));
    const bool trianglesOk = parseTriangles(parser, count, triangles.data());
    const size_t needed = 9 * size_t(count);
    size_t k = 0;
    float value = 0;
    for (; k < needed && k + 1 < words.size(); ++k)
        if (!strtofWhole(words[k + 1].text, value)) break;
    if (k == needed) {
        check(trianglesOk);
        for (size_t n = 0; n < needed; ++n) {
            check(strtofWhole(words[n + 1].text, value));
            const Vector3& v = triangles[n / 9].vertices[n % 9 / 3];
            const float got = n % 3 == 0 ? v.x : n % 3 == 1 ? v.y : v.z;
            check(sameBits(got, value));
        }
        return 0;
    }
    check(!trianglesOk);
    check(parser.triangle == int(k / 9) + 1);
    if (k + 1 == words.size()) {
        check(parser.fault == TriFault::dataEndsEarly);
    } else {
        check(parser.fault == TriFault::notANumber);
        check(parser.faultAt == text.data() + words[k + 1].offset);
    }
    const std::string line = describeTriFault(parser, "f.tri");
    check(line.rfind("ERROR: TriObj [f.tri]", 0) == 0 && line.back() == '!');
    for (char c : line) check(c >= 0x20 && c <= 0x7e);
    return 0;
}
