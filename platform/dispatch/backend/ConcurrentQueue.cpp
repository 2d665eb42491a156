#include "backend/ConcurrentQueue.h"

#include <vector>

#include "backend/SerialQueue.h"

using namespace dispatch_internal;

ConcurrentQueue::ConcurrentQueue(const char* label)
    : dispatch_queue_s(label), mTarget(defaultTargetQueue()) {}

ConcurrentQueue::~ConcurrentQueue() { mTarget->release(); }

void ConcurrentQueue::dispose() {
  if (!mItems.empty()) {
    dispatchReportMisuse("dispatch_release",
                         "a suspended concurrent queue was released with blocks still queued");
  }
  finalizeAndDelete();
}

dispatch_queue_s* ConcurrentQueue::copyTarget() {
  std::lock_guard<std::mutex> guard(mLock);
  mTarget->retain();
  return mTarget;
}

void ConcurrentQueue::setTargetQueue(dispatch_queue_s* target) {
  replaceTarget(mLock, mTarget, this, target);
}

void ConcurrentQueue::push(Work work, bool barrier) {
  {
    std::lock_guard<std::mutex> guard(mLock);
    mItems.push_back(Item{std::move(work), barrier});
  }
  startReadyItems();
}

void ConcurrentQueue::startReadyItems() {
  std::vector<Item> ready;
  dispatch_queue_s* target;
  {
    std::lock_guard<std::mutex> guard(mLock);
    while (!mItems.empty() && mSuspendCount == 0 && !mBarrierRunning) {
      if (mItems.front().barrier) {
        if (mRunning > 0) break;
        mBarrierRunning = true;
      }
      ++mRunning;
      ready.push_back(std::move(mItems.front()));
      mItems.pop_front();
      if (mBarrierRunning) break;
    }
    if (ready.empty()) return;
    target = mTarget;
    target->retain();
  }
  for (Item& item : ready) {
    retain();
    target->push([this, item = std::move(item)] {
      nameWorkerThread(label());
      runWork(this, item.work);
      finished(item.barrier);
      release();
    });
  }
  target->release();
}

void ConcurrentQueue::finished(bool barrier) {
  {
    std::lock_guard<std::mutex> guard(mLock);
    --mRunning;
    if (barrier) mBarrierRunning = false;
  }
  startReadyItems();
}

void ConcurrentQueue::suspend() {
  std::lock_guard<std::mutex> guard(mLock);
  ++mSuspendCount;
}

void ConcurrentQueue::resume() {
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (mSuspendCount == 0) {
      dispatchReportMisuse("dispatch_resume", "resume of a queue that is not suspended");
      return;
    }
    --mSuspendCount;
  }
  startReadyItems();
}
