#include "ReceivePort.h"

#include <mach/message.h>
#include <mach/notify.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace MachLayer {

namespace {

void watch(int epoll, int fd, uint64_t key) {
  epoll_event event{};
  event.events = EPOLLIN;
  event.data.u64 = key;
  epoll_ctl(epoll, EPOLL_CTL_ADD, fd, &event);
}

}  // namespace

struct ReceivePort::Connection {
  SharedDescriptor descriptor;
  bool sendOnce = false;
  // One reader at a time, so that a send-once connection's message and its end are told apart.
  std::mutex readLock;
  std::atomic<bool> finished{false};
};

std::shared_ptr<ReceivePort> ReceivePort::create(uint64_t identity) {
  const int epoll = epoll_create1(EPOLL_CLOEXEC);
  const int wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (epoll < 0 || wake < 0) {
    std::perror("mach: cannot make a port");
    if (epoll >= 0) close(epoll);
    if (wake >= 0) close(wake);
    return nullptr;
  }
  watch(epoll, wake, kWakeKey);
  return std::shared_ptr<ReceivePort>(new ReceivePort(identity, epoll, wake));
}

ReceivePort::ReceivePort(uint64_t identity, int epoll, int wake)
    : mIdentity(identity), mEpoll(epoll), mWake(wake) {}

ReceivePort::~ReceivePort() {
  destroy();
  close(mEpoll);
  close(mWake);
}

int ReceivePort::connect(bool sendOnce, uint64_t* key) {
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0) return -1;
  auto connection = std::make_shared<Connection>();
  connection->descriptor = shareDescriptor(ends[0]);
  connection->sendOnce = sendOnce;
  std::lock_guard<std::mutex> guard(mLock);
  if (mDead) {
    close(ends[1]);
    return -1;
  }
  const uint64_t made = mNextKey++;
  mConnections.emplace(made, connection);
  watch(mEpoll, ends[0], made);
  if (key) *key = made;
  return ends[1];
}

void ReceivePort::disconnect(uint64_t key) {
  std::lock_guard<std::mutex> guard(mLock);
  auto found = mConnections.find(key);
  if (found == mConnections.end()) return;
  found->second->finished = true;
  epoll_ctl(mEpoll, EPOLL_CTL_DEL, found->second->descriptor->fd(), nullptr);
  mConnections.erase(found);
}

bool ReceivePort::listen(const sockaddr_un& address, socklen_t length) {
  const int fd = socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return false;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0 || ::listen(fd, 128) != 0) {
    const int error = errno;
    close(fd);
    errno = error;
    return false;
  }
  std::lock_guard<std::mutex> guard(mLock);
  mListener = shareDescriptor(fd);
  watch(mEpoll, fd, kListenerKey);
  return true;
}

void ReceivePort::signalLocked() {
  if (mSignalled) return;
  const uint64_t one = 1;
  while (write(mWake, &one, sizeof one) < 0 && errno == EINTR) {
  }
  mSignalled = true;
}

void ReceivePort::enqueue(Packet packet) {
  std::lock_guard<std::mutex> guard(mLock);
  if (mDead) return;
  mQueue.push_back(std::move(packet));
  signalLocked();
}

void ReceivePort::requeue(Packet packet) {
  std::lock_guard<std::mutex> guard(mLock);
  if (mDead) return;
  mQueue.push_front(std::move(packet));
  signalLocked();
}

bool ReceivePort::popLocked(Packet& packet) {
  if (mQueue.empty()) return false;
  packet = std::move(mQueue.front());
  mQueue.pop_front();
  if (mQueue.empty() && mSignalled) {
    uint64_t count;
    while (read(mWake, &count, sizeof count) < 0 && errno == EINTR) {
    }
    mSignalled = false;
  }
  return true;
}

bool ReceivePort::isDead() const {
  std::lock_guard<std::mutex> guard(mLock);
  return mDead;
}

void ReceivePort::acceptPending() {
  SharedDescriptor listener;
  {
    std::lock_guard<std::mutex> guard(mLock);
    listener = mListener;
  }
  if (!listener) return;
  for (;;) {
    const int fd = accept4(listener->fd(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;
    }
    auto connection = std::make_shared<Connection>();
    connection->descriptor = shareDescriptor(fd);
    std::lock_guard<std::mutex> guard(mLock);
    if (mDead) return;  // the connection closes with the last reference
    const uint64_t key = mNextKey++;
    mConnections.emplace(key, connection);
    watch(mEpoll, fd, key);
  }
}

void ReceivePort::drain(uint64_t key) {
  std::shared_ptr<Connection> connection;
  {
    std::lock_guard<std::mutex> guard(mLock);
    auto found = mConnections.find(key);
    if (found == mConnections.end()) return;
    connection = found->second;
  }
  std::lock_guard<std::mutex> reading(connection->readLock);
  if (connection->finished) return;
  Packet packet;
  const ReadResult result = readPacket(connection->descriptor->fd(), packet);
  if (result == ReadResult::Empty) return;
  if (result == ReadResult::Dropped)
    std::fprintf(stderr, "mach: dropped a message that was too large or carried too many rights\n");

  std::lock_guard<std::mutex> guard(mLock);
  // A send-once right is used up by its message; a connection that ends is gone.
  const bool ends = result == ReadResult::Closed || connection->sendOnce;
  if (ends && !connection->finished.exchange(true)) {
    epoll_ctl(mEpoll, EPOLL_CTL_DEL, connection->descriptor->fd(), nullptr);
    mConnections.erase(key);
  }
  if (mDead) return;
  if (result == ReadResult::Got) {
    mQueue.push_back(std::move(packet));
    signalLocked();
  } else if (connection->sendOnce) {
    mQueue.push_back(sendOnceNotification());
    signalLocked();
  }
}

ReceivePort::Wait ReceivePort::next(Packet& packet, const Deadline& deadline) {
  for (;;) {
    {
      std::lock_guard<std::mutex> guard(mLock);
      if (mDead) return Wait::Dead;
      if (popLocked(packet)) return Wait::Got;
    }
    epoll_event events[16];
    const int count = epoll_wait(mEpoll, events, 16, deadline.millisecondsLeft());
    if (count < 0 && errno != EINTR) return Wait::Dead;
    for (int i = 0; i < count; ++i) {
      const uint64_t key = events[i].data.u64;
      if (key == kListenerKey) {
        acceptPending();
      } else if (key != kWakeKey) {
        drain(key);
      }
    }
    if (count == 0 && deadline.passed()) {
      std::lock_guard<std::mutex> guard(mLock);
      if (mDead) return Wait::Dead;
      return popLocked(packet) ? Wait::Got : Wait::TimedOut;
    }
  }
}

void ReceivePort::destroy() {
  std::deque<Packet> dropped;
  std::map<uint64_t, std::shared_ptr<Connection>> closed;
  SharedDescriptor listener;
  {
    std::lock_guard<std::mutex> guard(mLock);
    if (mDead) return;
    mDead = true;
    for (auto& [key, connection] : mConnections) {
      connection->finished = true;
      epoll_ctl(mEpoll, EPOLL_CTL_DEL, connection->descriptor->fd(), nullptr);
    }
    closed.swap(mConnections);
    if (mListener) epoll_ctl(mEpoll, EPOLL_CTL_DEL, mListener->fd(), nullptr);
    listener = std::move(mListener);
    dropped.swap(mQueue);
    // Waiters wake up and find the port dead.
    const uint64_t one = 1;
    while (write(mWake, &one, sizeof one) < 0 && errno == EINTR) {
    }
    mSignalled = true;
  }
}

Packet ReceivePort::sendOnceNotification() {
  mach_msg_header_t header{};
  header.msgh_bits = MACH_MSGH_BITS(0, MACH_MSG_TYPE_PORT_SEND_ONCE);
  header.msgh_size = sizeof header;
  header.msgh_id = MACH_NOTIFY_SEND_ONCE;
  return Packet::make(MACH_MSG_TYPE_PORT_SEND_ONCE, {}, {}, &header, sizeof header);
}

}  // namespace MachLayer
