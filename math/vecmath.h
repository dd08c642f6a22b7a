// math/: the vector and matrix arithmetic every other folder keeps its geometry in, and the
// simulated camera's view volume.
//
// Conventions
// - Vector3 is (x, y, z), Vector4 is (x, y, z, w): plain floats in that order and nothing else,
//   so a pointer to one can go straight to glNormal3fv / glVertex4fv.
// - Matrix4 is column-major, as OpenGL takes it: the entry of row i and column j is m[4j + i];
//   m[12], m[13], m[14] hold a translation and m[3], m[7], m[11], m[15] are the bottom row.
// - Vectors are columns multiplied on the right: transforming v by m is m * v. In a product
//   a * b applied to a vector, b acts first.
// - Angles are in degrees. matRotate converts with the factor 0.0174532, a shade under pi/180.
// - Precision: every stored value is a 32-bit float; products and sums are formed in double
//   precision and rounded to float once, when stored.
// - Destination first: each operation writes its first argument, into storage the caller owns;
//   nothing allocates and nothing keeps a reference after it returns. The mat* operations write
//   all sixteen entries and return their destination.
// - Aliasing: matMultiply, matTransformPoint, matTransformVector, vecCross and vecSubtract may
//   be given the same object as destination and as an input.
// - Nothing is checked: degenerate input gives IEEE infinities and NaNs, never a trap.
#pragma once

struct Vector3 {
    float x, y, z;
};

struct Vector4 {
    float x, y, z, w;
};

struct Matrix4 {
    float m[16];
};

// The simulated camera's view volume, in its eye space (the camera at the origin looking down
// -z, so the volume reaches from z = -near to z = -far).
struct Frustum {
    float left, right, bottom, top, near, far;
};

// The one view volume of the program; it never changes.
inline constexpr Frustum frustum = {-0.25f, 0.25f, -0.25f, 0.25f, 0.25f, 1.0f};

Matrix4& matCopy(Matrix4& dst, const Matrix4& src);
// dst = a * b.
Matrix4& matMultiply(Matrix4& dst, const Matrix4& a, const Matrix4& b);
// dst = m * v, no division by w.
Vector4& matTransformPoint(Vector4& dst, const Matrix4& m, const Vector4& v);
// dst = (upper-left 3x3 of m) * v: no translation, no renormalisation.
Vector3& matTransformVector(Vector3& dst, const Matrix4& m, const Vector3& v);
// Rotation by angle degrees about axis, counter-clockwise seen from the axis's tip (as
// glRotatef). An axis other than exactly (1,0,0), (0,1,0) or (0,0,1) is normalised in place.
Matrix4& matRotate(Matrix4& dst, float angle, Vector3& axis);
Matrix4& matScale(Matrix4& dst, float sx, float sy, float sz);
Matrix4& matTranslate(Matrix4& dst, float tx, float ty, float tz);
// The projection of glFrustum: eye space to homogeneous clip space, near plane to z = -w,
// far plane to z = +w, w = -z (the depth in front of the camera).
Matrix4& matFrustum(Matrix4& dst, float left, float right, float bottom, float top, float near,
                    float far);
// The closed-form inverse of matFrustum for the same six values: clip space back to eye space.
Matrix4& matFrustumInverse(Matrix4& dst, float left, float right, float bottom, float top,
                           float near, float far);

void vecSet(Vector3& dst, float x, float y, float z);
void vecCopy(Vector3& dst, const Vector3& src);
// dst = a - b.
void vecSubtract(Vector3& dst, const Vector3& a, const Vector3& b);
double vecLength(const Vector3& v);
// v /= |v|; the zero vector becomes NaN.
void vecNormalize(Vector3& v);
// dst = a x b.
void vecCross(Vector3& dst, const Vector3& a, const Vector3& b);
