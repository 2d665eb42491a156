#pragma once
// The objects a run loop serves: sources, timers and observers. They are shared between the
// loop's thread and the threads that add, signal or invalidate them; the loop holds a
// reference to each item while it sits in one of its modes.
#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <CoreFoundation/CFRunLoop.h>
#include <objc/NSObject.h>

struct __CFRunLoopSource : NSObject {
  __CFRunLoopSource(CFIndex order, const CFRunLoopSourceContext& context);
  static CFTypeID typeID();
  unsigned long cfTypeID() const override { return typeID(); }

  const CFIndex order;
  const CFRunLoopSourceContext context;
  std::atomic<bool> signalled{false};
  std::atomic<bool> valid{true};

  // A descriptor source (made for a CFFileDescriptor) is woken by epoll instead of a signal:
  // the loop watches `descriptor` for `events` and calls `descriptorReady` with what came.
  int descriptor = -1;
  std::atomic<uint32_t> events{0};
  void (*descriptorReady)(void* info, uint32_t readyEvents) = nullptr;
  // Changes the watched events in every loop and mode the source is in.
  void setDescriptorEvents(uint32_t events);

  // The loops and modes it is in, so that invalidation can take it out of all of them.
  std::mutex placesLock;
  std::vector<std::pair<CFRunLoopRef, std::string>> places;

 protected:
  ~__CFRunLoopSource() override;
};

struct __CFRunLoopTimer : NSObject {
  __CFRunLoopTimer(CFAbsoluteTime fireDate, CFTimeInterval interval, CFIndex order);
  static CFTypeID typeID();
  unsigned long cfTypeID() const override { return typeID(); }

  CFAbsoluteTime fireDate() const { return mFireDate.load(); }
  void setFireDate(CFAbsoluteTime date) { mFireDate.store(date); }
  // Calls the callout or the handler.
  void fire();

  const CFTimeInterval interval;
  const CFIndex order;
  CFRunLoopTimerCallBack callout = nullptr;
  CFRunLoopTimerContext context{};
  std::function<void(CFRunLoopTimerRef)> handler;
  std::atomic<bool> valid{true};
  // Set while the callout runs, so that a nested run of the loop does not fire it again.
  bool firing = false;
  // The loop it was added to (a timer joins one loop only).
  std::atomic<CFRunLoopRef> runLoop{nullptr};

 protected:
  ~__CFRunLoopTimer() override;

 private:
  std::atomic<CFAbsoluteTime> mFireDate;
};

struct __CFRunLoopObserver : NSObject {
  __CFRunLoopObserver(CFOptionFlags activities, bool repeats, CFIndex order);
  static CFTypeID typeID();
  unsigned long cfTypeID() const override { return typeID(); }

  void observe(CFRunLoopActivity activity);

  const CFOptionFlags activities;
  const bool repeats;
  const CFIndex order;
  CFRunLoopObserverCallBack callout = nullptr;
  CFRunLoopObserverContext context{};
  std::function<void(CFRunLoopObserverRef, CFRunLoopActivity)> handler;
  std::atomic<bool> valid{true};
  std::atomic<CFRunLoopRef> runLoop{nullptr};

 protected:
  ~__CFRunLoopObserver() override;
};
