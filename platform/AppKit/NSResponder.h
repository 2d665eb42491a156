#pragma once
// The responder chain: a responder that does not handle an event passes it to its next
// responder (a view's superview, the content view's window), and the last one drops it.
#include <Foundation/NSObject.h>
#include <objc/WeakPtr.h>

#include <AppKit/AppKitDefines.h>

class NSEvent;

class APPKIT_CLASS NSResponder : public NSObject {
  OBJC_CLASS_DECL(NSResponder, NSObject)

 public:
  NSObject* init() override { return this; }

  // Not retained: the chain runs from children to the parents that own them.
  NSResponder* nextResponder() const { return mNextResponder.get().get(); }
  void setNextResponder(NSResponder* responder) { mNextResponder = responder; }

  virtual bool acceptsFirstResponder() { return false; }
  virtual bool becomeFirstResponder() { return true; }
  virtual bool resignFirstResponder() { return true; }

  virtual void mouseDown(NSEvent* event);
  virtual void mouseDragged(NSEvent* event);
  virtual void mouseUp(NSEvent* event);
  virtual void mouseMoved(NSEvent* event);
  virtual void rightMouseDown(NSEvent* event);
  virtual void rightMouseDragged(NSEvent* event);
  virtual void rightMouseUp(NSEvent* event);
  virtual void otherMouseDown(NSEvent* event);
  virtual void otherMouseUp(NSEvent* event);
  virtual void scrollWheel(NSEvent* event);
  virtual void keyDown(NSEvent* event);
  virtual void keyUp(NSEvent* event);
  virtual void flagsChanged(NSEvent* event);

 protected:
  NSResponder() = default;

 private:
  WeakPtr<NSResponder> mNextResponder;
};
