// The operation queue's limit, suspension and cancellation, as a serial job queue uses them.
#include <Foundation/Foundation.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// A latch the test opens to let a blocked operation finish; a test never waits for ever.
class Gate {
 public:
  void open() { mPromise.set_value(); }
  bool wait() { return mFuture.wait_for(20s) == std::future_status::ready; }

 private:
  std::promise<void> mPromise;
  std::shared_future<void> mFuture = mPromise.get_future().share();
};

struct SerialQueue : ::testing::Test {
  void SetUp() override {
    queue = adopt(NSOperationQueue::alloc()->init());
    queue->setMaxConcurrentOperationCount(1);
  }
  void TearDown() override {
    queue->cancelAllOperations();
    queue->waitUntilAllOperationsAreFinished();
  }
  RefPtr<NSOperationQueue> queue;
};

TEST_F(SerialQueue, RunsOneOperationAtATimeInTheOrderAdded) {
  std::mutex lock;
  std::vector<int> order;
  std::atomic<int> running{0}, mostAtOnce{0};
  for (int i = 0; i < 20; ++i) {
    queue->addOperationWithBlock([&, i] {
      int now = ++running;
      mostAtOnce = std::max(mostAtOnce.load(), now);
      std::this_thread::yield();
      {
        std::lock_guard<std::mutex> guard(lock);
        order.push_back(i);
      }
      --running;
    });
  }
  queue->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(mostAtOnce, 1);
  ASSERT_EQ(order.size(), 20u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(order[i], i);
  EXPECT_EQ(queue->operationCount(), 0u);
}

TEST_F(SerialQueue, SuspendedQueueStartsNothingUntilResumed) {
  queue->setSuspended(true);
  std::atomic<int> ran{0};
  for (int i = 0; i < 3; ++i) queue->addOperationWithBlock([&] { ++ran; });
  EXPECT_TRUE(queue->isSuspended());
  EXPECT_EQ(queue->operationCount(), 3u);
  EXPECT_EQ(ran, 0);
  queue->setSuspended(false);
  queue->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(ran, 3);
}

TEST_F(SerialQueue, CancellingLetsTheRunningOperationFinishAndDropsTheWaitingOnes) {
  Gate started, release;
  std::atomic<bool> sawCancel{false};
  std::atomic<int> laterRan{0};
  NSOperation* running = nullptr;
  RefPtr<NSBlockOperation> first{NSBlockOperation::blockOperationWithBlock([&] {
    started.open();
    release.wait();
    sawCancel = running->isCancelled();
  })};
  running = first.get();
  queue->addOperation(first.get());
  RefPtr<NSBlockOperation> waiting{NSBlockOperation::blockOperationWithBlock([&] { ++laterRan; })};
  queue->addOperation(waiting.get());
  queue->addOperationWithBlock([&] { ++laterRan; });
  ASSERT_TRUE(started.wait());
  EXPECT_EQ(queue->operationCount(), 3u);

  queue->cancelAllOperations();
  EXPECT_TRUE(waiting->isCancelled());
  EXPECT_TRUE(waiting->isFinished());
  EXPECT_EQ(queue->operationCount(), 1u);
  release.open();
  queue->waitUntilAllOperationsAreFinished();
  EXPECT_TRUE(sawCancel);
  EXPECT_EQ(laterRan, 0);
  EXPECT_EQ(queue->operationCount(), 0u);
}

TEST_F(SerialQueue, WaitingFromItsOwnOperationReturnsInsteadOfWaitingForItself) {
  std::atomic<bool> returned{false};
  queue->addOperationWithBlock([&] {
    queue->waitUntilAllOperationsAreFinished();
    returned = true;
  });
  queue->waitUntilAllOperationsAreFinished();
  EXPECT_TRUE(returned);
}

TEST(NSOperationQueue, RefusesBadLimitsAndAnOperationGivenTwice) {
  RefPtr<NSOperationQueue> queue = adopt(NSOperationQueue::alloc()->init());
  EXPECT_EQ(queue->maxConcurrentOperationCount(), NSOperationQueueDefaultMaxConcurrentOperationCount);
  queue->setMaxConcurrentOperationCount(0);
  EXPECT_EQ(queue->maxConcurrentOperationCount(), NSOperationQueueDefaultMaxConcurrentOperationCount);
  queue->setMaxConcurrentOperationCount(2);
  EXPECT_EQ(queue->maxConcurrentOperationCount(), 2);

  queue->setSuspended(true);
  std::atomic<int> ran{0};
  RefPtr<NSBlockOperation> operation{NSBlockOperation::blockOperationWithBlock([&] { ++ran; })};
  queue->addOperation(operation.get());
  queue->addOperation(operation.get());
  EXPECT_EQ(queue->operationCount(), 1u);
  queue->setSuspended(false);
  queue->waitUntilAllOperationsAreFinished();
  EXPECT_EQ(ran, 1);
  EXPECT_TRUE(operation->isFinished());
  queue->addOperation(operation.get());
  EXPECT_EQ(queue->operationCount(), 0u);
}

TEST(NSOperationQueue, KeepsItselfAliveUntilItsOperationsHaveFinished) {
  Gate release;
  std::promise<void> done;
  NSOperationQueue* queue = NSOperationQueue::alloc()->init();
  queue->setMaxConcurrentOperationCount(1);
  queue->addOperationWithBlock([&] { release.wait(); });
  queue->addOperationWithBlock([&] { done.set_value(); });
  queue->release();
  release.open();
  EXPECT_EQ(done.get_future().wait_for(20s), std::future_status::ready);
}

}  // namespace
