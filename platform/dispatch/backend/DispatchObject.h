#pragma once
// The root of every dispatch object: a reference count, a context and its finalizer.
#include <dispatch/base.h>

#include <atomic>

struct dispatch_object_s {
  dispatch_object_s() = default;
  dispatch_object_s(const dispatch_object_s&) = delete;
  dispatch_object_s& operator=(const dispatch_object_s&) = delete;

  void retain();
  void release();
  // Takes a reference only while the object still has one: for the event thread, which may
  // meet an object whose last reference is just going.
  bool tryRetain();
  // Global and main queues live as long as the process.
  void makeImmortal() { mImmortal = true; }

  virtual void suspend() {}
  virtual void resume() {}
  virtual void setTargetQueue(dispatch_queue_s*) {}

  std::atomic<void*> context{nullptr};
  std::atomic<dispatch_function_t> finalizer{nullptr};

 protected:
  virtual ~dispatch_object_s() = default;
  // Called when the last reference goes. The default runs the finalizer and frees the object;
  // an object with work left to do may take a reference again instead.
  virtual void dispose();
  void finalizeAndDelete();
  void resurrect() { mReferences.store(1, std::memory_order_relaxed); }

 private:
  std::atomic<long> mReferences{1};
  bool mImmortal = false;
};

// Reports a misuse of the library on the standard error (the caller goes on).
void dispatchReportMisuse(const char* function, const char* what);
