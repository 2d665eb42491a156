// Performing methods by selector, now or later, here or on the main thread.
#include <sys/syscall.h>
#include <unistd.h>

#include <CoreFoundation/CFRunLoop.h>
#include <CoreFoundation/CFString.h>
#include <objc/FoundationCategories.h>
#include <objc/MethodTable.h>
#include <objc/NSObject.h>
#include <objc/PostAndWait.h>
#include <objc/RefPtr.h>

bool NSObject::respondsToSelector(SEL selector) const { return class_respondsToSelector(classObject(), selector); }

NSObject* NSObject::performSelector(SEL selector) { return performSelector_withObject(selector, nullptr); }

NSObject* NSObject::performSelector_withObject(SEL selector, NSObject* argument) {
  const objc::Method* method = class_getMethod(classObject(), selector);
  if (!method) {
    CFStringRef reason = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("-[%s %s]: unrecognized selector sent to instance %p"),
                                                  className(), sel_getName(selector), static_cast<void*>(this));
    CFAutorelease(reason);
    objc::raise(CFSTR("NSInvalidArgumentException"), reason);
  }
  return method->invoke(this, argument);
}

static bool onMainThread() { return pid_t(syscall(SYS_gettid)) == getpid(); }

void NSObject::performSelectorOnMainThread_withObject_waitUntilDone(SEL selector, NSObject* argument,
                                                                   bool waitUntilDone) {
  if (waitUntilDone && onMainThread()) {
    performSelector_withObject(selector, argument);
    return;
  }
  RefPtr<NSObject> receiver{this};
  RefPtr<NSObject> retainedArgument{argument};
  CFRunLoopRef mainLoop = CFRunLoopGetMain();
  auto postToMainThread = [mainLoop](std::function<void()> block) {
    CFRunLoopPerformBlock(mainLoop, kCFRunLoopCommonModes, std::move(block));
    CFRunLoopWakeUp(mainLoop);
  };
  auto perform = [receiver, retainedArgument, selector] {
    receiver->performSelector_withObject(selector, retainedArgument.get());
  };
  if (!waitUntilDone) {
    postToMainThread(perform);
    return;
  }
  // The caller waits for the main thread; an exception raised there is raised here too.
  objc::postAndWait(postToMainThread, perform);
}

void NSObject::performSelector_withObject_afterDelay(SEL selector, NSObject* argument, double delay) {
  RefPtr<NSObject> receiver{this};
  RefPtr<NSObject> retainedArgument{argument};
  CFRunLoopTimerRef timer = CFRunLoopTimerCreateWithHandler(
      nullptr, CFAbsoluteTimeGetCurrent() + (delay > 0 ? delay : 0), 0, 0, 0,
      [receiver, retainedArgument, selector](CFRunLoopTimerRef) {
        receiver->performSelector_withObject(selector, retainedArgument.get());
      });
  CFRunLoopAddTimer(CFRunLoopGetCurrent(), timer, kCFRunLoopDefaultMode);
  CFRelease(timer);
}
