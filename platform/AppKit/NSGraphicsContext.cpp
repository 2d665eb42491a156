#include <AppKit/NSBitmapImageRep.h>
#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSWindow.h>
#include <CoreImage/CIContext.h>

#include <vector>

OBJC_CLASS_DEFINE(NSGraphicsContext)

namespace {

struct ThreadContexts {
  RefPtr<NSGraphicsContext> current;
  std::vector<RefPtr<NSGraphicsContext>> saved;
};

ThreadContexts& threadContexts() {
  thread_local ThreadContexts contexts;
  return contexts;
}

}  // namespace

NSGraphicsContext::~NSGraphicsContext() {
  if (mContext) CGContextRelease(mContext);
}

NSGraphicsContext* NSGraphicsContext::graphicsContextWithCGContext_flipped(CGContextRef context,
                                                                           bool initialFlippedState) {
  if (!context) return nullptr;
  auto* made = new NSGraphicsContext();
  made->mContext = CGContextRetain(context);
  made->mFlipped = initialFlippedState;
  return static_cast<NSGraphicsContext*>(made->autorelease());
}

NSGraphicsContext* NSGraphicsContext::graphicsContextWithGraphicsPort_flipped(void* graphicsPort,
                                                                              bool initialFlippedState) {
  return graphicsContextWithCGContext_flipped(static_cast<CGContextRef>(graphicsPort), initialFlippedState);
}

NSGraphicsContext* NSGraphicsContext::graphicsContextWithWindow(NSWindow* window) {
  return window ? window->graphicsContext() : nullptr;
}

NSGraphicsContext* NSGraphicsContext::graphicsContextWithBitmapImageRep(NSBitmapImageRep* bitmap) {
  CGContextRef context = bitmap ? bitmap->createDrawingContext() : nullptr;
  if (!context) return nullptr;
  auto* made = new NSGraphicsContext();
  made->mContext = context;
  // The CoreGraphics context draws into the bitmap's memory.
  made->mDestination = RefPtr<NSObject>(bitmap);
  return static_cast<NSGraphicsContext*>(made->autorelease());
}

NSGraphicsContext* NSGraphicsContext::currentContext() { return threadContexts().current.get(); }

void NSGraphicsContext::setCurrentContext(NSGraphicsContext* context) {
  threadContexts().current = RefPtr<NSGraphicsContext>(context);
}

bool NSGraphicsContext::currentContextDrawingToScreen() {
  NSGraphicsContext* context = currentContext();
  return context && context->isDrawingToScreen();
}

void NSGraphicsContext::classSaveGraphicsState() {
  ThreadContexts& contexts = threadContexts();
  contexts.saved.push_back(contexts.current);
  if (contexts.current) contexts.current->saveGraphicsState();
}

void NSGraphicsContext::classRestoreGraphicsState() {
  ThreadContexts& contexts = threadContexts();
  if (contexts.saved.empty()) return;
  RefPtr<NSGraphicsContext> previous = contexts.saved.back();
  contexts.saved.pop_back();
  if (previous) previous->restoreGraphicsState();
  contexts.current = previous;
}

void NSGraphicsContext::saveGraphicsState() { CGContextSaveGState(mContext); }

void NSGraphicsContext::restoreGraphicsState() { CGContextRestoreGState(mContext); }

void NSGraphicsContext::flushGraphics() { CGContextFlush(mContext); }

CIContext* NSGraphicsContext::CIContext() {
  if (!mCIContext)
    mCIContext = RefPtr<::CIContext>(::CIContext::contextWithCGContext_options(mContext, nullptr));
  return mCIContext.get();
}
