#pragma once
// The textures of the process that show a surface (CGLTexImageIOSurface2D), by GL name (one
// name space: every context shares one group). Memory and GL meet at three moments:
//   - when the texture is bound to the surface, and again when it is bound for use after the
//     surface's seed moved (a CPU writer unlocked it), memory is uploaded into the texture;
//   - when a framebuffer whose colour attachment is such a texture stops being the draw
//     framebuffer, what GL drew is read back into memory.
// GL row 0 is memory row 0 both ways. Every call works on the context current on the calling
// thread and leaves its bindings and pixel-store state as they were.
#include <IOSurface/IOSurface.h>
#include <OpenGL/gltypes.h>

#include "SurfacePixelLayout.h"

namespace OpenGLBackend::SurfaceTextures {

// Gives the texture bound to target the surface's picture and keeps the pair.
void attach(GLenum target, GLuint texture, const SurfacePixelLayout& layout, GLsizei width, GLsizei height,
            IOSurfaceRef surface);

// Hooks of the entry points that GLInterposers.cpp takes over, called around the real call.
void textureBound(GLenum target, GLuint texture);
void drawFramebufferChanging(GLuint next);
void texturesDeleted(GLsizei count, const GLuint* textures);
void textureRespecified(GLenum target, GLint level);

}  // namespace OpenGLBackend::SurfaceTextures
