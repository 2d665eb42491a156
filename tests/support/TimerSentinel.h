#pragma once
// Shows that a dispatch timer has not fired, without sleeping. Timers fire in deadline order on
// the library's one event thread, each queuing its handler on its target as it fires. Once a
// sentinel timer of the same target, due `span` from now, has run its handler, every timer due
// within that span has fired and queued its handler ahead of the sentinel's. On a concurrent
// target such a handler may still be running on another thread: wait for it the way its owner
// offers (a stream's Destruct, a queue's drain) before counting what it did.
#include <dispatch/dispatch.h>

#include <atomic>
#include <chrono>
#include <memory>

#include "PollUntil.h"

namespace moxicam::test {

inline bool waitForTimersDueWithin(std::chrono::nanoseconds span, dispatch_queue_t target) {
  auto fired = std::make_shared<std::atomic<bool>>(false);
  dispatch_source_t sentinel = dispatch_source_create(DISPATCH_SOURCE_TYPE_TIMER, 0, 0, target);
  if (!sentinel) return false;
  dispatch_source_set_timer(sentinel, dispatch_time(DISPATCH_TIME_NOW, span.count()), DISPATCH_TIME_FOREVER, 0);
  dispatch_source_set_event_handler(sentinel, [fired] { *fired = true; });
  dispatch_resume(sentinel);
  const bool passed = pollUntil([&] { return fired->load(); },
                                std::chrono::duration_cast<std::chrono::milliseconds>(span) + std::chrono::seconds(10));
  dispatch_source_cancel(sentinel);
  dispatch_release(sentinel);
  return passed;
}

}  // namespace moxicam::test
