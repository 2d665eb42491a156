#include "SurfacePixelLayout.h"

namespace OpenGLBackend {

GLenum mesaPixelFormat(GLenum format) { return format == GL_YCBCR_422_APPLE ? GL_YCBCR_MESA : format; }

SurfacePixelLayout surfacePixelLayout(GLenum internalFormat, GLenum format, GLenum type) {
  const bool fourBytes =
      (format == GL_BGRA || format == GL_RGBA) &&
      (type == GL_UNSIGNED_BYTE || type == GL_UNSIGNED_INT_8_8_8_8 || type == GL_UNSIGNED_INT_8_8_8_8_REV);
  const bool fourByteTexture = internalFormat == GL_RGBA || internalFormat == GL_RGBA8 ||
                               internalFormat == GL_RGB || internalFormat == GL_RGB8 ||
                               internalFormat == GL_SRGB8_ALPHA8;
  if (fourBytes && fourByteTexture) return {internalFormat, format, type, 4};
  const bool yuv = format == GL_YCBCR_422_APPLE &&
                   (type == GL_UNSIGNED_SHORT_8_8_APPLE || type == GL_UNSIGNED_SHORT_8_8_REV_APPLE);
  if (yuv) return {GL_YCBCR_MESA, GL_YCBCR_MESA, type, 2};
  return {};
}

}  // namespace OpenGLBackend
