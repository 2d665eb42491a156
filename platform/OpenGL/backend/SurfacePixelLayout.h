#pragma once
// How the pixels of a surface travel between its memory and a GL texture.
#include <OpenGL/gltypes.h>

namespace OpenGLBackend {

struct SurfacePixelLayout {
  GLenum internalFormat = GL_NONE;
  GLenum format = GL_NONE;
  GLenum type = GL_NONE;
  GLsizei bytesPerPixel = 0;  // 0: no layout for these names
};

// The layout of (internal format, format, type) as the caller names it, in Mesa's names:
// Apple's 4:2:2 format is Mesa's YCbCr format, for the texture's format too.
SurfacePixelLayout surfacePixelLayout(GLenum internalFormat, GLenum format, GLenum type);

// Mesa's name of a pixel format that Apple names otherwise; the name itself else.
GLenum mesaPixelFormat(GLenum format);

}  // namespace OpenGLBackend
