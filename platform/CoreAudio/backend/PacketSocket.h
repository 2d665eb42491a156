#pragma once
// Whole packets over a SOCK_SEQPACKET Unix socket, with descriptors passed beside them.
#include <sys/socket.h>

#include <cstdint>
#include <string>
#include <vector>

#include "AudioServerProtocol.h"

namespace AudioServerProtocol {

struct Packet {
  Header header{};
  bool headerKnown = false;  // the header arrived whole
  std::vector<uint8_t> payload;
  std::vector<int> fds;  // owned by the receiver

  void closeDescriptors();
};

// Sends one packet; false when the peer is gone.
bool sendPacket(int socket, const Header& header, const std::vector<uint8_t>& payload,
                const std::vector<int>& fds = {});
// Receives one packet. Answers 1 for a packet, 0 when the peer has gone, -1 for a packet that
// is not one of the protocol's (too short, too long, or its size does not match its header);
// the header of such a packet is kept when it arrived whole.
int receivePacket(int socket, Packet& packet);

// A socket address for a path of any length (a long path is reached through the folder).
class SocketAddress {
 public:
  explicit SocketAddress(const std::string& path);
  ~SocketAddress();
  SocketAddress(const SocketAddress&) = delete;
  SocketAddress& operator=(const SocketAddress&) = delete;
  bool valid() const { return mValid; }
  const sockaddr* get() const;
  unsigned size() const;

 private:
  std::vector<uint8_t> mStorage;
  int mFolder = -1;
  bool mValid = false;
};

}  // namespace AudioServerProtocol
