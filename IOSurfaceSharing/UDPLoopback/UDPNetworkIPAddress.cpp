#include "UDPNetworkIPAddress.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>

#include <cstdio>

namespace UDPNetwork {

std::string IPAddress::GetAddressString(bool withPort) const {
  char text[32];
  const unsigned a = m_address >> 24, b = (m_address >> 16) & 0xFF, c = (m_address >> 8) & 0xFF,
                 d = m_address & 0xFF;
  if (withPort)
    snprintf(text, sizeof text, "%d.%d.%d.%d:%d", a, b, c, d, unsigned(m_port));
  else
    snprintf(text, sizeof text, "%d.%d.%d.%d", a, b, c, d);
  return text;
}

std::map<std::string, IPAddress> IPAddress::networkInterfaces() {
  std::map<std::string, IPAddress> interfaces;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return interfaces;
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    // Only IPv4 entries hold an IPv4 address: reading a packet or IPv6 entry as one would
    // make up addresses.
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET) continue;
    const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
    IPAddress value(ntohl(address->sin_addr.s_addr), ntohs(address->sin_port));
    interfaces[std::string(entry->ifa_name) + "@" + value.GetAddressString(false)] = value;
  }
  freeifaddrs(list);
  return interfaces;
}

}  // namespace UDPNetwork
