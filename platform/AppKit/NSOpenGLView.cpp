#include "NSOpenGLView.h"

OBJC_CLASS_DEFINE(NSOpenGLView)

NSOpenGLPixelFormat* NSOpenGLView::defaultPixelFormat() {
  const NSOpenGLPixelFormatAttribute attributes[] = {NSOpenGLPFADoubleBuffer,
                                                     NSOpenGLPFAColorSize,
                                                     24,
                                                     NSOpenGLPFAAlphaSize,
                                                     8,
                                                     NSOpenGLPFADepthSize,
                                                     16,
                                                     0};
  NSOpenGLPixelFormat* format = NSOpenGLPixelFormat::alloc()->initWithAttributes(attributes);
  return format ? static_cast<NSOpenGLPixelFormat*>(format->autorelease()) : nullptr;
}

NSView* NSOpenGLView::initWithFrame(NSRect frame) { return initWithFrame_pixelFormat(frame, nullptr); }

NSObject* NSOpenGLView::initWithCoder(NSCoder* coder) {
  NSView::initWithCoder(coder);
  setPixelFormat(defaultPixelFormat());
  return this;
}

NSOpenGLView* NSOpenGLView::initWithFrame_pixelFormat(NSRect frame, NSOpenGLPixelFormat* format) {
  NSView::initWithFrame(frame);
  setPixelFormat(format ? format : defaultPixelFormat());
  return this;
}

// The context is made under the guard, so that two threads asking at once get one context,
// and prepared outside it (preparing may wait for locks of the view's drawing). The returned
// pointer stays good while the view holds the context.
NSOpenGLContext* NSOpenGLView::openGLContext() {
  RefPtr<NSOpenGLContext> made;
  {
    std::lock_guard<std::recursive_mutex> guard(mGuard);
    if (mOpenGLContext || !mPixelFormat) return mOpenGLContext.get();
    mOpenGLContext =
        adopt(NSOpenGLContext::alloc()->initWithFormat_shareContext(mPixelFormat.get(), nullptr));
    if (!mOpenGLContext) return nullptr;
    mOpenGLContext->setView(this);
    made = mOpenGLContext;
  }
  ::CGLContextObj previous = CGLGetCurrentContext();
  made->makeCurrentContext();
  prepareOpenGL();
  CGLSetCurrentContext(previous);
  return made.get();
}

void NSOpenGLView::setOpenGLContext(NSOpenGLContext* context) {
  std::lock_guard<std::recursive_mutex> guard(mGuard);
  if (mOpenGLContext && mOpenGLContext.get() != context) mOpenGLContext->clearDrawable();
  mOpenGLContext = RefPtr<NSOpenGLContext>(context);
  if (context) context->setView(this);
}

void NSOpenGLView::clearGLContext() {
  std::lock_guard<std::recursive_mutex> guard(mGuard);
  if (mOpenGLContext) mOpenGLContext->clearDrawable();
  mOpenGLContext = nullptr;
}

NSOpenGLPixelFormat* NSOpenGLView::pixelFormat() const {
  std::lock_guard<std::recursive_mutex> guard(mGuard);
  return mPixelFormat.get();
}

void NSOpenGLView::setPixelFormat(NSOpenGLPixelFormat* format) {
  std::lock_guard<std::recursive_mutex> guard(mGuard);
  mPixelFormat = RefPtr<NSOpenGLPixelFormat>(format);
}

void NSOpenGLView::update() {
  RefPtr<NSOpenGLContext> context;
  {
    std::lock_guard<std::recursive_mutex> guard(mGuard);
    context = mOpenGLContext;
  }
  if (context) context->update();
}

void NSOpenGLView::setFrameSize(NSSize size) {
  NSView::setFrameSize(size);
  update();
  reshape();
}
