#include "MachRunLoopThread.h"

#include <Foundation/NSException.h>
#include <objc/MethodTable.h>

#include <thread>

OBJC_CLASS_DEFINE(MachRunLoopThread)
OBJC_METHODS(MachRunLoopThread, OBJC_METHOD("runThreadRunLoop:", &MachRunLoopThread::runThreadRunLoop),
             OBJC_METHOD("threadHeartbeat:", static_cast<void (MachRunLoopThread::*)(NSTimer*)>(
                                                 &MachRunLoopThread::threadHeartbeat)))

namespace {

constexpr std::chrono::microseconds kStartPoll{5000};

MachRunLoopThread* makeSharedThread(const char* name) {
  RefPtr<MachRunLoopThread> thread = adopt(MachRunLoopThread::alloc());
  thread->setName(NSString::stringWithUTF8String(name));
  thread = adopt(thread.leak()->initWithDelegate(nullptr));
  thread->makeImmortal();
  return thread.get();
}

}  // namespace

MachRunLoopThread* MachRunLoopThread::sharedServerRunLoopThread() {
  static MachRunLoopThread* const thread = makeSharedThread("sharedServerRunLoopThread");
  return thread;
}

MachRunLoopThread* MachRunLoopThread::sharedLocalRunLoopThread() {
  static MachRunLoopThread* const thread = makeSharedThread("sharedLocalRunLoopThread");
  return thread;
}

MachRunLoopThread* MachRunLoopThread::runloopThreadWithDelegate(NSObject* delegate) {
  return runloopThreadWithDelegate_threadHeartBeat(delegate, kDefaultHeartbeat);
}

MachRunLoopThread* MachRunLoopThread::runloopThreadWithDelegate_threadHeartBeat(NSObject* delegate,
                                                                                double heartbeat) {
  return static_cast<MachRunLoopThread*>(
      alloc()->initWithDelegate_threadHeartBeat(delegate, heartbeat)->autorelease());
}

MachRunLoopThread* MachRunLoopThread::initWithDelegate(NSObject* delegate) {
  return initWithDelegate_threadHeartBeat(delegate, kDefaultHeartbeat);
}

MachRunLoopThread* MachRunLoopThread::initWithDelegate_threadHeartBeat(NSObject* delegate, double heartbeat) {
  initWithTarget_selector_object(this, SELECTOR("runThreadRunLoop:"), nullptr);
  mDelegate = delegate;
  mThreadHeartbeat = heartbeat;
  startThreadBlockingUntilRunLoopRunning();
  return this;
}

bool MachRunLoopThread::startThreadBlockingUntilRunLoopRunning(std::chrono::milliseconds patience) {
  start();
  const auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(mLock);
      if (mThreadRunLoop) return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(kStartPoll);
  }
}

void MachRunLoopThread::runThreadRunLoop(NSObject*) {
  objc::AutoreleasePool pool;
  if (NSThread::isMainThread()) {
    NSException::raise_format(
        NSInternalInconsistencyException,
        NSSTR("-[MachRunLoopThread runThreadRunLoop:]: the main thread's run loop is not the "
              "thread's own"));
  }
  RefPtr<NSRunLoop> runLoop(NSRunLoop::currentRunLoop());
  RefPtr<NSTimer> timer(NSTimer::timerWithTimeInterval_target_selector_userInfo_repeats(
      mThreadHeartbeat, this, SELECTOR("threadHeartbeat:"), nullptr, true));
  runLoop->addTimer_forMode(timer.get(), NSRunLoopCommonModes);
  {
    std::lock_guard<std::mutex> guard(mLock);
    mThreadHeartbeatTimer = timer;
    mThreadRunLoop = runLoop;
  }
  runLoop->run();
  // The loop belongs to this thread, which ends now.
  std::lock_guard<std::mutex> guard(mLock);
  mThreadRunLoop = nullptr;
}

void MachRunLoopThread::threadHeartbeat(NSTimer* timer) {
  RefPtr<NSObject> delegate = mDelegate.get();
  if (auto* listener = dynamic_cast<MachRunLoopThreadDelegate*>(delegate.get()))
    listener->runLoopThread_heartbeatTimer(this, timer);
}

void MachRunLoopThread::stopHeartbeatTimerAndCancelThread() {
  RefPtr<NSTimer> timer;
  // The thread's CFRunLoop goes with the thread, which may end as soon as the lock is let go:
  // it is held while it is still the thread's, so that a block performed on it after the
  // thread ended is dropped with it instead of reaching freed memory.
  RefPtr<__CFRunLoop> runLoop;
  {
    std::lock_guard<std::mutex> guard(mLock);
    timer = std::move(mThreadHeartbeatTimer);
    if (mThreadRunLoop) runLoop = RefPtr<__CFRunLoop>(mThreadRunLoop->getCFRunLoop());
  }
  if (timer) {
    // A timer is invalidated on the thread that fires it.
    if (runLoop && runLoop.get() != CFRunLoopGetCurrent()) {
      CFRunLoopPerformBlock(runLoop.get(), kCFRunLoopCommonModes, [timer] { timer->invalidate(); });
      CFRunLoopWakeUp(runLoop.get());
    } else {
      timer->invalidate();
    }
  }
  cancel();
}

NSRunLoop* MachRunLoopThread::threadRunLoop() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mThreadRunLoop ? static_cast<NSRunLoop*>(mThreadRunLoop->retain()->autorelease()) : nullptr;
}

NSTimer* MachRunLoopThread::threadHeartbeatTimer() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mThreadHeartbeatTimer ? static_cast<NSTimer*>(mThreadHeartbeatTimer->retain()->autorelease())
                               : nullptr;
}

NSObject* MachRunLoopThread::delegate() const {
  RefPtr<NSObject> delegate = mDelegate.get();
  return delegate ? delegate->retain()->autorelease() : nullptr;
}

void MachRunLoopThread::dealloc() {
  stopHeartbeatTimerAndCancelThread();
  mDelegate = nullptr;
  {
    std::lock_guard<std::mutex> guard(mLock);
    mThreadRunLoop = nullptr;
  }
  NSThread::dealloc();
}
