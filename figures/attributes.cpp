// The attribute u through the cuts: carried by the clipper's own t, drawn as a grey, and set
// against what the divided edge's parameter would give. See passes.h.
//
// u is interpolated as the clipper interpolates a coordinate: (u(Q) - u(P))·t + u(P) in double,
// from the edge's start, rounded to float once. That is why one t serves every attribute: before
// the divide each of them, like x, y, z and w, is a linear function along the edge.
#include "figures/passes.h"

#include "figures/svg.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

namespace fig {

namespace {

const float noValue = std::numeric_limits<float>::quiet_NaN();

bool crosses(const EdgeRecord& edge)
{
    return edge.edgeCase == ClipInOut || edge.edgeCase == ClipOutIn;
}

float between(float p, float q, double t)
{
    return float((double(q) - p) * t + p);
}

std::string number(double u)
{
    return compact(u == 0 ? 0.0 : u, 4);  // never "-0"
}

} // namespace

void carryAttributes(TriangleFigures& figures)
{
    std::vector<float> before(figures.rules.u, figures.rules.u + 3);
    for (int pass = 0; pass < 6; ++pass) {
        std::vector<float>& after = figures.attributes[pass];
        if (figures.skipped[pass]) {
            after = before;
            continue;
        }
        after.assign(figures.afterPass[pass].size(), noValue);
        for (const EdgeRecord& edge : figures.edges[pass]) {
            const float p = before[std::size_t(edge.from)], q = before[std::size_t(edge.to)];
            for (std::size_t k = 0; k < edge.appended.size(); ++k) {
                const std::size_t at = std::size_t(edge.appended[k]);
                if (at >= after.size()) continue;
                after[at] = crosses(edge) && k == 0 ? between(p, q, edge.t) : q;
            }
        }
        before = after;
    }
    // clipped is the last pass's output whenever the passes agree.
    figures.clippedAttributes = figures.clipped.size() == figures.attributes[5].size()
                                    ? figures.attributes[5]
                                    : std::vector<float>(figures.clipped.size(), noValue);
}

std::vector<float> attributesBefore(const TriangleFigures& figures, int pass)
{
    if (pass == 0) return {figures.rules.u[0], figures.rules.u[1], figures.rules.u[2]};
    return figures.attributes[pass - 1];
}

std::string attributeGrey(const TriangleFigures& figures, float u)
{
    const float* corners = figures.rules.u;
    const double lo = std::min({corners[0], corners[1], corners[2]});
    const double hi = std::max({corners[0], corners[1], corners[2]});
    double f = hi > lo ? (u - lo) / (hi - lo) : 0.5;
    if (!(f >= 0)) f = 0;  // NaN too
    if (f > 1) f = 1;
    // From a light grey, which still shows on the white ground, to a dark one.
    const int level = 235 - int(f * 190 + 0.5);
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", level, level, level);
    return text;
}

void attributeDisc(std::string& svg, Point p, const std::string& grey)
{
    svg += "<circle cx=\"" + px(p.x) + "\" cy=\"" + px(p.y) + "\" r=\"10\" fill=\"" + grey +
           "\" stroke=\"#424242\" stroke-width=\"1\"/>\n";
}

std::vector<CutAttribute> cutAttributes(const TriangleFigures& figures,
                                        const std::vector<int>& cuts)
{
    std::vector<CutAttribute> result;
    for (int origin : cuts) {
        const std::size_t k = std::size_t(origin - 3);
        if (origin < 3 || k >= figures.cuts.size()) continue;
        const CutPoint& cut = figures.cuts[k];
        const EdgeRecord& edge = figures.edges[cut.pass][std::size_t(cut.edge)];
        const ClipPolygon& before = polygonBefore(figures, cut.pass);
        const std::vector<float> u = attributesBefore(figures, cut.pass);
        const Vector4& p = before[std::size_t(edge.from)];
        const Vector4& q = before[std::size_t(edge.to)];
        const float up = u[std::size_t(edge.from)], uq = u[std::size_t(edge.to)];
        CutAttribute a{origin, figures.attributes[cut.pass][std::size_t(edge.appended[0])], false,
                       0, 0};
        // The divided edge runs from P/w to Q/w only when both ends lie in front of the eye; it
        // meets the plane c = ±s·w where c/w = ±s. The division is for this comparison only.
        const PlaneInfo plane = passPlane(figures, cut.pass);
        const double bound = plane.upper ? plane.scale : -plane.scale;
        const double pc = double(p.*plane.coordinate) / p.w, qc = double(q.*plane.coordinate) / q.w;
        if (p.w > 0 && q.w > 0 && pc != qc && std::isfinite(pc) && std::isfinite(qc)) {
            a.divided = true;
            a.s = (bound - pc) / (qc - pc);
            a.bySplit = up + a.s * (double(uq) - up);
        }
        result.push_back(a);
    }
    return result;
}

std::string attributeStep(const TriangleFigures& figures, int pass, int edge)
{
    if (!figures.rules.attribute || pass < 0 || pass >= 6 || edge < 0 ||
        std::size_t(edge) >= figures.edges[pass].size()) {
        return "";
    }
    const EdgeRecord& record = figures.edges[pass][std::size_t(edge)];
    if (!crosses(record) || record.appended.empty()) return "";
    const std::vector<float> u = attributesBefore(figures, pass);
    const std::size_t at = std::size_t(record.appended[0]);
    if (at >= figures.attributes[pass].size()) return "";
    return "u(I) = u(P) + t·(u(Q) − u(P)) = " + number(figures.attributes[pass][at]) +
           ", from u(P) = " + number(u[std::size_t(record.from)]) + ", u(Q) = " +
           number(u[std::size_t(record.to)]) + " and t = " + number(record.t) +
           ": the same t that cuts x, y, z and w.";
}

} // namespace fig
