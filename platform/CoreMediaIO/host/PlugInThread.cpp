#include "PlugInThread.h"

#include <CoreFoundation/CFDate.h>

#include <future>

namespace CameraHost {

PlugInThread::PlugInThread() {
  std::promise<CFRunLoopRef> started;
  std::future<CFRunLoopRef> loop = started.get_future();
  mThread = std::thread([this, &started] {
    // The thread's loop goes with the thread, which may end before the stop below has woken
    // it: this reference keeps the loop for the wake-up.
    started.set_value(static_cast<CFRunLoopRef>(const_cast<void*>(CFRetain(CFRunLoopGetCurrent()))));
    run();
  });
  mRunLoop = loop.get();
}

PlugInThread::~PlugInThread() {
  mStopping = true;
  CFRunLoopStop(mRunLoop);
  CFRunLoopWakeUp(mRunLoop);
  mThread.join();
  CFRelease(mRunLoop);
}

void PlugInThread::run() {
  // A loop with nothing scheduled returns at once; a timer that does nothing keeps it waiting
  // for the work and the sources a plug-in adds.
  CFRunLoopTimerRef keepAlive = CFRunLoopTimerCreateWithHandler(nullptr, CFAbsoluteTimeGetCurrent() + 1.0, 1.0, 0, 0,
                                                                [](CFRunLoopTimerRef) {});
  CFRunLoopAddTimer(CFRunLoopGetCurrent(), keepAlive, kCFRunLoopDefaultMode);
  while (!mStopping) CFRunLoopRunInMode(kCFRunLoopDefaultMode, 1.0, false);
  CFRunLoopTimerInvalidate(keepAlive);
  CFRelease(keepAlive);
}

void PlugInThread::perform(const std::function<void()>& work) {
  if (std::this_thread::get_id() == mThread.get_id()) {
    work();
    return;
  }
  std::promise<void> done;
  std::future<void> finished = done.get_future();
  CFRunLoopPerformBlock(mRunLoop, kCFRunLoopDefaultMode, [&] {
    work();
    done.set_value();
  });
  CFRunLoopWakeUp(mRunLoop);
  finished.wait();
}

}  // namespace CameraHost
