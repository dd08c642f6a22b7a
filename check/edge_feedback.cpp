// The words of the explorer's practice: one edge's values as a learner sees them, the t they
// type, and the feedback on their answer. See clip_check.h.
//
// Every decision quoted is the clipper's: the case and t from clipEdge, d from clipDistance;
// only the display rounds them. Numbers are printed by printf with a fixed count of decimals and
// read back by strtod in the C locale, so the words are the same bytes on every platform.
#include "check/clip_check.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

const char* const distanceTexts[6] = {"x + w", "w − x", "y + w", "w − y", "z + w", "w − z"};
const char* const minus = "\u2212";

bool crosses(ClipEdgeCase edgeCase)
{
    return edgeCase == ClipInOut || edgeCase == ClipOutIn;
}

// printf's text with each '-' a true minus sign.
std::string withMinus(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '-') out += minus;
        else out += c;
    }
    return out;
}

std::string printed(const char* format, double value)
{
    char text[400];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A value rounded to four decimals, as the page shows it (and as the learner reads it back).
double roundedAsShown(float value)
{
    return std::strtod(printed("%.4f", value).c_str(), nullptr);
}

// Four decimals without the zeros that end them: "0.3", "1", "0.3636", for a formula.
std::string trimmed(double value)
{
    std::string text = fourDecimals(value);
    if (text.find('.') == std::string::npos) return text;
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text == minus + std::string("0") ? "0" : text;
}

// d as the words give it: four decimals, exactly 0 as "0", and a d that four decimals would show
// as zero with its first digits, so that its sign can be seen.
std::string distanceText(double d)
{
    if (d == 0.0) return "0";
    if (std::isfinite(d) && std::fabs(d) < 0.00005) {
        std::string text = printed("%.2e", d);
        const std::size_t e = text.find('e');
        const int exponent = std::atoi(text.c_str() + e + 1);
        return withMinus(text.substr(0, e) + "e" + std::to_string(exponent));
    }
    return fourDecimals(d);
}

std::string endText(const char* end, double d, bool inside, const char* distance)
{
    std::string text = std::string(end) + ": d = ";
    if (distance) text += std::string(distance) + " = ";
    text += distanceText(d);
    if (std::isnan(d)) return text + ", no number: the test counts it inside";
    text += inside ? " ≥ 0" : " < 0";
    if (d == 0.0) text += ", on the plane, which the test keeps";
    return text + (inside ? ", inside" : ", outside");
}

const char* appendsText(ClipEdgeCase edgeCase)
{
    switch (edgeCase) {
    case ClipInIn: return "the edge appends Q";
    case ClipInOut: return "the edge appends the cut point";
    case ClipOutIn: return "the edge appends the cut point, then Q";
    default: return "the edge appends nothing";
    }
}

// A number a learner typed, as the feedback quotes it: six significant digits.
std::string typedText(double t)
{
    return withMinus(printed("%.6g", t));
}

// A plain decimal: digits with at most one point, an optional sign and exponent.
bool readDecimal(std::string text, double& value)
{
    const std::string trueMinus = minus;
    for (std::size_t at = text.find(trueMinus); at != std::string::npos;
         at = text.find(trueMinus)) {
        text.replace(at, trueMinus.size(), "-");
    }
    for (char& c : text) {
        if (c == ',') c = '.';
    }
    std::size_t i = 0, digits = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++digits;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++digits;
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t exponent = 0;
        ++i;
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) ++i;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) ++exponent;
        if (exponent == 0) return false;
    }
    if (i != text.size()) return false;
    value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value);
}

std::string withoutSpaces(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

std::string fourDecimals(double value)
{
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "∞" : minus + std::string("∞");
    std::string text = printed("%.4f", value);
    // No "−0.0000": a value that rounds to zero is shown as zero.
    if (text[0] == '-' && text.find_first_not_of("-0.") == std::string::npos) text.erase(0, 1);
    return withMinus(text);
}

double shownT(const Vector4& p, const Vector4& q, ClipPlane plane)
{
    // d of the shown values in double, as a learner with a calculator forms them.
    const auto d = [plane](const Vector4& v) {
        const double c = roundedAsShown(plane <= ClipRight ? v.x : plane <= ClipTop ? v.y : v.z);
        const double w = roundedAsShown(v.w);
        return plane % 2 ? w - c : c + w;
    };
    const double dp = d(p), dq = d(q);
    if (dp == dq) return std::numeric_limits<double>::quiet_NaN();
    return dp / (dp - dq);
}

bool readAnswerT(const std::string& text, double& t)
{
    const std::string given = withoutSpaces(text);
    const std::size_t slash = given.find('/');
    if (slash == std::string::npos) return readDecimal(given, t);
    double numerator = 0, denominator = 0;
    if (!readDecimal(withoutSpaces(given.substr(0, slash)), numerator) ||
        !readDecimal(withoutSpaces(given.substr(slash + 1)), denominator) || denominator == 0) {
        return false;
    }
    t = numerator / denominator;
    return std::isfinite(t);
}

std::string edgeDecisionText(const Vector4& p, const Vector4& q, ClipPlane plane)
{
    const ClipEdge edge = clipEdge(p, q, plane);
    const double dp = clipDistance(p, plane), dq = clipDistance(q, plane);
    const bool pInside = !(edge.edgeCase & 2), qInside = !(edge.edgeCase & 1);
    std::string text = endText("P", dp, pInside, distanceTexts[plane]) + "; " +
                       endText("Q", dq, qInside, nullptr) + ": " + edgeCaseName(edge.edgeCase);
    if (crosses(edge.edgeCase)) {
        // d(P) / (d(P) − d(Q)), the subtraction of a negative d(Q) written as an addition.
        const std::string below = dq < 0 ? trimmed(dp) + " + " + trimmed(-dq)
                                         : trimmed(dp) + " − " + trimmed(dq);
        text += ", t = " + trimmed(dp) + "/(" + below + ") = " + trimmed(edge.t);
    }
    return text + "; " + appendsText(edge.edgeCase) + ".";
}

std::vector<std::string> edgeFeedback(const Vector4& p, const Vector4& q, ClipPlane plane,
                                      const EdgeAnswer& answer, const EdgeVerdict& verdict)
{
    const std::string given = edgeCaseName(answer.edgeCase);
    std::string first;
    if (verdict.right) {
        first = "Right: " + given +
                (verdict.tJudged ? ", t = " + typedText(answer.t) + ", within " +
                                       trimmed(edgeTTolerance) + " of the clipper's t."
                                 : ".");
    } else if (!verdict.caseRight) {
        first = "Not right: the edge is not " + given + ".";
    } else {
        first = "Not right: the case, " + given + ", is right, but t = " + typedText(answer.t) +
                " is not within " + trimmed(edgeTTolerance) + " of the clipper's t.";
    }
    std::vector<std::string> lines{first};
    if (verdict.mistake != ClipMistake::None) {
        lines.push_back(std::string("That is the answer of a known mistake: ") +
                        mistakeExplanation(verdict.mistake));
    }
    lines.push_back("The clipper: " + edgeDecisionText(p, q, plane));
    return lines;
}
