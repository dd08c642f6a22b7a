// The figure library of tools/clipfigs and of the clip explorer page (web/explorer/). It follows
// one triangle through the program's projection and clipper and draws what each pass of
// clipToFrustum does, edge by edge if asked, so that the walkthrough, the tool and the page can
// never disagree.
//
// What goes in: a triangle, its three corners in the simulated camera's eye space (nine floats,
// x y z per corner, each finite and at most 1e6 in magnitude: what parseTriangleText accepts),
// or in clip space as given (twelve floats, x y z w per corner, within the same limits: what
// parseClipText accepts), a title (any text the figures name it by; what is not UTF-8 is shown
// as U+FFFD), a file-name stem, a layout: Print (the walkthrough's), Compact (for a laptop's
// screen) or Screen (for a phone 390 CSS px wide), and the rules to clip by: the program's unless
// others are given (ClipRules: another clip volume, depth clamp, a guard band, an attribute u).
// What comes out: seven SVG documents (one per pass of clipToFrustum, in the order of ClipPlane,
// then the final figure: clipped then divided, beside divided first), each with a text
// description (also inside the SVG, as <title> and <desc>) and a one-line summary; the polygons
// the figures show, as the clipper returned them; each pass's edge walk as records (edgeWalk,
// decided by clipEdge, the clipper's own per-edge function) and as JSON; on request, the figure
// of any step of a pass's walk (drawStepFigure). Every text and figure names a vertex by where
// it comes from (one numbering, below), with its place in the list beside it where the walk
// needs it ("vertex 1 = corner 2").
// What it never does: files, console, globals, locale, time. The SVG bytes depend only on the
// inputs, and are the same on every platform: numbers are printed by printf with a fixed count
// of decimals (IEEE arithmetic and printf's exact rounding fix every digit), and nothing printed
// depends on the C library's sin, cos, pow or hypot, whose last bits differ between libraries.
// Every figure draws sensibly for any triangle it accepts (degenerate, emptied by a pass, a
// corner at the eye, spans of 2e6) in bounded time and size, with a note where a panel has
// nothing to show, and is well-formed XML whatever the title.
#pragma once

#include "clip/clip.h"
#include "math/vecmath.h"

#include <cstddef>
#include <string>
#include <vector>

// A polygon in clip space, in the clipper's vertex order.
using ClipPolygon = std::vector<Vector4>;

// One edge of a pass's walk, in walk order, as clipEdge decided it.
struct EdgeRecord {
    int from, to;               // the edge's ends: indices into the polygon entering the pass
    ClipEdgeCase edgeCase;
    double t;                   // the clipper's t; NaN when the edge does not cross
    double dFrom, dTo;          // d(P), d(Q) (clipDistance)
    std::vector<int> appended;  // indices into the pass's output polygon of what it appended
};
// The walk of clipToPlane over input against plane: one record per edge (none for an empty
// polygon). Replaying `appended` in order reproduces clipToPlane's output to the bit.
std::vector<EdgeRecord> edgeWalk(const ClipPolygon& input, ClipPlane plane);
// "in-in", "in-out", "out-in", "out-out".
const char* edgeCaseName(ClipEdgeCase edgeCase);
// The walk as JSON: [{"from": i, "to": j, "case": "in-out", "t": 0.5 | null, "dFrom": d,
// "dTo": d, "appended": [k]}, ...]. t, d(P) and d(Q) with 17 significant digits (%.17g), t null
// when the edge does not cross; a value that is not finite as the string "NaN", "Infinity" or
// "-Infinity" (as verticesJson).
std::string edgesJson(const std::vector<EdgeRecord>& edges);

// ---- Other rules: what a GPU does differently ------------------------------------------------
// The program clips as OpenGL 1.1 does. A graphics card's pipeline may follow other rules, and the
// figures can follow them too, on the same triangle, with the same arithmetic: another clip
// volume (0 <= z <= w, with or without the projection made for it), depth clamp (no near and far
// passes), a guard band (the side planes at ±G·w) and an attribute u carried through each cut.
// Nothing here changes the program's clipper: under the program's rules every walk is clipEdge's
// own, and the walk over planes below, given the program's six planes, gives clipToFrustum's bits.

enum class ClipVolume {
    Gl,        // -w <= z <= w with matFrustum's projection: the program's
    ZeroOne,   // 0 <= z <= w with the projection of the same frustum made for it
    Mismatch,  // matFrustum's projection tested against 0 <= z <= w: the porting mistake
};

struct ClipRules {
    ClipVolume volume = ClipVolume::Gl;
    bool depthClamp = false;    // the near and far passes are not made; their input passes on
    int guard = 1;              // G: the four side planes test against ±G·w (1, 2, 4 or 8)
    bool attribute = false;     // the figures show u, each vertex's attribute, through each cut
    float u[3] = {0, 0.5f, 1};  // the corners' u, corner 0 first
};
// The program's volume, no clamp, no guard band: every pass is clipToPlane's own.
bool walksAsProgram(const ClipRules& rules);
// And no attribute shown either: the figures are the program's, byte for byte.
bool isProgramRules(const ClipRules& rules);

// One plane of a walk, as data. A vertex is outside when the strict test holds for its stored
// floats: s·w < c for an upper plane, c < -s·w for a lower one (s·w and -s·w formed in float,
// exact for the scales used: 0, 1 and powers of two), so a vertex on the plane is inside. d(V)
// = s·w - c or c + s·w, in double. s = 1 is the program's plane; s = G a guard band's side plane;
// s = 0 the zero-one volume's near plane 0 <= z (its d is z itself).
struct WalkPlane {
    ClipPlane pass;              // the pass of clipToFrustum it takes the place of: its name
    float Vector4::*coordinate;  // the coordinate it bounds: x, y or z
    bool upper;                  // inside c <= s·w; else inside c >= -s·w
    float scale;                 // s, the scale of w
};
// The program's six planes, in the order of ClipPlane.
extern const WalkPlane programPlanes[6];
// The planes the rules test, in walk order: left, right, bottom, top (at ±G·w), then near and
// far (z >= -w or z >= 0, and z <= w) unless depth clamp leaves them out.
std::vector<WalkPlane> rulePlanes(const ClipRules& rules);

// What one edge P -> Q does against a plane as data, in clipEdge's shape and with its operand
// order: t = d(P) / (d(P) - d(Q)) as ((-(s·Pw)) - Pc) / (((Qc - Pc) + s·Qw) - s·Pw) for a lower
// plane and (s·Pw - Pc) / (((Qc - Pc) - s·Qw) + s·Pw) for an upper one, in double, kept on the
// edge; the cut point interpolated from P, each component rounded once. For the program's planes
// these are clipEdge's operations on the same values, so the bits are clipEdge's.
ClipEdge walkEdge(const Vector4& p, const Vector4& q, const WalkPlane& plane);
// d(V) for the plane, in double (clipDistance for the program's planes).
double walkDistance(const Vector4& v, const WalkPlane& plane);
// One pass against the plane: clipToPlane's walk with walkEdge; and its records, as edgeWalk
// gives them.
ClipPolygon walkPass(const ClipPolygon& input, const WalkPlane& plane);
std::vector<EdgeRecord> walkRecords(const ClipPolygon& input, const WalkPlane& plane);
// The walk over a list of planes: each pass's output and records, in order; the last output is
// the clipped polygon. Given programPlanes, clipToFrustum's result to the bit.
struct PlaneWalk {
    std::vector<ClipPolygon> after;
    std::vector<std::vector<EdgeRecord>> edges;
};
PlaneWalk walkPlanes(const ClipPolygon& polygon, const std::vector<WalkPlane>& planes);

// The projection the volume is made with, eye space to clip space: matFrustum's for gl and
// mismatch; for zero-one the same frustum with z' = -f/(f - n)·z - f·n/(f - n), entries computed
// in double and rounded to float as matFrustum's are (near face at z' = 0, far face at z' = w).
Matrix4 volumeProjection(ClipVolume volume);
// Its inverse, clip space back to eye space: matFrustumInverse's for gl and mismatch; for
// zero-one the same but for the weight row, w_eye = -(f - n)/(f·n)·z' + w'/n, its entries
// computed in double and rounded to float as matFrustumInverse's are.
Matrix4 volumeProjectionInverse(ClipVolume volume);
// The depth at which the mismatch's near plane z = 0 lies: 2fn/(f + n), 0.4 for this frustum.
double mismatchNearDepth();

// "gl", "zero-one", "mismatch", as the address and clipfigs name them; and back.
const char* volumeName(ClipVolume volume);
bool parseVolume(const std::string& text, ClipVolume& volume);
// The rules on, at a glance: "OpenGL: −w ≤ z ≤ w" for the program's; else e.g. "Vulkan: 0 ≤ z ≤
// w · guard band 4", "OpenGL projection against 0 ≤ z ≤ w · depth clamp · u = 0, 0.5, 1".
std::string rulesLabel(const ClipRules& rules);
// Reads the corners' u written as three decimals "u0,u1,u2", within the limits of
// parseTriangleText; as it, says what is wrong in error.
bool parseAttributeText(const std::string& text, float u[3], std::string& error);
// The corners' u as shortest decimals: "0,0.5,1".
std::string attributeText(const float u[3]);
// Reads the rules from the explorer's address parameters, '&' between them, in any order:
// "volume=gl|zero-one|mismatch", "clamp", "guard=1|2|4|8", "u" (0, 0.5 and 1) or "u=a,b,c";
// a parameter of another name is no rule and is passed over. Returns true and sets rules (each
// rule not named at its default) or returns false, leaving rules alone, with error in words.
bool parseRulesText(const std::string& text, ClipRules& rules, std::string& error);
// The rules as such parameters, the program's left out: "volume=zero-one&clamp&guard=4&u=0,0.5,1";
// "" for the program's rules.
std::string rulesText(const ClipRules& rules);
// The u of each vertex as a JSON array, as verticesJson writes a value.
std::string attributesJson(const std::vector<float>& u);

// One numbering for every figure, description and step. A vertex is named by where it comes
// from, followed through the edge walks (what an edge appends as Q is Q; what a crossing edge
// appends first is a new cut point), never by comparing values, which a degenerate triangle
// (corners of equal bits) or a cut at t = 0 (P's bits) would confuse. An origin is 0, 1 or 2 for
// a corner of the triangle, in the order it was given (the explorer's views number them so), or
// 3 + k for the cut point cuts[k], lettered in the order the passes make them.
struct CutPoint {
    int pass;      // the pass that made it (0..5, ClipPlane order)
    int edge;      // the edge of that pass's walk that crossed the plane
    int from, to;  // the origins of the edge's ends P and Q
    double t;      // the clipper's t
};

// Each layout is meant to be shown at its own width, one user unit to one CSS pixel, where no
// text is under 12 px. Print: 820 px wide, the two panels side by side (the walkthrough's
// figures). Screen: 390 px wide, for a phone, the panels stacked. Compact: 700 px wide, the
// panels side by side on shorter plots, so that a step of any pass of a triangle (up to 9
// vertices) is at most 720 px high, for a chosen pass beside the explorer's views with its step
// buttons on a 1024 by 768 screen. The figures of one pass's steps share one height in every
// layout.
enum class FigureLayout { Print, Screen, Compact };

struct Figure {
    std::string fileName;     // "<stem>-pass1-left.svg" ... "<stem>-pass6-far.svg",
                              // "<stem>-final.svg"; the same in both layouts
    std::string svg;          // the whole document: UTF-8, LF line ends; it carries the
                              // description in its <title> (the first line) and <desc>
    std::string description;  // what the figure shows, as plain text of several lines
    std::string summary;      // one sentence; a pass's begins with its plane's name: "ClipRight,
                              // inside x ≤ w: 3 vertices in, 4 out; corner 2 dropped; 2 cuts,
                              // a and b"
};

struct TriangleFigures {
    ClipPolygon triangle;      // the corners in clip space: as given, or as matFrustum projected
                               // them from eye space
    ClipPolygon afterPass[6];  // what clipToPlane returned from each pass, in ClipPlane order
    ClipPolygon clipped;       // what clipToFrustum returned for the triangle
    bool passesAgree;          // clipped holds the bits of afterPass[5]
    Figure figures[7];         // the six pass figures, then the final figure
    std::vector<EdgeRecord> edges[6];  // the walk of each pass
    std::vector<int> origins[6];       // where each vertex of afterPass[p] comes from
    std::vector<CutPoint> cuts;        // the cut points, in the order the passes made them
    std::string title;         // the title the figures show (mended where it was no UTF-8)
    std::string stem;          // the first part of the figures' file names
    // Under other rules (the program's by default):
    ClipRules rules;           // the rules the passes follow (a triangle given in clip space has
                               // no projection to mismatch: its mismatch is drawn as zero-one)
    WalkPlane planes[6];       // the plane each pass tests
    bool skipped[6] = {};      // the pass is not made (depth clamp): afterPass holds its input
    std::vector<float> attributes[6];  // u of each vertex of afterPass[p], carried through cuts
    std::vector<float> clippedAttributes;  // u of each vertex of clipped
    ClipPolygon unguarded;     // with a guard band: what the same rules keep with G = 1
    std::size_t unguardedCuts = 0;  // and the cuts they make
    ClipPolygon lost;          // the mismatch: what the program's volume keeps and this loses
};

// Draws the seven figures of the triangle with the given corners (eye space, x y z per corner),
// projected as the mesh pass projects them.
// Under other rules, projected with the rules' volume (volumeProjection) and walked over their
// planes; under the program's rules the figures are the program's, byte for byte.
TriangleFigures drawTriangleFigures(const float corners[9], const std::string& title,
                                    const std::string& stem,
                                    FigureLayout layout = FigureLayout::Print,
                                    const ClipRules& rules = {});
// The same from a triangle given in clip space, clipped as given: for corners that
// drawTriangleFigures would project to, the same figures to the byte (except the mismatch's,
// which with no projection of its own is zero-one's).
TriangleFigures drawClipTriangleFigures(const Vector4 corners[3], const std::string& title,
                                        const std::string& stem,
                                        FigureLayout layout = FigureLayout::Print,
                                        const ClipRules& rules = {});

// The origins of the polygon that enters pass `pass` (0..5): the corners 0, 1, 2 for the first.
std::vector<int> originsBefore(const TriangleFigures& figures, int pass);
// How the texts name a vertex: "corner 2", or a cut point's letter: "a", "b", "c", "e", ...
// (leaving out letters that name a quantity beside it, d, p, q, t, w, x, y, z, or read as a
// digit, i, l, o); past the fifteenth, two letters ("aa").
std::string originName(int origin);
// How the plots label it: "2" for corner 2 (as the explorer's views label it), a cut's letter.
std::string originLabel(int origin);
// What a cut point is: "a: cut of corner 0 → corner 2 by ClipRight"; "" for a corner.
std::string cutKey(const TriangleFigures& figures, int origin);
// The origins of `clipped`: those of the last pass's output, which it is when the passes agree
// (else -1 each, which names as "?").
std::vector<int> clippedOrigins(const TriangleFigures& figures);

// Step `edge` of pass `pass` in sentences, as the step figure's description and the explorer's
// step panel give them: P and Q by place and name, d and their sides, t and the cut point, what
// is appended, the output so far; at the first edge, why the output starts where it does.
// Empty for a step that does not exist.
std::vector<std::string> stepText(const TriangleFigures& figures, int pass, int edge);

// Pass `pass` (0..5, ClipPlane order) at step `edge` of its walk (0 .. edges[pass].size()-1):
// the input polygon, edge `edge` marked with its case, the cut point when it crosses, and the
// output as far as edges 0..edge have grown it. The last step's output is the pass's result.
// Named "<stem>-pass<pass+1>-<plane>-step<edge+1>.svg". A pass with no edges (its input empty)
// has no steps: an out-of-range pass or edge gives a Figure with empty fields.
Figure drawStepFigure(const TriangleFigures& figures, int pass, int edge, FigureLayout layout);

// The question about pass `pass` (0..5): the polygon entering it in the c-w view of its plane,
// its vertices named as every figure names them and listed with their clip-space values, and
// with `edge` >= 0 that edge of its walk (P = vertex edge, Q the next) marked; beside it the
// same plot empty but for the input, dashed, for the learner's answer. It gives nothing of the
// answer away, in the drawing, its <title> and <desc> or its summary: no side of any vertex, no
// d, t or cut point of the pass, nothing of its output (the cut points of earlier passes that
// enter it keep their letters and their key). Named "<stem>-pass<pass+1>-<plane>-question.svg",
// "...-question-edge<edge+1>.svg" with an edge. A pass out of range or not made (depth clamp),
// or an edge that is neither -1 nor an edge of the walk, gives a Figure with empty fields.
Figure drawQuestionFigure(const TriangleFigures& figures, int pass, int edge,
                          FigureLayout layout);

// The five triangles of the walkthrough, docs/clipping.md, in the order it introduces them.
struct WalkthroughTriangle {
    const char* stem;   // the first part of its figures' file names
    const char* title;  // how its figures name it
    float corners[9];   // eye space
};
extern const WalkthroughTriangle walkthroughTriangles[5];

// The figures of the walkthrough's section on what a graphics card does differently: one figure
// each of a walkthrough triangle drawn under other rules.
struct WalkthroughRuleFigure {
    const char* stem;   // the first part of its figures' file names
    int triangle;       // which of walkthroughTriangles
    const char* rules;  // the rules, as the explorer's address carries them (parseRulesText)
    int figure;         // which of the seven: 0 to 5 a pass's, 6 the final figure
};
extern const WalkthroughRuleFigure walkthroughRuleFigures[3];

// The walkthrough triangle whose corners have exactly these bits, or nullptr; the second takes
// corners in clip space, which must be the bits drawTriangleFigures projects its corners to.
const WalkthroughTriangle* findWalkthroughTriangle(const float corners[9]);
// Under the zero-one volume the projection is its own (volumeProjection).
const WalkthroughTriangle* findWalkthroughClipTriangle(const Vector4 corners[3],
                                                       ClipVolume volume = ClipVolume::Gl);

// The title and stem of a triangle that is none of the walkthrough's.
inline constexpr const char* defaultTitle = "custom";
inline constexpr const char* defaultStem = "custom";

// Reads a triangle written as nine decimal numbers separated by commas ("x0,y0,z0,x1,...,z2",
// spaces around a number allowed). Accepts only plain decimals (digits, a point, an exponent)
// that are finite and at most 1e6 in magnitude, each rounded to the nearest float. Returns true
// and fills corners when the text is such a triangle; otherwise leaves corners alone, returns
// false and says what is wrong in error, in words for the user.
bool parseTriangleText(const std::string& text, float corners[9], std::string& error);

// The same for a triangle in clip space: twelve numbers "x0,y0,z0,w0,x1,...,w2", within the same
// limits, read into the three corners.
bool parseClipText(const std::string& text, Vector4 corners[3], std::string& error);

// Whether text is well-formed UTF-8. A title that is not is mended in the figures (each stray
// byte shown as U+FFFD), so that no document is ever malformed; a caller may refuse it instead.
bool isUtf8(const std::string& text);

// The shortest decimal that reads back (as parseTriangleText and strtof read) to the same
// float: "0.1", not "0.100000001". Non-finite values as "nan", "inf", "-inf".
std::string shortestDecimal(float value);

// The triangle as parseTriangleText reads it, each value the shortest decimal: the explorer's
// address carries it as "#t=" followed by this text; a triangle in clip space as parseClipText
// reads it, "#c=" and this text.
std::string triangleText(const float corners[9]);
std::string clipText(const Vector4 corners[3]);

// A corner given in clip space, where the explorer's views (which show eye space) put it: mapped
// back with matFrustumInverse to (x, y, z, weight) and divided by its weight, the fourth
// component there. The corner is then `weight` times the projection (matFrustum) of that point:
// a positive weight names the point the clipper sees, a negative one the point through
// infinity on its far side, which no test of the view volume counts as inside. Under the
// zero-one volume both go by its own projection (volumeProjection, volumeProjectionInverse),
// so that a corner on its near plane z = 0 is shown on the frustum's near face; gl and
// mismatch project as matFrustum does.
struct EyeCorner {
    bool shown;        // the weight is finite and not 0, and so is the point: the views show it
    float x, y, z;     // the point, eye space (when shown)
    double weight;     // the fourth component, mapped back
    std::string note;  // for the learner, "Corner 1 ...": why the views cannot show it, or what
                       // its w means; "" when there is nothing to say
};
EyeCorner eyeCorner(const Vector4& corner, int k, ClipVolume volume = ClipVolume::Gl);
// The clip-space corner `weight` times the projection of the eye-space point (x, y, z): with
// weight 1 the bits drawTriangleFigures projects it to under that volume.
Vector4 clipCorner(float x, float y, float z, double weight, ClipVolume volume = ClipVolume::Gl);

// Texts as a JSON array of strings: ["corner 1", "a"].
std::string stringsJson(const std::vector<std::string>& texts);

// A polygon as a JSON array of [x, y, z, w] arrays, each value to 9 significant digits (enough
// to read back the same float); a value that is not finite is the string "NaN", "Infinity" or
// "-Infinity".
std::string verticesJson(const ClipPolygon& polygon);
