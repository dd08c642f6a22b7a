// What the page shows beside the canvas about the program's state, read from the program's own
// ViewState (web/page_controls.js calls these after every frame).
#include "web/gl_compat.h"

#include "app/app.h"

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

} // extern "C"
