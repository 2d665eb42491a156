#include "backend/DispatchObject.h"

#include <cstdio>

#include "backend/DispatchGroup.h"
#include "backend/DispatchQueue.h"
#include "backend/DispatchSemaphore.h"
#include "backend/DispatchSource.h"

dispatch_object_t::dispatch_object_t(dispatch_queue_t queue) : mObject(queue) {}
dispatch_object_t::dispatch_object_t(dispatch_source_t source) : mObject(source) {}
dispatch_object_t::dispatch_object_t(dispatch_group_t group) : mObject(group) {}
dispatch_object_t::dispatch_object_t(dispatch_semaphore_t semaphore) : mObject(semaphore) {}

void dispatch_object_s::retain() {
  if (!mImmortal) mReferences.fetch_add(1, std::memory_order_relaxed);
}

void dispatch_object_s::release() {
  if (mImmortal) return;
  long previous = mReferences.fetch_sub(1, std::memory_order_acq_rel);
  if (previous == 1) {
    dispose();
  } else if (previous <= 0) {
    dispatchReportMisuse("dispatch_release", "over-release of a dispatch object");
  }
}

bool dispatch_object_s::tryRetain() {
  if (mImmortal) return true;
  long count = mReferences.load(std::memory_order_relaxed);
  while (count > 0) {
    if (mReferences.compare_exchange_weak(count, count + 1, std::memory_order_acq_rel)) return true;
  }
  return false;
}

void dispatch_object_s::dispose() { finalizeAndDelete(); }

void dispatch_object_s::finalizeAndDelete() {
  if (dispatch_function_t function = finalizer.load()) function(context.load());
  delete this;
}

void dispatchReportMisuse(const char* function, const char* what) {
  std::fprintf(stderr, "dispatch: %s: %s\n", function, what);
}

void dispatch_retain(dispatch_object_t object) {
  if (object.object()) object.object()->retain();
}

void dispatch_release(dispatch_object_t object) {
  if (object.object()) object.object()->release();
}

void* dispatch_get_context(dispatch_object_t object) {
  return object.object() ? object.object()->context.load() : nullptr;
}

void dispatch_set_context(dispatch_object_t object, void* context) {
  if (object.object()) object.object()->context.store(context);
}

void dispatch_set_finalizer_f(dispatch_object_t object, dispatch_function_t finalizer) {
  if (object.object()) object.object()->finalizer.store(finalizer);
}

void dispatch_suspend(dispatch_object_t object) {
  if (object.object()) object.object()->suspend();
}

void dispatch_resume(dispatch_object_t object) {
  if (object.object()) object.object()->resume();
}

void dispatch_set_target_queue(dispatch_object_t object, dispatch_queue_t queue) {
  if (object.object()) object.object()->setTargetQueue(queue);
}
