// Groups, semaphores and once: the ways threads wait for each other.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "DispatchTestSupport.h"

using namespace dispatch_test;

TEST(DispatchGroup, WaitAndNotifyFollowEveryBlockOfTheGroup) {
  dispatch_group_t group = dispatch_group_create();
  dispatch_queue_t serial = dispatch_queue_create("group", DISPATCH_QUEUE_SERIAL);
  dispatch_semaphore_t gate = dispatch_semaphore_create(0), notified = dispatch_semaphore_create(0);
  std::atomic<int> ran{0};
  int ranWhenNotified = -1;

  dispatch_group_async(group, serial, [gate] { waitFor(gate); });
  for (int i = 0; i < 50; ++i) dispatch_group_async(group, dispatch_get_global_queue(0, 0), [&] { ++ran; });
  dispatch_group_enter(group);  // work outside any queue counts too
  dispatch_group_notify(group, serial, [&] {
    ranWhenNotified = ran.load();
    dispatch_semaphore_signal(notified);
  });

  EXPECT_NE(dispatch_group_wait(group, dispatch_time(DISPATCH_TIME_NOW, 10 * NSEC_PER_MSEC)), 0);
  EXPECT_NE(dispatch_group_wait(group, DISPATCH_TIME_NOW), 0);
  dispatch_semaphore_signal(gate);
  dispatch_group_leave(group);
  EXPECT_EQ(dispatch_group_wait(group, DISPATCH_TIME_FOREVER), 0);
  ASSERT_TRUE(waitFor(notified));
  EXPECT_EQ(ranWhenNotified, 50);

  // Notify on an empty group runs at once; the group may be released before it fires.
  dispatch_group_t empty = dispatch_group_create();
  dispatch_group_notify_f(empty, serial, notified,
                          [](void* s) { dispatch_semaphore_signal(static_cast<dispatch_semaphore_t>(s)); });
  dispatch_release(empty);
  EXPECT_TRUE(waitFor(notified));

  dispatch_release(group);
  dispatch_release(serial);
  dispatch_release(gate);
  dispatch_release(notified);
}

TEST(DispatchGroup, PendingNotificationKeepsAReleasedGroupAlive) {
  dispatch_group_t group = dispatch_group_create();
  dispatch_semaphore_t notified = dispatch_semaphore_create(0);
  dispatch_group_enter(group);
  dispatch_group_notify(group, dispatch_get_global_queue(0, 0),
                        [notified] { dispatch_semaphore_signal(notified); });
  dispatch_group_t held = group;
  dispatch_retain(held);
  dispatch_release(group);
  dispatch_group_leave(held);
  dispatch_release(held);
  EXPECT_TRUE(waitFor(notified));
  dispatch_release(notified);
}

TEST(DispatchGroup, UnbalancedLeaveIsReportedAndIgnored) {
  dispatch_group_t group = dispatch_group_create();
  testing::internal::CaptureStderr();
  dispatch_group_leave(group);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("without a matching enter"), std::string::npos);
  EXPECT_EQ(dispatch_group_wait(group, DISPATCH_TIME_NOW), 0);
  dispatch_group_enter(group);
  EXPECT_NE(dispatch_group_wait(group, DISPATCH_TIME_NOW), 0);
  dispatch_group_leave(group);
  EXPECT_EQ(dispatch_group_wait(group, DISPATCH_TIME_NOW), 0);
  dispatch_release(group);
}

TEST(DispatchSemaphore, WaitsTimeOutAndSignalsWakeWaiters) {
  EXPECT_EQ(dispatch_semaphore_create(-1), nullptr);
  dispatch_semaphore_t semaphore = dispatch_semaphore_create(2);
  EXPECT_EQ(dispatch_semaphore_wait(semaphore, DISPATCH_TIME_NOW), 0);
  EXPECT_EQ(dispatch_semaphore_wait(semaphore, DISPATCH_TIME_NOW), 0);
  EXPECT_NE(dispatch_semaphore_wait(semaphore, DISPATCH_TIME_NOW), 0);
  EXPECT_NE(dispatch_semaphore_wait(semaphore, dispatch_time(DISPATCH_TIME_NOW, 5 * NSEC_PER_MSEC)), 0);
  EXPECT_NE(dispatch_semaphore_wait(semaphore, dispatch_walltime(nullptr, 5 * NSEC_PER_MSEC)), 0);
  EXPECT_EQ(dispatch_semaphore_signal(semaphore), 0);  // nobody waited
  EXPECT_EQ(dispatch_semaphore_wait(semaphore, DISPATCH_TIME_NOW), 0);

  // Every signal lets exactly one waiter through.
  std::atomic<int> through{0};
  std::vector<std::thread> waiters;
  for (int i = 0; i < 4; ++i) {
    waiters.emplace_back([&] {
      if (dispatch_semaphore_wait(semaphore, DISPATCH_TIME_FOREVER) == 0) ++through;
    });
  }
  for (int i = 0; i < 4; ++i) dispatch_semaphore_signal(semaphore);
  for (auto& waiter : waiters) waiter.join();
  EXPECT_EQ(through.load(), 4);
  EXPECT_NE(dispatch_semaphore_wait(semaphore, DISPATCH_TIME_NOW), 0);
  dispatch_release(semaphore);
}

TEST(DispatchOnce, RunsOnceAndHoldsBackOtherCallersUntilDone) {
  // Predicates of this test's own, so that every run of it starts before the first call.
  dispatch_once_t predicate = 0;
  std::atomic<int> runs{0};
  std::atomic<bool> finished{false};
  std::atomic<int> sawUnfinished{0};
  dispatch_semaphore_t started = dispatch_semaphore_create(0), proceed = dispatch_semaphore_create(0);

  std::thread first([&] {
    dispatch_once(&predicate, [&] {
      ++runs;
      dispatch_semaphore_signal(started);
      waitFor(proceed);
      finished = true;
    });
  });
  ASSERT_TRUE(waitFor(started));
  std::vector<std::thread> others;
  for (int i = 0; i < 8; ++i) {
    others.emplace_back([&] {
      dispatch_once(&predicate, [&] { ++runs; });
      if (!finished) ++sawUnfinished;
    });
  }
  dispatch_semaphore_signal(proceed);
  first.join();
  for (auto& other : others) other.join();
  EXPECT_EQ(runs.load(), 1);
  EXPECT_EQ(sawUnfinished.load(), 0);

  int calls = 0;
  dispatch_once_t predicateF = 0;
  for (int i = 0; i < 3; ++i) dispatch_once_f(&predicateF, &calls, [](void* c) { ++*static_cast<int*>(c); });
  EXPECT_EQ(calls, 1);
  dispatch_release(started);
  dispatch_release(proceed);
}

TEST(DispatchTime, ArithmeticAndLimits) {
  dispatch_time_t now = dispatch_time(DISPATCH_TIME_NOW, 0);
  EXPECT_NE(now, DISPATCH_TIME_NOW);
  EXPECT_EQ(dispatch_time(now, int64_t(NSEC_PER_SEC)), now + NSEC_PER_SEC);
  EXPECT_EQ(dispatch_time(DISPATCH_TIME_FOREVER, -1), DISPATCH_TIME_FOREVER);
  EXPECT_EQ(dispatch_time(now, INT64_MAX), DISPATCH_TIME_FOREVER);
  EXPECT_NE(dispatch_time(1, -5), DISPATCH_TIME_NOW);  // already due, yet not "now"
  timespec epoch{0, 0};
  dispatch_time_t wall = dispatch_walltime(&epoch, int64_t(NSEC_PER_SEC));
  EXPECT_NE(wall, DISPATCH_TIME_FOREVER);
  EXPECT_EQ(dispatch_time(wall, int64_t(NSEC_PER_SEC)), dispatch_walltime(&epoch, 2 * int64_t(NSEC_PER_SEC)));
  // A wall time in the past is due at once.
  dispatch_semaphore_t semaphore = dispatch_semaphore_create(0);
  EXPECT_NE(dispatch_semaphore_wait(semaphore, wall), 0);
  dispatch_release(semaphore);
}
