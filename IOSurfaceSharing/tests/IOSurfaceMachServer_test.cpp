// The Mach frame service within one process: the server is published under a bootstrap name,
// and clients are connections of this process whose ports the server reaches, driven through
// the subsystem's calls.
#include "IOSurfaceMachServer.h"

#include <CaptureOutput.h>
#include <Foundation/NSPortNameServer.h>
#include <PollUntil.h>
#include <gtest/gtest.h>
#include <mach/mach.h>
#include <servers/bootstrap.h>

#include <mutex>
#include <string>
#include <vector>

#include "GlobalSurface.h"
#include "IOSurfaceConnectionClientID.h"
#include "IOSurfaceIPC.h"
#include "IOSurfaceSharingConnectServer.h"
#include "MachServerEvents.h"

// A client's end: its port is served on the local thread and records what the server sends.
class RecordingClient : public IOSurfaceMachConnection {
  OBJC_CLASS_DECL(RecordingClient, IOSurfaceMachConnection)

 public:
  int32_t __mach_message_BroadcastFrameSurfaceTime_frameSurfaceID(uint64_t time,
                                                                  uint32_t surfaceID) override {
    std::lock_guard<std::mutex> guard(lock);
    frames.push_back({surfaceID, time});
    return KERN_SUCCESS;
  }
  int32_t __mach_message_BroadcastControlCommand_commandValue(uint64_t name, uint64_t value) override {
    std::lock_guard<std::mutex> guard(lock);
    commands.push_back({name, value});
    return KERN_SUCCESS;
  }
  size_t frameCount() {
    std::lock_guard<std::mutex> guard(lock);
    return frames.size();
  }

  std::mutex lock;
  std::vector<std::pair<uint32_t, uint64_t>> frames;
  std::vector<std::pair<uint64_t, uint64_t>> commands;

 protected:
  RecordingClient() = default;
};
OBJC_CLASS_DEFINE(RecordingClient)

namespace {

using namespace IOSurfaceSharingConnectServer;
using moxicam::test::captureStandardError;
using moxicam::test::pollUntil;

constexpr uint32_t kWait = 5000;

class IOSurfaceMachServerTest : public testing::Test {
 protected:
  void SetUp() override {
    mEvents = adopt(MachServerEvents::alloc());
    mServer = adopt(
        static_cast<IOSurfaceMachServer*>(IOSurfaceMachServer::alloc()->initWithDelegate(mEvents.get())));
    // A name of its own for each test: the last server's port may still be on its way out.
    mServiceName =
        std::string("com.example.frames.") + testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(mServer->publishServerConnectionWithServerPortName(
        NSString::stringWithUTF8String(mServiceName.c_str())));
    // Clients send with a send right, as one that looked the service up has; in this process
    // it joins the server's receive right under its name.
    ASSERT_EQ(bootstrap_look_up(bootstrap_port, mServiceName.c_str(), &mServerSendRight), BOOTSTRAP_SUCCESS);
    ASSERT_EQ(mServerSendRight, mServer->serverPortName());
  }
  void TearDown() override {
    for (auto& client : mClients) client->disconnect();
    mach_port_deallocate(mach_task_self(), mServerSendRight);
    mServer->stopServer();
  }

  // A client whose port is served (or, when `served` is false, never read).
  RefPtr<RecordingClient> client(bool served = true) {
    RefPtr<RecordingClient> made = adopt(static_cast<RecordingClient*>(RecordingClient::alloc()->init()));
    RefPtr<NSMachPort> unused = adopt(NSMachPort::alloc()->init());
    made->connectWithServerMachPort(unused.get());
    if (served) made->runLocalConnectionOnMachPort(made->localPort().get());
    mClients.push_back(made);
    return made;
  }

  kern_return_t checkIn(RecordingClient* who, uint64_t clientID, uint32_t* index) {
    return ClientCheckIn(mServer->serverPortName(), who->localPortName(), clientID, 7, index, kWait);
  }

  RefPtr<MachServerEvents> mEvents;
  RefPtr<IOSurfaceMachServer> mServer;
  std::string mServiceName;
  mach_port_t mServerSendRight = MACH_PORT_NULL;
  std::vector<RefPtr<RecordingClient>> mClients;
};

TEST_F(IOSurfaceMachServerTest, ClientsCheckInAndAClientCheckingInAgainKeepsItsPlace) {
  RefPtr<RecordingClient> first = client(), second = client();
  uint32_t index = 0;
  ASSERT_EQ(checkIn(first.get(), 11, &index), KERN_SUCCESS);
  EXPECT_EQ(index, 1u);
  ASSERT_EQ(checkIn(second.get(), 22, &index), KERN_SUCCESS);
  EXPECT_EQ(index, 2u);
  ASSERT_EQ(checkIn(second.get(), 23, &index), KERN_SUCCESS);
  EXPECT_EQ(index, 2u);
  EXPECT_TRUE(mServer->hasClientWithUniqueID(11));
  EXPECT_TRUE(mServer->hasClientWithUniqueID(23));
  EXPECT_FALSE(mServer->hasClientWithUniqueID(22)) << "replaced by the second check-in";
  EXPECT_EQ(mEvents->connected(), (std::vector<uint64_t>{11, 22, 23}));
}

TEST_F(IOSurfaceMachServerTest, ClientsAreFoundByTheirIdentifierString) {
  RefPtr<RecordingClient> one = client();
  const uint32_t id = IOSurfaceConnectionClientID::uniqueIdentifierWithString(NSSTR("camera.app"));
  ASSERT_EQ(checkIn(one.get(), id, nullptr), KERN_SUCCESS);
  EXPECT_TRUE(mServer->hasClientWithUniqueIdentifierString(NSSTR("camera.app")));
  EXPECT_FALSE(mServer->hasClientWithUniqueIdentifierString(NSSTR("other.app")));
}

TEST_F(IOSurfaceMachServerTest, EveryClientGetsEachFrameWithItsTime) {
  RefPtr<__IOSurface> surface = adopt(moxicam::test::createGlobalSurface(16, 8));
  mServer->broadcastFrameSurface_surfaceTimeStamp(surface.get(), 1);  // nobody to send to
  RefPtr<RecordingClient> first = client(), second = client();
  ASSERT_EQ(checkIn(first.get(), 1, nullptr), KERN_SUCCESS);
  ASSERT_EQ(checkIn(second.get(), 2, nullptr), KERN_SUCCESS);
  mServer->broadcastFrameSurface_surfaceTimeStamp(surface.get(), 1234567);
  const uint64_t now = mServer->broadcastFrameSurfaceWithCurrentTimeStamp(surface.get());
  EXPECT_GT(now, 0u);
  // Each frame was answered before the broadcast returned.
  for (RecordingClient* each : {first.get(), second.get()}) {
    std::lock_guard<std::mutex> guard(each->lock);
    const std::vector<std::pair<uint32_t, uint64_t>> expected{{IOSurfaceGetID(surface.get()), 1234567},
                                                              {IOSurfaceGetID(surface.get()), now}};
    EXPECT_EQ(each->frames, expected);
  }
  mServer->broadcastControlCommandName_commandValue(5, 6);
  std::lock_guard<std::mutex> guard(first->lock);
  EXPECT_EQ(first->commands, (std::vector<std::pair<uint64_t, uint64_t>>{{5, 6}}));
}

TEST_F(IOSurfaceMachServerTest, AFrameFromACheckedInClientReachesTheDelegate) {
  RefPtr<RecordingClient> one = client();
  RefPtr<__IOSurface> surface = adopt(moxicam::test::createGlobalSurface(4, 4));
  const uint32_t port = IOSurfaceIPC::remotingSurfaceIDFromLocalIOSurfaceID(IOSurfaceGetID(surface.get()));
  EXPECT_EQ(ClientFrameIn(mServer->serverPortName(), one->localPortName(), port, 99, kWait), KERN_SUCCESS)
      << "a client that has not checked in is passed over";
  ASSERT_EQ(checkIn(one.get(), 31, nullptr), KERN_SUCCESS);
  EXPECT_EQ(ClientFrameIn(mServer->serverPortName(), one->localPortName(), port, 100, kWait), KERN_SUCCESS);
  IOSurfaceIPC::deallocateRemotingSurfaceID(port);
  const auto framesIn = mEvents->framesIn();
  ASSERT_EQ(framesIn.size(), 1u);
  EXPECT_EQ(framesIn[0].clientID, 31u);
  EXPECT_EQ(framesIn[0].surfaceID, IOSurfaceGetID(surface.get()));
  EXPECT_EQ(framesIn[0].time, 100u);
}

TEST_F(IOSurfaceMachServerTest, AClientThatNeverAnswersIsDroppedAfterAFewFrames) {
  RefPtr<RecordingClient> healthy = client(), silent = client(false);
  ASSERT_EQ(checkIn(healthy.get(), 1, nullptr), KERN_SUCCESS);
  ASSERT_EQ(checkIn(silent.get(), 2, nullptr), KERN_SUCCESS);
  RefPtr<__IOSurface> surface = adopt(moxicam::test::createGlobalSurface(4, 4));
  for (int frame = 0; frame < IOSurfaceMachServer::kMostMissedReplies; ++frame) {
    EXPECT_TRUE(mServer->hasClientWithUniqueID(2)) << frame;
    mServer->broadcastFrameSurface_surfaceTimeStamp(surface.get(), frame);
  }
  EXPECT_FALSE(mServer->hasClientWithUniqueID(2));
  EXPECT_TRUE(mServer->hasClientWithUniqueID(1));
  EXPECT_EQ(mEvents->disconnected, 1);
  EXPECT_EQ(healthy->frameCount(), size_t(IOSurfaceMachServer::kMostMissedReplies));
}

TEST_F(IOSurfaceMachServerTest, ARouteThatIsNotServedIsAnsweredAsAFailure) {
  // A connection that serves none of the routines: the handler raises, which is logged.
  RefPtr<IOSurfaceMachConnection> plain =
      adopt(static_cast<IOSurfaceMachConnection*>(IOSurfaceMachConnection::alloc()->init()));
  RefPtr<NSMachPort> port = adopt(NSMachPort::alloc()->init());
  ASSERT_TRUE(plain->connectWithServerMachPort(port.get()));
  ASSERT_TRUE(plain->runServerConnectionOnMachPort(port.get()));
  RefPtr<RecordingClient> one = client();
  kern_return_t result = KERN_SUCCESS;
  const std::string log = captureStandardError(
      [&] { result = ClientCheckIn(port->machPort(), one->localPortName(), 1, 1, nullptr, kWait); });
  EXPECT_EQ(result, KERN_FAILURE);
  EXPECT_NE(log.find("__mach_IOSurfaceSharingConnectServer_ClientCheckIn: exception: "), std::string::npos)
      << log;
  EXPECT_EQ(BroadcastControlCommand(mServer->serverPortName(), 1, 2, kWait), KERN_FAILURE);
  plain->disconnect();

  // A port whose connection is gone: nobody is there to serve it.
  RefPtr<IOSurfaceMachConnection> orphan =
      adopt(static_cast<IOSurfaceMachConnection*>(IOSurfaceMachConnection::alloc()->init()));
  RefPtr<NSMachPort> orphanPort = adopt(NSMachPort::alloc()->init());
  ASSERT_TRUE(orphan->runServerConnectionOnMachPort(orphanPort.get()));
  EXPECT_EQ(ClientCheckIn(orphanPort->machPort(), one->localPortName(), 1, 1, nullptr, kWait),
            MIG_SERVER_DIED);
  MachMessageConnection::serverRunLoopThread()->removePort_forMode(orphanPort.get(), NSRunLoopCommonModes);
}

TEST_F(IOSurfaceMachServerTest, ANameThatIsTakenCannotBePublished) {
  RefPtr<IOSurfaceMachServer> second =
      adopt(static_cast<IOSurfaceMachServer*>(IOSurfaceMachServer::alloc()->init()));
  EXPECT_FALSE(second->publishServerConnectionWithServerPortName(
      NSString::stringWithUTF8String(mServiceName.c_str())));
  EXPECT_FALSE(second->isConnected());
  EXPECT_TRUE(second->publishServerConnectionWithServerPortName(NSSTR("com.example.frames.2")));
  // Moved to another name, the first is free again.
  second->setServerOutputPortName(NSSTR("com.example.frames.3"));
  EXPECT_STREQ(second->serverOutputPortName()->UTF8String(), "com.example.frames.3");
  RefPtr<IOSurfaceMachServer> third =
      adopt(static_cast<IOSurfaceMachServer*>(IOSurfaceMachServer::alloc()->init()));
  EXPECT_TRUE(third->publishServerConnectionWithServerPortName(NSSTR("com.example.frames.2")));
  third->stopServer();
  second->stopServer();
}

}  // namespace
