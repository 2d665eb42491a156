#include "backend/DispatchTime.h"

#include <ctime>
#include <limits>

namespace dispatch_internal {

static uint64_t clockNanoseconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return uint64_t(now.tv_sec) * NSEC_PER_SEC + uint64_t(now.tv_nsec);
}

uint64_t monotonicNow() { return clockNanoseconds(CLOCK_MONOTONIC); }

// Wall-clock times are kept as the negated nanoseconds since 1970, so that they never meet a
// host time (whose top bit is clear) and survive dispatch_time() arithmetic.
static bool isWallTime(dispatch_time_t when) { return int64_t(when) < 0 && when != DISPATCH_TIME_FOREVER; }

static dispatch_time_t encodeWallTime(int64_t nanoseconds) {
  if (nanoseconds <= 1) nanoseconds = 2;  // never 0 (NOW) nor -1 (FOREVER)
  return dispatch_time_t(-nanoseconds);
}

static int64_t decodeWallTime(dispatch_time_t when) { return -int64_t(when); }

static int64_t saturatingAdd(int64_t base, int64_t delta) {
  int64_t sum;
  if (__builtin_add_overflow(base, delta, &sum)) return delta > 0 ? std::numeric_limits<int64_t>::max() : 0;
  return sum;
}

uint64_t monotonicDeadline(dispatch_time_t when) {
  if (when == DISPATCH_TIME_FOREVER) return kNever;
  if (when == DISPATCH_TIME_NOW) return monotonicNow();
  if (isWallTime(when)) {
    int64_t fromNow = decodeWallTime(when) - int64_t(clockNanoseconds(CLOCK_REALTIME));
    int64_t deadline = saturatingAdd(int64_t(monotonicNow()), fromNow);
    return deadline < 0 ? 0 : uint64_t(deadline);
  }
  return when;
}

std::chrono::steady_clock::time_point steadyDeadline(uint64_t monotonicNanoseconds) {
  using namespace std::chrono;
  if (monotonicNanoseconds >= uint64_t(std::numeric_limits<int64_t>::max()))
    return steady_clock::time_point::max();
  return steady_clock::time_point(duration_cast<steady_clock::duration>(nanoseconds(monotonicNanoseconds)));
}

}  // namespace dispatch_internal

using namespace dispatch_internal;

dispatch_time_t dispatch_time(dispatch_time_t when, int64_t delta) {
  if (when == DISPATCH_TIME_FOREVER) return DISPATCH_TIME_FOREVER;
  if (isWallTime(when)) return encodeWallTime(saturatingAdd(decodeWallTime(when), delta));
  int64_t base = when == DISPATCH_TIME_NOW ? int64_t(monotonicNow()) : int64_t(when);
  int64_t sum = saturatingAdd(base, delta);
  if (sum == std::numeric_limits<int64_t>::max()) return DISPATCH_TIME_FOREVER;
  // A time at or before the clock's start is due at once; 0 would read as "now".
  return sum <= 0 ? 1 : dispatch_time_t(sum);
}

dispatch_time_t dispatch_walltime(const struct timespec* when, int64_t delta) {
  int64_t base = when ? int64_t(when->tv_sec) * int64_t(NSEC_PER_SEC) + when->tv_nsec
                      : int64_t(clockNanoseconds(CLOCK_REALTIME));
  return encodeWallTime(saturatingAdd(base, delta));
}
