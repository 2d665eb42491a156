#include "USerialJobQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "PollUntil.h"

const char* g_CoreMachDebug_LogPrefix = "USerialJobQueueTest";
const char* g_CoreMachDebug_LogFileName = "USerialJobQueueTest.log";

namespace {

using namespace std::chrono_literals;
using moxicam::test::pollUntil;

// Opened by the test to let a blocked job return; nothing waits for ever.
class Gate {
 public:
  void open() { mPromise.set_value(); }
  bool wait() const { return mFuture.wait_for(20s) == std::future_status::ready; }

 private:
  std::promise<void> mPromise;
  std::shared_future<void> mFuture = mPromise.get_future().share();
};

struct JobQueue : ::testing::Test {
  RefPtr<USerialJobQueue> queue = adopt(USerialJobQueue::alloc()->init());
  std::mutex lock;
  std::vector<int> ran;

  std::function<void()> job(int number) {
    return [this, number] {
      std::lock_guard<std::mutex> guard(lock);
      ran.push_back(number);
    };
  }
  std::vector<int> jobsRun() {
    std::lock_guard<std::mutex> guard(lock);
    return ran;
  }
  // Queues a job that signals when it starts and returns only once released.
  void queueBlockingJob(int number, Gate& started, Gate& release) {
    ASSERT_TRUE(queue->queueJobWithBlock([&, number] {
      started.open();
      release.wait();
      job(number)();
    }));
    ASSERT_TRUE(started.wait());
  }
};

TEST_F(JobQueue, TheGateDecidesWhetherAJobIsAccepted) {
  struct Step {
    const char* what;
    std::function<void(USerialJobQueue*)> act;
    bool accepted;
  };
  const Step steps[] = {
      {"new queue", [](USerialJobQueue*) {}, false},
      {"opened", [](USerialJobQueue* q) { q->setAllowNewJobsInQueue(true); }, true},
      {"shut", [](USerialJobQueue* q) { q->setAllowNewJobsInQueue(false); }, false},
      {"opened again", [](USerialJobQueue* q) { q->setAllowNewJobsInQueue(true); }, true},
      {"waited for", [](USerialJobQueue* q) { q->waitUntilAllJobsFinished(); }, false},
      {"opened after waiting", [](USerialJobQueue* q) { q->setAllowNewJobsInQueue(true); }, true},
      {"closed for ever", [](USerialJobQueue* q) { q->closeJobQueueForever(); }, false},
      {"opened after closing", [](USerialJobQueue* q) { q->setAllowNewJobsInQueue(true); }, false},
  };
  int number = 0;
  for (const Step& step : steps) {
    step.act(queue.get());
    EXPECT_EQ(queue->queueJobWithBlock(job(number++)), step.accepted) << step.what;
  }
  EXPECT_EQ(queue->jobQueue(), nullptr);
}

TEST_F(JobQueue, RunsJobsOneAtATimeInTheOrderQueued) {
  queue->setAllowNewJobsInQueue(true);
  std::atomic<int> running{0}, mostAtOnce{0};
  for (int i = 0; i < 10; ++i) {
    ASSERT_TRUE(queue->queueJobWithBlock([&, i] {
      mostAtOnce = std::max(mostAtOnce.load(), ++running);
      std::this_thread::yield();
      job(i)();
      --running;
    }));
  }
  queue->closeJobQueueForever();
  EXPECT_EQ(jobsRun(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(mostAtOnce, 1);
}

TEST_F(JobQueue, WaitingDropsTheJobsThatHaveNotStarted) {
  queue->setAllowNewJobsInQueue(true);
  Gate started, release;
  queueBlockingJob(1, started, release);
  ASSERT_TRUE(queue->queueJobWithBlock(job(2)));
  ASSERT_TRUE(queue->queueJobWithBlock(job(3)));

  std::thread waiter([&] { queue->waitUntilAllJobsFinished(); });
  // The gate shuts in the same step that drops the waiting jobs.
  ASSERT_TRUE(pollUntil([&] { return !queue->allowNewJobsInQueue(); }, 20s));
  EXPECT_FALSE(queue->queueJobWithBlock(job(4)));
  release.open();
  waiter.join();
  EXPECT_EQ(jobsRun(), std::vector<int>{1});
}

TEST_F(JobQueue, ClosingForEverRunsEveryQueuedJobFirst) {
  queue->setAllowNewJobsInQueue(true);
  Gate started, release;
  queueBlockingJob(1, started, release);
  ASSERT_TRUE(queue->queueJobWithBlock(job(2)));
  ASSERT_TRUE(queue->queueJobWithBlock(job(3)));

  std::thread closer([&] { queue->closeJobQueueForever(); });
  ASSERT_TRUE(pollUntil([&] { return queue->jobQueue() == nullptr; }, 20s));
  EXPECT_FALSE(queue->queueJobWithBlock(job(4)));
  release.open();
  closer.join();
  EXPECT_EQ(jobsRun(), (std::vector<int>{1, 2, 3}));
}

TEST_F(JobQueue, AJobAcceptedWhileAnotherThreadShutsTheGateStillRuns) {
  queue->setAllowNewJobsInQueue(true);
  std::atomic<int> accepted{0}, runs{0};
  std::thread producer([&] {
    for (int i = 0; i < 2000; ++i) {
      if (queue->queueJobWithBlock([&] { ++runs; })) ++accepted;
    }
  });
  std::this_thread::yield();
  queue->closeJobQueueForever();
  producer.join();
  EXPECT_EQ(runs, accepted);
}

TEST_F(JobQueue, ReleasedFromItsOwnJobItDoesNotWaitForItself) {
  queue->setAllowNewJobsInQueue(true);
  Gate release;
  std::promise<void> done;
  USerialJobQueue* owned = queue.leak();
  ASSERT_TRUE(owned->queueJobWithBlock([&, owned] {
    release.wait();
    owned->release();
  }));
  ASSERT_TRUE(owned->queueJobWithBlock([&] { done.set_value(); }));
  release.open();
  EXPECT_EQ(done.get_future().wait_for(20s), std::future_status::ready);
}

}  // namespace
