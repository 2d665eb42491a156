#include "Timer.h"

#include <mach/mach_time.h>

void Microseconds(UnsignedWide* microTickCount) {
  if (!microTickCount) return;
  // The host clock counts nanoseconds (timebase 1/1).
  const uint64_t microseconds = mach_absolute_time() / 1000;
  microTickCount->hi = UInt32(microseconds >> 32);
  microTickCount->lo = UInt32(microseconds);
}
