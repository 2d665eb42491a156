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
  {
    std::lock_guard<std::mutex> guard(mPropertyGuard);
    mOpenGLPixelFormat = RefPtr<NSOpenGLPixelFormat>(format);
    mOpenGLTargetRect = rect;
    mOffscreenWindow = window;
    mOffscreenOpenGLView = view;
  }
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
  RefPtr<NSOpenGLPixelFormat> format;
  {
    std::lock_guard<std::mutex> guard(mPropertyGuard);
    if (mOpenGLContext) return;
    format = mOpenGLPixelFormat;
  }
  if (!view || !window || !format) return;
  RefPtr<NSOpenGLContext> context =
      adopt(NSOpenGLContext::alloc()->initWithFormat_shareContext(format.get(), nullptr));
  if (!context) return;
  {
    std::lock_guard<std::mutex> guard(mPropertyGuard);
    mOpenGLContext = context;
  }
  context->setView(view.get());
  reshapeOpenGLContext();
}

NSOpenGLContext* NSOGLOffscreenContextWithWindowBacking::openGLContext() const {
  std::lock_guard<std::mutex> guard(mPropertyGuard);
  return mOpenGLContext.get();
}

NSOpenGLPixelFormat* NSOGLOffscreenContextWithWindowBacking::openGLPixelFormat() const {
  std::lock_guard<std::mutex> guard(mPropertyGuard);
  return mOpenGLPixelFormat.get();
}

CGRect NSOGLOffscreenContextWithWindowBacking::openGLTargetRect() const {
  std::lock_guard<std::mutex> guard(mPropertyGuard);
  return mOpenGLTargetRect;
}

RefPtr<NSWindow> NSOGLOffscreenContextWithWindowBacking::offscreenWindow() const {
  std::lock_guard<std::mutex> guard(mPropertyGuard);
  return mOffscreenWindow;
}

RefPtr<NSOpenGLView> NSOGLOffscreenContextWithWindowBacking::offscreenOpenGLView() const {
  std::lock_guard<std::mutex> guard(mPropertyGuard);
  return mOffscreenOpenGLView;
}

void NSOGLOffscreenContextWithWindowBacking::setOpenGLTargetRect(CGRect rect) {
  {
    std::lock_guard<std::mutex> guard(mPropertyGuard);
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
  {
    std::lock_guard<std::mutex> guard(mPropertyGuard);
    mOpenGLContext = nullptr;
    mOpenGLPixelFormat = nullptr;
    mOffscreenWindow = nullptr;
    mOffscreenOpenGLView = nullptr;
  }
  NSOGLOffscreenContextBase::dealloc();
}
