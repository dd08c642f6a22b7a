// The figure library of tools/clipfigs and of the clip explorer page (web/explorer/). It follows
// one triangle through the program's projection and clipper and draws what each pass of
// clipToFrustum does, so that the walkthrough, the tool and the page can never disagree.
//
// What goes in: a triangle, its three corners in the simulated camera's eye space (nine floats,
// x y z per corner, each finite and at most 1e6 in magnitude: what parseTriangleText accepts),
// a title (plain text the figures name it by) and a file-name stem.
// What comes out: seven SVG documents (one per pass of clipToFrustum, in the order of ClipPlane,
// then the final figure: clipped then divided, beside divided first), and the polygons the
// figures show, as the clipper returned them.
// What it never does: files, console, globals, locale, time. The SVG bytes depend only on the
// inputs, and are the same on every platform: numbers are printed by printf with a fixed count
// of decimals (IEEE arithmetic and printf's exact rounding fix every digit), and nothing printed
// depends on the C library's sin, cos, pow or hypot, whose last bits differ between libraries.
// Every figure draws sensibly for any triangle it accepts (degenerate, emptied by a pass, a
// corner at the eye, spans of 2e6) in bounded time and size, with a note where a panel has
// nothing to show.
#pragma once

#include "math/vecmath.h"

#include <string>
#include <vector>

// A polygon in clip space, in the clipper's vertex order.
using ClipPolygon = std::vector<Vector4>;

struct Figure {
    std::string fileName;  // "<stem>-pass1-left.svg" ... "<stem>-pass6-far.svg", "<stem>-final.svg"
    std::string svg;       // the whole document: UTF-8, LF line ends
};

struct TriangleFigures {
    ClipPolygon triangle;      // the corners projected into clip space by matFrustum
    ClipPolygon afterPass[6];  // what clipToPlane returned from each pass, in ClipPlane order
    ClipPolygon clipped;       // what clipToFrustum returned for the triangle
    bool passesAgree;          // clipped holds the bits of afterPass[5]
    Figure figures[7];         // the six pass figures, then the final figure
};

// Draws the seven figures of the triangle with the given corners (eye space, x y z per corner).
TriangleFigures drawTriangleFigures(const float corners[9], const std::string& title,
                                    const std::string& stem);

// The five triangles of the walkthrough, docs/clipping.md, in the order it introduces them.
struct WalkthroughTriangle {
    const char* stem;   // the first part of its figures' file names
    const char* title;  // how its figures name it
    float corners[9];   // eye space
};
extern const WalkthroughTriangle walkthroughTriangles[5];

// The walkthrough triangle whose corners have exactly these bits, or nullptr.
const WalkthroughTriangle* findWalkthroughTriangle(const float corners[9]);

// The title and stem of a triangle that is none of the walkthrough's.
inline constexpr const char* defaultTitle = "custom";
inline constexpr const char* defaultStem = "custom";

// Reads a triangle written as nine decimal numbers separated by commas ("x0,y0,z0,x1,...,z2",
// spaces around a number allowed). Accepts only plain decimals (digits, a point, an exponent)
// that are finite and at most 1e6 in magnitude, each rounded to the nearest float. Returns true
// and fills corners when the text is such a triangle; otherwise leaves corners alone, returns
// false and says what is wrong in error, in words for the user.
bool parseTriangleText(const std::string& text, float corners[9], std::string& error);

// The shortest decimal that reads back (as parseTriangleText and strtof read) to the same
// float: "0.1", not "0.100000001". Non-finite values as "nan", "inf", "-inf".
std::string shortestDecimal(float value);

// The triangle as parseTriangleText reads it, each value the shortest decimal: the explorer's
// address carries it as "#t=" followed by this text.
std::string triangleText(const float corners[9]);

// A polygon as a JSON array of [x, y, z, w] arrays, each value to 9 significant digits (enough
// to read back the same float); a value that is not finite is the string "NaN", "Infinity" or
// "-Infinity".
std::string verticesJson(const ClipPolygon& polygon);
