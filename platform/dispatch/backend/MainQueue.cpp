#include "backend/MainQueue.h"

#include <dispatch/runloop_4CF.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

using namespace dispatch_internal;

MainQueue& MainQueue::shared() {
  // Never freed: blocks may be queued from other threads while the process exits.
  static MainQueue* const queue = new MainQueue();
  return *queue;
}

MainQueue::MainQueue() : dispatch_queue_s("com.apple.main-thread") {
  makeImmortal();
  mWakeDescriptor = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (mWakeDescriptor < 0) {
    std::perror("dispatch: cannot create the main queue's eventfd");
    std::abort();
  }
}

void MainQueue::signalLocked() {
  // While a drain runs it signals for what came meanwhile when it ends.
  if (mSignalled || mDraining || mSuspendCount > 0 || mWork.empty()) return;
  mSignalled = true;
  uint64_t one = 1;
  while (write(mWakeDescriptor, &one, sizeof one) < 0 && errno == EINTR) {
  }
}

void MainQueue::push(Work work, bool) {
  std::lock_guard<std::mutex> guard(mLock);
  mWork.push_back(std::move(work));
  signalLocked();
}

void MainQueue::drain() {
  std::deque<Work> batch;
  {
    std::lock_guard<std::mutex> guard(mLock);
    uint64_t count;
    while (read(mWakeDescriptor, &count, sizeof count) < 0 && errno == EINTR) {
    }
    mSignalled = false;
    if (mDraining || mSuspendCount > 0) return;
    batch.swap(mWork);
    mDraining = true;
  }
  while (!batch.empty()) {
    Work work = std::move(batch.front());
    batch.pop_front();
    runWork(this, work);
    std::lock_guard<std::mutex> guard(mLock);
    if (mSuspendCount > 0) {
      // Suspended by a block: what is left of the batch waits, first in line, for resume.
      mWork.insert(mWork.begin(), std::make_move_iterator(batch.begin()),
                   std::make_move_iterator(batch.end()));
      batch.clear();
    }
  }
  std::lock_guard<std::mutex> guard(mLock);
  mDraining = false;
  signalLocked();
}

void MainQueue::runForever() {
  if (!isMainThread()) {
    std::fprintf(stderr, "dispatch: dispatch_main called off the main thread\n");
  }
  for (;;) {
    pollfd wait{mWakeDescriptor, POLLIN, 0};
    if (poll(&wait, 1, -1) > 0) drain();
  }
}

void MainQueue::suspend() {
  std::lock_guard<std::mutex> guard(mLock);
  ++mSuspendCount;
}

void MainQueue::resume() {
  std::lock_guard<std::mutex> guard(mLock);
  if (mSuspendCount == 0) {
    dispatchReportMisuse("dispatch_resume", "resume of the main queue, which is not suspended");
    return;
  }
  --mSuspendCount;
  signalLocked();
}

int _dispatch_get_main_queue_port_4CF(void) { return MainQueue::shared().wakeDescriptor(); }

void _dispatch_main_queue_callback_4CF(void) { MainQueue::shared().drain(); }
