#pragma once
// What the main run loop needs to drain the main queue: a descriptor that is readable while
// the main queue has blocks to run, and the call that runs them (on the main thread).
#include <dispatch/base.h>

DISPATCH_EXPORT int _dispatch_get_main_queue_port_4CF(void);
DISPATCH_EXPORT void _dispatch_main_queue_callback_4CF(void);
