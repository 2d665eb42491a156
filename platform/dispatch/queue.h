#pragma once
// Queues: serial queues run their blocks one at a time in the order given, concurrent queues
// run them side by side (barriers alone), global queues are shared concurrent queues by
// priority, and the main queue runs its blocks on the main thread while that thread runs
// dispatch_main() or its run loop.
#include <dispatch/dispatch_time.h>
#include <dispatch/object.h>

typedef const struct dispatch_queue_attr_s* dispatch_queue_attr_t;
DISPATCH_EXPORT const struct dispatch_queue_attr_s _dispatch_queue_attr_concurrent;
#define DISPATCH_QUEUE_SERIAL (static_cast<dispatch_queue_attr_t>(nullptr))
#define DISPATCH_QUEUE_CONCURRENT (&_dispatch_queue_attr_concurrent)

// Global queue identifiers: the priorities, or the quality-of-service classes mapped onto them.
#define DISPATCH_QUEUE_PRIORITY_HIGH 2
#define DISPATCH_QUEUE_PRIORITY_DEFAULT 0
#define DISPATCH_QUEUE_PRIORITY_LOW (-2)
#define DISPATCH_QUEUE_PRIORITY_BACKGROUND (-32768)

typedef unsigned int qos_class_t;
enum : qos_class_t {
  QOS_CLASS_USER_INTERACTIVE = 0x21,
  QOS_CLASS_USER_INITIATED = 0x19,
  QOS_CLASS_DEFAULT = 0x15,
  QOS_CLASS_UTILITY = 0x11,
  QOS_CLASS_BACKGROUND = 0x09,
  QOS_CLASS_UNSPECIFIED = 0x00,
};

// dispatch_queue_get_label(DISPATCH_CURRENT_QUEUE_LABEL) names the queue running the caller.
#define DISPATCH_CURRENT_QUEUE_LABEL (static_cast<dispatch_queue_t>(nullptr))
#define DISPATCH_APPLY_AUTO (static_cast<dispatch_queue_t>(nullptr))

DISPATCH_EXPORT dispatch_queue_t dispatch_queue_create(const char* label, dispatch_queue_attr_t attr);
DISPATCH_EXPORT dispatch_queue_t dispatch_get_global_queue(long identifier, unsigned long flags);
DISPATCH_EXPORT dispatch_queue_t dispatch_get_main_queue(void);
// The queue whose block is running on this thread; the main queue on the main thread outside
// any block, the default global queue on other threads.
DISPATCH_EXPORT dispatch_queue_t dispatch_get_current_queue(void);
// The label text lives as long as the queue; the same queue always gives the same pointer.
DISPATCH_EXPORT const char* dispatch_queue_get_label(dispatch_queue_t queue);

DISPATCH_EXPORT void dispatch_async(dispatch_queue_t queue, dispatch_block_t block);
DISPATCH_EXPORT void dispatch_async_f(dispatch_queue_t queue, void* context, dispatch_function_t work);
// Waits until the block has run on the queue. Calling it for the queue that runs the caller
// (or one it targets) waits for ever.
DISPATCH_EXPORT void dispatch_sync(dispatch_queue_t queue, dispatch_block_t block);
DISPATCH_EXPORT void dispatch_sync_f(dispatch_queue_t queue, void* context, dispatch_function_t work);
DISPATCH_EXPORT void dispatch_after(dispatch_time_t when, dispatch_queue_t queue, dispatch_block_t block);
DISPATCH_EXPORT void dispatch_after_f(dispatch_time_t when, dispatch_queue_t queue, void* context,
                                      dispatch_function_t work);
// On a concurrent queue a barrier block runs alone, after the blocks before it and before
// the blocks after it; on a serial queue it is an ordinary block.
DISPATCH_EXPORT void dispatch_barrier_async(dispatch_queue_t queue, dispatch_block_t block);
DISPATCH_EXPORT void dispatch_barrier_async_f(dispatch_queue_t queue, void* context,
                                              dispatch_function_t work);
DISPATCH_EXPORT void dispatch_barrier_sync(dispatch_queue_t queue, dispatch_block_t block);
DISPATCH_EXPORT void dispatch_barrier_sync_f(dispatch_queue_t queue, void* context, dispatch_function_t work);
// Runs block(0) ... block(iterations - 1), side by side on a concurrent queue, and returns
// when all have run.
DISPATCH_EXPORT void dispatch_apply(size_t iterations, dispatch_queue_t queue,
                                    const std::function<void(size_t)>& block);
DISPATCH_EXPORT void dispatch_apply_f(size_t iterations, dispatch_queue_t queue, void* context,
                                      void (*work)(void* context, size_t iteration));

// Values kept on a queue under a key; dispatch_get_specific looks on the current queue and
// then on the queues it targets.
DISPATCH_EXPORT void dispatch_queue_set_specific(dispatch_queue_t queue, const void* key, void* context,
                                                 dispatch_function_t destructor);
DISPATCH_EXPORT void* dispatch_queue_get_specific(dispatch_queue_t queue, const void* key);
DISPATCH_EXPORT void* dispatch_get_specific(const void* key);

// Runs the main queue on the main thread; never returns.
DISPATCH_EXPORT void dispatch_main(void) __attribute__((noreturn));
