#include "DeathWatch.h"

#include <pthread.h>
#include <sys/epoll.h>

#include <cerrno>
#include <thread>

#include "PortSpace.h"

namespace MachLayer {

DeathWatch& DeathWatch::shared() {
  // Never destroyed: its thread waits until the process ends.
  static DeathWatch* watch = new DeathWatch();
  return *watch;
}

DeathWatch::DeathWatch() : mEpoll(epoll_create1(EPOLL_CLOEXEC)) {}

uint64_t DeathWatch::watch(const SharedDescriptor& connection, mach_port_name_t name) {
  if (mEpoll < 0 || !connection) return 0;
  std::lock_guard<std::mutex> guard(mLock);
  const uint64_t key = mNextKey++;
  epoll_event event{};
  event.events = EPOLLIN | EPOLLRDHUP;
  event.data.u64 = key;
  if (epoll_ctl(mEpoll, EPOLL_CTL_ADD, connection->fd(), &event) != 0) return 0;
  mWatched.emplace(key, Watched{connection, name});
  if (!mRunning) {
    mRunning = true;
    std::thread([this] { run(); }).detach();
  }
  return key;
}

void DeathWatch::unwatch(uint64_t key) {
  std::lock_guard<std::mutex> guard(mLock);
  auto found = mWatched.find(key);
  if (found == mWatched.end()) return;
  epoll_ctl(mEpoll, EPOLL_CTL_DEL, found->second.connection->fd(), nullptr);
  mWatched.erase(found);
}

void DeathWatch::run() {
  pthread_setname_np(pthread_self(), "mach.deadnames");
  for (;;) {
    epoll_event events[16];
    const int count = epoll_wait(mEpoll, events, 16, -1);
    if (count < 0 && errno != EINTR) return;
    for (int i = 0; i < count; ++i) {
      const uint64_t key = events[i].data.u64;
      mach_port_name_t name;
      {
        std::lock_guard<std::mutex> guard(mLock);
        auto found = mWatched.find(key);
        if (found == mWatched.end()) continue;
        name = found->second.name;
        // Told once: the name is about to become a dead name.
        epoll_ctl(mEpoll, EPOLL_CTL_DEL, found->second.connection->fd(), nullptr);
        mWatched.erase(found);
      }
      PortSpace::shared().peerClosed(name, key);
    }
  }
}

}  // namespace MachLayer
