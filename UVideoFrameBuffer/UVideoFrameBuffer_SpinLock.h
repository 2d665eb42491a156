#pragma once
// A lock held only around reading or swapping one reference, never around pixel work.
#include <atomic>

namespace UVideoFrameBuffer {

class SpinLock {
 public:
  void lock() {
    while (mFlag.test_and_set(std::memory_order_acquire)) mFlag.wait(true, std::memory_order_relaxed);
  }
  void unlock() {
    mFlag.clear(std::memory_order_release);
    mFlag.notify_one();
  }

 private:
  std::atomic_flag mFlag;
};

}  // namespace UVideoFrameBuffer
