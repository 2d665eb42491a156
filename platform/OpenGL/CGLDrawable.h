#pragma once
// The drawable of a context, for the window layer that shows it.
//
// A drawable is a colour and depth renderbuffer pair behind a framebuffer that stands for
// framebuffer 0 of the context: binding 0 binds it, and a thread that makes the context
// current starts drawing into it. CGLFlushDrawable reads it and hands the picture to the
// presenter given here.
#include <OpenGL/CGLTypes.h>
#include <stddef.h>

// Called by CGLFlushDrawable on the flushing thread with the drawable's pixels: 'BGRA' bytes
// (B, G, R, A in memory), rows from the top of the picture, width x 4 bytes a row. The
// pixels are valid during the call only.
typedef void (*CGLDrawablePresenter)(void* info, const void* pixels, size_t width, size_t height,
                                     size_t bytesPerRow);

// Gives the context a drawable of this size (a size of at least 1 x 1 is used), or resizes
// the one it has; the presenter replaces the earlier one. kCGLBadContext without a context.
OPENGL_EXPORT CGLError _CGLAttachDrawable(CGLContextObj ctx, GLint width, GLint height,
                                          CGLDrawablePresenter presenter, void* info);
// Takes the drawable away; framebuffer 0 is then no framebuffer, as for a context without one.
OPENGL_EXPORT CGLError _CGLDetachDrawable(CGLContextObj ctx);
