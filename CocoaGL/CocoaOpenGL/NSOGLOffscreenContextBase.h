#pragma once
// An offscreen OpenGL context with a lock of its own (the lock property hands it out; it does
// not lock).
#include <AppKit/NSOpenGLContext.h>
#include <AppKit/NSOpenGLPixelFormat.h>
#include <CoreGraphics/CGGeometry.h>
#include <Foundation/NSLock.h>
#include <Foundation/NSObject.h>

#include "LockedProperty.h"

class NSOGLOffscreenContextBase : public NSObject {
  OBJC_CLASS_DECL(NSOGLOffscreenContextBase, NSObject)

 public:
  NSObject* init() override;

  RefPtr<NSRecursiveLock> lock() const;
  void setLock(NSRecursiveLock* lock);

  virtual NSOpenGLContext* openGLContext() const { return nullptr; }
  virtual NSOpenGLPixelFormat* openGLPixelFormat() const { return nullptr; }
  static NSOpenGLPixelFormat* defaultSharedPixelFormat();

  // Viewport, identity matrices, an orthographic projection of the rectangle's size, and a
  // black clear, under the context's lock.
  void reshapeOpenGLContext(CGRect rect);

 protected:
  NSOGLOffscreenContextBase() = default;
  void dealloc() override;

 private:
  LockedProperty<NSRecursiveLock> mLock;
};
