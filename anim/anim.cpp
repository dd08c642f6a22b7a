// The object's bouncing, tumbling motion and the per-frame transformation of the mesh into the
// simulated camera's eye space.
#include "anim/anim.h"

#include "model/model.h"

MotionState motionState = {
    {0.0f, 0.0f, -0.75f},    // position: the middle of the frustum's depth
    {0.01f, 0.003f, 0.007f}, // velocity, units per step
    {1.0f, 1.0f, 1.0f},      // spinRate, degrees per step
    {0.0f, 0.0f, 0.0f},      // spinAngle, degrees
};

namespace {

// Moves one coordinate by its velocity. Leaving [low, high] (strictly) reverses the velocity and
// steps back once, without clamping: in floats the result is about, not exactly, the old value.
void moveAndBounce(float& position, float& velocity, float low, float high)
{
    position = position + velocity;
    if (position < low || position > high) {
        velocity = -velocity;
        position = position + velocity;
    }
}

// Turns one angle by its rate; past 360 degrees it loses 360 once, so it runs 1, 2, ..., 360, 1.
void spin(float& angle, float rate)
{
    angle = angle + rate;
    if (angle > 360.0f) angle = angle - 360.0f;
}

void step(MotionState& motion)
{
    moveAndBounce(motion.position.x, motion.velocity.x, frustum.left, frustum.right);
    moveAndBounce(motion.position.y, motion.velocity.y, frustum.bottom, frustum.top);
    moveAndBounce(motion.position.z, motion.velocity.z, -frustum.far, -frustum.near);
    spin(motion.spinAngle.x, motion.spinRate.x);
    spin(motion.spinAngle.y, motion.spinRate.y);
    spin(motion.spinAngle.z, motion.spinRate.z);
}

// model = T * Rz * Ry * Rx * S: a model point is scaled by 0.2, turned about x, then y, then z
// (about the model origin), then moved to the object's position.
void buildModelMatrix(Matrix4& model, const MotionState& motion)
{
    Matrix4 factor;
    Vector3 zAxis = {0.0f, 0.0f, 1.0f};
    Vector3 yAxis = {0.0f, 1.0f, 0.0f};
    Vector3 xAxis = {1.0f, 0.0f, 0.0f};
    matTranslate(model, motion.position.x, motion.position.y, motion.position.z);
    matMultiply(model, model, matRotate(factor, motion.spinAngle.z, zAxis));
    matMultiply(model, model, matRotate(factor, motion.spinAngle.y, yAxis));
    matMultiply(model, model, matRotate(factor, motion.spinAngle.x, xAxis));
    matMultiply(model, model, matScale(factor, 0.2f, 0.2f, 0.2f));
}

} // namespace

void stepAnimation(int advance)
{
    if (advance) step(motionState);

    Matrix4 model;
    buildModelMatrix(model, motionState);
    const int vertexCount = 3 * meshArrays.triangleCount;
    for (int k = 0; k < vertexCount; ++k) {
        matTransformPoint(meshArrays.sceneVertices[k], model, meshArrays.modelVertices[k]);
    }
    // Rotated and scaled by 0.2, not renormalised: GL_NORMALIZE does that when lighting.
    for (int k = 0; k < meshArrays.triangleCount; ++k) {
        matTransformVector(meshArrays.sceneNormals[k], model, meshArrays.modelNormals[k]);
    }
}
