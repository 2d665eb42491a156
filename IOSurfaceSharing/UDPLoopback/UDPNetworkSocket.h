#pragma once
// A UDP socket on the loopback interface. Every operation on a closed socket fails quietly;
// failures are answered, never reported, as the frame protocol's callers want.
#include <cstddef>
#include <cstdint>

#include "UDPNetworkIPAddress.h"

namespace UDPNetwork {

class Socket {
 public:
  Socket() = default;
  Socket(const Socket&) = delete;
  Socket& operator=(const Socket&) = delete;
  virtual ~Socket();

  bool IsOpen() const { return m_socket >= 0; }
  const IPAddress& GetAddress() const { return m_address; }

  bool CreateUDPSocket();
  // Creates the socket and binds it to 127.0.0.1 and the port; false (and closed) on any
  // failure, or when the socket is already open.
  bool Open(uint16_t port, bool nonBlocking);
  // Only the machine itself can reach a socket bound here: the frame protocol names shared
  // surfaces, which mean nothing to another machine.
  bool BindToLoopbackAddressOnPort(uint16_t port);
  bool SetNonBlockingOperation();
  // The byte count of the datagram read (cut to `length`), and its sender; 0 when nothing
  // was read (none waiting, a closed socket, or no buffer).
  size_t Receive(IPAddress& from, void* buffer, size_t length);
  // True only when the whole datagram went out.
  bool Send(const IPAddress& to, const void* buffer, size_t length);
  void Close();

 private:
  // -1 when closed: 0 is a real descriptor in a process started with its input closed.
  int m_socket = -1;
  IPAddress m_address;
};

}  // namespace UDPNetwork
