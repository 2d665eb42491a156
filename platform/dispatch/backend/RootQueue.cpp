#include "backend/RootQueue.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {
// Enough that blocks waiting on each other across queues never run out of threads.
constexpr size_t kMaximumThreads = 512;
constexpr auto kIdleLifetime = std::chrono::seconds(5);

std::atomic<bool> gProcessExiting{false};
void processExits() { gProcessExiting = true; }
}  // namespace

RootQueue::RootQueue(const char* label) : dispatch_queue_s(label) { makeImmortal(); }

RootQueue* RootQueue::forIdentifier(long identifier) {
  // Made once and never freed: blocks may still be queued while the process exits. The exit
  // handler is registered after the sanitizer runtimes' own, so it runs before their checks.
  [[maybe_unused]] static const bool watchingExit = std::atexit(processExits) == 0;
  static RootQueue* const high = new RootQueue("com.apple.root.user-initiated-qos");
  static RootQueue* const normal = new RootQueue("com.apple.root.default-qos");
  static RootQueue* const low = new RootQueue("com.apple.root.utility-qos");
  static RootQueue* const background = new RootQueue("com.apple.root.background-qos");
  switch (identifier) {
    case DISPATCH_QUEUE_PRIORITY_HIGH:
    case QOS_CLASS_USER_INTERACTIVE:
    case QOS_CLASS_USER_INITIATED:
      return high;
    case DISPATCH_QUEUE_PRIORITY_DEFAULT:
    case QOS_CLASS_DEFAULT:
      return normal;
    case DISPATCH_QUEUE_PRIORITY_LOW:
    case QOS_CLASS_UTILITY:
      return low;
    case DISPATCH_QUEUE_PRIORITY_BACKGROUND:
    case QOS_CLASS_BACKGROUND:
      return background;
    default:
      return nullptr;
  }
}

void RootQueue::push(dispatch_internal::Work work, bool) {
  bool needThread = false;
  {
    std::lock_guard<std::mutex> guard(mLock);
    mWork.push_back(std::move(work));
    if (mWork.size() > mIdleThreads && mThreads < kMaximumThreads) {
      ++mThreads;
      needThread = true;
    }
  }
  mWorkArrived.notify_one();
  if (needThread) startThread();
}

void RootQueue::startThread() {
  try {
    std::thread([this] { runThread(); }).detach();
  } catch (const std::system_error& error) {
    std::lock_guard<std::mutex> guard(mLock);
    --mThreads;
    std::fprintf(stderr, "dispatch: cannot start a worker thread for %s: %s\n", label(), error.what());
  }
}

void RootQueue::runThread() {
  dispatch_internal::markWorkerThread(label());
  std::unique_lock<std::mutex> guard(mLock);
  for (;;) {
    if (mWork.empty()) {
      ++mIdleThreads;
      bool arrived = mWorkArrived.wait_for(guard, kIdleLifetime, [this] { return !mWork.empty(); });
      if (!arrived && gProcessExiting) {
        mWorkArrived.wait(guard, [this] { return !mWork.empty(); });
        arrived = true;
      }
      --mIdleThreads;
      if (!arrived) {
        --mThreads;
        return;
      }
    }
    dispatch_internal::Work work = std::move(mWork.front());
    mWork.pop_front();
    guard.unlock();
    dispatch_internal::nameWorkerThread(label());
    dispatch_internal::runWork(this, work);
    work = nullptr;
    guard.lock();
  }
}
