#pragma once
// An offscreen context made straight from CGL, with no window (not used by the application,
// whose shared context is the window-backed one).
#include <CoreGraphics/CGDisplay.h>

#include "NSOGLOffscreenContextBase.h"

class NSOGLOffscreenContextWithCGLOffscreenBacking : public NSOGLOffscreenContextBase {
  OBJC_CLASS_DECL(NSOGLOffscreenContextWithCGLOffscreenBacking, NSOGLOffscreenContextBase)

 public:
  // Made once, never released.
  static NSOGLOffscreenContextWithCGLOffscreenBacking* sharedTextureContext();
  // New (+1) CGL pixel formats; null when none matches.
  static CGLPixelFormatObj createCGLPixelFormatWithDisplayIDForSharingContext(uint32_t displayID);
  static CGLPixelFormatObj createCGLPixelFormatOptimizedForDisplayID(uint32_t displayID);

  NSOGLOffscreenContextWithCGLOffscreenBacking* initWithMainDisplayID();
  NSOGLOffscreenContextWithCGLOffscreenBacking* initWithDisplayID_useForSharingContext(
      uint32_t displayID, bool useForSharingContext);

  uint32_t openGLDisplayID() const { return mOpenGLDisplayID; }
  void setOpenGLDisplayID(uint32_t displayID) { mOpenGLDisplayID = displayID; }
  NSOpenGLContext* openGLContext() const override;
  void setOpenGLContext(NSOpenGLContext* context);
  // Autoreleased; null without a CGL pixel format.
  NSOpenGLPixelFormat* openGLPixelFormat() const override;
  // The whole display's size.
  void reshapeOpenGLContext();

 protected:
  NSOGLOffscreenContextWithCGLOffscreenBacking() = default;
  void dealloc() override;

 private:
  uint32_t mOpenGLDisplayID = 0;
  CGLPixelFormatObj mOpenGLPixelFormatObj = nullptr;
  CGLContextObj mOpenGLContextObj = nullptr;
  LockedProperty<NSOpenGLContext> mOpenGLContext;
};
