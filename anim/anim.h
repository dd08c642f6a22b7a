// anim/: the object's motion. stepAnimation moves the mesh's centre back and forth inside the
// simulated camera's frustum bounds and tumbles it about its three axes, one step per frame, and
// rewrites the scene arrays (eye space) from the model arrays.
#pragma once

#include "math/vecmath.h"

// The object's motion, in the simulated camera's eye space. Changed only by stepAnimation.
struct MotionState {
    Vector3 position;   // the object's centre, eye-space units
    Vector3 velocity;   // added to position per step; components only ever change sign
    Vector3 spinRate;   // degrees added to spinAngle per step
    Vector3 spinAngle;  // degrees about x, y, z, in (0, 360] after the first step
};

extern MotionState motionState;

// When advance is non-zero, takes one step of motionState: each position component moves by its
// velocity and bounces (velocity negated and added back, no clamping) when it leaves the box
// [left, right] x [bottom, top] x [-far, -near]; each angle grows by its rate and loses 360 once
// when it exceeds 360. Then, whatever advance is, rebuilds sceneVertices and sceneNormals of
// meshArrays with the model matrix T * Rz * Ry * Rx * S (scale 0.2). Allocates nothing.
void stepAnimation(int advance);
