#include "UDPNetworkSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace UDPNetwork {

namespace {

sockaddr_in socketAddress(const IPAddress& address) {
  sockaddr_in in{};
  in.sin_family = AF_INET;
  in.sin_addr.s_addr = htonl(address.m_address);
  in.sin_port = htons(address.m_port);
  return in;
}

}  // namespace

Socket::~Socket() { Close(); }

bool Socket::CreateUDPSocket() {
  m_socket = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
  return m_socket >= 0;
}

bool Socket::Open(uint16_t port, bool nonBlocking) {
  if (IsOpen()) return false;
  if (CreateUDPSocket() && BindToLoopbackAddressOnPort(port) && (!nonBlocking || SetNonBlockingOperation()))
    return true;
  Close();
  return false;
}

bool Socket::BindToLoopbackAddressOnPort(uint16_t port) {
  const sockaddr_in address = socketAddress(IPAddress(IPAddress::kLoopbackAddress, port));
  if (bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return false;
  m_address = IPAddress(IPAddress::kLoopbackAddress, port);
  return true;
}

bool Socket::SetNonBlockingOperation() {
  const int flags = fcntl(m_socket, F_GETFL);
  return flags != -1 && fcntl(m_socket, F_SETFL, flags | O_NONBLOCK) != -1;
}

size_t Socket::Receive(IPAddress& from, void* buffer, size_t length) {
  if (!buffer || length == 0 || !IsOpen()) return 0;
  sockaddr_in sender{};
  socklen_t senderLength = sizeof sender;
  const ssize_t received =
      recvfrom(m_socket, buffer, length, 0, reinterpret_cast<sockaddr*>(&sender), &senderLength);
  if (received < 1) return 0;
  from = IPAddress(ntohl(sender.sin_addr.s_addr), ntohs(sender.sin_port));
  return size_t(received);
}

bool Socket::Send(const IPAddress& to, const void* buffer, size_t length) {
  if (!buffer || length == 0 || !IsOpen()) return false;
  const sockaddr_in address = socketAddress(to);
  const ssize_t sent = sendto(m_socket, buffer, length, MSG_NOSIGNAL,
                              reinterpret_cast<const sockaddr*>(&address), sizeof address);
  return sent >= 0 && size_t(sent) == length;
}

void Socket::Close() {
  if (IsOpen()) close(m_socket);
  m_socket = -1;
  m_address = IPAddress();
}

}  // namespace UDPNetwork
