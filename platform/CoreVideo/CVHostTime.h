#pragma once
// The host clock: mach_absolute_time, counted in nanoseconds.
#include <CoreFoundation/CFBase.h>

CF_EXPORT uint64_t CVGetCurrentHostTime(void);
CF_EXPORT double CVGetHostClockFrequency(void);
CF_EXPORT uint32_t CVGetHostClockMinimumTimeDelta(void);
