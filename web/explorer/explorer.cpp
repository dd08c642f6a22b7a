// The clip explorer's compiled side: the functions its page script (explorer_*.js) calls. Every
// figure, its description and summary, every polygon, every edge of a pass's walk and the address
// text come from the figure library (figures/clip_figures.h) through here; the script only turns
// pointer and keyboard input into corner coordinates and puts the returned text into the page.
//
// The script writes the triangle's nine eye-space floats into explorerCorners() (or a text into
// explorerTextBuffer() for explorerParse), calls explorerDraw, and then reads the figures, their
// polygons and walks and the triangle's text, which stay valid until the next explorerDraw; and
// explorerDrawStep draws one step of one pass's walk from that drawing.
#include "figures/clip_figures.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <iterator>
#include <string>

namespace {

// Everything the page's one triangle needs between calls.
struct ExplorerState {
    float corners[9] = {};      // the triangle, eye space, x y z per corner
    char text[4096] = {};       // a text handed over for explorerParse, UTF-8, NUL-terminated
    std::string message;        // why explorerParse refused its text
    TriangleFigures drawn;      // the figures of the last explorerDraw
    FigureLayout layout = FigureLayout::Print;  // the layout they are drawn in
    std::string dataUrls[7];    // the figures as data URLs of their unchanged bytes, for images
    std::string vertices[7];    // their polygons as JSON: after passes 1 to 6, then the result
    std::string edges[6];       // each pass's walk as JSON (edgesJson)
    std::string triangleText;   // the drawn triangle as the address carries it
    Figure step;                // the figure of the last explorerDrawStep
    std::string stepUrl;        // that figure as a data URL
    std::string stepRecord;     // what that step shows, as JSON (explorerDrawStep)
};

ExplorerState state;

// bytes as a data URL of the given type, base64-encoded: the page shows each figure as an image
// of its own document (its fixed ids then cannot meet another figure's) from such a URL, which
// costs the browser far less than a blob URL, and decodes to the same bytes.
std::string dataUrl(const char* type, const std::string& bytes)
{
    static const char digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string url = std::string("data:") + type + ";base64,";
    url.reserve(url.size() + (bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
        unsigned group = 0;
        for (std::size_t k = 0; k < 3; ++k) {
            group = group << 8 | (k < n ? static_cast<unsigned char>(bytes[i + k]) : 0u);
        }
        for (std::size_t k = 0; k < 4; ++k) {
            url += k <= n ? digits[(group >> (18 - 6 * k)) & 63] : '=';
        }
    }
    return url;
}

// Step `edge` of pass `pass` as JSON: the library's record of that edge as data-edges writes it,
// with the walk's length, the cut point when the edge crosses (the vertex it appended first, as
// the output holds it) and how far the output has grown: {"pass", "edge", "count", "record":
// {"from", "to", "case", "t", "dFrom", "dTo", "appended"}, "cut": [x, y, z, w] | null,
// "outputSoFar", "outputCount"}.
std::string stepJson(const TriangleFigures& drawn, int pass, int edge)
{
    const std::vector<EdgeRecord>& walk = drawn.edges[pass];
    const EdgeRecord& record = walk[static_cast<std::size_t>(edge)];
    const ClipPolygon& output = drawn.afterPass[pass];
    std::size_t grown = 0;
    for (int i = 0; i <= edge; ++i) grown += walk[static_cast<std::size_t>(i)].appended.size();
    // A one-element array of edgesJson or verticesJson, without its outer [ ].
    const auto only = [](const std::string& array) { return array.substr(1, array.size() - 2); };
    const bool crosses = record.edgeCase == ClipInOut || record.edgeCase == ClipOutIn;
    const std::string cut =
        crosses && !record.appended.empty()
            ? only(verticesJson({output[static_cast<std::size_t>(record.appended[0])]}))
            : "null";
    return "{\"pass\":" + std::to_string(pass) + ",\"edge\":" + std::to_string(edge) +
           ",\"count\":" + std::to_string(walk.size()) + ",\"record\":" +
           only(edgesJson({record})) + ",\"cut\":" + cut + ",\"outputSoFar\":" +
           std::to_string(grown) + ",\"outputCount\":" + std::to_string(output.size()) + "}";
}

} // namespace

extern "C" {

// Where the script writes the triangle: nine floats.
EMSCRIPTEN_KEEPALIVE float* explorerCorners()
{
    return state.corners;
}

// Where the script writes a text for explorerParse, and how many bytes fit (NUL included).
EMSCRIPTEN_KEEPALIVE char* explorerTextBuffer()
{
    return state.text;
}

EMSCRIPTEN_KEEPALIVE int explorerTextCapacity()
{
    return sizeof state.text;
}

// Reads the text in explorerTextBuffer, length bytes long as the script wrote it, as a triangle
// ("x0,y0,z0,...,z2"). Returns 1 and sets the corners when it is one; else returns 0, leaves
// the corners alone and explorerMessage says why. A text that did not fit is refused whole.
EMSCRIPTEN_KEEPALIVE int explorerParse(int length)
{
    if (length < 0 || length >= explorerTextCapacity()) {
        state.message = "the text is too long for nine numbers";
        return 0;
    }
    // All length bytes: a NUL among them is part of the text, not its end.
    return parseTriangleText(std::string(state.text, std::size_t(length)), state.corners,
                             state.message)
               ? 1
               : 0;
}

EMSCRIPTEN_KEEPALIVE const char* explorerMessage()
{
    return state.message.c_str();
}

// The walkthrough's triangles, the page's presets.
EMSCRIPTEN_KEEPALIVE int explorerPresetCount()
{
    return static_cast<int>(std::size(walkthroughTriangles));
}

EMSCRIPTEN_KEEPALIVE const char* explorerPresetTitle(int preset)
{
    return walkthroughTriangles[preset].title;
}

EMSCRIPTEN_KEEPALIVE void explorerUsePreset(int preset)
{
    std::copy(walkthroughTriangles[preset].corners, walkthroughTriangles[preset].corners + 9,
              state.corners);
}

// The preset the corners are, to the bit, or -1.
EMSCRIPTEN_KEEPALIVE int explorerMatchingPreset()
{
    const WalkthroughTriangle* found = findWalkthroughTriangle(state.corners);
    return found ? static_cast<int>(found - walkthroughTriangles) : -1;
}

// Draws the seven figures of the corners in a layout, 0 the printed one, 1 the screen's, 2 the
// compact one (anything else: the printed one): a walkthrough triangle under its walkthrough
// title and stem, any other under the default ones, as clipfigs --triangle does. Returns 1 when
// the six passes agree with clipToFrustum to the bit (they always should).
EMSCRIPTEN_KEEPALIVE int explorerDraw(int layout)
{
    state.layout = layout == 1   ? FigureLayout::Screen
                   : layout == 2 ? FigureLayout::Compact
                                 : FigureLayout::Print;
    const WalkthroughTriangle* found = findWalkthroughTriangle(state.corners);
    state.drawn = drawTriangleFigures(state.corners, found ? found->title : defaultTitle,
                                      found ? found->stem : defaultStem, state.layout);
    for (int i = 0; i < 7; ++i) {
        state.dataUrls[i] = dataUrl("image/svg+xml", state.drawn.figures[i].svg);
        state.vertices[i] = verticesJson(i < 6 ? state.drawn.afterPass[i] : state.drawn.clipped);
        if (i < 6) state.edges[i] = edgesJson(state.drawn.edges[i]);
    }
    state.triangleText = triangleText(state.corners);
    return state.drawn.passesAgree ? 1 : 0;
}

// Figure i (0 to 5 the passes, 6 the final figure) of the last explorerDraw: as a data URL, as its
// SVG bytes and their count, and its file name.
EMSCRIPTEN_KEEPALIVE const char* explorerFigureDataUrl(int i)
{
    return state.dataUrls[i].c_str();
}

EMSCRIPTEN_KEEPALIVE const char* explorerFigure(int i)
{
    return state.drawn.figures[i].svg.data();
}

EMSCRIPTEN_KEEPALIVE int explorerFigureLength(int i)
{
    return static_cast<int>(state.drawn.figures[i].svg.size());
}

EMSCRIPTEN_KEEPALIVE const char* explorerFigureName(int i)
{
    return state.drawn.figures[i].fileName.c_str();
}

// Figure i's description (plain text, several lines) and one-sentence summary.
EMSCRIPTEN_KEEPALIVE const char* explorerDescription(int i)
{
    return state.drawn.figures[i].description.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* explorerSummary(int i)
{
    return state.drawn.figures[i].summary.c_str();
}

// Figure i's polygon as JSON, as its container's data-vertices carries it.
EMSCRIPTEN_KEEPALIVE const char* explorerVertices(int i)
{
    return state.vertices[i].c_str();
}

// Pass `pass`'s walk (0 to 5): as JSON, as its container's data-edges carries it, and its length.
EMSCRIPTEN_KEEPALIVE const char* explorerEdges(int pass)
{
    return state.edges[pass].c_str();
}

EMSCRIPTEN_KEEPALIVE int explorerEdgeCount(int pass)
{
    return static_cast<int>(state.drawn.edges[pass].size());
}

// Draws step `edge` of pass `pass` of the last explorerDraw (drawStepFigure), in its layout.
// Returns what the step shows as JSON (stepJson), or "null" for a pass that no polygon enters,
// whose figure then is the pass's own. The step's figure stays valid until the next
// explorerDrawStep or explorerDraw.
EMSCRIPTEN_KEEPALIVE const char* explorerDrawStep(int pass, int edge)
{
    const int count = explorerEdgeCount(pass);
    if (count == 0) {
        state.step = state.drawn.figures[pass];
        state.stepRecord = "null";
    } else {
        edge = std::max(0, std::min(edge, count - 1));
        state.step = drawStepFigure(state.drawn, pass, edge, state.layout);
        state.stepRecord = stepJson(state.drawn, pass, edge);
    }
    state.stepUrl = dataUrl("image/svg+xml", state.step.svg);
    return state.stepRecord.c_str();
}

// The figure of the last explorerDrawStep: as a data URL, its bytes and their count, its words.
EMSCRIPTEN_KEEPALIVE const char* explorerStepDataUrl()
{
    return state.stepUrl.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* explorerStepFigure()
{
    return state.step.svg.data();
}

EMSCRIPTEN_KEEPALIVE int explorerStepFigureLength()
{
    return static_cast<int>(state.step.svg.size());
}

EMSCRIPTEN_KEEPALIVE const char* explorerStepDescription()
{
    return state.step.description.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* explorerStepSummary()
{
    return state.step.summary.c_str();
}

// The drawn triangle as nine shortest decimals, "x0,y0,z0,...": the address's #t= value.
EMSCRIPTEN_KEEPALIVE const char* explorerTriangleText()
{
    return state.triangleText.c_str();
}

} // extern "C"
