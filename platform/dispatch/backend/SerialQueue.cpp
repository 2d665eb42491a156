#include "backend/SerialQueue.h"

namespace {
// Blocks run per drain before the drain yields its target to other queues sharing it.
constexpr int kBlocksPerDrain = 64;
}  // namespace

namespace dispatch_internal {

bool queueRunsOn(dispatch_queue_s* queue, dispatch_queue_s* candidate) {
  if (!queue) return false;
  queue->retain();
  while (queue) {
    if (queue == candidate) {
      queue->release();
      return true;
    }
    dispatch_queue_s* next = queue->copyTarget();
    queue->release();
    queue = next;
  }
  return false;
}

void replaceTarget(std::mutex& lock, dispatch_queue_s*& target, dispatch_queue_s* self,
                   dispatch_queue_s* next) {
  if (!next) next = defaultTargetQueue();
  if (queueRunsOn(next, self)) {
    dispatchReportMisuse("dispatch_set_target_queue", "a queue cannot run on itself; target unchanged");
    return;
  }
  next->retain();
  dispatch_queue_s* previous;
  {
    std::lock_guard<std::mutex> guard(lock);
    previous = target;
    target = next;
  }
  previous->release();
}

}  // namespace dispatch_internal

using namespace dispatch_internal;

SerialQueue::SerialQueue(const char* label) : dispatch_queue_s(label), mTarget(defaultTargetQueue()) {}

SerialQueue::~SerialQueue() { mTarget->release(); }

void SerialQueue::dispose() {
  // Only a suspended queue can still hold blocks here: running drains keep a reference.
  if (!mWork.empty()) {
    dispatchReportMisuse("dispatch_release",
                         "a suspended serial queue was released with blocks still queued");
  }
  finalizeAndDelete();
}

dispatch_queue_s* SerialQueue::copyTarget() {
  std::lock_guard<std::mutex> guard(mLock);
  mTarget->retain();
  return mTarget;
}

void SerialQueue::setTargetQueue(dispatch_queue_s* target) { replaceTarget(mLock, mTarget, this, target); }

bool SerialQueue::claimDrainLocked() {
  if (mDrainScheduled || mSuspendCount > 0 || mWork.empty()) return false;
  mDrainScheduled = true;
  return true;
}

void SerialQueue::push(Work work, bool) {
  bool schedule;
  {
    std::lock_guard<std::mutex> guard(mLock);
    mWork.push_back(std::move(work));
    schedule = claimDrainLocked();
  }
  if (schedule) scheduleDrain();
}

void SerialQueue::scheduleDrain() {
  retain();
  dispatch_queue_s* target = copyTarget();
  target->push([this] {
    drain();
    release();
  });
  target->release();
}

void SerialQueue::drain() {
  nameWorkerThread(label());
  for (int ran = 0;; ++ran) {
    Work work;
    {
      std::lock_guard<std::mutex> guard(mLock);
      if (ran == kBlocksPerDrain && mSuspendCount == 0 && !mWork.empty()) break;
      if (mWork.empty() || mSuspendCount > 0) {
        mDrainScheduled = false;
        return;
      }
      work = std::move(mWork.front());
      mWork.pop_front();
    }
    runWork(this, work);
  }
  // More blocks are waiting: queue another drain behind the other users of the target.
  scheduleDrain();
}

void SerialQueue::suspend() {
  std::lock_guard<std::mutex> guard(mLock);
  ++mSuspendCount;
}

void SerialQueue::resume() {
  bool schedule;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (mSuspendCount == 0) {
      dispatchReportMisuse("dispatch_resume", "resume of a queue that is not suspended");
      return;
    }
    --mSuspendCount;
    schedule = claimDrainLocked();
  }
  if (schedule) scheduleDrain();
}
