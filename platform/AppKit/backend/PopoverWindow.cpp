#include "backend/PopoverWindow.h"

#include <AppKit/NSApplication.h>
#include <AppKit/NSControl.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSPopover.h>
#include <Foundation/NSDate.h>

#include <cmath>

namespace AppKitBackend {

OBJC_CLASS_DEFINE(PopoverWindow)

namespace {

// How far the background is dragged before the popover comes off.
constexpr CGFloat kDetachThreshold = 8;

NSPoint screenLocationOf(NSEvent* event, NSWindow* fallback) {
  NSWindow* window = event->window() ? event->window() : fallback;
  return window->convertBaseToScreen(event->locationInWindow());
}

}  // namespace

void PopoverWindow::sendEvent(NSEvent* event) {
  RefPtr<PopoverWindow> self(this);
  RefPtr<NSPopover> popover = mPopover.get();
  NSView* content = contentView();
  if (!popover || !event || event->type() != NSEventTypeLeftMouseDown || !content) {
    NSPanel::sendEvent(event);
    return;
  }
  NSView* hit = content->hitTest(event->locationInWindow());
  if (hit && hit->isKindOfClass(NSControl::class_())) {
    NSPanel::sendEvent(event);
    return;
  }
  RefPtr<NSEvent> down(event);
  const NSPoint start = screenLocationOf(event, this);
  RefPtr<NSWindow> moving;
  NSPoint movingOrigin{};
  NSApplication* app = NSApplication::sharedApplication();
  while (NSEvent* next = app->nextEventMatchingMask_untilDate_inMode_dequeue(
             NSLeftMouseDraggedMask | NSLeftMouseUpMask, NSDate::distantFuture(), NSEventTrackingRunLoopMode,
             true)) {
    const NSPoint now = screenLocationOf(next, this);
    const NSPoint offset = NSMakePoint(now.x - start.x, now.y - start.y);
    if (next->type() == NSEventTypeLeftMouseUp) {
      if (!moving) {
        NSPanel::sendEvent(down.get());
        NSPanel::sendEvent(next);
      }
      return;
    }
    if (moving) {
      moving->setFrameOrigin(NSMakePoint(movingOrigin.x + offset.x, movingOrigin.y + offset.y));
    } else if (std::hypot(offset.x, offset.y) >= kDetachThreshold) {
      moving = RefPtr<NSWindow>(popover->detachWithOffset(offset));
      if (moving)
        movingOrigin = NSMakePoint(moving->frame().origin.x - offset.x, moving->frame().origin.y - offset.y);
    }
  }
}

}  // namespace AppKitBackend
