#pragma once
// A frame-rate timer (the category NSTimer(NSOGLRenderTimer)): it keeps firing while modal
// panels run and while the user resizes windows.
#include <Foundation/NSTimer.h>
#include <objc/Selector.h>

namespace NSOGLRenderTimer {

// A repeating timer of 1/fps seconds sending the selector to the target, on the current run
// loop in the default, modal-panel and event-tracking modes; the caller owns the reference
// answered (+1). No timer (null) for a rate that is not above 0.
NSTimer* renderTimerWithFPS_target_selector(double framesPerSecond, NSObject* target, SEL selector);

}  // namespace NSOGLRenderTimer
