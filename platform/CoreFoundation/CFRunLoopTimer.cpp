#include "backend/CFRunLoopObject.h"

CFTypeID __CFRunLoopTimer::typeID() {
  static const CFTypeID id = _CFRuntimeRegisterClass("CFRunLoopTimer");
  return id;
}

__CFRunLoopTimer::__CFRunLoopTimer(CFAbsoluteTime fireDate, CFTimeInterval interval, CFIndex order)
    : interval(interval), order(order), mFireDate(fireDate) {}

__CFRunLoopTimer::~__CFRunLoopTimer() {
  if (context.release && context.info) context.release(context.info);
}

void __CFRunLoopTimer::fire() {
  if (callout) {
    callout(this, context.info);
  } else if (handler) {
    handler(this);
  }
}

CFTypeID CFRunLoopTimerGetTypeID(void) { return __CFRunLoopTimer::typeID(); }

CFRunLoopTimerRef CFRunLoopTimerCreate(CFAllocatorRef, CFAbsoluteTime fireDate, CFTimeInterval interval,
                                       CFOptionFlags, CFIndex order, CFRunLoopTimerCallBack callout,
                                       CFRunLoopTimerContext* context) {
  auto* timer = new __CFRunLoopTimer(fireDate, interval, order);
  timer->callout = callout;
  if (context) {
    timer->context = *context;
    if (context->retain && context->info)
      timer->context.info = const_cast<void*>(context->retain(context->info));
  }
  return timer;
}

CFRunLoopTimerRef CFRunLoopTimerCreateWithHandler(CFAllocatorRef, CFAbsoluteTime fireDate,
                                                  CFTimeInterval interval, CFOptionFlags, CFIndex order,
                                                  std::function<void(CFRunLoopTimerRef timer)> block) {
  auto* timer = new __CFRunLoopTimer(fireDate, interval, order);
  timer->handler = std::move(block);
  return timer;
}

void CFRunLoopTimerInvalidate(CFRunLoopTimerRef timer) {
  if (!timer || !timer->valid.exchange(false)) return;
  timer->retain();
  if (CFRunLoopRef loop = timer->runLoop.load()) loop->removeTimer(timer, std::string());
  timer->release();
}

Boolean CFRunLoopTimerIsValid(CFRunLoopTimerRef timer) { return timer && timer->valid; }

CFAbsoluteTime CFRunLoopTimerGetNextFireDate(CFRunLoopTimerRef timer) {
  return timer ? timer->fireDate() : 0;
}

void CFRunLoopTimerSetNextFireDate(CFRunLoopTimerRef timer, CFAbsoluteTime fireDate) {
  if (!timer || !timer->valid) return;
  timer->setFireDate(fireDate);
  // The loop may be sleeping until the old date.
  if (CFRunLoopRef loop = timer->runLoop.load()) loop->wakeUp();
}

CFTimeInterval CFRunLoopTimerGetInterval(CFRunLoopTimerRef timer) { return timer ? timer->interval : 0; }
