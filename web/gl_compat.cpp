// The compatibility layer of the browser build (see web/gl_compat.h for why each piece exists).
// This file is not routed: the gl* and glut* names below are Emscripten's own.
#include "web/gl_compat.h"

#include <cmath>
#include <vector>

namespace {

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

// One glPushAttrib.
struct SavedAttributes {
    GLbitfield mask;
    LightingState lighting;
    bool normalize;
};

// The primitive being given between glBegin and glEnd, collected and drawn at glEnd.
struct Primitive {
    bool open = false;           // inside glBegin/glEnd
    bool lit = false;            // lighting was on at glBegin
    bool colorsInside = false;   // the colour was set between glBegin and glEnd
    GLenum mode = 0;             // as the program gave it
    std::vector<float> positions; // x y z w per vertex, object coordinates
    std::vector<float> colors;    // r g b a per vertex: the colour current at that vertex
};

// What the layer keeps of OpenGL's state in place of the emulation.
struct CompatState {
    LightingState lighting;
    bool normalize = false;               // GL_NORMALIZE
    float color[4] = {1, 1, 1, 1};        // the current colour
    float normal[3] = {0, 0, 1};          // the current normal, object coordinates
    std::vector<SavedAttributes> attributeStack;
    Primitive primitive;
};

CompatState state;

// One vertex of a gathered lit polygon, laid out for one interleaved client array.
struct BatchVertex {
    GLfloat position[4];  // object coordinates
    GLubyte color[4];     // the lit colour
};

// Lit polygons gathered for one draw: fan triangles, in the order they were given. Drawn (and
// emptied) by drawBatch before any other call reaches OpenGL and at the end of every frame.
std::vector<BatchVertex> batch;
// Past this many vertices the batch is drawn at once: the emulation's upload buffer is 2 MB.
constexpr size_t batchLimit = 1 << 15;

// The emulation's modelview and projection, read when a lit polygon needs them; forgotten at
// every matrix call the layer sees.
struct Matrices {
    bool known = false;
    float modelview[16];
    float projection[16];
};

Matrices matrices;

// The GLUT callbacks the layer stands between.
struct GlutLoop {
    void (*display)() = nullptr;
    void (*idle)() = nullptr;
};

GlutLoop glutLoop;

// OpenGL's defaults, which the program never changes. Light 0 is white and directional, shining
// from the eye-space position (0, 0, 1, 0) at infinity, so the unit vector towards it is +z.
// The material's emission is (0, 0, 0, 1) and its specular reflectance (0, 0, 0, 1), so the
// emission and specular terms are zero; the specular term is the only one the local viewer
// changes, so the local viewer changes nothing either.
constexpr double lightModelAmbient = 0.2;   // GL_LIGHT_MODEL_AMBIENT (0.2, 0.2, 0.2, 1)
constexpr double light0Ambient = 0.0;       // GL_AMBIENT of light 0 (0, 0, 0, 1)
constexpr double light0Diffuse = 1.0;       // GL_DIFFUSE of light 0 (1, 1, 1, 1)
constexpr double towardsLight0[3] = {0, 0, 1};

constexpr double pi = 3.14159265358979323846;

// Colour material (mode GL_AMBIENT_AND_DIFFUSE, both faces: OpenGL's default) copies the
// current colour into the material.
void trackColor()
{
    if (!state.lighting.colorMaterial) return;
    for (int c = 0; c < 4; ++c)
        state.lighting.ambient[c] = state.lighting.diffuse[c] = state.color[c];
}

double dot(const double a[3], const double b[3])
{
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

void cross(double out[3], const double a[3], const double b[3])
{
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

void normalizeInPlace(double v[3])
{
    const double length = std::sqrt(dot(v, v));
    if (length > 0) v[0] /= length, v[1] /= length, v[2] /= length;
}

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

// Whether the collected polygon faces the viewer: its signed area in window coordinates is
// positive (counter-clockwise, OpenGL's default front face). The sign is taken from the
// homogeneous clip coordinates x, y, w: for a fan triangle the determinant of those rows has the
// sign of the projected area wherever the triangle is visible (w > 0), so no division is needed.
bool facesFront(const float modelview[16], const float projection[16])
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
    const std::vector<float>& positions = state.primitive.positions;
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

const Matrices& currentMatrices()
{
    if (!matrices.known) {
        glGetFloatv(GL_MODELVIEW_MATRIX, matrices.modelview);
        glGetFloatv(GL_PROJECTION_MATRIX, matrices.projection);
        matrices.known = true;
    }
    return matrices;
}

void drawBatch()
{
    if (batch.empty()) return;
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(4, GL_FLOAT, sizeof(BatchVertex), batch[0].position);
    glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(BatchVertex), batch[0].color);
    glDrawArrays(GL_TRIANGLES, 0, GLsizei(batch.size()));
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    batch.clear();
}

// Every call that reaches OpenGL, other than a lit polygon's, comes after the polygons before it.
void beforeOtherCall()
{
    drawBatch();
}

// The same, for a call that changes the current matrix.
void beforeMatrixCall()
{
    drawBatch();
    matrices.known = false;
}

// A lit polygon goes into the batch as a triangle fan, every vertex in its one lit colour (as
// bytes, rounded as OpenGL rounds a colour into an 8-bit framebuffer).
void addToBatch(const float color[4])
{
    BatchVertex vertex;
    for (int c = 0; c < 4; ++c) vertex.color[c] = GLubyte(std::lround(color[c] * 255.0f));
    const std::vector<float>& positions = state.primitive.positions;
    const size_t count = positions.size() / 4;
    for (size_t i = 1; i + 1 < count; ++i)
        for (size_t k : {size_t(0), i, i + 1}) {
            for (int c = 0; c < 4; ++c) vertex.position[c] = positions[4 * k + c];
            batch.push_back(vertex);
        }
    if (batch.size() >= batchLimit) drawBatch();
}

// Emscripten's GLUT display callback: the program's display, its last polygons, then its idle
// function.
void displayThenIdle()
{
    glutLoop.display();
    drawBatch();
    if (glutLoop.idle) glutLoop.idle();
}

} // namespace

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

void webGlPushAttrib(GLbitfield mask)
{
    state.attributeStack.push_back({mask, state.lighting, state.normalize});
}

void webGlPopAttrib()
{
    if (state.attributeStack.empty()) return;  // OpenGL: GL_STACK_UNDERFLOW, nothing changes
    const SavedAttributes saved = state.attributeStack.back();
    state.attributeStack.pop_back();
    if (saved.mask & GL_LIGHTING_BIT) state.lighting = saved.lighting;
    // GL_NORMALIZE is an enable of the transform group.
    if (saved.mask & (GL_ENABLE_BIT | GL_TRANSFORM_BIT)) state.normalize = saved.normalize;
}

// Inside glBegin/glEnd the colour is kept with the vertices that follow; outside it is also
// handed to the emulation, which uses it for every vertex of the next unlit primitive.
void webGlColor3f(GLfloat red, GLfloat green, GLfloat blue)
{
    state.color[0] = red, state.color[1] = green, state.color[2] = blue, state.color[3] = 1;
    trackColor();
    if (state.primitive.open)
        state.primitive.colorsInside = true;
    else
        glColor3f(red, green, blue);
}

void webGlColor3ubv(const GLubyte* color)
{
    webGlColor3f(float(color[0]) / 255.0f, float(color[1]) / 255.0f, float(color[2]) / 255.0f);
}

void webGlNormal3fv(const GLfloat* normal)
{
    for (int c = 0; c < 3; ++c) state.normal[c] = normal[c];
}

void webGlBegin(GLenum mode)
{
    Primitive& primitive = state.primitive;
    primitive.open = true;
    primitive.lit = state.lighting.lighting;
    primitive.colorsInside = false;
    primitive.mode = mode;
    primitive.positions.clear();
    primitive.colors.clear();
}

void webGlVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    const GLfloat vertex[4] = {x, y, z, 1};
    webGlVertex4fv(vertex);
}

void webGlVertex4fv(const GLfloat* vertex)
{
    Primitive& primitive = state.primitive;
    primitive.positions.insert(primitive.positions.end(), vertex, vertex + 4);
    primitive.colors.insert(primitive.colors.end(), state.color, state.color + 4);
}

// A lit primitive has one colour: its one normal and one colour give every vertex the same lit
// colour, and its facing (for two-sided lighting) is that of the whole polygon. Points and lines
// always face front; filled primitives other than GL_POLYGON are lit as front faces (the program
// lights only polygons). A lit polygon joins the batch; any other primitive is drawn at once, a
// polygon as a triangle fan, every vertex with a colour if the colour changed inside it.
void webGlEnd()
{
    Primitive& primitive = state.primitive;
    primitive.open = false;
    const size_t count = primitive.positions.size() / 4;
    // A polygon of fewer than three vertices draws nothing; neither does an empty primitive.
    if (count == 0 || (primitive.mode == GL_POLYGON && count < 3)) return;

    float color[4];
    if (primitive.lit) {
        const Matrices& m = currentMatrices();
        double normal[3];
        eyeNormal(normal, m.modelview);
        const bool front = primitive.mode != GL_POLYGON || facesFront(m.modelview, m.projection);
        litColor(color, normal, front);
        if (primitive.mode == GL_POLYGON) {
            addToBatch(color);
            return;
        }
    }
    beforeOtherCall();
    const bool perVertexColor = primitive.colorsInside && !primitive.lit;
    if (primitive.lit) glColor4f(color[0], color[1], color[2], color[3]);
    glBegin(primitive.mode == GL_POLYGON ? GL_TRIANGLE_FAN : primitive.mode);
    for (size_t i = 0; i < count; ++i) {
        if (perVertexColor) {
            // As bytes, which the emulation stores exactly (its float path truncates).
            const float* vertexColor = &primitive.colors[4 * i];
            GLubyte bytes[4];
            for (int c = 0; c < 4; ++c) bytes[c] = GLubyte(std::lround(vertexColor[c] * 255.0f));
            glColor4ub(bytes[0], bytes[1], bytes[2], bytes[3]);
        }
        glVertex4fv(&primitive.positions[4 * i]);
    }
    glEnd();
    // The emulation's colour for the next primitive is the program's current colour again.
    if (primitive.lit || primitive.colorsInside)
        glColor4f(state.color[0], state.color[1], state.color[2], state.color[3]);
}

void webGlClear(GLbitfield mask)
{
    beforeOtherCall();
    glClear(mask);
}

void webGlViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    beforeOtherCall();
    glViewport(x, y, width, height);
}

void webGlFlush()
{
    beforeOtherCall();
    glFlush();
}

void webGlMatrixMode(GLenum mode)
{
    beforeMatrixCall();
    glMatrixMode(mode);
}

void webGlLoadIdentity()
{
    beforeMatrixCall();
    glLoadIdentity();
}

void webGlPushMatrix()
{
    beforeMatrixCall();
    glPushMatrix();
}

void webGlPopMatrix()
{
    beforeMatrixCall();
    glPopMatrix();
}

void webGlRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    beforeMatrixCall();
    glRotatef(angle, x, y, z);
}

void webGlScalef(GLfloat x, GLfloat y, GLfloat z)
{
    beforeMatrixCall();
    glScalef(x, y, z);
}

void webGlFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear,
                  GLdouble zFar)
{
    beforeMatrixCall();
    glFrustum(left, right, bottom, top, zNear, zFar);
}

// GLU's definition: f = (center - eye) / |center - eye|, s = f x up normalised, u = s x f; the
// current matrix is multiplied by the rotation with rows s, u, -f, then translated by -eye.
void webGluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
                  GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ)
{
    beforeMatrixCall();
    double f[3] = {centerX - eyeX, centerY - eyeY, centerZ - eyeZ};
    double up[3] = {upX, upY, upZ};
    normalizeInPlace(f);
    normalizeInPlace(up);
    double s[3], u[3];
    cross(s, f, up);
    normalizeInPlace(s);
    cross(u, s, f);
    const GLdouble rotation[16] = {s[0], u[0], -f[0], 0, s[1], u[1], -f[1], 0,
                                   s[2], u[2], -f[2], 0, 0,    0,    0,     1};
    glMultMatrixd(rotation);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

// GLU's definition: with f = cot(fovy / 2) (fovy in degrees), the current matrix is multiplied by
//   f / aspect  0  0                              0
//   0           f  0                              0
//   0           0  (far + near) / (near - far)    2 far near / (near - far)
//   0           0  -1                             0
void webGluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    beforeMatrixCall();
    const double halfAngle = fovy / 2 * pi / 180;
    const double f = std::cos(halfAngle) / std::sin(halfAngle);
    const double depth = zNear - zFar;
    const GLdouble perspective[16] = {f / aspect, 0, 0, 0, 0, f, 0, 0,
                                      0, 0, (zFar + zNear) / depth, -1,
                                      0, 0, 2 * zFar * zNear / depth, 0};
    glMultMatrixd(perspective);
}

void webGlutDisplayFunc(void (*display)())
{
    glutLoop.display = display;
    glutDisplayFunc(display ? displayThenIdle : nullptr);
}

// Never handed to Emscripten's GLUT, whose timer would call it between frames.
void webGlutIdleFunc(void (*idle)())
{
    glutLoop.idle = idle;
}
