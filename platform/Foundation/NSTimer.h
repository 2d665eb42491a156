#pragma once
// Timers on a run loop: a timer fires on the thread of the run loop it is added to, once or
// every interval, until it is invalidated. A scheduled timer is added to the current thread's
// run loop in the default mode. The run loop keeps the timer, and the timer keeps its target
// and user info, until it is invalidated (a one-shot timer is invalidated once it has fired).
#include <functional>
#include <memory>

#include <CoreFoundation/CFRunLoop.h>
#include <Foundation/NSObject.h>
#include <objc/Selector.h>

#pragma GCC visibility push(default)

class NSDate;

class NSTimer : public NSObject {
  OBJC_CLASS_DECL(NSTimer, NSObject)

 public:
  // Autoreleased. The selector is found in the target's method table and called with the timer.
  static NSTimer* scheduledTimerWithTimeInterval_target_selector_userInfo_repeats(double interval, NSObject* target,
                                                                                  SEL selector, NSObject* userInfo,
                                                                                  bool repeats);
  static NSTimer* scheduledTimerWithTimeInterval_repeats_block(double interval, bool repeats,
                                                               std::function<void(NSTimer*)> block);
  // Not yet on a run loop: NSRunLoop::addTimer_forMode adds it.
  static NSTimer* timerWithTimeInterval_target_selector_userInfo_repeats(double interval, NSObject* target,
                                                                         SEL selector, NSObject* userInfo, bool repeats);
  static NSTimer* timerWithTimeInterval_repeats_block(double interval, bool repeats,
                                                      std::function<void(NSTimer*)> block);

  // Fires now, without changing the schedule (a one-shot timer is then invalidated).
  void fire();
  void invalidate();
  bool isValid() const;
  double timeInterval() const { return mInterval; }
  NSObject* userInfo() const { return mUserInfo.get(); }
  NSDate* fireDate() const;

  CFRunLoopTimerRef cfTimer() const { return mTimer; }

 protected:
  NSTimer() = default;
  ~NSTimer() override;

 private:
  static NSTimer* make(double interval, bool repeats, std::function<void(NSTimer*)> action, NSObject* userInfo);
  void fired();

  CFRunLoopTimerRef mTimer = nullptr;
  double mInterval = 0;
  bool mRepeats = false;
  std::function<void(NSTimer*)> mAction;
  std::shared_ptr<RefPtr<NSTimer>> mKeptWhileValid;
  RefPtr<NSObject> mUserInfo;
};

#pragma GCC visibility pop
