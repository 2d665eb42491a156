// The display-link views: hand-driven ticks render each view once, into its place in the
// window; main-thread work is coalesced; live resize and busy locks hand frames to AppKit.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "DisplayLinkViewTestSupport.h"
#include "NSOGLDisplayLinkCustomView.h"
#include "NSOGLDisplayLinkMasterOrSlaveView.h"
#include "PollUntil.h"
#include "RunLoopUntil.h"
#include "namespace_OpenGL_CGLContextState.h"

const char* g_CoreMachDebug_LogPrefix = "DisplayLinkViewsTest";
const char* g_CoreMachDebug_LogFileName = "DisplayLinkViewsTest.log";

// A view that records which main-thread operations ran, in order.
class RecordingView : public NSOGLDisplayLinkMasterOrSlaveView {
  OBJC_CLASS_DECL(RecordingView, NSOGLDisplayLinkMasterOrSlaveView)

 public:
  void renderSceneInit() override { ran.push_back("init"); }
  void renderSceneReshape() override {
    ran.push_back("reshape");
    NSOGLDisplayLinkMasterOrSlaveView::renderSceneReshape();
  }
  void renderSceneChangedOnMainThread() override { ran.push_back("changed"); }
  void renderSceneNeedsDisplayOnMainThread() override {
    ran.push_back("display");
    NSOGLDisplayLinkMasterOrSlaveView::renderSceneNeedsDisplayOnMainThread();
  }

  std::vector<std::string> ran;

 protected:
  RecordingView() = default;
};
OBJC_CLASS_DEFINE(RecordingView)

// A custom view that fills itself green.
class GreenCustomView : public NSOGLDisplayLinkCustomView {
  OBJC_CLASS_DECL(GreenCustomView, NSOGLDisplayLinkCustomView)

 public:
  void drawableDrawRect(NSRect rect) override {
    NSOGLDisplayLinkCustomView::drawableDrawRect(rect);
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    openGLContext()->flushBuffer();
  }

 protected:
  GreenCustomView() = default;
};
OBJC_CLASS_DEFINE(GreenCustomView)

namespace {

using namespace viewtest;
using cocoagltest::kBlue;
using cocoagltest::kGreen;
using cocoagltest::kRed;

RefPtr<RecordingView> makeView(NSRect frame) {
  return adopt(static_cast<RecordingView*>(RecordingView::alloc()->initWithFrame(frame)));
}

class NSOGLDisplayLinkViewsTest : public cocoagltest::GLTest {
 protected:
  void SetUp() override {
    GLTest::SetUp();
    _CVDisplayLinkSetManualTicks(true);
    controller =
        adopt(static_cast<NSUIDisplayLinkViewController*>(NSUIDisplayLinkViewController::alloc()->init()));
    window = makeWindow(60, 20);
  }
  void TearDown() override {
    master = nullptr;
    slave = nullptr;
    controller = nullptr;
    window = nullptr;
    _CVDisplayLinkSetManualTicks(false);
    NSOpenGLContext::clearCurrentContext();
    NSOGLSharingContext::defaultSharedContext()->makeCurrentContext();
    GLTest::TearDown();
  }

  // A master on the left and a slave in the middle, each drawn by its own scene, joined to the
  // controller as their interface file and the application's start-up join them.
  void startTwoViews() {
    master = makeView(NSMakeRect(0, 0, 20, 20));
    slave = makeView(NSMakeRect(20, 0, 20, 20));
    masterScene = makeScene(1, 0, 0);
    slaveScene = makeScene(0, 0, 1);
    for (auto [view, scene] :
         {std::pair{master.get(), masterScene.get()}, std::pair{slave.get(), slaveScene.get()}}) {
      window->contentView()->addSubview(view);
      view->outletDisplayLink = controller.get();
      view->renderSceneDelegate = scene;
      view->awakeFromNib();
    }
    controller->setMasterDisplayLinkViewDelegate(master.get());
    master->displayLinkViewDidFinishStartup(nullptr);
    slave->displayLinkViewDidFinishStartup(nullptr);
    settle();
  }
  // Ticks and runs the main thread's steps until no start-up work is left; the frames drawn
  // meanwhile are not counted.
  void settle() {
    for (int round = 0; round < 8 && (master->displayLinkHasMainThreadOperationsPending() ||
                                      slave->displayLinkHasMainThreadOperationsPending());
         ++round) {
      tick();
      drainMainQueue();
    }
    EXPECT_EQ(master->displayLinkHasMainThreadOperationsPending(), 0);
    master->ran.clear();
    masterScene->frames = 0;
    slaveScene->frames = 0;
  }
  void tick() { ASSERT_EQ(_CVDisplayLinkTick(controller->displayLink(), ++time), kCVReturnSuccess); }
  // Runs the main queue until a block queued behind everything queued so far has run.
  static void drainMainQueue() {
    std::atomic<bool> drained{false};
    dispatch_async(dispatch_get_main_queue(), [&] { drained = true; });
    ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return drained.load(); }));
  }

  RefPtr<NSUIDisplayLinkViewController> controller;
  RefPtr<NSWindow> window;
  RefPtr<RecordingView> master, slave;
  RefPtr<ColourScene> masterScene, slaveScene;
  uint64_t time = 1000;
};

TEST_F(NSOGLDisplayLinkViewsTest, EachTickRendersEveryViewOnceIntoItsPlace) {
  startTwoViews();
  ASSERT_TRUE(controller->isDisplayLinkRunning()) << "the master starts the link";
  EXPECT_EQ(controller->allDelegates().size(), 2u) << "the slave joined";
  EXPECT_TRUE(master->isMasterDisplayLinkViewDelegate());
  EXPECT_FALSE(slave->isMasterDisplayLinkViewDelegate());
  EXPECT_EQ(master->displayLink(), controller.get());
  tick();
  EXPECT_EQ(masterScene->frames, 1);
  EXPECT_EQ(slaveScene->frames, 1);
  EXPECT_EQ(masterScene->lastRect.origin.x, -0.5) << "the scene draws in the unit cube";
  EXPECT_EQ(masterScene->lastRect.size.width, 1.0);
  EXPECT_EQ(windowPixel(window.get(), 10, 10), kRed);
  EXPECT_EQ(windowPixel(window.get(), 30, 10), kBlue);
  for (uint32_t colour : {kRed, kBlue})
    EXPECT_NE(windowPixel(window.get(), 50, 10), colour) << "outside both views";
  masterScene->green = 1;
  tick();
  EXPECT_EQ(masterScene->frames, 2);
  EXPECT_EQ(slaveScene->frames, 2);
  EXPECT_EQ(windowPixel(window.get(), 10, 10), 0xFFFFFF00u) << "the second frame shows";
}

TEST_F(NSOGLDisplayLinkViewsTest, MainThreadWorkRunsOnceInTableOrder) {
  startTwoViews();
  for (int i = 0; i < 10; ++i) master->mainThreadOperationEnqueueWithSelector(SELECTOR("renderSceneReshape"));
  master->mainThreadOperationEnqueueWithSelector(SELECTOR("renderScene"));
  master->mainThreadOperationEnqueueWithID(kNQDisplayLinkViewOperation_Init);
  EXPECT_EQ(master->pendingRequestsOfOperation(kNQDisplayLinkViewOperation_Reshape), 10);
  EXPECT_EQ(master->displayLinkHasMainThreadOperationsPending(), 1);
  tick();
  drainMainQueue();
  // The reshape asks for display, which comes later in the table: the same step runs it.
  EXPECT_EQ(master->ran, (std::vector<std::string>{"init", "reshape", "display"}));
  EXPECT_EQ(master->displayLinkHasMainThreadOperationsPending(), 0);
}

TEST_F(NSOGLDisplayLinkViewsTest, FrameChangesReshapeAtTheNewSize) {
  startTwoViews();
  master->setFrame(NSMakeRect(0, 0, 16, 12));
  EXPECT_EQ(master->atomicBackingDimensions().width, 16);
  EXPECT_EQ(master->atomicBackingDimensions().height, 12);
  EXPECT_GE(master->pendingRequestsOfOperation(kNQDisplayLinkViewOperation_Reshape), 1);
  tick();
  drainMainQueue();
  EXPECT_EQ(master->ran, (std::vector<std::string>{"reshape", "display"}));
  tick();
  EXPECT_EQ(windowPixel(window.get(), 15, 11), kRed);
  EXPECT_EQ(masterScene->lastRect.size.height, 1.0);
}

TEST_F(NSOGLDisplayLinkViewsTest, DuringLiveResizeTicksAskForDisplayAndDrawRectRenders) {
  startTwoViews();
  master->viewWillStartLiveResize();
  tick();
  EXPECT_EQ(masterScene->frames, 0) << "the tick renders nothing";
  EXPECT_EQ(slaveScene->frames, 1);
  drainMainQueue();
  EXPECT_EQ(master->ran, (std::vector<std::string>{"display"}));
  EXPECT_TRUE(master->drawableDrawRectCurrentlyAllowed());
  window->displayIfNeeded();
  EXPECT_EQ(masterScene->frames, 1) << "AppKit's drawing of the view rendered instead";
  EXPECT_EQ(windowPixel(window.get(), 10, 10), kRed);
  master->viewDidEndLiveResize();
  EXPECT_FALSE(master->drawableDrawRectCurrentlyAllowed()) << "the running link draws again";
  master->drawableDrawRect(master->bounds());
  EXPECT_EQ(masterScene->frames, 1);
}

// Another thread holds the master's drawable: the tick skips it, a render of its own hands the
// frame to AppKit, and the reshape gives up after its wait of milliseconds.
TEST_F(NSOGLDisplayLinkViewsTest, ABusyDrawableIsSkippedAndDrawnLater) {
  startTwoViews();
  std::atomic<bool> held{false}, release{false};
  std::thread holder([&] {
    master->openGLLock()->lock();
    held = true;
    while (!release) std::this_thread::yield();
    master->openGLLock()->unlock();
  });
  ASSERT_TRUE(moxicam::test::pollUntil([&] { return held.load(); }));
  tick();
  master->renderScene(true);
  master->renderSceneReshape();
  release = true;
  holder.join();
  EXPECT_EQ(masterScene->frames, 0);
  EXPECT_EQ(slaveScene->frames, 1);
  EXPECT_EQ(master->ran, (std::vector<std::string>{"reshape"}))
      << "the reshape gave up without asking for display";
  EXPECT_EQ(master->pendingRequestsOfOperation(kNQDisplayLinkViewOperation_NeedsDisplay), 1);
  tick();
  EXPECT_EQ(masterScene->frames, 1);
}

TEST_F(NSOGLDisplayLinkViewsTest, InitialisingTwiceMakesNoSecondContext) {
  RefPtr<RecordingView> view = makeView(NSMakeRect(0, 0, 8, 8));
  EXPECT_FALSE(view->hasOpenGLContextWithDesiredPixelFormat());
  ASSERT_TRUE(view->drawableInitializeOnce());
  NSOpenGLContext* context = view->openGLContext();
  EXPECT_FALSE(view->drawableInitializeOnce());
  EXPECT_TRUE(view->drawableInitialize(NSOGLDisplayLinkOpenGLView::defaultPixelFormat()));
  EXPECT_EQ(view->openGLContext(), context);
  EXPECT_NE(log().find(" code : self.cglPixelFormat==NULL"), std::string::npos) << log();
  EXPECT_TRUE(view->wantsBestResolutionOpenGLSurface());
}

TEST_F(NSOGLDisplayLinkViewsTest, AViewWithoutAContextJoinsNothingAndDrawsNothing) {
  RefPtr<RecordingView> view = makeView(NSMakeRect(0, 0, 8, 8));
  view->setPixelFormat(nullptr);
  view->outletDisplayLink = controller.get();
  view->displayLinkViewDidFinishStartup(nullptr);
  EXPECT_TRUE(controller->allDelegates().empty());
  EXPECT_FALSE(view->drawableLockTry());
  view->renderScene(true);
  EXPECT_EQ(view->pendingRequestsOfOperation(kNQDisplayLinkViewOperation_NeedsDisplay), 0);
}

TEST_F(NSOGLDisplayLinkViewsTest, TheMasterGoingStopsTheLink) {
  startTwoViews();
  slave->removeFromSuperview();
  slave = nullptr;
  EXPECT_TRUE(controller->isDisplayLinkRunning()) << "a slave starts and stops nothing";
  master->removeFromSuperview();
  master = nullptr;
  EXPECT_FALSE(controller->isDisplayLinkRunning());
}

// A custom view's own context is made once, when AppKit first focuses the view, and shares
// the shared context's objects.
TEST_F(NSOGLDisplayLinkViewsTest, ACustomViewDrawsWithItsOwnSharingContext) {
  RefPtr<GreenCustomView> view = adopt(
      static_cast<GreenCustomView*>(GreenCustomView::alloc()->initWithFrame(NSMakeRect(40, 0, 20, 20))));
  window->contentView()->addSubview(view.get());
  EXPECT_FALSE(view->openGLContext());
  EXPECT_FALSE(view->drawableLockTry()) << "no context, no lock";
  view->lockFocus();
  view->unlockFocus();
  RefPtr<NSOpenGLContext> context = view->openGLContext();
  ASSERT_TRUE(context);
  EXPECT_EQ(context->view(), view.get());
  EXPECT_FALSE(view->drawableInitializeOnce()) << "made once";
  GLuint shared = 0;
  glGenTextures(1, &shared);
  glBindTexture(GL_TEXTURE_2D, shared);
  glBindTexture(GL_TEXTURE_2D, 0);
  {
    OpenGL::CGLContextState guard(context.get());
    EXPECT_TRUE(glIsTexture(shared));
  }
  glDeleteTextures(1, &shared);
  view->drawRect(view->bounds());
  EXPECT_EQ(windowPixel(window.get(), 50, 10), kGreen);
  ASSERT_TRUE(view->drawableLockTryWithLockWaitTimeInMilliseconds(1));
  view->drawableLockUnlock();
}

}  // namespace
