#include "USerialJobQueue.h"

#include "CoreMachDebug.h"

int import_USerialJobQueue() { return 1; }

OBJC_CLASS_DEFINE(USerialJobQueue)

USerialJobQueue* USerialJobQueue::serialJobQueue() {
  return static_cast<USerialJobQueue*>(alloc()->init()->autorelease());
}

USerialJobQueue* USerialJobQueue::init() {
  RefPtr<NSOperationQueue> queue = adopt(NSOperationQueue::alloc()->init());
  queue->setMaxConcurrentOperationCount(1);
  // Starts the queue's thread before the first real job needs it.
  queue->addOperationWithBlock([] {});
  std::lock_guard<std::mutex> lock(mLock);
  mAllowNewJobsInQueue = false;
  mJobQueue = queue;
  return this;
}

NSOperationQueue* USerialJobQueue::jobQueue() const {
  std::lock_guard<std::mutex> lock(mLock);
  NSOperationQueue* queue = mJobQueue.get();
  return queue ? static_cast<NSOperationQueue*>(queue->retain()->autorelease()) : nullptr;
}

void USerialJobQueue::setJobQueue(NSOperationQueue* jobQueue) {
  RefPtr<NSOperationQueue> previous;
  std::lock_guard<std::mutex> lock(mLock);
  previous = std::exchange(mJobQueue, RefPtr(jobQueue));
}

bool USerialJobQueue::allowNewJobsInQueue() const {
  std::lock_guard<std::mutex> lock(mLock);
  return mAllowNewJobsInQueue;
}

void USerialJobQueue::setAllowNewJobsInQueue(bool allow) {
  std::lock_guard<std::mutex> lock(mLock);
  mAllowNewJobsInQueue = allow;
}

bool USerialJobQueue::queueJobWithBlock(std::function<void()> block) {
  std::lock_guard<std::mutex> lock(mLock);
  if (!mJobQueue || !mAllowNewJobsInQueue || !block) return false;
  mJobQueue->addOperationWithBlock(std::move(block));
  return true;
}

void USerialJobQueue::waitUntilAllJobsFinished() {
  RefPtr<NSOperationQueue> queue;
  {
    std::lock_guard<std::mutex> lock(mLock);
    if (mJobQueue) mJobQueue->cancelAllOperations();
    mAllowNewJobsInQueue = false;
    queue = mJobQueue;
  }
  // A job of this queue that asks would wait for itself: the queue reports it and returns.
  if (queue) queue->waitUntilAllOperationsAreFinished();
}

void USerialJobQueue::closeJobQueueForever() {
  RefPtr<NSOperationQueue> queue;
  {
    std::lock_guard<std::mutex> lock(mLock);
    mAllowNewJobsInQueue = false;
    queue = std::move(mJobQueue);
  }
  if (!queue) return;
  // Closed from one of its own jobs (the last reference dropped there), the queue cannot wait
  // for itself: the jobs already queued still run, as the operation queue keeps itself alive
  // until they have.
  if (!VERIFY(NSOperationQueue::currentQueue() != queue.get())) return;
  queue->waitUntilAllOperationsAreFinished();
  queue->cancelAllOperations();
}

void USerialJobQueue::dealloc() {
  closeJobQueueForever();
  NSObject::dealloc();
}
