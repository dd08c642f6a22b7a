// The clip explorer's compiled side: the functions its page script (explorer_*.js) calls. Every
// figure, its description and summary, every polygon, every edge of a pass's walk and the address
// text come from the figure library (figures/clip_figures.h) through here; the script only turns
// pointer and keyboard input into corner coordinates and puts the returned text into the page.
//
// The script writes the triangle's nine eye-space floats into explorerCorners() (or a text into
// explorerTextBuffer() for explorerParse), calls explorerDraw, and then reads the figures, their
// polygons and walks and the triangle's text, which stay valid until the next draw; and
// explorerDrawStep draws one step of one pass's walk from that drawing. A triangle taken in clip
// space goes the same way through explorerClipCorners() (twelve floats), explorerParseClip and
// explorerDrawClip, which also put its corners where the views show them (explorerViewCorners).
// Both draw under the rules the script chose last (explorer_rules.cpp: the clip volume, depth
// clamp, a guard band, an attribute u), the program's unless it chose others.
#include "figures/clip_figures.h"
#include "web/explorer/explorer_drawing.h"
#include "web/explorer/explorer_rules.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <string>
#include <vector>

namespace {

// Everything the page's one triangle needs between calls.
struct ExplorerState {
    float corners[9] = {};      // the triangle, eye space, x y z per corner
    Vector4 clipCorners[3] = {};  // the triangle taken in clip space, as given
    bool clipSpace = false;     // the last draw was of clipCorners
    float viewCorners[9] = {};  // where the views show clipCorners, eye space (NaN: they cannot)
    std::string cornerNotes;    // what the views cannot show or what a corner's w means, JSON
    char text[4096] = {};       // a text handed over for explorerParse, UTF-8, NUL-terminated
    std::string message;        // why explorerParse refused its text
    TriangleFigures drawn;      // the figures of the last explorerDraw
    FigureLayout layout = FigureLayout::Print;  // the layout they are drawn in
    std::string dataUrls[7];    // the figures as data URLs of their unchanged bytes, for images
    std::string vertices[7];    // their polygons as JSON: after passes 1 to 6, then the result
    std::string edges[6];       // each pass's walk as JSON (edgesJson)
    std::string names[7];       // the names of each figure's polygon's vertices, as JSON
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
// the output holds it), how far the output has grown, the names of P, Q and what the edge
// appended (the one numbering) and the step in the library's sentences: {"pass", "edge",
// "count", "record": {"from", "to", "case", "t", "dFrom", "dTo", "appended"}, "cut": [x, y, z,
// w] | null, "outputSoFar", "outputCount", "names": {"from", "to", "appended": [...]}, "lines":
// [...]}.
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
    const std::vector<int> before = originsBefore(drawn, pass);
    std::vector<std::string> appended;
    for (int k : record.appended) {
        appended.push_back(originName(drawn.origins[pass][static_cast<std::size_t>(k)]));
    }
    const std::string names =
        "{\"from\":" + only(stringsJson({originName(before[std::size_t(record.from)])})) +
        ",\"to\":" + only(stringsJson({originName(before[std::size_t(record.to)])})) +
        ",\"appended\":" + stringsJson(appended) + "}";
    return "{\"pass\":" + std::to_string(pass) + ",\"edge\":" + std::to_string(edge) +
           ",\"count\":" + std::to_string(walk.size()) + ",\"record\":" +
           only(edgesJson({record})) + ",\"cut\":" + cut + ",\"outputSoFar\":" +
           std::to_string(grown) + ",\"outputCount\":" + std::to_string(output.size()) +
           ",\"names\":" + names + ",\"lines\":" + stringsJson(stepText(drawn, pass, edge)) +
           "}";
}

// A layout as the page numbers them: 0 the printed one, 1 the screen's, 2 the compact one
// (anything else: the printed one).
FigureLayout layoutOf(int code)
{
    if (code == 1) return FigureLayout::Screen;
    if (code == 2) return FigureLayout::Compact;
    return FigureLayout::Print;
}

// After a draw: what the page reads of it, kept until the next.
void keepDrawing()
{
    for (int i = 0; i < 7; ++i) {
        state.dataUrls[i] = dataUrl("image/svg+xml", state.drawn.figures[i].svg);
        state.vertices[i] = verticesJson(i < 6 ? state.drawn.afterPass[i] : state.drawn.clipped);
        if (i < 6) state.edges[i] = edgesJson(state.drawn.edges[i]);
        std::vector<std::string> names;
        for (int origin : i < 6 ? state.drawn.origins[i] : clippedOrigins(state.drawn)) {
            names.push_back(originName(origin));
        }
        state.names[i] = stringsJson(names);
    }
    keepRuledDrawing(state.drawn);
}

} // namespace

const TriangleFigures& explorerDrawing()
{
    return state.drawn;
}

std::string explorerFigureUrl(const std::string& svg)
{
    return dataUrl("image/svg+xml", svg);
}

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

// The walkthrough triangle the last drawn triangle is, to the bit (in clip space, the bits it
// projects to), or nullptr.
const WalkthroughTriangle* drawnPreset()
{
    return state.clipSpace ? findWalkthroughClipTriangle(state.clipCorners, explorerRules().volume)
                           : findWalkthroughTriangle(state.corners);
}

// The preset the last drawn triangle is, or -1.
EMSCRIPTEN_KEEPALIVE int explorerMatchingPreset()
{
    const WalkthroughTriangle* found = drawnPreset();
    return found ? static_cast<int>(found - walkthroughTriangles) : -1;
}

// Draws the seven figures of the corners in a layout (layoutOf): a walkthrough triangle under
// its walkthrough title and stem, any other under the default ones, as clipfigs --triangle
// does. Returns 1 when the six passes agree with clipToFrustum to the bit (they always should).
EMSCRIPTEN_KEEPALIVE int explorerDraw(int layout)
{
    state.layout = layoutOf(layout);
    state.clipSpace = false;
    const WalkthroughTriangle* found = drawnPreset();
    state.drawn = drawTriangleFigures(state.corners, found ? found->title : defaultTitle,
                                      found ? found->stem : defaultStem, state.layout,
                                      explorerRules());
    keepDrawing();
    state.triangleText = triangleText(state.corners);
    return state.drawn.passesAgree ? 1 : 0;
}

// The same for the corners taken in clip space, clipped as given, as clipfigs --clip draws them
// (a walkthrough triangle's projection under its title and stem); the views' corners and notes
// follow them.
EMSCRIPTEN_KEEPALIVE int explorerDrawClip(int layout)
{
    state.layout = layoutOf(layout);
    state.clipSpace = true;
    const WalkthroughTriangle* found = drawnPreset();
    state.drawn = drawClipTriangleFigures(state.clipCorners, found ? found->title : defaultTitle,
                                          found ? found->stem : defaultStem, state.layout,
                                          explorerRules());
    keepDrawing();
    state.triangleText = clipText(state.clipCorners);
    std::vector<std::string> notes;
    for (int k = 0; k < 3; ++k) {
        const EyeCorner eye = eyeCorner(state.clipCorners[k], k, explorerRules().volume);
        const float nan = std::numeric_limits<float>::quiet_NaN();
        state.viewCorners[3 * k] = eye.shown ? eye.x : nan;
        state.viewCorners[3 * k + 1] = eye.shown ? eye.y : nan;
        state.viewCorners[3 * k + 2] = eye.shown ? eye.z : nan;
        if (!eye.note.empty()) notes.push_back(eye.note);
    }
    state.cornerNotes = stringsJson(notes);
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

// The names of figure i's polygon's vertices ("corner 2", "a"), in its order, as JSON: as its
// container's data-names carries them.
EMSCRIPTEN_KEEPALIVE const char* explorerNames(int i)
{
    return state.names[i].c_str();
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

// The drawn triangle as shortest decimals: nine, "x0,y0,z0,...", the address's #t= value; or,
// drawn from clip space, twelve, "x0,y0,z0,w0,...", its #c= value.
EMSCRIPTEN_KEEPALIVE const char* explorerTriangleText()
{
    return state.triangleText.c_str();
}

// ---- The triangle taken in clip space ----------------------------------------------------------

// Where the script writes the three corners in clip space: twelve floats, x y z w per corner.
EMSCRIPTEN_KEEPALIVE float* explorerClipCorners()
{
    return &state.clipCorners[0].x;
}

// As explorerParse, for twelve numbers into the clip-space corners.
EMSCRIPTEN_KEEPALIVE int explorerParseClip(int length)
{
    if (length < 0 || length >= explorerTextCapacity()) {
        state.message = "the text is too long for twelve numbers";
        return 0;
    }
    return parseClipText(std::string(state.text, std::size_t(length)), state.clipCorners,
                         state.message)
               ? 1
               : 0;
}

// Where the views show the corners of the last explorerDrawClip: nine floats, eye space, NaN
// for a corner they cannot show; and, as JSON strings, what they cannot show or what a corner's
// w means.
EMSCRIPTEN_KEEPALIVE const float* explorerViewCorners()
{
    return state.viewCorners;
}

EMSCRIPTEN_KEEPALIVE const char* explorerCornerNotes()
{
    return state.cornerNotes.c_str();
}

namespace {

// Whether every value of the corners is within the limits a typed or linked triangle keeps to.
bool withinLimits(const Vector4 corners[3])
{
    for (int k = 0; k < 3; ++k) {
        for (float value : {corners[k].x, corners[k].y, corners[k].z, corners[k].w}) {
            if (!(std::fabs(value) <= 1e6f)) return false;
        }
    }
    return true;
}

} // namespace

// Takes the eye-space corners into clip space as the mesh pass projects them, so that the same
// figures follow; 0 (and explorerMessage says why) when a value leaves the limits there.
EMSCRIPTEN_KEEPALIVE int explorerProjectCorners()
{
    Vector4 projected[3];
    for (int k = 0; k < 3; ++k) {
        projected[k] = clipCorner(state.corners[3 * k], state.corners[3 * k + 1],
                                  state.corners[3 * k + 2], 1, explorerRules().volume);
    }
    if (!withinLimits(projected)) {
        state.message = "in clip space a value of this triangle is beyond the limit of ±1000000";
        return 0;
    }
    std::copy(projected, projected + 3, state.clipCorners);
    return 1;
}

// Takes the clip-space corners back into eye space: the eye-space corners they were projected
// from, unchanged, when they still are those; else each corner where the views show it. 0 (and
// explorerMessage says why) when a corner has no such place: at infinity there, or a negative
// factor of its point's projection, which the eye-space triangle could not say.
EMSCRIPTEN_KEEPALIVE int explorerEyeFromClip()
{
    bool unchanged = true;
    for (int k = 0; k < 3; ++k) {
        const Vector4 projected = clipCorner(state.corners[3 * k], state.corners[3 * k + 1],
                                             state.corners[3 * k + 2], 1, explorerRules().volume);
        unchanged = unchanged && std::memcmp(&projected, &state.clipCorners[k], 16) == 0;
    }
    if (unchanged) return 1;
    float back[9];
    for (int k = 0; k < 3; ++k) {
        const EyeCorner eye = eyeCorner(state.clipCorners[k], k, explorerRules().volume);
        if (!eye.shown || !(eye.weight > 0)) {
            state.message = "corner " + std::to_string(k) + " has no place in eye space that " +
                            "its clip-space values name: " +
                            (eye.shown ? "they are a negative factor of its point's projection"
                                       : "mapped back, it lies at infinity");
            return 0;
        }
        back[3 * k] = eye.x;
        back[3 * k + 1] = eye.y;
        back[3 * k + 2] = eye.z;
    }
    for (float value : back) {
        if (!(std::fabs(value) <= 1e6f)) {
            state.message = "in eye space a value of this triangle is beyond the limit of "
                            "±1000000";
            return 0;
        }
    }
    std::copy(back, back + 9, state.corners);
    return 1;
}

// Moves clip-space corner k to where the eye-space point (x, y, z) projects, keeping the
// corner's weight (the factor of its point's projection, explorerViewCorners), so that moving
// a corner changes no other and keeps its side of infinity. Returns 0, moving nothing, when the
// corner has no place in the views or the moved one would leave the limits.
EMSCRIPTEN_KEEPALIVE int explorerMoveClipCorner(int k, float x, float y, float z)
{
    if (k < 0 || k > 2) return 0;
    const EyeCorner eye = eyeCorner(state.clipCorners[k], k, explorerRules().volume);
    if (!eye.shown) return 0;
    Vector4 moved[3] = {state.clipCorners[0], state.clipCorners[1], state.clipCorners[2]};
    moved[k] = clipCorner(x, y, z, eye.weight, explorerRules().volume);
    if (!withinLimits(moved)) return 0;
    state.clipCorners[k] = moved[k];
    return 1;
}

} // extern "C"
