#include "NSUITargetActionView.h"

#include <objc/MethodTable.h>

int import_NSUITargetActionView() { return 1; }

OBJC_CLASS_DEFINE(NSUITargetActionView)
OBJC_METHODS(NSUITargetActionView,
             OBJC_METHOD("updateViewControlsPerformAction:", &NSUITargetActionView::updateViewControlsPerformAction),
             OBJC_METHOD("updateViewControlsQueueAction:", &NSUITargetActionView::updateViewControlsQueueAction))

NSView* NSUITargetActionView::initWithFrame(NSRect frame) {
  if (!NSControl::initWithFrame(frame)) return nullptr;
  mTarget = nullptr;
  mAction = nullptr;
  return initTargetActionView();
}

NSObject* NSUITargetActionView::initWithCoder(NSCoder* coder) {
  if (!NSControl::initWithCoder(coder)) return nullptr;
  mTarget = nullptr;
  mAction = nullptr;
  return initTargetActionView();
}

void NSUITargetActionView::performTargetActionWithObject_waitUntilDone(NSObject* object, bool wait) {
  RefPtr<NSObject> target(this->target());
  SEL action = this->action();
  if (!target || !action) return;
  if (wait) {
    target->performSelector_withObject(action, object);
  } else {
    target->performSelectorOnMainThread_withObject_waitUntilDone(action, object, false);
  }
}

void NSUITargetActionView::updateViewControlsPerformAction(NSObject* sender) {
  updateViewControls();
  performTargetActionWithObject(sender);
}

void NSUITargetActionView::updateViewControlsQueueAction(NSObject* sender) {
  updateViewControls();
  queueTargetActionWithObject(sender);
}
