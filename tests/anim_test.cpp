// The object's motion: the step sequence from the start (bounces, the spin wrap), the model
// matrix's order of transformations, and the scene arrays it rewrites.
#include "anim/anim.h"
#include "model/model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {

// Every test starts from the program's initial motion and an empty mesh, and puts both back.
class Animation : public ::testing::Test {
protected:
    void SetUp() override
    {
        initial = motionState;
        savedMesh = meshArrays;
        meshArrays = {0, nullptr, nullptr, nullptr, nullptr, nullptr};
    }
    void TearDown() override
    {
        motionState = initial;
        meshArrays = savedMesh;
    }
    void steps(int n)
    {
        for (int i = 0; i < n; ++i) stepAnimation(1);
    }
    MotionState initial;
    MeshArrays savedMesh;
};

TEST_F(Animation, StartsInTheMiddleOfTheFrustumAndTakesItsFirstStep)
{
    EXPECT_EQ(motionState.position.z, -0.75f);
    steps(1);
    EXPECT_EQ(motionState.position.x, 0.01f);
    EXPECT_EQ(motionState.position.y, 0.003f);
    EXPECT_EQ(motionState.position.z, -0.75f + 0.007f);
    EXPECT_EQ(motionState.spinAngle.x, 1.0f);
    EXPECT_EQ(motionState.spinAngle.y, 1.0f);
    EXPECT_EQ(motionState.spinAngle.z, 1.0f);
    EXPECT_EQ(motionState.velocity.x, 0.01f);
    EXPECT_EQ(motionState.velocity.y, 0.003f);
    EXPECT_EQ(motionState.velocity.z, 0.007f);
}

// Step 25 takes x one unit in the last place past 0.25; the bounce steps back without clamping
// and lands one unit in the last place below where x was.
TEST_F(Animation, FirstBounceAtStep25StepsBackWithoutClamping)
{
    steps(24);
    const float before = motionState.position.x;
    EXPECT_NEAR(before, 0.24f, 1e-6f);
    EXPECT_EQ(before + 0.01f, std::nextafter(0.25f, 1.0f)) << "the sum lies just outside";
    steps(1);
    EXPECT_EQ(motionState.velocity.x, -0.01f);
    EXPECT_EQ(motionState.position.x, std::nextafter(before, 0.0f));
    steps(1);
    EXPECT_LT(motionState.position.x, before - 0.009f) << "and then moves the other way";
}

TEST_F(Animation, BouncesInZAtStep72AndInYAtStep84)
{
    // Each velocity turns negative exactly at its first bounce. (x reaches the left limit
    // around step 74, where the floats' drift decides the step, so x is checked up to 73.)
    struct Bounce {
        const char* axis;
        const float* velocity;
        int firstBounce, checkedUntil;
    };
    const Bounce bounces[] = {{"x", &motionState.velocity.x, 25, 73},
                              {"z", &motionState.velocity.z, 72, 84},
                              {"y", &motionState.velocity.y, 84, 84}};
    for (int step = 1; step <= 84; ++step) {
        stepAnimation(1);
        for (const Bounce& b : bounces) {
            if (step > b.checkedUntil) continue;
            EXPECT_EQ(*b.velocity < 0, step >= b.firstBounce) << b.axis << " at step " << step;
        }
    }
    // The box is the near rectangle swept through the depth range.
    MotionState probe = motionState;
    for (int step = 85; step <= 2000; ++step) {
        stepAnimation(1);
        probe = motionState;
        ASSERT_GE(probe.position.x, -0.25f - 1e-6f);
        ASSERT_LE(probe.position.x, 0.25f + 1e-6f);
        ASSERT_GE(probe.position.y, -0.25f - 1e-6f);
        ASSERT_LE(probe.position.y, 0.25f + 1e-6f);
        ASSERT_GE(probe.position.z, -1.0f - 1e-6f);
        ASSERT_LE(probe.position.z, -0.25f + 1e-6f);
    }
}

TEST_F(Animation, PositionExactlyOnALimitDoesNotBounce)
{
    motionState.position = {0.24f, 0, -0.75f};
    motionState.velocity = {0.25f - 0.24f, 0, 0};  // lands exactly on the right limit
    ASSERT_EQ(0.24f + motionState.velocity.x, 0.25f);
    steps(1);
    EXPECT_EQ(motionState.position.x, 0.25f);
    EXPECT_GT(motionState.velocity.x, 0.0f);
}

TEST_F(Animation, AnglesReach360ThenWrapTo1)
{
    steps(359);
    EXPECT_EQ(motionState.spinAngle.x, 359.0f);
    steps(1);
    EXPECT_EQ(motionState.spinAngle.x, 360.0f) << "exactly 360 stays";
    EXPECT_EQ(motionState.spinAngle.y, 360.0f);
    EXPECT_EQ(motionState.spinAngle.z, 360.0f);
    steps(1);
    EXPECT_EQ(motionState.spinAngle.x, 1.0f);
    EXPECT_EQ(motionState.spinAngle.y, 1.0f);
    EXPECT_EQ(motionState.spinAngle.z, 1.0f);
}

// One triangle in the mesh arrays, owned by the test.
struct OneTriangle {
    Vector4 modelVertices[3];
    Vector3 modelNormals[1];
    unsigned char colors[3] = {9, 8, 7};
    Vector4 sceneVertices[3];
    Vector3 sceneNormals[1];
    MeshArrays arrays()
    {
        return {1, modelVertices, modelNormals, colors, sceneVertices, sceneNormals};
    }
};

TEST_F(Animation, ScaleIsAppliedFirstThenTheRotationsThenTheTranslation)
{
    OneTriangle mesh = {{{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 1}}, {{0, 0, 1}}, {9, 8, 7}, {}, {}};
    meshArrays = mesh.arrays();

    motionState.spinAngle = {0, 0, 0};
    stepAnimation(0);
    EXPECT_EQ(mesh.sceneVertices[0].x, 0.2f);
    EXPECT_EQ(mesh.sceneVertices[0].y, 0.0f);
    EXPECT_EQ(mesh.sceneVertices[0].z, -0.75f);
    EXPECT_EQ(mesh.sceneVertices[0].w, 1.0f);
    EXPECT_EQ(mesh.sceneNormals[0].z, 0.2f) << "normals are scaled, not renormalised";

    // About x first, then about y: (0, 1, 0) -> (0, 0, 1) -> (1, 0, 0), scaled by 0.2.
    // The other order would leave it at (0, 0, 0.2) + position.
    motionState.spinAngle = {90, 90, 0};
    stepAnimation(0);
    EXPECT_NEAR(mesh.sceneVertices[1].x, 0.2f, 1e-5);
    EXPECT_NEAR(mesh.sceneVertices[1].y, 0.0f, 1e-5);
    EXPECT_NEAR(mesh.sceneVertices[1].z, -0.75f, 1e-5);
    EXPECT_EQ(mesh.sceneVertices[1].w, 1.0f);
    EXPECT_EQ(mesh.colors[0], 9) << "colours are left alone";

    // Off the axis and turned about z: the turn applies to the model point, not to the position.
    // (1, 0, 0) -> (0.2, 0, 0) -> (0, 0.2, 0), then moved to (0.1, 0.05, -0.5); turning the
    // position too would give (-0.05, 0.3, -0.5).
    motionState.position = {0.1f, 0.05f, -0.5f};
    motionState.spinAngle = {0, 0, 90};
    stepAnimation(0);
    EXPECT_NEAR(mesh.sceneVertices[0].x, 0.1f, 1e-5);
    EXPECT_NEAR(mesh.sceneVertices[0].y, 0.25f, 1e-5);
    EXPECT_NEAR(mesh.sceneVertices[0].z, -0.5f, 1e-5);
}

TEST_F(Animation, StoppedStepRewritesTheSameArrays)
{
    OneTriangle mesh = {{{0.3f, -1.2f, 0.7f, 1}, {1, 1, 1, 1}, {-2, 0.5f, 0, 1}},
                        {{0.6f, 0.8f, 0}}, {9, 8, 7}, {}, {}};
    meshArrays = mesh.arrays();
    steps(37);
    const MotionState before = motionState;
    stepAnimation(0);
    EXPECT_EQ(std::memcmp(&before, &motionState, sizeof before), 0) << "no step taken";
    Vector4 first[3];
    Vector3 firstNormal = mesh.sceneNormals[0];
    std::memcpy(first, mesh.sceneVertices, sizeof first);
    std::memset(mesh.sceneVertices, 0xFF, sizeof mesh.sceneVertices);  // scribble, then rebuild
    std::memset(mesh.sceneNormals, 0xFF, sizeof mesh.sceneNormals);
    stepAnimation(0);
    EXPECT_EQ(std::memcmp(first, mesh.sceneVertices, sizeof first), 0);
    EXPECT_EQ(std::memcmp(&firstNormal, mesh.sceneNormals, sizeof firstNormal), 0);
}

TEST_F(Animation, EmptyMeshStillMoves)
{
    meshArrays = {0, nullptr, nullptr, nullptr, nullptr, nullptr};
    steps(3);
    EXPECT_EQ(motionState.spinAngle.x, 3.0f);
}

} // namespace
