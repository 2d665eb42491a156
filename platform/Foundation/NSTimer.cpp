#include <Foundation/NSTimer.h>

#include <Foundation/NSDate.h>
#include <Foundation/NSException.h>
#include <Foundation/NSRunLoop.h>
#include <objc/MethodTable.h>

OBJC_CLASS_DEFINE_NO_FACTORY(NSTimer)
OBJC_METHODS(NSTimer, OBJC_METHOD("invalidate", &NSTimer::invalidate), OBJC_METHOD("fire", &NSTimer::fire),
             OBJC_METHOD("userInfo", &NSTimer::userInfo))

NSTimer* NSTimer::make(double interval, bool repeats, std::function<void(NSTimer*)> action, NSObject* userInfo) {
  auto* timer = new NSTimer();
  // The platform never fires more often than every 0.1 ms.
  timer->mInterval = interval > 0.0001 ? interval : 0.0001;
  timer->mRepeats = repeats;
  timer->mAction = std::move(action);
  timer->mUserInfo = RefPtr(userInfo);
  // While it is valid the timer is kept by its CF timer (which the run loop keeps); invalidating
  // lets it go, so the two do not keep each other for ever.
  timer->mKeptWhileValid = std::make_shared<RefPtr<NSTimer>>(timer);
  std::weak_ptr<RefPtr<NSTimer>> kept = timer->mKeptWhileValid;
  timer->mTimer = CFRunLoopTimerCreateWithHandler(
      nullptr, CFAbsoluteTimeGetCurrent() + timer->mInterval, repeats ? timer->mInterval : 0, 0, 0,
      [kept](CFRunLoopTimerRef) {
        if (auto holder = kept.lock()) {
          RefPtr<NSTimer> firing = *holder;
          if (firing) firing->fired();
        }
      });
  timer->autorelease();
  return timer;
}

NSTimer::~NSTimer() {
  if (mTimer) CFRelease(mTimer);
}

NSTimer* NSTimer::timerWithTimeInterval_target_selector_userInfo_repeats(double interval, NSObject* target,
                                                                         SEL selector, NSObject* userInfo,
                                                                         bool repeats) {
  if (!target || !target->respondsToSelector(selector)) {
    NSException::raise_format(NSInvalidArgumentException, NSSTR("NSTimer: the target does not respond to %s"),
                              sel_getName(selector));
  }
  RefPtr<NSObject> retainedTarget{target};
  return make(interval, repeats, [retainedTarget, selector](NSTimer* timer) {
    retainedTarget->performSelector_withObject(selector, timer);
  }, userInfo);
}

NSTimer* NSTimer::timerWithTimeInterval_repeats_block(double interval, bool repeats,
                                                      std::function<void(NSTimer*)> block) {
  return make(interval, repeats, std::move(block), nullptr);
}

NSTimer* NSTimer::scheduledTimerWithTimeInterval_target_selector_userInfo_repeats(double interval, NSObject* target,
                                                                                  SEL selector, NSObject* userInfo,
                                                                                  bool repeats) {
  NSTimer* timer = timerWithTimeInterval_target_selector_userInfo_repeats(interval, target, selector, userInfo, repeats);
  NSRunLoop::currentRunLoop()->addTimer_forMode(timer, NSDefaultRunLoopMode);
  return timer;
}

NSTimer* NSTimer::scheduledTimerWithTimeInterval_repeats_block(double interval, bool repeats,
                                                               std::function<void(NSTimer*)> block) {
  NSTimer* timer = timerWithTimeInterval_repeats_block(interval, repeats, std::move(block));
  NSRunLoop::currentRunLoop()->addTimer_forMode(timer, NSDefaultRunLoopMode);
  return timer;
}

void NSTimer::fired() {
  RefPtr<NSTimer> self{this};  // the action may invalidate the timer and let it go
  if (mAction) mAction(this);
  if (!mRepeats) invalidate();
}

void NSTimer::fire() {
  if (!isValid()) return;
  fired();
}

void NSTimer::invalidate() {
  if (!mTimer || !CFRunLoopTimerIsValid(mTimer)) return;
  RefPtr<NSTimer> self{this};  // what kept the timer goes now
  CFRunLoopTimerInvalidate(mTimer);
  mAction = nullptr;
  mUserInfo = nullptr;
  mKeptWhileValid.reset();
}

bool NSTimer::isValid() const { return mTimer && CFRunLoopTimerIsValid(mTimer); }

NSDate* NSTimer::fireDate() const {
  return NSDate::dateWithTimeIntervalSinceReferenceDate(mTimer ? CFRunLoopTimerGetNextFireDate(mTimer) : 0);
}
