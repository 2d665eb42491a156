#pragma once
// Event sources: timers, readable file descriptors and added data. A source is created
// suspended; its handlers run on its target queue, one at a time. Cancelling stops the
// events and runs the cancel handler once, after any running event handler.
#include <dispatch/dispatch_time.h>
#include <dispatch/object.h>

typedef const struct dispatch_source_type_s* dispatch_source_type_t;
DISPATCH_EXPORT const struct dispatch_source_type_s _dispatch_source_type_timer;
DISPATCH_EXPORT const struct dispatch_source_type_s _dispatch_source_type_read;
DISPATCH_EXPORT const struct dispatch_source_type_s _dispatch_source_type_data_add;
#define DISPATCH_SOURCE_TYPE_TIMER (&_dispatch_source_type_timer)
#define DISPATCH_SOURCE_TYPE_READ (&_dispatch_source_type_read)
#define DISPATCH_SOURCE_TYPE_DATA_ADD (&_dispatch_source_type_data_add)

// `handle` is the file descriptor of a read source (unused otherwise); `queue` null means the
// default global queue. Answers null for an unknown type or a negative descriptor.
DISPATCH_EXPORT dispatch_source_t dispatch_source_create(dispatch_source_type_t type, uintptr_t handle,
                                                         unsigned long mask, dispatch_queue_t queue);
DISPATCH_EXPORT void dispatch_source_set_event_handler(dispatch_source_t source, dispatch_block_t handler);
// The _f handlers are called with the source's context.
DISPATCH_EXPORT void dispatch_source_set_event_handler_f(dispatch_source_t source,
                                                         dispatch_function_t handler);
DISPATCH_EXPORT void dispatch_source_set_cancel_handler(dispatch_source_t source, dispatch_block_t handler);
DISPATCH_EXPORT void dispatch_source_set_cancel_handler_f(dispatch_source_t source,
                                                          dispatch_function_t handler);
DISPATCH_EXPORT void dispatch_source_cancel(dispatch_source_t source);
DISPATCH_EXPORT long dispatch_source_testcancel(dispatch_source_t source);
DISPATCH_EXPORT uintptr_t dispatch_source_get_handle(dispatch_source_t source);
DISPATCH_EXPORT unsigned long dispatch_source_get_mask(dispatch_source_t source);
// Inside the event handler: timer fires since the last call, bytes readable, or data added.
DISPATCH_EXPORT unsigned long dispatch_source_get_data(dispatch_source_t source);
DISPATCH_EXPORT void dispatch_source_merge_data(dispatch_source_t source, unsigned long value);
// First fire at `start`, then every `interval` nanoseconds (DISPATCH_TIME_FOREVER or 0 for
// one fire). Late fires are merged into one call whose data counts them.
DISPATCH_EXPORT void dispatch_source_set_timer(dispatch_source_t source, dispatch_time_t start,
                                               uint64_t interval, uint64_t leeway);
