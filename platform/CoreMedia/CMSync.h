#pragma once
// Clocks. The host time clock counts the host clock (mach_absolute_time) in nanoseconds.
#include <CoreMedia/CMTime.h>

typedef struct OpaqueCMClock* CMClockRef;

enum : OSStatus {
  kCMClockError_MissingRequiredParameter = -12745,
  kCMClockError_InvalidParameter = -12746,
  kCMClockError_AllocationFailed = -12747,
  kCMClockError_UnsupportedOperation = -12756,
};

CF_EXPORT CFTypeID CMClockGetTypeID(void);
// The one host time clock of the process (not retained; never freed).
CF_EXPORT CMClockRef CMClockGetHostTimeClock(void);
CF_EXPORT CMTime CMClockGetTime(CMClockRef clock);
CF_EXPORT CMTime CMClockMakeHostTimeFromSystemUnits(uint64_t hostTime);
CF_EXPORT uint64_t CMClockConvertHostTimeToSystemUnits(CMTime hostTime);
