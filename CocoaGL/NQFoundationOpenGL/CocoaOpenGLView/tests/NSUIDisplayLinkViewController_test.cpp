#include "NSUIDisplayLinkViewController.h"

#include <CoreVideo/CVDisplayLink.h>
#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "PollUntil.h"
#include "RunLoopUntil.h"

const char* g_CoreMachDebug_LogPrefix = "DisplayLinkControllerTest";
const char* g_CoreMachDebug_LogFileName = "DisplayLinkControllerTest.log";

// A view that counts what the controller asks of it; its drawable lock can be held by a test.
class CountingView : public NSObject, public NSUIDisplayLinkViewDelegate {
  OBJC_CLASS_DECL(CountingView, NSObject)

 public:
  void setDisplayLinkRenderContextUpdateNeeded(bool needed) override { contextUpdate = needed; }
  bool displayLinkRenderContextUpdateNeeded() const override { return contextUpdate; }
  void displayLinkMainThreadOperation() override {
    ++mainThreadRuns;
    pending = 0;
  }
  NSInteger displayLinkHasMainThreadOperationsPending() override { return pending ? 1 : 0; }
  bool displayLink_shouldRenderForTime(NSObject*, const CVTimeStamp*) override { return shouldRender; }
  void displayLinkFlushDrawable(NSObject*) override { ++flushes; }
  void displayLinkChanged(NSObject*) override { ++changes; }
  void displayLinkCreated(NSObject*) override {}
  void displayLink_renderForTime(NSObject*, const CVTimeStamp*) override { ++renders; }
  void displayLinkUnlockDrawable(NSObject*) override {
    ++unlocks;
    drawable.unlock();
  }
  bool displayLinkLockDrawable(NSObject*) override { return drawable.try_lock(); }
  NSWindow* displayLinkViewWindow() const override { return nullptr; }

  std::recursive_timed_mutex drawable;
  std::atomic<bool> contextUpdate{false}, shouldRender{true};
  std::atomic<int> pending{0}, mainThreadRuns{0}, flushes{0}, changes{0}, renders{0}, unlocks{0};
};
OBJC_CLASS_DEFINE(CountingView)

namespace {

RefPtr<CountingView> makeView() { return adopt(static_cast<CountingView*>(CountingView::alloc()->init())); }

class NSUIDisplayLinkViewControllerTest : public testing::Test {
 protected:
  void SetUp() override {
    _CVDisplayLinkSetManualTicks(true);
    mController =
        adopt(static_cast<NSUIDisplayLinkViewController*>(NSUIDisplayLinkViewController::alloc()->init()));
  }
  void TearDown() override {
    mController = nullptr;
    _CVDisplayLinkSetManualTicks(false);
  }
  void tick() { ASSERT_EQ(_CVDisplayLinkTick(mController->displayLink(), ++mTime), kCVReturnSuccess); }

  RefPtr<NSUIDisplayLinkViewController> mController;
  uint64_t mTime = 1000;
};

TEST_F(NSUIDisplayLinkViewControllerTest, EachTickRendersAndFlushesEveryViewOnce) {
  RefPtr<CountingView> master = makeView(), slave = makeView(), quiet = makeView();
  quiet->shouldRender = false;
  mController->setMasterDisplayLinkViewDelegate(master.get());
  mController->addSlaveDisplayLinkViewDelegate(slave.get());
  mController->addSlaveDisplayLinkViewDelegate(slave.get());
  mController->addSlaveDisplayLinkViewDelegate(master.get());
  mController->addSlaveDisplayLinkViewDelegate(quiet.get());
  ASSERT_EQ(mController->allDelegates().size(), 3u) << "each view once";
  EXPECT_EQ(mController->allDelegates().front(), RefPtr<NSObject>(master.get()));
  EXPECT_FALSE(mController->startDisplayLinkDelegate(slave.get())) << "only the master starts";
  EXPECT_FALSE(mController->isDisplayLinkRunning());
  ASSERT_TRUE(mController->startDisplayLinkDelegate(master.get()));
  EXPECT_EQ(master->changes, 2) << "told when the link is made and when it starts";
  tick();
  tick();
  for (CountingView* view : {master.get(), slave.get()}) {
    EXPECT_EQ(view->renders, 2);
    EXPECT_EQ(view->flushes, 2);
  }
  EXPECT_EQ(quiet->renders, 0);
  EXPECT_EQ(quiet->flushes, 0);
  EXPECT_EQ(quiet->unlocks, 4) << "a view that does not render is still unlocked (two changes, two ticks)";
  EXPECT_FALSE(mController->stopDisplayLinkDelegate(slave.get()));
  EXPECT_TRUE(mController->isDisplayLinkRunning());
  EXPECT_TRUE(mController->stopDisplayLinkDelegate(master.get()));
  EXPECT_FALSE(mController->isDisplayLinkRunning());
}

TEST_F(NSUIDisplayLinkViewControllerTest, AViewLockedElsewhereIsSkippedForTheTick) {
  RefPtr<CountingView> master = makeView();
  mController->setMasterDisplayLinkViewDelegate(master.get());
  ASSERT_TRUE(mController->startDisplayLink());
  const int unlocksBefore = master->unlocks;
  std::atomic<bool> held{false}, release{false};
  std::thread holder([&] {
    master->drawable.lock();
    held = true;
    while (!release) std::this_thread::yield();
    master->drawable.unlock();
  });
  ASSERT_TRUE(moxicam::test::pollUntil([&] { return held.load(); }));
  tick();
  release = true;
  holder.join();
  EXPECT_EQ(master->renders, 0);
  EXPECT_EQ(master->flushes, 0);
  EXPECT_EQ(master->unlocks, unlocksBefore) << "not unlocked by the tick either";
  tick();
  EXPECT_EQ(master->renders, 1);
}

// Two views with work for the main thread in one tick: one block, which runs both.
TEST_F(NSUIDisplayLinkViewControllerTest, MainThreadWorkGoesOnceATick) {
  RefPtr<CountingView> master = makeView(), slave = makeView();
  mController->setMasterDisplayLinkViewDelegate(master.get());
  mController->addSlaveDisplayLinkViewDelegate(slave.get());
  ASSERT_TRUE(mController->startDisplayLink());
  master->pending = 1;
  slave->pending = 1;
  tick();
  ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return master->mainThreadRuns == 1 && slave->mainThreadRuns == 1; }));
  tick();
  // A sentinel behind anything the second tick could have queued.
  std::atomic<bool> drained{false};
  dispatch_async(dispatch_get_main_queue(), [&] { drained = true; });
  ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return drained.load(); }));
  EXPECT_EQ(master->mainThreadRuns, 1) << "nothing pending, nothing queued";
}

TEST_F(NSUIDisplayLinkViewControllerTest, TheProxyForwardsOrAnswersNo) {
  RefPtr<NSUIDisplayLinkViewControllerProxy> proxy = adopt(
      static_cast<NSUIDisplayLinkViewControllerProxy*>(NSUIDisplayLinkViewControllerProxy::alloc()->init()));
  RefPtr<CountingView> view = makeView();
  EXPECT_EQ(proxy->displayLinkObject(), nullptr);
  EXPECT_FALSE(proxy->startDisplayLinkDelegate(view.get()));
  proxy->setMasterDisplayLinkViewDelegate(view.get());
  proxy->setValue_forKey(mController.get(), NSSTR("displayLinkViewController"));
  EXPECT_EQ(proxy->displayLinkObject(), mController.get());
  proxy->setMasterDisplayLinkViewDelegate(view.get());
  EXPECT_TRUE(proxy->isMasterDisplayLinkViewDelegate(view.get()));
  EXPECT_TRUE(proxy->startDisplayLinkDelegate(view.get()));
  EXPECT_TRUE(proxy->stopDisplayLinkDelegate(view.get()));
}

TEST(NSUIDisplayLink, CurrentTimeHasOnlyTheHostTime) {
  const CVTimeStamp now = NSUIDisplayLink::displayLinkCurrentTime();
  EXPECT_EQ(now.flags, uint64_t(kCVTimeStampHostTimeValid));
  EXPECT_GT(now.hostTime, 0u);
  EXPECT_EQ(now.videoTime, 0);
  EXPECT_EQ(now.videoRefreshPeriod, 0);
  EXPECT_EQ(now.rateScalar, 0.0);
}

// Released on the main thread with a tick's block still queued for it: the release returns,
// and the block, when the main thread runs it, finds no controller.
TEST_F(NSUIDisplayLinkViewControllerTest, ReleasedOnTheMainThreadWithWorkQueued) {
  RefPtr<CountingView> master = makeView();
  mController->setMasterDisplayLinkViewDelegate(master.get());
  ASSERT_TRUE(mController->startDisplayLink());
  master->pending = 1;
  tick();
  mController = nullptr;
  std::atomic<bool> drained{false};
  dispatch_async(dispatch_get_main_queue(), [&] { drained = true; });
  ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return drained.load(); }));
  EXPECT_EQ(master->mainThreadRuns, 0);
}

// A link ticking on its own thread, released from another thread: once the release returns
// no tick is under way.
TEST(NSUIDisplayLinkViewControllerThreads, ReleaseWaitsForTheTickUnderWay) {
  RefPtr<NSUIDisplayLinkViewController> controller =
      adopt(static_cast<NSUIDisplayLinkViewController*>(NSUIDisplayLinkViewController::alloc()->init()));
  RefPtr<CountingView> master = makeView();
  controller->setMasterDisplayLinkViewDelegate(master.get());
  ASSERT_TRUE(controller->startDisplayLink());
  ASSERT_TRUE(moxicam::test::pollUntil([&] { return master->renders >= 2; }));
  std::thread releaser([&] { controller = nullptr; });
  releaser.join();
  const int renders = master->renders;
  EXPECT_TRUE(master->drawable.try_lock()) << "no tick holds the drawable";
  master->drawable.unlock();
  EXPECT_EQ(master->renders, renders);
}

}  // namespace
