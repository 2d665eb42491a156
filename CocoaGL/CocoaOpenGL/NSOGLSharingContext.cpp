#include "NSOGLSharingContext.h"

#include <CoreGraphics/CGOpenGLDisplayMask.h>
#include <dispatch/dispatch.h>

#include "NSOGLOffscreenContextWithWindowBacking.h"

OBJC_CLASS_DEFINE(NSOGLSharingContext)

NSOpenGLContext* NSOGLSharingContext::defaultSharedContext() {
  NSOGLOffscreenContextBase* shared = NSOGLOffscreenContextWithWindowBacking::sharedTextureContext();
  return shared ? shared->openGLContext() : nullptr;
}

::CGLContextObj NSOGLSharingContext::existingSharedContextObj() {
  NSOGLOffscreenContextBase* shared = NSOGLOffscreenContextWithWindowBacking::existingSharedTextureContext();
  NSOpenGLContext* context = shared ? shared->openGLContext() : nullptr;
  return context ? context->CGLContextObj() : nullptr;
}

std::vector<NSOpenGLPixelFormatAttribute> NSOGLSharingContext::defaultSharedPixelFormatAttributes(
    bool pixelBuffer, CGDirectDisplayID display) {
  std::vector<NSOpenGLPixelFormatAttribute> attributes = {
      NSOpenGLPFAScreenMask,  CGDisplayIDToOpenGLDisplayMask(display),
      NSOpenGLPFAColorSize,   24,
      NSOpenGLPFAAlphaSize,   8,
      NSOpenGLPFADepthSize,   16,
      NSOpenGLPFANoRecovery,  NSOpenGLPFADoubleBuffer,
      NSOpenGLPFAAccelerated, NSOpenGLPFABackingStore};
  if (pixelBuffer) attributes.push_back(NSOpenGLPFAPixelBuffer);
  attributes.push_back(0);
  return attributes;
}

NSOpenGLPixelFormat* NSOGLSharingContext::defaultSharedPixelFormat(bool pixelBuffer,
                                                                   CGDirectDisplayID display) {
  const std::vector<NSOpenGLPixelFormatAttribute> attributes =
      defaultSharedPixelFormatAttributes(pixelBuffer, display);
  NSOpenGLPixelFormat* format = NSOpenGLPixelFormat::alloc()->initWithAttributes(attributes.data());
  return format ? static_cast<NSOpenGLPixelFormat*>(format->autorelease()) : nullptr;
}

NSOpenGLPixelFormat* NSOGLSharingContext::defaultSharedPixelFormat(bool pixelBuffer) {
  return defaultSharedPixelFormat(pixelBuffer, CGMainDisplayID());
}

NSOpenGLPixelFormat* NSOGLSharingContext::defaultSharedPixelFormat() {
  return defaultSharedPixelFormat(false);
}

NSOperationQueue* NSOGLSharingContext::serializedQueue() {
  static dispatch_once_t once = 0;
  static NSOperationQueue* queue = nullptr;
  dispatch_once(&once, [] {
    queue = static_cast<NSOperationQueue*>(NSOperationQueue::alloc()->init());
    queue->setMaxConcurrentOperationCount(1);
    queue->setName(NSString::stringWithUTF8String(class_getName(NSOGLSharingContext::class_())));
    queue->makeImmortal();
  });
  return queue;
}
