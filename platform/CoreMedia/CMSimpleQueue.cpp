#include <CoreMedia/CMSimpleQueue.h>
#include <objc/NSObject.h>

#include <cstdio>
#include <mutex>
#include <vector>

struct opaqueCMSimpleQueue : NSObject {
  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CMSimpleQueue");
    return id;
  }
  unsigned long cfTypeID() const override { return typeID(); }

  explicit opaqueCMSimpleQueue(int32_t capacity) : mSlots(static_cast<size_t>(capacity)) {}

  // One lock for every operation: the producer and consumer threads of a stream never see a
  // half-moved element, whatever their number.
  std::mutex lock;
  std::vector<const void*> mSlots;
  size_t mHead = 0;
  size_t mCount = 0;
};

namespace {

opaqueCMSimpleQueue* queueOf(CMSimpleQueueRef queue, const char* function) {
  auto* object = reinterpret_cast<NSObject*>(queue);
  if (!object || object->cfTypeID() != opaqueCMSimpleQueue::typeID()) {
    std::fprintf(stderr, "%s: %p is not a CMSimpleQueue\n", function, static_cast<void*>(queue));
    return nullptr;
  }
  return static_cast<opaqueCMSimpleQueue*>(object);
}

}  // namespace

CFTypeID CMSimpleQueueGetTypeID(void) { return opaqueCMSimpleQueue::typeID(); }

OSStatus CMSimpleQueueCreate(CFAllocatorRef, int32_t capacity, CMSimpleQueueRef* queueOut) {
  if (!queueOut) return kCMSimpleQueueError_RequiredParameterMissing;
  *queueOut = nullptr;
  if (capacity <= 0) return kCMSimpleQueueError_ParameterOutOfRange;
  *queueOut = new opaqueCMSimpleQueue(capacity);
  return noErr;
}

OSStatus CMSimpleQueueEnqueue(CMSimpleQueueRef queue, const void* element) {
  opaqueCMSimpleQueue* object = queueOf(queue, __func__);
  if (!object || !element) return kCMSimpleQueueError_RequiredParameterMissing;
  std::lock_guard<std::mutex> guard(object->lock);
  if (object->mCount == object->mSlots.size()) return kCMSimpleQueueError_QueueIsFull;
  object->mSlots[(object->mHead + object->mCount) % object->mSlots.size()] = element;
  ++object->mCount;
  return noErr;
}

const void* CMSimpleQueueDequeue(CMSimpleQueueRef queue) {
  opaqueCMSimpleQueue* object = queueOf(queue, __func__);
  if (!object) return nullptr;
  std::lock_guard<std::mutex> guard(object->lock);
  if (object->mCount == 0) return nullptr;
  const void* element = object->mSlots[object->mHead];
  object->mSlots[object->mHead] = nullptr;
  object->mHead = (object->mHead + 1) % object->mSlots.size();
  --object->mCount;
  return element;
}

const void* CMSimpleQueueGetHead(CMSimpleQueueRef queue) {
  opaqueCMSimpleQueue* object = queueOf(queue, __func__);
  if (!object) return nullptr;
  std::lock_guard<std::mutex> guard(object->lock);
  return object->mCount ? object->mSlots[object->mHead] : nullptr;
}

OSStatus CMSimpleQueueReset(CMSimpleQueueRef queue) {
  opaqueCMSimpleQueue* object = queueOf(queue, __func__);
  if (!object) return kCMSimpleQueueError_RequiredParameterMissing;
  std::lock_guard<std::mutex> guard(object->lock);
  std::fill(object->mSlots.begin(), object->mSlots.end(), nullptr);
  object->mHead = 0;
  object->mCount = 0;
  return noErr;
}

int32_t CMSimpleQueueGetCapacity(CMSimpleQueueRef queue) {
  opaqueCMSimpleQueue* object = queueOf(queue, __func__);
  return object ? static_cast<int32_t>(object->mSlots.size()) : 0;
}

int32_t CMSimpleQueueGetCount(CMSimpleQueueRef queue) {
  opaqueCMSimpleQueue* object = queueOf(queue, __func__);
  if (!object) return 0;
  std::lock_guard<std::mutex> guard(object->lock);
  return static_cast<int32_t>(object->mCount);
}
