#include <AppKit/NSResponder.h>

OBJC_CLASS_DEFINE(NSResponder)

#define FORWARD_TO_NEXT_RESPONDER(method)                                         \
  void NSResponder::method(NSEvent* event) {                                     \
    if (RefPtr<NSResponder> next = mNextResponder.get()) next->method(event);    \
  }

FORWARD_TO_NEXT_RESPONDER(mouseDown)
FORWARD_TO_NEXT_RESPONDER(mouseDragged)
FORWARD_TO_NEXT_RESPONDER(mouseUp)
FORWARD_TO_NEXT_RESPONDER(mouseMoved)
FORWARD_TO_NEXT_RESPONDER(rightMouseDown)
FORWARD_TO_NEXT_RESPONDER(rightMouseDragged)
FORWARD_TO_NEXT_RESPONDER(rightMouseUp)
FORWARD_TO_NEXT_RESPONDER(otherMouseDown)
FORWARD_TO_NEXT_RESPONDER(otherMouseUp)
FORWARD_TO_NEXT_RESPONDER(scrollWheel)
FORWARD_TO_NEXT_RESPONDER(keyDown)
FORWARD_TO_NEXT_RESPONDER(keyUp)
FORWARD_TO_NEXT_RESPONDER(flagsChanged)
