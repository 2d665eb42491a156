#include "PacketSocket.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace AudioServerProtocol {

namespace {
constexpr size_t kMaxDescriptors = 4;
}

void Packet::closeDescriptors() {
  for (int fd : fds) close(fd);
  fds.clear();
}

bool sendPacket(int socket, const Header& header, const std::vector<uint8_t>& payload,
                const std::vector<int>& fds) {
  Header sent = header;
  sent.payloadSize = uint32_t(payload.size());
  iovec parts[2] = {{&sent, sizeof sent}, {const_cast<uint8_t*>(payload.data()), payload.size()}};
  msghdr message{};
  message.msg_iov = parts;
  message.msg_iovlen = payload.empty() ? 1 : 2;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kMaxDescriptors)] = {};
  if (!fds.empty() && fds.size() <= kMaxDescriptors) {
    message.msg_control = control;
    message.msg_controllen = CMSG_SPACE(sizeof(int) * fds.size());
    cmsghdr* entry = CMSG_FIRSTHDR(&message);
    entry->cmsg_level = SOL_SOCKET;
    entry->cmsg_type = SCM_RIGHTS;
    entry->cmsg_len = CMSG_LEN(sizeof(int) * fds.size());
    std::memcpy(CMSG_DATA(entry), fds.data(), sizeof(int) * fds.size());
  }
  while (true) {
    const ssize_t sent_bytes = sendmsg(socket, &message, MSG_NOSIGNAL);
    if (sent_bytes >= 0) return size_t(sent_bytes) == sizeof sent + payload.size();
    if (errno != EINTR) return false;
  }
}

int receivePacket(int socket, Packet& packet) {
  packet = Packet{};
  std::vector<uint8_t> buffer(sizeof(Header) + kMaxPacket);
  iovec part{buffer.data(), buffer.size()};
  msghdr message{};
  message.msg_iov = &part;
  message.msg_iovlen = 1;
  alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * kMaxDescriptors)] = {};
  message.msg_control = control;
  message.msg_controllen = sizeof control;
  ssize_t received;
  do {
    received = recvmsg(socket, &message, MSG_CMSG_CLOEXEC);
  } while (received < 0 && errno == EINTR);
  if (received <= 0) return 0;
  for (cmsghdr* entry = CMSG_FIRSTHDR(&message); entry; entry = CMSG_NXTHDR(&message, entry)) {
    if (entry->cmsg_level != SOL_SOCKET || entry->cmsg_type != SCM_RIGHTS) continue;
    const size_t count = (entry->cmsg_len - CMSG_LEN(0)) / sizeof(int);
    for (size_t i = 0; i < count; ++i) {
      int fd = -1;
      std::memcpy(&fd, CMSG_DATA(entry) + i * sizeof(int), sizeof fd);
      packet.fds.push_back(fd);
    }
  }
  if (size_t(received) < sizeof(Header)) {
    packet.closeDescriptors();
    return -1;
  }
  // The header of a packet that is not the protocol's still names the request to refuse.
  std::memcpy(&packet.header, buffer.data(), sizeof(Header));
  packet.headerKnown = true;
  if ((message.msg_flags & MSG_TRUNC) || packet.header.payloadSize != size_t(received) - sizeof(Header)) {
    packet.closeDescriptors();
    return -1;
  }
  packet.payload.assign(buffer.begin() + sizeof(Header), buffer.begin() + received);
  return 1;
}

SocketAddress::SocketAddress(const std::string& path) : mStorage(sizeof(sockaddr_un), 0) {
  auto* address = reinterpret_cast<sockaddr_un*>(mStorage.data());
  address->sun_family = AF_UNIX;
  std::string name = path;
  if (path.size() >= sizeof address->sun_path) {
    const size_t slash = path.rfind('/');
    mFolder = open(path.substr(0, slash).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    name = "/proc/self/fd/" + std::to_string(mFolder) + path.substr(slash);
  }
  mValid = name.size() < sizeof address->sun_path;
  if (mValid) std::memcpy(address->sun_path, name.c_str(), name.size() + 1);
}

SocketAddress::~SocketAddress() {
  if (mFolder >= 0) close(mFolder);
}

const sockaddr* SocketAddress::get() const { return reinterpret_cast<const sockaddr*>(mStorage.data()); }

unsigned SocketAddress::size() const { return sizeof(sockaddr_un); }

}  // namespace AudioServerProtocol
