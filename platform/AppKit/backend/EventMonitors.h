#pragma once
// The local event monitors of NSEvent, run by NSApplication::sendEvent before an event goes
// to its window (inner workings of AppKit).
#include <objc/RefPtr.h>

class NSEvent;

namespace AppKitBackend {

// The event to send on (possibly another one), or null when a monitor swallowed it.
RefPtr<NSEvent> runLocalEventMonitors(NSEvent* event);

}  // namespace AppKitBackend
