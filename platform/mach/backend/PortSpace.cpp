#include "PortSpace.h"

#include <fcntl.h>
#include <mach/mig_errors.h>
#include <mach/notify.h>
#include <poll.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>

#include "DeathWatch.h"

namespace MachLayer {

namespace {

using Notices = std::vector<std::pair<std::shared_ptr<ReceivePort>, Packet>>;

void deliver(Notices& notices) {
  for (auto& [port, packet] : notices) port->enqueue(std::move(packet));
}

Packet deadNameNotification(mach_port_name_t name) {
  mach_dead_name_notification_t notice{};
  const mach_msg_size_t size = sizeof notice - sizeof notice.trailer;
  notice.not_header.msgh_bits = MACH_MSGH_BITS(0, MACH_MSG_TYPE_PORT_SEND_ONCE);
  notice.not_header.msgh_size = size;
  notice.not_header.msgh_id = MACH_NOTIFY_DEAD_NAME;
  notice.NDR = NDR_record;
  notice.not_port = name;
  return Packet::make(MACH_MSG_TYPE_PORT_SEND_ONCE, {}, {}, &notice, size);
}

// True once the far end of a connection is gone.
bool hungUp(const SharedDescriptor& connection) {
  pollfd state{connection->fd(), POLLIN, 0};
  return poll(&state, 1, 0) > 0 && (state.revents & (POLLHUP | POLLERR | POLLIN | POLLRDHUP));
}

int duplicate(const SharedDescriptor& descriptor) { return fcntl(descriptor->fd(), F_DUPFD_CLOEXEC, 0); }

constexpr uint32_t kMostUserReferences = 0xffff;

}  // namespace

uint64_t newPortIdentity() {
  uint32_t low = 0;
  if (getrandom(&low, sizeof low, 0) != sizeof low) {
    static std::atomic<uint32_t> counter{0};
    low = uint32_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^ (++counter * 0x9e3779b9u);
  }
  return portIdentity(getpid(), low);
}

PortSpace& PortSpace::shared() {
  // Never destroyed: threads drop their reply ports as they end, also while the process exits.
  static PortSpace* space = new PortSpace();
  return *space;
}

mach_port_name_t PortSpace::newNameLocked() {
  for (;;) {
    const mach_port_name_t name = mNextName;
    mNextName += 0x100;
    if (mNextName < 0x303) mNextName = 0x303;
    if (MACH_PORT_VALID(name) && name != kTaskName && name != kBootstrapName && !mEntries.count(name))
      return name;
  }
}

PortEntry* PortSpace::findLocked(mach_port_name_t name) {
  auto found = mEntries.find(name);
  return found == mEntries.end() ? nullptr : &found->second;
}

kern_return_t PortSpace::allocateReceive(uint64_t identity, mach_port_name_t* name,
                                         std::shared_ptr<ReceivePort>* made) {
  std::shared_ptr<ReceivePort> port = ReceivePort::create(identity);
  if (!port) return KERN_RESOURCE_SHORTAGE;
  std::lock_guard<std::mutex> guard(mLock);
  const mach_port_name_t allocated = newNameLocked();
  PortEntry& entry = mEntries[allocated];
  entry.receive = port;
  entry.identity = identity;
  mByIdentity.emplace(identity, allocated);
  *name = allocated;
  if (made) *made = port;
  return KERN_SUCCESS;
}

mach_port_name_t PortSpace::insertFileport(int fd) {
  std::lock_guard<std::mutex> guard(mLock);
  const mach_port_name_t name = newNameLocked();
  PortEntry& entry = mEntries[name];
  entry.fileport = true;
  entry.sendRefs = 1;
  entry.connection = shareDescriptor(fd);
  return name;
}

std::shared_ptr<ReceivePort> PortSpace::receivePort(mach_port_name_t name) {
  std::lock_guard<std::mutex> guard(mLock);
  PortEntry* entry = findLocked(name);
  return entry ? entry->receive : nullptr;
}

int PortSpace::copyFileportDescriptor(mach_port_name_t name) {
  std::lock_guard<std::mutex> guard(mLock);
  PortEntry* entry = findLocked(name);
  if (!entry || !entry->fileport) {
    errno = EINVAL;
    return -1;
  }
  return duplicate(entry->connection);
}

void PortSpace::unwatchLocked(PortEntry& entry) {
  if (entry.watchKey) DeathWatch::shared().unwatch(entry.watchKey);
  entry.watchKey = 0;
}

void PortSpace::forgetLocked(mach_port_name_t name) {
  PortEntry* entry = findLocked(name);
  if (!entry) return;
  unwatchLocked(*entry);
  if (entry->receive) entry->receive->destroy();
  auto mapped = mByIdentity.find(entry->identity);
  if (mapped != mByIdentity.end() && mapped->second == name) mByIdentity.erase(mapped);
  mEntries.erase(name);
}

void PortSpace::killLocked(mach_port_name_t name, PortEntry& entry, Notices& notices) {
  if (entry.dead || entry.receive || entry.fileport) return;
  unwatchLocked(entry);
  entry.connection.reset();
  auto mapped = mByIdentity.find(entry.identity);
  if (mapped != mByIdentity.end() && mapped->second == name) mByIdentity.erase(mapped);
  if (entry.sendOnce) entry.sendRefs = 1;
  entry.sendOnce = false;
  entry.dead = true;
  if (std::shared_ptr<ReceivePort> notify = entry.deadNameNotify.lock()) {
    // The notification carries a reference of the dead name for its receiver to drop.
    ++entry.sendRefs;
    notices.emplace_back(std::move(notify), deadNameNotification(name));
  }
  entry.deadNameNotify.reset();
}

void PortSpace::peerClosed(mach_port_name_t name, uint64_t watchKey) {
  Notices notices;
  {
    std::lock_guard<std::mutex> guard(mLock);
    PortEntry* entry = findLocked(name);
    if (!entry || entry->watchKey != watchKey) return;
    entry->watchKey = 0;  // the watch has ended already
    killLocked(name, *entry, notices);
  }
  deliver(notices);
}

void PortSpace::markDead(mach_port_name_t name, const SharedDescriptor& connection) {
  Notices notices;
  {
    std::lock_guard<std::mutex> guard(mLock);
    PortEntry* entry = findLocked(name);
    if (!entry || !connection || entry->connection != connection) return;
    killLocked(name, *entry, notices);
  }
  deliver(notices);
}

kern_return_t PortSpace::deallocate(mach_port_name_t name) {
  std::lock_guard<std::mutex> guard(mLock);
  PortEntry* entry = findLocked(name);
  if (!entry) return KERN_INVALID_NAME;
  if (entry->sendOnce) {
    forgetLocked(name);
    return KERN_SUCCESS;
  }
  if (entry->sendRefs == 0) return KERN_INVALID_RIGHT;  // a receive right alone
  if (--entry->sendRefs == 0 && !entry->receive) forgetLocked(name);
  return KERN_SUCCESS;
}

kern_return_t PortSpace::destroy(mach_port_name_t name) {
  std::lock_guard<std::mutex> guard(mLock);
  if (!findLocked(name)) return KERN_INVALID_NAME;
  forgetLocked(name);
  return KERN_SUCCESS;
}

kern_return_t PortSpace::modRefs(mach_port_name_t name, mach_port_right_t right, mach_port_delta_t delta) {
  std::lock_guard<std::mutex> guard(mLock);
  PortEntry* entry = findLocked(name);
  if (!entry) return KERN_INVALID_NAME;
  switch (right) {
    case MACH_PORT_RIGHT_RECEIVE: {
      if (!entry->receive) return KERN_INVALID_RIGHT;
      if (delta > 0 || delta < -1) return KERN_INVALID_VALUE;
      if (delta == 0) return KERN_SUCCESS;
      entry->receive->destroy();
      entry->receive.reset();
      auto mapped = mByIdentity.find(entry->identity);
      if (mapped != mByIdentity.end() && mapped->second == name) mByIdentity.erase(mapped);
      // Send rights of this process to the port it just killed are dead names now.
      if (entry->sendRefs > 0) {
        entry->dead = true;
      } else {
        mEntries.erase(name);
      }
      return KERN_SUCCESS;
    }
    case MACH_PORT_RIGHT_SEND_ONCE:
      if (!entry->sendOnce) return KERN_INVALID_RIGHT;
      if (delta > 0 || delta < -1) return KERN_INVALID_VALUE;
      if (delta == -1) forgetLocked(name);
      return KERN_SUCCESS;
    case MACH_PORT_RIGHT_SEND:
    case MACH_PORT_RIGHT_DEAD_NAME: {
      const bool wantsDead = right == MACH_PORT_RIGHT_DEAD_NAME;
      if (entry->sendOnce || entry->dead != wantsDead || entry->sendRefs == 0) return KERN_INVALID_RIGHT;
      const int64_t refs = int64_t(entry->sendRefs) + delta;
      if (refs < 0) return KERN_INVALID_VALUE;
      if (refs > kMostUserReferences) return KERN_UREFS_OVERFLOW;
      entry->sendRefs = uint32_t(refs);
      if (refs == 0 && !entry->receive) forgetLocked(name);
      return KERN_SUCCESS;
    }
    default:
      return KERN_INVALID_VALUE;
  }
}

kern_return_t PortSpace::getRefs(mach_port_name_t name, mach_port_right_t right, mach_port_urefs_t* refs) {
  if (!refs) return KERN_INVALID_ARGUMENT;
  std::lock_guard<std::mutex> guard(mLock);
  PortEntry* entry = findLocked(name);
  if (!entry) return KERN_INVALID_NAME;
  switch (right) {
    case MACH_PORT_RIGHT_RECEIVE:
      *refs = entry->receive ? 1 : 0;
      return KERN_SUCCESS;
    case MACH_PORT_RIGHT_SEND:
      *refs = entry->dead || entry->sendOnce ? 0 : entry->sendRefs;
      return KERN_SUCCESS;
    case MACH_PORT_RIGHT_SEND_ONCE:
      *refs = entry->sendOnce ? 1 : 0;
      return KERN_SUCCESS;
    case MACH_PORT_RIGHT_DEAD_NAME:
      *refs = entry->dead ? entry->sendRefs : 0;
      return KERN_SUCCESS;
    default:
      return KERN_INVALID_VALUE;
  }
}

kern_return_t PortSpace::insertSendRight(mach_port_name_t name) {
  std::lock_guard<std::mutex> guard(mLock);
  PortEntry* entry = findLocked(name);
  if (!entry) return KERN_INVALID_NAME;
  if (!entry->receive) return KERN_INVALID_RIGHT;
  if (entry->sendRefs >= kMostUserReferences) return KERN_UREFS_OVERFLOW;
  ++entry->sendRefs;
  return KERN_SUCCESS;
}

kern_return_t PortSpace::type(mach_port_name_t name, mach_port_type_t* result) {
  if (!result) return KERN_INVALID_ARGUMENT;
  Notices notices;
  kern_return_t status = KERN_SUCCESS;
  {
    std::lock_guard<std::mutex> guard(mLock);
    PortEntry* entry = findLocked(name);
    if (!entry) {
      status = KERN_INVALID_NAME;
    } else {
      // A send right whose port went away is a dead name from the moment anyone looks.
      if (entry->connection && !entry->fileport && hungUp(entry->connection))
        killLocked(name, *entry, notices);
      mach_port_type_t bits = 0;
      if (entry->receive) bits |= MACH_PORT_TYPE_RECEIVE;
      if (entry->dead)
        bits |= MACH_PORT_TYPE_DEAD_NAME;
      else if (entry->sendOnce)
        bits |= MACH_PORT_TYPE_SEND_ONCE;
      else if (entry->sendRefs > 0)
        bits |= MACH_PORT_TYPE_SEND;
      *result = bits;
    }
  }
  deliver(notices);
  return status;
}

kern_return_t PortSpace::requestDeadName(mach_port_name_t name, mach_port_name_t notify) {
  Notices notices;
  {
    std::lock_guard<std::mutex> guard(mLock);
    PortEntry* entry = findLocked(name);
    if (!entry) return KERN_INVALID_NAME;
    if (entry->receive || entry->fileport || entry->sendOnce) return KERN_INVALID_RIGHT;
    if (notify == MACH_PORT_NULL) {
      unwatchLocked(*entry);
      entry->deadNameNotify.reset();
      return KERN_SUCCESS;
    }
    PortEntry* notified = findLocked(notify);
    if (!notified || !notified->receive) return KERN_INVALID_CAPABILITY;
    if (entry->dead) {
      ++entry->sendRefs;
      notices.emplace_back(notified->receive, deadNameNotification(name));
    } else {
      entry->deadNameNotify = notified->receive;
      if (!entry->watchKey) entry->watchKey = DeathWatch::shared().watch(entry->connection, name);
      if (!entry->watchKey) return KERN_RESOURCE_SHORTAGE;
    }
  }
  deliver(notices);
  return KERN_SUCCESS;
}

mach_msg_return_t PortSpace::destination(mach_port_name_t name, mach_msg_type_name_t disposition,
                                         Destination& out) {
  std::lock_guard<std::mutex> guard(mLock);
  PortEntry* entry = MACH_PORT_VALID(name) ? findLocked(name) : nullptr;
  switch (disposition) {
    case MACH_MSG_TYPE_MAKE_SEND:
    case MACH_MSG_TYPE_MAKE_SEND_ONCE:
      if (!entry || !entry->receive) return MACH_SEND_INVALID_DEST;
      out.local = entry->receive;
      out.receivedType =
          disposition == MACH_MSG_TYPE_MAKE_SEND ? MACH_MSG_TYPE_PORT_SEND : MACH_MSG_TYPE_PORT_SEND_ONCE;
      return MACH_MSG_SUCCESS;
    case MACH_MSG_TYPE_COPY_SEND:
    case MACH_MSG_TYPE_MOVE_SEND:
      if (!entry || entry->dead || entry->sendOnce || entry->fileport || entry->sendRefs == 0)
        return MACH_SEND_INVALID_DEST;
      out.local = entry->receive;
      out.connection = entry->connection;
      out.receivedType = MACH_MSG_TYPE_PORT_SEND;
      return MACH_MSG_SUCCESS;
    case MACH_MSG_TYPE_MOVE_SEND_ONCE:
      if (!entry || !entry->sendOnce) return MACH_SEND_INVALID_DEST;
      out.connection = entry->connection;
      out.receivedType = MACH_MSG_TYPE_PORT_SEND_ONCE;
      return MACH_MSG_SUCCESS;
    default:
      return MACH_SEND_INVALID_HEADER;
  }
}

kern_return_t PortSpace::takeRight(mach_port_name_t name, mach_msg_type_name_t disposition,
                                   OutgoingRight& out) {
  std::lock_guard<std::mutex> guard(mLock);
  PortEntry* entry = findLocked(name);
  if (!entry) return KERN_INVALID_NAME;
  auto connectTo = [&](bool sendOnce) -> kern_return_t {
    out.fd = entry->receive->connect(sendOnce, &out.madeKey);
    if (out.fd < 0) return KERN_RESOURCE_SHORTAGE;
    out.madeOn = entry->receive;
    out.wire = {entry->identity, uint32_t(sendOnce ? RightKind::SendOnce : RightKind::Send), 0};
    return KERN_SUCCESS;
  };
  switch (disposition) {
    case MACH_MSG_TYPE_MAKE_SEND:
    case MACH_MSG_TYPE_MAKE_SEND_ONCE:
      if (!entry->receive) return KERN_INVALID_RIGHT;
      return connectTo(disposition == MACH_MSG_TYPE_MAKE_SEND_ONCE);
    case MACH_MSG_TYPE_COPY_SEND:
    case MACH_MSG_TYPE_MOVE_SEND:
      if (entry->dead) return KERN_SUCCESS;  // travels as a dead name: no descriptor
      if (entry->sendOnce || entry->sendRefs == 0) return KERN_INVALID_RIGHT;
      if (entry->receive) return connectTo(false);
      out.fd = duplicate(entry->connection);
      if (out.fd < 0) return KERN_RESOURCE_SHORTAGE;
      out.wire = {entry->identity, uint32_t(entry->fileport ? RightKind::File : RightKind::Send), 0};
      return KERN_SUCCESS;
    case MACH_MSG_TYPE_MOVE_SEND_ONCE:
      if (entry->dead) return KERN_SUCCESS;
      if (!entry->sendOnce) return KERN_INVALID_RIGHT;
      out.fd = duplicate(entry->connection);
      if (out.fd < 0) return KERN_RESOURCE_SHORTAGE;
      out.wire = {0, uint32_t(RightKind::SendOnce), 0};
      return KERN_SUCCESS;
    default:
      return KERN_INVALID_VALUE;
  }
}

void PortSpace::consume(mach_port_name_t name, mach_msg_type_name_t disposition) {
  if (disposition != MACH_MSG_TYPE_MOVE_SEND && disposition != MACH_MSG_TYPE_MOVE_SEND_ONCE) return;
  deallocate(name);
}

namespace {

// The identity a right claims, when its connection leads to the process the identity names;
// else none.
uint64_t vouchedIdentity(uint64_t identity, int fd) {
  ucred peer{};
  socklen_t length = sizeof peer;
  if (!identity || getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0) return 0;
  return uint32_t(identity >> 32) == uint32_t(peer.pid) ? identity : 0;
}

}  // namespace

mach_port_name_t PortSpace::install(const WireRight& wire, int fd) {
  WireRight right = wire;
  const auto kind = RightKind(right.kind);
  right.identity = kind == RightKind::Send ? vouchedIdentity(right.identity, fd) : 0;
  std::lock_guard<std::mutex> guard(mLock);
  if (kind == RightKind::Send && right.identity) {
    auto known = mByIdentity.find(right.identity);
    if (known != mByIdentity.end()) {
      PortEntry* entry = findLocked(known->second);
      if (entry && !entry->dead && entry->sendRefs < kMostUserReferences) {
        ++entry->sendRefs;
        close(fd);
        return known->second;
      }
    }
  }
  const mach_port_name_t name = newNameLocked();
  PortEntry& entry = mEntries[name];
  entry.connection = shareDescriptor(fd);
  entry.sendRefs = 1;
  entry.identity = right.identity;
  entry.sendOnce = kind == RightKind::SendOnce;
  entry.fileport = kind == RightKind::File;
  if (kind == RightKind::Send && right.identity) mByIdentity[right.identity] = name;
  return name;
}

mach_port_name_t PortSpace::insertSendConnection(int fd, uint64_t identity) {
  return install({identity, uint32_t(RightKind::Send), 0}, fd);
}

}  // namespace MachLayer
