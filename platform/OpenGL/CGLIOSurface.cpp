#include <OpenGL/CGLIOSurface.h>

#include "backend/SurfacePixelLayout.h"
#include "backend/SurfaceTextures.h"
#include "backend/ThreadContexts.h"

CGLError CGLTexImageIOSurface2D(CGLContextObj ctx, GLenum target, GLenum internal_format, GLsizei width,
                                GLsizei height, GLenum format, GLenum type, IOSurfaceRef ioSurface,
                                GLuint plane) {
  if (!ctx) return kCGLBadContext;
  if (!ioSurface || plane != 0) return kCGLBadValue;
  const OpenGLBackend::SurfacePixelLayout layout =
      OpenGLBackend::surfacePixelLayout(internal_format, format, type);
  if (layout.bytesPerPixel == 0 || width <= 0 || height <= 0) return kCGLBadValue;
  const size_t rowBytes = IOSurfaceGetBytesPerRow(ioSurface);
  if (static_cast<size_t>(width) * layout.bytesPerPixel > rowBytes ||
      static_cast<size_t>(height) > IOSurfaceGetHeight(ioSurface) ||
      rowBytes * static_cast<size_t>(height) > IOSurfaceGetAllocSize(ioSurface))
    return kCGLBadValue;
  GLenum bindingQuery;
  switch (target) {
    case GL_TEXTURE_2D:
      bindingQuery = GL_TEXTURE_BINDING_2D;
      break;
    case GL_TEXTURE_RECTANGLE_ARB:
      bindingQuery = GL_TEXTURE_BINDING_RECTANGLE_ARB;
      break;
    default:
      return kCGLBadEnumeration;
  }
  OpenGLBackend::ContextScope scope(ctx);
  if (!scope.ok()) return kCGLBadContext;
  GLint texture = 0;
  glGetIntegerv(bindingQuery, &texture);
  if (texture == 0) return kCGLBadValue;
  OpenGLBackend::SurfaceTextures::attach(target, static_cast<GLuint>(texture), layout, width, height,
                                         ioSurface);
  return kCGLNoError;
}
