// The Mach output of the output set: it serves its service name while connected, and a client
// of it is sent the very surfaces, with the very times, that the UDP output announces.
#include "IOSurfaceSharingServerOutputMachMessage.h"

#include <Foundation/NSValue.h>
#include <FramePattern.h>
#include <RunningChild.h>
#include <gtest/gtest.h>
#include <mach/mach.h>
#include <servers/bootstrap.h>

#include <cinttypes>
#include <cstdio>
#include <map>
#include <string>

#include "IOSurfaceIPC.h"
#include "IOSurfaceSharingServerOutputSet.h"

namespace {

using moxicam::test::RunningChild;

constexpr const char* kServiceName = "com.quillfen.Moxicam.IOSurfaceSharing";

bool served(const char* name) {
  mach_port_t port = MACH_PORT_NULL;
  if (bootstrap_look_up(bootstrap_port, name, &port) != BOOTSTRAP_SUCCESS) return false;
  mach_port_deallocate(mach_task_self(), port);
  return true;
}

RefPtr<__IOSurface> newSurface() {
  return adopt(IOSurfaceIPC::globalSurfaceWithSizePixels_surfacePixelFormat(CGSize{1280, 720}, 0x42475241));
}

TEST(IOSurfaceSharingServerOutputMachMessage, ServesItsNameWhileConnected) {
  RefPtr<IOSurfaceSharingServerOutput> made;
  {
    objc::AutoreleasePool pool;
    made = RefPtr<IOSurfaceSharingServerOutput>(
        IOSurfaceSharingServerOutput::serverOutputWithConnectionID(NSSTR("com.example.output")));
  }
  auto* output = dynamic_cast<IOSurfaceSharingServerOutputMachMessage*>(made.get());
  ASSERT_TRUE(output);
  ASSERT_TRUE(output->machSurfaceServer());
  EXPECT_TRUE(output->hasServerConnection());
  EXPECT_FALSE(served("com.example.output"));
  EXPECT_TRUE(output->outputConnect());
  EXPECT_TRUE(served("com.example.output"));

  RefPtr<IOSurfaceSharingServerOutputMachMessage> rival(
      IOSurfaceSharingServerOutputMachMessage::serverOutputWithConnectionID(NSSTR("com.example.output")));
  EXPECT_FALSE(rival->outputConnect()) << "the name is taken";

  output->setServerOutputPortName(NSSTR("com.example.moved"));
  EXPECT_TRUE(served("com.example.moved"));
  EXPECT_FALSE(served("com.example.output"));
  EXPECT_STREQ(static_cast<NSString*>(output->serverOutputPortName())->UTF8String(), "com.example.moved");

  RefPtr<__IOSurface> surface = newSurface();
  EXPECT_TRUE(output->broadcastSurface_withSurfaceTime(surface.get(), 1));
  EXPECT_TRUE(output->outputDisconnect());
  EXPECT_FALSE(served("com.example.moved"));
  EXPECT_FALSE(output->machSurfaceServer());
  // Without its server the output does nothing.
  EXPECT_FALSE(output->outputConnect());
  EXPECT_FALSE(output->outputDisconnect());
  EXPECT_FALSE(output->broadcastSurface_withSurfaceTime(surface.get(), 2));
}

TEST(IOSurfaceSharingServerOutputMachMessage, AClientGetsTheSurfacesAndTimesThatTheUDPProbeSees) {
  RefPtr<IOSurfaceSharingServerOutputSet> outputs = adopt(IOSurfaceSharingServerOutputSet::alloc()->init());
  {
    objc::AutoreleasePool pool;
    ASSERT_TRUE(outputs->addServerOutputWithConnectionID(NSString::stringWithUTF8String(kServiceName)));
    ASSERT_TRUE(outputs->addServerOutputWithConnectionID(NSNumber::numberWithInt(30100)));
  }
  ASSERT_TRUE(outputs->outputConnect());
  RunningChild mach(MACH_PROBE, {kServiceName}, {}, RunningChild::Input::Open);
  ASSERT_EQ(mach.ask("check-in camera 1"), "checked-in 1");
  RunningChild udp(UDP_PROBE, {"--frames", "3"});

  RefPtr<__IOSurface> surfaces[2] = {newSurface(), newSurface()};
  std::map<uint64_t, uint32_t> machFrames;  // time -> surface id
  int casts = 0;
  for (long frame = 0; frame < 3000 && casts < 3; ++frame) {
    IOSurfaceRef surface = surfaces[frame % 2].get();
    moxicam::test::drawFramePattern(surface, frame);
    outputs->broadcastSurface(surface);
    // The Mach client has answered the frame before the broadcast returns.
    const std::string line = mach.nextLine().value_or("");
    uint32_t id = 0;
    uint64_t time = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "frame %u %" SCNu64, &id, &time), 2) << line;
    EXPECT_EQ(id, IOSurfaceGetID(surface));
    machFrames[time] = id;
    // What the UDP probe has printed so far (it subscribes on its own time).
    while (auto cast = udp.nextLine(std::chrono::milliseconds(casts ? 30 : 10))) {
      unsigned long long castID = 0, castTime = 0;
      if (std::sscanf(cast->c_str(), "cast %*zu %*u id %llu time %llu", &castID, &castTime) != 2) continue;
      ++casts;
      ASSERT_TRUE(machFrames.count(castTime)) << *cast;
      EXPECT_EQ(machFrames[castTime], castID);
    }
  }
  EXPECT_EQ(casts, 3);
  EXPECT_EQ(udp.wait(), 0);
  outputs->outputDisconnect();
}

}  // namespace
