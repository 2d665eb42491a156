#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "DispatchTestSupport.h"

using namespace dispatch_test;

namespace {

std::string currentThreadName() {
  char name[32] = "";
  pthread_getname_np(pthread_self(), name, sizeof name);
  return name;
}

}  // namespace

TEST(DispatchQueue, SerialQueueKeepsEachProducersOrderAndRunsOneBlockAtATime) {
  dispatch_queue_t queue = dispatch_queue_create("com.moxicam.test.serial", DISPATCH_QUEUE_SERIAL);
  constexpr int kProducers = 8, kBlocksEach = 500;
  std::vector<std::vector<int>> seen(kProducers);
  std::atomic<int> running{0};
  std::atomic<bool> overlapped{false};
  dispatch_semaphore_t done = dispatch_semaphore_create(0);

  std::vector<std::thread> producers;
  for (int p = 0; p < kProducers; ++p) {
    producers.emplace_back([&, p] {
      for (int i = 0; i < kBlocksEach; ++i) {
        dispatch_async(queue, [&, p, i] {
          if (running.fetch_add(1) != 0) overlapped = true;
          seen[p].push_back(i);  // unsynchronised on purpose: the queue is the lock
          running.fetch_sub(1);
        });
      }
    });
  }
  for (auto& producer : producers) producer.join();
  dispatch_async(queue, [&] { dispatch_semaphore_signal(done); });
  ASSERT_TRUE(waitFor(done));

  EXPECT_FALSE(overlapped);
  for (int p = 0; p < kProducers; ++p) {
    ASSERT_EQ(seen[p].size(), size_t(kBlocksEach));
    for (int i = 0; i < kBlocksEach; ++i) ASSERT_EQ(seen[p][i], i);
  }
  dispatch_release(queue);
  dispatch_release(done);
}

TEST(DispatchQueue, BlocksSeeTheirQueueAndItsLabel) {
  dispatch_queue_t queue = dispatch_queue_create("sCFTypeRefOutputQueue", DISPATCH_QUEUE_SERIAL);
  const char* label = dispatch_queue_get_label(queue);
  EXPECT_STREQ(label, "sCFTypeRefOutputQueue");

  const char* seenLabel = nullptr;
  dispatch_queue_t seenQueue = nullptr;
  std::string threadName;
  dispatch_sync(queue, [&] {
    seenLabel = dispatch_queue_get_label(DISPATCH_CURRENT_QUEUE_LABEL);
    seenQueue = dispatch_get_current_queue();
    threadName = currentThreadName();
  });
  EXPECT_EQ(seenLabel, label);  // the same text, by pointer
  EXPECT_EQ(seenQueue, queue);
  EXPECT_EQ(threadName, "sCFTypeRefOutpu");  // the label cut to what the kernel keeps
  dispatch_release(queue);
}

TEST(DispatchQueue, MainQueueIsTheMainThreadOutsideAnyBlock) {
  EXPECT_STREQ(dispatch_queue_get_label(dispatch_get_main_queue()), "com.apple.main-thread");
  EXPECT_EQ(dispatch_queue_get_label(DISPATCH_CURRENT_QUEUE_LABEL),
            dispatch_queue_get_label(dispatch_get_main_queue()));

  const char* labelOnWorker = nullptr;
  std::thread([&] { labelOnWorker = dispatch_queue_get_label(DISPATCH_CURRENT_QUEUE_LABEL); }).join();
  EXPECT_NE(labelOnWorker, dispatch_queue_get_label(dispatch_get_main_queue()));
}

TEST(DispatchQueue, GlobalQueuesByPriorityAndQualityOfService) {
  struct Case {
    long identifier;
    long sameAs;
  } cases[] = {
      {DISPATCH_QUEUE_PRIORITY_HIGH, QOS_CLASS_USER_INITIATED},
      {DISPATCH_QUEUE_PRIORITY_HIGH, QOS_CLASS_USER_INTERACTIVE},
      {DISPATCH_QUEUE_PRIORITY_DEFAULT, QOS_CLASS_DEFAULT},
      {DISPATCH_QUEUE_PRIORITY_LOW, QOS_CLASS_UTILITY},
      {DISPATCH_QUEUE_PRIORITY_BACKGROUND, QOS_CLASS_BACKGROUND},
  };
  for (const Case& c : cases) {
    dispatch_queue_t queue = dispatch_get_global_queue(c.identifier, 0);
    ASSERT_NE(queue, nullptr) << c.identifier;
    EXPECT_EQ(queue, dispatch_get_global_queue(c.sameAs, 0)) << c.identifier;
  }
  EXPECT_NE(dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0), dispatch_get_global_queue(0, 0));
  EXPECT_EQ(dispatch_get_global_queue(12345, 0), nullptr);

  dispatch_queue_t high = dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0);
  dispatch_semaphore_t ran = dispatch_semaphore_create(0);
  dispatch_queue_t seen = nullptr;
  dispatch_async(high, [&] {
    seen = dispatch_get_current_queue();
    dispatch_semaphore_signal(ran);
  });
  ASSERT_TRUE(waitFor(ran));
  EXPECT_EQ(seen, high);
  dispatch_release(ran);
}

TEST(DispatchQueue, QueuesTargetingOneSerialQueueNeverOverlap) {
  dispatch_queue_t target = dispatch_queue_create("target", DISPATCH_QUEUE_SERIAL);
  dispatch_queue_t first = dispatch_queue_create("first", DISPATCH_QUEUE_SERIAL);
  dispatch_queue_t second = dispatch_queue_create("second", DISPATCH_QUEUE_CONCURRENT);
  dispatch_set_target_queue(first, target);
  dispatch_set_target_queue(second, target);
  static int key;
  dispatch_queue_set_specific(target, &key, &key, nullptr);

  std::atomic<int> running{0};
  std::atomic<bool> overlapped{false};
  std::atomic<int> foundSpecific{0};
  dispatch_group_t group = dispatch_group_create();
  for (int i = 0; i < 200; ++i) {
    dispatch_group_async(group, i % 2 ? first : second, [&] {
      if (running.fetch_add(1) != 0) overlapped = true;
      if (dispatch_get_specific(&key) == &key) ++foundSpecific;  // found through the target
      std::this_thread::yield();
      running.fetch_sub(1);
    });
  }
  ASSERT_TRUE(waitFor(group));
  EXPECT_FALSE(overlapped);
  EXPECT_EQ(foundSpecific.load(), 200);
  EXPECT_EQ(dispatch_get_specific(&key), nullptr);

  // A queue cannot be made to run on itself, directly or through another queue.
  dispatch_set_target_queue(target, first);
  dispatch_semaphore_t ran = dispatch_semaphore_create(0);
  dispatch_async(first, [&] { dispatch_semaphore_signal(ran); });
  EXPECT_TRUE(waitFor(ran));

  for (auto object : {first, second, target}) dispatch_release(object);
  dispatch_release(group);
  dispatch_release(ran);
}

TEST(DispatchQueue, ConcurrentQueueRunsBlocksSideBySideAndBarriersAlone) {
  dispatch_queue_t queue = dispatch_queue_create("concurrent", DISPATCH_QUEUE_CONCURRENT);
  // Two blocks that each wait for the other can only finish when they run side by side.
  dispatch_semaphore_t a = dispatch_semaphore_create(0), b = dispatch_semaphore_create(0);
  std::atomic<int> met{0};
  dispatch_async(queue, [&] {
    dispatch_semaphore_signal(a);
    if (waitFor(b)) ++met;
  });
  dispatch_async(queue, [&] {
    dispatch_semaphore_signal(b);
    if (waitFor(a)) ++met;
  });

  std::mutex lock;
  std::vector<std::string> events;
  auto record = [&](std::string event) {
    std::lock_guard<std::mutex> guard(lock);
    events.push_back(std::move(event));
  };
  std::atomic<int> running{0};
  for (int i = 0; i < 20; ++i) {
    dispatch_async(queue, [&] {
      ++running;
      std::this_thread::yield();
      --running;
      record("before");
    });
  }
  dispatch_barrier_async(queue,
                         [&] { record(running.load() == 0 ? "barrier alone" : "barrier overlapped"); });
  for (int i = 0; i < 20; ++i) dispatch_async(queue, [&] { record("after"); });
  dispatch_barrier_sync(queue, [] {});

  EXPECT_EQ(met.load(), 2);
  ASSERT_EQ(events.size(), 41u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(events[i], "before");
  EXPECT_EQ(events[20], "barrier alone");
  for (int i = 21; i < 41; ++i) EXPECT_EQ(events[i], "after");
  for (auto object : {a, b}) dispatch_release(object);
  dispatch_release(queue);
}

TEST(DispatchQueue, SyncRunsOnTheQueueAndReturnsAfterIt) {
  dispatch_queue_t queue = dispatch_queue_create("sync", DISPATCH_QUEUE_SERIAL);
  std::vector<int> order;
  dispatch_async(queue, [&] {
    std::this_thread::yield();
    order.push_back(1);
  });
  dispatch_sync(queue, [&] { order.push_back(2); });
  order.push_back(3);
  EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));

  // Sync from inside one serial queue onto another, and onto a global queue.
  dispatch_queue_t other = dispatch_queue_create("other", DISPATCH_QUEUE_SERIAL);
  int value = 0;
  dispatch_sync(queue, [&] {
    dispatch_sync(other, [&] { value += 1; });
    dispatch_sync(dispatch_get_global_queue(0, 0), [&] { value += 10; });
  });
  EXPECT_EQ(value, 11);

  int context = 0;
  dispatch_sync_f(queue, &context, [](void* c) { *static_cast<int*>(c) = 42; });
  EXPECT_EQ(context, 42);
  dispatch_release(queue);
  dispatch_release(other);
}

TEST(DispatchQueue, SuspendedQueueHoldsItsBlocksUntilResumed) {
  dispatch_queue_t queue = dispatch_queue_create("suspended", DISPATCH_QUEUE_SERIAL);
  dispatch_suspend(queue);
  std::atomic<int> ran{0};
  for (int i = 0; i < 5; ++i) dispatch_async(queue, [&] { ++ran; });
  // A block of another queue that has run proves time has passed without asserting any.
  dispatch_queue_t elsewhere = dispatch_queue_create("elsewhere", DISPATCH_QUEUE_SERIAL);
  dispatch_sync(elsewhere, [] {});
  dispatch_sync(dispatch_get_global_queue(0, 0), [] {});
  dispatch_release(elsewhere);
  EXPECT_EQ(ran.load(), 0);
  dispatch_resume(queue);
  dispatch_sync(queue, [] {});
  EXPECT_EQ(ran.load(), 5);
  dispatch_release(queue);
}

TEST(DispatchQueue, AfterRunsLaterOnTheGivenQueue) {
  dispatch_queue_t queue = dispatch_queue_create("after", DISPATCH_QUEUE_SERIAL);
  dispatch_semaphore_t ran = dispatch_semaphore_create(0);
  dispatch_queue_t seen = nullptr;
  dispatch_after(dispatch_time(DISPATCH_TIME_NOW, 20 * NSEC_PER_MSEC), queue, [&] {
    seen = dispatch_get_current_queue();
    dispatch_semaphore_signal(ran);
  });
  ASSERT_TRUE(waitFor(ran));
  EXPECT_EQ(seen, queue);

  // A time already past runs at once.
  dispatch_after_f(dispatch_time(DISPATCH_TIME_NOW, -int64_t(NSEC_PER_SEC)), queue, ran,
                   [](void* s) { dispatch_semaphore_signal(static_cast<dispatch_semaphore_t>(s)); });
  EXPECT_TRUE(waitFor(ran));
  dispatch_release(queue);
  dispatch_release(ran);
}

TEST(DispatchQueue, ApplyRunsEveryIterationOnce) {
  dispatch_queue_t serial = dispatch_queue_create("apply", DISPATCH_QUEUE_SERIAL);
  for (dispatch_queue_t queue : {dispatch_get_global_queue(0, 0), serial}) {
    std::vector<std::atomic<int>> counts(1000);
    dispatch_apply(counts.size(), queue, [&](size_t i) { ++counts[i]; });
    for (auto& count : counts) ASSERT_EQ(count.load(), 1);
  }
  dispatch_release(serial);
  dispatch_apply(0, DISPATCH_APPLY_AUTO, [](size_t) { FAIL(); });
}

TEST(DispatchQueue, SpecificValuesAreReplacedAndDestroyed) {
  dispatch_queue_t queue = dispatch_queue_create("specific", DISPATCH_QUEUE_SERIAL);
  static int key;
  static std::atomic<int> destroyed;
  static dispatch_semaphore_t allDestroyed;
  destroyed = 0;
  allDestroyed = dispatch_semaphore_create(0);
  int first = 1, second = 2;
  auto destroy = [](void*) {
    if (++destroyed == 2) dispatch_semaphore_signal(allDestroyed);
  };
  dispatch_queue_set_specific(queue, &key, &first, destroy);
  EXPECT_EQ(dispatch_queue_get_specific(queue, &key), &first);
  dispatch_queue_set_specific(queue, &key, &second, destroy);
  EXPECT_EQ(destroyed.load(), 1);
  void* seen = nullptr;
  dispatch_sync(queue, [&] { seen = dispatch_get_specific(&key); });
  EXPECT_EQ(seen, &second);
  // The queue goes (and its values with it) once the drain that ran the block lets go too.
  dispatch_release(queue);
  ASSERT_TRUE(waitFor(allDestroyed));
  dispatch_release(allDestroyed);
}

TEST(DispatchQueue, ContextAndFinalizerFollowTheLastReference) {
  static int finalized;
  static dispatch_semaphore_t finalizedSignal;
  finalized = 0;
  finalizedSignal = dispatch_semaphore_create(0);
  int context = 7;
  dispatch_queue_t queue = dispatch_queue_create(nullptr, DISPATCH_QUEUE_SERIAL);
  EXPECT_STREQ(dispatch_queue_get_label(queue), "");
  dispatch_set_context(queue, &context);
  dispatch_set_finalizer_f(queue, [](void* c) {
    finalized = *static_cast<int*>(c);
    dispatch_semaphore_signal(finalizedSignal);
  });
  EXPECT_EQ(dispatch_get_context(queue), &context);
  dispatch_retain(queue);
  dispatch_release(queue);
  EXPECT_EQ(finalized, 0);
  // A queued block keeps the queue alive past its creator's release.
  dispatch_semaphore_t gate = dispatch_semaphore_create(0);
  dispatch_async(queue, [gate] { waitFor(gate); });
  dispatch_release(queue);
  EXPECT_EQ(finalized, 0);
  dispatch_semaphore_signal(gate);
  ASSERT_TRUE(waitFor(finalizedSignal));
  EXPECT_EQ(finalized, 7);
  dispatch_release(gate);
  dispatch_release(finalizedSignal);
}

TEST(DispatchQueue, MainQueueRunsOnTheMainThreadWhenDrained) {
  std::atomic<int> ran{0};
  bool onMainQueue = false;
  std::thread([&] {
    dispatch_async(dispatch_get_main_queue(), [&] {
      onMainQueue = dispatch_get_current_queue() == dispatch_get_main_queue();
      ++ran;
    });
  }).join();
  // A serial queue that targets the main queue runs there too.
  dispatch_queue_t toMain = dispatch_queue_create("to-main", DISPATCH_QUEUE_SERIAL);
  dispatch_set_target_queue(toMain, dispatch_get_main_queue());
  std::string threadName = currentThreadName();
  std::string nameInBlock;
  dispatch_async(toMain, [&] {
    nameInBlock = currentThreadName();
    ++ran;
  });
  ASSERT_TRUE(drainMainQueueUntil([&] { return ran == 2; }));
  EXPECT_TRUE(onMainQueue);
  EXPECT_EQ(nameInBlock, threadName);  // the main thread keeps its name
  dispatch_release(toMain);
}
