// What the checker's files share: the text it writes in several places (JSON strings, numbers
// in messages, vertices) and the cyclic comparison of two polygons. Internal to check/.
#pragma once

#include "check/clip_check.h"
#include "math/vecmath.h"

#include <string>

namespace chk {

// text as a JSON string, quotes included (RapidJSON's writer: escapes what JSON needs escaped).
std::string jsonString(const std::string& text);
// A double of a message (d, t) to six significant digits, as printf's %.6g writes it;
// "NaN", "Infinity" and "-Infinity" where it is not finite.
std::string shortNumber(double value);
// A vertex of a message: "(x, y, z, w)", each value shortestDecimal.
std::string vertexText(const Vector4& v);

// The offset r at which learner is clipper read from its vertex r (learner[i] matches
// clipper[(i + r) % n] for every i, each coordinate within the pass tolerance of clipper as an
// input), the smallest such; -1 when there is none or the sizes differ.
int cyclicOffset(const ClipPolygon& learner, const ClipPolygon& clipper,
                 const CheckTolerance& tolerance);

} // namespace chk
