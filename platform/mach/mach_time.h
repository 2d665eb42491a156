#pragma once
// Host time. The host clock is CLOCK_MONOTONIC counted in nanoseconds, so the timebase is
// 1/1 and host times compare across the processes of one machine.
#include <mach/kern_return.h>

#include <cstdint>

struct mach_timebase_info_data_t {
  uint32_t numer;
  uint32_t denom;
};
typedef mach_timebase_info_data_t* mach_timebase_info_t;

extern "C" __attribute__((visibility("default"))) uint64_t mach_absolute_time(void);
extern "C" __attribute__((visibility("default"))) kern_return_t mach_timebase_info(mach_timebase_info_t info);
