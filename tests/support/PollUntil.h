#pragma once
// Waits, with a deadline, for a condition that other threads or processes make true. Unlike
// runLoopUntil it runs no loop of the calling thread: what the test waits for arrives on
// queues, threads or processes of its own.
#include <chrono>
#include <thread>

namespace moxicam::test {

// Answers whether `done` held before `deadline` passed, looking again every `step`.
template <class Predicate>
bool pollUntil(Predicate done, std::chrono::milliseconds deadline = std::chrono::seconds(10),
               std::chrono::milliseconds step = std::chrono::milliseconds(1)) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!done()) {
    // One last look past the deadline, so that a condition met while sleeping still counts.
    if (std::chrono::steady_clock::now() > end) return done();
    std::this_thread::sleep_for(step);
  }
  return true;
}

}  // namespace moxicam::test
