#include "NSOGLDrawableLock.h"

#include <Foundation/NSDate.h>

void NSOGLDrawableLock::create() {
  mLock.set(adopt(static_cast<NSRecursiveLock*>(NSRecursiveLock::alloc()->init())));
}

bool NSOGLDrawableLock::tryLock(bool hasContext) const {
  RefPtr<NSRecursiveLock> held = lock();
  return held && hasContext && held->tryLock();
}

bool NSOGLDrawableLock::tryLockWithWaitTimeInMilliseconds(bool hasContext, double milliseconds) const {
  RefPtr<NSRecursiveLock> held = lock();
  if (!held || !hasContext) return false;
  // The wait is given in milliseconds: taken as seconds, the main thread's 33 ms reshape
  // could freeze it for half a minute.
  return held->lockBeforeDate(NSDate::dateWithTimeIntervalSinceNow(milliseconds / 1000.0));
}

bool NSOGLDrawableLock::lockBlocking(bool hasContext) const {
  RefPtr<NSRecursiveLock> held = lock();
  if (!held || !hasContext) return false;
  held->lock();
  return true;
}

// Whatever became of the context meanwhile: a lock taken is given back.
void NSOGLDrawableLock::unlock() const {
  if (RefPtr<NSRecursiveLock> held = lock()) held->unlock();
}
