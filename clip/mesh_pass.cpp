// The per-triangle pass: project into clip space, clip, map back (world view), draw. Nothing in
// here divides by w: the vertices go to OpenGL with all four components and its pipeline divides
// after the observer's matrices.
//
// Every frame sends this pass every triangle of the mesh, so it takes three short cuts that give
// exactly the calls and values of projecting with matFrustum, clipping with clipToFrustum and
// mapping back with matFrustumInverse for each triangle anew:
// - the frustum never changes, so its two matrices are built once;
// - the triangle is clipped in arrays on the stack instead of new ones for every triangle;
// - a triangle wholly inside, or wholly outside the first plane that cuts it, skips the passes
//   (why each gives the passes' result is said where it is taken).
#include "clip/clip.h"

#ifdef __APPLE__
#include <OpenGL/gl.h>  // Apple's OpenGL framework
#else
#include <GL/gl.h>
#endif

namespace {

Matrix4 makeProjection()
{
    Matrix4 m;
    return matFrustum(m, frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
                      frustum.far);
}

Matrix4 makeInverseProjection()
{
    Matrix4 m;
    return matFrustumInverse(m, frustum.left, frustum.right, frustum.bottom, frustum.top,
                             frustum.near, frustum.far);
}

const Matrix4 projection = makeProjection();                // eye space -> clip space
const Matrix4 inverseProjection = makeInverseProjection();  // clip space -> eye space

constexpr int triangleCapacity = int(clipFrustumCapacity(3));

// Clips the clip-space triangle in polygon[0..2] in place, as clipToFrustum would, and returns
// the vertex count.
int clipTriangle(Vector4* polygon, Vector4* spare)
{
    const unsigned c0 = clipOutcode(polygon[0]);
    const unsigned c1 = clipOutcode(polygon[1]);
    const unsigned c2 = clipOutcode(polygon[2]);
    const unsigned anyOutside = c0 | c1 | c2;
    // Wholly inside: each of the six passes keeps the three corners and turns the list by one
    // place, and six turns bring three vertices back to the start, bit for bit.
    if (anyOutside == 0) return 3;
    // The passes before the first plane that has a corner outside only turn the list. If all
    // three corners lie outside that plane, its pass leaves nothing, and so do the rest.
    const unsigned firstCutting = anyOutside & (~anyOutside + 1);  // the lowest set bit
    if (c0 & c1 & c2 & firstCutting) return 0;
    return clipPolygon(polygon, spare, 3);
}

} // namespace

void drawMesh(const Vector4* vertices, const Vector3* normals, const unsigned char* colors,
              int count, int mapBack)
{
    for (int i = 0; i < count; ++i)
        drawClippedTriangle(vertices + 3 * i, normals[i], colors + 3 * i, mapBack);
}

void drawClippedTriangle(const Vector4* vertices, const Vector3& normal,
                         const unsigned char* color, int mapBack)
{
    Vector4 polygon[triangleCapacity], spare[triangleCapacity];  // clip space
    for (int k = 0; k < 3; ++k) matTransformPoint(polygon[k], projection, vertices[k]);
    const int count = clipTriangle(polygon, spare);

    // Back to the simulated camera's eye space; w comes out 1 up to rounding.
    if (mapBack)
        for (int i = 0; i < count; ++i) matTransformPoint(polygon[i], inverseProjection, polygon[i]);

    // One flat-coloured polygon; a triangle clipped away still issues its (empty) begin/end.
    glColor3ubv(color);
    glNormal3fv(&normal.x);
    glBegin(GL_POLYGON);
    for (int i = 0; i < count; ++i) glVertex4fv(&polygon[i].x);
    glEnd();
}
