// Surface ports: a send right that carries a surface, and the surface found from it again.
#include <IOSurface/IOSurface.h>
#include <MachPortRights.h>
#include <gtest/gtest.h>
#include <mach/mach.h>
#include <sys/fileport.h>
#include <unistd.h>

#include "GlobalSurface.h"

namespace {

using moxicam::test::portType;

TEST(IOSurfaceMachPort, APortLeadsBackToTheSameSurface) {
  IOSurfaceRef surface = moxicam::test::createGlobalSurface(8, 8);
  ASSERT_NE(surface, nullptr);
  const mach_port_t port = IOSurfaceCreateMachPort(surface);
  ASSERT_TRUE(MACH_PORT_VALID(port));
  EXPECT_EQ(portType(port), MACH_PORT_TYPE_SEND);

  IOSurfaceRef found = IOSurfaceLookupFromMachPort(port);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(IOSurfaceGetID(found), IOSurfaceGetID(surface));
  static_cast<uint8_t*>(IOSurfaceGetBaseAddress(surface))[3] = 0x5a;
  EXPECT_EQ(static_cast<uint8_t*>(IOSurfaceGetBaseAddress(found))[3], 0x5a);
  // The port is the caller's still, and can be asked again.
  IOSurfaceRef again = IOSurfaceLookupFromMachPort(port);
  ASSERT_NE(again, nullptr);
  CFRelease(again);

  EXPECT_EQ(mach_port_deallocate(mach_task_self(), port), KERN_SUCCESS);
  EXPECT_EQ(portType(port), MACH_PORT_TYPE_NONE);
  EXPECT_EQ(IOSurfaceGetWidth(found), 8u) << "the surface outlives its port";
  CFRelease(found);
  CFRelease(surface);
}

TEST(IOSurfaceMachPort, PortsThatCarryNoSurfaceGiveNone) {
  EXPECT_EQ(IOSurfaceCreateMachPort(nullptr), MACH_PORT_NULL);
  EXPECT_EQ(IOSurfaceLookupFromMachPort(MACH_PORT_NULL), nullptr);
  EXPECT_EQ(IOSurfaceLookupFromMachPort(MACH_PORT_DEAD), nullptr);
  mach_port_t receive = MACH_PORT_NULL;
  ASSERT_EQ(mach_port_allocate(mach_task_self(), MACH_PORT_RIGHT_RECEIVE, &receive), KERN_SUCCESS);
  EXPECT_EQ(IOSurfaceLookupFromMachPort(receive), nullptr);
  mach_port_destroy(mach_task_self(), receive);
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  fileport_t pipePort = MACH_PORT_NULL;
  ASSERT_EQ(fileport_makeport(pipeEnds[0], &pipePort), 0);
  EXPECT_EQ(IOSurfaceLookupFromMachPort(pipePort), nullptr);
  mach_port_deallocate(mach_task_self(), pipePort);
  close(pipeEnds[0]);
  close(pipeEnds[1]);
}

}  // namespace
