#pragma once
// Display links: a thread that calls back once for every refresh of a display, with the time
// of the refresh and of the frame that is to be shown next.
//
// A display refreshes at 60 Hz here. A link stays on its display until told otherwise; with
// no display at all (no X server) a link still runs, on display 0. Stopping a link from
// another thread waits until a callback that is running has returned, so that whatever the
// callback uses may go once the stop returns; stopping from inside the callback only ends the
// ticks after it.
#include <CoreFoundation/CFBase.h>
#include <CoreGraphics/CGDisplay.h>
#include <CoreVideo/CVBase.h>
#include <CoreVideo/CVReturn.h>
#include <OpenGL/CGLTypes.h>

typedef struct __CVDisplayLink* CVDisplayLinkRef;

// Called on the link's thread; inNow is the refresh now, inOutputTime the one that the frame
// drawn in this call is shown at.
typedef CVReturn (*CVDisplayLinkOutputCallback)(CVDisplayLinkRef displayLink, const CVTimeStamp* inNow,
                                                const CVTimeStamp* inOutputTime, CVOptionFlags flagsIn,
                                                CVOptionFlags* flagsOut, void* displayLinkContext);

CF_EXPORT CFTypeID CVDisplayLinkGetTypeID(void);
// A new (+1) link on the main display.
CF_EXPORT CVReturn CVDisplayLinkCreateWithActiveCGDisplays(CVDisplayLinkRef* displayLinkOut);
// A new (+1) link on a display; kCVReturnInvalidDisplay for a display that is not active.
CF_EXPORT CVReturn CVDisplayLinkCreateWithCGDisplay(CGDirectDisplayID displayID,
                                                    CVDisplayLinkRef* displayLinkOut);
CF_EXPORT CVDisplayLinkRef CVDisplayLinkRetain(CVDisplayLinkRef displayLink);
// The last release stops the link.
CF_EXPORT void CVDisplayLinkRelease(CVDisplayLinkRef displayLink);

CF_EXPORT CVReturn CVDisplayLinkSetOutputCallback(CVDisplayLinkRef displayLink,
                                                  CVDisplayLinkOutputCallback callback, void* userInfo);
// kCVReturnDisplayLinkCallbacksNotSet without a callback; starting a running link changes nothing.
CF_EXPORT CVReturn CVDisplayLinkStart(CVDisplayLinkRef displayLink);
CF_EXPORT CVReturn CVDisplayLinkStop(CVDisplayLinkRef displayLink);
CF_EXPORT Boolean CVDisplayLinkIsRunning(CVDisplayLinkRef displayLink);

CF_EXPORT CVReturn CVDisplayLinkSetCurrentCGDisplay(CVDisplayLinkRef displayLink,
                                                    CGDirectDisplayID displayID);
CF_EXPORT CGDirectDisplayID CVDisplayLinkGetCurrentCGDisplay(CVDisplayLinkRef displayLink);
// The display a context draws on: the main display (every context may draw on it).
CF_EXPORT CVReturn CVDisplayLinkSetCurrentCGDisplayFromOpenGLContext(CVDisplayLinkRef displayLink,
                                                                     CGLContextObj cglContext,
                                                                     CGLPixelFormatObj cglPixelFormat);
CF_EXPORT CVTime CVDisplayLinkGetNominalOutputVideoRefreshPeriod(CVDisplayLinkRef displayLink);
CF_EXPORT CVReturn CVDisplayLinkGetCurrentTime(CVDisplayLinkRef displayLink, CVTimeStamp* outTime);

// For tests: with manual ticks on, links started from then on run no thread; each
// _CVDisplayLinkTick calls a running link's callback once, on the calling thread, for the
// refresh at hostTime (kCVReturnDisplayLinkNotRunning when the link is stopped).
CF_EXPORT void _CVDisplayLinkSetManualTicks(Boolean manual);
CF_EXPORT CVReturn _CVDisplayLinkTick(CVDisplayLinkRef displayLink, uint64_t hostTime);
