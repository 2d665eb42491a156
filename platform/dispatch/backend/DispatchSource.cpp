#include "backend/DispatchSource.h"

#include <sys/ioctl.h>

#include <utility>

#include "backend/DispatchQueue.h"
#include "backend/DispatchTime.h"

using namespace dispatch_internal;

const dispatch_source_type_s _dispatch_source_type_timer{dispatch_source_type_s::Timer};
const dispatch_source_type_s _dispatch_source_type_read{dispatch_source_type_s::Read};
const dispatch_source_type_s _dispatch_source_type_data_add{dispatch_source_type_s::DataAdd};

dispatch_source_s::dispatch_source_s(dispatch_source_type_s::Kind kind, uintptr_t handle, unsigned long mask,
                                     dispatch_queue_s* target)
    : kind(kind), handle(handle), mask(mask), mTarget(target ? target : defaultTargetQueue()) {
  mTarget->retain();
}

dispatch_source_s::~dispatch_source_s() { mTarget->release(); }

bool dispatch_source_s::start() {
  if (kind != dispatch_source_type_s::Read) return true;
  EventLoop::Id id = EventLoop::shared().addDescriptor(int(handle), [this] { descriptorReady(); });
  std::lock_guard<std::mutex> guard(mLock);
  mWatchId = id;
  return id != 0;
}

bool dispatch_source_s::claimEventWorkLocked() {
  if (!isActiveLocked() || mWorkQueued || (!mEventPending && mPendingData == 0)) return false;
  if (!tryRetain()) return false;
  mWorkQueued = true;
  return true;
}

bool dispatch_source_s::claimCancelWorkLocked() {
  if (!mCancelled || mSuspendCount > 0 || mWorkQueued || mCancelHandlerQueued) return false;
  if (!tryRetain()) return false;
  mCancelHandlerQueued = true;
  mWorkQueued = true;
  return true;
}

// Hands the reference taken by the claim to the queued call.
void dispatch_source_s::queueWork(bool cancelWork) {
  dispatch_queue_s* target;
  {
    std::lock_guard<std::mutex> guard(mLock);
    target = mTarget;
    target->retain();
  }
  if (cancelWork) {
    target->push([this] { runCancelWork(); });
  } else {
    target->push([this] { runEventWork(); });
  }
  target->release();
}

static unsigned long bytesReadable(uintptr_t descriptor) {
  int available = 0;
  if (ioctl(int(descriptor), FIONREAD, &available) < 0) return 1;
  return available < 0 ? 0 : (unsigned long)available;
}

void dispatch_source_s::runEventWork() {
  {
    dispatch_block_t handler;
    unsigned long data = 0;
    bool deliver = false;
    {
      std::lock_guard<std::mutex> guard(mLock);
      if (isActiveLocked()) {
        data = std::exchange(mPendingData, 0);
        deliver = mEventPending || data > 0;
        mEventPending = false;
        handler = mEventHandler;
      }
    }
    if (deliver && handler) {
      handledData = kind == dispatch_source_type_s::Read ? bytesReadable(handle) : data;
      handler();
    }
  }
  bool cancelNow, again, rearm;
  EventLoop::Id watch;
  {
    std::lock_guard<std::mutex> guard(mLock);
    mWorkQueued = false;
    cancelNow = claimCancelWorkLocked();
    again = !cancelNow && claimEventWorkLocked();
    watch = mWatchId;
    rearm = watch != 0 && isActiveLocked() && !again;
  }
  if (rearm) EventLoop::shared().rearmDescriptor(watch);
  if (cancelNow) runCancelWork();
  if (again) queueWork(false);
  release();
}

void dispatch_source_s::runCancelWork() {
  {
    dispatch_block_t handler;
    dispatch_block_t eventHandler;
    {
      std::lock_guard<std::mutex> guard(mLock);
      // A cancelled source lets go of its handlers (and what they hold) once this has run.
      handler = std::move(mCancelHandler);
      eventHandler = std::move(mEventHandler);
      mCancelHandler = nullptr;
      mEventHandler = nullptr;
    }
    if (handler) handler();
    std::lock_guard<std::mutex> guard(mLock);
    mWorkQueued = false;
  }
  release();
}

uint64_t dispatch_source_s::timerFired(uint64_t now, uint64_t generation) {
  bool queue;
  uint64_t next = 0;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (mCancelled || generation != mTimerGeneration) return 0;
    // Fires missed while the handler ran late are merged into the data of one call.
    unsigned long fires = 1;
    if (mInterval != 0) {
      fires += (now - mNextDeadline) / mInterval;
      next = mNextDeadline + fires * mInterval;
    }
    mPendingData += fires;
    mNextDeadline = next;
    if (next != 0 && mSuspendCount > 0) {
      // Nothing would run now: stop waking the event thread until resume.
      mTimerParked = true;
      next = 0;
    }
    queue = claimEventWorkLocked();
  }
  if (queue) queueWork(false);
  return next;
}

void dispatch_source_s::descriptorReady() {
  bool queue;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (mCancelled) return;
    mEventPending = true;
    queue = claimEventWorkLocked();
  }
  if (queue) queueWork(false);
}

void dispatch_source_s::removeFromEventLoop() {
  EventLoop::Id timer, watch;
  {
    std::lock_guard<std::mutex> guard(mLock);
    timer = std::exchange(mTimerId, 0);
    watch = std::exchange(mWatchId, 0);
  }
  if (timer) EventLoop::shared().removeTimer(timer);
  if (watch) EventLoop::shared().removeDescriptor(watch);
}

void dispatch_source_s::setTimer(dispatch_time_t start, uint64_t interval) {
  if (kind != dispatch_source_type_s::Timer) return;
  EventLoop::Id previous;
  uint64_t deadline = monotonicDeadline(start);
  uint64_t generation;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (mCancelled) return;
    previous = std::exchange(mTimerId, 0);
    generation = ++mTimerGeneration;
    mInterval = interval == DISPATCH_TIME_FOREVER ? 0 : interval;
    mNextDeadline = deadline;
    mTimerParked = false;
    mPendingData = 0;
  }
  if (previous) EventLoop::shared().removeTimer(previous);
  if (deadline == kNever) return;
  // A start that is due already fires at once, without a trip through the event thread.
  const uint64_t now = monotonicNow();
  if (deadline <= now && (deadline = timerFired(now, generation)) == 0) return;
  startTimer(deadline, generation);
}

void dispatch_source_s::startTimer(uint64_t deadline, uint64_t generation) {
  EventLoop::Id id = EventLoop::shared().addTimer(
      deadline, [this, generation](uint64_t now) { return timerFired(now, generation); });
  bool stale;
  {
    std::lock_guard<std::mutex> guard(mLock);
    // The source may have been cancelled or given another timer meanwhile.
    stale = mCancelled || generation != mTimerGeneration;
    if (!stale) mTimerId = id;
  }
  if (stale) EventLoop::shared().removeTimer(id);
}

void dispatch_source_s::mergeData(unsigned long value) {
  if (kind != dispatch_source_type_s::DataAdd || value == 0) return;
  bool queue;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (mCancelled) return;
    mPendingData += value;
    queue = claimEventWorkLocked();
  }
  if (queue) queueWork(false);
}

void dispatch_source_s::setEventHandler(dispatch_block_t handler) {
  std::lock_guard<std::mutex> guard(mLock);
  if (!mCancelHandlerQueued) mEventHandler = std::move(handler);
}

void dispatch_source_s::setCancelHandler(dispatch_block_t handler) {
  std::lock_guard<std::mutex> guard(mLock);
  if (!mCancelHandlerQueued) mCancelHandler = std::move(handler);
}

void dispatch_source_s::setTargetQueue(dispatch_queue_s* target) {
  if (!target) target = defaultTargetQueue();
  target->retain();
  dispatch_queue_s* previous;
  {
    std::lock_guard<std::mutex> guard(mLock);
    previous = std::exchange(mTarget, target);
  }
  previous->release();
}

void dispatch_source_s::suspend() {
  bool dropActive;
  {
    std::lock_guard<std::mutex> guard(mLock);
    ++mSuspendCount;
    dropActive = std::exchange(mHoldsActiveReference, false);
  }
  if (dropActive) release();
}

void dispatch_source_s::resume() {
  bool queueEvent = false, queueCancel = false, rearm = false, restartTimer = false;
  EventLoop::Id watch = 0;
  uint64_t deadline = 0, generation = 0;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (mSuspendCount == 0) {
      dispatchReportMisuse("dispatch_resume", "resume of a source that is not suspended");
      return;
    }
    if (--mSuspendCount > 0) return;
    if (mCancelled) {
      queueCancel = claimCancelWorkLocked();
    } else {
      if (!mHoldsActiveReference) {
        mHoldsActiveReference = true;
        retain();
      }
      if (mTimerParked) {
        // Count the fires missed while suspended and go on in step with the first start.
        mTimerParked = false;
        restartTimer = true;
        uint64_t now = monotonicNow();
        if (mNextDeadline <= now) {
          unsigned long missed = 1 + (now - mNextDeadline) / mInterval;
          mPendingData += missed;
          mNextDeadline += missed * mInterval;
        }
        deadline = mNextDeadline;
        generation = mTimerGeneration;
      }
      queueEvent = claimEventWorkLocked();
      watch = mWatchId;
      rearm = watch != 0 && !mWorkQueued;
    }
  }
  if (rearm) EventLoop::shared().rearmDescriptor(watch);
  if (restartTimer) startTimer(deadline, generation);
  if (queueEvent) queueWork(false);
  if (queueCancel) queueWork(true);
}

void dispatch_source_s::cancel() {
  bool queueCancel, dropActive;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (mCancelled) return;
    mCancelled = true;
    dropActive = std::exchange(mHoldsActiveReference, false);
    queueCancel = claimCancelWorkLocked();
  }
  removeFromEventLoop();
  if (queueCancel) queueWork(true);
  if (dropActive) release();
}

void dispatch_source_s::dispose() {
  // The last reference went while the source was suspended or cancelled: stop its events
  // and, as if it had been resumed and cancelled, run its cancel handler before freeing it.
  removeFromEventLoop();
  bool runCancel;
  {
    std::lock_guard<std::mutex> guard(mLock);
    mCancelled = true;
    mSuspendCount = 0;
    runCancel = !mCancelHandlerQueued && mCancelHandler;
    if (runCancel) {
      mCancelHandlerQueued = true;
      mWorkQueued = true;
    }
  }
  if (runCancel) {
    resurrect();  // the reference of the queued cancel call
    queueWork(true);
    return;
  }
  finalizeAndDelete();
}

dispatch_source_t dispatch_source_create(dispatch_source_type_t type, uintptr_t handle, unsigned long mask,
                                         dispatch_queue_t queue) {
  if (type != DISPATCH_SOURCE_TYPE_TIMER && type != DISPATCH_SOURCE_TYPE_READ &&
      type != DISPATCH_SOURCE_TYPE_DATA_ADD) {
    dispatchReportMisuse("dispatch_source_create", "unknown source type");
    return nullptr;
  }
  if (type == DISPATCH_SOURCE_TYPE_READ && (handle > uintptr_t(INT32_MAX))) {
    dispatchReportMisuse("dispatch_source_create", "not a file descriptor");
    return nullptr;
  }
  auto* source = new dispatch_source_s(type->kind, handle, mask, queue);
  if (!source->start()) {
    dispatchReportMisuse("dispatch_source_create", "the file descriptor cannot be watched");
    source->release();
    return nullptr;
  }
  return source;
}

void dispatch_source_set_event_handler(dispatch_source_t source, dispatch_block_t handler) {
  if (source) source->setEventHandler(std::move(handler));
}

void dispatch_source_set_event_handler_f(dispatch_source_t source, dispatch_function_t handler) {
  if (!source) return;
  if (!handler) return source->setEventHandler(nullptr);
  source->setEventHandler([source, handler] { handler(source->context.load()); });
}

void dispatch_source_set_cancel_handler(dispatch_source_t source, dispatch_block_t handler) {
  if (source) source->setCancelHandler(std::move(handler));
}

void dispatch_source_set_cancel_handler_f(dispatch_source_t source, dispatch_function_t handler) {
  if (!source) return;
  if (!handler) return source->setCancelHandler(nullptr);
  source->setCancelHandler([source, handler] { handler(source->context.load()); });
}

void dispatch_source_cancel(dispatch_source_t source) {
  if (source) source->cancel();
}

long dispatch_source_testcancel(dispatch_source_t source) { return source && source->isCancelled() ? 1 : 0; }

uintptr_t dispatch_source_get_handle(dispatch_source_t source) { return source ? source->handle : 0; }

unsigned long dispatch_source_get_mask(dispatch_source_t source) { return source ? source->mask : 0; }

unsigned long dispatch_source_get_data(dispatch_source_t source) {
  return source ? source->handledData.load() : 0;
}

void dispatch_source_merge_data(dispatch_source_t source, unsigned long value) {
  if (source) source->mergeData(value);
}

void dispatch_source_set_timer(dispatch_source_t source, dispatch_time_t start, uint64_t interval, uint64_t) {
  if (source) source->setTimer(start, interval);
}
