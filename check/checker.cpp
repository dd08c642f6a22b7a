// A learner's trace checked triangle by triangle, and the words that explain a wrong pass. See
// clip_check.h.
//
// Each pass is judged on the learner's own input to it (pass 1 on the triangle, pass k on the
// learner's pass k - 1), so one mistake neither hides nor repeats the others. Only a triangle
// with something to say keeps a TriangleResult; the others keep an Outcome of a few bytes, so
// that checking a long right trace holds little more than its triangles.
#include "check/clip_check.h"

#include "check/internal.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

const char* const distanceTexts[6] = {"x + w", "w − x", "y + w", "w − y", "z + w", "w − z"};

bool crosses(ClipEdgeCase edgeCase)
{
    return edgeCase == ClipInOut || edgeCase == ClipOutIn;
}

std::string passTitle(int pass)
{
    const ClipPlane plane = ClipPlane(pass);
    return "Pass " + std::to_string(pass + 1) + ", " + planeName(plane) + " (keeps " +
           planeKeeps(plane) + ")";
}

// What the clipper appends at the edge, in words.
std::string appendsText(const PassVerdict& v)
{
    if (v.clipperAppends.empty()) return "nothing";
    if (!crosses(v.record.edgeCase)) return "Q " + chk::vertexText(v.clipperAppends[0]);
    std::string text = "the cut point " + chk::vertexText(v.clipperAppends[0]);
    if (v.clipperAppends.size() > 1) text += " and then Q " + chk::vertexText(v.clipperAppends[1]);
    return text;
}

// What the learner's output has there, in words.
std::string learnerText(const PassVerdict& v)
{
    if (v.learnerAppends.empty()) return "nothing";
    std::string text;
    for (std::size_t k = 0; k < v.learnerAppends.size(); ++k) {
        text += (k == 0 ? "" : k + 1 < v.learnerAppends.size() ? ", " : " and then ") +
                chk::vertexText(v.learnerAppends[k]);
    }
    return text;
}

std::string mistakeText(const PassVerdict& v, ClipPlane plane)
{
    if (v.mistake == ClipMistake::None) return " No known mistake gives this output.";
    std::string text = " Your output is what a clipper gives that makes the mistake ";
    text += mistakeId(v.mistake);
    if (v.mistake == ClipMistake::WrongPlane) {
        text += std::string(" (it is the pass against ") + planeName(v.usedPlane) +
                " instead of " + planeName(plane) + ")";
    }
    return text + ": " + mistakeExplanation(v.mistake);
}

// A wrong pass in words: where it parts from the clipper, with the edge's numbers.
std::string passMessage(int pass, const ClipPolygon& input, const ClipPolygon& output,
                        const PassVerdict& v)
{
    const ClipPlane plane = ClipPlane(pass);
    const std::string from = pass == 0 ? "the triangle" : "your pass " + std::to_string(pass);
    std::string text = passTitle(pass);
    if (input.empty()) {
        return text + ": its input (" + from + ") is empty, so nothing comes out; your output " +
               "has " + std::to_string(output.size()) + " vertices." + mistakeText(v, plane);
    }
    const EdgeRecord& r = v.record;
    text += ", edge " + std::to_string(v.edge + 1) + " of " + std::to_string(input.size()) +
            " (vertex " + std::to_string(r.from) + " → vertex " + std::to_string(r.to) +
            " of its input, " + from + "): " + edgeCaseName(r.edgeCase) + ", d(P) = " +
            distanceTexts[pass] + " = " + chk::shortNumber(r.dFrom) + ", d(Q) = " +
            chk::shortNumber(r.dTo);
    if (crosses(r.edgeCase)) text += ", t = " + chk::shortNumber(r.t);
    text += ". The clipper appends " + appendsText(v) + " there; your output has " +
            learnerText(v) + " in that place.";
    return text + mistakeText(v, plane);
}

std::string rotationNote(int pass, int rotation)
{
    return passTitle(pass) + ": your list starts at the clipper's vertex " +
           std::to_string(rotation) + ", not at its vertex 0: the same polygon in the same " +
           "cyclic order, so it counts as right.";
}

// The explorer's edge for edge `edge` of the learner's input to pass `pass`: the explorer walks
// the clipper's own chain of passes, whose list may start elsewhere than the learner's.
int explorerEdge(const TestTriangle& triangle, const ClipPolygon passes[6], int pass, int edge,
                 const CheckTolerance& tolerance)
{
    if (pass == 0 || edge < 0) return edge;
    ClipPolygon chain(triangle.clip, triangle.clip + 3);
    for (int k = 0; k < pass; ++k) {
        ClipPolygon output(std::size_t(clipPassCapacity(int(chain.size()))));
        output.resize(std::size_t(
            clipToPlane(chain.data(), int(chain.size()), output.data(), ClipPlane(k))));
        chain = output;
    }
    const int offset = chk::cyclicOffset(passes[pass - 1], chain, tolerance);
    if (offset < 0) return edge;
    return (edge + offset) % int(chain.size());
}

} // namespace

TriangleResult checkTriangle(const TestTriangle& triangle, const ClipPolygon passes[6],
                             const CheckTolerance& tolerance)
{
    TriangleResult result;
    result.right = true;
    ClipPolygon input(triangle.clip, triangle.clip + 3);
    int firstEdge = -1;
    for (int pass = 0; pass < 6; ++pass) {
        const PassVerdict v = judgePass(input, ClipPlane(pass), passes[pass], tolerance);
        if (v.right) {
            if (v.rotation != 0) result.notes.push_back(rotationNote(pass, v.rotation));
        } else {
            if (result.right) {
                result.right = false;
                result.pass = pass + 1;
                result.edge = v.edge + 1;
                result.mistake = v.mistake;
                firstEdge = v.edge;
            }
            result.wrongPasses.push_back({pass + 1, v.mistake});
            if (!result.message.empty()) result.message += "\n";
            result.message += passMessage(pass, input, passes[pass], v);
        }
        input = passes[pass];
    }
    if (!result.right) {
        const int edge = explorerEdge(triangle, passes, result.pass - 1, firstEdge, tolerance);
        result.address = explorerAddress(triangle, result.pass, edge + 1);
    }
    return result;
}

namespace {

bool blank(const std::string& line)
{
    return line.find_first_not_of(" \t\r") == std::string::npos;
}

// The index of the triangle with this id, or -1.
int findTriangle(const TraceCheck& check, const std::string& id)
{
    const auto at = std::lower_bound(
        check.byId.begin(), check.byId.end(), id,
        [&](int i, const std::string& key) { return check.triangles[std::size_t(i)].id < key; });
    if (at == check.byId.end() || check.triangles[std::size_t(*at)].id != id) return -1;
    return *at;
}

// Triangle i is judged wrong for a reason of its trace line, not of its passes.
void judgeUnread(TraceCheck& check, std::size_t i, long long line, TraceProblem problem,
                 const std::string& message)
{
    TraceCheck::Outcome& outcome = check.outcomes[i];
    TriangleResult result;
    result.problem = problem;
    result.message = message;
    if (outcome.detail >= 0) {
        check.details[std::size_t(outcome.detail)] = result;
    } else {
        outcome.detail = int(check.details.size());
        check.details.push_back(result);
    }
    if (outcome.line == 0) outcome.line = line;
    outcome.judged = true;
    outcome.right = false;
}

std::string lineName(long long line)
{
    return "line " + std::to_string(line) + " of the trace";
}

// A second line for triangle i.
void judgeTwice(TraceCheck& check, std::size_t i, long long line)
{
    const TriangleResult earlier = triangleResult(check, i);
    if (earlier.problem == TraceProblem::Twice) return;  // named at its second line already
    const std::string& id = check.triangles[i].id;
    judgeUnread(check, i, line, TraceProblem::Twice,
                lineName(line) + " gives " + id + " again (" +
                    lineName(check.outcomes[i].line) + " gave it first): each triangle " +
                    "needs exactly one line.");
}

} // namespace

void addTriangleLine(TraceCheck& check, long long number, const std::string& line)
{
    if (blank(line)) return;
    TestTriangle triangle;
    std::string error;
    if (!parseTriangleLine(line, triangle, error)) {
        check.triangleProblems.push_back({number, "line " + std::to_string(number) +
                                                      " of the triangles " + error});
        return;
    }
    if (triangle.id.empty()) {
        check.triangleProblems.push_back(
            {number, "line " + std::to_string(number) + " of the triangles has an empty id"});
        return;
    }
    check.triangles.push_back(triangle);
    check.triangleLines.push_back(number);
}

void startTrace(TraceCheck& check)
{
    // An id given again in the triangles file is refused there: the first one stands.
    std::vector<int> order(check.triangles.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return check.triangles[std::size_t(a)].id < check.triangles[std::size_t(b)].id;
    });
    std::vector<bool> drop(check.triangles.size(), false);
    for (std::size_t k = 1; k < order.size(); ++k) {
        const std::size_t a = std::size_t(order[k - 1]), b = std::size_t(order[k]);
        if (check.triangles[a].id != check.triangles[b].id) continue;
        drop[b] = true;
        order[k] = int(a);  // the first of the run stays the one compared with
        check.triangleProblems.push_back(
            {check.triangleLines[b], "line " + std::to_string(check.triangleLines[b]) +
                                         " of the triangles gives the id " +
                                         check.triangles[b].id + " again (line " +
                                         std::to_string(check.triangleLines[a]) + ")"});
    }
    // Compacted in place: a second copy of every triangle would double the check's memory.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < check.triangles.size(); ++i) {
        if (drop[i]) continue;
        if (kept != i) {
            check.triangles[kept] = std::move(check.triangles[i]);
            check.triangleLines[kept] = check.triangleLines[i];
        }
        ++kept;
    }
    check.triangles.resize(kept);
    check.triangleLines.resize(kept);
    std::sort(check.triangleProblems.begin(), check.triangleProblems.end(),
              [](const TraceCheck::LineProblem& a, const TraceCheck::LineProblem& b) {
                  return a.line < b.line;
              });
    check.byId.resize(check.triangles.size());
    for (std::size_t i = 0; i < check.byId.size(); ++i) check.byId[i] = int(i);
    std::sort(check.byId.begin(), check.byId.end(), [&](int a, int b) {
        return check.triangles[std::size_t(a)].id < check.triangles[std::size_t(b)].id;
    });
    check.outcomes.assign(check.triangles.size(), {});
}

void addTraceLine(TraceCheck& check, long long number, const std::string& line, bool tooLong)
{
    if (!tooLong && blank(line)) return;
    TraceLine trace;
    std::string error = "is longer than 1 MiB, and is not read";
    const bool read = !tooLong && parseTraceLine(line, trace, error);
    if (!trace.hasId) {
        check.unattributed.push_back({number, error});
        return;
    }
    const int found = findTriangle(check, trace.id);
    if (found < 0) {
        check.traceProblems.push_back(
            {number, lineName(number) + " gives the id " + chk::jsonString(trace.id) +
                         ", which no triangle has" + (read ? "" : "; it also " + error)});
        return;
    }
    const std::size_t i = std::size_t(found);
    if (check.outcomes[i].line != 0) {
        judgeTwice(check, i, number);
        return;
    }
    if (!read) {
        judgeUnread(check, i, number, TraceProblem::Unreadable,
                    lineName(number) + ", the line of " + trace.id + ", cannot be read: it " +
                        error + ".");
        return;
    }
    TriangleResult result = checkTriangle(check.triangles[i], trace.passes, check.tolerance);
    TraceCheck::Outcome& outcome = check.outcomes[i];
    outcome.line = number;
    outcome.judged = true;
    outcome.right = result.right;
    if (!result.right || !result.notes.empty()) {
        outcome.detail = int(check.details.size());
        check.details.push_back(std::move(result));
    }
}

void finishCheck(TraceCheck& check)
{
    // A line without a readable id stands for the triangle of its position, if that one has no
    // line of its own.
    for (const TraceCheck::LineProblem& problem : check.unattributed) {
        const long long position = problem.line - 1;
        if (position >= 0 && position < (long long)check.triangles.size() &&
            check.outcomes[std::size_t(position)].line == 0) {
            const std::string& id = check.triangles[std::size_t(position)].id;
            judgeUnread(check, std::size_t(position), problem.line, TraceProblem::Unreadable,
                        lineName(problem.line) + ", taken for " + id + " (the triangle of " +
                            "that place), cannot be read: it " + problem.message + ".");
        } else {
            check.traceProblems.push_back(
                {problem.line, lineName(problem.line) + " cannot be read: it " +
                                   problem.message});
        }
    }
    check.unattributed.clear();
    for (std::size_t i = 0; i < check.outcomes.size(); ++i) {
        if (check.outcomes[i].line != 0) continue;
        TriangleResult result;
        result.problem = TraceProblem::Missing;
        result.message = check.triangles[i].id + " is missing from the trace: no line gives it.";
        check.outcomes[i].detail = int(check.details.size());
        check.details.push_back(result);
    }
    std::stable_sort(check.traceProblems.begin(), check.traceProblems.end(),
                     [](const TraceCheck::LineProblem& a, const TraceCheck::LineProblem& b) {
                         return a.line < b.line;
                     });
    check.finished = true;
}

TriangleResult triangleResult(const TraceCheck& check, std::size_t i)
{
    const TraceCheck::Outcome& outcome = check.outcomes[i];
    if (outcome.detail >= 0) return check.details[std::size_t(outcome.detail)];
    TriangleResult result;
    result.right = outcome.judged && outcome.right;
    return result;
}

std::size_t rightCount(const TraceCheck& check)
{
    std::size_t right = 0;
    for (const TraceCheck::Outcome& outcome : check.outcomes) right += outcome.right ? 1 : 0;
    return right;
}

bool allRight(const TraceCheck& check)
{
    return rightCount(check) == check.triangles.size() && check.traceProblems.empty() &&
           check.triangleProblems.empty() && check.unattributed.empty();
}
