#include <Foundation/NSOperation.h>

#include <cstdio>

#include <Foundation/NSThread.h>

OBJC_CLASS_DEFINE(NSOperationQueue)

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

void NSOperationQueue::addOperationWithBlock(std::function<void()> block) {
  if (!block || !mQueue) return;
  // A queue stays alive until the operations given to it have run.
  retain();
  dispatch_async(mQueue, [this, block = std::move(block)] {
    // Restored however the operation ends, an exception included.
    struct Running {
      NSOperationQueue* queue;
      NSOperationQueue* outer = tRunningQueue;
      explicit Running(NSOperationQueue* running) : queue(running) { tRunningQueue = running; }
      ~Running() {
        tRunningQueue = outer;
        queue->release();
      }
    } running(this);
    block();
  });
}

NSString* NSOperationQueue::name() const { return toNSString(mName); }

void NSOperationQueue::setName(NSString* name) {
  CFStringRef copy = name ? CFStringCreateCopy(nullptr, name->cfString()) : nullptr;
  if (mName) CFRelease(mName);
  mName = copy;
}
