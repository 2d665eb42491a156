#pragma once
// Dragging inside this process. A drag carries a pasteboard from a source to the view under
// the pointer that has registered for one of the pasteboard's types (registerForDraggedTypes);
// that view answers, as a NSDraggingDestination, the operation it would do, and performs the
// drop when the button comes up over it. The operations offered are the source's mask
// (draggingSourceOperationMaskForLocal); with the option key held only copy is offered.
#include <Foundation/NSObject.h>
#include <objc/WeakPtr.h>

#include <AppKit/AppKitDefines.h>
#include <AppKit/NSGeometry.h>

class NSEvent;
class NSImage;
class NSPasteboard;
class NSView;
class NSWindow;

typedef NSUInteger NSDragOperation;
enum : NSUInteger {
  NSDragOperationNone = 0,
  NSDragOperationCopy = 1,
  NSDragOperationLink = 2,
  NSDragOperationGeneric = 4,
  NSDragOperationPrivate = 8,
  NSDragOperationMove = 16,
  NSDragOperationDelete = 32,
  NSDragOperationEvery = ~0UL,
};

// What a destination learns of a drag.
class APPKIT_CLASS NSDraggingInfo {
 public:
  virtual NSWindow* draggingDestinationWindow() = 0;
  virtual NSDragOperation draggingSourceOperationMask() = 0;
  // In the destination window's base coordinates.
  virtual NSPoint draggingLocation() = 0;
  virtual NSPasteboard* draggingPasteboard() = 0;
  // The source object when the drag started in this application; null otherwise.
  virtual NSObject* draggingSource() = 0;
  virtual NSInteger draggingSequenceNumber() = 0;

 protected:
  ~NSDraggingInfo() = default;
};

// The optional methods of a view that takes drops.
class APPKIT_CLASS NSDraggingDestination {
 public:
  virtual NSDragOperation draggingEntered(NSDraggingInfo* sender) { return NSDragOperationNone; }
  virtual NSDragOperation draggingUpdated(NSDraggingInfo* sender) { return draggingEntered(sender); }
  virtual void draggingExited(NSDraggingInfo* sender) {}
  virtual bool prepareForDragOperation(NSDraggingInfo* sender) { return true; }
  virtual bool performDragOperation(NSDraggingInfo* sender) { return false; }
  virtual void concludeDragOperation(NSDraggingInfo* sender) {}

 protected:
  ~NSDraggingDestination() = default;
};

// The optional methods of an object that starts drags.
class APPKIT_CLASS NSDraggingSource {
 public:
  virtual NSDragOperation draggingSourceOperationMaskForLocal(bool isLocal) { return NSDragOperationEvery; }
  virtual void draggedImage_endedAt_operation(NSImage* image, NSPoint screenPoint,
                                              NSDragOperation operation) {}

 protected:
  ~NSDraggingSource() = default;
};

// One drag: its pasteboard, source and operations, and where it is. A drag started with
// runWithEvent follows the application's mouse events until the button comes up; a
// session may also be made by hand and handed to a destination.
class APPKIT_CLASS NSDraggingSession : public NSObject, public NSDraggingInfo {
  OBJC_CLASS_DECL(NSDraggingSession, NSObject)

 public:
  NSDraggingSession* initWithPasteboard_source(NSPasteboard* pasteboard, NSObject* source);

  NSWindow* draggingDestinationWindow() override;
  // The source's local mask, only copy while the option key is held.
  NSDragOperation draggingSourceOperationMask() override;
  NSPoint draggingLocation() override { return mLocation; }
  NSPasteboard* draggingPasteboard() override;
  NSObject* draggingSource() override;
  NSInteger draggingSequenceNumber() override { return mSequenceNumber; }

  void setDraggingLocation_inWindow(NSPoint location, NSWindow* window);
  void setModifierFlags(NSUInteger flags) { mModifierFlags = flags; }

  // Follows the drag from the mouse-down event until the button comes up (or no event comes):
  // answers the operation done, NSDragOperationNone when nobody took the drop.
  NSDragOperation runWithEvent(NSEvent* event);

 protected:
  NSDraggingSession() = default;
  ~NSDraggingSession() override;

 private:
  // The view under the screen point that takes one of the pasteboard's types.
  NSView* destinationAt(NSPoint screenPoint, NSWindow** window);
  void moveTo(NSEvent* event);

  RefPtr<NSPasteboard> mPasteboard;
  WeakPtr<NSObject> mSource;
  WeakPtr<NSWindow> mWindow;
  WeakPtr<NSView> mDestination;
  NSPoint mLocation{};
  NSUInteger mModifierFlags = 0;
  NSDragOperation mOperation = NSDragOperationNone;
  NSInteger mSequenceNumber = 0;
};
