#include "NSLock.h"

#include <cmath>
#include <cstdio>

#include "NSDate.h"

OBJC_CLASS_DEFINE(NSLock)
OBJC_CLASS_DEFINE(NSRecursiveLock)

bool NSLock::acquire(const std::chrono::steady_clock::time_point* deadline) {
  const std::thread::id self = std::this_thread::get_id();
  std::unique_lock<std::mutex> lock(mMutex);
  if (mDepth > 0 && mOwner == self && mRecursive) {
    ++mDepth;
    return true;
  }
  auto isFree = [&] { return mDepth == 0; };
  if (!deadline)
    mFreed.wait(lock, isFree);
  else if (!mFreed.wait_until(lock, *deadline, isFree))
    return false;
  mOwner = self;
  mDepth = 1;
  return true;
}

void NSLock::lock() { acquire(nullptr); }

bool NSLock::tryLock() {
  const auto now = std::chrono::steady_clock::now();
  return acquire(&now);
}

bool NSLock::lockBeforeDate(NSDate* limit) {
  const double seconds = limit ? limit->timeIntervalSinceNow() : 0.0;
  if (std::isnan(seconds) || seconds <= 0) return tryLock();
  // A date as far away as the distant future waits for good.
  if (seconds > 1e9) return acquire(nullptr);
  const auto deadline =
      std::chrono::steady_clock::now() +
      std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
  return acquire(&deadline);
}

void NSLock::unlock() {
  {
    std::lock_guard<std::mutex> lock(mMutex);
    if (mDepth == 0 || mOwner != std::this_thread::get_id()) {
      std::fprintf(stderr, "*** -[%s unlock]: lock %p unlocked from a thread that does not hold it\n",
                   className(), static_cast<void*>(this));
      return;
    }
    if (--mDepth > 0) return;
    mOwner = std::thread::id();
  }
  mFreed.notify_one();
}
