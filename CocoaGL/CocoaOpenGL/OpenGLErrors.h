#pragma once
// Draining: pending GL errors are read until none is left and dropped, so that no error of
// one step reaches the next user of the context.
#include <OpenGL/gl.h>

namespace OpenGL {

inline void drainErrors() {
  // A bound keeps a context without a current GL context (where glGetError may answer
  // anything) from looping for good.
  for (int i = 0; i < 64 && glGetError() != GL_NO_ERROR; ++i) {
  }
}

}  // namespace OpenGL
