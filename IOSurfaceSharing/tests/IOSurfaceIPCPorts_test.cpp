// Surfaces as ports: a port made from an id leads back to that id.
#include <IOSurface/IOSurface.h>
#include <gtest/gtest.h>
#include <mach/mach.h>

#include "GlobalSurface.h"
#include "IOSurfaceIPC.h"

namespace {

TEST(IOSurfaceIPCPorts, APortMadeFromAnIdAnswersThatId) {
  RefPtr<__IOSurface> surface = adopt(moxicam::test::createGlobalSurface(32, 16));
  ASSERT_TRUE(surface);
  const uint32_t surfaceID = IOSurfaceGetID(surface.get());
  const uint32_t port = IOSurfaceIPC::remotingSurfaceIDFromLocalIOSurfaceID(surfaceID);
  ASSERT_NE(port, 0u);
  EXPECT_EQ(IOSurfaceIPC::localIOSurfaceIDFromRemotingSurfaceID(port), surfaceID);
  EXPECT_EQ(IOSurfaceIPC::localIOSurfaceIDFromRemotingSurfaceID(port), surfaceID)
      << "the port stays the caller's";
  EXPECT_TRUE(IOSurfaceIPC::deallocateRemotingSurfaceID(port));
  mach_port_type_t type = 0;
  EXPECT_EQ(mach_port_type(mach_task_self(), port, &type), KERN_INVALID_NAME);
}

TEST(IOSurfaceIPCPorts, NothingToCarryGivesZero) {
  EXPECT_EQ(IOSurfaceIPC::remotingSurfaceIDFromLocalIOSurfaceID(0), 0u);
  EXPECT_EQ(IOSurfaceIPC::remotingSurfaceIDFromLocalIOSurfaceID(0x7fffffff), 0u);
  EXPECT_EQ(IOSurfaceIPC::localIOSurfaceIDFromRemotingSurfaceID(0), 0u);
  EXPECT_TRUE(IOSurfaceIPC::deallocateRemotingSurfaceID(0));
}

}  // namespace
