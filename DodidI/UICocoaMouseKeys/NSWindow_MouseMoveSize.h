#pragma once
// Moving and corner-resizing a window by mouse, for windows without title bar or resize
// handle: on a mouse-down the window runs a mouse capture (protocol_MouseCapture.h) that
// moves it with the drag, or resizes it from the corner where the drag began, keeping the
// dragged corner under the mouse and the size within the window's minSize and maxSize.
//
// A window class changes the behaviour by deriving from MouseMoveSize and overriding its
// hooks; the operations are the class's static functions, taking the window.
#include <cstdint>

#include <AppKit/NSEvent.h>
#include <AppKit/NSGeometry.h>

#include "protocol_MouseCapture.h"

class NSWindow;

int import_category_NSWindow_MouseMoveSize();

class MouseMoveSize {
 public:
  // The size a resize wants, as the window allows it (aspect ratio): unchanged by default.
  virtual NSSize windowMouseMoveSize_ConstrainAspectRatio(NSSize size) { return size; }
  // A click without movement.
  virtual void windowMouseMoveSize_SingleClick() {}
  // After each step of a move.
  virtual void windowMouseMoveSize_OnDragMoved() {}

  // The corner under the event: 1 top-left, 2 top-right, 3 bottom-left, 4 bottom-right (the
  // content view's bounds, corners of the given size, the first hit winning), else 0.
  static uint32_t windowMouseMoveSize_MouseHitTest_cornerSize(NSWindow* window, NSEvent* event, NSSize size);
  // A drag from the bottom-right 32 x 32 corner resizes, any other moves, and a move keeps the
  // window's top below the top of the main screen.
  static void windowMouseMoveSize_StandardBehaviour(NSWindow* window, NSEvent* mouseDown);
  // A drag that resizes from the given corner (1 to 4) or moves (any other region), free to
  // go above the top of the main screen.
  static void windowMouseMoveSize_FromHitRegion_inHitRegion(NSWindow* window, NSEvent* mouseDown, uint32_t region);

 protected:
  ~MouseMoveSize() = default;
};
