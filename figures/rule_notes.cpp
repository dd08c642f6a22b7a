// What other rules change, in sentences: for the header, the foot and the description of each
// figure drawn under them. See passes.h.
#include "figures/passes.h"

#include "figures/svg.h"

#include <algorithm>
#include <string>
#include <vector>

namespace fig {

namespace {

std::string vertices(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " vertex" : " vertices");
}

std::string cutsText(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " cut" : " cuts");
}

// Why depth clamp still keeps what lies behind the eye out of the picture.
const char* const behindTheEye =
    "The side planes still remove what lies behind the eye: −w ≤ x ≤ w holds for no point with "
    "w < 0.";

std::string depthText(double depth)
{
    return compact(depth, 4);
}

// Where the mismatch puts the near plane, in a sentence.
std::string mismatchNear()
{
    return "OpenGL's projection puts the near face at z = −w, but this test keeps z ≥ 0: the "
           "near plane then lies at the depth 2fn/(f + n) = " +
           depthText(mismatchNearDepth()) + ", not at the near face's " +
           depthText(frustum.near) + ", and what lies between is cut away.";
}

} // namespace

std::size_t cutCount(const std::vector<std::vector<EdgeRecord>>& walks)
{
    std::size_t count = 0;
    for (const std::vector<EdgeRecord>& walk : walks) {
        for (const EdgeRecord& edge : walk) {
            const bool crosses = edge.edgeCase == ClipInOut || edge.edgeCase == ClipOutIn;
            if (crosses && !edge.appended.empty()) ++count;
        }
    }
    return count;
}

std::string rulesNote(const TriangleFigures& figures)
{
    if (isProgramRules(figures.rules)) return "";
    return "Rules: " + rulesLabel(figures.rules) + ".";
}

std::vector<std::string> passRuleNotes(const TriangleFigures& figures, int pass, bool brief)
{
    const ClipRules& rules = figures.rules;
    const PlaneInfo plane = passPlane(figures, pass);
    const std::string g = std::to_string(rules.guard);
    std::vector<std::string> notes;
    if (figures.skipped[pass]) {
        notes.push_back(std::string("Depth clamp: ") + plane.enumerator + " is not made; its " +
                        vertices(polygonBefore(figures, pass).size()) +
                        " pass on unchanged. Depth is clamped instead: each fragment's depth is "
                        "held within the depth range, so what lies nearer than the near face or "
                        "beyond the far one is drawn at that face's depth, not cut away.");
        if (pass == ClipNear) notes.push_back(behindTheEye);
    } else if (plane.coordinate != &Vector4::z && rules.guard != 1) {
        const std::string edge = std::string(plane.axis) + (plane.upper ? " = w" : " = −w");
        notes.push_back(brief ? "Guard band " + g + ": the plane " + planeText(plane) +
                                    ", not the viewport's edge " + edge +
                                    "; the rasteriser draws only what lies inside the viewport."
                              : "Guard band " + g + ": " + plane.enumerator + " tests " +
                                    insideText(plane) + ", " + g +
                                    " times as far out as the viewport's edge " + edge +
                                    ". What lies between is kept and handed to the rasteriser, "
                                    "which draws only the pixels inside the viewport: that part "
                                    "is never seen, and the edges there need no cut.");
    } else if (pass == ClipNear && rules.volume == ClipVolume::ZeroOne) {
        notes.push_back(brief ? "0 ≤ z ≤ w: the projection made for it puts the near face at "
                                "z = 0, so ClipNear keeps z ≥ 0."
                              : "0 ≤ z ≤ w, as Direct3D, Vulkan, Metal and WebGPU clip: the "
                                "projection made for it puts the near face at z = 0 and the far "
                                "face at z = w, so ClipNear keeps z ≥ 0, where d = z.");
    } else if (pass == ClipNear && rules.volume == ClipVolume::Mismatch) {
        notes.push_back(brief ? "Mismatch: the plane z = 0 of OpenGL's projection lies at the "
                                "depth 2fn/(f + n) = " + depthText(mismatchNearDepth()) +
                                    ", not at the near face's " + depthText(frustum.near) + "."
                              : "Mismatch: " + mismatchNear());
    }
    if (rules.attribute && !brief) {
        const float* u = rules.u;
        const float lo = std::min({u[0], u[1], u[2]}), hi = std::max({u[0], u[1], u[2]});
        const std::string range = "light (u = " + compact(lo == 0 ? 0.0f : lo, 4) +
                                  ") to dark (u = " + compact(hi == 0 ? 0.0f : hi, 4) + ")";
        notes.push_back("u, each vertex's attribute, is drawn as a grey from " + range +
                        "; a cut point's u is u(P) + t·(u(Q) − u(P)) with the clipper's own t.");
    }
    return notes;
}

std::vector<std::string> finalRuleNotes(const TriangleFigures& figures)
{
    const ClipRules& rules = figures.rules;
    std::vector<std::string> notes;
    if (rules.volume == ClipVolume::ZeroOne && !rules.depthClamp) {
        notes.push_back("Clipped against 0 ≤ z ≤ w, as Direct3D, Vulkan, Metal and WebGPU clip, "
                        "with the projection made for it: the same frustum as OpenGL's "
                        "−w ≤ z ≤ w, so the same picture, up to rounding.");
    }
    if (rules.volume == ClipVolume::Mismatch && !rules.depthClamp) {
        notes.push_back("Mismatch: " + mismatchNear() + " " +
                        (figures.lost.empty()
                             ? "Nothing of this triangle lies there: nothing is lost."
                             : "Lost (purple): what OpenGL's volume keeps there, " +
                                   vertices(figures.lost.size()) + "."));
    }
    if (rules.depthClamp) {
        notes.push_back(std::string("Depth clamp: ClipNear and ClipFar are not made, so nothing "
                                    "is cut at the near or the far face; each fragment's depth "
                                    "is clamped into the depth range instead. ") +
                        behindTheEye);
    }
    if (rules.guard != 1) {
        const std::string g = std::to_string(rules.guard);
        notes.push_back("Guard band " + g + ": " + cutsText(figures.cuts.size()) + ", against " +
                        cutsText(figures.unguardedCuts) +
                        " with G = 1. Inside the viewport (the face) the picture is the same; "
                        "the rasteriser fills only the pixels within it, so the rest, out to ±" +
                        g + " on the face's scale, is never drawn.");
    }
    if (rules.attribute) {
        const std::vector<int> origins = clippedOrigins(figures);
        for (const CutAttribute& cut : cutAttributes(figures, cutsAmong({origins}))) {
            const std::string name = originLabel(cut.origin);
            std::string note = "u at " + name + ": " + compact(cut.byT, 4) + " by the clipper's t";
            note += cut.divided ? "; the divided edge's parameter, " + compact(cut.s, 4) +
                                      ", would give " + compact(cut.bySplit, 4) + "."
                                : "; its edge has an end with w ≤ 0, so no divided edge joins "
                                  "them.";
            notes.push_back(note);
        }
        notes.push_back("Cut before the divide, u changes along the edge as x, y, z and w do, "
                        "linearly, so the t that puts the cut point on the plane gives every "
                        "attribute. After the divide it does not: the divided edge's parameter "
                        "gives another u wherever the ends' w differ.");
    }
    return notes;
}

} // namespace fig
