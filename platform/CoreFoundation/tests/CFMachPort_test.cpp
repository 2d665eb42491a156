// Mach ports as CF objects: messages through a run loop source, one object per name, and
// invalidation.
#include <CoreFoundation/CFMachPort.h>
#include <MachPortRights.h>
#include <RunLoopUntil.h>
#include <gtest/gtest.h>
#include <mach/mach.h>

namespace {

using moxicam::test::portType;

using moxicam::test::runLoopUntil;

struct Seen {
  int messages = 0;
  mach_msg_id_t lastID = 0;
  int invalidations = 0;
};

void onMessage(CFMachPortRef, void* msg, CFIndex size, void* info) {
  auto* seen = static_cast<Seen*>(info);
  ++seen->messages;
  seen->lastID = static_cast<mach_msg_header_t*>(msg)->msgh_id;
  EXPECT_EQ(size, CFIndex(sizeof(mach_msg_header_t)));
}

void onInvalidation(CFMachPortRef, void* info) { ++static_cast<Seen*>(info)->invalidations; }

TEST(CFMachPort, MessagesArriveThroughTheRunLoopAndInvalidationEndsThePort) {
  Seen seen;
  CFMachPortContext context{0, &seen, nullptr, nullptr, nullptr};
  Boolean shouldFreeInfo = true;
  CFMachPortRef port = CFMachPortCreate(nullptr, onMessage, &context, &shouldFreeInfo);
  ASSERT_NE(port, nullptr);
  EXPECT_FALSE(shouldFreeInfo);
  const mach_port_t name = CFMachPortGetPort(port);
  EXPECT_EQ(portType(name), MACH_PORT_TYPE_SEND_RECEIVE);
  CFMachPortSetInvalidationCallBack(port, onInvalidation);
  CFRunLoopSourceRef source = CFMachPortCreateRunLoopSource(nullptr, port, 0);
  ASSERT_NE(source, nullptr);
  CFRunLoopAddSource(CFRunLoopGetCurrent(), source, kCFRunLoopDefaultMode);

  mach_msg_header_t header{};
  header.msgh_bits = MACH_MSGH_BITS(MACH_MSG_TYPE_COPY_SEND, 0);
  header.msgh_size = sizeof header;
  header.msgh_remote_port = name;
  header.msgh_id = 77;
  ASSERT_EQ(mach_msg(&header, MACH_SEND_MSG, sizeof header, 0, MACH_PORT_NULL, 0, MACH_PORT_NULL),
            MACH_MSG_SUCCESS);
  ASSERT_TRUE(runLoopUntil([&] { return seen.messages == 1; }));
  EXPECT_EQ(seen.lastID, 77);

  CFMachPortInvalidate(port);
  CFMachPortInvalidate(port);
  EXPECT_EQ(seen.invalidations, 1);
  EXPECT_FALSE(CFMachPortIsValid(port));
  EXPECT_FALSE(CFRunLoopSourceIsValid(source));
  EXPECT_EQ(portType(name), MACH_PORT_TYPE_NONE) << "the rights it made go with it";
  EXPECT_EQ(CFMachPortCreateRunLoopSource(nullptr, port, 0), nullptr);
  CFRelease(source);
  CFRelease(port);
}

TEST(CFMachPort, ANameHasOneValidObject) {
  mach_port_t name = MACH_PORT_NULL;
  ASSERT_EQ(mach_port_allocate(mach_task_self(), MACH_PORT_RIGHT_RECEIVE, &name), KERN_SUCCESS);
  Seen first, second;
  CFMachPortContext firstContext{0, &first, nullptr, nullptr, nullptr};
  CFMachPortContext secondContext{0, &second, nullptr, nullptr, nullptr};
  Boolean shouldFreeInfo = true;
  CFMachPortRef port = CFMachPortCreateWithPort(nullptr, name, onMessage, &firstContext, &shouldFreeInfo);
  EXPECT_FALSE(shouldFreeInfo);
  CFMachPortRef again = CFMachPortCreateWithPort(nullptr, name, onMessage, &secondContext, &shouldFreeInfo);
  EXPECT_EQ(again, port);
  EXPECT_TRUE(shouldFreeInfo);
  CFMachPortContext got{};
  CFMachPortGetContext(again, &got);
  EXPECT_EQ(got.info, &first);
  CFRelease(again);
  // Once invalid, the name gets a new object; its rights were never the object's.
  CFMachPortInvalidate(port);
  EXPECT_EQ(portType(name), MACH_PORT_TYPE_RECEIVE);
  CFMachPortRef fresh = CFMachPortCreateWithPort(nullptr, name, onMessage, &secondContext, &shouldFreeInfo);
  EXPECT_NE(fresh, port);
  CFRelease(fresh);
  CFRelease(port);
  EXPECT_EQ(CFMachPortCreateWithPort(nullptr, 0x7777703, onMessage, &secondContext, &shouldFreeInfo),
            nullptr);
  mach_port_destroy(mach_task_self(), name);
}

}  // namespace
