#pragma once
// The process's EGL display on Mesa's surfaceless platform, and the root context that every
// context of the process shares its objects with. Both are made on first use and kept until
// the process ends: GL objects of the share group live as long.
#include <EGL/egl.h>

namespace OpenGLBackend {

// The display, or EGL_NO_DISPLAY when EGL cannot be brought up (reported once on stderr).
EGLDisplay eglDisplay();
// A new compatibility-profile context in the share group; EGL_NO_CONTEXT on failure.
EGLContext createSharedContext();

}  // namespace OpenGLBackend
