#include "NSView_category_NSViewControlTarget.h"

#include <AppKit/NSControl.h>
#include <Foundation/NSBridging.h>

#include "CoreMachDebug.h"

int import_category_NSViewControlTarget() { return 1; }

namespace category_NSViewControlTarget {

void targetActionWithObject_waitUntilDone(NSView* view, NSObject* object, bool wait) {
  auto* control = NSDynamicCast<NSControl>(view);
  if (!control) return;
  static const char* const kFunction = "-[NSView(category_NSViewControlTarget) targetActionWithObject:waitUntilDone:]";
  RefPtr<NSObject> target(control->target());
  SEL action = control->action();
  if (!target) {
    _CoreMachDebugVerifyBody(kFunction, __FILE__, __LINE__, "message_target");
    return;
  }
  if (!action) {
    _CoreMachDebugVerifyBody(kFunction, __FILE__, __LINE__, " code : message_action");
    return;
  }
  if (wait) {
    target->performSelector_withObject(action, object);
  } else {
    target->performSelectorOnMainThread_withObject_waitUntilDone(action, object, false);
  }
}

void performTargetActionWithObject(NSView* view, NSObject* object) { targetActionWithObject_waitUntilDone(view, object, true); }

void queueTargetActionWithObject(NSView* view, NSObject* object) { targetActionWithObject_waitUntilDone(view, object, false); }

}  // namespace category_NSViewControlTarget
