#pragma once
// Stream clocks: a stream posts the presentation time of each frame with the host time it was
// made at, so that clients can relate the two.
#include <CoreFoundation/CFString.h>
#include <CoreMedia/CMTime.h>

#include <CoreMediaIO/CMIOHardwareObject.h>

// A new clock (+1, a CF object) in *clock. kCMIOHardwareIllegalOperationError when `clock`
// is null.
CF_EXPORT OSStatus CMIOStreamClockCreate(CFAllocatorRef allocator, CFStringRef clockName, const void* sourceIdentifier,
                                         CMTime getTimeCallMinimumInterval, UInt32 numberOfEventsForRateSmoothing,
                                         UInt32 numberOfAveragesForRateSmoothing, CFTypeRef* clock);
// Records that the frame of `eventTime` was made at `hostTime`. An invalid time, an unknown or
// invalidated clock is refused with kCMIOHardwareIllegalOperationError.
CF_EXPORT OSStatus CMIOStreamClockPostTimingEvent(CMTime eventTime, UInt64 hostTime, Boolean resynchronize,
                                                  CFTypeRef clock);
// Ends the clock's life as a time source; later events are refused.
CF_EXPORT OSStatus CMIOStreamClockInvalidate(CFTypeRef clock);
