// The rules of other clippers as data and as text: their planes, the zero-one volume's
// projection, their label and their address parameters. See clip_figures.h.
#include "figures/clip_figures.h"

#include "figures/svg.h"

#include <string>
#include <vector>

bool walksAsProgram(const ClipRules& rules)
{
    return rules.volume == ClipVolume::Gl && !rules.depthClamp && rules.guard == 1;
}

bool isProgramRules(const ClipRules& rules)
{
    return walksAsProgram(rules) && !rules.attribute;
}

std::vector<WalkPlane> rulePlanes(const ClipRules& rules)
{
    std::vector<WalkPlane> planes;
    const float guard = float(rules.guard);
    for (int pass = ClipLeft; pass <= ClipTop; ++pass) {
        WalkPlane plane = programPlanes[pass];
        plane.scale = guard;
        planes.push_back(plane);
    }
    if (rules.depthClamp) return planes;
    WalkPlane near = programPlanes[ClipNear];
    if (rules.volume != ClipVolume::Gl) near.scale = 0;  // 0 <= z
    planes.push_back(near);
    planes.push_back(programPlanes[ClipFar]);  // z <= w in both volumes
    return planes;
}

Matrix4 volumeProjection(ClipVolume volume)
{
    Matrix4 m;
    matFrustum(m, frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
               frustum.far);
    if (volume != ClipVolume::ZeroOne) return m;
    // Only the depth row differs: z' = -f/(f - n)·z - f·n/(f - n), so that z' = 0 at the near
    // face (z = -n) and z' = w = f at the far one (z = -f).
    const double n = frustum.near, f = frustum.far;
    m.m[10] = float(-f / (f - n));
    m.m[14] = float(-(n * f) / (f - n));
    return m;
}

Matrix4 volumeProjectionInverse(ClipVolume volume)
{
    Matrix4 m;
    matFrustumInverse(m, frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
                      frustum.far);
    if (volume != ClipVolume::ZeroOne) return m;
    // z' = A·z + B·w with A = -f/(f - n), B = -f·n/(f - n), and w' = -z: so z = -w' and
    // w = (z' - A·z)/B = z'/B + w'/n.
    const double n = frustum.near, f = frustum.far;
    m.m[11] = float(-(f - n) / (f * n));
    m.m[15] = float(1 / n);
    return m;
}

double mismatchNearDepth()
{
    // z' = 0 where -(f + n)/(f - n)·z = 2fn/(f - n), at z = -2fn/(f + n).
    const double n = frustum.near, f = frustum.far;
    return 2 * f * n / (f + n);
}

const char* volumeName(ClipVolume volume)
{
    switch (volume) {
    case ClipVolume::Gl: return "gl";
    case ClipVolume::ZeroOne: return "zero-one";
    case ClipVolume::Mismatch: return "mismatch";
    }
    return "";
}

bool parseVolume(const std::string& text, ClipVolume& volume)
{
    for (ClipVolume v : {ClipVolume::Gl, ClipVolume::ZeroOne, ClipVolume::Mismatch}) {
        if (text == volumeName(v)) {
            volume = v;
            return true;
        }
    }
    return false;
}

std::string attributeText(const float u[3])
{
    return shortestDecimal(u[0]) + "," + shortestDecimal(u[1]) + "," + shortestDecimal(u[2]);
}

std::string rulesLabel(const ClipRules& rules)
{
    std::string label = rules.volume == ClipVolume::Gl        ? "OpenGL: −w ≤ z ≤ w"
                        : rules.volume == ClipVolume::ZeroOne ? "Vulkan: 0 ≤ z ≤ w"
                                                              : "mismatch: OpenGL's projection "
                                                                "against 0 ≤ z ≤ w";
    if (rules.depthClamp) label += " · depth clamp";
    if (rules.guard != 1) label += " · guard band " + std::to_string(rules.guard);
    if (rules.attribute) {
        label += " · u = " + shortestDecimal(rules.u[0]) + ", " + shortestDecimal(rules.u[1]) +
                 ", " + shortestDecimal(rules.u[2]);
    }
    return label;
}

namespace {

// A value as the user wrote it, for a message.
std::string quotedValue(const std::string& value)
{
    std::string shown = value.size() > 24 ? value.substr(0, 20) + "…" : value;
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = '?';
    return "“" + shown + "”";
}

// One parameter "name" or "name=value" into rules; false with error when it names a rule but
// gives it no value it can take.
bool readRule(const std::string& name, const std::string& value, bool hasValue, ClipRules& rules,
              std::string& error)
{
    if (name == "volume") {
        if (parseVolume(value, rules.volume)) return true;
        error = "volume, " + quotedValue(value) + ", is not gl, zero-one or mismatch";
        return false;
    }
    if (name == "clamp") {
        const bool on = !hasValue || value == "1" || value == "on" || value == "true";
        const bool off = hasValue && (value == "0" || value == "off" || value == "false");
        if (!on && !off) {
            error = "clamp, " + quotedValue(value) + ", needs no value";
            return false;
        }
        rules.depthClamp = on;
        return true;
    }
    if (name == "guard") {
        for (int g : {1, 2, 4, 8}) {
            if (value == std::to_string(g)) {
                rules.guard = g;
                return true;
            }
        }
        error = "guard, " + quotedValue(value) + ", is not 1, 2, 4 or 8";
        return false;
    }
    if (name == "u") {
        rules.attribute = true;
        if (!hasValue) return true;  // the corners' u as they are: 0, 0.5 and 1 unless typed
        std::string why;
        if (parseAttributeText(value, rules.u, why)) return true;
        error = "u: " + why;
        return false;
    }
    return true;  // no rule: another part of the address
}

} // namespace

bool parseRulesText(const std::string& text, ClipRules& rules, std::string& error)
{
    ClipRules read;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('&', start);
        if (end == std::string::npos) end = text.size();
        const std::string parameter = text.substr(start, end - start);
        start = end + 1;
        if (parameter.empty()) continue;
        const std::size_t equals = parameter.find('=');
        const bool hasValue = equals != std::string::npos;
        const std::string name = parameter.substr(0, equals);
        const std::string value = hasValue ? parameter.substr(equals + 1) : "";
        if (!readRule(name, value, hasValue, read, error)) return false;
    }
    rules = read;
    return true;
}

std::string rulesText(const ClipRules& rules)
{
    std::vector<std::string> parameters;
    if (rules.volume != ClipVolume::Gl) {
        parameters.push_back(std::string("volume=") + volumeName(rules.volume));
    }
    if (rules.depthClamp) parameters.push_back("clamp");
    if (rules.guard != 1) parameters.push_back("guard=" + std::to_string(rules.guard));
    if (rules.attribute) parameters.push_back("u=" + attributeText(rules.u));
    std::string text;
    for (const std::string& parameter : parameters) text += (text.empty() ? "" : "&") + parameter;
    return text;
}

std::string attributesJson(const std::vector<float>& u)
{
    std::string json = "[";
    for (std::size_t i = 0; i < u.size(); ++i) json += (i ? "," : "") + fig::jsonNumber(u[i], 9);
    return json + "]";
}
