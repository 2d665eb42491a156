#pragma once
// Textures over shared surfaces.
//
// The texture currently bound to target on ctx shows the surface: it is filled from the
// surface's memory now and again, when bound, after the surface's seed moved (another writer
// unlocked it); what GL draws into it through a framebuffer is written back into the
// surface's memory when that framebuffer stops being the draw framebuffer. GL row 0 is
// memory row 0 both ways. Formats: GL_BGRA or GL_RGBA with GL_UNSIGNED_BYTE,
// GL_UNSIGNED_INT_8_8_8_8 or GL_UNSIGNED_INT_8_8_8_8_REV (4 bytes a pixel), and
// GL_YCBCR_422_APPLE with GL_UNSIGNED_SHORT_8_8_APPLE or _REV_APPLE (2 bytes, not drawable).
// Plane 0 only. The texture is bound to the surface until it is deleted or given another
// image (glTexImage2D).
#include <IOSurface/IOSurface.h>
#include <OpenGL/CGLTypes.h>

// kCGLBadContext without a context, kCGLBadValue for a NULL surface, an unknown format, a
// plane other than 0, no texture bound, or a size that does not fit in the surface.
OPENGL_EXPORT CGLError CGLTexImageIOSurface2D(CGLContextObj ctx, GLenum target, GLenum internal_format,
                                              GLsizei width, GLsizei height, GLenum format, GLenum type,
                                              IOSurfaceRef ioSurface, GLuint plane);
