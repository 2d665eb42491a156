#pragma once
// The machine's displays. On Linux a display is a RandR monitor of the X server named by
// DISPLAY; its id is the monitor's name atom, which the server keeps for as long as it runs.
// Without an X server there are no displays.
#include <CoreGraphics/CGBase.h>
#include <CoreGraphics/CGGeometry.h>

typedef uint32_t CGDirectDisplayID;
enum : CGDirectDisplayID { kCGNullDirectDisplay = 0 };

typedef int32_t CGError;
enum : CGError {
  kCGErrorSuccess = 0,
  kCGErrorFailure = 1000,
  kCGErrorIllegalArgument = 1001,
  kCGErrorInvalidConnection = 1002,
  kCGErrorCannotComplete = 1004,
  kCGErrorNoneAvailable = 1011,
};

// The active displays, the main display first; at most maxDisplays ids go into activeDisplays,
// displayCount gets how many were written (or, with a null array, how many there are).
// kCGErrorInvalidConnection when there is no X server.
CG_EXTERN CGError CGGetActiveDisplayList(uint32_t maxDisplays, CGDirectDisplayID* activeDisplays,
                                         uint32_t* displayCount);
// The primary monitor, else the first; kCGNullDirectDisplay when there is none.
CG_EXTERN CGDirectDisplayID CGMainDisplayID(void);
// The display's rectangle in the screen's pixels (origin top left); CGRectZero when unknown.
CG_EXTERN CGRect CGDisplayBounds(CGDirectDisplayID display);
CG_EXTERN size_t CGDisplayPixelsWide(CGDirectDisplayID display);
CG_EXTERN size_t CGDisplayPixelsHigh(CGDirectDisplayID display);
