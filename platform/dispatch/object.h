#pragma once
// What every dispatch object offers: a reference count, a context pointer with an optional
// finalizer, and (for queues and sources) suspension.
#include <dispatch/base.h>

DISPATCH_EXPORT void dispatch_retain(dispatch_object_t object);
DISPATCH_EXPORT void dispatch_release(dispatch_object_t object);

DISPATCH_EXPORT void* dispatch_get_context(dispatch_object_t object);
DISPATCH_EXPORT void dispatch_set_context(dispatch_object_t object, void* context);
// Called with the context when the object goes away.
DISPATCH_EXPORT void dispatch_set_finalizer_f(dispatch_object_t object, dispatch_function_t finalizer);

// Suspension counts: a queue or source runs nothing new while suspended; every suspend needs
// one resume. A source starts suspended once.
DISPATCH_EXPORT void dispatch_suspend(dispatch_object_t object);
DISPATCH_EXPORT void dispatch_resume(dispatch_object_t object);

// Where a queue runs its blocks or a source its handlers (null: the default global queue).
DISPATCH_EXPORT void dispatch_set_target_queue(dispatch_object_t object, dispatch_queue_t queue);
