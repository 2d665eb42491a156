#pragma once
// A thread that keeps a run loop running, for ports whose messages must never wait for the
// main thread. A repeating heartbeat timer (1 second by default) keeps the loop alive while no
// port is scheduled. Two threads of the process serve every connection: one for server ports
// and one for local (client-side) ports.
//
// Whoever starts one waits, looking every 5 milliseconds, until the thread's run loop runs,
// but not for ever: a thread that has not published its run loop in time is given up on, and
// its starter carries on without a loop (connections then refuse to run on it).
#include <Foundation/NSRunLoop.h>
#include <Foundation/NSThread.h>
#include <Foundation/NSTimer.h>
#include <objc/WeakPtr.h>

#include <atomic>
#include <chrono>
#include <mutex>

class MachRunLoopThread;

class MachRunLoopThreadDelegate {
 public:
  virtual void runLoopThread_heartbeatTimer(MachRunLoopThread* thread, NSTimer* timer) = 0;

 protected:
  ~MachRunLoopThreadDelegate() = default;
};

class MachRunLoopThread : public NSThread {
  OBJC_CLASS_DECL(MachRunLoopThread, NSThread)

 public:
  static constexpr double kDefaultHeartbeat = 1.0;
  static constexpr std::chrono::milliseconds kStartPatience{10000};

  // Made and started on first use, once, whichever threads ask at the same time.
  static MachRunLoopThread* sharedServerRunLoopThread();
  static MachRunLoopThread* sharedLocalRunLoopThread();

  // Autoreleased, started.
  static MachRunLoopThread* runloopThreadWithDelegate(NSObject* delegate);
  static MachRunLoopThread* runloopThreadWithDelegate_threadHeartBeat(NSObject* delegate, double heartbeat);

  // Start the thread and return once its run loop runs (or the patience ran out).
  MachRunLoopThread* initWithDelegate(NSObject* delegate);
  virtual MachRunLoopThread* initWithDelegate_threadHeartBeat(NSObject* delegate, double heartbeat);

  // Starts the thread and waits until it has published its run loop; false when it had not
  // within `patience`.
  bool startThreadBlockingUntilRunLoopRunning(std::chrono::milliseconds patience = kStartPatience);
  // The thread's body: the heartbeat timer in the common modes, then the run loop. Raises
  // NSInternalInconsistencyException on the main thread, whose run loop is not its own.
  virtual void runThreadRunLoop(NSObject* argument);
  void threadHeartbeat(NSTimer* timer);
  // Ends the heartbeat (on the thread's own loop) and marks the thread cancelled.
  void stopHeartbeatTimerAndCancelThread();

  // Autoreleased; null until the thread runs.
  NSRunLoop* threadRunLoop() const;
  NSTimer* threadHeartbeatTimer() const;
  double threadHeartbeat() const { return mThreadHeartbeat; }
  // Not retained.
  NSObject* delegate() const;

 protected:
  MachRunLoopThread() = default;
  void dealloc() override;

 private:
  WeakPtr<NSObject> mDelegate;
  mutable std::mutex mLock;
  RefPtr<NSRunLoop> mThreadRunLoop;
  RefPtr<NSTimer> mThreadHeartbeatTimer;
  std::atomic<double> mThreadHeartbeat{kDefaultHeartbeat};
};
