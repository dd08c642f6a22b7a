// check/: checking a learner's own clipper against this program's, pass by pass and edge by
// edge. The tool cliptrace and the page check.html are built on it; the explorer's practice mode
// judges one edge with it.
//
// What goes in: test triangles (made here, from a seed or the fixed hard set, or read from a
// line of JSON or text), and a learner's trace: one line of JSON per triangle with its polygon
// after each of the six passes, fed in one line at a time.
// What comes out: the triangles and the real clipper's trace as text; for each triangle a result
// (right, or the first wrong pass and edge, the mistake named where a known one explains it, and
// a message in words); the whole check as a report in words, as JSON and as an autograding
// results file; and, for one edge, what a clipper with a given mistake does with it and the
// verdict on a learner's answer for it.
// What it never does: files, console, globals, locale, time. A mistake is data: a mistaken pass
// is clipEdge's walk with the mistaken edge function (mistakenEdge), so a named mistake, the
// edge-level verdict and the explanation come from one place. Every decision of the real
// clipper is clipEdge's or clipToPlane's own; nothing here redoes the clipping arithmetic.
// Same bits everywhere: random triangles come from an integer generator (splitmix64) through
// decimals made by integer arithmetic and read as parseTriangleText reads them; numbers are
// written as shortestDecimal and verticesJson write them, and d and t in messages with printf's
// exactly rounded %g; nothing depends on the C library's sin, cos or pow, or on the locale.
#pragma once

#include "clip/clip.h"
#include "figures/clip_figures.h"
#include "math/vecmath.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <limits>
#include <string>
#include <vector>

// ---- Mistakes -------------------------------------------------------------------------------

// The mistakes a learner's clipper is known to make, each a mistaken decision about one edge
// (wrong-plane and skipped about a whole pass). boundary, under a tolerance, leaves the same
// polygon as the right test, unless a part of the polygon lies in the plane itself (a sliver of
// no area, which it drops): only then is it named for a pass.
enum class ClipMistake {
    None,
    FlippedTest,   // the plane's inequality reversed: inside and outside swapped at both ends
    DividedFirst,  // each end judged by c/w against ±1; a vertex with w = 0 counts as outside
    TFromQ,        // the cut made at 1 - t from P
    TAfterDivide,  // the cut at the parameter where the divided edge meets c/w = ±1 (w > 0 ends)
    MissingCut,    // an in-out edge appends no cut point
    MissingQ,      // an out-in edge appends its cut point but not Q
    Boundary,      // an end exactly on the plane (d = 0) called outside
    WrongPlane,    // the pass clipped against another plane
    Skipped,       // the input handed back unchanged
};

// "flipped-test", "divided-first", "t-from-q", "t-after-divide", "missing-cut", "missing-q",
// "boundary", "wrong-plane", "skipped"; "" for None.
const char* mistakeId(ClipMistake mistake);
// A sentence that explains the mistake to a learner; "" for None.
const char* mistakeExplanation(ClipMistake mistake);
// The mistake of that id, or None for an id that names none.
ClipMistake mistakeFromId(const std::string& id);

// What a clipper that makes `mistake` does with edge P -> Q against plane: the case it judges,
// the t it cuts at (NaN when it does not cut) and what it appends, in the shape of clipEdge.
// None, and wrong-plane (which is clipEdge against the plane used instead), give clipEdge's own;
// skipped keeps every vertex (in-in, Q appended). A mistaken test can call an edge crossing
// whose ends lie on one side of the plane: its t is then d(P) / (d(P) - d(Q)) unclamped, and
// NaN when d(P) = d(Q), with the cut point interpolated as the clipper interpolates.
ClipEdge mistakenEdge(const Vector4& p, const Vector4& q, ClipPlane plane, ClipMistake mistake);
// The pass a clipper with that mistake makes: mistakenEdge over every edge, in walk order.
ClipPolygon mistakenPass(const ClipPolygon& input, ClipPlane plane, ClipMistake mistake);

// "ClipLeft" ... "ClipFar", and the test each keeps, e.g. "x ≥ −w".
const char* planeName(ClipPlane plane);
const char* planeKeeps(ClipPlane plane);

// ---- One edge: a learner's answer (the explorer's practice) -----------------------------------

// How close a t must come to count: the practice's and the checker's edge-level tolerance.
inline constexpr double edgeTTolerance = 0.002;

// A learner's answer for one edge: its case and, for a crossing case, t (NaN when none given).
struct EdgeAnswer {
    ClipEdgeCase edgeCase;
    double t = std::numeric_limits<double>::quiet_NaN();
};
struct EdgeVerdict {
    bool right;          // the case is the clipper's and, where it crosses, t is within tolerance
    bool caseRight;      // the case is the clipper's
    bool tJudged;        // the case is right and crossing, so t was judged
    bool tRight;         // within edgeTTolerance of the clipper's t (or of alsoRightT)
    ClipMistake mistake; // the known mistake that gives this answer, or None
    ClipEdge clipper;    // what the clipper does with the edge (clipEdge)
};
// Judges an answer against clipEdge's decision for P -> Q. A wrong case is named from the case
// alone (flipped-test, divided-first, boundary); t only once the case is right (t-from-q,
// t-after-divide: within the tolerance of what that mistake gives). alsoRightT is a second t
// that counts as right (the practice page's t from the rounded values it shows), NaN for none.
EdgeVerdict judgeEdgeAnswer(const Vector4& p, const Vector4& q, ClipPlane plane,
                            const EdgeAnswer& answer,
                            double alsoRightT = std::numeric_limits<double>::quiet_NaN());

// The words of the practice (check/edge_feedback.cpp). Clip-space values are shown to four
// decimals with a true minus sign ("0.3000", "−0.1000"), as fourDecimals writes them.
std::string fourDecimals(double value);
// The t a learner works out from P and Q as shown (each value to four decimals): d of the shown
// values, then d(P) / (d(P) − d(Q)); NaN where those d are equal. Right too, as alsoRightT.
double shownT(const Vector4& p, const Vector4& q, ClipPlane plane);
// Reads a t as a learner types it: a decimal ("0.75", "-1e-3", with a decimal comma "0,75", a
// true minus sign) or a quotient of two ("0.3/0.4"). False for anything else, empty included.
bool readAnswerT(const std::string& text, double& t);
// What the clipper decided for P -> Q and why, with the numbers: "P: d = w − x = 0.3000 ≥ 0,
// inside; Q: d = −0.1000 < 0, outside: in-out, t = 0.3/(0.3 + 0.1) = 0.75; the edge appends
// the cut point." d and t are the clipper's (clipDistance, clipEdge).
std::string edgeDecisionText(const Vector4& p, const Vector4& q, ClipPlane plane);
// The feedback on a judged answer, a paragraph a line: the verdict ("Right: in-out, t = 0.75."
// or what is not right), the sentence of the mistake named (mistakeExplanation), then what the
// clipper decided (edgeDecisionText).
std::vector<std::string> edgeFeedback(const Vector4& p, const Vector4& q, ClipPlane plane,
                                      const EdgeAnswer& answer, const EdgeVerdict& verdict);

// ---- One pass --------------------------------------------------------------------------------

// How closely a learner's output must match: bit for bit, or each coordinate within relative
// times the largest magnitude among the pass's input coordinates.
struct CheckTolerance {
    bool exact = false;
    double relative = 1e-5;
};
// The absolute tolerance for a pass with this input (0 when exact, or when every finite input
// coordinate is 0).
double passTolerance(const ClipPolygon& input, const CheckTolerance& tolerance);

// The verdict on one pass of a learner's trace, judged on the learner's own input to it.
struct PassVerdict {
    bool right = false;
    int rotation = 0;    // right: the clipper's vertex the learner's list starts at (0: the same)
    int edge = -1;       // wrong: the first edge whose contribution differs (index into the
                         // input's edges, from 0); -1 when the input has no edge
    EdgeRecord record{}; // that edge as the clipper walks it (edgeWalk)
    ClipPolygon clipperAppends;  // what the clipper appends at that edge
    ClipPolygon learnerAppends;  // what the learner's output has in that place
    ClipMistake mistake = ClipMistake::None;  // the known mistake whose pass gives the output
    ClipPlane usedPlane = ClipLeft;           // wrong-plane: the plane clipped against instead
};
// The pass of plane over input, judged against learnerOutput. Under a tolerance consecutive
// vertices within it of each other count as one (a vertex on the plane may come out once or
// twice, as rounding decides); a list that starts at another vertex of the same cyclic order is
// right, with its rotation.
PassVerdict judgePass(const ClipPolygon& input, ClipPlane plane, const ClipPolygon& learnerOutput,
                      const CheckTolerance& tolerance);

// ---- Test triangles --------------------------------------------------------------------------

// A test triangle: its id and its corners in clip space, and in the simulated camera's eye space
// where it has them (the clip corners are then exactly their projection by matFrustum).
struct TestTriangle {
    std::string id;
    bool hasEye = false;
    float eye[9] = {};  // eye space, x y z per corner (when hasEye)
    Vector4 clip[3] = {};
};

// The triangle with these eye-space corners, projected as the mesh pass projects them.
TestTriangle eyeTriangle(const std::string& id, const float eye[9]);
// The fixed hard set, ids "h1" ...: corners exactly on each side plane and as near the near and
// far planes as floats allow, at w = 0, behind the eye, wholly outside and wholly inside, the
// nine-vertex triangle, degenerate ones and values near ±1000000 (check/test_triangles.cpp
// lists them, each with what it tests).
std::vector<TestTriangle> hardTriangles();
// Random triangle `index` (from 1) of the sequence seed gives, id "r<index>": the same on every
// platform, and the same whatever the count asked. Corners in whole thousandths, spread about a
// centre within and around the frustum (check/test_triangles.cpp says how): about a quarter
// wholly inside, an eighth reaching behind the eye.
TestTriangle randomTriangle(std::uint64_t seed, int index);
// The integer generator behind them (and behind the practice sequences, practice/practice.h):
// splitmix64, one 64-bit step of a Weyl sequence on state, then a mix. Exact integer arithmetic,
// so the same words on every platform.
std::uint64_t splitmix64(std::uint64_t& state);

// A triangle as a line of the triangles file, without the line end: JSON, {"id": ..., "eye":
// [9 numbers], "triangle": [[x, y, z, w] x 3]} ("eye" only when it has them), or text,
// "ID x y z w x y z w x y z w". Every number as shortestDecimal writes it.
std::string triangleJsonLine(const TestTriangle& triangle);
std::string triangleTextLine(const TestTriangle& triangle);
// Reads one line of a triangles file, in either form. The JSON form needs "id" and "triangle"
// or "eye" (given both, the triangle is used, and the eye only when it projects to exactly it).
// Returns false with the reason in error.
bool parseTriangleLine(const std::string& line, TestTriangle& triangle, std::string& error);

// The explorer's address of the triangle at pass (1-6) and edge (from 1; 0 for none):
// "explore.html#t=x0,...,z2&pass=K&edge=E", or "#c=x0,y0,z0,w0,...,w2" for one given only in
// clip space.
std::string explorerAddress(const TestTriangle& triangle, int pass, int edge);

// ---- Traces ----------------------------------------------------------------------------------

// The most vertices a polygon of a trace may have: what any pass can give a triangle.
inline constexpr int traceCapacity = int(clipFrustumCapacity(3));
// The longest line a trace or triangles file may have, in bytes (its line end not counted).
inline constexpr std::size_t maxLineBytes = std::size_t(1) << 20;

// The real clipper's trace of the triangle, one line without its line end: {"id": ...,
// "passes": [P1, ..., P6]} (each verticesJson), with "edges" (each pass's edgesJson) when asked.
std::string referenceLine(const TestTriangle& triangle, bool edges);

// One line of a learner's trace as read.
struct TraceLine {
    bool hasId = false;   // an id could be read, even if the rest could not
    std::string id;
    ClipPolygon passes[6];
};
// Reads a line: a JSON object with "id" (a string) and "passes" (six polygons of at most
// traceCapacity vertices, each [x, y, z, w] of numbers, or the strings "NaN", "Infinity" and
// "-Infinity"). Returns false with the reason in error (and the id, when it could be read).
bool parseTraceLine(const std::string& line, TraceLine& trace, std::string& error);

// Splits text arriving in chunks into lines (LF or CR LF), refusing those over maxLineBytes
// without keeping more than that of them. Feed chunks with add(), then finish().
struct LineSplitter {
    std::string current;  // the line so far
    bool tooLong = false; // the line so far is over the limit (its rest is skipped)
    long long number = 0; // the number of the last line handed out, from 1
};
// A line, with its number; tooLong when it was refused (its text then empty).
struct SplitLine {
    long long number;
    bool tooLong;
    std::string text;
};
// Appends each line that the chunk completes to lines (cleared first).
void addChunk(LineSplitter& splitter, const char* data, std::size_t size,
              std::vector<SplitLine>& lines);
// The last line, if the text did not end with a line end: false when there is none.
bool finishLines(LineSplitter& splitter, SplitLine& line);

// ---- The check -------------------------------------------------------------------------------

// Why a triangle could not be checked, if it could not.
enum class TraceProblem {
    None,        // its line was read and checked
    Missing,     // no line of the trace gives it
    Unreadable,  // its line could not be read
    Twice,       // its id comes on more than one line
};

// The result of one triangle.
struct TriangleResult {
    bool right = false;
    TraceProblem problem = TraceProblem::None;
    int pass = 0;        // the first wrong pass, 1 to 6; 0 when right or when none was judged
    int edge = 0;        // the first wrong edge of that pass, from 1; 0 when none
    ClipMistake mistake = ClipMistake::None;
    std::string message; // in words: why it is wrong ("" when right)
    std::vector<std::string> notes;  // what a right answer did differently (a rotated list)
    std::string address; // the explorer at the first wrong pass and edge ("" when right)
    struct WrongPass {
        int pass;        // 1 to 6
        ClipMistake mistake;
    };
    std::vector<WrongPass> wrongPasses;  // every wrong pass, in order
};

// Checks one triangle's six passes, each on the learner's own input to it.
TriangleResult checkTriangle(const TestTriangle& triangle, const ClipPolygon passes[6],
                             const CheckTolerance& tolerance);

// A whole check: the triangles first (addTriangleLine for each line of their file), then the
// trace one line at a time (addTraceLine), then finishCheck. Memory grows with the number of
// triangles, never with the trace's length.
struct TraceCheck {
    CheckTolerance tolerance;
    std::deque<TestTriangle> triangles;    // a deque: it grows without copying them all
    std::deque<long long> triangleLines;   // the line of the triangles file each came from
    std::vector<int> byId;            // indices into triangles, sorted by id
    struct Outcome {
        long long line = 0;           // the trace line that gave it (0: none yet)
        int detail = -1;              // index into details, or -1
        bool judged = false;          // a line was read and checked
        bool right = false;
    };
    std::vector<Outcome> outcomes;    // one per triangle
    std::vector<TriangleResult> details;  // results that are not just "right"
    struct LineProblem {
        long long line;
        std::string message;
    };
    std::vector<LineProblem> triangleProblems;  // lines of the triangles file not read
    std::vector<LineProblem> traceProblems;     // trace lines that belong to no triangle
    std::vector<LineProblem> unattributed;      // bad trace lines without an id, until finish
    bool finished = false;
};
// A line of the triangles file; a bad one, or an id already given, is noted and skipped.
void addTriangleLine(TraceCheck& check, long long number, const std::string& line);
// After the last triangle: readies the check for the trace.
void startTrace(TraceCheck& check);
// A line of the trace (refused: tooLong).
void addTraceLine(TraceCheck& check, long long number, const std::string& line, bool tooLong);
// After the last trace line: a triangle without a line is wrong, as missing.
void finishCheck(TraceCheck& check);

// The result of triangle i of a finished check.
TriangleResult triangleResult(const TraceCheck& check, std::size_t i);
// How many triangles are right.
std::size_t rightCount(const TraceCheck& check);
// Whether every triangle is right and every line of both files was read.
bool allRight(const TraceCheck& check);

// The report in words: a paragraph per wrong triangle, the notes, the lines that belong to no
// triangle, then the summary ("37 of 40 triangles right; ClipNear wrong in 3: divided-first 2,
// missing-q 1").
std::string wordsReport(const TraceCheck& check);
// The one-line summary alone.
std::string summaryLine(const TraceCheck& check);
// {"triangles": M, "right": N, "results": [{"id", "right", "pass", "edge", "mistake",
// "message", "notes", "address"}, ...], "lines": [{"line": n, "message": ...}, ...],
// "triangleLines": [...]}
std::string jsonReport(const TraceCheck& check);
// {"score": S, "tests": [{"name", "score", "max_score", "output"}, ...]}, a test per triangle.
std::string resultsJson(const TraceCheck& check);
