#pragma once
// A fixed-capacity queue of pointers. It holds its elements without retaining them: what is
// enqueued belongs to the queue until someone dequeues it.
#include <CoreMedia/CMBase.h>

typedef struct opaqueCMSimpleQueue* CMSimpleQueueRef;

enum : OSStatus {
  kCMSimpleQueueError_AllocationFailed = -12770,
  kCMSimpleQueueError_RequiredParameterMissing = -12771,
  kCMSimpleQueueError_ParameterOutOfRange = -12772,
  kCMSimpleQueueError_QueueIsFull = -12773,
};

CF_EXPORT CFTypeID CMSimpleQueueGetTypeID(void);
CF_EXPORT OSStatus CMSimpleQueueCreate(CFAllocatorRef allocator, int32_t capacity,
                                       CMSimpleQueueRef* queueOut);
CF_EXPORT OSStatus CMSimpleQueueEnqueue(CMSimpleQueueRef queue, const void* element);
// The oldest element, now the caller's; null when the queue is empty.
CF_EXPORT const void* CMSimpleQueueDequeue(CMSimpleQueueRef queue);
CF_EXPORT const void* CMSimpleQueueGetHead(CMSimpleQueueRef queue);
// Forgets every element (without releasing anything).
CF_EXPORT OSStatus CMSimpleQueueReset(CMSimpleQueueRef queue);
CF_EXPORT int32_t CMSimpleQueueGetCapacity(CMSimpleQueueRef queue);
CF_EXPORT int32_t CMSimpleQueueGetCount(CMSimpleQueueRef queue);

#define CMSimpleQueueGetFullness(queue)                                            \
  (CMSimpleQueueGetCapacity(queue)                                                 \
       ? (CMSimpleQueueGetCount(queue) / (Float32)CMSimpleQueueGetCapacity(queue)) \
       : 0.0f)
