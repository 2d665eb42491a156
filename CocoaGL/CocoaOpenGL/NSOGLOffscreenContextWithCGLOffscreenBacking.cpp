#include "NSOGLOffscreenContextWithCGLOffscreenBacking.h"

#include <CoreGraphics/CGOpenGLDisplayMask.h>
#include <dispatch/dispatch.h>

#include "NSOGLSharingContext.h"

OBJC_CLASS_DEFINE(NSOGLOffscreenContextWithCGLOffscreenBacking)

NSOGLOffscreenContextWithCGLOffscreenBacking*
NSOGLOffscreenContextWithCGLOffscreenBacking::sharedTextureContext() {
  NSOGLSharingContext::serializedQueue();
  static dispatch_once_t once = 0;
  static NSOGLOffscreenContextWithCGLOffscreenBacking* shared = nullptr;
  dispatch_once(&once, [] {
    shared = NSOGLOffscreenContextWithCGLOffscreenBacking::alloc()->initWithMainDisplayID();
    shared->makeImmortal();
  });
  return shared;
}

CGLPixelFormatObj
NSOGLOffscreenContextWithCGLOffscreenBacking::createCGLPixelFormatWithDisplayIDForSharingContext(uint32_t) {
  NSOpenGLPixelFormat* format = NSOGLOffscreenContextBase::defaultSharedPixelFormat();
  return format ? CGLRetainPixelFormat(format->CGLPixelFormatObj()) : nullptr;
}

CGLPixelFormatObj NSOGLOffscreenContextWithCGLOffscreenBacking::createCGLPixelFormatOptimizedForDisplayID(
    uint32_t displayID) {
  const CGLPixelFormatAttribute attributes[] = {
      kCGLPFADisplayMask, static_cast<CGLPixelFormatAttribute>(CGDisplayIDToOpenGLDisplayMask(displayID)),
      static_cast<CGLPixelFormatAttribute>(0)};
  CGLPixelFormatObj format = nullptr;
  GLint count = 0;
  if (CGLChoosePixelFormat(attributes, &format, &count) != kCGLNoError) return nullptr;
  return format;
}

NSOGLOffscreenContextWithCGLOffscreenBacking*
NSOGLOffscreenContextWithCGLOffscreenBacking::initWithMainDisplayID() {
  return initWithDisplayID_useForSharingContext(CGMainDisplayID(), true);
}

NSOGLOffscreenContextWithCGLOffscreenBacking*
NSOGLOffscreenContextWithCGLOffscreenBacking::initWithDisplayID_useForSharingContext(
    uint32_t displayID, bool useForSharingContext) {
  NSOGLOffscreenContextBase::init();
  mOpenGLDisplayID = displayID;
  mOpenGLPixelFormatObj = useForSharingContext ? createCGLPixelFormatWithDisplayIDForSharingContext(displayID)
                                               : createCGLPixelFormatOptimizedForDisplayID(displayID);
  if (!mOpenGLPixelFormatObj) return this;
  CGLCreateContext(mOpenGLPixelFormatObj, nullptr, &mOpenGLContextObj);
  if (!mOpenGLContextObj) return this;
  setOpenGLContext(adopt(NSOpenGLContext::alloc()->initWithCGLContextObj(mOpenGLContextObj)).get());
  reshapeOpenGLContext();
  return this;
}

NSOpenGLContext* NSOGLOffscreenContextWithCGLOffscreenBacking::openGLContext() const {
  return mOpenGLContext.get().get();
}

void NSOGLOffscreenContextWithCGLOffscreenBacking::setOpenGLContext(NSOpenGLContext* context) {
  mOpenGLContext.set(RefPtr<NSOpenGLContext>(context));
}

NSOpenGLPixelFormat* NSOGLOffscreenContextWithCGLOffscreenBacking::openGLPixelFormat() const {
  if (!mOpenGLPixelFormatObj) return nullptr;
  NSOpenGLPixelFormat* format =
      NSOpenGLPixelFormat::alloc()->initWithCGLPixelFormatObj(mOpenGLPixelFormatObj);
  return format ? static_cast<NSOpenGLPixelFormat*>(format->autorelease()) : nullptr;
}

void NSOGLOffscreenContextWithCGLOffscreenBacking::reshapeOpenGLContext() {
  NSOGLOffscreenContextBase::reshapeOpenGLContext(
      CGRectMake(0, 0, CGDisplayPixelsWide(mOpenGLDisplayID), CGDisplayPixelsHigh(mOpenGLDisplayID)));
}

void NSOGLOffscreenContextWithCGLOffscreenBacking::dealloc() {
  setOpenGLContext(nullptr);
  if (mOpenGLContextObj) CGLReleaseContext(mOpenGLContextObj);
  if (mOpenGLPixelFormatObj) CGLDestroyPixelFormat(mOpenGLPixelFormatObj);
  NSOGLOffscreenContextBase::dealloc();
}
