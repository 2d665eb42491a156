#include "RealGL.h"

#include <EGL/egl.h>

#include <cstdio>
#include <cstdlib>

namespace OpenGLBackend {
namespace {

// EGL hands out the dispatch entries themselves, whatever symbols the process interposes.
template <class Function>
void load(Function& function, const char* name) {
  function = reinterpret_cast<Function>(eglGetProcAddress(name));
  if (!function) {
    std::fprintf(stderr, "OpenGL: the GL library has no %s\n", name);
    std::abort();
  }
}

RealGL loadAll() {
  RealGL gl;
  load(gl.bindTexture, "glBindTexture");
  load(gl.bindFramebuffer, "glBindFramebuffer");
  load(gl.bindFramebufferEXT, "glBindFramebufferEXT");
  load(gl.texImage2D, "glTexImage2D");
  load(gl.texSubImage2D, "glTexSubImage2D");
  load(gl.pixelStorei, "glPixelStorei");
  load(gl.deleteTextures, "glDeleteTextures");
  return gl;
}

}  // namespace

const RealGL& realGL() {
  static const RealGL sRealGL = loadAll();
  return sRealGL;
}

}  // namespace OpenGLBackend
