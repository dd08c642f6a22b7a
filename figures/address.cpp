// The triangle as text (the explorer's address: eye space, or clip space) and polygons as JSON.
// See clip_figures.h.
#include "figures/clip_figures.h"

#include "figures/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const coordinateNames[9] = {"x0", "y0", "z0", "x1", "y1", "z1", "x2", "y2", "z2"};

// A field as the user wrote it, shortened for a message.
std::string quoted(const std::string& field)
{
    std::string shown = field.size() > 24 ? field.substr(0, 20) : field;
    // Control characters (a NUL among them would end the message early) show as "?".
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return "“" + shown + (field.size() > 24 ? "…" : "") + "”";
}

// Whether text is a plain decimal: a sign, digits with at most one point (at least one digit),
// and an exponent with digits.
bool isDecimal(const std::string& text)
{
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            ++digits;
        } else if (text[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        const std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        if (i == start) return false;
    }
    return i == text.size();
}

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The coordinates of a triangle as text, named for messages.
struct TextForm {
    int count;                  // values: 9 (eye space) or 12 (clip space)
    const char* countWord;      // "nine", "twelve"
    const char* what;           // "a triangle", "a triangle in clip space"
    const char* pattern;        // "x0,y0,z0,x1,y1,z1,x2,y2,z2"
    const char* const* names;   // "x0", "y0", ...
    std::size_t longest;        // the longest text that can be such a triangle: every float
                                // written out in full, with room to spare
};

const char* const clipCoordinateNames[12] = {"x0", "y0", "z0", "w0", "x1", "y1",
                                             "z1", "w1", "x2", "y2", "z2", "w2"};
const TextForm eyeForm = {9, "nine", "a triangle", "x0,y0,z0,x1,y1,z1,x2,y2,z2",
                          coordinateNames, 1000};
const TextForm clipForm = {12, "twelve", "a triangle in clip space",
                           "x0,y0,z0,w0,x1,y1,z1,w1,x2,y2,z2,w2", clipCoordinateNames, 1300};
const char* const attributeNames[3] = {"u0", "u1", "u2"};
const TextForm attributeForm = {3, "three", "the corners' u", "u0,u1,u2", attributeNames, 400};

bool parseValues(const std::string& text, const TextForm& form, float* out, std::string& error)
{
    if (text.size() > form.longest) {
        error = std::string("the text is too long for ") + form.countWord + " numbers";
        return false;
    }
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        fields.push_back(trimmed(text.substr(start, comma - start)));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    if (fields.size() == 1 && fields[0].empty()) {
        error = std::string("there are no numbers; ") + form.what + " needs " + form.countWord +
                ": " + form.pattern;
        return false;
    }
    if (fields.size() != std::size_t(form.count)) {
        error = "there are " + std::to_string(fields.size()) + " values, not " + form.countWord +
                ": " + form.what + " needs " + form.pattern;
        return false;
    }
    std::vector<float> values(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& field = fields[i];
        const std::string name = form.names[i];
        if (field.empty()) {
            error = name + " is missing";
            return false;
        }
        if (!isDecimal(field)) {
            std::string word = field.substr(field[0] == '-' || field[0] == '+' ? 1 : 0, 3);
            for (char& c : word) c = static_cast<char>(c | 0x20);
            error = name + ", " + quoted(field) +
                    (word == "nan" || word == "inf" ? ", is not a finite number"
                                                    : ", is not a decimal number");
            return false;
        }
        // Checked as a double, so that values just beyond the limit are not let in by their
        // rounding to float; beyond the double range strtod gives infinity, also beyond it.
        const double exact = std::strtod(field.c_str(), nullptr);
        if (!(std::fabs(exact) <= 1e6)) {
            error = name + ", " + quoted(field) + ", is beyond the limit of ±1000000";
            return false;
        }
        values[i] = std::strtof(field.c_str(), nullptr);
    }
    std::copy(values.begin(), values.end(), out);
    return true;
}

} // namespace

bool parseTriangleText(const std::string& text, float corners[9], std::string& error)
{
    return parseValues(text, eyeForm, corners, error);
}

bool parseClipText(const std::string& text, Vector4 corners[3], std::string& error)
{
    float values[12];
    if (!parseValues(text, clipForm, values, error)) return false;
    for (int k = 0; k < 3; ++k) {
        corners[k] = {values[4 * k], values[4 * k + 1], values[4 * k + 2], values[4 * k + 3]};
    }
    return true;
}

bool parseAttributeText(const std::string& text, float u[3], std::string& error)
{
    return parseValues(text, attributeForm, u, error);
}

namespace {

// A decimal digits * 10^exponent, digits without trailing zeros.
struct Decimal {
    unsigned long long digits;
    int exponent;
};

bool readsBack(const Decimal& d, float magnitude)
{
    char text[48];
    std::snprintf(text, sizeof text, "%llue%d", d.digits, d.exponent);
    const float back = std::strtof(text, nullptr);
    return std::memcmp(&back, &magnitude, sizeof back) == 0;
}

// The decimal of this many significant digits nearest to magnitude (> 0), as printf rounds it.
Decimal nearestDecimal(double magnitude, int digits)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*e", digits - 1, magnitude);
    Decimal d{0, std::atoi(std::strchr(text, 'e') + 1) - (digits - 1)};
    for (const char* c = text; *c != 'e'; ++c) {
        if (*c >= '0' && *c <= '9') d.digits = d.digits * 10 + unsigned(*c - '0');
    }
    return d;
}

// The same value written as a plain decimal ("0.0125", "862920") or with an exponent ("1.25e-2",
// "1e6").
std::string plainText(Decimal d)
{
    const std::string s = std::to_string(d.digits);
    const int n = int(s.size());
    if (d.exponent >= 0) return s + std::string(std::size_t(d.exponent), '0');
    if (-d.exponent < n) return s.substr(0, std::size_t(n + d.exponent)) + "." +
                                s.substr(std::size_t(n + d.exponent));
    return "0." + std::string(std::size_t(-d.exponent - n), '0') + s;
}

std::string scientificText(Decimal d)
{
    const std::string s = std::to_string(d.digits);
    return s.substr(0, 1) + (s.size() > 1 ? "." + s.substr(1) : "") + "e" +
           std::to_string(d.exponent + int(s.size()) - 1);
}

} // namespace

std::string shortestDecimal(float value)
{
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    const std::string sign = std::signbit(value) ? "-" : "";
    const float magnitude = std::fabs(value);
    if (magnitude == 0) return sign + "0";
    // The fewest significant digits that read back to the same float; nine always do. Of each
    // length the nearest decimal is tried first, then its neighbour on the value's other side:
    // the float's rounding interval can reach that one and not the nearest (2^-96 reads back
    // from 1.2621775e-29 but not from the nearer 1.2621774e-29).
    Decimal found{0, 0};
    for (int digits = 1; digits <= 9 && found.digits == 0; ++digits) {
        const Decimal nearest = nearestDecimal(magnitude, digits);
        char text[48];
        std::snprintf(text, sizeof text, "%llue%d", nearest.digits, nearest.exponent);
        const bool above = std::strtod(text, nullptr) > double(magnitude);
        const Decimal other{above ? nearest.digits - 1 : nearest.digits + 1, nearest.exponent};
        if (readsBack(nearest, magnitude)) {
            found = nearest;
        } else if (other.digits > 0 && readsBack(other, magnitude)) {
            found = other;
        }
    }
    while (found.digits != 0 && found.digits % 10 == 0) {
        found.digits /= 10;
        ++found.exponent;
    }
    // A plain decimal where that is no longer: "0.1" rather than "1e-1", "862920" rather than
    // "8.6292e5", but "1e6" and "1e-7".
    const std::string plain = plainText(found), scientific = scientificText(found);
    return sign + (plain.size() <= scientific.size() ? plain : scientific);
}

std::string triangleText(const float corners[9])
{
    std::string text;
    for (int i = 0; i < 9; ++i) text += (i ? "," : "") + shortestDecimal(corners[i]);
    return text;
}

std::string clipText(const Vector4 corners[3])
{
    std::string text;
    for (int k = 0; k < 3; ++k) {
        const float values[4] = {corners[k].x, corners[k].y, corners[k].z, corners[k].w};
        for (int c = 0; c < 4; ++c) text += (k || c ? "," : "") + shortestDecimal(values[c]);
    }
    return text;
}

std::string stringsJson(const std::vector<std::string>& texts)
{
    std::string json = "[";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        json += i ? ",\"" : "\"";
        for (const char c : texts[i]) {
            const unsigned char byte = static_cast<unsigned char>(c);
            if (c == '"' || c == '\\') {
                json += '\\';
                json += c;
            } else if (byte < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", byte);
                json += escape;
            } else {
                json += c;
            }
        }
        json += "\"";
    }
    return json + "]";
}

std::string verticesJson(const ClipPolygon& polygon)
{
    std::string json = "[";
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const Vector4& v = polygon[i];
        json += i ? ",[" : "[";
        const float values[4] = {v.x, v.y, v.z, v.w};
        for (int c = 0; c < 4; ++c) {
            if (c) json += ",";
            json += fig::jsonNumber(values[c], 9);
        }
        json += "]";
    }
    return json + "]";
}
