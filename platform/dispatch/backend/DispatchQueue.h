#pragma once
// The queue base: a label, a target, per-queue specific values, and the one operation that
// every kind of queue implements, taking a block to run later.
#include <dispatch/queue.h>

#include <map>
#include <mutex>
#include <string>

#include "backend/DispatchObject.h"

namespace dispatch_internal {
using Work = std::function<void()>;
}

struct dispatch_queue_s : dispatch_object_s {
  explicit dispatch_queue_s(const char* label) : mLabel(label ? label : "") {}

  const char* label() const { return mLabel.c_str(); }

  // Queues the block; `barrier` matters to concurrent queues only.
  virtual void push(dispatch_internal::Work work, bool barrier = false) = 0;
  // Global queues run synchronous blocks on the caller's thread; the others queue them.
  virtual bool runsSyncInline() const { return false; }
  // The queue this one runs on, retained by the caller (null for global and main queues).
  virtual dispatch_queue_s* copyTarget() { return nullptr; }

  void setSpecific(const void* key, void* value, dispatch_function_t destructor);
  bool findSpecific(const void* key, void** value);

 protected:
  ~dispatch_queue_s() override;

 private:
  struct Specific {
    void* value;
    dispatch_function_t destructor;
  };
  std::string mLabel;
  std::mutex mSpecificsLock;
  std::map<const void*, Specific> mSpecifics;
};

namespace dispatch_internal {

// The default global queue, where queues and sources without a target run.
dispatch_queue_s* defaultTargetQueue();

// Runs one block as every queue does: inside an autorelease pool when the object runtime is
// loaded, with the queue recorded as the current queue of the thread.
void runWork(dispatch_queue_s* queue, const Work& work);

// The queue whose block runs on this thread (null outside any block).
dispatch_queue_s* currentQueue();

// Worker threads carry the label of the queue they run, cut to what the kernel keeps.
void markWorkerThread(const char* label);
void nameWorkerThread(const char* label);

bool isMainThread();

}  // namespace dispatch_internal
