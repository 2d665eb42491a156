#pragma once
// Drives the calling thread's run loop (the main run loop on the main thread) until a
// condition holds, with a deadline so that a test never hangs. Header-only: the test program
// links CoreFoundation itself.
#include <CoreFoundation/CFRunLoop.h>

#include <chrono>
#include <thread>

namespace moxicam::test {

// Answers whether `done` held before `deadline` passed.
template <class Predicate>
bool runLoopUntil(Predicate done, std::chrono::milliseconds deadline = std::chrono::seconds(20)) {
  using namespace std::chrono;
  const auto end = steady_clock::now() + deadline;
  while (!done()) {
    auto left = end - steady_clock::now();
    if (left <= steady_clock::duration::zero()) return done();
    // Short slices, so that a condition changed by another thread is seen soon.
    double slice = std::min(duration<double>(left).count(), 0.01);
    if (CFRunLoopRunInMode(kCFRunLoopDefaultMode, slice, true) == kCFRunLoopRunFinished) {
      // Nothing to wait for in this thread's loop: let other threads work.
      std::this_thread::sleep_for(milliseconds(1));
    }
  }
  return true;
}

}  // namespace moxicam::test
