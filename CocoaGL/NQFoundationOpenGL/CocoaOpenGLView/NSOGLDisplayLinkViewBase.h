#pragma once
// The render cycle of a display-link OpenGL view: each tick the controller locks the view and
// has it render (begin, the render-scene delegate's drawing, end) and flush; what only the
// main thread may do (reshape, needs-display, context changes) is recorded as a pending
// operation and run there, coalesced, by the controller's main-thread step. While the user
// resizes the window the ticks render nothing and ask AppKit to draw instead.
#include <Foundation/NSNotification.h>
#include <objc/Selector.h>
#include <objc/WeakPtr.h>

#include <atomic>

#include "NSOGLDisplayLinkOpenGLView.h"
#include "NSUIDisplayLinkProtocols.h"
#include "T_NQThreadOperationMap.h"
#include "protocol_NSOGLRenderScene.h"

class NSOGLDisplayLinkViewBase : public NSOGLDisplayLinkOpenGLView,
                                 public NSUIDisplayLinkViewDelegate,
                                 public protocol_NSOGLRenderScene {
  OBJC_CLASS_DECL(NSOGLDisplayLinkViewBase, NSOGLDisplayLinkOpenGLView)

 public:
  NSOpenGLView* initWithFrame_pixelFormat(NSRect frame, NSOpenGLPixelFormat* format) override;
  NSObject* initWithCoder(NSCoder* coder) override;
  void initDisplayLinkViewBase();

  // The link object the view belongs to (none here).
  virtual NSObject* displayLink() { return nullptr; }
  bool displayLinkValid() { return displayLink() != nullptr; }

  // NSUIDisplayLinkDelegate
  void setDisplayLinkRenderContextUpdateNeeded(bool needed) override {
    __displayLinkRenderContextUpdateNeeded = needed;
  }
  bool displayLinkRenderContextUpdateNeeded() const override {
    return __displayLinkRenderContextUpdateNeeded;
  }
  void displayLinkMainThreadOperation() override;
  NSInteger displayLinkHasMainThreadOperationsPending() override;
  bool displayLink_shouldRenderForTime(NSObject*, const CVTimeStamp*) override { return true; }
  void displayLinkFlushDrawable(NSObject* link) override;
  void displayLinkChanged(NSObject* link) override;
  void displayLinkCreated(NSObject*) override {}
  void displayLink_renderForTime(NSObject* link, const CVTimeStamp* time) override;
  void displayLinkUnlockDrawable(NSObject*) override { drawableLockUnlock(); }
  bool displayLinkLockDrawable(NSObject*) override { return drawableLockTry(); }
  NSWindow* displayLinkViewWindow() const override { return window(); }

  // The main-thread operations: performing one by name, and asking for one.
  void displayLinkPerformSelectorNameOnMainThread(NSString* name);
  void mainThreadOperationEnqueueWithSelector(SEL selector);
  void mainThreadOperationEnqueueWithID(int selectorID);
  int pendingRequestsOfOperation(int selectorID) const;

  bool isViewInLiveResize() const { return __atomicLiveResize.load() > 0; }
  void viewWillStartLiveResize() override;
  void viewDidEndLiveResize() override;
  void _viewFrameDidChangeNotification(NSNotification* notification);
  void drawableReshapeAnyThreadWithDrawableSize(CGSize size) override;
  virtual void displayLinkViewDidFinishStartup(NSObject* sender);

  // protocol_NSOGLDrawable
  CGRect renderBounds() override { return NSOGLDisplayLinkOpenGLView::renderBounds(); }
  CGLContextObj renderContext() override { return NSOGLDisplayLinkOpenGLView::renderContext(); }

  // protocol_NSOGLRenderScene; renderScene(flush) is the render cycle.
  void renderSceneInit() override;
  void renderSceneReshape() override;
  virtual void renderSceneNeedsDisplayOnMainThread();
  virtual void renderSceneChangedOnMainThread() {}
  void renderScene() override { renderScene(true); }
  void renderScene(bool flush) override;
  void renderSceneBegin() override;
  void renderSceneBeginSetViewportMatrix(CGRect bounds);
  void renderSceneSelf() override;
  bool renderSceneEnd(bool flush) override;
  void renderSceneEndRestoreViewportMatrix(CGRect bounds);
  NSOpenGLContext* glContext() override { return openGLContext(); }
  NSOpenGLContext* glSharingContext() override;

  bool displayLinkRunningIgnoreDrawRectCalls();
  bool drawableDrawRectCurrentlyAllowed() override;
  void drawableDrawRect(NSRect rect) override;

  bool clearDrawable() const { return __clearDrawable; }
  void setClearDrawable(bool clear) { __clearDrawable = clear; }
  bool useOrthoCubeProtocol() const { return __useOrthoCubeProtocol; }
  void setUseOrthoCubeProtocol(bool use) { __useOrthoCubeProtocol = use; }

  // Outlet of the interface file, not retained: an object answering
  // protocol_NSOGLRenderSceneDelegate, which draws the scene.
  WeakPtr<NSObject> renderSceneDelegate;

 protected:
  NSOGLDisplayLinkViewBase() = default;
  void dealloc() override;

 private:
  T_NQThreadOperationMap __mainThreadOperations;
  std::atomic<bool> __displayLinkRenderContextUpdateNeeded{false};
  std::atomic<bool> __clearDrawable{true};
  std::atomic<bool> __useOrthoCubeProtocol{true};
  std::atomic<int32_t> __atomicLiveResize{0};
};
