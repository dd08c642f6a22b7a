// The per-triangle pass: project into clip space, clip, map back (world view), draw. Nothing in
// here divides by w: the vertices go to OpenGL with all four components and its pipeline divides
// after the observer's matrices.
#include "clip/clip.h"

#include <GL/gl.h>

void drawMesh(const Vector4* vertices, const Vector3* normals, const unsigned char* colors,
              int count, int mapBack)
{
    for (int i = 0; i < count; ++i)
        drawClippedTriangle(vertices + 3 * i, normals[i], colors + 3 * i, mapBack);
}

void drawClippedTriangle(const Vector4* vertices, const Vector3& normal,
                         const unsigned char* color, int mapBack)
{
    Matrix4 matrix;
    matFrustum(matrix, frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
               frustum.far);
    Vector4* clipSpace = new Vector4[3];
    for (int k = 0; k < 3; ++k) matTransformPoint(clipSpace[k], matrix, vertices[k]);

    Vector4* clipped = nullptr;
    const int count = clipToFrustum(clipSpace, 3, &clipped);

    if (mapBack) {
        // Back to the simulated camera's eye space; w comes out 1 up to rounding.
        matFrustumInverse(matrix, frustum.left, frustum.right, frustum.bottom, frustum.top,
                          frustum.near, frustum.far);
        for (int i = 0; i < count; ++i) matTransformPoint(clipped[i], matrix, clipped[i]);
    }

    // One flat-coloured polygon; a triangle clipped away still issues its (empty) begin/end.
    glColor3ubv(color);
    glNormal3fv(&normal.x);
    glBegin(GL_POLYGON);
    for (int i = 0; i < count; ++i) glVertex4fv(&clipped[i].x);
    glEnd();

    delete[] clipSpace;
    delete[] clipped;
}
