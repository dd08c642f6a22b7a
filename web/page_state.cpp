// What the page shows beside the canvas about the program's state, read from the program's own
// ViewState and mesh (web/page_controls.js calls these after every frame).
#include "web/gl_compat.h"

#include "app/app.h"
#include "model/model.h"

#include <emscripten/emscripten.h>

extern "C" {

EMSCRIPTEN_KEEPALIVE int webClipSpaceView()
{
    return viewState.clipSpaceView != 0;
}

EMSCRIPTEN_KEEPALIVE int webAnimate()
{
    return viewState.animate != 0;
}

// The observer camera's orbit angles, degrees, as the display applies them.
EMSCRIPTEN_KEEPALIVE double webOrbitAngleX()
{
    return viewState.orbitAngleX;
}

EMSCRIPTEN_KEEPALIVE double webOrbitAngleY()
{
    return viewState.orbitAngleY;
}

// Triangles of the loaded mesh (0 before it is loaded).
EMSCRIPTEN_KEEPALIVE int webTriangleCount()
{
    return meshArrays.triangleCount;
}

} // extern "C"
