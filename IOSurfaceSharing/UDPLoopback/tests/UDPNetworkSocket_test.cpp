// The socket and address classes: loopback binding, descriptor 0, flags, truncation.
#include "UDPNetworkSocket.h"

#include <PollUntil.h>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using UDPNetwork::IPAddress;
using UDPNetwork::Socket;

IPAddress at(uint16_t port) { return IPAddress(IPAddress::kLoopbackAddress, port); }

// The datagram waiting on a non-blocking socket, looked for until a deadline.
size_t receive(Socket& socket, IPAddress& from, void* buffer, size_t length) {
  size_t received = 0;
  moxicam::test::pollUntil([&] { return (received = socket.Receive(from, buffer, length)) > 0; });
  return received;
}

TEST(UDPNetworkSocket, OpensOnLoopbackOnceAndOnlyOnAFreePort) {
  Socket first;
  ASSERT_TRUE(first.Open(31000, true));
  EXPECT_EQ(first.GetAddress().GetAddressString(true), "127.0.0.1:31000");
  EXPECT_FALSE(first.Open(31001, true)) << "already open";
  EXPECT_EQ(first.GetAddress().m_port, 31000);

  Socket second;
  EXPECT_FALSE(second.Open(31000, true)) << "port taken";
  EXPECT_FALSE(second.IsOpen());
  first.Close();
  EXPECT_TRUE(second.Open(31000, true));
}

TEST(UDPNetworkSocket, ClosedSocketAnswersNothing) {
  Socket socket;
  char buffer[8] = {};
  IPAddress from;
  EXPECT_EQ(socket.Receive(from, buffer, sizeof buffer), 0u);
  EXPECT_FALSE(socket.Send(at(31002), buffer, sizeof buffer));
  ASSERT_TRUE(socket.Open(31002, true));
  EXPECT_EQ(socket.Receive(from, buffer, sizeof buffer), 0u) << "nothing waiting";
  EXPECT_EQ(socket.Receive(from, nullptr, sizeof buffer), 0u);
  EXPECT_FALSE(socket.Send(at(31002), buffer, 0));
}

// A program started with its standard input closed gets descriptor 0 for its first socket,
// which is as good as any other.
TEST(UDPNetworkSocket, DescriptorZeroIsAnOpenSocket) {
  const int savedInput = dup(0);
  ASSERT_GE(savedInput, 0);
  close(0);
  Socket server;
  const bool opened = server.Open(31003, true);
  sockaddr_in bound{};
  socklen_t boundLength = sizeof bound;
  const bool gotZero = getsockname(0, reinterpret_cast<sockaddr*>(&bound), &boundLength) == 0 &&
                       bound.sin_family == AF_INET && ntohs(bound.sin_port) == 31003;
  Socket client;
  const bool clientOpened = client.Open(31004, true);
  const char ping[] = "ping";
  const bool sent = client.Send(at(31003), ping, sizeof ping);
  char buffer[16] = {};
  IPAddress from;
  const size_t received = receive(server, from, buffer, sizeof buffer);
  server.Close();
  dup2(savedInput, 0);
  close(savedInput);

  ASSERT_TRUE(opened);
  EXPECT_TRUE(gotZero);
  ASSERT_TRUE(clientOpened);
  EXPECT_TRUE(sent);
  EXPECT_EQ(received, sizeof ping);
  EXPECT_EQ(from.GetAddressString(true), "127.0.0.1:31004");
}

TEST(UDPNetworkSocket, DatagramLongerThanTheBufferIsCut) {
  Socket server, client;
  ASSERT_TRUE(server.Open(31005, true));
  ASSERT_TRUE(client.Open(31006, false));
  const char text[] = "0123456789";
  ASSERT_TRUE(client.Send(at(31005), text, sizeof text));
  char buffer[4] = {};
  IPAddress from;
  EXPECT_EQ(receive(server, from, buffer, sizeof buffer), 4u);
  EXPECT_EQ(std::string(buffer, 4), "0123");
}

TEST(UDPNetworkIPAddress, KeysTextAndInterfaces) {
  const IPAddress address(0x7F000001, 30101);
  EXPECT_EQ(address.GetAddressPortUniqueID(), (0x7F000001ull << 24) + 30101);
  EXPECT_EQ(address.GetAddressString(false), "127.0.0.1");
  EXPECT_EQ(IPAddress(0xC0A80A01, 0).GetAddressString(true), "192.168.10.1:0");
  EXPECT_NE(IPAddress(0x7F000001, 1).GetAddressPortUniqueID(),
            IPAddress(0x7F000001, 2).GetAddressPortUniqueID());

  // Only IPv4 entries, so the loopback interface shows once with its real address.
  const auto interfaces = IPAddress::networkInterfaces();
  ASSERT_EQ(interfaces.count("lo@127.0.0.1"), 1u);
  for (const auto& [name, value] : interfaces) EXPECT_EQ(name.find("@0.0.0.0"), std::string::npos) << name;
}

}  // namespace
