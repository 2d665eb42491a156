#include <Foundation/NSOperation.h>
#include <Foundation/NSThread.h>

#include <algorithm>
#include <cstdio>

OBJC_CLASS_DEFINE_NO_FACTORY(NSOperation)
OBJC_CLASS_DEFINE_NO_FACTORY(NSBlockOperation)
OBJC_CLASS_DEFINE(NSOperationQueue)

void NSOperation::start() {
  if (mFinished || mExecuting.exchange(true)) return;
  // The finished state is reached however the work ends, an exception included.
  struct Finishing {
    NSOperation* operation;
    ~Finishing() {
      operation->mFinished = true;
      operation->mExecuting = false;
    }
  } finishing{this};
  if (!mCancelled) main();
}

NSBlockOperation* NSBlockOperation::blockOperationWithBlock(std::function<void()> block) {
  auto* operation = new NSBlockOperation();
  operation->mBlock = std::move(block);
  return static_cast<NSBlockOperation*>(operation->autorelease());
}

void NSBlockOperation::main() {
  if (mBlock) mBlock();
}

// The queue whose operation this thread is running, if any.
static thread_local NSOperationQueue* tRunningQueue = nullptr;

NSOperationQueue* NSOperationQueue::mainQueue() {
  static NSOperationQueue* const queue = [] {
    auto* made = new NSOperationQueue();
    made->mQueue = dispatch_get_main_queue();
    made->mName = CFSTR("NSOperationQueue Main Queue");
    made->makeImmortal();
    return made;
  }();
  return queue;
}

NSOperationQueue* NSOperationQueue::currentQueue() {
  if (tRunningQueue) return tRunningQueue;
  return NSThread::isMainThread() ? mainQueue() : nullptr;
}

NSOperationQueue* NSOperationQueue::init() {
  char label[64];
  std::snprintf(label, sizeof label, "NSOperationQueue %p", static_cast<void*>(this));
  mQueue = dispatch_queue_create(label, DISPATCH_QUEUE_CONCURRENT);
  mName = CFStringCreateWithCString(nullptr, label, kCFStringEncodingUTF8);
  return this;
}

NSOperationQueue::~NSOperationQueue() {
  if (mQueue && mQueue != dispatch_get_main_queue()) dispatch_release(mQueue);
  if (mName) CFRelease(mName);
}

void NSOperationQueue::addOperation(NSOperation* operation) {
  if (!operation || !mQueue) return;
  if (operation->mExecuting || operation->mFinished) {
    std::fprintf(stderr, "-[NSOperationQueue addOperation:]: the operation has already run or is running\n");
    return;
  }
  std::vector<NSOperation*> finished;
  {
    std::lock_guard<std::mutex> lock(mLock);
    bool queued = std::find(mWaiting.begin(), mWaiting.end(), operation) != mWaiting.end();
    if (queued) {
      std::fprintf(stderr, "-[NSOperationQueue addOperation:]: the operation is already in the queue\n");
      return;
    }
    // A queue stays alive until the operations given to it have finished.
    operation->retain();
    retain();
    mWaiting.push_back(operation);
    startOperationsLocked(finished);
  }
  releaseFinished(finished);
}

void NSOperationQueue::addOperationWithBlock(std::function<void()> block) {
  if (!block) return;
  addOperation(NSBlockOperation::blockOperationWithBlock(std::move(block)));
}

void NSOperationQueue::startOperationsLocked(std::vector<NSOperation*>& finished) {
  for (auto it = mWaiting.begin(); it != mWaiting.end();) {
    NSOperation* operation = *it;
    if (operation->isCancelled()) {
      operation->mFinished = true;
      finished.push_back(operation);
      it = mWaiting.erase(it);
      continue;
    }
    bool limited = mMaxConcurrent > 0 && mRunning.size() >= static_cast<NSUInteger>(mMaxConcurrent);
    if (mSuspended || limited) {
      ++it;
      continue;
    }
    it = mWaiting.erase(it);
    mRunning.push_back(operation);
    dispatch_async(mQueue, [this, operation] { run(operation); });
  }
}

void NSOperationQueue::run(NSOperation* operation) {
  {
    // Restored however the operation ends, an exception included.
    struct Running {
      NSOperationQueue* outer = tRunningQueue;
      explicit Running(NSOperationQueue* running) { tRunningQueue = running; }
      ~Running() { tRunningQueue = outer; }
    } running(this);
    operation->start();
  }
  std::vector<NSOperation*> finished{operation};
  {
    std::lock_guard<std::mutex> lock(mLock);
    mRunning.erase(std::find(mRunning.begin(), mRunning.end(), operation));
    startOperationsLocked(finished);
  }
  releaseFinished(finished);
}

void NSOperationQueue::releaseFinished(const std::vector<NSOperation*>& finished) {
  if (finished.empty()) return;
  // Waiters are woken while the references of the finished operations keep the queue alive.
  mIdle.notify_all();
  for (NSOperation* operation : finished) {
    operation->release();
    release();
  }
}

NSInteger NSOperationQueue::maxConcurrentOperationCount() const {
  std::lock_guard<std::mutex> lock(mLock);
  return mMaxConcurrent;
}

void NSOperationQueue::setMaxConcurrentOperationCount(NSInteger count) {
  if (count < 1 && count != NSOperationQueueDefaultMaxConcurrentOperationCount) {
    std::fprintf(stderr, "-[NSOperationQueue setMaxConcurrentOperationCount:]: %ld is not a count\n", count);
    return;
  }
  std::vector<NSOperation*> finished;
  {
    std::lock_guard<std::mutex> lock(mLock);
    mMaxConcurrent = count;
    startOperationsLocked(finished);
  }
  releaseFinished(finished);
}

bool NSOperationQueue::isSuspended() const {
  std::lock_guard<std::mutex> lock(mLock);
  return mSuspended;
}

void NSOperationQueue::setSuspended(bool suspended) {
  std::vector<NSOperation*> finished;
  {
    std::lock_guard<std::mutex> lock(mLock);
    mSuspended = suspended;
    startOperationsLocked(finished);
  }
  releaseFinished(finished);
}

NSUInteger NSOperationQueue::operationCount() const {
  std::lock_guard<std::mutex> lock(mLock);
  return mWaiting.size() + mRunning.size();
}

void NSOperationQueue::cancelAllOperations() {
  std::vector<NSOperation*> finished;
  {
    std::lock_guard<std::mutex> lock(mLock);
    for (NSOperation* operation : mWaiting) operation->cancel();
    for (NSOperation* operation : mRunning) operation->cancel();
    startOperationsLocked(finished);
  }
  releaseFinished(finished);
}

void NSOperationQueue::waitUntilAllOperationsAreFinished() {
  if (tRunningQueue == this) {
    std::fprintf(
        stderr,
        "-[NSOperationQueue waitUntilAllOperationsAreFinished]: called from an operation of the queue, "
        "which would wait for itself\n");
    return;
  }
  std::unique_lock<std::mutex> lock(mLock);
  mIdle.wait(lock, [this] { return mWaiting.empty() && mRunning.empty(); });
}

NSString* NSOperationQueue::name() const { return toNSString(mName); }

void NSOperationQueue::setName(NSString* name) {
  CFStringRef copy = name ? CFStringCreateCopy(nullptr, name->cfString()) : nullptr;
  if (mName) CFRelease(mName);
  mName = copy;
}
