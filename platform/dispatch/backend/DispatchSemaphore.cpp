#include "backend/DispatchSemaphore.h"

#include "backend/DispatchTime.h"

using namespace dispatch_internal;

bool dispatch_semaphore_s::wait(uint64_t deadline) {
  std::unique_lock<std::mutex> guard(mLock);
  ++mWaiters;
  bool taken = deadline == kNever
                   ? (mSignalled.wait(guard, [this] { return mValue > 0; }), true)
                   : mSignalled.wait_until(guard, steadyDeadline(deadline), [this] { return mValue > 0; });
  --mWaiters;
  if (taken) --mValue;
  return taken;
}

bool dispatch_semaphore_s::signal() {
  std::lock_guard<std::mutex> guard(mLock);
  ++mValue;
  if (mWaiters == 0) return false;
  mSignalled.notify_one();
  return true;
}

dispatch_semaphore_t dispatch_semaphore_create(long value) {
  if (value < 0) return nullptr;
  return new dispatch_semaphore_s(value);
}

long dispatch_semaphore_wait(dispatch_semaphore_t semaphore, dispatch_time_t timeout) {
  if (!semaphore) return 1;
  return semaphore->wait(monotonicDeadline(timeout)) ? 0 : 1;
}

long dispatch_semaphore_signal(dispatch_semaphore_t semaphore) {
  if (!semaphore) return 0;
  return semaphore->signal() ? 1 : 0;
}
