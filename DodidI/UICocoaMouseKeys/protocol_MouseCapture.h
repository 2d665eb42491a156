#pragma once
// A modal mouse capture: from a mouse-down until the button goes up, an object (a window or
// a view) follows the drag through hooks that share one record. The loop reads the drag and
// up events of the window itself, so it runs inside the mouse-down handler on the main thread.
//
// An object takes part by deriving from protocol_MouseCapture and overriding the hooks; a
// window that does not gets the move-and-size hooks of MouseMoveSize (NSWindow_MouseMoveSize.h).
#include <cstdint>
#include <memory>

#include <AppKit/NSEvent.h>
#include <AppKit/NSGeometry.h>

class NSView;
class NSWindow;

int import_protocol_MouseCapture();

struct MouseCaptureRecord {
  // Shift was held at the mouse-down: no move hooks are sent.
  bool shiftCapture;
  // Set just before an idle hook when the queued events have been consumed (not in Shift capture).
  bool idleAfterEvents;
  NSPoint downLocation;
  NSPoint location;
  NSPoint shiftDownLocation;
  NSPoint shiftLocation;
  // The event being handled (the mouse-down at the start); borrowed for the hook's length.
  NSEvent* event;
  // 0 none, 1 top-left, 2 top-right, 3 bottom-left, 4 bottom-right.
  uint32_t hitRegion;
  NSPoint dragOffset;
  NSRect startFrame;
  // 0 idle, 1 move, 2 size from top-left, 3 from top-right, 4 from bottom-right, 5 from bottom-left.
  uint32_t mode;
  // A moved window may go above the top of the main screen.
  bool unconstrainedMove;
};

class protocol_MouseCapture {
 public:
  virtual void mouseCaptureBegin(MouseCaptureRecord* record) {}
  virtual void mouseCaptureMove(MouseCaptureRecord* record) {}
  virtual void mouseCaptureIdle(MouseCaptureRecord* record) {}
  virtual void mouseCaptureUp(MouseCaptureRecord* record) {}
  virtual void mouseCaptureEnd(MouseCaptureRecord* record) {}

  // The record for an event: the event, both flags NO, the four points zero; the rest as given.
  static MouseCaptureRecord prepareRecord(NSEvent* event);
  // The location of the record's event: on screen for a window, in the view's coordinates for
  // a view, (0, 0) for anything else.
  static NSPoint mouseCaptureLocation(NSObject* self, const MouseCaptureRecord* record);
  static NSPoint mouseCaptureScreenLocation(NSWindow* window, NSEvent* event);
  static NSPoint mouseCaptureWindowLocation(NSView* view, NSEvent* event);
  // Runs the capture of self (a window, or a view in a window) until the mouse goes up; returns
  // at once, without hooks, for anything else. A wait that ends without an event (see
  // NSApplication) ends the capture as a mouse-up would.
  static void protocol_MouseCaptureEventLoop(NSObject* self, MouseCaptureRecord* record);

 public:
  virtual ~protocol_MouseCapture() = default;
};

// The hooks of a window that does not derive from protocol_MouseCapture, for one capture
// (NSWindow_MouseMoveSize.cpp).
std::unique_ptr<protocol_MouseCapture> NSWindow_protocol_MouseCapturePrivate(NSWindow* window);
