// Vector and matrix operations. Every sum and product is formed in double and rounded to float
// once, when it is stored; a product of two floats is exact in double, so only the sums round.
#include "math/vecmath.h"

#include <cmath>

namespace {

// Degrees to radians: 0.0174532, about 5 parts in a million under pi/180, so a 360-degree turn
// falls about 0.002 degrees short. Every rotation the animation builds uses it, and the frames'
// bits follow from it.
constexpr float degreesToRadians = 0.0174532f;

void setZero(Matrix4& dst)
{
    for (float& entry : dst.m) entry = 0.0f;
}

} // namespace

Matrix4& matCopy(Matrix4& dst, const Matrix4& src)
{
    for (int i = 0; i < 16; ++i) dst.m[i] = src.m[i];
    return dst;
}

Matrix4& matMultiply(Matrix4& dst, const Matrix4& a, const Matrix4& b)
{
    // Formed in a temporary, so dst may be a or b.
    Matrix4 product;
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
            double sum = double(a.m[i]) * b.m[4 * j];
            for (int k = 1; k < 4; ++k) sum += double(a.m[4 * k + i]) * b.m[4 * j + k];
            product.m[4 * j + i] = float(sum);
        }
    }
    return matCopy(dst, product);
}

Vector4& matTransformPoint(Vector4& dst, const Matrix4& m, const Vector4& v)
{
    // All of v is read before dst is written, so dst may be v.
    const double x = v.x, y = v.y, z = v.z, w = v.w;
    const float rx = float(m.m[0] * x + m.m[4] * y + m.m[8] * z + m.m[12] * w);
    const float ry = float(m.m[1] * x + m.m[5] * y + m.m[9] * z + m.m[13] * w);
    const float rz = float(m.m[2] * x + m.m[6] * y + m.m[10] * z + m.m[14] * w);
    const float rw = float(m.m[3] * x + m.m[7] * y + m.m[11] * z + m.m[15] * w);
    dst.x = rx;
    dst.y = ry;
    dst.z = rz;
    dst.w = rw;
    return dst;
}

Vector3& matTransformVector(Vector3& dst, const Matrix4& m, const Vector3& v)
{
    // Formed in a temporary, so dst may be v.
    const double x = v.x, y = v.y, z = v.z;
    Vector3 result;
    result.x = float(m.m[0] * x + m.m[4] * y + m.m[8] * z);
    result.y = float(m.m[1] * x + m.m[5] * y + m.m[9] * z);
    result.z = float(m.m[2] * x + m.m[6] * y + m.m[10] * z);
    vecCopy(dst, result);
    return dst;
}

Matrix4& matRotate(Matrix4& dst, float angle, Vector3& axis)
{
    const double theta = double(angle) * degreesToRadians;
    const float c = float(std::cos(theta));
    const float s = float(std::sin(theta));

    // A component is 1 only when exactly +1.0 and 0 when it compares equal to 0.0 (so -0.0 too).
    const bool alongX = axis.x == 1.0f && axis.y == 0.0f && axis.z == 0.0f;
    const bool alongY = axis.x == 0.0f && axis.y == 1.0f && axis.z == 0.0f;
    const bool alongZ = axis.x == 0.0f && axis.y == 0.0f && axis.z == 1.0f;
    if (alongX || alongY || alongZ) {
        setZero(dst);
        dst.m[15] = 1.0f;
        if (alongX) {
            dst.m[0] = 1.0f;
            dst.m[5] = c, dst.m[6] = s;
            dst.m[9] = -s, dst.m[10] = c;
        } else if (alongY) {
            dst.m[0] = c, dst.m[2] = -s;
            dst.m[5] = 1.0f;
            dst.m[8] = s, dst.m[10] = c;
        } else {
            dst.m[0] = c, dst.m[1] = s;
            dst.m[4] = -s, dst.m[5] = c;
            dst.m[10] = 1.0f;
        }
        return dst;
    }

    vecNormalize(axis);
    const double x = axis.x, y = axis.y, z = axis.z;
    const double oneMinusC = 1.0 - double(c);
    setZero(dst);
    dst.m[0] = float(x * x + (1.0 - x * x) * c);
    dst.m[1] = float(x * y * oneMinusC + z * s);
    dst.m[2] = float(x * z * oneMinusC - y * s);
    dst.m[4] = float(x * y * oneMinusC - z * s);
    dst.m[5] = float(y * y + (1.0 - y * y) * c);
    dst.m[6] = float(y * z * oneMinusC + x * s);
    dst.m[8] = float(x * z * oneMinusC + y * s);
    dst.m[9] = float(y * z * oneMinusC - x * s);
    dst.m[10] = float(z * z + (1.0 - z * z) * c);
    dst.m[15] = 1.0f;
    return dst;
}

Matrix4& matScale(Matrix4& dst, float sx, float sy, float sz)
{
    setZero(dst);
    dst.m[0] = sx;
    dst.m[5] = sy;
    dst.m[10] = sz;
    dst.m[15] = 1.0f;
    return dst;
}

Matrix4& matTranslate(Matrix4& dst, float tx, float ty, float tz)
{
    setZero(dst);
    dst.m[0] = dst.m[5] = dst.m[10] = dst.m[15] = 1.0f;
    dst.m[12] = tx;
    dst.m[13] = ty;
    dst.m[14] = tz;
    return dst;
}

Matrix4& matFrustum(Matrix4& dst, float left, float right, float bottom, float top, float near,
                    float far)
{
    const double l = left, r = right, b = bottom, t = top, n = near, f = far;
    const double twoN = n + n;
    // The height is rounded to float before it divides; the width and the depth are not.
    const double height = float(t - b);
    setZero(dst);
    dst.m[0] = float(twoN / (r - l));
    dst.m[5] = float(twoN / height);
    dst.m[8] = float((r + l) / (r - l));
    dst.m[9] = float((t + b) / height);
    dst.m[10] = float(-(f + n) / (f - n));
    dst.m[11] = -1.0f;
    dst.m[14] = float((n * f * -2.0) / (f - n));
    return dst;
}

Matrix4& matFrustumInverse(Matrix4& dst, float left, float right, float bottom, float top,
                           float near, float far)
{
    const double l = left, r = right, b = bottom, t = top, n = near, f = far;
    const double twoN = n + n;
    const double twoFN = n * f + n * f;
    setZero(dst);
    dst.m[0] = float((r - l) / twoN);
    dst.m[5] = float((t - b) / twoN);
    dst.m[11] = float(-(f - n) / twoFN);
    dst.m[12] = float((r + l) / twoN);
    dst.m[13] = float((t + b) / twoN);
    dst.m[14] = -1.0f;
    dst.m[15] = float((f + n) / twoFN);
    return dst;
}

void vecSet(Vector3& dst, float x, float y, float z)
{
    dst.x = x;
    dst.y = y;
    dst.z = z;
}

void vecCopy(Vector3& dst, const Vector3& src)
{
    dst.x = src.x;
    dst.y = src.y;
    dst.z = src.z;
}

void vecSubtract(Vector3& dst, const Vector3& a, const Vector3& b)
{
    dst.x = float(double(a.x) - b.x);
    dst.y = float(double(a.y) - b.y);
    dst.z = float(double(a.z) - b.z);
}

double vecLength(const Vector3& v)
{
    const double x = v.x, y = v.y, z = v.z;
    return std::sqrt(x * x + y * y + z * z);
}

void vecNormalize(Vector3& v)
{
    const double length = vecLength(v);
    v.x = float(v.x / length);
    v.y = float(v.y / length);
    v.z = float(v.z / length);
}

void vecCross(Vector3& dst, const Vector3& a, const Vector3& b)
{
    // All three components are formed before any is stored, so dst may be a or b.
    const double ax = a.x, ay = a.y, az = a.z, bx = b.x, by = b.y, bz = b.z;
    vecSet(dst, float(ay * bz - az * by), float(az * bx - ax * bz), float(ax * by - ay * bx));
}
