#pragma once
// The drawable lock of the display-link views: a recursive lock that the display-link thread
// only ever tries, so that it never blocks on a view the main thread holds, and that the main
// thread takes blocking or with a wait. A view without a lock or a context takes nothing.
#include <Foundation/NSLock.h>
#include <objc/RefPtr.h>

#include "LockedProperty.h"

class NSOGLDrawableLock {
 public:
  NSOGLDrawableLock() = default;
  NSOGLDrawableLock(const NSOGLDrawableLock&) = delete;
  NSOGLDrawableLock& operator=(const NSOGLDrawableLock&) = delete;

  void create();
  void drop() { mLock.set(nullptr); }
  RefPtr<NSRecursiveLock> lock() const { return mLock.get(); }

  bool tryLock(bool hasContext) const;
  // Waits at most the milliseconds given.
  bool tryLockWithWaitTimeInMilliseconds(bool hasContext, double milliseconds) const;
  bool lockBlocking(bool hasContext) const;
  void unlock() const;

 private:
  LockedProperty<NSRecursiveLock> mLock;
};
