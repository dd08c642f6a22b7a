// The clip explorer's rules of other clippers: the functions its page script calls to choose
// them and to read what a drawing under them gives its containers. The page passes the rules in
// (as numbers, or as the address's parameters in text) and shows what comes back; every figure,
// walk, attribute and label comes from the figure library.
//
//   explorerSetRules(volume, clamp, guard, attribute)  volume 0 gl, 1 zero-one, 2 mismatch;
//                                 clamp and attribute 0 or 1; guard 1, 2, 4 or 8. The corners'
//                                 u are the three floats at explorerAttributeValues().
//   explorerParseRules(length)    the same from text in explorerTextBuffer(): the address's
//                                 parameters, e.g. "volume=zero-one&clamp&guard=4&u=0,0.5,1"
//                                 (other parameters passed over)
// Both return 1, or 0 with explorerRulesMessage() saying why, the rules then unchanged. The
// next explorerDraw or explorerDrawClip draws under them; after it, per container i (0 to 5 the
// passes, 6 the result): explorerAttributes(i), the u of its polygon's vertices as JSON in the
// order of data-vertices, and explorerSkipped(i), 1 for a pass not made; explorerRulesLabel()
// names the rules drawn under; explorerStepAttributes(pass, edge) gives a step's u.
#include "web/explorer/explorer_rules.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <vector>

extern "C" {
char* explorerTextBuffer();
int explorerTextCapacity();
}

namespace {

struct RulesState {
    ClipRules rules;                    // what the page set last
    std::string message;                // why it was refused
    std::string text, attributeText;    // the rules as address parameters, the corners' u
    const TriangleFigures* drawn = nullptr;  // the last drawing (explorer.cpp keeps it)
    std::string label;                  // the rules it was drawn under, at a glance
    std::string attributes[7];          // u of each container's polygon, as JSON
    std::string step;                   // the last explorerStepAttributes
};

RulesState state;

bool withinLimits(const float u[3])
{
    for (int k = 0; k < 3; ++k) {
        if (!(std::fabs(u[k]) <= 1e6f)) return false;
    }
    return true;
}

void keepRules(const ClipRules& rules)
{
    state.rules = rules;
    state.text = rulesText(rules);
    state.attributeText = attributeText(rules.u);
}

} // namespace

const ClipRules& explorerRules()
{
    return state.rules;
}

void keepRuledDrawing(const TriangleFigures& drawn)
{
    state.drawn = &drawn;
    state.label = rulesLabel(drawn.rules);
    for (int i = 0; i < 7; ++i) {
        state.attributes[i] = attributesJson(i < 6 ? drawn.attributes[i] : drawn.clippedAttributes);
    }
}

extern "C" {

// Where the script writes the corners' u: three floats, corner 0 first. Read by
// explorerSetRules, which checks them.
EMSCRIPTEN_KEEPALIVE float* explorerAttributeValues()
{
    static float values[3] = {0, 0.5f, 1};
    return values;
}

EMSCRIPTEN_KEEPALIVE int explorerSetRules(int volume, int clamp, int guard, int attribute)
{
    ClipRules rules;
    if (volume < 0 || volume > 2) {
        state.message = "the volume is 0 (gl), 1 (zero-one) or 2 (mismatch)";
        return 0;
    }
    if (guard != 1 && guard != 2 && guard != 4 && guard != 8) {
        state.message = "the guard band is 1, 2, 4 or 8";
        return 0;
    }
    const float* u = explorerAttributeValues();
    if (!withinLimits(u)) {
        state.message = "a corner's u is not a number within ±1000000";
        return 0;
    }
    rules.volume = ClipVolume(volume);
    rules.depthClamp = clamp != 0;
    rules.guard = guard;
    rules.attribute = attribute != 0;
    std::copy(u, u + 3, rules.u);
    keepRules(rules);
    return 1;
}

// Reads the rules from the length bytes of text the script wrote into explorerTextBuffer().
EMSCRIPTEN_KEEPALIVE int explorerParseRules(int length)
{
    if (length < 0 || length >= explorerTextCapacity()) {
        state.message = "the text is too long for the rules";
        return 0;
    }
    ClipRules rules;
    if (!parseRulesText(std::string(explorerTextBuffer(), std::size_t(length)), rules,
                        state.message)) {
        return 0;
    }
    std::copy(rules.u, rules.u + 3, explorerAttributeValues());
    keepRules(rules);
    return 1;
}

EMSCRIPTEN_KEEPALIVE const char* explorerRulesMessage()
{
    return state.message.c_str();
}

// The rules set, as the address carries them ("" for the program's), and the corners' u as
// shortest decimals ("0,0.5,1").
EMSCRIPTEN_KEEPALIVE const char* explorerRulesText()
{
    state.text = rulesText(state.rules);
    return state.text.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* explorerAttributeText()
{
    state.attributeText = attributeText(state.rules.u);
    return state.attributeText.c_str();
}

// The rules the last drawing was made under, at a glance: "Vulkan: 0 ≤ z ≤ w · guard band 4".
// A triangle in clip space has no projection to mismatch, so its mismatch is drawn as zero-one.
EMSCRIPTEN_KEEPALIVE const char* explorerRulesLabel()
{
    if (!state.drawn) state.label = rulesLabel(state.rules);
    return state.label.c_str();
}

// Container i's u (0 to 5 after each pass, 6 the result), as JSON in its data-vertices' order.
EMSCRIPTEN_KEEPALIVE const char* explorerAttributes(int i)
{
    return i >= 0 && i < 7 ? state.attributes[i].c_str() : "[]";
}

// 1 when pass `pass` (0 to 5) of the last drawing was not made (depth clamp): its container's
// data-vertices are its input, its walk is empty.
EMSCRIPTEN_KEEPALIVE int explorerSkipped(int pass)
{
    return state.drawn && pass >= 0 && pass < 6 && state.drawn->skipped[pass] ? 1 : 0;
}

// u at step `edge` of pass `pass` of the last drawing: {"from": u(P), "to": u(Q), "appended":
// [u, ...]} in the order the edge appends (the cut point first when it crosses); "null" for a
// step that does not exist.
EMSCRIPTEN_KEEPALIVE const char* explorerStepAttributes(int pass, int edge)
{
    state.step = "null";
    if (!state.drawn || pass < 0 || pass >= 6 || edge < 0 ||
        std::size_t(edge) >= state.drawn->edges[pass].size()) {
        return state.step.c_str();
    }
    const TriangleFigures& drawn = *state.drawn;
    const EdgeRecord& record = drawn.edges[pass][std::size_t(edge)];
    const std::vector<float> corners(drawn.rules.u, drawn.rules.u + 3);
    const std::vector<float>& before = pass == 0 ? corners : drawn.attributes[pass - 1];
    std::vector<float> appended;
    for (int k : record.appended) appended.push_back(drawn.attributes[pass][std::size_t(k)]);
    // One value as attributesJson writes it, without the array's brackets.
    const auto one = [](float u) {
        const std::string array = attributesJson({u});
        return array.substr(1, array.size() - 2);
    };
    state.step = "{\"from\":" + one(before[std::size_t(record.from)]) + ",\"to\":" +
                 one(before[std::size_t(record.to)]) + ",\"appended\":" + attributesJson(appended) +
                 "}";
    return state.step.c_str();
}

} // extern "C"
