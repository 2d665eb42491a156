#include "NSTimer_NSOGLRenderTimer.h"

#include <AppKit/NSApplication.h>
#include <Foundation/NSRunLoop.h>

#include <cmath>

namespace NSOGLRenderTimer {

NSTimer* renderTimerWithFPS_target_selector(double framesPerSecond, NSObject* target, SEL selector) {
  // A rate of 0, below 0 or not a number has no interval: such a timer would fire without end.
  if (!(framesPerSecond > 0) || !std::isfinite(framesPerSecond)) return nullptr;
  NSTimer* timer = NSTimer::timerWithTimeInterval_target_selector_userInfo_repeats(
      1.0 / framesPerSecond, target, selector, nullptr, true);
  if (!timer) return nullptr;
  timer->retain();
  NSRunLoop* runLoop = NSRunLoop::currentRunLoop();
  runLoop->addTimer_forMode(timer, NSDefaultRunLoopMode);
  runLoop->addTimer_forMode(timer, NSModalPanelRunLoopMode);
  runLoop->addTimer_forMode(timer, NSEventTrackingRunLoopMode);
  return timer;
}

}  // namespace NSOGLRenderTimer
