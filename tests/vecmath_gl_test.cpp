// The projection and rotation matrices against the ones real OpenGL builds (Mesa, in a
// surfaceless EGL context: no window needed).
#include "math/vecmath.h"
#include "tests/egl_context.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

Matrix4 glModelview()
{
    Matrix4 m;
    glGetFloatv(GL_MODELVIEW_MATRIX, m.m);
    return m;
}

// Floats between a and b, counting both signs of zero as one.
int ulpsApart(float a, float b)
{
    int32_t ia, ib;
    std::memcpy(&ia, &a, sizeof a);
    std::memcpy(&ib, &b, sizeof b);
    if (ia < 0) ia = INT32_MIN - ia;
    if (ib < 0) ib = INT32_MIN - ib;
    return std::abs(ia - ib);
}

// OpenGL forms the entries in float, we in double with one rounding: for the program's frustum
// the two agree exactly, for others to the last bit.
TEST(AgainstOpenGL, FrustumIsTheMatrixOfGlFrustum)
{
    ASSERT_TRUE(makeSurfacelessGlContextCurrent());
    const float bounds[][6] = {{-0.25f, 0.25f, -0.25f, 0.25f, 0.25f, 1.0f},
                               {-0.3f, 0.7f, -0.2f, 0.5f, 0.4f, 9.0f},
                               {-2.0f, 1.0f, -0.75f, 1.5f, 0.1f, 100.0f}};
    for (const auto& f : bounds) {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glFrustum(f[0], f[1], f[2], f[3], f[4], f[5]);
        const Matrix4 fromGl = glModelview();
        Matrix4 ours;
        matFrustum(ours, f[0], f[1], f[2], f[3], f[4], f[5]);
        const bool programs = &f == &bounds[0];
        for (int i = 0; i < 16; ++i)
            EXPECT_LE(ulpsApart(ours.m[i], fromGl.m[i]), programs ? 0 : 1)
                << "entry " << i << ": " << ours.m[i] << " vs " << fromGl.m[i];
    }
}

TEST(AgainstOpenGL, RotationIsTheMatrixOfGlRotatefUpToTheDegreeFactor)
{
    ASSERT_TRUE(makeSurfacelessGlContextCurrent());
    const Vector3 axes[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 2, 3}, {-0.5f, 0.25f, 2}};
    for (const Vector3& given : axes) {
        for (float angle : {10.0f, 90.0f, 135.0f, 300.0f, -45.0f}) {
            glMatrixMode(GL_MODELVIEW);
            glLoadIdentity();
            glRotatef(angle, given.x, given.y, given.z);
            const Matrix4 fromGl = glModelview();
            Vector3 axis = given;
            Matrix4 ours;
            matRotate(ours, angle, axis);
            // Our factor 0.0174532 is 1.7e-7 short of pi/180, so ours turns by up to 6e-5
            // degrees less; entries then differ by at most that much in radians.
            for (int i = 0; i < 16; ++i)
                EXPECT_NEAR(ours.m[i], fromGl.m[i], 1e-6 + std::fabs(angle) * 3e-9 * 60)
                    << "entry " << i << " angle " << angle;
        }
    }
}

} // namespace
