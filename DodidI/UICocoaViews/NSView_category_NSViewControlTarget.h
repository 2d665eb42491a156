#pragma once
// Any view that has a target and an action (a control) sends its action with an object: at
// once on the calling thread, or queued on the main thread (from any thread).
#include <AppKit/NSView.h>

int import_category_NSViewControlTarget();

namespace category_NSViewControlTarget {

// A view that is no control does nothing; a missing target or action is reported and
// nothing is sent.
void targetActionWithObject_waitUntilDone(NSView* view, NSObject* object, bool wait);
void performTargetActionWithObject(NSView* view, NSObject* object);
void queueTargetActionWithObject(NSView* view, NSObject* object);

}  // namespace category_NSViewControlTarget
