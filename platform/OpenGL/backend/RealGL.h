#pragma once
// The entry points that this framework takes over (see GLInterposers.cpp), as Mesa's
// dispatch provides them. The framework's own code calls these, never the names it exports.
#include <OpenGL/gltypes.h>

namespace OpenGLBackend {

struct RealGL {
  decltype(&::glBindTexture) bindTexture;
  decltype(&::glBindFramebuffer) bindFramebuffer;
  decltype(&::glBindFramebufferEXT) bindFramebufferEXT;
  decltype(&::glTexImage2D) texImage2D;
  decltype(&::glTexSubImage2D) texSubImage2D;
  decltype(&::glPixelStorei) pixelStorei;
  decltype(&::glDeleteTextures) deleteTextures;
};

const RealGL& realGL();

}  // namespace OpenGLBackend
