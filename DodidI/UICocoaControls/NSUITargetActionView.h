#pragma once
// A control drawn and driven by its own code rather than by a cell: it keeps its target (not
// retained) and action itself, lets subclasses bring their inner controls up to date first,
// and sends its action at once on the calling thread or queued on the main thread. Every
// initialiser runs initTargetActionView, the subclasses' hook. Target and action are not
// archived: from a nib they come only from the nib's connections.
#include <AppKit/NSControl.h>
#include <objc/WeakPtr.h>

int import_NSUITargetActionView();

class NSUITargetActionView : public NSControl {
  OBJC_CLASS_DECL(NSUITargetActionView, NSControl)

 public:
  NSObject* init() override { return initWithFrame(NSZeroRect); }
  NSView* initWithFrame(NSRect frame) override;
  NSObject* initWithCoder(NSCoder* coder) override;
  virtual NSView* initTargetActionView() { return this; }
  virtual void updateViewControls() {}
  bool acceptsFirstMouse(NSEvent*) override { return true; }

  NSObject* target() const override { return mTarget.get().get(); }
  void setTarget(NSObject* target) override { mTarget = target; }
  SEL action() const override { return mAction; }
  void setAction(SEL action) override { mAction = action; }

  void performTargetActionWithObject(NSObject* object) { performTargetActionWithObject_waitUntilDone(object, true); }
  void queueTargetActionWithObject(NSObject* object) { performTargetActionWithObject_waitUntilDone(object, false); }
  // Nothing without target or action; with wait the action runs now on this thread, without it
  // later on the main thread's run loop (also when this is the main thread).
  void performTargetActionWithObject_waitUntilDone(NSObject* object, bool wait);
  void updateViewControlsPerformAction(NSObject* sender);
  void updateViewControlsQueueAction(NSObject* sender);

 private:
  WeakPtr<NSObject> mTarget;
  SEL mAction = nullptr;
};
