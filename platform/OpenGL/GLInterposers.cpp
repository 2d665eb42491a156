// The standard entry points that this framework takes over, so that what the system calls
// by its platform's names behaves as it does there:
//   - framebuffer 0 is the current context's drawable (CGLDrawable.h);
//   - textures that show a surface follow it (CGLIOSurface.h): binding one picks up what a
//     CPU writer put in the surface, and leaving a framebuffer that draws into one writes the
//     drawing into the surface;
//   - Apple's client storage is ignored (an upload always copies) and its 4:2:2 format is
//     Mesa's YCbCr format.
// Programs link this framework before the GL library, so these definitions come first; each
// calls the real entry point through RealGL.
#include <OpenGL/OpenGL.h>
#include <OpenGL/gl.h>

#include "backend/ContextObjects.h"
#include "backend/RealGL.h"
#include "backend/SurfacePixelLayout.h"
#include "backend/SurfaceTextures.h"

namespace {

using OpenGLBackend::realGL;
namespace SurfaceTextures = OpenGLBackend::SurfaceTextures;

// The name that framebuffer 0 stands for on this thread.
GLuint framebufferName(GLuint framebuffer) {
  if (framebuffer != 0) return framebuffer;
  CGLContextObj ctx = CGLGetCurrentContext();
  if (!ctx) return 0;
  std::lock_guard<std::mutex> state(ctx->stateMutex);
  return ctx->drawable.framebuffer();
}

template <class Bind>
void bindFramebuffer(Bind bind, GLenum target, GLuint framebuffer) {
  framebuffer = framebufferName(framebuffer);
  if (target == GL_FRAMEBUFFER || target == GL_DRAW_FRAMEBUFFER)
    SurfaceTextures::drawFramebufferChanging(framebuffer);
  bind(target, framebuffer);
}

GLint mesaInternalFormat(GLint internalFormat, GLenum format) {
  return format == GL_YCBCR_422_APPLE ? GL_YCBCR_MESA : internalFormat;
}

}  // namespace

void glBindTexture(GLenum target, GLuint texture) {
  realGL().bindTexture(target, texture);
  SurfaceTextures::textureBound(target, texture);
}

void glBindFramebuffer(GLenum target, GLuint framebuffer) {
  bindFramebuffer(realGL().bindFramebuffer, target, framebuffer);
}

void glBindFramebufferEXT(GLenum target, GLuint framebuffer) {
  bindFramebuffer(realGL().bindFramebufferEXT, target, framebuffer);
}

void glTexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const void* pixels) {
  SurfaceTextures::textureRespecified(target, level);
  realGL().texImage2D(target, level, mesaInternalFormat(internalformat, format), width, height, border,
                      OpenGLBackend::mesaPixelFormat(format), type, pixels);
}

void glTexSubImage2D(GLenum target, GLint level, GLint xoffset, GLint yoffset, GLsizei width, GLsizei height,
                     GLenum format, GLenum type, const void* pixels) {
  realGL().texSubImage2D(target, level, xoffset, yoffset, width, height,
                         OpenGLBackend::mesaPixelFormat(format), type, pixels);
}

void glPixelStorei(GLenum pname, GLint param) {
  if (pname == GL_UNPACK_CLIENT_STORAGE_APPLE) return;
  realGL().pixelStorei(pname, param);
}

void glDeleteTextures(GLsizei n, const GLuint* textures) {
  SurfaceTextures::texturesDeleted(n, textures);
  realGL().deleteTextures(n, textures);
}
