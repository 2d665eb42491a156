#pragma once
// Locks as objects: NSLock may be taken once at a time, NSRecursiveLock again by the thread
// that holds it (it must then be unlocked as often). Unlocking a lock this thread does not
// hold is reported on stderr and ignored.
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#pragma GCC visibility push(default)

class NSDate;

class NSLock : public NSObject {
  OBJC_CLASS_DECL(NSLock, NSObject)

 public:
  void lock();
  void unlock();
  // Takes the lock when it is free now; answers whether it did.
  bool tryLock();
  // Waits for the lock until the date; answers whether it was taken.
  bool lockBeforeDate(NSDate* limit);
  NSString* name() const { return mName.get(); }
  void setName(NSString* name) { mName = RefPtr<NSString>(name); }

 protected:
  NSLock() = default;
  explicit NSLock(bool recursive) : mRecursive(recursive) {}

 private:
  bool acquire(const std::chrono::steady_clock::time_point* deadline);

  const bool mRecursive = false;
  std::mutex mMutex;
  std::condition_variable mFreed;
  std::thread::id mOwner;
  unsigned mDepth = 0;
  RefPtr<NSString> mName;
};

class NSRecursiveLock : public NSLock {
  OBJC_CLASS_DECL(NSRecursiveLock, NSLock)

 protected:
  NSRecursiveLock() : NSLock(true) {}
};

#pragma GCC visibility pop
