#pragma once
// A recursive pthread mutex whose failures are reported, not thrown: the driver goes on.
#include <pthread.h>

namespace NQCFPlugIn {

class recursive_mutex {
 public:
  recursive_mutex();
  ~recursive_mutex();
  recursive_mutex(const recursive_mutex&) = delete;
  recursive_mutex& operator=(const recursive_mutex&) = delete;

  bool lock();
  bool unlock();
  bool try_lock();

 private:
  pthread_mutex_t __m_;
};

// Holds the mutex for a scope; a failed lock is reported by the mutex and not undone.
class recursive_lock_guard {
 public:
  explicit recursive_lock_guard(recursive_mutex& mutex) : mMutex(mutex), mLocked(mutex.lock()) {}
  ~recursive_lock_guard() {
    if (mLocked) mMutex.unlock();
  }
  recursive_lock_guard(const recursive_lock_guard&) = delete;
  recursive_lock_guard& operator=(const recursive_lock_guard&) = delete;

  bool locked() const { return mLocked; }

 private:
  recursive_mutex& mMutex;
  bool mLocked;
};

}  // namespace NQCFPlugIn
