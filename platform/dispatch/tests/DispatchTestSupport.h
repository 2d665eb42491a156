#pragma once
// Waits for the dispatch tests: generous deadlines that only keep a broken build from hanging.
#include <dispatch/dispatch.h>
#include <dispatch/runloop_4CF.h>
#include <poll.h>

#include <chrono>

namespace dispatch_test {

constexpr int64_t kDeadline = 20 * int64_t(NSEC_PER_SEC);

inline bool waitFor(dispatch_semaphore_t semaphore) {
  return dispatch_semaphore_wait(semaphore, dispatch_time(DISPATCH_TIME_NOW, kDeadline)) == 0;
}

inline bool waitFor(dispatch_group_t group) {
  return dispatch_group_wait(group, dispatch_time(DISPATCH_TIME_NOW, kDeadline)) == 0;
}

// Runs the main queue's blocks on this (the main) thread, as a run loop would, until `done`
// holds or the deadline passes; answers whether it held.
template <class Predicate>
bool drainMainQueueUntil(Predicate done) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::nanoseconds(kDeadline);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    pollfd wait{_dispatch_get_main_queue_port_4CF(), POLLIN, 0};
    if (poll(&wait, 1, 50) > 0) _dispatch_main_queue_callback_4CF();
  }
  return true;
}

}  // namespace dispatch_test
