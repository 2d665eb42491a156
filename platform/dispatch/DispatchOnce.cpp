#include <dispatch/once.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "backend/DispatchObject.h"

namespace {

constexpr long kRunning = 1;
constexpr long kDone = ~0L;

// Callers that find another thread running a once block sleep here; that is rare, so one
// lock for all predicates is enough.
std::mutex& waitLock() {
  static std::mutex* const lock = new std::mutex();
  return *lock;
}

std::condition_variable& finished() {
  static std::condition_variable* const condition = new std::condition_variable();
  return *condition;
}

}  // namespace

void dispatch_once_f(dispatch_once_t* predicate, void* context, dispatch_function_t function) {
  if (!predicate || !function) return dispatchReportMisuse("dispatch_once", "null predicate or block");
  std::atomic_ref<long> state(*predicate);
  if (state.load(std::memory_order_acquire) == kDone) return;
  long expected = 0;
  if (state.compare_exchange_strong(expected, kRunning, std::memory_order_acq_rel)) {
    function(context);
    std::lock_guard<std::mutex> guard(waitLock());
    state.store(kDone, std::memory_order_release);
    finished().notify_all();
    return;
  }
  std::unique_lock<std::mutex> guard(waitLock());
  finished().wait(guard, [&] { return state.load(std::memory_order_acquire) == kDone; });
}

void dispatch_once(dispatch_once_t* predicate, dispatch_block_t block) {
  dispatch_once_f(predicate, &block, [](void* context) { (*static_cast<dispatch_block_t*>(context))(); });
}
