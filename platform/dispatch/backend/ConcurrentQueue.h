#pragma once
// A concurrent queue: blocks start in order and run side by side on the target; a barrier
// block waits for the blocks before it and holds back the blocks after it.
#include <deque>

#include "backend/DispatchQueue.h"

class ConcurrentQueue final : public dispatch_queue_s {
 public:
  explicit ConcurrentQueue(const char* label);

  void push(dispatch_internal::Work work, bool barrier) override;
  dispatch_queue_s* copyTarget() override;
  void setTargetQueue(dispatch_queue_s* target) override;
  void suspend() override;
  void resume() override;

 protected:
  void dispose() override;

 private:
  ~ConcurrentQueue() override;
  struct Item {
    dispatch_internal::Work work;
    bool barrier;
  };
  // Starts what may start now; called without mLock.
  void startReadyItems();
  void finished(bool barrier);

  std::mutex mLock;
  std::deque<Item> mItems;
  dispatch_queue_s* mTarget;
  size_t mRunning = 0;
  bool mBarrierRunning = false;
  int mSuspendCount = 0;
};
