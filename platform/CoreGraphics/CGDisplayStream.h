#pragma once
// Display streams: a display's pixels delivered as frames. The stream reads the display at
// most once per minimum frame time, scales the picture into surfaces of the output size from
// a small pool and hands each to the handler on the stream's queue:
// - FrameComplete with a surface when the display changed since the last frame;
// - FrameIdle without one when it did not;
// - FrameBlank without one when the display cannot be read (it went away);
// - Stopped, once, after CGDisplayStreamStop.
// A surface is the stream's again as soon as the handler returns, unless the handler raised
// its use count (IOSurfaceIncrementUseCount): the pool never writes a surface in use.
#include <functional>

#include <CoreFoundation/CFDictionary.h>
#include <CoreGraphics/CGDisplay.h>
#include <IOSurface/IOSurfaceRef.h>
#include <dispatch/dispatch.h>

typedef struct CGDisplayStream* CGDisplayStreamRef;
typedef const struct CGDisplayStreamUpdate* CGDisplayStreamUpdateRef;

typedef int32_t CGDisplayStreamFrameStatus;
enum : CGDisplayStreamFrameStatus {
  kCGDisplayStreamFrameStatusFrameComplete = 0,
  kCGDisplayStreamFrameStatusFrameIdle = 1,
  kCGDisplayStreamFrameStatusFrameBlank = 2,
  kCGDisplayStreamFrameStatusStopped = 3,
};

// displayTime is the host time (mach_absolute_time) at which the display was read. Update
// records are not kept: updateRef is always null.
typedef std::function<void(CGDisplayStreamFrameStatus status, uint64_t displayTime, IOSurfaceRef frameSurface,
                           CGDisplayStreamUpdateRef updateRef)>
    CGDisplayStreamFrameAvailableHandler;

// Properties: whether the picture keeps its proportions inside the output size, with black
// bars (CFBoolean, true when absent), and the shortest time between two frames (CFNumber, in
// seconds; 1/30 when absent).
CG_EXTERN const CFStringRef kCGDisplayStreamPreserveAspectRatio;
CG_EXTERN const CFStringRef kCGDisplayStreamMinimumFrameTime;

CG_EXTERN CFTypeID CGDisplayStreamGetTypeID(void);
// A new stream (the caller releases it), or null for an unknown display, an output size of 0,
// a pixel format other than 'BGRA', a missing queue or handler, or no X server.
CG_EXTERN CGDisplayStreamRef CGDisplayStreamCreateWithDispatchQueue(CGDirectDisplayID display, size_t outputWidth,
                                                                    size_t outputHeight, int32_t pixelFormat,
                                                                    CFDictionaryRef properties,
                                                                    dispatch_queue_t queue,
                                                                    CGDisplayStreamFrameAvailableHandler handler);
// Starting a running stream and stopping a stopped one change nothing. A running stream
// lives until it is stopped, even when its creator released it.
CG_EXTERN CGError CGDisplayStreamStart(CGDisplayStreamRef displayStream);
CG_EXTERN CGError CGDisplayStreamStop(CGDisplayStreamRef displayStream);
