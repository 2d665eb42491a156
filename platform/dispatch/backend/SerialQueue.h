#pragma once
// A serial queue: its blocks run one at a time, in the order they came, as one drain after
// another on its target queue. Submitting never waits for a running block.
#include <deque>

#include "backend/DispatchQueue.h"

class SerialQueue final : public dispatch_queue_s {
 public:
  explicit SerialQueue(const char* label);

  void push(dispatch_internal::Work work, bool barrier) override;
  dispatch_queue_s* copyTarget() override;
  void setTargetQueue(dispatch_queue_s* target) override;
  void suspend() override;
  void resume() override;

 protected:
  void dispose() override;

 private:
  ~SerialQueue() override;
  // Under mLock: whether a drain should be scheduled now (and records that it is).
  bool claimDrainLocked();
  void scheduleDrain();
  void drain();

  std::mutex mLock;
  std::deque<dispatch_internal::Work> mWork;
  dispatch_queue_s* mTarget;
  bool mDrainScheduled = false;
  int mSuspendCount = 0;
};

namespace dispatch_internal {
// Whether `queue` is `candidate` or one of the queues it runs on.
bool queueRunsOn(dispatch_queue_s* queue, dispatch_queue_s* candidate);
// Replaces a retained target under `lock`, refusing a target that would run on `self`.
void replaceTarget(std::mutex& lock, dispatch_queue_s*& target, dispatch_queue_s* self,
                   dispatch_queue_s* next);
}  // namespace dispatch_internal
