#include "Packet.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace MachLayer {

namespace {

constexpr size_t kLargestRightCount = 253;  // what one SCM_RIGHTS message may carry

void closeAll(std::vector<int>& descriptors) {
  for (int fd : descriptors) close(fd);
  descriptors.clear();
}

}  // namespace

Packet::Packet(Packet&& other) noexcept
    : bytes(std::move(other.bytes)), descriptors(std::exchange(other.descriptors, {})) {}

Packet& Packet::operator=(Packet&& other) noexcept {
  if (this != &other) {
    closeAll(descriptors);
    bytes = std::move(other.bytes);
    descriptors = std::exchange(other.descriptors, {});
  }
  return *this;
}

Packet::~Packet() { closeAll(descriptors); }

std::vector<int> Packet::takeDescriptors() { return std::exchange(descriptors, {}); }

Packet Packet::make(uint32_t destType, const std::vector<WireRight>& rights, std::vector<int> fds,
                    const void* message, size_t messageSize) {
  Packet packet;
  WireEnvelope envelope{kEnvelopeMagic, destType, uint32_t(rights.size()), 0};
  packet.bytes.resize(sizeof envelope + rights.size() * sizeof(WireRight) + messageSize);
  uint8_t* at = packet.bytes.data();
  std::memcpy(at, &envelope, sizeof envelope);
  at += sizeof envelope;
  if (!rights.empty()) std::memcpy(at, rights.data(), rights.size() * sizeof(WireRight));
  at += rights.size() * sizeof(WireRight);
  if (messageSize) std::memcpy(at, message, messageSize);
  packet.descriptors = std::move(fds);
  return packet;
}

bool Packet::parse(WireEnvelope& envelope, const WireRight*& rights, const uint8_t*& message,
                   size_t& messageSize) const {
  if (bytes.size() < sizeof envelope) return false;
  std::memcpy(&envelope, bytes.data(), sizeof envelope);
  if (envelope.magic != kEnvelopeMagic || envelope.rightCount != descriptors.size()) return false;
  const size_t rightsSize = size_t(envelope.rightCount) * sizeof(WireRight);
  if (bytes.size() - sizeof envelope < rightsSize) return false;
  rights = reinterpret_cast<const WireRight*>(bytes.data() + sizeof envelope);
  message = bytes.data() + sizeof envelope + rightsSize;
  messageSize = bytes.size() - sizeof envelope - rightsSize;
  return true;
}

SendResult sendPacket(int fd, const Packet& packet, const Deadline& deadline) {
  if (packet.descriptors.size() > kLargestRightCount || packet.bytes.size() > kLargestPacket)
    return SendResult::TooLarge;
  iovec data{const_cast<uint8_t*>(packet.bytes.data()), packet.bytes.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kLargestRightCount)];
  msghdr message{};
  message.msg_iov = &data;
  message.msg_iovlen = 1;
  if (!packet.descriptors.empty()) {
    const size_t size = sizeof(int) * packet.descriptors.size();
    message.msg_control = control;
    message.msg_controllen = CMSG_SPACE(size);
    cmsghdr* rights = CMSG_FIRSTHDR(&message);
    rights->cmsg_level = SOL_SOCKET;
    rights->cmsg_type = SCM_RIGHTS;
    rights->cmsg_len = CMSG_LEN(size);
    std::memcpy(CMSG_DATA(rights), packet.descriptors.data(), size);
  }
  for (;;) {
    if (sendmsg(fd, &message, MSG_DONTWAIT | MSG_NOSIGNAL) >= 0) return SendResult::Sent;
    switch (errno) {
      case EINTR:
        continue;
      case EAGAIN: {
        const int left = deadline.millisecondsLeft();
        if (left == 0) return SendResult::TimedOut;
        pollfd writable{fd, POLLOUT, 0};
        const int ready = poll(&writable, 1, left);
        if (ready == 0) return SendResult::TimedOut;
        continue;  // the next send tells whether there is room or the peer went away
      }
      case EPIPE:
      case ECONNRESET:
      case ENOTCONN:
      case ECONNREFUSED:
        return SendResult::PeerGone;
      case EMSGSIZE:
      case ENOBUFS:
        return SendResult::TooLarge;
      default:
        return SendResult::Failed;
    }
  }
}

ReadResult readPacket(int fd, Packet& packet) {
  ssize_t size;
  do {
    size = recv(fd, nullptr, 0, MSG_PEEK | MSG_TRUNC | MSG_DONTWAIT);
  } while (size < 0 && errno == EINTR);
  if (size < 0) return errno == EAGAIN || errno == EWOULDBLOCK ? ReadResult::Empty : ReadResult::Closed;
  if (size == 0) return ReadResult::Closed;

  // A packet larger than any message is read into a small buffer (and so truncated) to be
  // thrown away with its descriptors.
  const bool tooLarge = size_t(size) > kLargestPacket;
  packet.bytes.assign(tooLarge ? 1 : size_t(size), 0);
  iovec data{packet.bytes.data(), packet.bytes.size()};
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kLargestRightCount)];
  msghdr message{};
  message.msg_iov = &data;
  message.msg_iovlen = 1;
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  ssize_t got;
  do {
    got = recvmsg(fd, &message, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
  } while (got < 0 && errno == EINTR);
  if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK ? ReadResult::Empty : ReadResult::Closed;

  packet.descriptors.clear();
  for (cmsghdr* part = CMSG_FIRSTHDR(&message); part; part = CMSG_NXTHDR(&message, part)) {
    if (part->cmsg_level != SOL_SOCKET || part->cmsg_type != SCM_RIGHTS) continue;
    const size_t count = (part->cmsg_len - CMSG_LEN(0)) / sizeof(int);
    for (size_t i = 0; i < count; ++i) {
      int received;
      std::memcpy(&received, CMSG_DATA(part) + i * sizeof(int), sizeof received);
      packet.descriptors.push_back(received);
    }
  }
  if (tooLarge || (message.msg_flags & (MSG_TRUNC | MSG_CTRUNC))) {
    closeAll(packet.descriptors);
    packet.bytes.clear();
    return ReadResult::Dropped;
  }
  return ReadResult::Got;
}

}  // namespace MachLayer
