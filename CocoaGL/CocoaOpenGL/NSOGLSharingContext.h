#pragma once
// The process's shared OpenGL context, root of the share group that every texture cache,
// program, filter and view works in, with its pixel format and a one-operation queue.
#include <AppKit/NSOpenGLContext.h>
#include <AppKit/NSOpenGLPixelFormat.h>
#include <CoreGraphics/CGDisplay.h>
#include <Foundation/NSOperation.h>

#include <vector>

class NSOGLSharingContext : public NSOpenGLContext {
  OBJC_CLASS_DECL(NSOGLSharingContext, NSOpenGLContext)

 public:
  // The shared context, made on first use (with its offscreen window and view) and kept for
  // the life of the process; null when no pixel format matches.
  static NSOpenGLContext* defaultSharedContext();
  // The shared context's CGL context when it has been made; null otherwise (never makes it).
  static ::CGLContextObj existingSharedContextObj();

  // The shared pixel format for the main display, or a display (autoreleased; null when
  // nothing matches); with pixelBuffer also for pixel buffers.
  static NSOpenGLPixelFormat* defaultSharedPixelFormat();
  static NSOpenGLPixelFormat* defaultSharedPixelFormat(bool pixelBuffer);
  static NSOpenGLPixelFormat* defaultSharedPixelFormat(bool pixelBuffer, CGDirectDisplayID display);
  // The attribute list of the shared pixel format, ending with 0.
  static std::vector<NSOpenGLPixelFormatAttribute> defaultSharedPixelFormatAttributes(
      bool pixelBuffer, CGDirectDisplayID display);

  // A queue running one operation at a time, made once, named after the class.
  static NSOperationQueue* serializedQueue();

 protected:
  NSOGLSharingContext() = default;
};
