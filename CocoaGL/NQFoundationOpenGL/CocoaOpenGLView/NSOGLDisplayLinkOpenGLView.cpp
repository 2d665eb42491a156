#include "NSOGLDisplayLinkOpenGLView.h"

#include <AppKit/NSWindow.h>
#include <CoreMachDebug.h>
#include <OpenGL/gl.h>
#include <URequirements.h>

#include "NSOGLSharingContext.h"
#include "namespace_OpenGL_CGLContextState.h"

OBJC_CLASS_DEFINE(NSOGLDisplayLinkOpenGLView)

NSOpenGLPixelFormat* NSOGLDisplayLinkOpenGLView::defaultPixelFormat() {
  return NSOGLSharingContext::defaultSharedPixelFormat();
}

NSOpenGLContext* NSOGLDisplayLinkOpenGLView::defaultSharingContext() {
  return NSOGLSharingContext::defaultSharedContext();
}

NSView* NSOGLDisplayLinkOpenGLView::initWithFrame(NSRect frame) {
  return initWithFrame_pixelFormat(frame, defaultPixelFormat());
}

NSOpenGLView* NSOGLDisplayLinkOpenGLView::initWithFrame_pixelFormat(NSRect frame,
                                                                    NSOpenGLPixelFormat* format) {
  NSOpenGLView::initWithFrame_pixelFormat(frame, format);
  initOpenGLView();
  return this;
}

NSObject* NSOGLDisplayLinkOpenGLView::initWithCoder(NSCoder* coder) {
  NSOpenGLView::initWithCoder(coder);
  setPixelFormat(defaultPixelFormat());
  initOpenGLView();
  return this;
}

void NSOGLDisplayLinkOpenGLView::initOpenGLView() {
  mOpenGLLock.create();
  if (useRetinaDisplayIfAvailable()) setWantsBestResolutionOpenGLSurface(true);
}

bool NSOGLDisplayLinkOpenGLView::drawableLockTry() { return mOpenGLLock.tryLock(hasContext()); }

bool NSOGLDisplayLinkOpenGLView::drawableLockTryWithLockWaitTimeInMilliseconds(double milliseconds) {
  return mOpenGLLock.tryLockWithWaitTimeInMilliseconds(hasContext(), milliseconds);
}

bool NSOGLDisplayLinkOpenGLView::drawableLockBlocksThread() { return mOpenGLLock.lockBlocking(hasContext()); }

void NSOGLDisplayLinkOpenGLView::drawableLockUnlock() { mOpenGLLock.unlock(); }

CGLContextObj NSOGLDisplayLinkOpenGLView::cglContext() {
  NSOpenGLContext* context = openGLContext();
  return context ? context->CGLContextObj() : nullptr;
}

bool NSOGLDisplayLinkOpenGLView::drawableInitializeOnce() {
  if (hasOpenGLContextWithDesiredPixelFormat()) return false;
  return drawableInitialize(defaultPixelFormat());
}

bool NSOGLDisplayLinkOpenGLView::drawableInitialize(NSOpenGLPixelFormat* format) {
  if (hasOpenGLContextWithDesiredPixelFormat()) {
    _CoreMachDebugVerifyBody(__FUNCTION__, __FILE__, __LINE__, " code : self.cglPixelFormat==NULL");
    return true;
  }
  // The lock is taken as such: asking for the view's context here would make one only to
  // replace it at once.
  if (!format || !mOpenGLLock.lockBlocking(true)) return false;
  RefPtr<NSOpenGLContext> context =
      adopt(NSOpenGLContext::alloc()->initWithFormat_shareContext(format, defaultSharingContext()));
  if (!context) {
    drawableLockUnlock();
    return false;
  }
  {
    OpenGL::CGLContextState guard(context.get());
    setOpenGLContext(context.get());
    setPixelFormat(format);
    context->update();
    CGLPixelFormatObj pixelFormat = format->CGLPixelFormatObj();
    if (URequirements::notNull(pixelFormat, REQUIRED_FILE_NAME, __FUNCTION__, __LINE__,
                               "self.cglPixelFormat")) {
      __cglPixelFormat = CGLRetainPixelFormat(pixelFormat);
      prepareOpenGL();
    }
  }
  drawableLockUnlock();
  return hasOpenGLContextWithDesiredPixelFormat();
}

void NSOGLDisplayLinkOpenGLView::prepareOpenGL() {
  if (!drawableLockBlocksThread()) return;
  NSOpenGLView::prepareOpenGL();
  {
    OpenGL::CGLContextState guard(cglContext());
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const GLint interval = 1;
    openGLContext()->setValues_forParameter(&interval, NSOpenGLCPSwapInterval);
  }
  drawableLockUnlock();
}

void NSOGLDisplayLinkOpenGLView::lockFocus() {
  NSOpenGLView::lockFocus();
  drawableInitializeOnce();
}

void NSOGLDisplayLinkOpenGLView::drawRect(NSRect rect) {
  if (!drawableDrawRectCurrentlyAllowed() || !drawableLockTry()) return;
  CGLContextObj context = cglContext();
  if (URequirements::notNull(context, REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, "self.cglContext")) {
    OpenGL::CGLContextState guard(context);
    drawableDrawRect(rect);
  }
  drawableLockUnlock();
}

void NSOGLDisplayLinkOpenGLView::renewGState() {
  if (NSWindow* window = this->window()) window->disableScreenUpdatesUntilFlush();
  NSOpenGLView::renewGState();
}

void NSOGLDisplayLinkOpenGLView::reshape() {
  if (!drawableLockBlocksThread()) return;
  CGLContextObj context = cglContext();
  if (URequirements::notNull(context, REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, "self.cglContext")) {
    OpenGL::CGLContextState guard(context);
    // AppKit changes the drawable while no other thread draws with the context.
    CGLLockContext(context);
    NSOpenGLView::reshape();
    const CGSize size = drawableSizePixels();
    setAtomicBackingDimensions(size);
    drawableReshapeAnyThreadWithDrawableSize(size);
    CGLUnlockContext(context);
  }
  drawableLockUnlock();
}

void NSOGLDisplayLinkOpenGLView::setFrame(NSRect frame) {
  if (!drawableLockBlocksThread()) return;
  NSOpenGLView::setFrame(frame);
  setAtomicBackingDimensions(drawableSizePixels());
  drawableLockUnlock();
}

CGRect NSOGLDisplayLinkOpenGLView::renderBounds() { return convertRectToBacking(bounds()); }

CGSize NSOGLDisplayLinkOpenGLView::atomicBackingDimensions() const {
  std::lock_guard<std::mutex> guard(mBackingDimensionsGuard);
  return __atomicBackingDimensions;
}

void NSOGLDisplayLinkOpenGLView::setAtomicBackingDimensions(CGSize size) {
  std::lock_guard<std::mutex> guard(mBackingDimensionsGuard);
  __atomicBackingDimensions = size;
}

void NSOGLDisplayLinkOpenGLView::awakeFromNib() {
  if (wantsLayer())
    __CFRequiredBody(REQUIRED_FILE_NAME, __FUNCTION__, __LINE__, "SRC>>self.wantsLayer==((BOOL)0)");
  drawableInitializeOnce();
  setStateAwakeFromNibHappened(true);
}

void NSOGLDisplayLinkOpenGLView::openGLTeardown() {
  if (CGLPixelFormatObj format = __cglPixelFormat.exchange(nullptr)) CGLReleasePixelFormat(format);
}

void NSOGLDisplayLinkOpenGLView::dealloc() {
  openGLTeardown();
  mOpenGLLock.drop();
  NSOpenGLView::dealloc();
}
