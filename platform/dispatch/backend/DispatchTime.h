#pragma once
// Conversions between dispatch times and the monotonic clock that every wait runs on.
#include <dispatch/dispatch_time.h>

#include <chrono>
#include <cstdint>

namespace dispatch_internal {

constexpr uint64_t kNever = UINT64_MAX;

// Nanoseconds of CLOCK_MONOTONIC (the host clock).
uint64_t monotonicNow();
// The monotonic nanosecond at which `when` falls; kNever for DISPATCH_TIME_FOREVER.
uint64_t monotonicDeadline(dispatch_time_t when);
// The same as a steady_clock point (steady_clock is CLOCK_MONOTONIC), for condition waits.
std::chrono::steady_clock::time_point steadyDeadline(uint64_t monotonicNanoseconds);

}  // namespace dispatch_internal
