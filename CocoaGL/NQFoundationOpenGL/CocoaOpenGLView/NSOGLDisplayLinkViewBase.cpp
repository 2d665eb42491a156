#include "NSOGLDisplayLinkViewBase.h"

#include <Foundation/NSNotificationCenter.h>
#include <Foundation/NSString.h>
#include <OpenGL/gl.h>
#include <URequirements.h>
#include <objc/MethodTable.h>

#include "NSOGLSharingContext.h"
#include "NSUIDisplayLink.h"
#include "OpenGLErrors.h"
#include "namespace_OpenGL_CGLContextState.h"

OBJC_CLASS_DEFINE(NSOGLDisplayLinkViewBase)
// The main-thread operations are performed by name, so that subclasses' overrides run.
OBJC_METHODS(NSOGLDisplayLinkViewBase,
             OBJC_METHOD("renderSceneInit", &NSOGLDisplayLinkViewBase::renderSceneInit),
             OBJC_METHOD("renderSceneReshape", &NSOGLDisplayLinkViewBase::renderSceneReshape),
             OBJC_METHOD("renderSceneChangedOnMainThread",
                         &NSOGLDisplayLinkViewBase::renderSceneChangedOnMainThread),
             OBJC_METHOD("renderSceneNeedsDisplayOnMainThread",
                         &NSOGLDisplayLinkViewBase::renderSceneNeedsDisplayOnMainThread),
             OBJC_METHOD("_viewFrameDidChangeNotification:",
                         &NSOGLDisplayLinkViewBase::_viewFrameDidChangeNotification))

namespace {

std::string textOf(CFStringRef string) {
  char text[256] = "";
  CFStringGetCString(string, text, sizeof text, kCFStringEncodingUTF8);
  return text;
}

}  // namespace

NSOpenGLView* NSOGLDisplayLinkViewBase::initWithFrame_pixelFormat(NSRect frame, NSOpenGLPixelFormat* format) {
  NSOGLDisplayLinkOpenGLView::initWithFrame_pixelFormat(frame, format);
  initDisplayLinkViewBase();
  return this;
}

NSObject* NSOGLDisplayLinkViewBase::initWithCoder(NSCoder* coder) {
  NSOGLDisplayLinkOpenGLView::initWithCoder(coder);
  initDisplayLinkViewBase();
  return this;
}

void NSOGLDisplayLinkViewBase::initDisplayLinkViewBase() {
  for (ThreadOperation& operation : __mainThreadOperations.mArray) operation.pendingRequests = 0;
  setClearDrawable(true);
  setUseOrthoCubeProtocol(true);
  setPostsFrameChangedNotifications(true);
  NSNotificationCenter::defaultCenter()->addObserver_selector_name_object(
      this, SELECTOR("_viewFrameDidChangeNotification:"), NSViewFrameDidChangeNotification, this);
}

void NSOGLDisplayLinkViewBase::displayLinkMainThreadOperation() {
  for (ThreadOperation& operation : __mainThreadOperations.mArray) {
    if (operation.pendingRequests.exchange(0) != 0)
      displayLinkPerformSelectorNameOnMainThread(
          reinterpret_cast<NSString*>(const_cast<__CFString*>(operation.selectorName)));
  }
}

NSInteger NSOGLDisplayLinkViewBase::displayLinkHasMainThreadOperationsPending() {
  int sum = 0;
  for (const ThreadOperation& operation : __mainThreadOperations.mArray)
    sum += operation.pendingRequests.load();
  return sum != 0 ? 1 : 0;
}

void NSOGLDisplayLinkViewBase::displayLinkPerformSelectorNameOnMainThread(NSString* name) {
  if (!name) return;
  SEL selector = sel_registerName(textOf(reinterpret_cast<CFStringRef>(name)).c_str());
  if (class_respondsToSelector(classObject(), selector)) performSelector(selector);
}

void NSOGLDisplayLinkViewBase::mainThreadOperationEnqueueWithSelector(SEL selector) {
  if (!selector) return;
  const std::string name = sel_getName(selector);
  for (ThreadOperation& operation : __mainThreadOperations.mArray)
    if (textOf(operation.selectorName) == name) ++operation.pendingRequests;
}

void NSOGLDisplayLinkViewBase::mainThreadOperationEnqueueWithID(int selectorID) {
  for (ThreadOperation& operation : __mainThreadOperations.mArray)
    if (operation.selectorID == selectorID) ++operation.pendingRequests;
}

int NSOGLDisplayLinkViewBase::pendingRequestsOfOperation(int selectorID) const {
  for (const ThreadOperation& operation : __mainThreadOperations.mArray)
    if (operation.selectorID == selectorID) return operation.pendingRequests.load();
  return 0;
}

void NSOGLDisplayLinkViewBase::displayLinkFlushDrawable(NSObject*) {
  NSOpenGLContext* context = openGLContext();
  if (!context) return;
  OpenGL::CGLContextState guard(context);
  context->flushBuffer();
}

void NSOGLDisplayLinkViewBase::displayLinkChanged(NSObject*) {
  mainThreadOperationEnqueueWithID(kNQDisplayLinkViewOperation_Changed);
  setDisplayLinkRenderContextUpdateNeeded(true);
}

void NSOGLDisplayLinkViewBase::displayLink_renderForTime(NSObject*, const CVTimeStamp*) {
  if (isViewInLiveResize())
    mainThreadOperationEnqueueWithID(kNQDisplayLinkViewOperation_NeedsDisplay);
  else
    renderScene(true);
}

void NSOGLDisplayLinkViewBase::viewWillStartLiveResize() {
  ++__atomicLiveResize;
  NSOGLDisplayLinkOpenGLView::viewWillStartLiveResize();
}

void NSOGLDisplayLinkViewBase::viewDidEndLiveResize() {
  NSOGLDisplayLinkOpenGLView::viewDidEndLiveResize();
  --__atomicLiveResize;
}

void NSOGLDisplayLinkViewBase::_viewFrameDidChangeNotification(NSNotification*) {
  mainThreadOperationEnqueueWithID(kNQDisplayLinkViewOperation_Reshape);
}

void NSOGLDisplayLinkViewBase::drawableReshapeAnyThreadWithDrawableSize(CGSize) {
  mainThreadOperationEnqueueWithID(kNQDisplayLinkViewOperation_Reshape);
}

void NSOGLDisplayLinkViewBase::displayLinkViewDidFinishStartup(NSObject*) {
  mainThreadOperationEnqueueWithID(kNQDisplayLinkViewOperation_Reshape);
}

void NSOGLDisplayLinkViewBase::renderSceneInit() {
  renderSceneReshape();
  renderScene(true);
}

void NSOGLDisplayLinkViewBase::renderSceneReshape() {
  if (!drawableLockTryWithLockWaitTimeInMilliseconds(33.0)) return;
  {
    OpenGL::CGLContextState guard(cglContext());
    if (NSOpenGLContext* context = openGLContext()) context->update();
    const CGRect bounds = renderBounds();
    glViewport(0, 0, static_cast<GLsizei>(bounds.size.width), static_cast<GLsizei>(bounds.size.height));
    mainThreadOperationEnqueueWithID(kNQDisplayLinkViewOperation_NeedsDisplay);
  }
  drawableLockUnlock();
}

void NSOGLDisplayLinkViewBase::renderSceneNeedsDisplayOnMainThread() { setNeedsDisplay(true); }

void NSOGLDisplayLinkViewBase::renderScene(bool flush) {
  NSOpenGLContext* context = openGLContext();
  if (!context) return;
  if (!drawableLockTry()) {
    // AppKit's display path draws the frame instead.
    mainThreadOperationEnqueueWithID(kNQDisplayLinkViewOperation_NeedsDisplay);
    return;
  }
  {
    OpenGL::CGLContextState guard(context);
    if (displayLinkRenderContextUpdateNeeded()) {
      context->update();
      setDisplayLinkRenderContextUpdateNeeded(false);
    }
    renderSceneBegin();
    OpenGL::drainErrors();
    renderSceneSelf();
    OpenGL::drainErrors();
    renderSceneEnd(flush);
  }
  drawableLockUnlock();
}

void NSOGLDisplayLinkViewBase::renderSceneBegin() {
  NSOpenGLContext* context = openGLContext();
  if (!context) return;
  context->makeCurrentContext();
  renderSceneBeginSetViewportMatrix(renderBounds());
}

void NSOGLDisplayLinkViewBase::renderSceneBeginSetViewportMatrix(CGRect bounds) {
  glViewport(0, 0, static_cast<GLsizei>(bounds.size.width), static_cast<GLsizei>(bounds.size.height));
  if (useOrthoCubeProtocol()) drawableOrthoCubeViewBegin(clearDrawable());
}

void NSOGLDisplayLinkViewBase::renderSceneSelf() {
  RefPtr<NSObject> object = renderSceneDelegate.get();
  auto* delegate = dynamic_cast<protocol_NSOGLRenderSceneDelegate*>(object.get());
  if (!delegate || !openGLContext()) return;
  const CGRect rect = drawableRectFromRenderBoundsRect(renderBounds());
  delegate->renderScene_drawableRect(this, rect);
}

bool NSOGLDisplayLinkViewBase::renderSceneEnd(bool flush) {
  if (!openGLContext()) return true;
  renderSceneEndRestoreViewportMatrix(renderBounds());
  if (flush) glFlush();
  return true;
}

void NSOGLDisplayLinkViewBase::renderSceneEndRestoreViewportMatrix(CGRect) {
  if (useOrthoCubeProtocol()) drawableOrthoCubeViewEnd();
}

NSOpenGLContext* NSOGLDisplayLinkViewBase::glSharingContext() {
  return NSOGLSharingContext::defaultSharedContext();
}

bool NSOGLDisplayLinkViewBase::displayLinkRunningIgnoreDrawRectCalls() {
  auto* link = dynamic_cast<NSUIDisplayLink*>(displayLink());
  return link && link->isDisplayLinkRunning();
}

bool NSOGLDisplayLinkViewBase::drawableDrawRectCurrentlyAllowed() {
  return !displayLinkRunningIgnoreDrawRectCalls() || isViewInLiveResize();
}

void NSOGLDisplayLinkViewBase::drawableDrawRect(NSRect) {
  if (!drawableDrawRectCurrentlyAllowed()) {
    __CFRequiredBody(REQUIRED_FILE_NAME, __FUNCTION__, __LINE__,
                     "SRC>>self.drawableDrawRectCurrentlyAllowed");
    return;
  }
  if (!drawableLockBlocksThread()) {
    NSLog(NSSTR("%s %@\n"),
          "void -[NSOGLDisplayLinkViewBase drawableDrawRect:](NSOGLDisplayLinkViewBase*, objc_selector*, "
          "NSRect)",
          this);
    return;
  }
  renderScene(true);
  displayLinkFlushDrawable(displayLink());
  drawableLockUnlock();
}

void NSOGLDisplayLinkViewBase::dealloc() {
  NSNotificationCenter::defaultCenter()->removeObserver_name_object(this, NSViewFrameDidChangeNotification,
                                                                    this);
  NSOGLDisplayLinkOpenGLView::dealloc();
}
