#include "NSOGLOffscreenContextWithWindowBacking.h"

#include <dispatch/dispatch.h>

#include <atomic>

#include "NSOGLSharingContext.h"

OBJC_CLASS_DEFINE(NSOGLOffscreenContextWithWindowBacking)

namespace {

std::atomic<NSOGLOffscreenContextWithWindowBacking*> sSharedTextureContext{nullptr};

}  // namespace

NSOGLOffscreenContextWithWindowBacking* NSOGLOffscreenContextWithWindowBacking::sharedTextureContext() {
  NSOGLSharingContext::serializedQueue();
  if (NSOGLOffscreenContextWithWindowBacking* shared = sSharedTextureContext.load()) return shared;
  static dispatch_once_t once = 0;
  dispatch_once(&once, [] {
    // The window is never shown: it never reaches the window server, so whichever thread asks
    // first may make it.
    auto* shared = NSOGLOffscreenContextWithWindowBacking::alloc()->initWithTargetRect_pixelFormat(
        defaultOpenGLTargetRect(), NSOGLSharingContext::defaultSharedPixelFormat());
    shared->makeImmortal();
    sSharedTextureContext = shared;
  });
  return sSharedTextureContext.load();
}

NSOGLOffscreenContextWithWindowBacking*
NSOGLOffscreenContextWithWindowBacking::existingSharedTextureContext() {
  return sSharedTextureContext.load();
}

NSOGLOffscreenContextWithWindowBacking*
NSOGLOffscreenContextWithWindowBacking::initWithTargetRect_pixelFormat(CGRect rect,
                                                                       NSOpenGLPixelFormat* format) {
  NSOGLOffscreenContextBase::init();
  if (!format) format = NSOpenGLView::defaultPixelFormat();
  const NSRect frame = NSMakeRect(rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  RefPtr<NSWindow> window = adopt(NSWindow::alloc()->initWithContentRect_styleMask_backing_defer(
      frame, NSBorderlessWindowMask, NSBackingStoreNonretained, false));
  RefPtr<NSOpenGLView> view =
      adopt(static_cast<NSOpenGLView*>(NSOpenGLView::alloc()->initWithFrame_pixelFormat(frame, format)));
  mOpenGLPixelFormat.set(RefPtr<NSOpenGLPixelFormat>(format));
  {
    std::lock_guard<std::mutex> guard(mTargetRectGuard);
    mOpenGLTargetRect = rect;
  }
  mOffscreenWindow.set(window);
  mOffscreenOpenGLView.set(view);
  if (view) {
    if (window) window->contentView()->addSubview(view.get());
    view->display();
    createOpenGLContextAndSetToOpenGLView();
  }
  return this;
}

void NSOGLOffscreenContextWithWindowBacking::createOpenGLContextAndSetToOpenGLView() {
  RefPtr<NSOpenGLView> view = offscreenOpenGLView();
  RefPtr<NSWindow> window = offscreenWindow();
  RefPtr<NSOpenGLPixelFormat> format = mOpenGLPixelFormat.get();
  if (!view || !window || !format || mOpenGLContext.get()) return;
  RefPtr<NSOpenGLContext> context =
      adopt(NSOpenGLContext::alloc()->initWithFormat_shareContext(format.get(), nullptr));
  if (!context) return;
  mOpenGLContext.set(context);
  context->setView(view.get());
  reshapeOpenGLContext();
}

// Set once while the object is made and kept until it goes: a borrowed pointer stays good.
NSOpenGLContext* NSOGLOffscreenContextWithWindowBacking::openGLContext() const {
  return mOpenGLContext.get().get();
}

NSOpenGLPixelFormat* NSOGLOffscreenContextWithWindowBacking::openGLPixelFormat() const {
  return mOpenGLPixelFormat.get().get();
}

CGRect NSOGLOffscreenContextWithWindowBacking::openGLTargetRect() const {
  std::lock_guard<std::mutex> guard(mTargetRectGuard);
  return mOpenGLTargetRect;
}

RefPtr<NSWindow> NSOGLOffscreenContextWithWindowBacking::offscreenWindow() const {
  return mOffscreenWindow.get();
}

RefPtr<NSOpenGLView> NSOGLOffscreenContextWithWindowBacking::offscreenOpenGLView() const {
  return mOffscreenOpenGLView.get();
}

void NSOGLOffscreenContextWithWindowBacking::setOpenGLTargetRect(CGRect rect) {
  {
    std::lock_guard<std::mutex> guard(mTargetRectGuard);
    mOpenGLTargetRect = rect;
  }
  if (RefPtr<NSWindow> window = offscreenWindow())
    window->setContentSize(NSMakeSize(rect.size.width, rect.size.height));
  if (RefPtr<NSOpenGLView> view = offscreenOpenGLView())
    view->setFrame(NSMakeRect(rect.origin.x, rect.origin.y, rect.size.width, rect.size.height));
  if (NSOpenGLContext* context = openGLContext()) context->update();
  reshapeOpenGLContext();
}

void NSOGLOffscreenContextWithWindowBacking::dealloc() {
  mOpenGLContext.set(nullptr);
  mOpenGLPixelFormat.set(nullptr);
  mOffscreenWindow.set(nullptr);
  mOffscreenOpenGLView.set(nullptr);
  NSOGLOffscreenContextBase::dealloc();
}
