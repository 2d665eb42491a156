#pragma once
// An OpenGL view whose own context shares objects with the application's shared context, with
// a recursive drawable lock and its drawable size in backing pixels. AppKit's side (reshape,
// frame changes, preparing the context) takes the lock blocking on the main thread; the
// display-link thread only tries it.
#include <AppKit/NSOpenGLView.h>
#include <CoreGraphics/CGGeometry.h>

#include <atomic>
#include <mutex>

#include "NSOGLDrawableLock.h"

class NSOGLDisplayLinkOpenGLView : public NSOpenGLView {
  OBJC_CLASS_DECL(NSOGLDisplayLinkOpenGLView, NSOpenGLView)

 public:
  static bool useRetinaDisplayIfAvailable() { return true; }
  // The shared pixel format and context of NSOGLSharingContext.
  static NSOpenGLPixelFormat* defaultPixelFormat();
  static NSOpenGLContext* defaultSharingContext();

  NSView* initWithFrame(NSRect frame) override;
  NSOpenGLView* initWithFrame_pixelFormat(NSRect frame, NSOpenGLPixelFormat* format) override;
  NSObject* initWithCoder(NSCoder* coder) override;
  void initOpenGLView();

  // The drawable lock: NO without a lock or a context.
  bool drawableLockTry();
  bool drawableLockTryWithLockWaitTimeInMilliseconds(double milliseconds);
  bool drawableLockBlocksThread();
  void drawableLockUnlock();
  RefPtr<NSRecursiveLock> openGLLock() const { return mOpenGLLock.lock(); }

  CGLContextObj cglContext();
  // The view's CGL context; null without one.
  virtual CGLContextObj renderContext() { return cglContext(); }
  CGLPixelFormatObj cglPixelFormat() const { return __cglPixelFormat.load(); }
  bool hasOpenGLContextWithDesiredPixelFormat() const { return cglPixelFormat() != nullptr; }

  // Makes the view's own context once (with the class's default pixel format).
  bool drawableInitializeOnce();
  // Makes the view's context of the format, sharing the shared context; answers whether the
  // view is initialised.
  bool drawableInitialize(NSOpenGLPixelFormat* format);

  void prepareOpenGL() override;
  void lockFocus() override;
  void drawRect(NSRect rect) override;
  void renewGState() override;
  void reshape() override;
  void setFrame(NSRect frame) override;
  void awakeFromNib() override;

  // The bounds in backing pixels, and their size.
  virtual CGRect renderBounds();
  CGSize drawableSizePixels() { return renderBounds().size; }
  CGSize atomicBackingDimensions() const;
  void setAtomicBackingDimensions(CGSize size);

  bool stateAwakeFromNibHappened() const { return __stateAwakeFromNibHappened; }
  void setStateAwakeFromNibHappened(bool value) { __stateAwakeFromNibHappened = value; }
  bool stateInitOnceGLCompleted() const { return __stateInitOnceGLCompleted; }
  void setStateInitOnceGLCompleted(bool value) { __stateInitOnceGLCompleted = value; }

  // Hooks for subclasses.
  virtual void drawableReshapeAnyThreadWithDrawableSize(CGSize) {}
  virtual void drawableDrawRect(NSRect) {}
  virtual bool drawableDrawRectCurrentlyAllowed() { return true; }

  void openGLTeardown();

 protected:
  NSOGLDisplayLinkOpenGLView() = default;
  void dealloc() override;
  bool hasContext() { return openGLContext() != nullptr; }

 private:
  NSOGLDrawableLock mOpenGLLock;
  std::atomic<CGLPixelFormatObj> __cglPixelFormat{nullptr};
  mutable std::mutex mBackingDimensionsGuard;
  CGSize __atomicBackingDimensions{};
  std::atomic<bool> __stateAwakeFromNibHappened{false};
  std::atomic<bool> __stateInitOnceGLCompleted{false};
};
