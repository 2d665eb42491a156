#include <Foundation/Foundation.h>

#include <gtest/gtest.h>

#include <dispatch/runloop_4CF.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Runs the main queue on this (the main) thread until done() holds or the deadline passes.
template <class Condition>
bool runMainQueueUntil(Condition done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    pollfd port{_dispatch_get_main_queue_port_4CF(), POLLIN, 0};
    if (poll(&port, 1, 20) > 0) _dispatch_main_queue_callback_4CF();
  }
  return true;
}

TEST(NSThread, KnowsTheMainThread) {
  ASSERT_TRUE(NSThread::isMainThread());
  EXPECT_EQ(NSThread::currentThread(), NSThread::mainThread());
  NSThread* other = nullptr;
  bool otherIsMain = true;
  std::thread([&] {
    otherIsMain = NSThread::isMainThread();
    other = NSThread::currentThread();
    EXPECT_EQ(NSThread::currentThread(), other);
  }).join();
  EXPECT_FALSE(otherIsMain);
  EXPECT_NE(other, NSThread::mainThread());
}

TEST(NSOperationQueue, MainQueueRunsItsOperationsOnTheMainThread) {
  ASSERT_EQ(NSOperationQueue::currentQueue(), NSOperationQueue::mainQueue());
  std::atomic<bool> ran{false}, onMainThread{false}, currentWasMain{false};
  std::thread([&] {
    EXPECT_EQ(NSOperationQueue::currentQueue(), nullptr);
    NSOperationQueue::mainQueue()->addOperationWithBlock([&] {
      onMainThread = NSThread::isMainThread();
      currentWasMain = NSOperationQueue::currentQueue() == NSOperationQueue::mainQueue();
      ran = true;
    });
  }).join();
  ASSERT_TRUE(runMainQueueUntil([&] { return ran.load(); }));
  EXPECT_TRUE(onMainThread);
  EXPECT_TRUE(currentWasMain);
}

TEST(NSOperationQueue, OwnQueueRunsOperationsOffTheMainThreadAndKnowsItself) {
  NSOperationQueue* queue = NSOperationQueue::alloc()->init();
  constexpr int kOperations = 16;
  std::atomic<int> done{0}, onMain{0}, knewQueue{0};
  for (int i = 0; i < kOperations; ++i) {
    queue->addOperationWithBlock([&, queue] {
      if (NSThread::isMainThread()) ++onMain;
      if (NSOperationQueue::currentQueue() == queue) ++knewQueue;
      ++done;
    });
  }
  // The queue keeps itself alive until its operations have run.
  queue->release();
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (done < kOperations && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(done, kOperations);
  EXPECT_EQ(onMain, 0);
  EXPECT_EQ(knewQueue, kOperations);
}

}  // namespace
