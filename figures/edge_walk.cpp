// The edge walk of one pass as data, and as JSON. See clip_figures.h.
//
// Each edge is decided by clipEdge, the function clipToPlane itself calls for every edge, so the
// records are the clipper's own decisions; nothing of the clipping arithmetic is redone here.
#include "figures/clip_figures.h"

#include "figures/svg.h"

#include <string>
#include <vector>

std::vector<EdgeRecord> edgeWalk(const ClipPolygon& input, ClipPlane plane)
{
    std::vector<EdgeRecord> records;
    const int n = static_cast<int>(input.size());
    int appended = 0;
    for (int i = 0; i < n; ++i) {
        const int j = (i + 1) % n;
        const ClipEdge edge = clipEdge(input[i], input[j], plane);
        EdgeRecord record{i, j, edge.edgeCase, edge.t, clipDistance(input[i], plane),
                          clipDistance(input[j], plane), {}};
        for (int k = 0; k < edge.count; ++k) record.appended.push_back(appended++);
        records.push_back(record);
    }
    return records;
}

const char* edgeCaseName(ClipEdgeCase edgeCase)
{
    switch (edgeCase) {
    case ClipInIn: return "in-in";
    case ClipInOut: return "in-out";
    case ClipOutIn: return "out-in";
    case ClipOutOut: return "out-out";
    }
    return "";
}

namespace {

bool crosses(ClipEdgeCase edgeCase)
{
    return edgeCase == ClipInOut || edgeCase == ClipOutIn;
}

} // namespace

std::string edgesJson(const std::vector<EdgeRecord>& edges)
{
    std::string json = "[";
    for (std::size_t i = 0; i < edges.size(); ++i) {
        const EdgeRecord& e = edges[i];
        json += i ? ",{" : "{";
        json += "\"from\":" + std::to_string(e.from) + ",\"to\":" + std::to_string(e.to) +
                ",\"case\":\"" + edgeCaseName(e.edgeCase) + "\",\"t\":" +
                (crosses(e.edgeCase) ? fig::jsonNumber(e.t, 17) : "null") +
                ",\"dFrom\":" + fig::jsonNumber(e.dFrom, 17) +
                ",\"dTo\":" + fig::jsonNumber(e.dTo, 17) +
                ",\"appended\":[";
        for (std::size_t k = 0; k < e.appended.size(); ++k) {
            json += (k ? "," : "") + std::to_string(e.appended[k]);
        }
        json += "]}";
    }
    return json + "]";
}
