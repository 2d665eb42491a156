#pragma once
// The main queue: a serial queue whose blocks run on the main thread, when that thread
// runs dispatch_main() or its run loop drains the queue. An eventfd is readable while
// blocks wait, so a run loop can sleep on it with its other sources.
#include <deque>

#include "backend/DispatchQueue.h"

class MainQueue final : public dispatch_queue_s {
 public:
  static MainQueue& shared();

  void push(dispatch_internal::Work work, bool barrier) override;
  void suspend() override;
  void resume() override;

  int wakeDescriptor() const { return mWakeDescriptor; }
  // Runs the blocks queued before the call (blocks they queue wait for the next drain, so a
  // loop that drains never starves its other sources). Does nothing inside a main-queue block:
  // the queue is serial even for a nested run loop.
  void drain();
  [[noreturn]] void runForever();

 private:
  MainQueue();
  // Under mLock: makes the descriptor readable when blocks wait and the queue runs.
  void signalLocked();

  std::mutex mLock;
  std::deque<dispatch_internal::Work> mWork;
  int mWakeDescriptor;
  bool mSignalled = false;
  bool mDraining = false;
  int mSuspendCount = 0;
};
