#pragma once
// Host time as the audio system counts it: the ticks of mach_absolute_time (nanoseconds).
#include <CoreAudio/AudioHardware.h>

CA_EXPORT UInt64 AudioGetCurrentHostTime(void);
CA_EXPORT Float64 AudioGetHostClockFrequency(void);
CA_EXPORT UInt32 AudioGetHostClockMinimumTimeDelta(void);
CA_EXPORT UInt64 AudioConvertHostTimeToNanos(UInt64 inHostTime);
CA_EXPORT UInt64 AudioConvertNanosToHostTime(UInt64 inNanos);
