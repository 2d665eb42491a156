#include <Foundation/NSDate.h>
#include <Foundation/NSLock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "CaptureOutput.h"
#include "PollUntil.h"

namespace {

// Runs on another thread: whether it could take the lock at once, or before a near date.
bool takenElsewhere(NSLock* lock, bool withDate) {
  bool taken = false;
  std::thread([&] {
    taken = withDate ? lock->lockBeforeDate(NSDate::dateWithTimeIntervalSinceNow(0.01)) : lock->tryLock();
    if (taken) lock->unlock();
  }).join();
  return taken;
}

TEST(NSLock, KeepsOtherThreadsOutWhileHeld) {
  for (bool recursive : {false, true}) {
    RefPtr<NSLock> lock =
        adopt(static_cast<NSLock*>(recursive ? NSRecursiveLock::alloc()->init() : NSLock::alloc()->init()));
    lock->lock();
    EXPECT_FALSE(takenElsewhere(lock.get(), false));
    EXPECT_FALSE(takenElsewhere(lock.get(), true));
    lock->unlock();
    EXPECT_TRUE(takenElsewhere(lock.get(), false));
    EXPECT_TRUE(takenElsewhere(lock.get(), true));
  }
}

TEST(NSLock, RecursiveLockNestsOnItsThread) {
  RefPtr<NSRecursiveLock> lock = adopt(static_cast<NSRecursiveLock*>(NSRecursiveLock::alloc()->init()));
  lock->lock();
  EXPECT_TRUE(lock->tryLock());
  lock->unlock();
  EXPECT_FALSE(takenElsewhere(lock.get(), false)) << "still held once";
  lock->unlock();
  EXPECT_TRUE(takenElsewhere(lock.get(), false));
}

TEST(NSLock, PlainLockDoesNotNest) {
  RefPtr<NSLock> lock = adopt(static_cast<NSLock*>(NSLock::alloc()->init()));
  lock->lock();
  EXPECT_FALSE(lock->tryLock());
  EXPECT_FALSE(lock->lockBeforeDate(NSDate::dateWithTimeIntervalSinceNow(-1)));
  lock->unlock();
}

TEST(NSLock, WaiterTakesTheLockOnceFreed) {
  RefPtr<NSLock> lock = adopt(static_cast<NSLock*>(NSLock::alloc()->init()));
  lock->lock();
  std::atomic<bool> taken{false};
  std::thread waiter([&] {
    taken = lock->lockBeforeDate(NSDate::dateWithTimeIntervalSinceNow(30));
    lock->unlock();
  });
  EXPECT_FALSE(taken);
  lock->unlock();
  EXPECT_TRUE(moxicam::test::pollUntil([&] { return taken.load(); }));
  waiter.join();
}

TEST(NSLock, UnlockWithoutHoldingIsReported) {
  RefPtr<NSLock> lock = adopt(static_cast<NSLock*>(NSLock::alloc()->init()));
  const std::string report = moxicam::test::captureStandardError([&] { lock->unlock(); });
  EXPECT_NE(report.find("unlocked from a thread that does not hold it"), std::string::npos);
  EXPECT_TRUE(lock->tryLock());
  lock->unlock();
}

}  // namespace
