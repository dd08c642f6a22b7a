// Vectors and matrices: storage and operand order, in-place calls, double-precision sums, the
// rotation's conversion factor and closed forms, the projection and its inverse, NaN on
// degenerate input.
#include "math/vecmath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

Matrix4 identity()
{
    Matrix4 m;
    return matScale(m, 1, 1, 1);
}

Vector4 transform(const Matrix4& m, Vector4 v)
{
    matTransformPoint(v, m, v);
    return v;
}

void expectVector(const Vector4& v, float x, float y, float z, float w)
{
    EXPECT_EQ(v.x, x);
    EXPECT_EQ(v.y, y);
    EXPECT_EQ(v.z, z);
    EXPECT_EQ(v.w, w);
}

// Entry by entry equal as floats (so 0 and -0 count as the same).
bool sameValues(const Matrix4& a, const Matrix4& b)
{
    for (int i = 0; i < 16; ++i)
        if (!(a.m[i] == b.m[i])) return false;
    return true;
}

TEST(Matrix, StorageIsColumnMajorWithTranslationAt12To14)
{
    Matrix4 t;
    matTranslate(t, 1, 2, 3);
    EXPECT_EQ(t.m[12], 1);
    EXPECT_EQ(t.m[13], 2);
    EXPECT_EQ(t.m[14], 3);
    EXPECT_EQ(t.m[3], 0);
    EXPECT_EQ(t.m[15], 1);
    expectVector(transform(t, {0, 0, 0, 1}), 1, 2, 3, 1);
    expectVector(transform(t, {1, 2, 3, 0}), 1, 2, 3, 0);  // a direction does not move
    Vector3 v = {4, 5, 6}, r;
    matTransformVector(r, t, v);
    EXPECT_EQ(r.x, 4);
    EXPECT_EQ(r.y, 5);
    EXPECT_EQ(r.z, 6);
}

TEST(Matrix, ProductAppliesTheRightOperandFirst)
{
    Matrix4 t, s, ts, st;
    matTranslate(t, 1, 2, 3);
    matScale(s, 2, 2, 2);
    matMultiply(ts, t, s);
    matMultiply(st, s, t);
    expectVector(transform(ts, {1, 1, 1, 1}), 3, 4, 5, 1);  // scaled, then moved
    expectVector(transform(st, {1, 1, 1, 1}), 4, 6, 8, 1);  // moved, then scaled
}

TEST(Matrix, InPlaceCallsGiveTheSameResult)
{
    Matrix4 a, b, expected;
    Vector3 axis = {1, 2, 3};
    matRotate(a, 33, axis);
    matTranslate(b, -1, 5, 0.5f);
    matMultiply(expected, a, b);

    Matrix4 intoA = a;
    matMultiply(intoA, intoA, b);
    EXPECT_TRUE(sameValues(intoA, expected));
    Matrix4 intoB = b;
    matMultiply(intoB, a, intoB);
    EXPECT_TRUE(sameValues(intoB, expected));

    const Vector4 p = {0.3f, -2, 7, 1};
    Vector4 separate, inPlace = p;
    matTransformPoint(separate, expected, p);
    matTransformPoint(inPlace, expected, inPlace);
    expectVector(inPlace, separate.x, separate.y, separate.z, separate.w);

    const Vector3 d = {0.3f, -2, 7};
    Vector3 dSeparate, dInPlace = d;
    matTransformVector(dSeparate, expected, d);
    matTransformVector(dInPlace, expected, dInPlace);
    EXPECT_EQ(dInPlace.x, dSeparate.x);
    EXPECT_EQ(dInPlace.y, dSeparate.y);
    EXPECT_EQ(dInPlace.z, dSeparate.z);

    const Vector3 u = {1, 2, 3}, v = {-4, 0.5f, 2};
    Vector3 cross, crossIntoU = u, crossIntoV = v;
    vecCross(cross, u, v);
    vecCross(crossIntoU, crossIntoU, v);
    vecCross(crossIntoV, u, crossIntoV);
    for (const Vector3& c : {crossIntoU, crossIntoV}) {
        EXPECT_EQ(c.x, cross.x);
        EXPECT_EQ(c.y, cross.y);
        EXPECT_EQ(c.z, cross.z);
    }
    Vector3 diff, diffIntoU = u, diffIntoV = v;
    vecSubtract(diff, u, v);
    vecSubtract(diffIntoU, diffIntoU, v);
    vecSubtract(diffIntoV, u, diffIntoV);
    for (const Vector3& c : {diffIntoU, diffIntoV}) {
        EXPECT_EQ(c.x, diff.x);
        EXPECT_EQ(c.y, diff.y);
        EXPECT_EQ(c.z, diff.z);
    }
}

// 1e8 + 1 - 1e8 is 1 in double but 0 in float, where 1e8 + 1 rounds back to 1e8.
TEST(Matrix, SumsAreFormedInDoublePrecision)
{
    Matrix4 a = identity(), b = identity();
    a.m[0] = 1e8f, a.m[4] = 1, a.m[8] = -1e8f;  // row 0 of a
    b.m[0] = 1, b.m[1] = 1, b.m[2] = 1;         // column 0 of b
    Matrix4 product;
    matMultiply(product, a, b);
    EXPECT_EQ(product.m[0], 1.0f);

    expectVector(transform(a, {1, 1, 1, 0}), 1, 1, 1, 0);

    Vector3 d = {1, 1, 1}, r;
    matTransformVector(r, a, d);
    EXPECT_EQ(r.x, 1.0f);

    // (1 + 2^-12)^2 - (1 + 2^-11) is 2^-24, which a float product would lose.
    const float e = 1.0f + std::ldexp(1.0f, -12);
    Vector3 cross;
    vecCross(cross, {0, e, 1.0f + std::ldexp(1.0f, -11)}, {0, 1, e});
    EXPECT_EQ(cross.x, std::ldexp(1.0f, -24));

    Vector3 diff;
    vecSubtract(diff, {1e8f, 0, 0}, {1, 0, 0});
    EXPECT_EQ(diff.x, 1e8f);  // rounded once, to the nearest float
}

TEST(Rotation, ConvertsDegreesWithTheProgramsFactor)
{
    Matrix4 r;
    Vector3 z = {0, 0, 1};
    matRotate(r, 90, z);
    // 90 * 0.0174532 is a little short of pi / 2, so cos is not 0.
    const double theta = 90.0 * double(0.0174532f);
    EXPECT_EQ(r.m[0], float(std::cos(theta)));
    EXPECT_NEAR(r.m[0], 8.4e-6, 0.1e-6);
    EXPECT_EQ(r.m[5], r.m[0]);
    EXPECT_EQ(r.m[1], 1.0f);
    EXPECT_EQ(r.m[4], -1.0f);
    EXPECT_EQ(r.m[10], 1.0f);
    EXPECT_EQ(r.m[15], 1.0f);

    matRotate(r, 360, z);
    EXPECT_EQ(r.m[0], 1.0f);
    EXPECT_NEAR(r.m[1], -3.36e-5, 0.01e-5);
    EXPECT_EQ(r.m[4], -r.m[1]);
}

TEST(Rotation, TurnsCounterClockwiseSeenFromTheAxisTip)
{
    struct Case {
        Vector3 axis;
        Vector4 from, to;
    };
    const Case cases[] = {
        {{0, 0, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}},  // about z: x towards y
        {{1, 0, 0}, {0, 1, 0, 1}, {0, 0, 1, 1}},  // about x: y towards z
        {{0, 1, 0}, {0, 0, 1, 1}, {1, 0, 0, 1}},  // about y: z towards x
        {{1, 1, 1}, {1, 0, 0, 1}, {0, 1, 0, 1}},  // 120 degrees about the diagonal
    };
    for (const Case& c : cases) {
        Matrix4 r;
        Vector3 axis = c.axis;
        const bool diagonal = c.axis.x == 1 && c.axis.y == 1;
        const Vector4 turned = transform(matRotate(r, diagonal ? 120 : 90, axis), c.from);
        EXPECT_NEAR(turned.x, c.to.x, 1e-4);
        EXPECT_NEAR(turned.y, c.to.y, 1e-4);
        EXPECT_NEAR(turned.z, c.to.z, 1e-4);
        EXPECT_EQ(turned.w, 1.0f);
    }
}

// The general form, reached through an axis that is not exactly a unit coordinate axis, must
// give the closed form bit for bit once the axis is normalised.
TEST(Rotation, GeneralFormMatchesClosedFormsAtTheCoordinateAxes)
{
    const Vector3 axes[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    for (const Vector3& unit : axes) {
        for (float angle : {0.0f, 1.0f, 37.5f, 90.0f, 181.0f, 359.0f, -73.0f}) {
            Vector3 exact = unit;
            Vector3 scaled = {2 * unit.x, 2 * unit.y, 2 * unit.z};
            Matrix4 closed, general;
            matRotate(closed, angle, exact);
            matRotate(general, angle, scaled);
            EXPECT_TRUE(sameValues(closed, general)) << "angle " << angle;
            // The axis given by value 2 is normalised in place; the exact axis is left alone.
            EXPECT_EQ(scaled.x, unit.x);
            EXPECT_EQ(scaled.y, unit.y);
            EXPECT_EQ(scaled.z, unit.z);
        }
    }
}

TEST(Rotation, AngleZeroIsIdentityForAnyAxis)
{
    for (Vector3 axis : {Vector3{1, 0, 0}, Vector3{0, 0, 1}, Vector3{3, -4, 12},
                         Vector3{1e-3f, 0, 0}, Vector3{-1, -1, 0}}) {
        Matrix4 r;
        matRotate(r, 0, axis);
        EXPECT_TRUE(sameValues(r, identity()))
            << "axis " << axis.x << ", " << axis.y << ", " << axis.z;
    }
}

TEST(Rotation, NegatedAxisTurnsTheOtherWay)
{
    Vector3 minusX = {-1, 0, 0}, plusX = {1, 0, 0};
    Matrix4 r, expected;
    matRotate(r, 30, minusX);
    matRotate(expected, -30, plusX);
    EXPECT_EQ(minusX.x, -1.0f);  // normalised, unchanged
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(r.m[i], expected.m[i], 1e-7) << "entry " << i;
}

TEST(Rotation, ZeroAxisGivesNaNInTheRotationBlockOnly)
{
    Vector3 zero = {0, 0, 0};
    Matrix4 r;
    matRotate(r, 45, zero);
    EXPECT_TRUE(std::isnan(zero.x));
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 4; ++i) {
            const float entry = r.m[4 * j + i];
            if (i < 3 && j < 3)
                EXPECT_TRUE(std::isnan(entry)) << i << "," << j;
            else
                EXPECT_EQ(entry, i == 3 && j == 3 ? 1.0f : 0.0f) << i << "," << j;
        }
    }
}

TEST(Projection, MapsTheProgramsFrustumOntoTheClipVolume)
{
    Matrix4 p;
    matFrustum(p, -0.25f, 0.25f, -0.25f, 0.25f, 0.25f, 1.0f);
    for (int i = 0; i < 16; ++i) {
        float expected = 0;
        if (i == 0 || i == 5) expected = 1;
        if (i == 10) expected = float(-5.0 / 3.0);
        if (i == 11) expected = -1;
        if (i == 14) expected = float(-2.0 / 3.0);
        EXPECT_EQ(p.m[i], expected) << "entry " << i;
    }
    // The near top-right corner lands on x = y = w, z = -w; the far centre on z = w.
    const Vector4 corner = transform(p, {0.25f, 0.25f, -0.25f, 1});
    EXPECT_EQ(corner.x, 0.25f);
    EXPECT_EQ(corner.y, 0.25f);
    EXPECT_FLOAT_EQ(corner.z, -0.25f);
    EXPECT_EQ(corner.w, 0.25f);
    const Vector4 farCentre = transform(p, {0, 0, -1, 1});
    EXPECT_EQ(farCentre.x, 0);
    EXPECT_EQ(farCentre.y, 0);
    EXPECT_NEAR(farCentre.z, 1, 1e-7);
    EXPECT_EQ(farCentre.w, 1);
}

TEST(Projection, RoundsTheHeightToFloatBeforeDividing)
{
    // For these bounds 2n / float(t - b) and 2n / (t - b) round to neighbouring floats.
    const float t = 1.28412652f, b = -0.000638552301f, n = 0.624287188f;
    Matrix4 p;
    matFrustum(p, -1, 1, b, t, n, 2);
    EXPECT_EQ(p.m[5], 0.971830845f);
    EXPECT_NE(p.m[5], 0.971830904f);  // the quotient with the unrounded height
}

TEST(Projection, InverseUndoesTheProjection)
{
    Matrix4 inv;
    matFrustumInverse(inv, -0.25f, 0.25f, -0.25f, 0.25f, 0.25f, 1.0f);
    for (int i = 0; i < 16; ++i) {
        float expected = 0;
        if (i == 0 || i == 5) expected = 1;
        if (i == 11) expected = -1.5f;
        if (i == 14) expected = -1;
        if (i == 15) expected = 2.5f;
        EXPECT_EQ(inv.m[i], expected) << "entry " << i;
    }
    expectVector(transform(inv, {0.25f, 0.25f, -0.25f, 0.25f}), 0.25f, 0.25f, -0.25f, 1);

    // On either side, for the program's frustum and an asymmetric one.
    const float bounds[2][6] = {{-0.25f, 0.25f, -0.25f, 0.25f, 0.25f, 1.0f},
                                {-0.3f, 0.7f, -0.2f, 0.5f, 0.4f, 9.0f}};
    for (const auto& f : bounds) {
        Matrix4 p, q, pq, qp;
        matFrustum(p, f[0], f[1], f[2], f[3], f[4], f[5]);
        matFrustumInverse(q, f[0], f[1], f[2], f[3], f[4], f[5]);
        matMultiply(pq, p, q);
        matMultiply(qp, q, p);
        for (int i = 0; i < 16; ++i) {
            const float expected = i % 5 == 0 ? 1.0f : 0.0f;
            EXPECT_NEAR(pq.m[i], expected, 5e-7) << "P x P^-1 entry " << i;
            EXPECT_NEAR(qp.m[i], expected, 5e-7) << "P^-1 x P entry " << i;
        }
    }
}

TEST(Projection, DegenerateBoundsGiveInfinitiesAndNaNs)
{
    Matrix4 p;
    matFrustum(p, 0.5f, 0.5f, -1, 1, 1, 2);  // r = l
    EXPECT_TRUE(std::isinf(p.m[0]));
    EXPECT_TRUE(std::isinf(p.m[8]));
    matFrustum(p, -1, 1, -1, 1, 1, 1);  // f = n
    EXPECT_TRUE(std::isinf(p.m[10]));
    matFrustumInverse(p, -1, 1, -1, 1, 0, 1);  // n = 0
    EXPECT_TRUE(std::isinf(p.m[0]));
    EXPECT_TRUE(std::isnan(p.m[12]));  // 0 / 0
}

TEST(Vector, CrossLengthNormalize)
{
    Vector3 c;
    vecCross(c, {1, 0, 0}, {0, 1, 0});
    EXPECT_EQ(c.z, 1.0f);
    vecCross(c, {0, 1, 0}, {1, 0, 0});
    EXPECT_EQ(c.x, 0.0f);
    EXPECT_EQ(c.y, 0.0f);
    EXPECT_EQ(c.z, -1.0f);

    Vector3 v = {3, 4, 12};
    EXPECT_EQ(vecLength(v), 13.0);
    vecNormalize(v);
    EXPECT_EQ(v.x, float(3.0 / 13.0));
    EXPECT_EQ(v.y, float(4.0 / 13.0));
    EXPECT_EQ(v.z, float(12.0 / 13.0));

    // The length is a double: for (1, 1, 0) it is sqrt(2) to double precision.
    EXPECT_EQ(vecLength({1, 1, 0}), std::sqrt(2.0));

    Vector3 zero = {0, 0, 0};
    vecNormalize(zero);
    EXPECT_TRUE(std::isnan(zero.x) && std::isnan(zero.y) && std::isnan(zero.z));

    Vector3 s;
    vecSet(s, 1, 2, 3);
    Vector3 copy;
    vecCopy(copy, s);
    EXPECT_EQ(copy.x, 1);
    EXPECT_EQ(copy.y, 2);
    EXPECT_EQ(copy.z, 3);
}

} // namespace
