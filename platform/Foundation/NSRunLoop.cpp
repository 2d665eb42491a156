#include <Foundation/NSRunLoop.h>

#include <algorithm>

#include <Foundation/NSDate.h>
#include <Foundation/NSTimer.h>

NSString* const NSDefaultRunLoopMode = toNSString(kCFRunLoopDefaultMode);
NSString* const NSRunLoopCommonModes = toNSString(kCFRunLoopCommonModes);

OBJC_CLASS_DEFINE_NO_FACTORY(NSRunLoop)

struct RunLoopObjects {
  static NSRunLoop* make(CFRunLoopRef runLoop) {
    auto* loop = new NSRunLoop();
    loop->mRunLoop = runLoop;  // a thread's CFRunLoop lives as long as the thread
    return loop;
  }
};

NSRunLoop* NSRunLoop::mainRunLoop() {
  static NSRunLoop* const loop = [] {
    NSRunLoop* made = RunLoopObjects::make(CFRunLoopGetMain());
    made->makeImmortal();
    return made;
  }();
  return loop;
}

NSRunLoop* NSRunLoop::currentRunLoop() {
  if (CFRunLoopGetCurrent() == CFRunLoopGetMain()) return mainRunLoop();
  thread_local RefPtr<NSRunLoop> loop = adopt(RunLoopObjects::make(CFRunLoopGetCurrent()));
  return loop.get();
}

NSString* NSRunLoop::currentMode() const {
  CFRunLoopMode mode = CFRunLoopCopyCurrentMode(mRunLoop);
  if (!mode) return nullptr;
  CFAutorelease(mode);
  return toNSString(mode);
}

void NSRunLoop::run() {
  while (CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1.0e10, false) != kCFRunLoopRunFinished) {
  }
}

void NSRunLoop::runUntilDate(NSDate* limitDate) {
  if (!limitDate) return;
  for (;;) {
    double left = limitDate->timeIntervalSinceNow();
    if (left <= 0) return;
    if (CFRunLoopRunInMode(kCFRunLoopDefaultMode, left, false) == kCFRunLoopRunFinished) return;
  }
}

bool NSRunLoop::runMode_beforeDate(NSString* mode, NSDate* limitDate) {
  double left = limitDate ? std::max(0.0, limitDate->timeIntervalSinceNow()) : 0.0;
  CFRunLoopRunResult result = CFRunLoopRunInMode(mode ? mode->cfString() : kCFRunLoopDefaultMode, left, true);
  return result != kCFRunLoopRunFinished;
}

void NSRunLoop::addTimer_forMode(NSTimer* timer, NSString* mode) {
  if (!timer || !timer->cfTimer()) return;
  CFRunLoopAddTimer(mRunLoop, timer->cfTimer(), mode ? mode->cfString() : kCFRunLoopDefaultMode);
}
