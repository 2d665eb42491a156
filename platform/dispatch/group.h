#pragma once
// Groups: count blocks in flight, wait for them or be told when they are all done.
#include <dispatch/dispatch_time.h>
#include <dispatch/object.h>

DISPATCH_EXPORT dispatch_group_t dispatch_group_create(void);
DISPATCH_EXPORT void dispatch_group_enter(dispatch_group_t group);
DISPATCH_EXPORT void dispatch_group_leave(dispatch_group_t group);
DISPATCH_EXPORT void dispatch_group_async(dispatch_group_t group, dispatch_queue_t queue,
                                          dispatch_block_t block);
DISPATCH_EXPORT void dispatch_group_async_f(dispatch_group_t group, dispatch_queue_t queue, void* context,
                                            dispatch_function_t work);
// 0 when the group emptied before `timeout`, non-zero when the time ran out.
DISPATCH_EXPORT long dispatch_group_wait(dispatch_group_t group, dispatch_time_t timeout);
DISPATCH_EXPORT void dispatch_group_notify(dispatch_group_t group, dispatch_queue_t queue,
                                           dispatch_block_t block);
DISPATCH_EXPORT void dispatch_group_notify_f(dispatch_group_t group, dispatch_queue_t queue, void* context,
                                             dispatch_function_t work);
