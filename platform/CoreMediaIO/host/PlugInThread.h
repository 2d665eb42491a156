#pragma once
// A thread that runs a CFRunLoop, as the thread on which the system initialises a camera
// plug-in: a plug-in may schedule run-loop work there (service browsing) and expects that
// loop to keep running while it lives.
#include <CoreFoundation/CFRunLoop.h>

#include <functional>
#include <atomic>
#include <thread>

namespace CameraHost {

class PlugInThread {
 public:
  PlugInThread();
  ~PlugInThread();
  PlugInThread(const PlugInThread&) = delete;
  PlugInThread& operator=(const PlugInThread&) = delete;

  // Runs the work on the thread and waits until it has run.
  void perform(const std::function<void()>& work);

 private:
  void run();

  CFRunLoopRef mRunLoop = nullptr;
  std::atomic<bool> mStopping{false};
  std::thread mThread;
};

}  // namespace CameraHost
