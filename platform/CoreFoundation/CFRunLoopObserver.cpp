#include "backend/CFRunLoopObject.h"

CFTypeID __CFRunLoopObserver::typeID() {
  static const CFTypeID id = _CFRuntimeRegisterClass("CFRunLoopObserver");
  return id;
}

__CFRunLoopObserver::__CFRunLoopObserver(CFOptionFlags activities, bool repeats, CFIndex order)
    : activities(activities), repeats(repeats), order(order) {}

__CFRunLoopObserver::~__CFRunLoopObserver() {
  if (context.release && context.info) context.release(context.info);
}

void __CFRunLoopObserver::observe(CFRunLoopActivity activity) {
  if (callout) {
    callout(this, activity, context.info);
  } else if (handler) {
    handler(this, activity);
  }
  if (!repeats) CFRunLoopObserverInvalidate(this);
}

CFTypeID CFRunLoopObserverGetTypeID(void) { return __CFRunLoopObserver::typeID(); }

CFRunLoopObserverRef CFRunLoopObserverCreate(CFAllocatorRef, CFOptionFlags activities, Boolean repeats,
                                             CFIndex order, CFRunLoopObserverCallBack callout,
                                             CFRunLoopObserverContext* context) {
  auto* observer = new __CFRunLoopObserver(activities, repeats, order);
  observer->callout = callout;
  if (context) {
    observer->context = *context;
    if (context->retain && context->info)
      observer->context.info = const_cast<void*>(context->retain(context->info));
  }
  return observer;
}

CFRunLoopObserverRef CFRunLoopObserverCreateWithHandler(
    CFAllocatorRef, CFOptionFlags activities, Boolean repeats, CFIndex order,
    std::function<void(CFRunLoopObserverRef observer, CFRunLoopActivity activity)> block) {
  auto* observer = new __CFRunLoopObserver(activities, repeats, order);
  observer->handler = std::move(block);
  return observer;
}

void CFRunLoopObserverInvalidate(CFRunLoopObserverRef observer) {
  if (!observer || !observer->valid.exchange(false)) return;
  observer->retain();
  if (CFRunLoopRef loop = observer->runLoop.load()) loop->removeObserver(observer, std::string());
  observer->release();
}

Boolean CFRunLoopObserverIsValid(CFRunLoopObserverRef observer) { return observer && observer->valid; }
