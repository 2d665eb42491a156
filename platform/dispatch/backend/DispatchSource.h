#pragma once
// A source: events from the event thread (timer fires, a readable descriptor) or from
// dispatch_source_merge_data become at most one handler call at a time on the target queue.
//
// While a source is resumed and not cancelled it holds a reference to itself, so a running
// source lives without its creator's reference. A suspended source holds none: when its last
// reference goes it is cancelled (its cancel handler still runs) and freed.
#include <dispatch/source.h>

#include "backend/DispatchObject.h"
#include "backend/EventLoop.h"

struct dispatch_source_type_s {
  enum Kind { Timer, Read, DataAdd } kind;
};

struct dispatch_source_s final : dispatch_object_s {
  dispatch_source_s(dispatch_source_type_s::Kind kind, uintptr_t handle, unsigned long mask,
                    dispatch_queue_s* target);

  bool start();
  void suspend() override;
  void resume() override;
  void setTargetQueue(dispatch_queue_s* target) override;

  void setEventHandler(dispatch_block_t handler);
  void setCancelHandler(dispatch_block_t handler);
  void cancel();
  bool isCancelled() const { return mCancelled.load(); }
  void setTimer(dispatch_time_t start, uint64_t interval);
  void mergeData(unsigned long value);

  const dispatch_source_type_s::Kind kind;
  const uintptr_t handle;
  const unsigned long mask;
  // The data of the event being handled.
  std::atomic<unsigned long> handledData{0};

 protected:
  void dispose() override;

 private:
  ~dispatch_source_s() override;
  bool isActiveLocked() const { return mSuspendCount == 0 && !mCancelled; }
  // Under mLock: whether a handler call should be queued now (and records that it is).
  bool claimEventWorkLocked();
  // Under mLock: whether the cancel handler should be queued now (and records that it is).
  bool claimCancelWorkLocked();
  void queueWork(bool cancelWork);
  void runEventWork();
  void runCancelWork();
  void startTimer(uint64_t deadline, uint64_t generation);
  uint64_t timerFired(uint64_t now, uint64_t generation);
  void descriptorReady();
  void removeFromEventLoop();

  std::mutex mLock;
  dispatch_queue_s* mTarget;
  dispatch_block_t mEventHandler;
  dispatch_block_t mCancelHandler;
  int mSuspendCount = 1;
  std::atomic<bool> mCancelled{false};
  bool mCancelHandlerQueued = false;
  bool mHoldsActiveReference = false;
  // A handler or cancel call is queued or running.
  bool mWorkQueued = false;
  bool mEventPending = false;
  unsigned long mPendingData = 0;

  dispatch_internal::EventLoop::Id mTimerId = 0;
  uint64_t mInterval = 0;
  uint64_t mNextDeadline = 0;
  // Each setTimer starts a new generation; fires of an older one end themselves.
  uint64_t mTimerGeneration = 0;
  // Set when a fire met the source suspended: the timer then stops until resume.
  bool mTimerParked = false;
  uint64_t mParkedDeadline = 0;

  dispatch_internal::EventLoop::Id mWatchId = 0;
};
