#pragma once
// CGL: pixel formats, contexts, their locks and parameters, and the drawable a context
// presents.
//
// All contexts of a process share their objects (textures, programs, framebuffers,
// renderbuffers): every context belongs to one share group, whatever share context it was
// made with. There is one renderer and one virtual screen.
#include <OpenGL/CGLCurrent.h>
#include <OpenGL/CGLTypes.h>

// Pixel formats. The attribute list ends with 0; the attributes that take a value are
// followed by it. An unknown attribute is kCGLBadAttribute; attributes that cannot be met
// (a colour, depth or stencil size above 32, 32 and 8 bits, a display mask without the GL
// display, more than one virtual screen's renderer) leave *pix NULL with kCGLNoError.
OPENGL_EXPORT CGLError CGLChoosePixelFormat(const CGLPixelFormatAttribute* attribs, CGLPixelFormatObj* pix,
                                            GLint* npix);
// The value of an attribute in the chosen format (booleans: 1 when asked for, else 0).
OPENGL_EXPORT CGLError CGLDescribePixelFormat(CGLPixelFormatObj pix, GLint pix_num,
                                              CGLPixelFormatAttribute attrib, GLint* value);
OPENGL_EXPORT CGLPixelFormatObj CGLRetainPixelFormat(CGLPixelFormatObj pix);
OPENGL_EXPORT void CGLReleasePixelFormat(CGLPixelFormatObj pix);
OPENGL_EXPORT CGLError CGLDestroyPixelFormat(CGLPixelFormatObj pix);
OPENGL_EXPORT GLuint CGLGetPixelFormatRetainCount(CGLPixelFormatObj pix);

// Contexts. share may be NULL or any context.
OPENGL_EXPORT CGLError CGLCreateContext(CGLPixelFormatObj pix, CGLContextObj share, CGLContextObj* ctx);
// Releases the context, first making no context current on this thread when it is current here.
OPENGL_EXPORT CGLError CGLDestroyContext(CGLContextObj ctx);
OPENGL_EXPORT CGLContextObj CGLRetainContext(CGLContextObj ctx);
OPENGL_EXPORT void CGLReleaseContext(CGLContextObj ctx);
OPENGL_EXPORT GLuint CGLGetContextRetainCount(CGLContextObj ctx);
OPENGL_EXPORT CGLPixelFormatObj CGLGetPixelFormat(CGLContextObj ctx);

// The context's lock: recursive, one thread at a time.
OPENGL_EXPORT CGLError CGLLockContext(CGLContextObj ctx);
OPENGL_EXPORT CGLError CGLUnlockContext(CGLContextObj ctx);

// Parameters: kCGLCPSwapInterval, kCGLCPSurfaceOrder and kCGLCPSurfaceOpacity are kept;
// kCGLCPSurfaceBackingSize (width, height) is the drawable's size while
// kCGLCESurfaceBackingSize is enabled; kCGLCPHasDrawable answers whether there is one.
OPENGL_EXPORT CGLError CGLSetParameter(CGLContextObj ctx, CGLContextParameter pname, const GLint* params);
OPENGL_EXPORT CGLError CGLGetParameter(CGLContextObj ctx, CGLContextParameter pname, GLint* params);
OPENGL_EXPORT CGLError CGLEnable(CGLContextObj ctx, CGLContextEnable pname);
OPENGL_EXPORT CGLError CGLDisable(CGLContextObj ctx, CGLContextEnable pname);
OPENGL_EXPORT CGLError CGLIsEnabled(CGLContextObj ctx, CGLContextEnable pname, GLint* enable);

// The one virtual screen is 0.
OPENGL_EXPORT CGLError CGLSetVirtualScreen(CGLContextObj ctx, GLint screen);
OPENGL_EXPORT CGLError CGLGetVirtualScreen(CGLContextObj ctx, GLint* screen);

// Presents the context's drawable to whoever shows it (see CGLDrawable.h); without a
// drawable it only flushes.
OPENGL_EXPORT CGLError CGLFlushDrawable(CGLContextObj ctx);

OPENGL_EXPORT const char* CGLErrorString(CGLError error);
