#include "backend/DispatchQueue.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <thread>
#include <vector>

#include "backend/ConcurrentQueue.h"
#include "backend/DispatchTime.h"
#include "backend/EventLoop.h"
#include "backend/MainQueue.h"
#include "backend/RootQueue.h"
#include "backend/SerialQueue.h"

// Blocks run inside an autorelease pool when the object runtime (CoreFoundation) is loaded.
// The runtime sits above this library, so it is reached through weak references only.
__attribute__((weak)) void* objc_autoreleasePoolPush();
__attribute__((weak)) void objc_autoreleasePoolPop(void* pool);

namespace dispatch_internal {

static thread_local dispatch_queue_s* tCurrentQueue = nullptr;
static thread_local bool tIsWorker = false;
static thread_local char tWorkerName[16] = "";

dispatch_queue_s* currentQueue() { return tCurrentQueue; }

void runWork(dispatch_queue_s* queue, const Work& work) {
  dispatch_queue_s* previous = tCurrentQueue;
  tCurrentQueue = queue;
  if (objc_autoreleasePoolPush && objc_autoreleasePoolPop) {
    void* pool = objc_autoreleasePoolPush();
    work();
    objc_autoreleasePoolPop(pool);
  } else {
    work();
  }
  tCurrentQueue = previous;
}

void markWorkerThread(const char* label) {
  tIsWorker = true;
  nameWorkerThread(label);
}

void nameWorkerThread(const char* label) {
  // Only our own workers are renamed: a serial queue that targets the main queue must not
  // rename the main thread (and with it the process).
  if (!tIsWorker) return;
  char name[16];
  std::strncpy(name, label, sizeof name - 1);
  name[sizeof name - 1] = '\0';
  if (std::strcmp(name, tWorkerName) == 0) return;
  std::memcpy(tWorkerName, name, sizeof name);
  pthread_setname_np(pthread_self(), name);
}

bool isMainThread() { return syscall(SYS_gettid) == getpid(); }

dispatch_queue_s* defaultTargetQueue() { return RootQueue::forIdentifier(DISPATCH_QUEUE_PRIORITY_DEFAULT); }

}  // namespace dispatch_internal

using namespace dispatch_internal;

dispatch_queue_s::~dispatch_queue_s() {
  for (auto& [key, specific] : mSpecifics) {
    if (specific.destructor && specific.value) specific.destructor(specific.value);
  }
}

void dispatch_queue_s::setSpecific(const void* key, void* value, dispatch_function_t destructor) {
  Specific previous{nullptr, nullptr};
  {
    std::lock_guard<std::mutex> guard(mSpecificsLock);
    auto found = mSpecifics.find(key);
    if (found != mSpecifics.end()) {
      previous = found->second;
      mSpecifics.erase(found);
    }
    if (value) mSpecifics[key] = Specific{value, destructor};
  }
  if (previous.destructor && previous.value) previous.destructor(previous.value);
}

bool dispatch_queue_s::findSpecific(const void* key, void** value) {
  std::lock_guard<std::mutex> guard(mSpecificsLock);
  auto found = mSpecifics.find(key);
  if (found == mSpecifics.end()) return false;
  *value = found->second.value;
  return true;
}

const struct dispatch_queue_attr_s {
} _dispatch_queue_attr_concurrent{};

dispatch_queue_t dispatch_queue_create(const char* label, dispatch_queue_attr_t attr) {
  if (attr == DISPATCH_QUEUE_CONCURRENT) return new ConcurrentQueue(label);
  return new SerialQueue(label);
}

dispatch_queue_t dispatch_get_global_queue(long identifier, unsigned long) {
  return RootQueue::forIdentifier(identifier);
}

dispatch_queue_t dispatch_get_main_queue(void) { return &MainQueue::shared(); }

dispatch_queue_t dispatch_get_current_queue(void) {
  if (dispatch_queue_s* queue = currentQueue()) return queue;
  if (isMainThread()) return &MainQueue::shared();
  return defaultTargetQueue();
}

const char* dispatch_queue_get_label(dispatch_queue_t queue) {
  return (queue ? queue : dispatch_get_current_queue())->label();
}

void dispatch_async(dispatch_queue_t queue, dispatch_block_t block) {
  if (!queue || !block) return dispatchReportMisuse("dispatch_async", "null queue or block");
  queue->push(std::move(block));
}

void dispatch_async_f(dispatch_queue_t queue, void* context, dispatch_function_t work) {
  if (!queue || !work) return dispatchReportMisuse("dispatch_async_f", "null queue or function");
  queue->push([context, work] { work(context); });
}

void dispatch_barrier_async(dispatch_queue_t queue, dispatch_block_t block) {
  if (!queue || !block) return dispatchReportMisuse("dispatch_barrier_async", "null queue or block");
  queue->push(std::move(block), true);
}

void dispatch_barrier_async_f(dispatch_queue_t queue, void* context, dispatch_function_t work) {
  if (!queue || !work) return dispatchReportMisuse("dispatch_barrier_async_f", "null queue or function");
  queue->push([context, work] { work(context); }, true);
}

static void runSynchronously(dispatch_queue_s* queue, const dispatch_block_t& block, bool barrier) {
  if (queue->runsSyncInline()) {
    runWork(queue, block);
    return;
  }
  std::mutex lock;
  std::condition_variable doneChanged;
  bool done = false;
  queue->push(
      [&] {
        block();
        std::lock_guard<std::mutex> guard(lock);
        done = true;
        doneChanged.notify_one();
      },
      barrier);
  std::unique_lock<std::mutex> guard(lock);
  doneChanged.wait(guard, [&] { return done; });
}

void dispatch_sync(dispatch_queue_t queue, dispatch_block_t block) {
  if (!queue || !block) return dispatchReportMisuse("dispatch_sync", "null queue or block");
  runSynchronously(queue, block, false);
}

void dispatch_sync_f(dispatch_queue_t queue, void* context, dispatch_function_t work) {
  if (!queue || !work) return dispatchReportMisuse("dispatch_sync_f", "null queue or function");
  runSynchronously(
      queue, [context, work] { work(context); }, false);
}

void dispatch_barrier_sync(dispatch_queue_t queue, dispatch_block_t block) {
  if (!queue || !block) return dispatchReportMisuse("dispatch_barrier_sync", "null queue or block");
  runSynchronously(queue, block, true);
}

void dispatch_barrier_sync_f(dispatch_queue_t queue, void* context, dispatch_function_t work) {
  if (!queue || !work) return dispatchReportMisuse("dispatch_barrier_sync_f", "null queue or function");
  runSynchronously(
      queue, [context, work] { work(context); }, true);
}

void dispatch_after(dispatch_time_t when, dispatch_queue_t queue, dispatch_block_t block) {
  if (!queue || !block) return dispatchReportMisuse("dispatch_after", "null queue or block");
  if (when == DISPATCH_TIME_FOREVER) return;
  queue->retain();
  EventLoop::shared().addTimer(monotonicDeadline(when), [queue, block = std::move(block)](uint64_t) mutable {
    queue->push(std::move(block));
    queue->release();
    return uint64_t(0);
  });
}

void dispatch_after_f(dispatch_time_t when, dispatch_queue_t queue, void* context, dispatch_function_t work) {
  if (!work) return dispatchReportMisuse("dispatch_after_f", "null function");
  dispatch_after(when, queue, [context, work] { work(context); });
}

void dispatch_apply(size_t iterations, dispatch_queue_t queue, const std::function<void(size_t)>& block) {
  if (!block || iterations == 0) return;
  if (!queue) queue = defaultTargetQueue();
  if (dynamic_cast<SerialQueue*>(queue) || dynamic_cast<MainQueue*>(queue)) {
    dispatch_sync(queue, [&] {
      for (size_t i = 0; i < iterations; ++i) block(i);
    });
    return;
  }
  // Helpers on the queue and the caller take iterations from one counter; the state is
  // shared because a helper may start after the caller has already returned.
  struct Shared {
    std::function<void(size_t)> block;
    size_t iterations;
    std::atomic<size_t> next{0};
    std::mutex lock;
    std::condition_variable allDone;
    size_t done = 0;
    void work() {
      size_t finished = 0;
      for (size_t i; (i = next.fetch_add(1)) < iterations; ++finished) block(i);
      if (finished == 0) return;
      std::lock_guard<std::mutex> guard(lock);
      done += finished;
      if (done == iterations) allDone.notify_all();
    }
  };
  auto shared = std::make_shared<Shared>();
  shared->block = block;
  shared->iterations = iterations;
  size_t width = std::max(1u, std::thread::hardware_concurrency());
  size_t helpers = std::min(iterations, width) - 1;
  for (size_t i = 0; i < helpers; ++i) queue->push([shared] { shared->work(); });
  runWork(queue, [&] { shared->work(); });
  std::unique_lock<std::mutex> guard(shared->lock);
  shared->allDone.wait(guard, [&] { return shared->done == iterations; });
}

void dispatch_apply_f(size_t iterations, dispatch_queue_t queue, void* context,
                      void (*work)(void* context, size_t iteration)) {
  if (!work) return dispatchReportMisuse("dispatch_apply_f", "null function");
  dispatch_apply(iterations, queue, [context, work](size_t i) { work(context, i); });
}

void dispatch_queue_set_specific(dispatch_queue_t queue, const void* key, void* context,
                                 dispatch_function_t destructor) {
  if (!queue || !key) return;
  queue->setSpecific(key, context, destructor);
}

void* dispatch_queue_get_specific(dispatch_queue_t queue, const void* key) {
  void* value = nullptr;
  if (queue && key) queue->findSpecific(key, &value);
  return value;
}

void* dispatch_get_specific(const void* key) {
  if (!key) return nullptr;
  dispatch_queue_s* queue = dispatch_get_current_queue();
  queue->retain();
  while (queue) {
    void* value = nullptr;
    bool found = queue->findSpecific(key, &value);
    dispatch_queue_s* target = found ? nullptr : queue->copyTarget();
    queue->release();
    if (found) return value;
    queue = target;
  }
  return nullptr;
}

void dispatch_main(void) { MainQueue::shared().runForever(); }
