#pragma once
// Operations and operation queues over dispatch queues: the main operation queue runs its
// operations on the main dispatch queue (so on the main thread, while it runs its run loop); a
// queue made with alloc()->init() runs them on a concurrent queue of its own, at most
// maxConcurrentOperationCount at a time (no limit by default), starting them in the order they
// were added. A suspended queue starts nothing new; a cancelled operation that has not started
// never runs its work and leaves the queue as soon as the queue next looks at it.
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>
#include <dispatch/dispatch.h>

#pragma GCC visibility push(default)

// One piece of work. Subclasses override main(); start() runs it unless the operation was
// cancelled first. Each operation runs at most once.
class NSOperation : public NSObject {
  OBJC_CLASS_DECL(NSOperation, NSObject)

 public:
  void start();
  virtual void main() {}
  void cancel() { mCancelled = true; }
  bool isCancelled() const { return mCancelled; }
  bool isExecuting() const { return mExecuting; }
  bool isFinished() const { return mFinished; }

 protected:
  NSOperation() = default;

 private:
  friend class NSOperationQueue;
  std::atomic<bool> mCancelled{false};
  std::atomic<bool> mExecuting{false};
  std::atomic<bool> mFinished{false};
};

class NSBlockOperation : public NSOperation {
  OBJC_CLASS_DECL(NSBlockOperation, NSOperation)

 public:
  // Autoreleased.
  static NSBlockOperation* blockOperationWithBlock(std::function<void()> block);
  void main() override;

 protected:
  NSBlockOperation() = default;

 private:
  std::function<void()> mBlock;
};

enum : NSInteger { NSOperationQueueDefaultMaxConcurrentOperationCount = -1 };

class NSOperationQueue : public NSObject {
  OBJC_CLASS_DECL(NSOperationQueue, NSObject)

 public:
  static NSOperationQueue* mainQueue();
  // The queue running the current operation; the main queue on the main thread; else null.
  static NSOperationQueue* currentQueue();

  NSOperationQueue* init() override;
  // The queue retains the operation (and itself) until the operation has finished. An
  // operation already given to a queue is reported and not added again.
  void addOperation(NSOperation* operation);
  void addOperationWithBlock(std::function<void()> block);

  NSInteger maxConcurrentOperationCount() const;
  // Values below 1 other than the default (no limit) are reported and ignored.
  void setMaxConcurrentOperationCount(NSInteger count);
  bool isSuspended() const;
  void setSuspended(bool suspended);
  // The operations waiting or running.
  NSUInteger operationCount() const;
  // Cancels every operation of the queue: those waiting never run, a running one is told.
  void cancelAllOperations();
  // Blocks until no operation waits or runs. Called from an operation of this queue it would
  // wait for itself: that is reported and it returns at once.
  void waitUntilAllOperationsAreFinished();

  NSString* name() const;
  void setName(NSString* name);
  dispatch_queue_t underlyingQueue() const { return mQueue; }

 protected:
  NSOperationQueue() = default;
  ~NSOperationQueue() override;

 private:
  // Starts waiting operations while the limit and suspension allow, and takes cancelled ones
  // out; those are appended to finished, for the caller to release once mLock is free.
  void startOperationsLocked(std::vector<NSOperation*>& finished);
  void run(NSOperation* operation);
  // Releases finished operations and the references they held on the queue.
  void releaseFinished(const std::vector<NSOperation*>& finished);

  dispatch_queue_t mQueue = nullptr;
  CFStringRef mName = nullptr;
  mutable std::mutex mLock;
  std::condition_variable mIdle;
  // Each retained, as is the queue once per operation, until the operation has finished.
  std::deque<NSOperation*> mWaiting;
  std::vector<NSOperation*> mRunning;
  NSInteger mMaxConcurrent = NSOperationQueueDefaultMaxConcurrentOperationCount;
  bool mSuspended = false;
};

#pragma GCC visibility pop
