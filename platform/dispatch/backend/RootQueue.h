#pragma once
// A global queue: a pool of worker threads of one priority. A thread is added whenever more
// blocks wait than threads are idle, so a block that waits for another block never starves
// it; idle threads end after a while, except once the process has begun to exit: a thread
// ending then would tear its thread-local storage down under the exit's last checks (the leak
// checker of an instrumented build reads every thread's storage while it stops the world).
#include <condition_variable>
#include <deque>

#include "backend/DispatchQueue.h"

class RootQueue final : public dispatch_queue_s {
 public:
  // The queue for a priority or quality-of-service class; null for an unknown identifier.
  static RootQueue* forIdentifier(long identifier);

  void push(dispatch_internal::Work work, bool barrier) override;
  bool runsSyncInline() const override { return true; }

 private:
  explicit RootQueue(const char* label);
  void startThread();
  void runThread();

  std::mutex mLock;
  std::condition_variable mWorkArrived;
  std::deque<dispatch_internal::Work> mWork;
  size_t mIdleThreads = 0;
  size_t mThreads = 0;
};
