#include "backend/EventLoop.h"

#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "backend/DispatchQueue.h"
#include "backend/DispatchTime.h"

namespace dispatch_internal {

namespace {
constexpr EventLoop::Id kTimerDescriptorId = 0;
}

EventLoop& EventLoop::shared() {
  // Never freed: sources may fire while the process exits.
  static EventLoop* const loop = [] {
    auto* made = new EventLoop();
    std::thread([made] { made->run(); }).detach();
    return made;
  }();
  return *loop;
}

EventLoop::EventLoop() {
  mEpoll = epoll_create1(EPOLL_CLOEXEC);
  mTimerDescriptor = timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK);
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.u64 = kTimerDescriptorId;
  if (mEpoll < 0 || mTimerDescriptor < 0 || epoll_ctl(mEpoll, EPOLL_CTL_ADD, mTimerDescriptor, &event) < 0) {
    std::perror("dispatch: cannot set up the event thread");
    std::abort();
  }
}

EventLoop::Id EventLoop::addTimer(uint64_t deadline, TimerCallback callback) {
  if (deadline == 0) deadline = 1;  // 0 stands for "no deadline" below
  std::lock_guard<std::mutex> guard(mLock);
  Id id = mNextId++;
  mTimers.emplace(id, Timer{deadline, std::move(callback)});
  mDeadlines.emplace(deadline, id);
  programTimerLocked();
  return id;
}

void EventLoop::removeTimer(Id id) {
  TimerCallback removed;  // destroyed after the lock is let go
  std::lock_guard<std::mutex> guard(mLock);
  auto found = mTimers.find(id);
  if (found == mTimers.end()) return;
  auto range = mDeadlines.equal_range(found->second.deadline);
  for (auto entry = range.first; entry != range.second; ++entry) {
    if (entry->second == id) {
      mDeadlines.erase(entry);
      break;
    }
  }
  removed = std::move(found->second.callback);
  mTimers.erase(found);
}

EventLoop::Id EventLoop::addDescriptor(int descriptor, ReadyCallback callback) {
  int own = fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
  if (own < 0) return 0;
  std::lock_guard<std::mutex> guard(mLock);
  Id id = mNextId++;
  epoll_event event{};
  event.events = EPOLLIN | EPOLLONESHOT;
  event.data.u64 = id;
  if (epoll_ctl(mEpoll, EPOLL_CTL_ADD, own, &event) < 0) {
    close(own);
    return 0;
  }
  mWatches.emplace(id, Watch{own, std::move(callback)});
  return id;
}

void EventLoop::rearmDescriptor(Id id) {
  std::lock_guard<std::mutex> guard(mLock);
  auto found = mWatches.find(id);
  if (found == mWatches.end()) return;
  epoll_event event{};
  event.events = EPOLLIN | EPOLLONESHOT;
  event.data.u64 = id;
  epoll_ctl(mEpoll, EPOLL_CTL_MOD, found->second.descriptor, &event);
}

void EventLoop::removeDescriptor(Id id) {
  ReadyCallback removed;
  std::lock_guard<std::mutex> guard(mLock);
  auto found = mWatches.find(id);
  if (found == mWatches.end()) return;
  epoll_ctl(mEpoll, EPOLL_CTL_DEL, found->second.descriptor, nullptr);
  close(found->second.descriptor);
  removed = std::move(found->second.callback);
  mWatches.erase(found);
}

void EventLoop::programTimerLocked() {
  uint64_t next = mDeadlines.empty() ? 0 : mDeadlines.begin()->first;
  if (next == mProgrammedDeadline) return;
  mProgrammedDeadline = next;
  itimerspec spec{};
  if (next != 0) {
    spec.it_value.tv_sec = time_t(next / NSEC_PER_SEC);
    spec.it_value.tv_nsec = long(next % NSEC_PER_SEC);
  }
  timerfd_settime(mTimerDescriptor, TFD_TIMER_ABSTIME, &spec, nullptr);
}

void EventLoop::fireDueTimersLocked() {
  uint64_t now = monotonicNow();
  while (!mDeadlines.empty() && mDeadlines.begin()->first <= now) {
    Id id = mDeadlines.begin()->second;
    mDeadlines.erase(mDeadlines.begin());
    auto found = mTimers.find(id);
    uint64_t next = found->second.callback(now);
    if (next != 0) {
      found->second.deadline = next;
      mDeadlines.emplace(next, id);
    } else {
      mTimers.erase(found);
    }
  }
  mProgrammedDeadline = 0;
  programTimerLocked();
}

void EventLoop::run() {
  markWorkerThread("dispatch.events");
  epoll_event events[64];
  for (;;) {
    int count = epoll_wait(mEpoll, events, 64, -1);
    if (count < 0) {
      if (errno == EINTR) continue;
      std::perror("dispatch: epoll_wait");
      std::abort();
    }
    std::lock_guard<std::mutex> guard(mLock);
    for (int i = 0; i < count; ++i) {
      Id id = events[i].data.u64;
      if (id == kTimerDescriptorId) {
        uint64_t expirations;
        while (read(mTimerDescriptor, &expirations, sizeof expirations) < 0 && errno == EINTR) {
        }
        continue;
      }
      // The watch may have gone between the wait and the lock.
      auto found = mWatches.find(id);
      if (found != mWatches.end()) found->second.callback();
    }
    fireDueTimersLocked();
  }
}

}  // namespace dispatch_internal
