// Run-loop threads for Mach ports: the shared ones, the heartbeat, and a starter that does not
// wait for ever.
#include "MachRunLoopThread.h"

#include <Foundation/NSException.h>
#include <PollUntil.h>
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <condition_variable>
#include <future>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

class HeartbeatListener : public NSObject, public MachRunLoopThreadDelegate {
  OBJC_CLASS_DECL(HeartbeatListener, NSObject)

 public:
  void runLoopThread_heartbeatTimer(MachRunLoopThread* thread, NSTimer* timer) override {
    onThread =
        NSRunLoop::currentRunLoop() == thread->threadRunLoop() && timer == thread->threadHeartbeatTimer();
    ++beats;
  }
  std::atomic<int> beats{0};
  std::atomic<bool> onThread{false};
};
OBJC_CLASS_DEFINE(HeartbeatListener)

// A thread whose body never publishes a run loop until it is let go.
class StuckThread : public MachRunLoopThread {
  OBJC_CLASS_DECL(StuckThread, MachRunLoopThread)

 public:
  void runThreadRunLoop(NSObject*) override {
    std::unique_lock<std::mutex> hold(lock);
    released.wait(hold, [&] { return free; });
  }
  void release() {
    std::lock_guard<std::mutex> guard(lock);
    free = true;
    released.notify_all();
  }
  std::mutex lock;
  std::condition_variable released;
  bool free = false;
};
OBJC_CLASS_DEFINE(StuckThread)

namespace {

using moxicam::test::pollUntil;

std::string nameOfThreadRunning(NSRunLoop* runLoop) {
  std::promise<std::string> named;
  CFRunLoopPerformBlock(runLoop->getCFRunLoop(), kCFRunLoopCommonModes, [&] {
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    named.set_value(name);
  });
  CFRunLoopWakeUp(runLoop->getCFRunLoop());
  auto answer = named.get_future();
  return answer.wait_for(std::chrono::seconds(10)) == std::future_status::ready ? answer.get() : "";
}

TEST(MachRunLoopThread, SharedThreadsAreMadeOnceAndRunTheirOwnLoops) {
  objc::AutoreleasePool pool;
  std::vector<MachRunLoopThread*> seen(8);
  std::vector<std::thread> askers;
  for (size_t i = 0; i < seen.size(); ++i)
    askers.emplace_back([&seen, i] { seen[i] = MachRunLoopThread::sharedServerRunLoopThread(); });
  for (auto& asker : askers) asker.join();
  EXPECT_EQ(std::set<MachRunLoopThread*>(seen.begin(), seen.end()).size(), 1u);
  MachRunLoopThread* server = seen[0];
  MachRunLoopThread* local = MachRunLoopThread::sharedLocalRunLoopThread();
  EXPECT_NE(server, local);
  EXPECT_EQ(local, MachRunLoopThread::sharedLocalRunLoopThread());
  for (MachRunLoopThread* thread : {server, local}) {
    ASSERT_NE(thread->threadRunLoop(), nullptr);
    EXPECT_NE(thread->threadRunLoop(), NSRunLoop::mainRunLoop());
    EXPECT_TRUE(thread->isExecuting());
    EXPECT_EQ(thread->threadHeartbeat(), 1.0);
    EXPECT_NE(thread->threadHeartbeatTimer(), nullptr);
  }
  EXPECT_NE(server->threadRunLoop(), local->threadRunLoop());
  // The system keeps 15 characters of a thread's name.
  EXPECT_EQ(nameOfThreadRunning(server->threadRunLoop()), "sharedServerRun");
  EXPECT_EQ(nameOfThreadRunning(local->threadRunLoop()), "sharedLocalRunL");
}

TEST(MachRunLoopThread, TheHeartbeatReachesTheDelegateUntilStopped) {
  RefPtr<HeartbeatListener> listener = adopt(HeartbeatListener::alloc());
  RefPtr<MachRunLoopThread> thread;
  {
    objc::AutoreleasePool pool;
    thread = RefPtr<MachRunLoopThread>(
        MachRunLoopThread::runloopThreadWithDelegate_threadHeartBeat(listener.get(), 0.01));
  }
  EXPECT_EQ(thread->delegate(), listener.get());
  ASSERT_TRUE(pollUntil([&] { return listener->beats >= 3; }));
  EXPECT_TRUE(listener->onThread);
  thread->stopHeartbeatTimerAndCancelThread();
  EXPECT_TRUE(thread->isCancelled());
  // Without its timer the loop has nothing left to wait for, and the thread ends.
  EXPECT_TRUE(pollUntil([&] { return thread->isFinished(); }));
  EXPECT_EQ(thread->threadRunLoop(), nullptr);
}

TEST(MachRunLoopThread, AStarterGivesUpOnAThreadThatNeverRuns) {
  RefPtr<StuckThread> thread = adopt(StuckThread::alloc());
  thread->initWithTarget_selector_object(thread.get(), SELECTOR("runThreadRunLoop:"), nullptr);
  EXPECT_FALSE(thread->startThreadBlockingUntilRunLoopRunning(std::chrono::milliseconds(20)));
  EXPECT_EQ(thread->threadRunLoop(), nullptr);
  thread->release();
  EXPECT_TRUE(pollUntil([&] { return thread->isFinished(); }));
}

TEST(MachRunLoopThread, TheBodyRefusesTheMainThread) {
  ASSERT_TRUE(NSThread::isMainThread());
  RefPtr<MachRunLoopThread> thread = adopt(MachRunLoopThread::alloc());
  EXPECT_THROW(thread->runThreadRunLoop(nullptr), NSException::Raised);
  EXPECT_EQ(thread->threadRunLoop(), nullptr);
}

}  // namespace
