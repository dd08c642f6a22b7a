// The clip explorer's practice, its compiled side: the functions explorer_practice.js calls to
// ask one edge of a pass, judge the learner's answer and give the answer. Everything comes from
// the drawing the page shows (explorerDrawing) and the check library (check/clip_check.h): the
// verdict is judgeEdgeAnswer's, the same the checker of a learner's clipper gives, and its words
// are edgeFeedback's; the script judges nothing.
//
//   explorerPracticeFirstPass()           the pass (1 to 6) to practise when none is named
//   explorerPracticeProgramRules()        1 when the drawing follows the program's rules
//   explorerPracticeQuestion(pass, edge)  edge `edge` (from 0) of pass `pass` (0 to 5) as asked
//   explorerPracticeCheck(pass, edge, edgeCase, length)  the verdict on an answer, its t the
//                                         text of `length` bytes in explorerTextBuffer()
//   explorerPracticeAnswer(pass, edge)    what the clipper decided, for "Show answer"
//   explorerPracticeFigure(pass, edge, layout)  the question figure (drawQuestionFigure) as a
//                                         data URL; its summary and description after it
//   explorerPracticeUseTriangle(length, pass, n)  triangle n of the sequence of the seed written
//                                         in explorerTextBuffer() for pass `pass` (1 to 6),
//                                         into explorerCorners()
// Each text stays valid until the next call of the same function.
#include "check/clip_check.h"
#include "figures/clip_figures.h"
#include "practice/practice.h"
#include "web/explorer/explorer_drawing.h"

#include <emscripten/emscripten.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

extern "C" {
char* explorerTextBuffer();
int explorerTextCapacity();
float* explorerCorners();
}

namespace {

struct PracticeState {
    std::string question;  // the last explorerPracticeQuestion
    std::string verdict;   // the last explorerPracticeCheck
    std::string answer;    // the last explorerPracticeAnswer
    Figure figure;         // the last question figure
    std::string figureUrl; // it as a data URL
};

PracticeState state;

// One string as JSON, quotes included.
std::string jsonText(const std::string& text)
{
    const std::string array = stringsJson({text});
    return array.substr(1, array.size() - 2);
}

// The polygon entering pass `pass` of the drawing.
const ClipPolygon& inputOf(const TriangleFigures& drawn, int pass)
{
    return pass == 0 ? drawn.triangle : drawn.afterPass[pass - 1];
}

// The edge record of pass `pass`, edge `edge`, or nullptr when there is none.
const EdgeRecord* recordOf(const TriangleFigures& drawn, int pass, int edge)
{
    if (pass < 0 || pass >= 6 || edge < 0) return nullptr;
    const std::vector<EdgeRecord>& walk = drawn.edges[pass];
    return std::size_t(edge) < walk.size() ? &walk[std::size_t(edge)] : nullptr;
}

// An end of the edge as the question shows it: its place in the list entering the pass, its
// name in the one numbering (with the key of a cut point) and its values to four decimals.
std::string endJson(const TriangleFigures& drawn, int pass, int vertex)
{
    const Vector4& v = inputOf(drawn, pass)[std::size_t(vertex)];
    const int origin = originsBefore(drawn, pass)[std::size_t(vertex)];
    return "{\"vertex\":" + std::to_string(vertex) + ",\"name\":" + jsonText(originName(origin)) +
           ",\"key\":" + jsonText(cutKey(drawn, origin)) + ",\"values\":" +
           stringsJson({fourDecimals(v.x), fourDecimals(v.y), fourDecimals(v.z),
                        fourDecimals(v.w)}) +
           "}";
}

bool crosses(ClipEdgeCase edgeCase)
{
    return edgeCase == ClipInOut || edgeCase == ClipOutIn;
}

std::string verdictJson(const char* verdict, const char* mistake,
                        const std::vector<std::string>& lines)
{
    return std::string("{\"verdict\":\"") + verdict + "\",\"mistake\":\"" + mistake +
           "\",\"lines\":" + stringsJson(lines) + "}";
}

} // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE int explorerPracticeFirstPass()
{
    const TriangleFigures& drawn = explorerDrawing();
    for (int pass = 0; pass < 6; ++pass) {
        for (const EdgeRecord& record : drawn.edges[pass]) {
            if (crosses(record.edgeCase)) return pass + 1;
        }
    }
    return 1;
}

// Practice asks about the program's clipper, whose every decision is clipEdge's: under other
// rules the page draws another walk, which this does not judge.
EMSCRIPTEN_KEEPALIVE int explorerPracticeProgramRules()
{
    return isProgramRules(explorerDrawing().rules) ? 1 : 0;
}

// {"count": edges in the walk, "edge": e, "plane": "ClipRight", "test": "ClipRight keeps x ≤
// w", "from": P, "to": Q} with each end {"vertex": i, "name": "corner 1", "key": "" or "a: cut
// of corner 1 → corner 2 by ClipLeft", "values": [x, y, z, w] as four-decimal texts}; "null"
// when the pass has no such edge. Nothing of the answer: no case, d, t or what is appended.
EMSCRIPTEN_KEEPALIVE const char* explorerPracticeQuestion(int pass, int edge)
{
    const TriangleFigures& drawn = explorerDrawing();
    const EdgeRecord* record = recordOf(drawn, pass, edge);
    if (!record) {
        state.question = "null";
        return state.question.c_str();
    }
    const ClipPlane plane = ClipPlane(pass);
    state.question = "{\"count\":" + std::to_string(drawn.edges[pass].size()) +
                     ",\"edge\":" + std::to_string(edge) + ",\"plane\":" +
                     jsonText(planeName(plane)) + ",\"test\":" +
                     jsonText(std::string(planeName(plane)) + " keeps " + planeKeeps(plane)) +
                     ",\"from\":" + endJson(drawn, pass, record->from) +
                     ",\"to\":" + endJson(drawn, pass, record->to) + "}";
    return state.question.c_str();
}

// The verdict on the answer edgeCase (0 in-in, 1 in-out, 2 out-in, 3 out-out, as ClipEdgeCase;
// -1 none chosen) with t typed as the text in explorerTextBuffer(), length bytes: {"verdict":
// "right" | "wrong", "mistake": its id or "", "lines": [the feedback, a paragraph a line]}. An
// answer that cannot be judged yet, no case chosen or, for a crossing case, no number for t,
// gets the verdict "" and a line that says what is missing. The t field means nothing to a case
// that does not cross. A t counts as right within 0.002 of the clipper's t or of the t worked
// from the values as the question shows them.
EMSCRIPTEN_KEEPALIVE const char* explorerPracticeCheck(int pass, int edge, int edgeCase,
                                                       int length)
{
    const TriangleFigures& drawn = explorerDrawing();
    const EdgeRecord* record = recordOf(drawn, pass, edge);
    if (!record) {
        state.verdict = "null";
        return state.verdict.c_str();
    }
    if (edgeCase < 0 || edgeCase > 3) {
        state.verdict = verdictJson("", "", {"Choose the edge's case first: which of P and Q "
                                             "lie inside the plane."});
        return state.verdict.c_str();
    }
    EdgeAnswer answer{ClipEdgeCase(edgeCase)};
    if (crosses(answer.edgeCase)) {
        const std::string typed =
            length >= 0 && length < explorerTextCapacity()
                ? std::string(explorerTextBuffer(), std::size_t(length))
                : std::string();
        double t = 0;
        if (!readAnswerT(typed, t)) {
            const std::string shown = typed.size() > 20 ? typed.substr(0, 17) + "…" : typed;
            state.verdict = verdictJson(
                "", "",
                {typed.find_first_not_of(" \t") == std::string::npos
                     ? "An edge that crosses the plane needs its t too: type it in the field "
                       "t, as a decimal such as 0.25 or a quotient such as 0.1/0.4."
                     : "t, “" + shown + "”, is not a number: type it as a decimal such as 0.25 "
                       "or a quotient such as 0.1/0.4."});
            return state.verdict.c_str();
        }
        answer.t = t;
    }
    const ClipPolygon& input = inputOf(drawn, pass);
    const Vector4& p = input[std::size_t(record->from)];
    const Vector4& q = input[std::size_t(record->to)];
    const ClipPlane plane = ClipPlane(pass);
    const EdgeVerdict verdict = judgeEdgeAnswer(p, q, plane, answer, shownT(p, q, plane));
    state.verdict = verdictJson(verdict.right ? "right" : "wrong", mistakeId(verdict.mistake),
                                edgeFeedback(p, q, plane, answer, verdict));
    return state.verdict.c_str();
}

// {"lines": ["The answer: " and what the clipper decided]}, or "null" for no such edge.
EMSCRIPTEN_KEEPALIVE const char* explorerPracticeAnswer(int pass, int edge)
{
    const TriangleFigures& drawn = explorerDrawing();
    const EdgeRecord* record = recordOf(drawn, pass, edge);
    if (!record) {
        state.answer = "null";
        return state.answer.c_str();
    }
    const ClipPolygon& input = inputOf(drawn, pass);
    state.answer = "{\"lines\":" +
                   stringsJson({"The answer: " +
                                edgeDecisionText(input[std::size_t(record->from)],
                                                 input[std::size_t(record->to)],
                                                 ClipPlane(pass))}) +
                   "}";
    return state.answer.c_str();
}

// The question figure of edge `edge` (from 0; -1 for none marked) of pass `pass` (0 to 5) in a
// layout (0 print, 1 screen, 2 compact): a data URL of its bytes, "" when there is none.
EMSCRIPTEN_KEEPALIVE const char* explorerPracticeFigure(int pass, int edge, int layout)
{
    const FigureLayout layouts[3] = {FigureLayout::Print, FigureLayout::Screen,
                                     FigureLayout::Compact};
    state.figure = drawQuestionFigure(explorerDrawing(), pass, edge,
                                      layouts[layout >= 0 && layout < 3 ? layout : 0]);
    state.figureUrl = state.figure.svg.empty() ? "" : explorerFigureUrl(state.figure.svg);
    return state.figureUrl.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* explorerPracticeFigureSummary()
{
    return state.figure.summary.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* explorerPracticeFigureDescription()
{
    return state.figure.description.c_str();
}

// Writes triangle n (from 1) of the sequence that the seed (decimal digits, `length` bytes in
// explorerTextBuffer()) gives for pass `pass` (1 to 6) into the eye-space corners: 1, or 0
// (the corners unchanged) for a seed, pass or n out of range.
EMSCRIPTEN_KEEPALIVE int explorerPracticeUseTriangle(int length, int pass, int n)
{
    if (length < 0 || length >= explorerTextCapacity()) return 0;
    std::uint64_t seed = 0;
    if (!parsePracticeSeed(std::string(explorerTextBuffer(), std::size_t(length)), seed)) {
        return 0;
    }
    return practiceTriangle(seed, pass, n, explorerCorners()) ? 1 : 0;
}

} // extern "C"
