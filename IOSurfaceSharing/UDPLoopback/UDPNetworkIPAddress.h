#pragma once
// An IPv4 address and port, both in host byte order.
#include <cstdint>
#include <map>
#include <string>

namespace UDPNetwork {

class IPAddress {
 public:
  static constexpr uint32_t kLoopbackAddress = 0x7F000001;  // 127.0.0.1

  IPAddress() = default;
  IPAddress(uint32_t address, uint16_t port) : m_address(address), m_port(port) {}

  // One number per address and port: the key of a table of peers.
  uint64_t GetAddressPortUniqueID() const { return (uint64_t(m_address) << 24) + m_port; }
  // "a.b.c.d" or "a.b.c.d:port", most significant byte first.
  std::string GetAddressString(bool withPort) const;
  bool IsLoopback() const { return (m_address >> 24) == 127; }

  // The IPv4 addresses of the machine's interfaces, under "<interface>@<a.b.c.d>".
  static std::map<std::string, IPAddress> networkInterfaces();

  uint32_t m_address = 0;
  uint16_t m_port = 0;
};

}  // namespace UDPNetwork
