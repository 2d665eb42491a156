#include <thread>

#include <Foundation/NSException.h>
#include <Foundation/NSThread.h>

void NSThread::detachNewThreadWithBlock(std::function<void()> block) {
  std::thread([block = std::move(block)] {
    objc::AutoreleasePool pool;
    try {
      block();
    } catch (const NSException::Raised& raised) {
      NSLog(NSSTR("*** Thread ended by an uncaught exception: %@"), raised.exception()->description());
    }
  }).detach();
}

void NSThread::detachNewThreadSelector_toTarget_withObject(SEL selector, NSObject* target, NSObject* argument) {
  if (!target || !target->respondsToSelector(selector)) {
    NSException::raise_format(NSInvalidArgumentException,
                              NSSTR("+[NSThread detachNewThreadSelector:toTarget:withObject:]: the target does not "
                                    "respond to %s"),
                              sel_getName(selector));
  }
  RefPtr<NSObject> retainedTarget{target};
  RefPtr<NSObject> retainedArgument{argument};
  detachNewThreadWithBlock([retainedTarget, retainedArgument, selector] {
    retainedTarget->performSelector_withObject(selector, retainedArgument.get());
  });
}
