#include <Foundation/NSException.h>
#include <Foundation/NSThread.h>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <thread>

NSThread* NSThread::initWithTarget_selector_object(NSObject* target, SEL selector, NSObject* argument) {
  if (!target || !target->respondsToSelector(selector)) {
    NSException::raise_format(
        NSInvalidArgumentException,
        NSSTR("-[NSThread initWithTarget:selector:object:]: the target does not respond to %s"),
        sel_getName(selector));
  }
  mTarget = RefPtr<NSObject>(target);
  mSelector = selector;
  mArgument = RefPtr<NSObject>(argument);
  return this;
}

NSThread* NSThread::initWithBlock(std::function<void()> block) {
  mBlock = std::move(block);
  return this;
}

void NSThread::main() {
  if (mBlock) {
    mBlock();
  } else if (mTarget) {
    mTarget->performSelector_withObject(mSelector, mArgument.get());
  }
}

void NSThread::cancel() { mCancelled = true; }

void NSThread::start() {
  if (mStarted.exchange(true)) {
    NSException::raise_format(NSInvalidArgumentException,
                              NSSTR("-[NSThread start]: the thread was started already"));
  }
  mState = State::Executing;
  std::thread([self = RefPtr<NSThread>(this)] {
    self->mThreadID = pid_t(syscall(SYS_gettid));
    // The system keeps at most 15 characters of a thread's name.
    const std::string name = self->name()->UTF8String();
    if (!name.empty()) pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
    {
      objc::AutoreleasePool pool;
      try {
        self->main();
      } catch (const NSException::Raised& raised) {
        NSLog(NSSTR("*** Thread ended by an uncaught exception: %@"), raised.exception()->description());
      }
      // What it ran goes with the run: a target that is the thread itself does not keep it.
      self->mTarget = nullptr;
      self->mArgument = nullptr;
      self->mBlock = nullptr;
    }
    self->mState = State::Finished;
  }).detach();
}
