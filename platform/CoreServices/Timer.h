#pragma once
// Microseconds: the host clock (mach_absolute_time) in microseconds, as a 64-bit count split
// into its high and low words.
#include <CoreFoundation/MacTypes.h>

struct UnsignedWide {
  UInt32 hi;
  UInt32 lo;
};

// Nothing for a null count.
extern "C" __attribute__((visibility("default"))) void Microseconds(UnsignedWide* microTickCount);
