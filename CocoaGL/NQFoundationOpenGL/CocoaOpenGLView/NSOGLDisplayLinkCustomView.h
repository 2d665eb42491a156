#pragma once
// A plain view owning an OpenGL context that shares objects with the shared context, with the
// drawable lock of the display-link views but no render cycle: subclasses draw in
// drawableDrawRect.
#include <AppKit/NSOpenGLContext.h>
#include <AppKit/NSView.h>

#include "LockedProperty.h"
#include "NSOGLDrawableLock.h"

class NSOGLDisplayLinkCustomView : public NSView {
  OBJC_CLASS_DECL(NSOGLDisplayLinkCustomView, NSView)

 public:
  // The shared pixel format (autoreleased).
  static NSOpenGLPixelFormat* defaultPixelFormat();

  NSView* initWithFrame(NSRect frame) override;
  NSObject* initWithCoder(NSCoder* coder) override;
  void initCustomView();

  bool drawableLockTry();
  bool drawableLockTryWithLockWaitTimeInMilliseconds(double milliseconds);
  bool drawableLockBlocksThread();
  void drawableLockUnlock();
  CGLContextObj renderContext();

  virtual bool drawableDrawRectCurrentlyAllowed() { return true; }
  virtual void drawableReshapeFromAnyThreadWithDrawableSize(CGSize) {}
  bool drawableInitializeOnce();
  // Makes the context of the format, sharing the shared context, when there is none yet;
  // answers whether the view has a context.
  bool drawableInitialize(NSOpenGLPixelFormat* format);

  void lockFocus() override;
  void drawRect(NSRect rect) override;
  // Takes and gives back the drawable lock; subclasses draw here.
  virtual void drawableDrawRect(NSRect rect);
  // The bounds, in points.
  CGRect renderBounds() { return bounds(); }

  RefPtr<NSOpenGLPixelFormat> openGLPixelFormat() const { return __openGLPixelFormat.get(); }
  void setOpenGLPixelFormat(NSOpenGLPixelFormat* format) {
    __openGLPixelFormat.set(RefPtr<NSOpenGLPixelFormat>(format));
  }
  RefPtr<NSOpenGLContext> openGLContext() const { return __openGLContext.get(); }
  void setOpenGLContext(NSOpenGLContext* context) { __openGLContext.set(RefPtr<NSOpenGLContext>(context)); }
  RefPtr<NSRecursiveLock> openGLLock() const { return mOpenGLLock.lock(); }

 protected:
  NSOGLDisplayLinkCustomView() = default;
  void dealloc() override;

 private:
  bool hasContext() const { return openGLContext() != nullptr; }

  LockedProperty<NSOpenGLPixelFormat> __openGLPixelFormat;
  LockedProperty<NSOpenGLContext> __openGLContext;
  NSOGLDrawableLock mOpenGLLock;
};
