#include "NSOGLDisplayLinkCustomView.h"

#include <Foundation/NSObjCRuntime.h>

#include "NSOGLSharingContext.h"
#include "namespace_OpenGL_CGLContextState.h"

OBJC_CLASS_DEFINE(NSOGLDisplayLinkCustomView)

NSOpenGLPixelFormat* NSOGLDisplayLinkCustomView::defaultPixelFormat() {
  return NSOGLSharingContext::defaultSharedPixelFormat();
}

NSView* NSOGLDisplayLinkCustomView::initWithFrame(NSRect frame) {
  NSView::initWithFrame(frame);
  initCustomView();
  return this;
}

NSObject* NSOGLDisplayLinkCustomView::initWithCoder(NSCoder* coder) {
  NSView::initWithCoder(coder);
  initCustomView();
  return this;
}

void NSOGLDisplayLinkCustomView::initCustomView() {
  mOpenGLLock.create();
  setOpenGLContext(nullptr);
  setOpenGLPixelFormat(nullptr);
  NSLog(NSSTR("%s %@\n"),
        "void -[NSOGLDisplayLinkCustomView initCustomView](NSOGLDisplayLinkCustomView*, objc_selector*)",
        this);
}

bool NSOGLDisplayLinkCustomView::drawableLockTry() { return mOpenGLLock.tryLock(hasContext()); }

bool NSOGLDisplayLinkCustomView::drawableLockTryWithLockWaitTimeInMilliseconds(double milliseconds) {
  return mOpenGLLock.tryLockWithWaitTimeInMilliseconds(hasContext(), milliseconds);
}

bool NSOGLDisplayLinkCustomView::drawableLockBlocksThread() { return mOpenGLLock.lockBlocking(hasContext()); }

void NSOGLDisplayLinkCustomView::drawableLockUnlock() { mOpenGLLock.unlock(); }

CGLContextObj NSOGLDisplayLinkCustomView::renderContext() {
  RefPtr<NSOpenGLContext> context = openGLContext();
  return context ? context->CGLContextObj() : nullptr;
}

bool NSOGLDisplayLinkCustomView::drawableInitializeOnce() {
  if (hasContext()) return false;
  return drawableInitialize(defaultPixelFormat());
}

bool NSOGLDisplayLinkCustomView::drawableInitialize(NSOpenGLPixelFormat* format) {
  NSOpenGLContext* shared = NSOGLSharingContext::defaultSharedContext();
  if (hasContext() || !shared || !format) return hasContext();
  RefPtr<NSOpenGLContext> context =
      adopt(NSOpenGLContext::alloc()->initWithFormat_shareContext(format, shared));
  setOpenGLContext(context.get());
  if (!context || !drawableLockBlocksThread()) return hasContext();
  {
    OpenGL::CGLContextState guard(context.get());
    setOpenGLPixelFormat(format);
    context->setView(this);
    context->update();
    const GLint interval = 1;
    context->setValues_forParameter(&interval, NSOpenGLCPSwapInterval);
  }
  drawableLockUnlock();
  return hasContext();
}

void NSOGLDisplayLinkCustomView::lockFocus() {
  if (!hasContext()) drawableInitializeOnce();
  RefPtr<NSOpenGLContext> context = openGLContext();
  if (!context) return;
  NSView::lockFocus();
  if (!drawableLockBlocksThread()) return;
  if (context->view() != this) {
    OpenGL::CGLContextState guard(context.get());
    context->setView(this);
    context->update();
  }
  drawableLockUnlock();
}

void NSOGLDisplayLinkCustomView::drawRect(NSRect rect) {
  if (!drawableDrawRectCurrentlyAllowed()) return;
  RefPtr<NSOpenGLContext> context = openGLContext();
  OpenGL::CGLContextState guard(context.get());
  drawableDrawRect(rect);
}

void NSOGLDisplayLinkCustomView::drawableDrawRect(NSRect) {
  if (drawableLockBlocksThread()) drawableLockUnlock();
}

void NSOGLDisplayLinkCustomView::dealloc() {
  mOpenGLLock.drop();
  setOpenGLContext(nullptr);
  setOpenGLPixelFormat(nullptr);
  NSView::dealloc();
}
