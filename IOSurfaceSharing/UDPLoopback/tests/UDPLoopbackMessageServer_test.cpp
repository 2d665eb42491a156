// The frame server: subscriptions, acknowledgements, casts within the lease, what it drops,
// the size of its table and a port it cannot have. Time is driven by hand.
#include "UDPLoopbackMessageServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "UDPTestClient.h"

namespace {

using UDPNetwork::IPAddress;
using UDPNetwork::Socket;

constexpr uint16_t kListener = 30100;
constexpr uint64_t kMillisecond = 1000000;

std::atomic<uint64_t> sNow{1000 * kMillisecond};
uint64_t manualClock() { return sNow.load(); }

using Client = moxicam::test::UDPTestClient;
using Datagram = moxicam::test::UDPDatagram;

IPAddress at(uint16_t port, uint32_t address = IPAddress::kLoopbackAddress) {
  return Client::at(port, address);
}

class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(server.OpenServerSocket()); }
  // Reads the datagrams sent so far, in order.
  void serve(int datagrams) {
    for (int i = 0; i < datagrams; ++i)
      ASSERT_TRUE(moxicam::test::pollUntil([&] { return server.HandleClientMessages(); }))
          << "datagram " << i;
  }
  void subscribe(Client& client) {
    ASSERT_TRUE(client.ping(at(kListener)));
    serve(1);
    const Datagram ack = client.next();
    ASSERT_EQ(ack.size, 57u);
    EXPECT_TRUE(ack.message.HasMessageID());
    EXPECT_EQ(ack.message.GetMessageType(), MessageType_ServerAck);
    EXPECT_EQ(ack.message.GetSurfaceID(), 0u);
    EXPECT_EQ(ack.message.GetSurfaceTime(), 0u);
    EXPECT_STREQ(ack.message.GetText(), UDPLoopBackMessageData::kServerAckText);
  }
  size_t cast(uint32_t surfaceID, uint64_t time) {
    return server.BroadcastMessageToActiveClients(UDPLoopBackMessageData(
        MessageType_ServerDataCast, surfaceID, time, UDPLoopBackMessageData::kServerDataCastText));
  }

  UDPLoopbackMessageServer server{kListener, manualClock};
};

TEST_F(ServerTest, SubscriberGetsFramesForItsLeaseAndAgainAfterPinging) {
  Client client(30101);
  ASSERT_TRUE(client.opened);
  subscribe(client);
  const uint64_t subscribed = sNow;

  struct Step {
    uint64_t after;  // since the subscription
    bool served;
  } steps[] = {
      {0, true}, {1249 * kMillisecond, true}, {1250 * kMillisecond, false}, {5000 * kMillisecond, false}};
  Client sentinel(30102);
  for (const Step& step : steps) {
    sNow = subscribed + step.after;
    subscribe(sentinel);  // keeps a client served, so that every cast shows when it arrived
    EXPECT_EQ(cast(0x1234, 77), step.served ? 2u : 1u) << step.after;
    ASSERT_EQ(sentinel.next().size, 62u);
    if (step.served) {
      const Datagram frame = client.next();
      ASSERT_EQ(frame.size, 62u);
      EXPECT_EQ(frame.message.GetMessageType(), MessageType_ServerDataCast);
      EXPECT_EQ(frame.message.GetSurfaceID(), 0x1234u);
      EXPECT_EQ(frame.message.GetSurfaceTime(), 77u);
    } else {
      EXPECT_EQ(client.waiting(), 0u) << step.after;
    }
  }
  // Pinging again serves the client at once.
  subscribe(client);
  EXPECT_EQ(cast(0x1235, 78), 2u);
  EXPECT_EQ(client.next().message.GetSurfaceID(), 0x1235u);
}

TEST_F(ServerTest, DatagramsThatAreNoSubscriptionAreDropped) {
  Client stranger(30103), sentinel(30104);
  struct Case {
    const char* name;
    UDPLoopBackMessageData message;
  } cases[] = {
      {"zeroed", UDPLoopBackMessageData()},
      {"type 0", UDPLoopBackMessageData(MessageType(0), 0, 0, "x")},
      {"ack", UDPLoopBackMessageData(MessageType_ServerAck, 0, 0, UDPLoopBackMessageData::kServerAckText)},
      {"cast",
       UDPLoopBackMessageData(MessageType_ServerDataCast, 9, 9, UDPLoopBackMessageData::kServerDataCastText)},
  };
  for (const Case& c : cases) ASSERT_TRUE(stranger.send(c.message, at(kListener))) << c.name;
  // A ping whose magic is wrong.
  UDPLoopBackMessageData wrongMagic(MessageType_ClientPing, 0, 0, UDPLoopBackMessageData::kClientPingText);
  static_cast<unsigned char*>(wrongMagic.receiveMessageData())[0] = 'Q';
  ASSERT_TRUE(stranger.send(wrongMagic, at(kListener)));
  serve(5);
  subscribe(sentinel);
  EXPECT_EQ(stranger.waiting(), 0u);
  EXPECT_EQ(server.GetActiveClients().size(), 1u);
  EXPECT_EQ(cast(1, 1), 1u);
}

TEST_F(ServerTest, OneEntryPerAddressAndPort) {
  Client first(30105), second(30106);
  subscribe(first);
  subscribe(first);
  EXPECT_EQ(server.GetActiveClients().size(), 1u);
  subscribe(second);
  EXPECT_EQ(server.GetActiveClients().size(), 2u);
  EXPECT_EQ(cast(5, 5), 2u);
  EXPECT_EQ(first.next().size, 62u);
  EXPECT_EQ(second.next().size, 62u);
  EXPECT_EQ(first.waiting(), 0u) << "one cast per frame, however often it pinged";
}

// Only the machine itself reaches the server: it listens on 127.0.0.1 alone, so a datagram
// to another address of the machine finds nobody.
TEST_F(ServerTest, ListensOnTheLoopbackAddressOnly) {
  Client elsewhere(30107), sentinel(30108);
  ASSERT_TRUE(elsewhere.ping(at(kListener, 0x7F000002)));
  subscribe(sentinel);
  EXPECT_EQ(elsewhere.waiting(), 0u);
  EXPECT_EQ(server.GetActiveClients().size(), 1u);
}

// However many ports ping it, the table stays bounded; a lapsed entry makes room.
TEST_F(ServerTest, ClientTableIsBounded) {
  std::vector<std::unique_ptr<Client>> clients;
  for (uint16_t port = 31100; clients.size() < UDPLoopbackMessageServer::kMaximumActiveClients; ++port) {
    clients.push_back(std::make_unique<Client>(port));
    ASSERT_TRUE(clients.back()->opened);
    ASSERT_TRUE(clients.back()->ping(at(kListener)));
  }
  serve(int(clients.size()));
  ASSERT_EQ(server.GetActiveClients().size(), UDPLoopbackMessageServer::kMaximumActiveClients);

  Client late(31300);
  ASSERT_TRUE(late.ping(at(kListener)));
  serve(1);
  EXPECT_EQ(server.GetActiveClients().size(), UDPLoopbackMessageServer::kMaximumActiveClients);
  EXPECT_EQ(server.GetActiveClients().count(late.socket.GetAddress().GetAddressPortUniqueID()), 0u);
  // The admitted get their acknowledgement and the frame; the one turned away neither.
  EXPECT_EQ(cast(1, 1), UDPLoopbackMessageServer::kMaximumActiveClients);
  EXPECT_EQ(clients.back()->next().size, 57u);
  EXPECT_EQ(clients.back()->next().size, 62u);
  EXPECT_EQ(late.waiting(), 0u);

  // Once the others' leases lapse, the late client gets in, and the lapsed entries go.
  sNow += 2000 * kMillisecond;
  subscribe(late);
  EXPECT_EQ(server.GetActiveClients().size(), 1u);
  EXPECT_EQ(cast(2, 2), 1u);
}

TEST(ServerPort, TakenPortOpensOnceItIsFree) {
  Socket holder;
  ASSERT_TRUE(holder.Open(kListener, true));
  UDPLoopbackMessageServer server(kListener, manualClock);
  EXPECT_FALSE(server.OpenServerSocket());
  EXPECT_FALSE(server.HandleClientMessages());
  EXPECT_EQ(server.BroadcastMessageToActiveClients(UDPLoopBackMessageData()), 0u);
  holder.Close();
  EXPECT_TRUE(server.OpenServerSocket());
  EXPECT_TRUE(server.IsServerSocketOpen());

  // A new port moves the socket.
  EXPECT_TRUE(server.SetServerPortNumber(30200));
  EXPECT_EQ(server.GetServerPortNumber(), 30200);
  Socket oldPort, newPort;
  EXPECT_TRUE(oldPort.Open(kListener, true)) << "the old port is free again";
  EXPECT_FALSE(newPort.Open(30200, true));
}

}  // namespace
