// Lighting and colour material for the browser build's compatibility layer. Why: the emulation
// ignores GL_COLOR_MATERIAL (all lit grey), two-sided lighting and GL_FLAT, wants the normal per
// vertex where the program sets one per polygon before glBegin, throws on
// GL_LIGHT_MODEL_LOCAL_VIEWER and has no glLightModeli. So the layer keeps the lighting state
// itself, the emulation never sees GL_LIGHTING, and each lit primitive gets the one colour
// fixed-function OpenGL computes for it (primitiveLitColor, used by webGlEnd).
#include "web/gl_compat_shared.h"

#include <cmath>
#include <vector>

namespace glcompat {

CompatState state;

} // namespace glcompat

using namespace glcompat;

namespace {

// OpenGL's defaults, which the program never changes. Light 0 is white and directional, shining
// from the eye-space position (0, 0, 1, 0) at infinity, so the unit vector towards it is +z.
// The material's emission is (0, 0, 0, 1) and its specular reflectance (0, 0, 0, 1), so the
// emission and specular terms are zero; the specular term is the only one the local viewer
// changes, so the local viewer changes nothing either.
constexpr double lightModelAmbient = 0.2;   // GL_LIGHT_MODEL_AMBIENT (0.2, 0.2, 0.2, 1)
constexpr double light0Ambient = 0.0;       // GL_AMBIENT of light 0 (0, 0, 0, 1)
constexpr double light0Diffuse = 1.0;       // GL_DIFFUSE of light 0 (1, 1, 1, 1)
constexpr double towardsLight0[3] = {0, 0, 1};

// The current normal in eye coordinates: the inverse transpose of the modelview's upper 3 x 3
// applied to it, as OpenGL transforms normals, then normalised when GL_NORMALIZE is on. Row i of
// the inverse transpose of A is (row i+1 of A) x (row i+2 of A) / det A.
void eyeNormal(double out[3], const float modelview[16])
{
    const double rows[3][3] = {{modelview[0], modelview[4], modelview[8]},
                               {modelview[1], modelview[5], modelview[9]},
                               {modelview[2], modelview[6], modelview[10]}};
    const double n[3] = {state.normal[0], state.normal[1], state.normal[2]};
    double cofactorRows[3][3];
    for (int i = 0; i < 3; ++i) cross(cofactorRows[i], rows[(i + 1) % 3], rows[(i + 2) % 3]);
    const double determinant = dot(rows[0], cofactorRows[0]);
    for (int i = 0; i < 3; ++i) out[i] = dot(cofactorRows[i], n) / determinant;
    if (state.normalize) normalizeInPlace(out);
}

// Whether the polygon with these vertices faces the viewer: its signed area in window
// coordinates is positive (counter-clockwise, OpenGL's default front face). The sign is taken
// from the homogeneous clip coordinates x, y, w: for a fan triangle the determinant of those rows
// has the sign of the projected area wherever the triangle is visible (w > 0), so no division is
// needed.
bool facesFront(const float modelview[16], const float projection[16],
                const std::vector<float>& positions)
{
    // Rows x, y and w of projection x modelview.
    double rows[3][4];
    const int projectionRow[3] = {0, 1, 3};
    for (int r = 0; r < 3; ++r)
        for (int j = 0; j < 4; ++j) {
            double sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += double(projection[4 * k + projectionRow[r]]) * modelview[4 * j + k];
            rows[r][j] = sum;
        }
    const size_t count = positions.size() / 4;
    std::vector<double> clip(3 * count);  // x, y, w per vertex
    for (size_t i = 0; i < count; ++i) {
        const float* p = &positions[4 * i];
        for (int r = 0; r < 3; ++r)
            clip[3 * i + r] = rows[r][0] * p[0] + rows[r][1] * p[1] + rows[r][2] * p[2] +
                              rows[r][3] * p[3];
    }
    double area = 0;
    const double* a = &clip[0];
    for (size_t i = 1; i + 1 < count; ++i) {
        double ab[3];
        cross(ab, &clip[3 * i], &clip[3 * (i + 1)]);
        area += dot(a, ab);
    }
    return area > 0;
}

// The colour fixed-function OpenGL computes for a vertex of the current primitive: with a
// directional light, no emission and no specular term,
//   colour = ambient * lightModelAmbient
//          + [light 0 on] (ambient * light0Ambient + max(n . l, 0) * diffuse * light0Diffuse),
// where n is the eye-space normal (reversed on a back face under two-sided lighting), l the unit
// vector towards the light, and ambient and diffuse the material's. Clamped to [0, 1]; alpha is
// the diffuse alpha.
void litColor(float out[4], const double normal[3], bool front)
{
    double n[3] = {normal[0], normal[1], normal[2]};
    if (!front && state.lighting.twoSide) n[0] = -n[0], n[1] = -n[1], n[2] = -n[2];
    const double diffuseFactor = std::fmax(dot(n, towardsLight0), 0.0);
    for (int c = 0; c < 3; ++c) {
        const double ambient = state.lighting.ambient[c], diffuse = state.lighting.diffuse[c];
        double value = ambient * lightModelAmbient;
        if (state.lighting.light0)
            value += ambient * light0Ambient + diffuseFactor * diffuse * light0Diffuse;
        out[c] = float(std::fmin(std::fmax(value, 0.0), 1.0));
    }
    out[3] = state.lighting.diffuse[3];
}

} // namespace

namespace glcompat {

// Colour material (mode GL_AMBIENT_AND_DIFFUSE, both faces: OpenGL's default) copies the
// current colour into the material.
void trackColor()
{
    if (!state.lighting.colorMaterial) return;
    for (int c = 0; c < 4; ++c)
        state.lighting.ambient[c] = state.lighting.diffuse[c] = state.color[c];
}

void primitiveLitColor(float out[4], const std::vector<float>& positions, bool polygon)
{
    const Matrices& m = currentMatrices();
    double normal[3];
    eyeNormal(normal, m.modelview);
    const bool front = !polygon || facesFront(m.modelview, m.projection, positions);
    litColor(out, normal, front);
}

} // namespace glcompat

void webGlEnable(GLenum capability)
{
    beforeOtherCall();
    switch (capability) {
    case GL_LIGHTING: state.lighting.lighting = true; break;
    case GL_LIGHT0: state.lighting.light0 = true; break;
    case GL_COLOR_MATERIAL:
        state.lighting.colorMaterial = true;
        trackColor();
        break;
    case GL_NORMALIZE: state.normalize = true; break;
    default: glEnable(capability); break;
    }
}

void webGlDisable(GLenum capability)
{
    beforeOtherCall();
    switch (capability) {
    case GL_LIGHTING: state.lighting.lighting = false; break;
    case GL_LIGHT0: state.lighting.light0 = false; break;
    case GL_COLOR_MATERIAL: state.lighting.colorMaterial = false; break;
    case GL_NORMALIZE: state.normalize = false; break;
    default: glDisable(capability); break;
    }
}

void webGlLightModeli(GLenum parameter, GLint value)
{
    if (parameter == GL_LIGHT_MODEL_LOCAL_VIEWER) state.lighting.localViewer = value != 0;
    if (parameter == GL_LIGHT_MODEL_TWO_SIDE) state.lighting.twoSide = value != 0;
}

// With one normal and one colour per primitive every vertex gets the same colour, so flat and
// smooth shading draw the same: the mode is only kept for glPopAttrib.
void webGlShadeModel(GLenum mode)
{
    state.lighting.shadeModel = mode;
}
