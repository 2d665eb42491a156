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

NSOpenGLView* NSOpenGLView::initWithFrame_pixelFormat(NSRect frame, NSOpenGLPixelFormat* format) {
  NSView::initWithFrame(frame);
  mPixelFormat = RefPtr<NSOpenGLPixelFormat>(format ? format : defaultPixelFormat());
  return this;
}

NSOpenGLContext* NSOpenGLView::openGLContext() {
  if (!mOpenGLContext && mPixelFormat) {
    mOpenGLContext =
        adopt(NSOpenGLContext::alloc()->initWithFormat_shareContext(mPixelFormat.get(), nullptr));
    if (mOpenGLContext) {
      mOpenGLContext->setView(this);
      ::CGLContextObj previous = CGLGetCurrentContext();
      mOpenGLContext->makeCurrentContext();
      prepareOpenGL();
      CGLSetCurrentContext(previous);
    }
  }
  return mOpenGLContext.get();
}

void NSOpenGLView::setOpenGLContext(NSOpenGLContext* context) {
  if (mOpenGLContext && mOpenGLContext.get() != context) mOpenGLContext->clearDrawable();
  mOpenGLContext = RefPtr<NSOpenGLContext>(context);
  if (context) context->setView(this);
}

void NSOpenGLView::clearGLContext() {
  if (mOpenGLContext) mOpenGLContext->clearDrawable();
  mOpenGLContext = nullptr;
}

void NSOpenGLView::setPixelFormat(NSOpenGLPixelFormat* format) {
  mPixelFormat = RefPtr<NSOpenGLPixelFormat>(format);
}

void NSOpenGLView::update() {
  if (mOpenGLContext) mOpenGLContext->update();
}

void NSOpenGLView::setFrameSize(NSSize size) {
  NSView::setFrameSize(size);
  update();
  reshape();
}
