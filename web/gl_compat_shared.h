// What the pieces of the compatibility layer (web/gl_compat.h) share among themselves; not for
// the program. Each piece is one file:
//   gl_lighting.cpp    lighting and colour material: the state the emulation never sees, and the
//                      one colour fixed-function OpenGL gives a lit primitive
//   gl_primitives.cpp  immediate mode: the current colour and normal, primitives collected until
//                      glEnd, lit polygons gathered into one batch
//   gl_matrices.cpp    the matrix, framebuffer and GLU calls, which draw the batch first
//   gl_attributes.cpp  the attribute stack (glPushAttrib, glPopAttrib)
//   glut_loop.cpp      the display and idle callbacks
// None of these files is routed: the gl* and glut* names in them are Emscripten's own.
#pragma once

#include "web/gl_compat.h"

#include <cmath>
#include <vector>

namespace glcompat {

// What OpenGL groups under GL_LIGHTING_BIT, kept here: the emulation never sees it. Starts as
// OpenGL starts.
struct LightingState {
    bool lighting = false;         // GL_LIGHTING
    bool light0 = false;           // GL_LIGHT0
    bool colorMaterial = false;    // GL_COLOR_MATERIAL: ambient and diffuse track the colour
    bool localViewer = false;      // GL_LIGHT_MODEL_LOCAL_VIEWER
    bool twoSide = false;          // GL_LIGHT_MODEL_TWO_SIDE
    GLenum shadeModel = GL_SMOOTH; // glShadeModel
    // The material's ambient and diffuse reflectance, front and back alike. Colour material
    // writes the current colour into both while it is on; they keep it when it is turned off.
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
};

// What the layer keeps of OpenGL's state in place of the emulation (defined in gl_lighting.cpp).
struct CompatState {
    LightingState lighting;
    bool normalize = false;               // GL_NORMALIZE
    float color[4] = {1, 1, 1, 1};        // the current colour
    float normal[3] = {0, 0, 1};          // the current normal, object coordinates
};

extern CompatState state;

// gl_lighting.cpp. Copies the current colour into the material while colour material is on.
void trackColor();
// The one colour fixed-function lighting gives a primitive with the current normal, material and
// matrices; positions are its vertices (x y z w each, object coordinates), whose winding gives a
// polygon's facing; any other primitive is lit as a front face.
void primitiveLitColor(float out[4], const std::vector<float>& positions, bool polygon);

// gl_primitives.cpp. Draws the gathered lit polygons (and empties the batch).
void drawBatch();
// Every call that reaches OpenGL, other than a lit polygon's, comes after the polygons before it.
void beforeOtherCall();

// gl_matrices.cpp. The emulation's modelview and projection, read when a lit polygon needs them;
// forgotten at every matrix call the layer sees.
struct Matrices {
    bool known = false;
    float modelview[16];
    float projection[16];
};
const Matrices& currentMatrices();

// Small vector helpers of the lighting and GLU pieces.
inline double dot(const double a[3], const double b[3])
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

inline void cross(double out[3], const double a[3], const double b[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

inline void normalizeInPlace(double v[3])
{
    const double length = std::sqrt(dot(v, v));
    if (length > 0) v[0] /= length, v[1] /= length, v[2] /= length;
}

} // namespace glcompat
