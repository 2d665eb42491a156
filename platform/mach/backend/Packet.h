#pragma once
// What travels between ports: one SOCK_SEQPACKET packet holding a short envelope, then the
// message in the platform's byte layout, with the descriptors of the rights it carries
// attached (SCM_RIGHTS). The envelope says, for each right in the order the message names
// them (the reply right first, then each port descriptor), what kind of right it is and which
// port it leads to, so that a receiver can give two rights to one port the same name.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "Deadline.h"

namespace MachLayer {

enum class RightKind : uint32_t {
  Send = 1,
  SendOnce = 2,
  File = 3,  // a fileport: a descriptor of something that is not a port
};

struct WireRight {
  uint64_t identity;  // the port's identity (0 for a fileport)
  uint32_t kind;      // a RightKind
  uint32_t reserved;
};

struct WireEnvelope {
  uint32_t magic;
  uint32_t destType;  // the right the message was sent with, in received form
  uint32_t rightCount;
  uint32_t reserved;
};

constexpr uint32_t kEnvelopeMagic = 0x4d784d73;  // "sMxM"

// A packet owns its descriptors until they are taken.
class Packet {
 public:
  Packet() = default;
  Packet(Packet&& other) noexcept;
  Packet& operator=(Packet&& other) noexcept;
  Packet(const Packet&) = delete;
  Packet& operator=(const Packet&) = delete;
  ~Packet();

  // A packet for a message, with the rights' descriptors (taken over by the packet).
  static Packet make(uint32_t destType, const std::vector<WireRight>& rights, std::vector<int> descriptors,
                     const void* message, size_t messageSize);

  // The parts of a well-formed packet: false when the envelope does not add up.
  bool parse(WireEnvelope& envelope, const WireRight*& rights, const uint8_t*& message,
             size_t& messageSize) const;

  std::vector<uint8_t> bytes;
  std::vector<int> descriptors;

  // Hands the descriptors over to the caller.
  std::vector<int> takeDescriptors();
};

enum class SendResult { Sent, TimedOut, PeerGone, TooLarge, Failed };
// Sends the packet (its descriptors stay the packet's) on a connected socket.
SendResult sendPacket(int fd, const Packet& packet, const Deadline& deadline);

enum class ReadResult { Got, Empty, Closed, Dropped };
// Reads the next packet of a connection without waiting: Empty when none is there, Closed at
// the end of the connection, Dropped for a packet that could not be taken whole.
ReadResult readPacket(int fd, Packet& packet);

// The largest packet: a message of the largest size with the most rights.
constexpr size_t kLargestPacket = sizeof(WireEnvelope) + 251 * sizeof(WireRight) + 64 * 1024;

}  // namespace MachLayer
