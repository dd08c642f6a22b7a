// Every figure the library draws (pass, final, step and question figures), read by a real XML
// parser (expat): well-formed whatever the triangle, layout or title, with a description that
// names its vertex counts, the corners behind the eye and what each step appends, its panels side
// by side in print and compact and stacked on screen, each layout its own width with no text
// under 12 px there and, on a screen, none past the figure's edge; the steps of one pass of one
// height, and in the compact layout none higher than 720 px; a question drawn from the pass's
// input alone, the same bytes when everything the pass and later ones made is taken away, and
// without a word of an answer.
#include "figures/clip_figures.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace {

// One <text> element as drawn: where it is anchored and in what style.
struct TextItem {
    double x = 0, size = 0;  // user units
    bool bold = false, mono = false;
    bool halo = false;  // a white outline behind the glyphs: a label over the drawing
    std::string anchor = "start";
    std::string content;
};

// What the parser saw of one SVG document.
struct Parsed {
    std::string error;               // "" when well-formed
    double width = 0, height = 0;    // the root's size, user units
    double viewBoxWidth = 0;
    double smallestFont = 1e9;       // the smallest font-size of any element
    std::string title, desc;         // the root's <title> and <desc> text
    std::string* collecting = nullptr;
    int plot = -1;                   // inside the clip path of plot 0 or 1
    double plotX[2] = {}, plotY[2] = {};  // the two plots' top left corners
    std::vector<TextItem> texts;
};

void onStart(void* data, const char* name, const char** attributes)
{
    Parsed& p = *static_cast<Parsed*>(data);
    const std::string element = name;
    for (int i = 0; attributes[i]; i += 2) {
        const std::string attribute = attributes[i];
        if (attribute == "font-size") {
            p.smallestFont = std::min(p.smallestFont, std::strtod(attributes[i + 1], nullptr));
        }
        const double number = std::strtod(attributes[i + 1], nullptr);
        if (element == "svg" && attribute == "width") p.width = number;
        if (element == "svg" && attribute == "height") p.height = number;
        if (element == "svg" && attribute == "viewBox") {
            double x, y, w, h;
            if (std::sscanf(attributes[i + 1], "%lf %lf %lf %lf", &x, &y, &w, &h) == 4) {
                p.viewBoxWidth = w;
            }
        }
    }
    if (element == "clipPath") {
        const std::string id =
            attributes[0] && std::string(attributes[0]) == "id" ? attributes[1] : "";
        p.plot = id == "plot0" ? 0 : id == "plot1" ? 1 : -1;
    }
    if (element == "rect" && p.plot >= 0) {
        for (int i = 0; attributes[i]; i += 2) {
            const double number = std::strtod(attributes[i + 1], nullptr);
            if (std::string(attributes[i]) == "x") p.plotX[p.plot] = number;
            if (std::string(attributes[i]) == "y") p.plotY[p.plot] = number;
        }
        p.plot = -1;
    }
    if (element == "text") {
        TextItem item;
        for (int i = 0; attributes[i]; i += 2) {
            const std::string attribute = attributes[i], value = attributes[i + 1];
            if (attribute == "x") item.x = std::strtod(value.c_str(), nullptr);
            if (attribute == "font-size") item.size = std::strtod(value.c_str(), nullptr);
            if (attribute == "font-weight") item.bold = value == "bold";
            if (attribute == "font-family") item.mono = value.find("Mono") != std::string::npos;
            if (attribute == "text-anchor") item.anchor = value;
            if (attribute == "stroke") item.halo = value == "#ffffff";
        }
        p.texts.push_back(item);
        p.collecting = &p.texts.back().content;
    }
    if (element == "title") p.collecting = &p.title;
    if (element == "desc") p.collecting = &p.desc;
}

void onEnd(void* data, const char*)
{
    static_cast<Parsed*>(data)->collecting = nullptr;
}

void onText(void* data, const char* text, int length)
{
    Parsed& p = *static_cast<Parsed*>(data);
    if (p.collecting) p.collecting->append(text, std::size_t(length));
}

Parsed parse(const std::string& svg)
{
    Parsed p;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &p);
    XML_SetElementHandler(parser, onStart, onEnd);
    XML_SetCharacterDataHandler(parser, onText);
    if (XML_Parse(parser, svg.data(), int(svg.size()), 1) == XML_STATUS_ERROR) {
        p.error = std::string(XML_ErrorString(XML_GetErrorCode(parser))) + " at line " +
                  std::to_string(XML_GetCurrentLineNumber(parser));
    }
    XML_ParserFree(parser);
    return p;
}

std::string vertices(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " vertex" : " vertices");
}

// The count of characters (UTF-8 code points) in text.
std::size_t characters(const std::string& text)
{
    return std::size_t(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xc0) != 0x80;
    }));
}

// How wide a text is drawn, in user units, by a model of the figures' font, DejaVu Sans, from
// its advance widths: a line of ten or more characters averages at most 0.55 em a character
// (0.64 em in bold; prose comes to about 0.5), measured over every text of these figures; a
// shorter text, a tick label or a name, is summed a character at a time, digits 0.636 em
// (bold 0.696), point and space 0.318 (0.380), hyphen 0.361 (0.415), any other character as the
// widest letter the labels use, 0.70 em (0.78). DejaVu Sans Mono is 0.602 em for every glyph.
double modelWidth(const TextItem& t)
{
    const std::size_t n = characters(t.content);
    if (t.mono) return 0.602 * t.size * double(n);
    if (n >= 10) return (t.bold ? 0.64 : 0.55) * t.size * double(n);
    double em = 0;
    for (char c : t.content) {
        if ((static_cast<unsigned char>(c) & 0xc0) == 0x80) continue;  // inside a character
        em += c >= '0' && c <= '9'   ? (t.bold ? 0.696 : 0.636)
              : c == '.' || c == ' ' ? (t.bold ? 0.380 : 0.318)
              : c == '-'             ? (t.bold ? 0.415 : 0.361)
                                     : (t.bold ? 0.78 : 0.70);
    }
    return em * t.size;
}

// The width each layout is drawn for, in user units as in CSS pixels.
double layoutWidth(FigureLayout layout)
{
    switch (layout) {
    case FigureLayout::Print: return 820;
    case FigureLayout::Screen: return 390;
    case FigureLayout::Compact: return 700;
    }
    return 0;
}

// Checks one figure; `counts` are the vertex counts its description must name. Returns its
// height.
double checkFigure(const Figure& figure, FigureLayout layout,
                   const std::vector<std::size_t>& counts, const std::string& what)
{
    const Parsed p = parse(figure.svg);
    if (!p.error.empty()) ADD_FAILURE() << what << ": " << figure.fileName << ": " << p.error;
    EXPECT_FALSE(p.desc.empty()) << what << ": " << figure.fileName;
    EXPECT_EQ(p.desc, figure.description) << what << ": " << figure.fileName;
    EXPECT_FALSE(figure.summary.empty()) << what << ": " << figure.fileName;
    for (std::size_t n : counts) {
        EXPECT_NE(p.desc.find(vertices(n)), std::string::npos)
            << what << ": " << figure.fileName << " does not name " << vertices(n);
    }
    // Print and compact: the panels side by side; screen: one above the other.
    const bool stacked = p.plotX[0] == p.plotX[1] && p.plotY[1] > p.plotY[0] + 300;
    const bool sideBySide = p.plotY[0] == p.plotY[1] && p.plotX[1] > p.plotX[0] + 300;
    EXPECT_TRUE(layout == FigureLayout::Screen ? stacked : sideBySide)
        << what << ": " << figure.fileName;
    // Shown at its layout's width, a user unit is a CSS pixel.
    EXPECT_EQ(p.width, layoutWidth(layout)) << what << ": " << figure.fileName;
    EXPECT_EQ(p.width, p.viewBoxWidth) << what;
    EXPECT_GE(p.smallestFont, 12) << what << ": " << figure.fileName;
    // On a screen, what runs past the figure's edge is cut off: the layouts drawn for one (which
    // wrap their lines) keep every text within it. Labels over the drawing (with a halo) follow
    // their vertex or line and are left out.
    for (const TextItem& t : p.texts) {
        if (layout == FigureLayout::Print || t.halo) continue;
        const double width = modelWidth(t);
        const double left = t.anchor == "middle" ? t.x - width / 2
                            : t.anchor == "end"  ? t.x - width
                                                 : t.x;
        EXPECT_TRUE(left >= 0 && left + width <= p.width)
            << what << ": " << figure.fileName << ": \"" << t.content << "\" spans " << left
            << " to " << left + width << " of " << p.width;
    }
    return p.height;
}

// What a step's text must say the edge appends, as a pattern: the cut point first when the edge
// crosses the plane, then Q when Q is inside, each with its place in the output.
std::string appendsPattern(const EdgeRecord& edge)
{
    const bool crosses = edge.edgeCase == ClipInOut || edge.edgeCase == ClipOutIn;
    const bool qInside = edge.edgeCase == ClipInIn || edge.edgeCase == ClipOutIn;
    // A record that appends anything else has no right text (and fails the edge walk's test).
    if (edge.appended.size() != std::size_t(crosses) + std::size_t(qInside)) return "\\?";
    // A cut point is named by its letters, Q by the corner or the cut it was made from.
    std::vector<std::string> parts;
    if (crosses) parts.push_back("the cut point [a-z]+ as output vertex " +
                                 std::to_string(edge.appended.front()));
    if (qInside) parts.push_back("Q = (corner [0-2]|[a-z]+) as output vertex " +
                                 std::to_string(edge.appended.back()));
    if (parts.empty()) return "\nNothing is appended\\.\n";
    return "\nAppended: " + parts[0] + (parts.size() > 1 ? ", then " + parts[1] : "") +
           "\\.\n";
}

// What the final figure's summary must end with: the corners behind the eye, those whose w is
// negative (a corner at the eye, w = 0, is not behind it).
std::string behindTheEye(const ClipPolygon& triangle)
{
    const auto behind = std::size_t(std::count_if(triangle.begin(), triangle.end(),
                                                  [](const Vector4& v) { return v.w < 0; }));
    if (behind == 0) return "; no corner behind the eye";
    return "; " + std::to_string(behind) + (behind == 1 ? " corner" : " corners") +
           " behind the eye";
}

// The question about pass `pass` with each edge in `asked` marked: the same bytes drawn from a copy
// of the figures that knows nothing of this pass or later ones, and no word of an answer.
void checkQuestions(const TriangleFigures& drawn, int pass, const std::vector<int>& asked,
                    FigureLayout layout, const std::string& what)
{
    TriangleFigures blind = drawn;
    for (int p = pass; p < 6; ++p) {
        blind.edges[p].clear();
        blind.afterPass[p].clear();
        blind.origins[p].clear();
        blind.attributes[p].clear();
    }
    blind.clipped.clear();
    blind.cuts.erase(std::remove_if(blind.cuts.begin(), blind.cuts.end(),
                                    [&](const CutPoint& cut) { return cut.pass >= pass; }),
                     blind.cuts.end());
    const std::size_t in = pass == 0 ? drawn.triangle.size() : drawn.afterPass[pass - 1].size();
    const std::regex answer("d\\(|t = |inside,|outside|kept|dropped|in-in|in-out|out-in|out-out|"
                            "appended|[Cc]ut point");
    for (int edge : asked) {
        const Figure question = drawQuestionFigure(drawn, pass, edge, layout);
        if (drawn.skipped[pass]) {
            EXPECT_TRUE(question.svg.empty()) << what;
            continue;
        }
        checkFigure(question, layout, {in}, what);
        EXPECT_EQ(question.svg, drawQuestionFigure(blind, pass, edge, layout).svg)
            << what << ": " << question.fileName << " depends on the answer";
        EXPECT_FALSE(std::regex_search(question.svg + question.summary, answer))
            << what << ": " << question.fileName << " tells an answer";
    }
    EXPECT_TRUE(drawQuestionFigure(drawn, pass, int(in), layout).svg.empty()) << what;
}

// The figures of a triangle in every layout, and with `steps` every step figure of every pass.
void checkTriangle(const float corners[9], const std::string& title, const std::string& what,
                   bool steps = false, const ClipRules& rules = {})
{
    for (FigureLayout layout : {FigureLayout::Print, FigureLayout::Screen, FigureLayout::Compact}) {
        const TriangleFigures drawn = drawTriangleFigures(corners, title, "t", layout, rules);
        const ClipPolygon* before = &drawn.triangle;
        for (int pass = 0; pass < 6; ++pass) {
            const std::size_t in = before->size(), out = drawn.afterPass[pass].size();
            checkFigure(drawn.figures[pass], layout, {in, out}, what);
            const int walked = steps ? int(drawn.edges[pass].size()) : 0;
            double firstHeight = 0;
            for (int edge = 0; edge < walked; ++edge) {
                const Figure step = drawStepFigure(drawn, pass, edge, layout);
                const double height = checkFigure(step, layout, {in, out}, what);
                const EdgeRecord& record = drawn.edges[pass][std::size_t(edge)];
                EXPECT_TRUE(std::regex_search(step.description, std::regex(appendsPattern(record))))
                    << what << ": " << step.fileName << " should say" << appendsPattern(record)
                    << step.description;
                // The plot stays put while the learner steps; on a laptop's screen every step
                // of a triangle's pass fits beside the explorer's views with its buttons.
                if (edge == 0) firstHeight = height;
                EXPECT_EQ(height, firstHeight) << what << ": " << step.fileName;
                if (layout == FigureLayout::Compact && in <= 9 && out <= 9) {
                    EXPECT_LE(height, 720) << what << ": " << step.fileName;
                }
                // The last step has grown the whole output.
                if (edge + 1 == walked) {
                    const std::string whole = std::to_string(out) + " of " + vertices(out);
                    EXPECT_NE(step.description.find(whole), std::string::npos) << what;
                }
            }
            EXPECT_TRUE(drawStepFigure(drawn, pass, int(drawn.edges[pass].size()), layout)
                            .svg.empty());
            std::vector<int> asked = {-1};
            for (int edge = steps ? 0 : int(in) - 1; edge < int(in); ++edge) asked.push_back(edge);
            checkQuestions(drawn, pass, asked, layout, what);
            before = &drawn.afterPass[pass];
        }
        checkFigure(drawn.figures[6], layout, {drawn.clipped.size()}, what);
        const std::string& summary = drawn.figures[6].summary;
        const std::string behind = behindTheEye(drawn.triangle);
        EXPECT_TRUE(summary.size() >= behind.size() &&
                    summary.compare(summary.size() - behind.size(), behind.size(), behind) == 0)
            << what << ": \"" << summary << "\" should end \"" << behind << "\"";
    }
}

TEST(FigureXml, EveryFigureOfManyTrianglesAndTheirStepsIsWellFormedAndDescribedInEveryLayout)
{
    // Values of every size from 1e-8 to 1e6, either sign, zeros, corners on planes and at the eye.
    std::mt19937 random(21);
    std::uniform_real_distribution<double> unit(0, 1);
    const auto value = [&]() -> float {
        const double r = unit(random);
        if (r < 0.1) return 0;
        if (r < 0.7) return float(2 * unit(random) - 1);
        const double magnitude = std::pow(10.0, -8 + 14 * unit(random));
        return float(r < 0.85 ? magnitude : -magnitude);
    };
    for (int n = 0; n < 300; ++n) {
        float corners[9];
        for (float& v : corners) v = value();
        if (n % 5 == 0) corners[3] = -corners[5];
        checkTriangle(corners, "random " + std::to_string(n), "triangle " + triangleText(corners),
                      n % 10 == 0);
        if (::testing::Test::HasFailure()) return;
    }
    for (const WalkthroughTriangle& triangle : walkthroughTriangles) {
        checkTriangle(triangle.corners, triangle.title, triangle.stem, true);
    }
}

TEST(FigureXml, EveryFigureUnderOtherRulesIsWellFormedDescribedAndWithinItsWidth)
{
    // Each volume, depth clamp, every guard band and u, alone and together.
    std::vector<ClipRules> ruleSets(8);
    ruleSets[0].volume = ClipVolume::ZeroOne;
    ruleSets[1].volume = ClipVolume::Mismatch;
    ruleSets[2].depthClamp = true;
    ruleSets[3].guard = 2;
    ruleSets[4].guard = 8;
    ruleSets[5].attribute = true;
    ruleSets[6] = {ClipVolume::Mismatch, true, 4, true, {-1e6f, 0.125f, 1e6f}};
    ruleSets[7] = {ClipVolume::ZeroOne, false, 8, true, {1, 1, 1}};
    std::mt19937 random(23);
    std::uniform_real_distribution<float> coordinate(-2, 2), depth(-2.5f, 0.5f);
    for (int n = 0; n < 48; ++n) {
        const float corners[9] = {coordinate(random), coordinate(random), depth(random),
                                  coordinate(random), coordinate(random), depth(random),
                                  coordinate(random), coordinate(random), depth(random)};
        const ClipRules& rules = ruleSets[std::size_t(n) % ruleSets.size()];
        checkTriangle(corners, "random " + std::to_string(n),
                      "triangle " + triangleText(corners) + " under " + rulesLabel(rules),
                      n % 3 == 0, rules);
        if (::testing::Test::HasFailure()) return;
    }
    for (const ClipRules& rules : ruleSets) {
        for (const WalkthroughTriangle& triangle : walkthroughTriangles) {
            checkTriangle(triangle.corners, triangle.title,
                          std::string(triangle.stem) + " under " + rulesLabel(rules), true, rules);
            if (::testing::Test::HasFailure()) return;
        }
    }
}

TEST(FigureXml, ATitleThatIsNotUtf8IsMendedAndItsFiguresStayWellFormed)
{
    const float corners[9] = {0, 0, -0.5f, 0.1f, 0, -0.5f, 0.2f, 0, -0.5f};
    const std::string titles[] = {"bad \xff", "cut \xe2\x82", "overlong \xc0\xaf", "\xef\xbf\xbe",
                                  "surrogate \xed\xa0\x80",
                                  "last surrogate \xed\xbf\xbf", "tab\tand\nline <&>"};
    for (const std::string& title : titles) checkTriangle(corners, title, "title " + title);
    const TriangleFigures drawn = drawTriangleFigures(corners, "bad \xff", "t");
    EXPECT_NE(drawn.figures[0].description.find("“bad \xef\xbf\xbd”"), std::string::npos);
    EXPECT_TRUE(isUtf8("plain, “quoted”, ∞, 😀"));
    EXPECT_FALSE(isUtf8("bad \xff"));
    EXPECT_FALSE(isUtf8("\xf4\x90\x80\x80"));  // beyond U+10FFFF
    // Every code point written as UTF-8 is UTF-8, except the surrogates U+D800 to U+DFFF.
    for (unsigned c = 0; c <= 0x10ffff; ++c) {
        std::string bytes;
        if (c < 0x80) {
            bytes = {char(c)};
        } else if (c < 0x800) {
            bytes = {char(0xc0 | c >> 6), char(0x80 | (c & 0x3f))};
        } else if (c < 0x10000) {
            bytes = {char(0xe0 | c >> 12), char(0x80 | (c >> 6 & 0x3f)), char(0x80 | (c & 0x3f))};
        } else {
            bytes = {char(0xf0 | c >> 18), char(0x80 | (c >> 12 & 0x3f)),
                     char(0x80 | (c >> 6 & 0x3f)), char(0x80 | (c & 0x3f))};
        }
        const bool surrogate = c >= 0xd800 && c <= 0xdfff;
        ASSERT_EQ(isUtf8(bytes), !surrogate) << std::hex << "U+" << c;
    }
}

} // namespace
