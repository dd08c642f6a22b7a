// Mesa's surfaceless EGL platform with a config-less context: no display server needed.
#include "tests/egl_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

bool makeSurfacelessGlContextCurrent()
{
    static const bool current = [] {
        auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (!getPlatformDisplay) return false;
        const EGLDisplay display =
            getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
        if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) return false;
        if (!eglBindAPI(EGL_OPENGL_API)) return false;
        const EGLContext context =
            eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, nullptr);
        return context != EGL_NO_CONTEXT &&
               eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context);
    }();
    return current;
}
