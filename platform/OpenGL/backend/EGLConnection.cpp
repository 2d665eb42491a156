#include "EGLConnection.h"

#include "ThreadContexts.h"

#include <EGL/eglext.h>

#include <cstdio>
#include <cstdlib>

namespace OpenGLBackend {
namespace {

struct Connection {
  EGLDisplay display = EGL_NO_DISPLAY;
  EGLContext root = EGL_NO_CONTEXT;
};

const EGLint kContextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                     EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT, EGL_NONE};

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define MOXICAM_THREAD_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define MOXICAM_THREAD_SANITIZER 1
#endif

Connection connect() {
  Connection connection;
#ifdef MOXICAM_THREAD_SANITIZER
  // Mesa's rasterizer threads hand their work over through futexes, which ThreadSanitizer does
  // not see, so a frame of any size would look like races inside the driver: under it, the
  // rasterizer runs on the drawing thread (unless the environment says otherwise).
  setenv("LP_NUM_THREADS", "0", 0);
#endif
  EGLDisplay display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
    std::fprintf(stderr, "OpenGL: no surfaceless EGL display (EGL error 0x%x)\n", eglGetError());
    return connection;
  }
  stopThreadTeardownAtExit();
  if (!eglBindAPI(EGL_OPENGL_API)) {
    std::fprintf(stderr, "OpenGL: EGL cannot bind the OpenGL API (EGL error 0x%x)\n", eglGetError());
    return connection;
  }
  EGLContext root = eglCreateContext(display, EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, kContextAttributes);
  if (root == EGL_NO_CONTEXT) {
    std::fprintf(stderr, "OpenGL: no compatibility-profile context (EGL error 0x%x)\n", eglGetError());
    return connection;
  }
  connection.display = display;
  connection.root = root;
  return connection;
}

const Connection& connection() {
  static const Connection* const sConnection = new Connection(connect());
  return *sConnection;
}

}  // namespace

EGLDisplay eglDisplay() { return connection().display; }

EGLContext createSharedContext() {
  const Connection& shared = connection();
  if (shared.display == EGL_NO_DISPLAY) return EGL_NO_CONTEXT;
  // Every thread binds the API for itself.
  eglBindAPI(EGL_OPENGL_API);
  return eglCreateContext(shared.display, EGL_NO_CONFIG_KHR, shared.root, kContextAttributes);
}

}  // namespace OpenGLBackend
