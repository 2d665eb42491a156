// The UDP output with its server and Bonjour publisher, frame by frame.
#include "IOSurfaceSharingServerOutputNetworkUDP.h"

#include <Foundation/NSValue.h>
#include <gtest/gtest.h>

#include <vector>

#include "../UDPLoopback/tests/UDPTestClient.h"
#include "IOSurfaceIPC.h"

namespace {

using moxicam::test::UDPTestClient;

constexpr uint16_t kListener = 30100;

RefPtr<__IOSurface> newSurface() {
  return adopt(IOSurfaceIPC::globalSurfaceWithSizePixels_surfacePixelFormat(CGSize{1280, 720}, 0x42475241));
}

RefPtr<IOSurfaceSharingServerOutputNetworkUDP> newOutput(uint16_t port) {
  return RefPtr<IOSurfaceSharingServerOutputNetworkUDP>(
      IOSurfaceSharingServerOutputNetworkUDP::serverOutputWithConnectionID(
          NSNumber::numberWithUnsignedShort(port)));
}

TEST(UDPOutput, EachFrameReadsOneSubscriptionThenCastsToTheSubscribers) {
  objc::AutoreleasePool pool;
  RefPtr<__IOSurface> surfaces[2] = {newSurface(), newSurface()};
  RefPtr<IOSurfaceSharingServerOutputNetworkUDP> output = newOutput(kListener);
  UDPTestClient first(30101), second(30102);
  ASSERT_TRUE(first.ping(UDPTestClient::at(kListener)));
  ASSERT_TRUE(second.ping(UDPTestClient::at(kListener)));
  // Frame time 0 until both subscriptions stand at the server; the output answers NO whatever
  // it did.
  ASSERT_TRUE(moxicam::test::pollUntil([&] {
    EXPECT_FALSE(output->broadcastSurface_withSurfaceTime(surfaces[0].get(), 0));
    return output->networkSurfaceServer()->loopbackServer().GetActiveClients().size() == 2;
  }));
  EXPECT_EQ(first.next().size, 57u);
  EXPECT_EQ(second.next().size, 57u);

  // From here on both get every frame; what came before (time 0) is passed over.
  for (uint64_t frame = 1; frame <= 4; ++frame) {
    IOSurfaceRef surface = surfaces[frame % 2].get();
    output->broadcastSurface_withSurfaceTime(surface, frame);
    for (UDPTestClient* client : {&first, &second}) {
      moxicam::test::UDPDatagram datagram;
      do {
        datagram = client->next();
      } while (datagram.size > 0 && datagram.message.GetSurfaceTime() == 0);
      ASSERT_EQ(datagram.size, 62u) << frame;
      EXPECT_EQ(datagram.message.GetMessageType(), MessageType_ServerDataCast);
      EXPECT_EQ(datagram.message.GetSurfaceID(), IOSurfaceGetID(surface));
      EXPECT_EQ(datagram.message.GetSurfaceTime(), frame);
    }
  }
  // The publisher learnt the two surfaces and stands.
  NQBonjourIOSurfaceNetService* publisher = output->networkSurfaceServer()->bonjourService();
  ASSERT_TRUE(publisher);
  EXPECT_EQ(publisher->servicePortNumber(), kListener);
  EXPECT_EQ(publisher->surface0(), IOSurfaceGetID(surfaces[0].get()));
  EXPECT_EQ(publisher->surface1(), IOSurfaceGetID(surfaces[1].get()));
  EXPECT_TRUE(publisher->service());
}

// While another process holds the port there is neither a cast nor an announcement; once it
// is free, the next frame starts serving with nothing else done.
TEST(UDPOutput, TakenPortMeansNothingUntilItFrees) {
  objc::AutoreleasePool pool;
  RefPtr<__IOSurface> surfaces[2] = {newSurface(), newSurface()};
  UDPNetwork::Socket holder;
  ASSERT_TRUE(holder.Open(kListener, true));
  RefPtr<IOSurfaceSharingServerOutputNetworkUDP> output = newOutput(kListener);
  UDPTestClient client(30101);
  ASSERT_TRUE(client.ping(UDPTestClient::at(kListener)));
  for (int frame = 0; frame < 4; ++frame) {
    EXPECT_FALSE(output->hasServerConnection());
    output->broadcastSurface(surfaces[frame % 2].get());
  }
  NQBonjourIOSurfaceNetService* publisher = output->networkSurfaceServer()->bonjourService();
  EXPECT_EQ(publisher->surface0(), 0u);
  EXPECT_FALSE(publisher->service());

  // The ping went to the holder; the client pings again once the server has the port.
  holder.Close();
  ASSERT_TRUE(output->hasServerConnection());
  ASSERT_TRUE(client.ping(UDPTestClient::at(kListener)));
  ASSERT_TRUE(moxicam::test::pollUntil([&] {
    output->broadcastSurface(surfaces[0].get());
    return !output->networkSurfaceServer()->loopbackServer().GetActiveClients().empty();
  }));
  EXPECT_EQ(client.next().size, 57u);
  output->broadcastSurface(surfaces[1].get());
  ASSERT_TRUE(moxicam::test::pollUntil([&] {
    const moxicam::test::UDPDatagram datagram = client.next();
    return datagram.size == 62 && datagram.message.GetSurfaceID() == IOSurfaceGetID(surfaces[1].get());
  }));
  EXPECT_EQ(publisher->surface0(), IOSurfaceGetID(surfaces[0].get()));
  EXPECT_TRUE(publisher->service());
}

TEST(UDPOutput, NewPortMovesTheServer) {
  objc::AutoreleasePool pool;
  RefPtr<IOSurfaceSharingServerOutputNetworkUDP> output = newOutput(kListener);
  output->setServerOutputPortNumber(NSNumber::numberWithInt(30400));
  EXPECT_EQ(output->networkSurfaceServer()->serverPortNumber(), 30400);
  EXPECT_EQ(output->networkSurfaceServer()->bonjourService()->servicePortNumber(), 30400);
  UDPNetwork::Socket oldPort, newPort;
  EXPECT_TRUE(oldPort.Open(kListener, true));
  EXPECT_FALSE(newPort.Open(30400, true));

  // Without an id there is no server, and nothing to serve.
  RefPtr<IOSurfaceSharingServerOutputNetworkUDP> bare =
      adopt(IOSurfaceSharingServerOutputNetworkUDP::alloc()->init());
  EXPECT_FALSE(bare->networkSurfaceServer());
  EXPECT_FALSE(bare->hasServerConnection());
  EXPECT_EQ(bare->unsignedNetworkPortFromConnectionID(), 0);
}

}  // namespace
