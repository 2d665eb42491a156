#pragma once
// Counting semaphores.
#include <dispatch/dispatch_time.h>
#include <dispatch/object.h>

// Null for a negative value.
DISPATCH_EXPORT dispatch_semaphore_t dispatch_semaphore_create(long value);
// 0 when the count was taken, non-zero when `timeout` passed first.
DISPATCH_EXPORT long dispatch_semaphore_wait(dispatch_semaphore_t semaphore, dispatch_time_t timeout);
// Non-zero when a waiting thread was woken.
DISPATCH_EXPORT long dispatch_semaphore_signal(dispatch_semaphore_t semaphore);
