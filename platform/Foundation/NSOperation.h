#pragma once
// Operation queues over dispatch queues: the main operation queue runs its operations on the
// main dispatch queue (so on the main thread, while it runs its run loop); a queue made with
// alloc()->init() runs them side by side on a concurrent queue of its own.
#include <functional>

#include <dispatch/dispatch.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

class NSOperationQueue : public NSObject {
  OBJC_CLASS_DECL(NSOperationQueue, NSObject)

 public:
  static NSOperationQueue* mainQueue();
  // The queue running the current operation; the main queue on the main thread; else null.
  static NSOperationQueue* currentQueue();

  NSOperationQueue* init() override;
  void addOperationWithBlock(std::function<void()> block);
  NSString* name() const;
  void setName(NSString* name);
  dispatch_queue_t underlyingQueue() const { return mQueue; }

 protected:
  NSOperationQueue() = default;
  ~NSOperationQueue() override;

 private:
  dispatch_queue_t mQueue = nullptr;
  CFStringRef mName = nullptr;
};
