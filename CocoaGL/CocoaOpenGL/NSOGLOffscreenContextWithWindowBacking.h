#pragma once
// The shared context's home: an OpenGL view in a borderless window that is never shown, whose
// context is the root of the process's share group.
#include <AppKit/NSOpenGLView.h>
#include <AppKit/NSWindow.h>

#include "LockedProperty.h"
#include "NSOGLOffscreenContextBase.h"

class NSOGLOffscreenContextWithWindowBacking : public NSOGLOffscreenContextBase {
  OBJC_CLASS_DECL(NSOGLOffscreenContextWithWindowBacking, NSOGLOffscreenContextBase)

 public:
  static CGRect defaultOpenGLTargetRect() { return CGRectMake(0, 0, 512, 512); }
  // The process's shared object, made once (whichever thread asks first) and never released.
  static NSOGLOffscreenContextWithWindowBacking* sharedTextureContext();
  // The shared object if it has been made, else null.
  static NSOGLOffscreenContextWithWindowBacking* existingSharedTextureContext();

  // A null format means NSOpenGLView's default one.
  NSOGLOffscreenContextWithWindowBacking* initWithTargetRect_pixelFormat(CGRect rect,
                                                                         NSOpenGLPixelFormat* format);
  void createOpenGLContextAndSetToOpenGLView();
  void reshapeOpenGLContext() { NSOGLOffscreenContextBase::reshapeOpenGLContext(openGLTargetRect()); }

  NSOpenGLContext* openGLContext() const override;
  NSOpenGLPixelFormat* openGLPixelFormat() const override;
  CGRect openGLTargetRect() const;
  void setOpenGLTargetRect(CGRect rect);
  RefPtr<NSWindow> offscreenWindow() const;
  RefPtr<NSOpenGLView> offscreenOpenGLView() const;

 protected:
  NSOGLOffscreenContextWithWindowBacking() = default;
  void dealloc() override;

 private:
  LockedProperty<NSOpenGLPixelFormat> mOpenGLPixelFormat;
  LockedProperty<NSOpenGLContext> mOpenGLContext;
  mutable std::mutex mTargetRectGuard;
  CGRect mOpenGLTargetRect{};
  LockedProperty<NSWindow> mOffscreenWindow;
  LockedProperty<NSOpenGLView> mOffscreenOpenGLView;
};
