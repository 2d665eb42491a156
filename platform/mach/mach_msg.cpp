#include <mach/mach_init.h>
#include <mach/mach_port.h>
#include <mach/message.h>

#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "backend/PortSpace.h"

using namespace MachLayer;

namespace {

constexpr size_t kBodyOffset = sizeof(mach_msg_header_t);
constexpr size_t kDescriptorsOffset = kBodyOffset + sizeof(mach_msg_body_t);

mach_msg_type_name_t receivedForm(mach_msg_type_name_t disposition) {
  switch (disposition) {
    case MACH_MSG_TYPE_MOVE_SEND:
    case MACH_MSG_TYPE_COPY_SEND:
    case MACH_MSG_TYPE_MAKE_SEND:
      return MACH_MSG_TYPE_PORT_SEND;
    case MACH_MSG_TYPE_MOVE_SEND_ONCE:
    case MACH_MSG_TYPE_MAKE_SEND_ONCE:
      return MACH_MSG_TYPE_PORT_SEND_ONCE;
    default:
      return MACH_MSG_TYPE_PORT_NONE;
  }
}

mach_msg_port_descriptor_t descriptorAt(const uint8_t* message, size_t index) {
  mach_msg_port_descriptor_t descriptor;
  std::memcpy(&descriptor, message + kDescriptorsOffset + index * sizeof descriptor, sizeof descriptor);
  return descriptor;
}

void putDescriptor(uint8_t* message, size_t index, const mach_msg_port_descriptor_t& descriptor) {
  std::memcpy(message + kDescriptorsOffset + index * sizeof descriptor, &descriptor, sizeof descriptor);
}

// The rights a message takes along while it is being sent: what to undo when it cannot go,
// and which names lose a right once it went.
class Outgoing {
 public:
  ~Outgoing() { undo(); }

  void add(OutgoingRight right, mach_port_name_t name, mach_msg_type_name_t disposition) {
    if (right.fd >= 0) {
      mWire.push_back(right.wire);
      mDescriptors.push_back(right.fd);
    }
    if (right.madeOn) mMade.emplace_back(right.madeOn, right.madeKey);
    mMoved.emplace_back(name, disposition);
  }
  Packet packet(uint32_t destType, const std::vector<uint8_t>& message) {
    return Packet::make(destType, mWire, std::exchange(mDescriptors, {}), message.data(), message.size());
  }

  // The message went: the connections made for it stay, moved rights leave their names.
  void commit() {
    mMade.clear();
    for (auto [name, disposition] : mMoved) PortSpace::shared().consume(name, disposition);
    mMoved.clear();
  }

  // The message did not go: its new connections are taken back before their far ends close,
  // so that no port mistakes them for rights that went away.
  void undo() {
    for (auto& [port, key] : mMade) port->disconnect(key);
    mMade.clear();
    for (int fd : mDescriptors) close(fd);
    mDescriptors.clear();
  }

 private:
  std::vector<WireRight> mWire;
  std::vector<int> mDescriptors;
  std::vector<std::pair<std::shared_ptr<ReceivePort>, uint64_t>> mMade;
  std::vector<std::pair<mach_port_name_t, mach_msg_type_name_t>> mMoved;
};

mach_msg_return_t sendMessage(const mach_msg_header_t* msg, mach_msg_size_t size, const Deadline& deadline) {
  if (!msg) return MACH_SEND_INVALID_DATA;
  if (size < sizeof(mach_msg_header_t) || size % 4 != 0) return MACH_SEND_MSG_TOO_SMALL;
  if (size > MACH_MSG_SIZE_MAX) return MACH_SEND_TOO_LARGE;
  std::vector<uint8_t> message(size);
  std::memcpy(message.data(), msg, size);
  mach_msg_header_t header;
  std::memcpy(&header, message.data(), sizeof header);

  PortSpace& space = PortSpace::shared();
  const mach_msg_type_name_t remoteDisposition = MACH_MSGH_BITS_REMOTE(header.msgh_bits);
  const mach_msg_type_name_t localDisposition = MACH_MSGH_BITS_LOCAL(header.msgh_bits);
  const bool complex = header.msgh_bits & MACH_MSGH_BITS_COMPLEX;
  Destination destination;
  if (mach_msg_return_t status = space.destination(header.msgh_remote_port, remoteDisposition, destination))
    return status;

  Outgoing outgoing;
  mach_msg_type_name_t replyType = MACH_MSG_TYPE_PORT_NONE;
  if (header.msgh_local_port != MACH_PORT_NULL) {
    replyType = receivedForm(localDisposition);
    OutgoingRight reply;
    if (replyType == MACH_MSG_TYPE_PORT_NONE) return MACH_SEND_INVALID_HEADER;
    if (space.takeRight(header.msgh_local_port, localDisposition, reply) != KERN_SUCCESS || reply.fd < 0)
      return MACH_SEND_INVALID_REPLY;
    outgoing.add(std::move(reply), header.msgh_local_port, localDisposition);
  }

  if (complex) {
    if (size < kDescriptorsOffset) return MACH_SEND_MSG_TOO_SMALL;
    mach_msg_body_t body;
    std::memcpy(&body, message.data() + kBodyOffset, sizeof body);
    if (body.msgh_descriptor_count > MACH_MSG_RIGHTS_MAX) return MACH_SEND_TOO_LARGE;
    if (size < kDescriptorsOffset + size_t(body.msgh_descriptor_count) * sizeof(mach_msg_port_descriptor_t))
      return MACH_SEND_MSG_TOO_SMALL;
    for (size_t i = 0; i < body.msgh_descriptor_count; ++i) {
      mach_msg_port_descriptor_t descriptor = descriptorAt(message.data(), i);
      if (descriptor.type != MACH_MSG_PORT_DESCRIPTOR) return MACH_SEND_INVALID_TYPE;
      const mach_msg_type_name_t disposition = descriptor.disposition;
      const mach_msg_type_name_t received = receivedForm(disposition);
      if (received == MACH_MSG_TYPE_PORT_NONE) return MACH_SEND_INVALID_TYPE;
      if (MACH_PORT_VALID(descriptor.name)) {
        OutgoingRight right;
        const kern_return_t taken = space.takeRight(descriptor.name, disposition, right);
        if (taken == KERN_INVALID_VALUE) return MACH_SEND_INVALID_TYPE;
        if (taken != KERN_SUCCESS) return MACH_SEND_INVALID_RIGHT;
        // A dead name travels as MACH_PORT_DEAD, without a descriptor.
        const bool dead = right.fd < 0;
        outgoing.add(std::move(right), descriptor.name, disposition);
        if (dead) descriptor.name = MACH_PORT_DEAD;
      }
      descriptor.disposition = received;
      putDescriptor(message.data(), i, descriptor);
    }
  }

  header.msgh_bits = (complex ? mach_msg_bits_t(MACH_MSGH_BITS_COMPLEX) : 0u) |
                     MACH_MSGH_BITS(replyType, destination.receivedType);
  header.msgh_size = size;
  header.msgh_remote_port = MACH_PORT_NULL;
  header.msgh_local_port = MACH_PORT_NULL;
  header.msgh_voucher_port = MACH_PORT_NULL;
  std::memcpy(message.data(), &header, sizeof header);
  Packet packet = outgoing.packet(destination.receivedType, message);

  mach_msg_return_t status = MACH_MSG_SUCCESS;
  if (destination.local) {
    if (destination.local->isDead())
      status = MACH_SEND_INVALID_DEST;
    else
      destination.local->enqueue(std::move(packet));
  } else {
    switch (sendPacket(destination.connection->fd(), packet, deadline)) {
      case SendResult::Sent:
        break;
      case SendResult::TimedOut:
        status = MACH_SEND_TIMED_OUT;
        break;
      case SendResult::PeerGone:
        space.markDead(msg->msgh_remote_port, destination.connection);
        status = MACH_SEND_INVALID_DEST;
        break;
      case SendResult::TooLarge:
        status = MACH_SEND_TOO_LARGE;
        break;
      case SendResult::Failed:
        status = MACH_SEND_NO_BUFFER;
        break;
    }
  }
  if (status != MACH_MSG_SUCCESS) {
    // Before the packet closes the far ends of the connections made for it.
    outgoing.undo();
    return status;
  }
  outgoing.commit();
  if (remoteDisposition == MACH_MSG_TYPE_MOVE_SEND || remoteDisposition == MACH_MSG_TYPE_MOVE_SEND_ONCE)
    space.consume(msg->msgh_remote_port, remoteDisposition);
  return MACH_MSG_SUCCESS;
}

enum class Delivery { Delivered, TooLarge, Malformed };

// Checks a packet against what it claims and, when it holds together, writes the message into
// the caller's buffer with the rights it carries under new names.
Delivery deliver(Packet& packet, mach_msg_header_t* msg, mach_msg_size_t bufferSize,
                 mach_port_name_t receivedOn, bool large, ReceivePort& port) {
  WireEnvelope envelope;
  const WireRight* rights;
  const uint8_t* message;
  size_t size;
  if (!packet.parse(envelope, rights, message, size)) return Delivery::Malformed;
  if (size < sizeof(mach_msg_header_t) || size % 4 != 0 || size > MACH_MSG_SIZE_MAX)
    return Delivery::Malformed;
  mach_msg_header_t header;
  std::memcpy(&header, message, sizeof header);
  const mach_msg_type_name_t replyType = MACH_MSGH_BITS_REMOTE(header.msgh_bits);
  const mach_msg_type_name_t destType = MACH_MSGH_BITS_LOCAL(header.msgh_bits);
  if (header.msgh_size != size || destType != envelope.destType ||
      (destType != MACH_MSG_TYPE_PORT_SEND && destType != MACH_MSG_TYPE_PORT_SEND_ONCE))
    return Delivery::Malformed;

  // Which right each named place takes, checked before anything is installed.
  auto fits = [&](mach_msg_type_name_t type, const WireRight& right) {
    const auto kind = RightKind(right.kind);
    return type == MACH_MSG_TYPE_PORT_SEND_ONCE ? kind == RightKind::SendOnce
                                                : kind == RightKind::Send || kind == RightKind::File;
  };
  size_t used = 0;
  if (replyType != MACH_MSG_TYPE_PORT_NONE) {
    if (replyType != MACH_MSG_TYPE_PORT_SEND && replyType != MACH_MSG_TYPE_PORT_SEND_ONCE)
      return Delivery::Malformed;
    if (used >= envelope.rightCount || !fits(replyType, rights[used])) return Delivery::Malformed;
    ++used;
  }
  const bool complex = header.msgh_bits & MACH_MSGH_BITS_COMPLEX;
  mach_msg_body_t body{0};
  if (complex) {
    if (size < kDescriptorsOffset) return Delivery::Malformed;
    std::memcpy(&body, message + kBodyOffset, sizeof body);
    if (body.msgh_descriptor_count > MACH_MSG_RIGHTS_MAX ||
        size < kDescriptorsOffset + size_t(body.msgh_descriptor_count) * sizeof(mach_msg_port_descriptor_t))
      return Delivery::Malformed;
    for (size_t i = 0; i < body.msgh_descriptor_count; ++i) {
      const mach_msg_port_descriptor_t descriptor = descriptorAt(message, i);
      if (descriptor.type != MACH_MSG_PORT_DESCRIPTOR) return Delivery::Malformed;
      if (descriptor.disposition != MACH_MSG_TYPE_PORT_SEND &&
          descriptor.disposition != MACH_MSG_TYPE_PORT_SEND_ONCE)
        return Delivery::Malformed;
      if (!MACH_PORT_VALID(descriptor.name)) continue;
      if (used >= envelope.rightCount || !fits(descriptor.disposition, rights[used]))
        return Delivery::Malformed;
      ++used;
    }
  }
  if (used != envelope.rightCount) return Delivery::Malformed;

  const size_t needed = size + MACH_MSG_TRAILER_MINIMUM_SIZE;
  if (bufferSize < needed) {
    if (large) {
      if (bufferSize >= sizeof(mach_msg_header_t)) msg->msgh_size = mach_msg_size_t(needed);
      port.requeue(std::move(packet));
    }
    return Delivery::TooLarge;
  }

  PortSpace& space = PortSpace::shared();
  std::vector<int> descriptors = packet.takeDescriptors();
  size_t next = 0;
  auto installNext = [&]() {
    const mach_port_name_t name = space.install(rights[next], descriptors[next]);
    ++next;
    return name;
  };
  uint8_t* out = reinterpret_cast<uint8_t*>(msg);
  std::memcpy(out, message, size);
  header.msgh_remote_port = replyType != MACH_MSG_TYPE_PORT_NONE ? installNext() : MACH_PORT_NULL;
  header.msgh_local_port = receivedOn;
  header.msgh_voucher_port = MACH_PORT_NULL;
  std::memcpy(out, &header, sizeof header);
  for (size_t i = 0; i < body.msgh_descriptor_count; ++i) {
    mach_msg_port_descriptor_t descriptor = descriptorAt(message, i);
    if (!MACH_PORT_VALID(descriptor.name)) continue;
    descriptor.name = installNext();
    putDescriptor(out, i, descriptor);
  }
  const mach_msg_trailer_t trailer{MACH_MSG_TRAILER_FORMAT_0, MACH_MSG_TRAILER_MINIMUM_SIZE};
  std::memcpy(out + size, &trailer, sizeof trailer);
  return Delivery::Delivered;
}

mach_msg_return_t receiveMessage(mach_msg_header_t* msg, mach_msg_size_t bufferSize, mach_port_name_t name,
                                 bool large, const Deadline& deadline) {
  std::shared_ptr<ReceivePort> port = PortSpace::shared().receivePort(name);
  if (!port) return MACH_RCV_INVALID_NAME;
  if (!msg) return MACH_RCV_TOO_LARGE;
  for (;;) {
    Packet packet;
    switch (port->next(packet, deadline)) {
      case ReceivePort::Wait::TimedOut:
        return MACH_RCV_TIMED_OUT;
      case ReceivePort::Wait::Dead:
        return MACH_RCV_PORT_DIED;
      case ReceivePort::Wait::Got:
        break;
    }
    switch (deliver(packet, msg, bufferSize, name, large, *port)) {
      case Delivery::Delivered:
        return MACH_MSG_SUCCESS;
      case Delivery::TooLarge:
        return MACH_RCV_TOO_LARGE;
      case Delivery::Malformed:
        std::fprintf(stderr, "mach_msg: dropped a malformed message that arrived on port 0x%x\n", name);
        break;
    }
  }
}

Deadline deadlineFor(mach_msg_option_t option, mach_msg_option_t timeoutOption, mach_msg_timeout_t timeout) {
  return (option & timeoutOption) ? Deadline::after(timeout) : Deadline::never();
}

}  // namespace

mach_msg_return_t mach_msg(mach_msg_header_t* msg, mach_msg_option_t option, mach_msg_size_t send_size,
                           mach_msg_size_t rcv_size, mach_port_name_t rcv_name, mach_msg_timeout_t timeout,
                           mach_port_name_t) {
  if (option & MACH_SEND_MSG) {
    const mach_msg_return_t sent =
        sendMessage(msg, send_size, deadlineFor(option, MACH_SEND_TIMEOUT, timeout));
    if (sent != MACH_MSG_SUCCESS) return sent;
  }
  if (option & MACH_RCV_MSG)
    return receiveMessage(msg, rcv_size, rcv_name, option & MACH_RCV_LARGE,
                          deadlineFor(option, MACH_RCV_TIMEOUT, timeout));
  return MACH_MSG_SUCCESS;
}

namespace {

void destroyRight(mach_port_name_t name, mach_msg_type_name_t disposition) {
  if (!MACH_PORT_VALID(name)) return;
  switch (disposition) {
    case MACH_MSG_TYPE_MOVE_SEND:
    case MACH_MSG_TYPE_MOVE_SEND_ONCE:
      mach_port_deallocate(mach_task_self_, name);
      break;
    case MACH_MSG_TYPE_MOVE_RECEIVE:
      mach_port_mod_refs(mach_task_self_, name, MACH_PORT_RIGHT_RECEIVE, -1);
      break;
    default:
      break;
  }
}

}  // namespace

void mach_msg_destroy(mach_msg_header_t* msg) {
  if (!msg) return;
  destroyRight(msg->msgh_remote_port, MACH_MSGH_BITS_REMOTE(msg->msgh_bits));
  if (!(msg->msgh_bits & MACH_MSGH_BITS_COMPLEX) || msg->msgh_size < kDescriptorsOffset) return;
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(msg);
  mach_msg_body_t body;
  std::memcpy(&body, bytes + kBodyOffset, sizeof body);
  const size_t room = (msg->msgh_size - kDescriptorsOffset) / sizeof(mach_msg_port_descriptor_t);
  for (size_t i = 0; i < body.msgh_descriptor_count && i < room; ++i) {
    const mach_msg_port_descriptor_t descriptor = descriptorAt(bytes, i);
    if (descriptor.type == MACH_MSG_PORT_DESCRIPTOR) destroyRight(descriptor.name, descriptor.disposition);
  }
}
