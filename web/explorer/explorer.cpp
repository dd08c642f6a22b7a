// The clip explorer's compiled side: the functions its page script (explorer.js) calls. Every
// figure, every number it shows and the address text come from the figure library
// (figures/clip_figures.h) through here; the script only turns pointer and keyboard input into
// corner coordinates and puts the returned text into the page.
//
// The script writes the triangle's nine eye-space floats into explorerCorners() (or a text into
// explorerTextBuffer() for explorerParse), calls explorerDraw, and then reads the figures, their
// polygons and the triangle's text, which stay valid until the next explorerDraw.
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
    std::string dataUrls[7];    // the figures as data URLs of their unchanged bytes, for images
    std::string vertices[7];    // their polygons as JSON: after passes 1 to 6, then the result
    std::string triangleText;   // the drawn triangle as the address carries it
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

// Draws the seven figures of the corners: a walkthrough triangle under its walkthrough title
// and stem, any other under the default ones, as clipfigs --triangle does. Returns 1 when the
// six passes agree with clipToFrustum to the bit (they always should).
EMSCRIPTEN_KEEPALIVE int explorerDraw()
{
    const WalkthroughTriangle* found = findWalkthroughTriangle(state.corners);
    state.drawn = drawTriangleFigures(state.corners, found ? found->title : defaultTitle,
                                      found ? found->stem : defaultStem);
    for (int i = 0; i < 7; ++i) {
        state.dataUrls[i] = dataUrl("image/svg+xml", state.drawn.figures[i].svg);
        state.vertices[i] = verticesJson(i < 6 ? state.drawn.afterPass[i] : state.drawn.clipped);
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

// Figure i's polygon as JSON, as its container's data-vertices carries it.
EMSCRIPTEN_KEEPALIVE const char* explorerVertices(int i)
{
    return state.vertices[i].c_str();
}

// The drawn triangle as nine shortest decimals, "x0,y0,z0,...": the address's #t= value.
EMSCRIPTEN_KEEPALIVE const char* explorerTriangleText()
{
    return state.triangleText.c_str();
}

} // extern "C"
