// Timers on the run loop, performing on the main thread or later, and detached threads.
#include <Foundation/NSRunLoop.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include <Foundation/NSDate.h>
#include <Foundation/NSThread.h>
#include <Foundation/NSTimer.h>
#include <RunLoopUntil.h>
#include <gtest/gtest.h>
#include <objc/MethodTable.h>

class Worker : public NSObject {
  OBJC_CLASS_DECL(Worker, NSObject)

 public:
  void work(NSObject* argument) {
    calls.push_back(std::string(NSThread::isMainThread() ? "main" : "other") + (argument ? " with argument" : ""));
    ++count;
  }
  void tick(NSTimer* timer) {
    if (++count == 3) timer->invalidate();
  }
  std::vector<std::string> calls;
  std::atomic<int> count{0};
};
OBJC_CLASS_DEFINE(Worker)
OBJC_METHODS(Worker, OBJC_METHOD("work:", &Worker::work), OBJC_METHOD("tick:", &Worker::tick))

namespace {

using moxicam::test::runLoopUntil;

RefPtr<Worker> makeWorker() { return adopt(Worker::alloc()); }

TEST(Timers, RepeatUntilInvalidatedAndFireOnceOtherwise) {
  objc::AutoreleasePool pool;
  RefPtr<Worker> worker = makeWorker();
  NSTimer* repeating =
      NSTimer::scheduledTimerWithTimeInterval_target_selector_userInfo_repeats(0.01, worker.get(), SELECTOR("tick:"), nullptr, true);
  RefPtr<NSTimer> kept{repeating};
  int once = 0;
  NSTimer::scheduledTimerWithTimeInterval_repeats_block(0.01, false, [&](NSTimer*) { ++once; });
  ASSERT_TRUE(runLoopUntil([&] { return worker->count == 3 && once == 1; }));
  EXPECT_FALSE(kept->isValid());
  NSRunLoop::currentRunLoop()->runUntilDate(NSDate::dateWithTimeIntervalSinceNow(0.05));
  EXPECT_EQ(worker->count, 3);
  EXPECT_EQ(once, 1);
  // An invalidated timer lets its target go.
  EXPECT_EQ(worker->retainCount(), 1);
}

TEST(PerformOnMainThread, QueuesWithoutWaitingEvenOnTheMainThread) {
  ASSERT_TRUE(NSThread::isMainThread());
  RefPtr<Worker> worker = makeWorker();
  worker->performSelectorOnMainThread_withObject_waitUntilDone(SELECTOR("work:"), nullptr, false);
  EXPECT_EQ(worker->count, 0);
  ASSERT_TRUE(runLoopUntil([&] { return worker->count == 1; }));
  // Waiting on the main thread runs it at once.
  worker->performSelectorOnMainThread_withObject_waitUntilDone(SELECTOR("work:"), worker.get(), true);
  EXPECT_EQ(worker->count, 2);
}

TEST(PerformOnMainThread, AnotherThreadWaitsForTheMainThread) {
  RefPtr<Worker> worker = makeWorker();
  std::atomic<bool> returned{false};
  std::thread caller([&] {
    worker->performSelectorOnMainThread_withObject_waitUntilDone(SELECTOR("work:"), nullptr, true);
    // The call has run by the time the caller goes on.
    EXPECT_EQ(worker->count, 1);
    returned = true;
  });
  ASSERT_TRUE(runLoopUntil([&] { return returned.load(); }));
  caller.join();
  EXPECT_EQ(worker->calls, (std::vector<std::string>{"main"}));
}

TEST(PerformAfterDelay, RunsFromTheRunLoopLater) {
  RefPtr<Worker> worker = makeWorker();
  RefPtr<NSObject> argument = adopt(new NSObject());
  worker->performSelector_withObject_afterDelay(SELECTOR("work:"), argument.get(), 0.01);
  EXPECT_EQ(worker->count, 0);
  ASSERT_TRUE(runLoopUntil([&] { return worker->count == 1; }));
  EXPECT_EQ(worker->calls, (std::vector<std::string>{"main with argument"}));
}

TEST(DetachedThreads, RunTheSelectorOnAThreadOfTheirOwn) {
  RefPtr<Worker> worker = makeWorker();
  NSThread::detachNewThreadSelector_toTarget_withObject(SELECTOR("work:"), worker.get(), nullptr);
  ASSERT_TRUE(runLoopUntil([&] { return worker->count == 1; }));
  EXPECT_EQ(worker->calls, (std::vector<std::string>{"other"}));
}

}  // namespace
