#pragma once
// The receiving end of one port, held by the process that has its receive right. Every send
// right to the port, in this process or another, is one SOCK_SEQPACKET connection whose far
// end the sender holds; the near ends, the bootstrap listening socket of a checked-in service
// and a wake-up eventfd all sit in one epoll set, so that a single descriptor (the set) tells
// a run loop that the port has something. Messages sent within the process, and messages that
// the port layer makes itself (notifications), wait in a queue.
//
// A send-once connection carries one message; when it ends without one, its sender dropped or
// lost the right, and the port gets a send-once notification in its place.
#include <sys/socket.h>
#include <sys/un.h>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "Deadline.h"
#include "Descriptor.h"
#include "Packet.h"

namespace MachLayer {

class ReceivePort {
 public:
  // Null when the descriptors cannot be had.
  static std::shared_ptr<ReceivePort> create(uint64_t identity);
  ~ReceivePort();
  ReceivePort(const ReceivePort&) = delete;
  ReceivePort& operator=(const ReceivePort&) = delete;

  uint64_t identity() const { return mIdentity; }
  // Readable while the port may have a message (the epoll set).
  int waitDescriptor() const { return mEpoll; }

  // A new connection to the port: the sender's end, or -1 once the port is dead. Answers the
  // key that undoes it while the sender's end has not been handed on.
  int connect(bool sendOnce, uint64_t* key);
  void disconnect(uint64_t key);

  // Serves a bootstrap name: connections come through a listening socket at the address.
  // False with errno set when the address is taken or cannot be bound.
  bool listen(const sockaddr_un& address, socklen_t length);

  void enqueue(Packet packet);
  // Puts a packet back at the head, for a receiver whose buffer was too small.
  void requeue(Packet packet);

  enum class Wait { Got, TimedOut, Dead };
  // The next packet, waiting until the deadline.
  Wait next(Packet& packet, const Deadline& deadline);

  // Kills the port: closes every connection (the senders' rights die) and wakes waiters.
  void destroy();
  bool isDead() const;

  // A send-once notification for this port (its destination is filled in at delivery).
  static Packet sendOnceNotification();

 private:
  struct Connection;
  enum : uint64_t { kWakeKey = 0, kListenerKey = 1 };

  explicit ReceivePort(uint64_t identity, int epoll, int wake);
  void signalLocked();
  bool popLocked(Packet& packet);
  void acceptPending();
  // Reads what the connection of the key has into the queue.
  void drain(uint64_t key);

  const uint64_t mIdentity;
  const int mEpoll;
  const int mWake;
  mutable std::mutex mLock;
  bool mDead = false;
  bool mSignalled = false;
  SharedDescriptor mListener;
  uint64_t mNextKey = 2;
  std::map<uint64_t, std::shared_ptr<Connection>> mConnections;
  std::deque<Packet> mQueue;
};

}  // namespace MachLayer
