#include "protocol_MouseCapture.h"

#include <AppKit/NSApplication.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSDate.h>

int import_protocol_MouseCapture() { return 1; }

namespace {

constexpr unsigned long long kDragOrUpMask = NSLeftMouseUpMask | NSLeftMouseDraggedMask;

// The hooks of self: its own, a window's move and size, or none.
protocol_MouseCapture& hooksOf(NSObject* self, NSWindow* window, std::unique_ptr<protocol_MouseCapture>& made) {
  if (auto* own = dynamic_cast<protocol_MouseCapture*>(self)) return *own;
  if (self == window) {
    made = NSWindow_protocol_MouseCapturePrivate(window);
  } else {
    made = std::make_unique<protocol_MouseCapture>();
  }
  return *made;
}

}  // namespace

MouseCaptureRecord protocol_MouseCapture::prepareRecord(NSEvent* event) {
  MouseCaptureRecord record{};
  record.event = event;
  record.shiftCapture = false;
  record.idleAfterEvents = false;
  return record;
}

NSPoint protocol_MouseCapture::mouseCaptureScreenLocation(NSWindow* window, NSEvent* event) {
  return window->convertBaseToScreen(event->locationInWindow());
}

NSPoint protocol_MouseCapture::mouseCaptureWindowLocation(NSView* view, NSEvent* event) {
  return view->convertPoint_fromView(event->locationInWindow(), nullptr);
}

NSPoint protocol_MouseCapture::mouseCaptureLocation(NSObject* self, const MouseCaptureRecord* record) {
  if (!record->event) return NSZeroPoint;
  if (auto* window = NSDynamicCast<NSWindow>(self)) return mouseCaptureScreenLocation(window, record->event);
  if (auto* view = NSDynamicCast<NSView>(self)) return mouseCaptureWindowLocation(view, record->event);
  return NSZeroPoint;
}

void protocol_MouseCapture::protocol_MouseCaptureEventLoop(NSObject* self, MouseCaptureRecord* record) {
  if (!self || !record) return;
  RefPtr<NSObject> keep(self);
  RefPtr<NSEvent> current(record->event);
  record->location = record->downLocation = mouseCaptureLocation(self, record);
  NSWindow* window = NSDynamicCast<NSWindow>(self);
  if (!window) {
    if (auto* view = NSDynamicCast<NSView>(self)) window = view->window();
  }
  if (!window) return;
  RefPtr<NSWindow> keepWindow(window);
  std::unique_ptr<protocol_MouseCapture> windowHooks;
  protocol_MouseCapture& hooks = hooksOf(self, window, windowHooks);
  if (current && (current->modifierFlags() & NSShiftKeyMask)) {
    record->shiftCapture = true;
    record->shiftDownLocation = record->shiftLocation = record->location;
  } else {
    record->shiftCapture = false;
  }
  hooks.mouseCaptureBegin(record);
  // The event the record names stays alive until the next one takes its place.
  RefPtr<NSEvent> handled;
  for (;;) {
    objc::AutoreleasePool pool;
    current = RefPtr<NSEvent>(window->nextEventMatchingMask_untilDate_inMode_dequeue(
        kDragOrUpMask, NSDate::distantFuture(), NSEventTrackingRunLoopMode, true));
    if (!current) {
      // No event came at all: end as at a mouse-up, so that no capture stays half done.
      record->event = nullptr;
      hooks.mouseCaptureUp(record);
      record->shiftCapture = false;
      hooks.mouseCaptureEnd(record);
      return;
    }
    while (current) {
      handled = current;
      record->event = current.get();
      record->idleAfterEvents = false;
      record->location = mouseCaptureLocation(self, record);
      if (!record->shiftCapture) hooks.mouseCaptureMove(record);
      if (current->type() == NSEventTypeLeftMouseUp) {
        hooks.mouseCaptureUp(record);
        record->shiftCapture = false;
        hooks.mouseCaptureEnd(record);
        record->event = nullptr;
        return;
      }
      current = RefPtr<NSEvent>(window->nextEventMatchingMask_untilDate_inMode_dequeue(
          kDragOrUpMask, NSDate::distantPast(), NSDefaultRunLoopMode, true));
    }
    if (record->shiftCapture) {
      record->shiftLocation = record->location;
    } else {
      record->idleAfterEvents = true;
    }
    hooks.mouseCaptureIdle(record);
  }
}
