#pragma once
// The port plan of the frame protocol: the server listens on 127.0.0.1 at its listener port;
// clients bind the first free port of listener + 1 .. listener + 30 (16-bit sums, so they
// wrap near the top of the range).
#include <cstdint>

#include "UDPNetworkIPAddress.h"

class UDPLoopbackMessageProtocol {
 public:
  static constexpr uint16_t kClientPortCount = 30;

  explicit UDPLoopbackMessageProtocol(uint16_t listenerPort = 0) { SetServerListenerPort(listenerPort); }

  const UDPNetwork::IPAddress& GetServerIPAddress() const { return mServerIPAddress; }
  uint16_t GetServerListenerPort() const { return mServerIPAddress.m_port; }
  void SetServerListenerPort(uint16_t port) {
    mServerIPAddress = UDPNetwork::IPAddress(UDPNetwork::IPAddress::kLoopbackAddress, port);
  }
  uint16_t GetClientFirstPort() const { return uint16_t(GetServerListenerPort() + 1); }
  uint16_t GetClientLastPort() const { return uint16_t(GetServerListenerPort() + kClientPortCount); }

 private:
  UDPNetwork::IPAddress mServerIPAddress;
};
