// clip/: clipping in homogeneous clip space, before any division by w, and the per-triangle
// mesh pass that projects, clips, maps back and draws.
//
// A polygon is a contiguous array of Vector4 (clip space) and a vertex count n; edge i runs from
// vertex i to vertex (i + 1) mod n. A point is inside the clip volume when -w <= x, y, z <= w,
// boundaries included.
#pragma once

#include "math/vecmath.h"

// The six planes of the clip volume. Their values are the order in which clipToFrustum applies
// them. A vertex is outside a plane when the strict test holds, inside otherwise, so a vertex on
// the plane, or one whose compared values hold a NaN, is inside.
enum ClipPlane {
    ClipLeft = 0,    // outside when -w > x
    ClipRight = 1,   // outside when x > w
    ClipBottom = 2,  // outside when -w > y
    ClipTop = 3,     // outside when y > w
    ClipNear = 4,    // outside when -w > z
    ClipFar = 5,     // outside when z > w
};

// One clipping pass: clips the n-vertex polygon input against one plane into output
// and returns the number of vertices written (0 when nothing is inside, or when n <= 0). For
// each edge P -> Q it appends the crossing point, if P and Q lie on different sides, then Q, if
// Q is inside; so a polygon wholly inside comes back rotated by one place.
// output must not overlap input and must have room for clipPassCapacity(n) vertices: n + 1
// suffice for a convex polygon, but a non-convex one can grow by half.
int clipToPlane(const Vector4* input, int n, Vector4* output, ClipPlane plane);

// Which ends of an edge P -> Q lie inside the plane, P's first.
enum ClipEdgeCase { ClipInIn = 0, ClipInOut = 1, ClipOutIn = 2, ClipOutOut = 3 };

// What clipToPlane does with one edge P -> Q against one plane: the case, the crossing
// parameter t (the double the clipper computes; only for ClipInOut and ClipOutIn, else NaN),
// and the vertices appended, in order (crossing point first, then Q when Q is inside).
struct ClipEdge {
    ClipEdgeCase edgeCase;
    double t;
    int count;            // vertices appended: 0, 1 or 2
    Vector4 appended[2];  // clip space
};
// Pure; clipToPlane calls it for every edge, so its decisions are the clipper's own. The cut
// point is (Q - P) * t + P per component, in double, rounded to float once.
ClipEdge clipEdge(const Vector4& p, const Vector4& q, ClipPlane plane);

// d(V) for the plane: V.c + V.w for ClipLeft, ClipBottom, ClipNear; V.w - V.c for ClipRight,
// ClipTop, ClipFar (c the plane's coordinate), in double: how far inside V lies, in units of
// clip space, so t = d(P) / (d(P) - d(Q)). For display and teaching only: the clipper decides
// inside and outside by strict tests on the stored floats and computes t in its own operand
// order, never through this.
double clipDistance(const Vector4& v, ClipPlane plane);

// The most vertices clipToPlane can write for an n-vertex polygon: every inside vertex once and
// one more per edge that crosses the plane, which comes to at most n + n / 2 (0 for n <= 0).
long long clipPassCapacity(int n);

// Bit p (1 << p) is set when v is outside plane p, by the same strict tests clipToPlane makes.
// Defined here, as it runs for every corner of every triangle of every frame.
inline unsigned clipOutcode(const Vector4& v)
{
    return unsigned(-v.w > v.x) << ClipLeft | unsigned(v.x > v.w) << ClipRight |
           unsigned(-v.w > v.y) << ClipBottom | unsigned(v.y > v.w) << ClipTop |
           unsigned(-v.w > v.z) << ClipNear | unsigned(v.z > v.w) << ClipFar;
}

// The most vertices any of clipToFrustum's six passes can hold for an n-vertex polygon: 28 for
// a triangle, though a convex polygon never needs more than n + 6. Each pass can grow a polygon
// by half (see clipPassCapacity), and rounding can make even a triangle need more than n + 6
// (one of finite values comes to 10), so arrays of this size hold whatever the input.
// A constant expression, so arrays can be sized with it.
constexpr long long clipFrustumCapacity(int n)
{
    const long long start = n > 0 ? n : 0;
    long long capacity = start;
    for (int pass = 0; pass < 6; ++pass) capacity += capacity / 2;
    return capacity > start + 6 ? capacity : start + 6;
}

// The six passes of clipToFrustum on storage the caller provides: work holds the n input
// vertices and receives the clipped polygon, spare is scratch; each has room for
// clipFrustumCapacity(n) vertices. Returns the clipped polygon's vertex count.
int clipPolygon(Vector4* work, Vector4* spare, int n);

// Clips the n-vertex polygon input against all six planes, in the order of ClipPlane. Sets
// *result to a new array (allocated with new[]) holding the clipped polygon and returns its
// vertex count, 0 when nothing is inside. *result is set on every call, also for a count of 0;
// the caller owns it and frees it with delete[]. input is not modified.
int clipToFrustum(const Vector4* input, int n, Vector4** result);

// The mesh pass: for each of count triangles in order, project its three eye-space corners
// (vertices, 3 per triangle) with the frustum's projection, clip them, map the result back to
// eye space when mapBack is non-zero (else leave it in clip space), and draw it as one
// GL_POLYGON of four-component vertices with the triangle's colour (3 bytes per triangle) and
// normal (one per triangle). A triangle clipped away still issues its empty begin/end pair.
void drawMesh(const Vector4* vertices, const Vector3* normals, const unsigned char* colors,
              int count, int mapBack);
// One triangle of the mesh pass.
void drawClippedTriangle(const Vector4* vertices, const Vector3& normal,
                         const unsigned char* color, int mapBack);
