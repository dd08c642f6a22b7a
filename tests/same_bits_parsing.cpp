// same_bits, its loader and parser half: the shipped teapot with CR LF line ends through the
// loader, and the in-memory parser over the teapot, a catalogue of malformed texts and random ones.
#include "same_bits.h"

namespace same_bits {

namespace {

// Parses text with the in-memory parser and reports the count, the triangles read (records the
// parse did not fill keep a marker value) and the error line.
void parse(Report& out, const std::string& name, const std::string& text)
{
    TriParser parser = startTriParse(text.data(), text.size());
    int count = -7;
    const bool countOk = parseTriCount(parser, count);
    std::string line = "parse " + name + out.value(static_cast<long long>(countOk)) +
                       out.value(static_cast<long long>(count));
    if (countOk) {
        Triangle marker;
        std::memset(&marker, 0x5A, sizeof marker);
        std::vector<Triangle> triangles(std::size_t(count), marker);
        const bool ok = parseTriangles(parser, count, triangles.data());
        line += out.value(static_cast<long long>(ok));
        for (const Triangle& t : triangles)
            for (const Vector3& v : t.vertices) line += out.vector(v);
    }
    out.line(line);
    ++out.results;
    out.line("  " + describeTriFault(parser, "teapot.tri"));
}

std::string readBinary(const char* path)
{
    std::string text;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return text;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    std::fclose(file);
    return text;
}

} // namespace

// The shipped teapot with CR LF line ends, written to scratchPath and loaded by TriObj. The
// loader opens it in text mode and reads it in chunks; on Windows that drops the carriage
// returns, so the chunks come back shorter than asked for.
void crlfTeapot(Report& out, const char* teapotPath, const std::string& scratchPath)
{
    std::string text;
    for (char c : readBinary(teapotPath)) {
        if (c == '\n') text += '\r';
        text += c;
    }
    std::FILE* file = std::fopen(scratchPath.c_str(), "wb");
    if (!file) return out.line("crlf-teapot cannot write " + scratchPath);
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    TriObj object(scratchPath.c_str(), 1, 2, 3);
    std::string line = "crlf-teapot" + out.value(static_cast<long long>(object.count));
    for (int i = 0; i < object.count; ++i) {
        for (const Vector3& v : object.triangles[i].vertices) line += out.vector(v);
        line += out.vector(object.triangles[i].normal);
    }
    out.line(line);
    std::remove(scratchPath.c_str());
}

void parser(Report& out, Inputs& in, const char* teapotPath)
{
    parse(out, "teapot", readBinary(teapotPath));

    const std::string triangle = " 0 0 0 1 0 0 0 1 0\n";
    const struct {
        const char* name;
        std::string text;
    } catalogue[] = {
        {"empty", ""},
        {"blanks", " \t\r\n\v\f "},
        {"zero", "0"},
        {"zero-rest", "0\ngarbage"},
        {"one", "1" + triangle},
        {"two-of-three", "2" + triangle + triangle + triangle},
        {"crlf", "1\r\n0\t0 0\r\n1 0 0\r\n0 1 0\r\n"},
        {"one-line", "2 0 0 0 1 0 0 0 1 0 0 0 0 0 1 0 1 0 0"},
        {"count-word", "many" + triangle},
        {"count-plus", "+1" + triangle},
        {"count-float", "1.0" + triangle},
        {"count-exponent", "1e0" + triangle},
        {"count-hex", "0x1" + triangle},
        {"count-negative", "-1" + triangle},
        {"count-minus-zero", "-0"},
        {"count-int-max", "2147483647" + triangle},
        {"count-int-overflow", "2147483648" + triangle},
        {"count-int-min", "-2147483648"},
        {"count-far-out", "-99999999999999999999999"},
        {"count-too-large", "1000000000" + triangle},
        {"count-just-fits", "1 0 0 0 0 0 0 0 0 0"},
        {"count-sign-only", "-"},
        {"count-glued", "1,0 0 0 1 0 0 0 1 0"},
        {"ends-early", "2" + triangle + " 0 0 0 1 0 0 0 1\n\n\n\n\n\n\n\n\n\n\n\n\n\n\n"},
        {"word", "1\n0 0 0\n1 0 0\n0 one 0\n"},
        {"comma", "1\n0 0 0 1,2 0 0 0 1 0 0 0 0 0 0 0 0 0 0"},
        {"unit", "1\n0.5cm 0 0 1 0 0 0 1 0 0 0 0 0 0 0 0 0 0"},
        {"glued-minus", "1\n0-1 0 1 0 0 0 1 0 0 0 0 0 0 0 0 0 0 0 0"},
        {"glued-plus", "1\n1e5+2 0 1 0 0 0 1 0 0 0 0 0 0 0 0 0 0 0"},
        {"nan-payload", "1\nnan(1) 0 0 1 0 0 0 1 0 0 0 0 0 0 0 0 0"},
        {"specials", "1\ninf -inf nan -nan INF NaN infinity -Infinity +inf 0 0 0 0 0 0 0 0 0"},
        {"hex", "1\n0x1.8p1 -0x10 0x.8p0 0X1P-149 0x1p-150 0x1.fffffep127 0x1p128 0x1p+0 0xA"},
        {"ranges",
         "1\n1e-45 7e-46 1e-50 3.4028235e38 3.4028236e38 1e39 -1e39 1e-38 1.17549435e-38"},
        {"ties", "1\n1.00000005960464477539062 1.000000059604644775390625 "
                 "1.0000000596046447753906251 16777217 16777219 0.1 0.2 0.3 3.14159265358979"},
        {"long-digits", "1\n0.000000000000000000000000000000000000000000001401298464324817 "
                        "1.000000000000000000000000000000000000000000000000000000000000001 "
                        "123456789012345678901234567890 0 0 0 0 0 0"},
        {"signs", "1\n+1 -1 +.5 -.5 .5 5. +0 -0 -.0e-0"},
        {"bad-signs", "1\n+-1 0 0 0 0 0 0 0 0"},
        {"dot-only", "1\n. 0 0 0 0 0 0 0 0"},
        {"exponent-only", "1\ne5 0 0 0 0 0 0 0 0"},
        {"dangling-exponent", "1\n1e 0 0 0 0 0 0 0 0"},
        {"nul-byte", std::string("1\n0 0 \0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0", 38)},
        {"ctrl-z", "1\n0 0 0 1 0 0 0 1 0\x1a"},
        {"ctrl-z-inside", "1\n0 0 0 1 0 0\x1a 0 1 0"},
        {"high-bytes", "1\n0 0 0 \xc3\xa9\xff 0 0 0 1 0 0 0 0 0 0 0 0 0"},
        {"long-garbage", "1\n" + std::string(100, 'x') + " 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0"},
        {"line-count", "1\n\n\n\n0 0\n\n0\n1 0 0\n0 1 x"},
    };
    for (const auto& entry : catalogue) parse(out, entry.name, entry.text);

    // Random numbers in every notation the parser reads, nine to a triangle.
    for (int i = 0; i < 300; ++i) {
        std::string text = "1\n";
        for (int k = 0; k < 9; ++k) {
            const std::uint32_t form = in.bits() % 8;
            std::string number = (in.bits() & 1) ? "-" : "";
            if (form < 5) {  // decimal, 1 to 30 digits, with or without a point and an exponent
                const int digits = 1 + int(in.bits() % 30);
                const int point = int(in.bits() % (digits + 2));
                for (int d = 0; d < digits; ++d) {
                    if (d == point) number += '.';
                    number += char('0' + in.bits() % 10);
                }
                if (form >= 2) number += "e" + std::to_string(int(in.bits() % 100) - 60);
            } else if (form == 5) {  // hexadecimal
                char hex[40];
                std::snprintf(hex, sizeof hex, "0x%lx.%lxp%d",
                              static_cast<unsigned long>(in.bits() % 0x1000000),
                              static_cast<unsigned long>(in.bits() % 0x10000),
                              int(in.bits() % 300) - 170);
                number += hex;
            } else {  // nine significant digits, from the subnormals to beyond the float range
                number += std::to_string(in.bits() % 1000000000) + "e" +
                          std::to_string(int(in.bits() % 100) - 55);
            }
            text += number + ((in.bits() & 3) ? " " : "\t\r\n");
        }
        parse(out, "random-number-" + std::to_string(i), text);
    }

    // Random texts from the characters numbers are made of, and a few others.
    const std::string alphabet = "0123456789+-.eEpxXinfaINFA \t\n\r,()";
    for (int i = 0; i < 400; ++i) {
        std::string text = std::to_string(in.bits() % 3) + " ";
        const int length = int(in.bits() % 90);
        for (int k = 0; k < length; ++k) text += alphabet[in.bits() % alphabet.size()];
        parse(out, "random-text-" + std::to_string(i), text);
    }
}

} // namespace same_bits
