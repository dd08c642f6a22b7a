// The worksheet's compiled side (worksheet.html): the functions its script (worksheet_page.js)
// calls. Each exercise, its triangle, the polygon entering the pass, the question figure, the
// table to fill and, in the answer key, the walk, the filled table and the step figures, comes
// from the practice library (practice/practice.h) and the figure library
// (figures/clip_figures.h), as the explorer's practice and clipfigs --practise take them; the
// script only reads the address and puts the returned HTML into the page.
//
// The HTML returned stays valid until the next call. Every number in it is printed here with a
// fixed count of decimals, so the page reads the same everywhere.
#include "figures/clip_figures.h"
#include "practice/practice.h"

#include <emscripten/emscripten.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string html;  // the last HTML returned

// Text as HTML character data or an attribute's value.
std::string escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

// An SVG document as a data URL, percent-encoded: the page shows each figure as an image of its
// own document, so that the figures' fixed ids never meet.
std::string svgUrl(const std::string& svg)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string url = "data:image/svg+xml;charset=utf-8,";
    for (char c : svg) {
        const unsigned char b = static_cast<unsigned char>(c);
        const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') ||
                           (b >= '0' && b <= '9') || b == '-' || b == '.' || b == '_' ||
                           b == '=' || b == ':' || b == '/' || b == ',';
        if (plain) {
            url += c;
        } else {
            url += '%';
            url += hex[b >> 4];
            url += hex[b & 15];
        }
    }
    return url;
}

// A value with four decimals, never "-0.0000".
std::string fixed4(double value)
{
    if (!std::isfinite(value)) return value != value ? "NaN" : value > 0 ? "∞" : "−∞";
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", value);
    const std::string s = text;
    return s == "-0.0000" ? "0.0000" : s;
}

const char* const planeNames[6] = {"ClipLeft", "ClipRight", "ClipBottom",
                                   "ClipTop", "ClipNear", "ClipFar"};
const char* const planeTests[6] = {"x ≥ −w", "x ≤ w", "y ≥ −w", "y ≤ w", "z ≥ −w", "z ≤ w"};

std::string image(const Figure& figure, const char* layoutWidth, const char* extraClass)
{
    return std::string("<img class=\"figure ") + extraClass + "\" src=\"" + svgUrl(figure.svg) +
           "\" alt=\"" + escaped(figure.summary) + "\" width=\"" + layoutWidth + "\">";
}

// The table of the walk: one row per edge, P and Q named; with the answers filled from the
// clipper's records, else blank cells to write in.
std::string walkTable(const TriangleFigures& drawn, int pass, bool answers)
{
    const std::vector<int> before = originsBefore(drawn, pass);
    const std::size_t n = before.size();
    std::string t = "<table class=\"walk\"><caption>" +
                    std::string(answers ? "The walk of " : "Your walk of ") + planeNames[pass] +
                    ", edge by edge</caption>\n<thead><tr><th scope=\"col\">edge</th>"
                    "<th scope=\"col\">P</th><th scope=\"col\">Q</th><th scope=\"col\">case</th>"
                    "<th scope=\"col\">t</th><th scope=\"col\">appended</th></tr></thead>\n"
                    "<tbody>\n";
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = (i + 1) % n;
        t += "<tr><td>" + std::to_string(i + 1) + "</td><td>vertex " + std::to_string(i) + " = " +
             originName(before[i]) + "</td><td>vertex " + std::to_string(j) + " = " +
             originName(before[j]) + "</td>";
        if (!answers) {
            t += "<td></td><td></td><td></td></tr>\n";
            continue;
        }
        const EdgeRecord& edge = drawn.edges[pass][i];
        const bool crosses = edge.edgeCase == ClipInOut || edge.edgeCase == ClipOutIn;
        std::string appended;
        for (std::size_t k = 0; k < edge.appended.size(); ++k) {
            const std::string name =
                originName(drawn.origins[pass][std::size_t(edge.appended[k])]);
            appended += (k ? ", then " : "") +
                        (crosses && k == 0 ? "the cut point " + name : "Q = " + name);
        }
        t += std::string("<td>") + edgeCaseName(edge.edgeCase) + "</td><td>" +
             (crosses ? fixed4(edge.t) : "—") + "</td><td>" +
             (appended.empty() ? "nothing" : appended) + "</td></tr>\n";
    }
    return t + "</tbody></table>\n";
}

// The vertices entering the pass, in clip space, four decimals.
std::string inputTable(const TriangleFigures& drawn, int pass)
{
    const std::vector<int> before = originsBefore(drawn, pass);
    const ClipPolygon& input = pass == 0 ? drawn.triangle : drawn.afterPass[pass - 1];
    std::string t = "<table class=\"input\"><caption>Entering " + std::string(planeNames[pass]) +
                    ", in clip space</caption>\n<thead><tr><th scope=\"col\">#</th>"
                    "<th scope=\"col\">vertex</th><th scope=\"col\">x</th><th scope=\"col\">y</th>"
                    "<th scope=\"col\">z</th><th scope=\"col\">w</th></tr></thead>\n<tbody>\n";
    for (std::size_t i = 0; i < input.size(); ++i) {
        const Vector4& v = input[i];
        t += "<tr><td>" + std::to_string(i) + "</td><td>" + originName(before[i]) + "</td><td>" +
             fixed4(v.x) + "</td><td>" + fixed4(v.y) + "</td><td>" + fixed4(v.z) + "</td><td>" +
             fixed4(v.w) + "</td></tr>\n";
    }
    return t + "</tbody></table>\n";
}

// Exercise `index` of the sheet as an <article>: see worksheetExercise.
std::string exercise(std::uint64_t seed, int pass, int index, bool answers)
{
    float corners[9];
    if (!practiceTriangle(seed, pass, index, corners)) return "";
    const int p = pass - 1;
    const std::string t = "#t=" + triangleText(corners);
    const std::string title = "exercise " + std::to_string(index);
    const TriangleFigures drawn =
        drawTriangleFigures(corners, title, "exercise" + std::to_string(index),
                            FigureLayout::Compact);
    const std::string id = "exercise-" + std::to_string(index);
    // How many vertices enter the pass: the page's print styles fit a longer exercise to a page
    // with smaller figures.
    const std::size_t entering = originsBefore(drawn, p).size();
    const char* length = entering >= 8 ? " longer" : entering >= 6 ? " long" : "";
    std::string a = "<article class=\"exercise" + std::string(length) + "\" aria-labelledby=\"" +
                    id + "\" data-t=\"" + t + "\"" +
                    (answers ? " data-edges=\"" + escaped(edgesJson(drawn.edges[p])) + "\"" : "") +
                    ">\n<h2 id=\"" + id + "\">Exercise " + std::to_string(index) + "</h2>\n";
    a += "<p class=\"corners\">The triangle's corners in eye space: ";
    for (int k = 0; k < 3; ++k) {
        a += std::string(k ? "; " : "") + "corner " + std::to_string(k) + " (" +
             shortestDecimal(corners[3 * k]) + ", " + shortestDecimal(corners[3 * k + 1]) + ", " +
             shortestDecimal(corners[3 * k + 2]) + ")";
    }
    a += ". <a class=\"practise-link\" href=\"explore.html#practise&amp;seed=" +
         std::to_string(seed) + "&amp;pass=" + std::to_string(pass) + "&amp;n=" +
         std::to_string(index) + "\">Practise it in the clip explorer</a></p>\n";
    a += inputTable(drawn, p);
    const std::string question =
        "<figure class=\"question\">" +
        image(drawQuestionFigure(drawn, p, -1, FigureLayout::Compact), "700", "") +
        "<figcaption>The polygon entering " + planeNames[p] + " in its " +
        (p < 2 ? "x" : p < 4 ? "y" : "z") +
        "–w view; the plot on the right is left for the output.</figcaption></figure>\n";
    if (!answers) return a + question + walkTable(drawn, p, false) + "</article>\n";
    // The answer key: the filled table, then the question beside the step figures, in one grid.
    a += walkTable(drawn, p, true) + "<div class=\"steps\">\n" + question;
    for (std::size_t e = 0; e < drawn.edges[p].size(); ++e) {
        a += image(drawStepFigure(drawn, p, int(e), FigureLayout::Compact), "700", "step") + "\n";
    }
    return a + "</div>\n</article>\n";
}

} // namespace

extern "C" {

// The words of pass `pass` (1 to 6): "ClipRight keeps x ≤ w"; "" out of range.
EMSCRIPTEN_KEEPALIVE const char* worksheetPlaneTest(int pass)
{
    html = pass >= 1 && pass <= 6
               ? std::string(planeNames[pass - 1]) + " keeps " + planeTests[pass - 1]
               : "";
    return html.c_str();
}

// Exercise `index` (from 1) of the sheet of seed `seed` (0 to 4294967295, an unsigned 32-bit
// number) for pass `pass` (1 to 6): an <article class="exercise"> carrying data-t (its "#t="
// text) and, with answers = 1, data-edges (edgesJson of the pass's walk); its eye-space corners,
// the vertices entering the pass (four decimals), the question figure and the table of the walk,
// blank, or filled and followed by the step figures in the answer key. "" out of range.
EMSCRIPTEN_KEEPALIVE const char* worksheetExercise(unsigned seed, int pass, int index,
                                                   int answers)
{
    html = exercise(seed, pass, index, answers == 1);
    return html.c_str();
}

} // extern "C"
