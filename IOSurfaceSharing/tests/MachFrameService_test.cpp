// The Mach frame service across processes: the server runs in the test, clients are probe
// programs that check in as outside programs do, receive frames, send malformed messages,
// never answer, or get killed.
#include <PollUntil.h>
#include <RunningChild.h>
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "GlobalSurface.h"
#include "IOSurfaceConnectionClientID.h"
#include "IOSurfaceMachServer.h"
#include "MachServerEvents.h"

namespace {

using moxicam::test::pollUntil;
using moxicam::test::RunningChild;

struct Frame {
  uint32_t surfaceID = 0;
  uint64_t time = 0;
  std::string size;
  uint32_t pixel = 0;
};

// A "frame ..." line of the probe.
bool parseFrame(const std::string& line, Frame& frame) {
  char size[32] = {};
  return std::sscanf(line.c_str(), "frame %u %" SCNu64 " %31s %x", &frame.surfaceID, &frame.time, size,
                     &frame.pixel) == 4 &&
         (frame.size = size, true);
}

class MachFrameService : public testing::Test {
 protected:
  void SetUp() override {
    mEvents = adopt(MachServerEvents::alloc());
    mServer = adopt(
        static_cast<IOSurfaceMachServer*>(IOSurfaceMachServer::alloc()->initWithDelegate(mEvents.get())));
    mServiceName = std::string("com.quillfen.Moxicam.IOSurfaceSharing.") +
                   testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(mServer->publishServerConnectionWithServerPortName(
        NSString::stringWithUTF8String(mServiceName.c_str())));
    mSurface = adopt(moxicam::test::createGlobalSurface(1280, 720));
    ASSERT_TRUE(mSurface);
    paint(0x11223344);
  }
  void TearDown() override { mServer->stopServer(); }

  std::unique_ptr<RunningChild> probe(bool silent = false) {
    std::vector<std::string> arguments{mServiceName};
    if (silent) arguments.push_back("--silent");
    return std::make_unique<RunningChild>(MACH_PROBE, arguments, std::map<std::string, std::string>{},
                                          RunningChild::Input::Open);
  }

  void paint(uint32_t pixel) {
    IOSurfaceLock(mSurface.get(), 0, nullptr);
    std::memcpy(IOSurfaceGetBaseAddress(mSurface.get()), &pixel, sizeof pixel);
    IOSurfaceUnlock(mSurface.get(), 0, nullptr);
  }

  bool hasClient(const char* identifier) {
    objc::AutoreleasePool pool;
    return mServer->hasClientWithUniqueIdentifierString(NSString::stringWithUTF8String(identifier));
  }

  RefPtr<MachServerEvents> mEvents;
  RefPtr<IOSurfaceMachServer> mServer;
  std::string mServiceName;
  RefPtr<__IOSurface> mSurface;
};

TEST_F(MachFrameService, AClientInAnotherProcessGetsEachFrameAsItsSurfaceWithItsTime) {
  auto client = probe();
  ASSERT_EQ(client->ask("check-in camera.one 3"), "checked-in 1");
  EXPECT_TRUE(hasClient("camera.one"));
  EXPECT_EQ(
      mEvents->connected(),
      std::vector<uint64_t>{IOSurfaceConnectionClientID::uniqueIdentifierWithString(NSSTR("camera.one"))});

  RefPtr<__IOSurface> other = adopt(moxicam::test::createGlobalSurface(1280, 720));
  const uint64_t firstTime = mServer->broadcastFrameSurfaceWithCurrentTimeStamp(mSurface.get());
  mServer->broadcastFrameSurface_surfaceTimeStamp(other.get(), firstTime + 33333333);
  paint(0x55667788);
  mServer->broadcastFrameSurface_surfaceTimeStamp(mSurface.get(), firstTime + 66666666);

  const struct {
    IOSurfaceRef surface;
    uint64_t time;
    uint32_t pixel;
  } expected[] = {{mSurface.get(), firstTime, 0x11223344},
                  {other.get(), firstTime + 33333333, 0},
                  {mSurface.get(), firstTime + 66666666, 0x55667788}};
  for (const auto& want : expected) {
    Frame frame;
    const std::string line = client->nextLine().value_or("");
    ASSERT_TRUE(parseFrame(line, frame)) << line;
    EXPECT_EQ(frame.surfaceID, IOSurfaceGetID(want.surface));
    EXPECT_EQ(frame.time, want.time);
    EXPECT_EQ(frame.size, "1280x720");
    EXPECT_EQ(frame.pixel, want.pixel);
  }
}

TEST_F(MachFrameService, CheckInsCountClientsAndAClientCheckingInAgainKeepsItsPlace) {
  auto first = probe(), second = probe();
  EXPECT_EQ(first->ask("check-in first 1"), "checked-in 1");
  EXPECT_EQ(second->ask("check-in second 1"), "checked-in 2");
  EXPECT_EQ(first->ask("check-in first 1"), "checked-in 2");
  EXPECT_TRUE(hasClient("first"));
  EXPECT_TRUE(hasClient("second"));
}

TEST_F(MachFrameService, AFrameHandedInReachesTheDelegateWithItsClient) {
  auto client = probe();
  ASSERT_EQ(client->ask("check-in painter 1"), "checked-in 1");
  const uint32_t surfaceID = IOSurfaceGetID(mSurface.get());
  EXPECT_EQ(client->ask("frame-in " + std::to_string(surfaceID) + " 4242"), "frame-in ok");
  const auto framesIn = mEvents->framesIn();
  ASSERT_EQ(framesIn.size(), 1u);
  EXPECT_EQ(framesIn[0].clientID, IOSurfaceConnectionClientID::uniqueIdentifierWithString(NSSTR("painter")));
  EXPECT_EQ(framesIn[0].surfaceID, surfaceID);
  EXPECT_EQ(framesIn[0].time, 4242u);
}

TEST_F(MachFrameService, MalformedAndForeignMessagesGetTheirAnswers) {
  auto client = probe();
  const struct {
    const char* name;
    const char* answer;
  } cases[] = {
      {"short-check-in", "reply 29101 retcode -304"},
      {"plain-check-in", "reply 29101 retcode -304"},
      {"send-once-client-port", "reply 29101 retcode -300"},
      {"unknown-id", "reply 29105 retcode -303"},
      // The server serves no control commands: answered as a failure, not a success.
      {"control-to-server", "reply 29104 retcode 5"},
      // A client that has not checked in is passed over.
      {"frame-in-unknown-client", "reply 29102 retcode 0"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(client->ask(std::string("raw ") + c.name), std::string("raw ") + c.name + " " + c.answer);
  EXPECT_TRUE(mEvents->connected().empty()) << "no refused check-in was taken";
  EXPECT_EQ(client->ask("check-in afterwards 1"), "checked-in 1");
}

TEST_F(MachFrameService, AKilledClientIsDropped) {
  auto doomed = probe(), survivor = probe();
  ASSERT_EQ(doomed->ask("check-in doomed 1"), "checked-in 1");
  ASSERT_EQ(survivor->ask("check-in survivor 1"), "checked-in 2");
  doomed->kill();
  // The delegate hears of it just after the client leaves the list.
  ASSERT_TRUE(pollUntil([&] { return !hasClient("doomed") && mEvents->disconnected >= 1; }));
  mServer->broadcastFrameSurface_surfaceTimeStamp(mSurface.get(), 7);
  Frame frame;
  ASSERT_TRUE(parseFrame(survivor->nextLine().value_or(""), frame));
  EXPECT_EQ(frame.time, 7u);
  EXPECT_TRUE(hasClient("survivor"));
}

TEST_F(MachFrameService, AClientThatNeverAnswersHoldsFramesUpOnlyBrieflyAndIsDropped) {
  auto silent = probe(true), healthy = probe();
  ASSERT_EQ(silent->ask("check-in silent 1"), "checked-in 1");
  ASSERT_EQ(healthy->ask("check-in healthy 1"), "checked-in 2");
  for (int frame = 1; frame <= IOSurfaceMachServer::kMostMissedReplies; ++frame) {
    EXPECT_TRUE(hasClient("silent"));
    mServer->broadcastFrameSurface_surfaceTimeStamp(mSurface.get(), frame);
    Frame received;
    ASSERT_TRUE(parseFrame(healthy->nextLine().value_or(""), received));
    EXPECT_EQ(received.time, uint64_t(frame));
  }
  EXPECT_FALSE(hasClient("silent"));
  EXPECT_TRUE(hasClient("healthy"));
}

}  // namespace
