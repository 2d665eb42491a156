#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "DispatchTestSupport.h"

using namespace dispatch_test;

namespace {

dispatch_source_t makeTimer(dispatch_queue_t queue, uint64_t intervalNanoseconds) {
  dispatch_source_t timer = dispatch_source_create(DISPATCH_SOURCE_TYPE_TIMER, 0, 0, queue);
  dispatch_source_set_timer(timer, dispatch_time(DISPATCH_TIME_NOW, 0), intervalNanoseconds, 0);
  return timer;
}

// Cancels a source and waits for its cancel handler: after that no handler of it runs, so the
// test's locals that the handlers use may go.
void cancelAndWait(dispatch_source_t source) {
  dispatch_semaphore_t cancelled = dispatch_semaphore_create(0);
  dispatch_source_set_cancel_handler(source, [cancelled] { dispatch_semaphore_signal(cancelled); });
  dispatch_source_cancel(source);
  EXPECT_TRUE(waitFor(cancelled));
  dispatch_release(cancelled);
}

// Runs a block on the global queue and waits for it, so that anything queued before has had
// its chance to be picked up.
void settle() {
  dispatch_queue_t queue = dispatch_queue_create("settle", DISPATCH_QUEUE_SERIAL);
  for (int i = 0; i < 3; ++i) dispatch_sync(queue, [] { std::this_thread::yield(); });
  dispatch_release(queue);
}

}  // namespace

TEST(DispatchSource, TimerFiresRepeatedlyOnItsQueueOneCallAtATime) {
  dispatch_queue_t high = dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_HIGH, 0);
  dispatch_source_t timer = makeTimer(high, NSEC_PER_MSEC);
  std::atomic<int> calls{0}, running{0};
  std::atomic<unsigned long> fires{0};
  std::atomic<bool> overlapped{false}, wrongQueue{false};
  dispatch_semaphore_t enough = dispatch_semaphore_create(0);
  dispatch_source_set_event_handler(timer, [&] {
    if (running.fetch_add(1) != 0) overlapped = true;
    if (dispatch_get_current_queue() != high) wrongQueue = true;
    fires += dispatch_source_get_data(timer);
    if (++calls == 20) dispatch_semaphore_signal(enough);
    std::this_thread::yield();
    running.fetch_sub(1);
  });
  dispatch_resume(timer);
  ASSERT_TRUE(waitFor(enough));
  cancelAndWait(timer);
  EXPECT_FALSE(overlapped);
  EXPECT_FALSE(wrongQueue);
  EXPECT_GE(fires.load(), 20u);  // each call counts at least its own fire
  EXPECT_TRUE(dispatch_source_testcancel(timer));
  dispatch_release(timer);
  dispatch_release(enough);
}

TEST(DispatchSource, CreatedSuspendedAndQuietWhileSuspended) {
  dispatch_queue_t queue = dispatch_queue_create("timer", DISPATCH_QUEUE_SERIAL);
  dispatch_source_t timer = makeTimer(queue, NSEC_PER_MSEC);
  std::atomic<int> calls{0};
  dispatch_semaphore_t fired = dispatch_semaphore_create(0);
  dispatch_source_set_event_handler(timer, [&] {
    ++calls;
    dispatch_semaphore_signal(fired);
  });
  // Not yet resumed: the first fire is held back.
  EXPECT_NE(dispatch_semaphore_wait(fired, dispatch_time(DISPATCH_TIME_NOW, 30 * NSEC_PER_MSEC)), 0);
  EXPECT_EQ(calls.load(), 0);

  dispatch_resume(timer);
  ASSERT_TRUE(waitFor(fired));

  dispatch_suspend(timer);
  dispatch_sync(queue, [] {});  // a call already queued has finished
  int atSuspend = calls.load();
  while (dispatch_semaphore_wait(fired, DISPATCH_TIME_NOW) == 0) {
  }
  EXPECT_NE(dispatch_semaphore_wait(fired, dispatch_time(DISPATCH_TIME_NOW, 30 * NSEC_PER_MSEC)), 0);
  settle();
  EXPECT_EQ(calls.load(), atSuspend);

  // Resumed, the fires missed meanwhile arrive merged, and the timer goes on.
  // Written by every fire, which goes on while the test reads it.
  std::atomic<unsigned long> data{0};
  dispatch_source_set_event_handler(timer, [&] {
    data = dispatch_source_get_data(timer);
    ++calls;
    dispatch_semaphore_signal(fired);
  });
  dispatch_resume(timer);
  ASSERT_TRUE(waitFor(fired));
  dispatch_sync(queue, [] {});
  EXPECT_GE(data.load(), 1u);
  ASSERT_TRUE(waitFor(fired));
  cancelAndWait(timer);
  dispatch_release(timer);
  dispatch_release(queue);
  dispatch_release(fired);
}

TEST(DispatchSource, OneShotTimerFiresOnce) {
  dispatch_queue_t queue = dispatch_queue_create("one-shot", DISPATCH_QUEUE_SERIAL);
  dispatch_source_t timer = dispatch_source_create(DISPATCH_SOURCE_TYPE_TIMER, 0, 0, queue);
  dispatch_source_set_timer(timer, dispatch_time(DISPATCH_TIME_NOW, 5 * NSEC_PER_MSEC), DISPATCH_TIME_FOREVER,
                            0);
  std::atomic<int> calls{0};
  dispatch_semaphore_t fired = dispatch_semaphore_create(0);
  dispatch_source_set_event_handler(timer, [&] {
    ++calls;
    dispatch_semaphore_signal(fired);
  });
  dispatch_resume(timer);
  ASSERT_TRUE(waitFor(fired));
  EXPECT_NE(dispatch_semaphore_wait(fired, dispatch_time(DISPATCH_TIME_NOW, 50 * NSEC_PER_MSEC)), 0);
  EXPECT_EQ(calls.load(), 1);
  cancelAndWait(timer);
  dispatch_release(timer);
  dispatch_release(queue);
  dispatch_release(fired);
}

TEST(DispatchSource, CancelHandlerRunsOnceAfterTheRunningEventHandler) {
  dispatch_queue_t queue = dispatch_queue_create("cancel", DISPATCH_QUEUE_CONCURRENT);
  dispatch_source_t timer = makeTimer(queue, NSEC_PER_MSEC);
  std::atomic<bool> inHandler{false}, cancelDuringHandler{false};
  std::atomic<int> cancels{0}, callsAfterCancel{0};
  std::atomic<bool> cancelled{false};
  dispatch_semaphore_t entered = dispatch_semaphore_create(0), release = dispatch_semaphore_create(0),
                       cancelRan = dispatch_semaphore_create(0);
  dispatch_source_set_event_handler(timer, [&] {
    if (cancelled) ++callsAfterCancel;
    inHandler = true;
    dispatch_semaphore_signal(entered);
    waitFor(release);
    inHandler = false;
  });
  dispatch_source_set_cancel_handler(timer, [&] {
    if (inHandler) cancelDuringHandler = true;
    ++cancels;
    dispatch_semaphore_signal(cancelRan);
  });
  dispatch_resume(timer);
  ASSERT_TRUE(waitFor(entered));
  cancelled = true;
  dispatch_source_cancel(timer);
  dispatch_source_cancel(timer);
  dispatch_semaphore_signal(release);
  ASSERT_TRUE(waitFor(cancelRan));
  settle();
  EXPECT_EQ(cancels.load(), 1);
  EXPECT_FALSE(cancelDuringHandler);
  EXPECT_EQ(callsAfterCancel.load(), 0);
  dispatch_release(timer);
  for (auto s : {entered, release, cancelRan}) dispatch_release(s);
  dispatch_release(queue);
}

TEST(DispatchSource, ReleasingASuspendedSourceCancelsAndFreesIt) {
  struct Case {
    const char* name;
    bool everResumed;
  } cases[] = {{"never resumed", false}, {"resumed then suspended", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    static dispatch_semaphore_t finalized;
    finalized = dispatch_semaphore_create(0);
    dispatch_semaphore_t cancelRan = dispatch_semaphore_create(0);
    dispatch_source_t timer = makeTimer(nullptr, NSEC_PER_MSEC);
    dispatch_set_finalizer_f(timer, [](void*) { dispatch_semaphore_signal(finalized); });
    dispatch_source_set_event_handler(timer, [] {});
    dispatch_source_set_cancel_handler(timer, [cancelRan] { dispatch_semaphore_signal(cancelRan); });
    if (c.everResumed) {
      dispatch_resume(timer);
      dispatch_suspend(timer);
    }
    dispatch_release(timer);
    EXPECT_TRUE(waitFor(cancelRan));
    EXPECT_TRUE(waitFor(finalized));
    dispatch_release(cancelRan);
    dispatch_release(finalized);
  }
}

TEST(DispatchSource, ResumedSourceLivesWithoutItsCreatorsReference) {
  dispatch_semaphore_t fired = dispatch_semaphore_create(0), finalized = dispatch_semaphore_create(0);
  dispatch_source_t timer = makeTimer(nullptr, NSEC_PER_MSEC);
  dispatch_set_context(timer, finalized);
  dispatch_set_finalizer_f(timer,
                           [](void* s) { dispatch_semaphore_signal(static_cast<dispatch_semaphore_t>(s)); });
  std::atomic<int> calls{0};
  dispatch_source_set_event_handler(timer, [&, timer] {
    if (++calls == 3) {
      dispatch_source_cancel(timer);
      dispatch_semaphore_signal(fired);
    }
  });
  dispatch_resume(timer);
  dispatch_release(timer);
  ASSERT_TRUE(waitFor(fired));
  EXPECT_TRUE(waitFor(finalized));  // the cancel let go of the source's own reference
  dispatch_release(fired);
  dispatch_release(finalized);
}

TEST(DispatchSource, OverResumeIsReportedNotFatal) {
  dispatch_source_t timer = makeTimer(nullptr, NSEC_PER_SEC);
  dispatch_resume(timer);
  testing::internal::CaptureStderr();
  dispatch_resume(timer);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("not suspended"), std::string::npos);
  dispatch_source_cancel(timer);
  dispatch_release(timer);
}

TEST(DispatchSource, ReadSourceReportsReadableBytesOfAPipe) {
  int ends[2];
  ASSERT_EQ(pipe2(ends, O_NONBLOCK | O_CLOEXEC), 0);
  dispatch_queue_t queue = dispatch_queue_create("reader", DISPATCH_QUEUE_SERIAL);
  dispatch_source_t reader = dispatch_source_create(DISPATCH_SOURCE_TYPE_READ, uintptr_t(ends[0]), 0, queue);
  ASSERT_NE(reader, nullptr);
  EXPECT_EQ(dispatch_source_get_handle(reader), uintptr_t(ends[0]));
  std::string received;
  bool sawEnd = false;
  dispatch_semaphore_t done = dispatch_semaphore_create(0), cancelled = dispatch_semaphore_create(0);
  dispatch_source_set_event_handler(reader, [&] {
    char buffer[4];  // smaller than one write: the source must fire again while data is left
    unsigned long available = dispatch_source_get_data(reader);
    ssize_t got = read(ends[0], buffer, sizeof buffer);
    if (got > 0) {
      EXPECT_GE(available, size_t(got));
      received.append(buffer, size_t(got));
    } else if (got == 0 && !sawEnd) {
      sawEnd = true;
      dispatch_source_cancel(reader);
      dispatch_semaphore_signal(done);
    }
  });
  dispatch_source_set_cancel_handler(reader, [&] { dispatch_semaphore_signal(cancelled); });
  dispatch_resume(reader);

  std::thread writer([&] {
    for (const char* piece : {"hello ", "from ", "the other end"}) {
      EXPECT_GT(write(ends[1], piece, strlen(piece)), 0);
      std::this_thread::yield();
    }
    close(ends[1]);
  });
  ASSERT_TRUE(waitFor(done));
  writer.join();
  ASSERT_TRUE(waitFor(cancelled));
  EXPECT_EQ(received, "hello from the other end");
  close(ends[0]);
  dispatch_release(reader);
  dispatch_release(queue);
  dispatch_release(done);
  dispatch_release(cancelled);
}

TEST(DispatchSource, BadSourcesAreRefused) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(dispatch_source_create(DISPATCH_SOURCE_TYPE_READ, uintptr_t(-1), 0, nullptr), nullptr);
  int closed = dup(0);
  close(closed);
  EXPECT_EQ(dispatch_source_create(DISPATCH_SOURCE_TYPE_READ, uintptr_t(closed), 0, nullptr), nullptr);
  EXPECT_EQ(dispatch_source_create(nullptr, 0, 0, nullptr), nullptr);
  EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
}

TEST(DispatchSource, AddedDataIsMergedIntoOneCall) {
  dispatch_queue_t queue = dispatch_queue_create("data", DISPATCH_QUEUE_SERIAL);
  dispatch_source_t source = dispatch_source_create(DISPATCH_SOURCE_TYPE_DATA_ADD, 0, 0, queue);
  std::atomic<unsigned long> total{0};
  dispatch_source_set_event_handler(source, [&] { total += dispatch_source_get_data(source); });
  dispatch_suspend(queue);  // nothing runs until every merge is in
  dispatch_resume(source);
  for (int i = 1; i <= 100; ++i) dispatch_source_merge_data(source, i);
  dispatch_resume(queue);
  dispatch_sync(queue, [] {});
  EXPECT_EQ(total.load(), 5050u);
  cancelAndWait(source);
  dispatch_release(source);
  dispatch_release(queue);
}

TEST(DispatchSource, TimerOnTheMainQueueRunsOnTheMainThread) {
  dispatch_source_t timer = makeTimer(dispatch_get_main_queue(), 2 * NSEC_PER_MSEC);
  std::atomic<int> calls{0};
  bool onMain = true;
  dispatch_source_set_event_handler(timer, [&] {
    onMain = onMain && dispatch_get_current_queue() == dispatch_get_main_queue();
    ++calls;
  });
  dispatch_resume(timer);
  ASSERT_TRUE(drainMainQueueUntil([&] { return calls >= 3; }));
  bool cancelled = false;
  dispatch_source_set_cancel_handler(timer, [&] { cancelled = true; });
  dispatch_source_cancel(timer);
  ASSERT_TRUE(drainMainQueueUntil([&] { return cancelled; }));
  dispatch_release(timer);
  EXPECT_TRUE(onMain);
}
