// Immediate mode for the browser build's compatibility layer: the current colour and normal,
// glBegin/glVertex/glEnd, and the batch of lit polygons.
// Why: the emulation has no GL_POLYGON in immediate mode ("unsupported immediate mode 9"), and
// wants the same attributes for every vertex of a primitive, where the program sets a colour
// before some vertices only (the axes). So each primitive is collected until glEnd and handed
// over in the form the emulation takes: a convex polygon as a triangle fan (the same pixels),
// every vertex with a colour if the colour changed inside the primitive. An empty primitive,
// which the mesh pass issues for every triangle clipped away, draws nothing and is not handed
// over. And the emulation turns every glBegin/glEnd into its own WebGL draw with much JavaScript
// around it (one per triangle of the teapot made a frame take about 90 ms of script), so lit
// polygons are gathered and drawn together, in their order, as one array of triangles, before
// any other call reaches OpenGL (beforeOtherCall) and at the end of every frame.
#include "web/gl_compat_shared.h"

#include <cmath>
#include <vector>

using namespace glcompat;

namespace {

// The primitive being given between glBegin and glEnd, collected and drawn at glEnd.
struct Primitive {
    bool open = false;           // inside glBegin/glEnd
    bool lit = false;            // lighting was on at glBegin
    bool colorsInside = false;   // the colour was set between glBegin and glEnd
    GLenum mode = 0;             // as the program gave it
    std::vector<float> positions; // x y z w per vertex, object coordinates
    std::vector<float> colors;    // r g b a per vertex: the colour current at that vertex
};

Primitive primitive;

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

// A lit polygon goes into the batch as a triangle fan, every vertex in its one lit colour (as
// bytes, rounded as OpenGL rounds a colour into an 8-bit framebuffer).
void addToBatch(const float color[4])
{
    BatchVertex vertex;
    for (int c = 0; c < 4; ++c) vertex.color[c] = GLubyte(std::lround(color[c] * 255.0f));
    const std::vector<float>& positions = primitive.positions;
    const size_t count = positions.size() / 4;
    for (size_t i = 1; i + 1 < count; ++i)
        for (size_t k : {size_t(0), i, i + 1}) {
            for (int c = 0; c < 4; ++c) vertex.position[c] = positions[4 * k + c];
            batch.push_back(vertex);
        }
    if (batch.size() >= batchLimit) drawBatch();
}

} // namespace

namespace glcompat {

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

void beforeOtherCall()
{
    drawBatch();
}

} // namespace glcompat

// Inside glBegin/glEnd the colour is kept with the vertices that follow; outside it is also
// handed to the emulation, which uses it for every vertex of the next unlit primitive.
void webGlColor3f(GLfloat red, GLfloat green, GLfloat blue)
{
    state.color[0] = red, state.color[1] = green, state.color[2] = blue, state.color[3] = 1;
    trackColor();
    if (primitive.open)
        primitive.colorsInside = true;
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
    primitive.open = false;
    const size_t count = primitive.positions.size() / 4;
    // A polygon of fewer than three vertices draws nothing; neither does an empty primitive.
    if (count == 0 || (primitive.mode == GL_POLYGON && count < 3)) return;

    float color[4];
    if (primitive.lit) {
        primitiveLitColor(color, primitive.positions, primitive.mode == GL_POLYGON);
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
