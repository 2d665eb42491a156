#pragma once
// Runs jobs one after another on a thread of an operation queue, in the order queued. The
// queue has a gate, closed at creation: it accepts jobs only while its owner holds it open, so
// the owner can shut it before tearing things down and know that nothing new starts.
//
// The gate and the adding of a job are one step under one lock: a job that queueJobWithBlock
// accepted is really queued, and once the gate is shut (or the queue closed for ever) no job
// slips in behind it.
#include <functional>
#include <mutex>

#include <Foundation/NSObject.h>
#include <Foundation/NSOperation.h>

int import_USerialJobQueue();

class USerialJobQueue : public NSObject {
  OBJC_CLASS_DECL(USerialJobQueue, NSObject)

 public:
  // Autoreleased.
  static USerialJobQueue* serialJobQueue();

  USerialJobQueue* init() override;

  NSOperationQueue* jobQueue() const;
  void setJobQueue(NSOperationQueue* jobQueue);
  bool allowNewJobsInQueue() const;
  void setAllowNewJobsInQueue(bool allow);

  // NO, doing nothing, while the gate is shut or after the queue was closed for ever.
  bool queueJobWithBlock(std::function<void()> block);
  // Drops the jobs that have not started, shuts the gate and waits for the running job.
  void waitUntilAllJobsFinished();
  // Shuts the gate, waits until every queued job has run and lets the operation queue go:
  // from then on no job is accepted, whatever the gate says.
  void closeJobQueueForever();

 protected:
  USerialJobQueue() = default;
  void dealloc() override;

 private:
  mutable std::mutex mLock;
  RefPtr<NSOperationQueue> mJobQueue;
  bool mAllowNewJobsInQueue = false;
};
