// SVG writing: numbers as the figures print them, text, lines, rectangles and polygons, each
// element on its own line. See svg.h.
#include "figures/svg.h"

#include "figures/clip_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace fig {

// A number with a fixed count of decimals; a negative zero prints as zero. Callers pass finite
// values; anything else prints as 0, so that no document ever holds "nan".
std::string num(double value, int decimals)
{
    if (!std::isfinite(value)) value = 0;
    char text[400];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string s = text;
    if (s[0] == '-' && s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    return s;
}

// printf's "%g" text with the exponent written short: "1.5e+06" as "1.5e6", "2.5e-07" as
// "2.5e-7".
std::string shortExponent(const std::string& s)
{
    const std::size_t e = s.find('e');
    if (e == std::string::npos) return s;
    std::string exponent = s.substr(e + 1);
    const bool negative = exponent[0] == '-';
    exponent.erase(0, exponent.find_first_not_of("+-0"));
    return s.substr(0, e + 1) + (negative ? "-" : "") + (exponent.empty() ? "0" : exponent);
}

// A number to a few significant digits with a short exponent: "1.67e6", "2.5e-7".
std::string compact(double value, int digits)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return shortExponent(text);
}

// Pixel positions.
std::string px(double value)
{
    return num(std::clamp(value, -10 * drawLimit, 10 * drawLimit), 2);
}

// Vertex values, in tables: four decimals, fewer for large values so that a value keeps within
// its column (eight characters), and a short exponent beyond that.
std::string value(double v)
{
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "∞" : "−∞";
    const double magnitude = std::fabs(v);
    if (magnitude < 100) return num(v, 4);
    if (magnitude < 1000) return num(v, 3);
    if (magnitude < 10000) return num(v, 2);
    if (magnitude < 100000) return num(v, 1);
    return compact(v, 3);
}

std::string jsonNumber(double value, int digits)
{
    if (std::isnan(value)) return "\"NaN\"";
    if (std::isinf(value)) return value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

std::size_t utf8Length(const std::string& text, std::size_t at)
{
    const auto byte = [&](std::size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u;
    };
    const unsigned lead = byte(at);
    std::size_t length;
    unsigned code;
    if (lead < 0x80) return 1;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        code = lead & 0x1f;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        code = lead & 0x0f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(at + k) & 0xc0) != 0x80) return 0;
        code = code << 6 | (byte(at + k) & 0x3f);
    }
    // Overlong forms, surrogates and code points beyond U+10FFFF are no UTF-8.
    static const unsigned smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || (code >= 0xd800 && code <= 0xdfff) || code > 0x10ffff) {
        return 0;
    }
    return length;
}

// What XML 1.0 does not allow, mended: control characters as spaces (line ends too, unless
// kept), bytes that are no UTF-8 and the non-characters U+FFFE and U+FFFF as U+FFFD, the
// replacement character.
std::string mendedText(const std::string& raw, bool keepLineEnds)
{
    const char* const replacement = "\xEF\xBF\xBD";  // U+FFFD
    std::string out;
    for (std::size_t i = 0; i < raw.size();) {
        const std::size_t length = utf8Length(raw, i);
        if (length == 0) {
            out += replacement;
            ++i;
        } else if (length == 3 && raw.compare(i, 2, "\xEF\xBF") == 0 &&
                   (raw[i + 2] == '\xBE' || raw[i + 2] == '\xBF')) {
            out += replacement;
            i += 3;
        } else if (length == 1 && static_cast<unsigned char>(raw[i]) < 0x20) {
            out += raw[i] == '\n' && keepLineEnds ? '\n' : ' ';
            ++i;
        } else {
            out.append(raw, i, length);
            i += length;
        }
    }
    return out;
}

// Text as XML character data, mended first so that no document is ever malformed.
std::string escaped(const std::string& raw, bool keepLineEnds)
{
    std::string out;
    out.reserve(raw.size());
    const auto plain = [](char c) {
        return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x80 &&
               c != '<' && c != '>' && c != '&';
    };
    // Most text is plain ASCII and passes through as it is.
    if (std::all_of(raw.begin(), raw.end(), plain)) return raw;
    for (char c : mendedText(raw, keepLineEnds)) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '&': out += "&amp;"; break;
        default: out += c;
        }
    }
    return out;
}

void text(std::string& svg, double x, double y, const std::string& content, const TextStyle& style)
{
    svg += "<text x=\"" + px(x) + "\" y=\"" + px(y) + "\" font-size=\"" + num(style.size, 0) + "\"";
    if (style.mono) svg += std::string(" font-family=\"") + monoFont + "\"";
    if (*style.weight) svg += std::string(" font-weight=\"") + style.weight + "\"";
    if (*style.anchor) svg += std::string(" text-anchor=\"") + style.anchor + "\"";
    svg += std::string(" fill=\"") + style.fill + "\"";
    if (style.halo) {
        svg += " stroke=\"#ffffff\" stroke-width=\"3\" stroke-linejoin=\"round\" "
               "paint-order=\"stroke\"";
    }
    svg += ">" + escaped(content) + "</text>\n";
}

void line(std::string& svg, double x1, double y1, double x2, double y2, const std::string& attrs)
{
    svg += "<line x1=\"" + px(x1) + "\" y1=\"" + px(y1) + "\" x2=\"" + px(x2) + "\" y2=\"" +
           px(y2) + "\" " + attrs + "/>\n";
}

void rect(std::string& svg, double x, double y, double w, double h, const std::string& attrs)
{
    svg += "<rect x=\"" + px(x) + "\" y=\"" + px(y) + "\" width=\"" + px(w) + "\" height=\"" +
           px(h) + "\" " + attrs + "/>\n";
}

// The part of a polygon within drawLimit of the origin on both axes (one clipping pass per side
// of that square). A polygon already inside comes back as it is.
std::vector<Point> withinDrawLimit(const std::vector<Point>& points)
{
    const auto inside = [](const Point& p) {
        return std::fabs(p.x) <= drawLimit && std::fabs(p.y) <= drawLimit;
    };
    if (std::all_of(points.begin(), points.end(), inside)) return points;
    std::vector<Point> polygon = points;
    for (int side = 0; side < 4; ++side) {
        // Side 0: x <= limit, 1: x >= -limit, 2: y <= limit, 3: y >= -limit.
        const double sign = side % 2 == 0 ? 1 : -1;
        const auto distance = [&](const Point& p) {
            return drawLimit - sign * (side < 2 ? p.x : p.y);  // >= 0 inside
        };
        std::vector<Point> out;
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const Point& p = polygon[i];
            const Point& q = polygon[(i + 1) % polygon.size()];
            const double dp = distance(p), dq = distance(q);
            if ((dp < 0) != (dq < 0)) {
                const double t = dp / (dp - dq);
                out.push_back({p.x + (q.x - p.x) * t, p.y + (q.y - p.y) * t});
            }
            if (dq >= 0) out.push_back(q);
        }
        polygon = out;
    }
    return polygon;
}

void polygon(std::string& svg, const std::vector<Point>& shape, const std::string& attrs)
{
    const std::vector<Point> points = withinDrawLimit(shape);
    svg += "<polygon points=\"";
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i) svg += " ";
        svg += px(points[i].x) + "," + px(points[i].y);
    }
    svg += "\" " + attrs + "/>\n";
}

std::string svgStart(double width, double height, const std::string& title,
                     const std::string& description)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + px(width) + "\" height=\"" +
           px(height) + "\" viewBox=\"0 0 " + px(width) + " " + px(height) +
           "\" font-family=\"" + sansFont + "\">\n<title>" + escaped(title) + "</title>\n<desc>" +
           escaped(description, true) + "</desc>\n" +
           "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
}

} // namespace fig

bool isUtf8(const std::string& text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = fig::utf8Length(text, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}
