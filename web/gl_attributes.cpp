// The attribute stack of the browser build's compatibility layer. Why: the emulation has no
// glPushAttrib or glPopAttrib (link errors). These save and restore the layer's lighting state
// (gl_lighting.cpp), which is what GL_LIGHTING_BIT covers, and GL_NORMALIZE; the program saves no
// other group.
#include "web/gl_compat_shared.h"

#include <vector>

using namespace glcompat;

namespace {

// One glPushAttrib.
struct SavedAttributes {
    GLbitfield mask;
    LightingState lighting;
    bool normalize;
};

std::vector<SavedAttributes> attributeStack;

} // namespace

void webGlPushAttrib(GLbitfield mask)
{
    attributeStack.push_back({mask, state.lighting, state.normalize});
}

void webGlPopAttrib()
{
    if (attributeStack.empty()) return;  // OpenGL: GL_STACK_UNDERFLOW, nothing changes
    const SavedAttributes saved = attributeStack.back();
    attributeStack.pop_back();
    if (saved.mask & GL_LIGHTING_BIT) state.lighting = saved.lighting;
    // GL_NORMALIZE is an enable of the transform group.
    if (saved.mask & (GL_ENABLE_BIT | GL_TRANSFORM_BIT)) state.normalize = saved.normalize;
}
