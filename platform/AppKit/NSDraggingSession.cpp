#include <AppKit/NSApplication.h>
#include <AppKit/NSDragging.h>
#include <AppKit/NSEvent.h>
#include <AppKit/NSPasteboard.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSDate.h>

#include <atomic>

OBJC_CLASS_DEFINE(NSDraggingSession)

namespace {

NSPoint screenLocationOf(NSEvent* event) {
  NSWindow* window = event->window();
  return window ? window->convertBaseToScreen(event->locationInWindow()) : event->locationInWindow();
}

NSDraggingDestination* destinationOf(NSView* view) { return dynamic_cast<NSDraggingDestination*>(view); }

}  // namespace

NSDraggingSession::~NSDraggingSession() = default;

NSDraggingSession* NSDraggingSession::initWithPasteboard_source(NSPasteboard* pasteboard, NSObject* source) {
  static std::atomic<NSInteger> sequence{0};
  mPasteboard = RefPtr<NSPasteboard>(pasteboard);
  mSource = source;
  mSequenceNumber = ++sequence;
  return this;
}

NSWindow* NSDraggingSession::draggingDestinationWindow() { return mWindow.get().get(); }

NSPasteboard* NSDraggingSession::draggingPasteboard() { return mPasteboard.get(); }

NSObject* NSDraggingSession::draggingSource() { return mSource.get().get(); }

NSDragOperation NSDraggingSession::draggingSourceOperationMask() {
  RefPtr<NSObject> source = mSource.get();
  auto* dragging = dynamic_cast<NSDraggingSource*>(source.get());
  NSDragOperation mask =
      dragging ? dragging->draggingSourceOperationMaskForLocal(true) : NSDragOperationEvery;
  if (mModifierFlags & NSEventModifierFlagOption) mask &= NSDragOperationCopy;
  return mask;
}

void NSDraggingSession::setDraggingLocation_inWindow(NSPoint location, NSWindow* window) {
  mLocation = location;
  mWindow = window;
}

NSView* NSDraggingSession::destinationAt(NSPoint screenPoint, NSWindow** found) {
  NSWindow* best = nullptr;
  for (NSObject* object : *NSApplication::sharedApplication()->windows()) {
    auto* window = static_cast<NSWindow*>(object);
    if (!window->isVisible() || !window->contentView() || !NSPointInRect(screenPoint, window->frame()))
      continue;
    // The highest level wins, then the window ordered in last.
    if (!best || window->level() >= best->level()) best = window;
  }
  *found = best;
  if (!best || !mPasteboard) return nullptr;
  NSView* view = best->contentView()->hitTest(best->convertScreenToBase(screenPoint));
  for (; view; view = view->superview()) {
    if (destinationOf(view) && mPasteboard->availableTypeFromArray(view->registeredDraggedTypes()))
      return view;
  }
  return nullptr;
}

void NSDraggingSession::moveTo(NSEvent* event) {
  const NSPoint screenPoint = screenLocationOf(event);
  mModifierFlags = event->modifierFlags();
  NSWindow* window = nullptr;
  RefPtr<NSView> destination(destinationAt(screenPoint, &window));
  mWindow = window;
  mLocation = window ? window->convertScreenToBase(screenPoint) : screenPoint;
  RefPtr<NSView> previous = mDestination.get();
  if (previous && previous != destination) destinationOf(previous.get())->draggingExited(this);
  mDestination = destination.get();
  if (!destination) {
    mOperation = NSDragOperationNone;
    return;
  }
  NSDraggingDestination* target = destinationOf(destination.get());
  const NSDragOperation answer =
      previous == destination ? target->draggingUpdated(this) : target->draggingEntered(this);
  mOperation = answer & draggingSourceOperationMask();
}

NSDragOperation NSDraggingSession::runWithEvent(NSEvent* event) {
  if (!event) return NSDragOperationNone;
  RefPtr<NSDraggingSession> self(this);
  NSApplication* app = NSApplication::sharedApplication();
  NSPoint screenPoint = screenLocationOf(event);
  moveTo(event);
  bool released = false;
  while (NSEvent* next = app->nextEventMatchingMask_untilDate_inMode_dequeue(
             NSLeftMouseDraggedMask | NSLeftMouseUpMask, NSDate::distantFuture(), NSEventTrackingRunLoopMode,
             true)) {
    screenPoint = screenLocationOf(next);
    moveTo(next);
    if (next->type() == NSEventTypeLeftMouseUp) {
      released = true;
      break;
    }
  }
  RefPtr<NSView> destination = mDestination.get();
  NSDragOperation done = NSDragOperationNone;
  if (destination) {
    NSDraggingDestination* target = destinationOf(destination.get());
    if (released && mOperation != NSDragOperationNone && target->prepareForDragOperation(this) &&
        target->performDragOperation(this)) {
      target->concludeDragOperation(this);
      done = mOperation;
    } else {
      target->draggingExited(this);
    }
  }
  mDestination = nullptr;
  RefPtr<NSObject> source = mSource.get();
  if (auto* dragging = dynamic_cast<NSDraggingSource*>(source.get())) {
    dragging->draggedImage_endedAt_operation(nullptr, screenPoint, done);
  }
  return done;
}
