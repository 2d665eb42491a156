#include <PollUntil.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "TestServer.h"
#include "UDPLoopbackMessageClientBuffer.h"

using moxicam::test::pollUntil;
using moxicam::test::TestServer;

namespace {

constexpr uint16_t kListener = 30100;

// A clock the test moves by hand, in nanoseconds.
uint64_t gNow = 1000000000;
uint64_t manualClock() { return gNow; }

UDPNetwork::IPAddress loopback(uint16_t port) {
  return UDPNetwork::IPAddress(UDPNetwork::IPAddress::kLoopbackAddress, port);
}

size_t pingsFrom(TestServer& server, uint16_t port) {
  server.drain();
  size_t pings = 0;
  for (const auto& [from, message] : server.got)
    if (from.m_port == port && message.HasMessageID() && message.GetMessageType() == MessageType_ClientPing)
      ++pings;
  return pings;
}

// Gathers until at least `count` casts arrived (the datagrams travel through the kernel).
std::vector<UDPLoopbackMessageClientBuffer::message_t> gather(UDPLoopbackMessageClientBuffer& client,
                                                              size_t count) {
  std::vector<UDPLoopbackMessageClientBuffer::message_t> messages;
  pollUntil([&] {
    client.GetNewMessages(messages);
    return messages.size() >= count;
  });
  return messages;
}

TEST(UDPLoopbackMessageClient, BindsTheFirstFreePortOfTheRangeAndSubscribes) {
  TestServer server;
  ASSERT_TRUE(server.opened);
  UDPNetwork::Socket taken;
  ASSERT_TRUE(taken.Open(30101, true));
  UDPLoopbackMessageClient client(kListener);
  ASSERT_TRUE(client.ConnectToServerWithFirstAvailableSocketInPortRange());
  EXPECT_EQ(client.GetClientIPAddress().m_port, 30102);
  const auto got = server.received();
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].first.m_port, 30102);
  EXPECT_EQ(got[0].second.GetMessageType(), MessageType_ClientPing);
  EXPECT_STREQ(got[0].second.GetText(), "MessageType_ClientPing");
  // Connecting again keeps the socket and sends nothing more.
  EXPECT_TRUE(client.ConnectToServerWithFirstAvailableSocketInPortRange());
  EXPECT_EQ(pingsFrom(server, 30102), 1u);
}

TEST(UDPLoopbackMessageClient, AFullRangeFailsWithoutSending) {
  TestServer server;
  std::vector<std::unique_ptr<UDPNetwork::Socket>> taken;
  for (uint16_t port = 30101; port <= 30130; ++port) {
    taken.push_back(std::make_unique<UDPNetwork::Socket>());
    ASSERT_TRUE(taken.back()->Open(port, true));
  }
  UDPLoopbackMessageClientBuffer client(kListener);
  std::vector<UDPLoopbackMessageClientBuffer::message_t> messages;
  EXPECT_FALSE(client.GetNewMessages(messages));
  EXPECT_FALSE(client.IsConnected());
  EXPECT_FALSE(client.SendPingMessageToServer());
  EXPECT_FALSE(client.PingServerWithKeepAlive());
  EXPECT_FALSE(client.HandleServerMessagesWithReceiveBlock(nullptr, nullptr));
  EXPECT_FALSE(client.DisconnectFromServer());
  // The server's own port is outside the range: nothing was sent to it... from anywhere.
  server.drain();
  EXPECT_TRUE(server.got.empty());
}

TEST(UDPLoopbackMessageClient, ARangeThatWrapsPastTheTopEndsAndSkipsPortZero) {
  struct Case {
    uint16_t listener;
    uint16_t firstBound;
  };
  // 65505: the last port is 65535, where a 16-bit port counter would never stop. 65530: the
  // range wraps to 24 and holds port 0, which would bind any port at all.
  for (const Case& c : {Case{65505, 65506}, Case{65530, 65531}}) {
    std::vector<std::unique_ptr<UDPNetwork::Socket>> taken;
    for (uint32_t port = uint32_t(c.listener) + 1; port <= 65535; ++port) {
      taken.push_back(std::make_unique<UDPNetwork::Socket>());
      ASSERT_TRUE(taken.back()->Open(uint16_t(port), true));
    }
    UDPLoopbackMessageClient client(c.listener);
    if (c.listener == 65505) {
      EXPECT_FALSE(client.ConnectToServerWithFirstAvailableSocketInPortRange());
      continue;
    }
    ASSERT_TRUE(client.ConnectToServerWithFirstAvailableSocketInPortRange());
    EXPECT_EQ(client.GetClientIPAddress().m_port, 1) << "the wrapped range goes on after port 0";
  }
}

TEST(UDPLoopbackMessageClient, KeepAlivePingsOnlyAfterMoreThanASecond) {
  TestServer server;
  UDPLoopbackMessageClientBuffer client(kListener, manualClock);
  std::vector<UDPLoopbackMessageClientBuffer::message_t> messages;
  client.GetNewMessages(messages);
  const uint16_t port = client.GetClientIPAddress().m_port;
  struct Step {
    uint64_t advance;  // ns before the call
    size_t pingsAfter;
  };
  for (const Step& step : {Step{500000000, 1}, Step{500000000, 1}, Step{1, 2}, Step{1100000000, 3}}) {
    gNow += step.advance;
    client.GetNewMessages(messages);
    // A ping sent is in the server's queue before the next look: both ends are this process.
    ASSERT_TRUE(pollUntil([&] { return pingsFrom(server, port) >= step.pingsAfter; })) << step.pingsAfter;
    EXPECT_EQ(pingsFrom(server, port), step.pingsAfter);
  }
}

TEST(UDPLoopbackMessageClient, TakesCastsFromTheServerOnlyInOrderAndWhole) {
  TestServer server;
  UDPLoopbackMessageClientBuffer client(kListener);
  std::vector<UDPLoopbackMessageClientBuffer::message_t> none;
  client.GetNewMessages(none);
  const UDPNetwork::IPAddress clientAddress = loopback(client.GetClientIPAddress().m_port);

  TestServer stranger(30099);
  ASSERT_TRUE(stranger.opened);
  // From another port: refused, whatever it says.
  ASSERT_TRUE(stranger.cast(clientAddress, 66, 6));
  // A wrong magic; a datagram shorter than a header (type 3 in the right place), which must
  // not inherit the surface id of the datagram read before it.
  UDPLoopBackMessageData wrongMagic(MessageType_ServerDataCast, 77, 7, "x");
  reinterpret_cast<uint8_t*>(const_cast<void*>(wrongMagic.sendMessageData()))[0] ^= 0xFF;
  const uint8_t shortCast[6] = {0x50, 0x49, 0x79, 0x62, 3, 0};
  ASSERT_TRUE(server.cast(clientAddress, 11, 1));
  ASSERT_TRUE(server.sendBytes(clientAddress, shortCast, sizeof shortCast));
  ASSERT_TRUE(
      server.sendBytes(clientAddress, wrongMagic.sendMessageData(), wrongMagic.sendMessageDataSize()));
  ASSERT_TRUE(server.cast(clientAddress, 12, 2));
  const UDPLoopBackMessageData ack(MessageType_ServerAck, 0, 0, UDPLoopBackMessageData::kServerAckText);
  ASSERT_TRUE(server.sendBytes(clientAddress, ack.sendMessageData(), ack.sendMessageDataSize()));
  ASSERT_TRUE(server.cast(clientAddress, 13, 3));

  const auto messages = gather(client, 3);
  ASSERT_EQ(messages.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(messages[i].message.GetSurfaceID(), 11 + i);
    EXPECT_EQ(messages[i].message.GetSurfaceTime(), 1 + i);
    EXPECT_EQ(messages[i].address.m_port, kListener);
  }
  EXPECT_EQ(client.GetServerAckIPAddress().m_port, kListener);
}

TEST(UDPLoopbackMessageClient, ChangingTheServerPortClosesTheSocket) {
  UDPLoopbackMessageClientBuffer client(kListener);
  ASSERT_TRUE(client.ConnectToServerWithFirstAvailableSocketInPortRange());
  EXPECT_EQ(client.GetClientIPAddress().m_port, 30101);
  client.SetServerPortNumber(30200);
  EXPECT_FALSE(client.IsConnected());
  EXPECT_EQ(client.GetServerPortNumber(), 30200);
  EXPECT_EQ(client.GetServerIPAddress().m_address, UDPNetwork::IPAddress::kLoopbackAddress);
  std::vector<UDPLoopbackMessageClientBuffer::message_t> messages;
  client.GetNewMessages(messages);
  EXPECT_EQ(client.GetClientIPAddress().m_port, 30201);
  EXPECT_TRUE(client.DisconnectFromServer());
  EXPECT_FALSE(client.DisconnectFromServer());
}

}  // namespace
