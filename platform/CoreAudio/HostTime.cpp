// Host time: the ticks of mach_absolute_time, which are nanoseconds.
#include <CoreAudio/HostTime.h>
#include <mach/mach_time.h>

UInt64 AudioGetCurrentHostTime(void) { return mach_absolute_time(); }
Float64 AudioGetHostClockFrequency(void) { return 1e9; }
UInt32 AudioGetHostClockMinimumTimeDelta(void) { return 1; }
UInt64 AudioConvertHostTimeToNanos(UInt64 inHostTime) { return inHostTime; }
UInt64 AudioConvertNanosToHostTime(UInt64 inNanos) { return inNanos; }
