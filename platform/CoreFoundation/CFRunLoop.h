#pragma once
// Run loops: one per thread, waiting in one mode at a time for its sources (signalled
// version-0 sources, file descriptors), its timers and performed blocks, and calling their
// callbacks on the loop's thread. The main thread's run loop also runs the main dispatch
// queue in its common modes. Other threads may add and remove items, signal sources, stop
// and wake a loop.
#include <CoreFoundation/CFBase.h>
#include <CoreFoundation/CFDate.h>

#include <functional>

typedef struct __CFRunLoop* CFRunLoopRef;
typedef struct __CFRunLoopSource* CFRunLoopSourceRef;
typedef struct __CFRunLoopTimer* CFRunLoopTimerRef;
typedef struct __CFRunLoopObserver* CFRunLoopObserverRef;
typedef CFStringRef CFRunLoopMode;

// Items added in the common modes belong to every mode marked common (the default mode and
// those added with CFRunLoopAddCommonMode).
CF_EXPORT const CFRunLoopMode kCFRunLoopDefaultMode;
CF_EXPORT const CFRunLoopMode kCFRunLoopCommonModes;

typedef SInt32 CFRunLoopRunResult;
enum : CFRunLoopRunResult {
  kCFRunLoopRunFinished = 1,  // the mode has nothing to wait for
  kCFRunLoopRunStopped = 2,
  kCFRunLoopRunTimedOut = 3,
  kCFRunLoopRunHandledSource = 4,
};

typedef CFOptionFlags CFRunLoopActivity;
enum : CFRunLoopActivity {
  kCFRunLoopEntry = 1UL << 0,
  kCFRunLoopBeforeTimers = 1UL << 1,
  kCFRunLoopBeforeSources = 1UL << 2,
  kCFRunLoopBeforeWaiting = 1UL << 5,
  kCFRunLoopAfterWaiting = 1UL << 6,
  kCFRunLoopExit = 1UL << 7,
  kCFRunLoopAllActivities = 0x0FFFFFFFU,
};

CF_EXPORT CFTypeID CFRunLoopGetTypeID(void);
CF_EXPORT CFRunLoopRef CFRunLoopGetCurrent(void);
CF_EXPORT CFRunLoopRef CFRunLoopGetMain(void);

// Runs the current thread's loop in the default mode until it is stopped or has nothing left.
CF_EXPORT void CFRunLoopRun(void);
// Runs the current thread's loop in `mode` for at most `seconds` (0: handle what is ready and
// return); with `returnAfterSourceHandled`, returns once a source or the main queue was handled.
CF_EXPORT CFRunLoopRunResult CFRunLoopRunInMode(CFRunLoopMode mode, CFTimeInterval seconds,
                                                Boolean returnAfterSourceHandled);
// Ends the innermost running of the loop.
CF_EXPORT void CFRunLoopStop(CFRunLoopRef rl);
CF_EXPORT void CFRunLoopWakeUp(CFRunLoopRef rl);
// True while the loop sleeps waiting for something to happen.
CF_EXPORT Boolean CFRunLoopIsWaiting(CFRunLoopRef rl);
// The mode the loop is running in (+1), or null when it is not running.
CF_EXPORT CFRunLoopMode CFRunLoopCopyCurrentMode(CFRunLoopRef rl);
CF_EXPORT void CFRunLoopAddCommonMode(CFRunLoopRef rl, CFRunLoopMode mode);

// Queues a block to run on the loop's thread the next time it runs in `mode`.
CF_EXPORT void CFRunLoopPerformBlock(CFRunLoopRef rl, CFTypeRef mode, std::function<void()> block);

// Version-0 sources: signalled by hand, performed by the loop.
struct CFRunLoopSourceContext {
  CFIndex version;
  void* info;
  const void* (*retain)(const void* info);
  void (*release)(const void* info);
  CFStringRef (*copyDescription)(const void* info);
  Boolean (*equal)(const void* info1, const void* info2);
  CFHashCode (*hash)(const void* info);
  void (*schedule)(void* info, CFRunLoopRef rl, CFRunLoopMode mode);
  void (*cancel)(void* info, CFRunLoopRef rl, CFRunLoopMode mode);
  void (*perform)(void* info);
};

CF_EXPORT CFTypeID CFRunLoopSourceGetTypeID(void);
// Only version 0 contexts are accepted; null otherwise.
CF_EXPORT CFRunLoopSourceRef CFRunLoopSourceCreate(CFAllocatorRef allocator, CFIndex order,
                                                   CFRunLoopSourceContext* context);
CF_EXPORT void CFRunLoopSourceSignal(CFRunLoopSourceRef source);
CF_EXPORT void CFRunLoopSourceInvalidate(CFRunLoopSourceRef source);
CF_EXPORT Boolean CFRunLoopSourceIsValid(CFRunLoopSourceRef source);
CF_EXPORT void CFRunLoopAddSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode);
CF_EXPORT void CFRunLoopRemoveSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode);
CF_EXPORT Boolean CFRunLoopContainsSource(CFRunLoopRef rl, CFRunLoopSourceRef source, CFRunLoopMode mode);

// Timers fire at an absolute time and then every `interval` seconds (0 or less: once).
struct CFRunLoopTimerContext {
  CFIndex version;
  void* info;
  const void* (*retain)(const void* info);
  void (*release)(const void* info);
  CFStringRef (*copyDescription)(const void* info);
};
typedef void (*CFRunLoopTimerCallBack)(CFRunLoopTimerRef timer, void* info);

CF_EXPORT CFTypeID CFRunLoopTimerGetTypeID(void);
CF_EXPORT CFRunLoopTimerRef CFRunLoopTimerCreate(CFAllocatorRef allocator, CFAbsoluteTime fireDate,
                                                 CFTimeInterval interval, CFOptionFlags flags, CFIndex order,
                                                 CFRunLoopTimerCallBack callout,
                                                 CFRunLoopTimerContext* context);
CF_EXPORT CFRunLoopTimerRef CFRunLoopTimerCreateWithHandler(
    CFAllocatorRef allocator, CFAbsoluteTime fireDate, CFTimeInterval interval, CFOptionFlags flags,
    CFIndex order, std::function<void(CFRunLoopTimerRef timer)> block);
CF_EXPORT void CFRunLoopTimerInvalidate(CFRunLoopTimerRef timer);
CF_EXPORT Boolean CFRunLoopTimerIsValid(CFRunLoopTimerRef timer);
CF_EXPORT CFAbsoluteTime CFRunLoopTimerGetNextFireDate(CFRunLoopTimerRef timer);
CF_EXPORT void CFRunLoopTimerSetNextFireDate(CFRunLoopTimerRef timer, CFAbsoluteTime fireDate);
CF_EXPORT CFTimeInterval CFRunLoopTimerGetInterval(CFRunLoopTimerRef timer);
// A timer belongs to one run loop at a time.
CF_EXPORT void CFRunLoopAddTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFRunLoopMode mode);
CF_EXPORT void CFRunLoopRemoveTimer(CFRunLoopRef rl, CFRunLoopTimerRef timer, CFRunLoopMode mode);

// Observers are told of the loop's activities in the modes they are added to.
struct CFRunLoopObserverContext {
  CFIndex version;
  void* info;
  const void* (*retain)(const void* info);
  void (*release)(const void* info);
  CFStringRef (*copyDescription)(const void* info);
};
typedef void (*CFRunLoopObserverCallBack)(CFRunLoopObserverRef observer, CFRunLoopActivity activity,
                                          void* info);

CF_EXPORT CFTypeID CFRunLoopObserverGetTypeID(void);
CF_EXPORT CFRunLoopObserverRef CFRunLoopObserverCreate(CFAllocatorRef allocator, CFOptionFlags activities,
                                                       Boolean repeats, CFIndex order,
                                                       CFRunLoopObserverCallBack callout,
                                                       CFRunLoopObserverContext* context);
CF_EXPORT CFRunLoopObserverRef CFRunLoopObserverCreateWithHandler(
    CFAllocatorRef allocator, CFOptionFlags activities, Boolean repeats, CFIndex order,
    std::function<void(CFRunLoopObserverRef observer, CFRunLoopActivity activity)> block);
CF_EXPORT void CFRunLoopObserverInvalidate(CFRunLoopObserverRef observer);
CF_EXPORT Boolean CFRunLoopObserverIsValid(CFRunLoopObserverRef observer);
CF_EXPORT void CFRunLoopAddObserver(CFRunLoopRef rl, CFRunLoopObserverRef observer, CFRunLoopMode mode);
CF_EXPORT void CFRunLoopRemoveObserver(CFRunLoopRef rl, CFRunLoopObserverRef observer, CFRunLoopMode mode);
