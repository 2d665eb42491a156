#pragma once
// A counting semaphore.
#include <dispatch/dispatch_semaphore.h>

#include <condition_variable>
#include <mutex>

#include "backend/DispatchObject.h"

struct dispatch_semaphore_s final : dispatch_object_s {
  explicit dispatch_semaphore_s(long value) : mValue(value) {}

  bool wait(uint64_t deadline);
  bool signal();

 private:
  std::mutex mLock;
  std::condition_variable mSignalled;
  long mValue;
  long mWaiters = 0;
};
