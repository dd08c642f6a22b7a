// A triangle given in clip space, and where the explorer's views (eye space) put its corners.
// See clip_figures.h.
#include "figures/clip_figures.h"

#include "figures/passes.h"
#include "figures/svg.h"

#include <cmath>
#include <cstring>
#include <string>

EyeCorner eyeCorner(const Vector4& corner, int k, ClipVolume volume)
{
    const Matrix4 inverse = volumeProjectionInverse(volume);
    Vector4 back;
    matTransformPoint(back, inverse, corner);
    EyeCorner eye{false, 0, 0, 0, back.w, ""};
    const std::string name = "Corner " + std::to_string(k);
    // The division is for the views only; the clipper never divides.
    const float x = float(double(back.x) / back.w), y = float(double(back.y) / back.w),
                z = float(double(back.z) / back.w);
    if (!(back.w != 0 && std::isfinite(back.w) && std::isfinite(x) && std::isfinite(y) &&
          std::isfinite(z))) {
        eye.note = name + ", mapped back to eye space, has w = 0 there: it is a point at "
                          "infinity, which the views cannot show.";
        return eye;
    }
    eye.shown = true;
    eye.x = x;
    eye.y = y;
    eye.z = z;
    if (back.w < 0) {
        eye.note = name + " is " + fig::compact(back.w, 4) + " times the projection of the point "
                   "the views show: a negative factor names that point through infinity, on its "
                   "far side, where nothing is inside the view volume.";
    } else if (corner.w == 0) {
        eye.note = name + " has w = 0: it lies in the eye plane, where the division by w fails; "
                          "the views show it at depth 0.";
    } else if (corner.w < 0) {
        eye.note = name + " has w < 0: it lies behind the eye, where the views show it.";
    }
    return eye;
}

Vector4 clipCorner(float x, float y, float z, double weight, ClipVolume volume)
{
    const Vector4 eye = {x, y, z, 1.0f};
    Vector4 clip;
    matTransformPoint(clip, volumeProjection(volume), eye);
    if (weight == 1) return clip;
    return {float(clip.x * weight), float(clip.y * weight), float(clip.z * weight),
            float(clip.w * weight)};
}

const WalkthroughTriangle* findWalkthroughClipTriangle(const Vector4 corners[3],
                                                       ClipVolume volume)
{
    for (const WalkthroughTriangle& triangle : walkthroughTriangles) {
        const fig::Polygon projected = fig::project(triangle.corners, volumeProjection(volume));
        if (std::memcmp(projected.data(), corners, 3 * sizeof(Vector4)) == 0) return &triangle;
    }
    return nullptr;
}
