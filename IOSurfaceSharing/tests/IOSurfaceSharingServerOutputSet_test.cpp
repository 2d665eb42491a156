// Outputs made from connection ids, and the set that fans frames out to them.
#include "IOSurfaceSharingServerOutputSet.h"

#include <Foundation/NSArray.h>
#include <Foundation/NSBridging.h>
#include <Foundation/NSDictionary.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>
#include <gtest/gtest.h>
#include <objc/MethodTable.h>

#include <vector>

#include "IOSurfaceIPC.h"
#include "IOSurfaceSharingConnectionID.h"
#include "IOSurfaceSharingServerOutputNetworkUDP.h"
#include "RecordingOutput.h"

namespace {

RefPtr<__IOSurface> newSurface() {
  return adopt(IOSurfaceIPC::globalSurfaceWithSizePixels_surfacePixelFormat(CGSize{16, 8}, 0x42475241));
}

TEST(ServerOutputFactory, TheKindOfIdPicksTheOutput) {
  objc::AutoreleasePool pool;
  IOSurfaceSharingServerOutput* udp =
      IOSurfaceSharingServerOutput::serverOutputWithConnectionID(NSNumber::numberWithInt(30100));
  ASSERT_TRUE(udp);
  EXPECT_EQ(udp->classObject(), IOSurfaceSharingServerOutputNetworkUDP::class_());
  auto* server = static_cast<IOSurfaceSharingServerOutputNetworkUDP*>(udp)->networkSurfaceServer();
  ASSERT_TRUE(server);
  EXPECT_EQ(server->serverPortNumber(), 30100);
  EXPECT_TRUE(server->loopbackServer().IsServerSocketOpen());

  // The Mach and window outputs come from other parts of the program: when this program
  // has their classes, their ids make them.
  struct Case {
    const char* name;
    NSObject* connectionID;
    const char* outputClass;
  } cases[] = {
      {"service name", NSSTR("com.quillfen.Moxicam.IOSurfaceSharing"),
       "IOSurfaceSharingServerOutputMachMessage"},
      {"connection id",
       IOSurfaceSharingConnectionID::connectionIDwithPortName_portNumber(
           NSSTR("com.quillfen.Moxicam.IOSurfaceSharing"), NSNumber::numberWithInt(30100)),
       "IOSurfaceSharingNSWindowServer"},
      {"dictionary", NSDictionary::dictionary(), nullptr},
      {"nothing", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    IOSurfaceSharingServerOutput* output =
        IOSurfaceSharingServerOutput::serverOutputWithConnectionID(c.connectionID);
    Class expected = c.outputClass ? objc_getClass(c.outputClass) : nullptr;
    if (expected) {
      ASSERT_TRUE(output) << c.name;
      EXPECT_EQ(output->classObject(), expected) << c.name;
    } else {
      EXPECT_FALSE(output) << c.name;
    }
  }
}

TEST(ServerOutput, PortNumberAndNameOfItsId) {
  objc::AutoreleasePool pool;
  struct Case {
    NSObject* connectionID;
    long number;  // -1: none
    const char* name;
  } cases[] = {
      {NSNumber::numberWithInt(30100), 30100, nullptr},
      {NSSTR("service"), -1, "service"},
      {IOSurfaceSharingConnectionID::connectionIDwithPortName_portNumber(NSSTR("window"),
                                                                         NSNumber::numberWithInt(7)),
       7, "window"},
      {IOSurfaceSharingConnectionID::connectionIDwithPortName(NSSTR("named")), 0, "named"},
      {NSDictionary::dictionary(), -1, nullptr},
      {nullptr, -1, nullptr},
  };
  for (const Case& c : cases) {
    RefPtr<IOSurfaceSharingServerOutput> output =
        adopt(IOSurfaceSharingServerOutput::alloc()->initWithConnectionID(c.connectionID));
    auto* number = NSDynamicCast<NSNumber>(output->serverOutputPortNumber());
    EXPECT_EQ(number ? number->longValue() : -1, c.number);
    auto* name = NSDynamicCast<NSString>(output->serverOutputPortName());
    EXPECT_EQ(name ? std::string(name->UTF8String()) : "", c.name ? c.name : "");
  }
  EXPECT_FALSE(RefPtr<IOSurfaceSharingServerOutput>(adopt(IOSurfaceSharingServerOutput::alloc()->init()))
                   ->broadcastSurface(nullptr));
}

TEST(ServerOutputSet, EmptySetAnswersNo) {
  RefPtr<IOSurfaceSharingServerOutputSet> set = adopt(IOSurfaceSharingServerOutputSet::alloc()->init());
  EXPECT_FALSE(set->hasServerConnection());
  EXPECT_FALSE(set->outputConnect());
  EXPECT_FALSE(set->outputDisconnect());
  RefPtr<__IOSurface> surface = newSurface();
  EXPECT_FALSE(set->broadcastSurface(surface.get()));
}

TEST(ServerOutputSet, EveryMemberHearsEveryCallAndOneYesIsEnough) {
  objc::AutoreleasePool pool;
  RefPtr<IOSurfaceSharingServerOutputSet> set = adopt(IOSurfaceSharingServerOutputSet::alloc()->init());
  RecordingOutput* yes = RecordingOutput::answering(true);
  RecordingOutput* no = RecordingOutput::answering(false);
  EXPECT_TRUE(set->addServerOutput(no));
  EXPECT_TRUE(set->addServerOutput(yes));
  EXPECT_TRUE(set->addServerOutput(no));
  EXPECT_EQ(set->serverOutputs()->count(), 2u) << "a member added twice is there once";

  RefPtr<__IOSurface> surface = newSurface();
  EXPECT_TRUE(set->hasServerConnection());
  EXPECT_TRUE(set->outputConnect());
  EXPECT_TRUE(set->broadcastSurface(surface.get()));
  EXPECT_TRUE(set->broadcastSurface(surface.get()));
  EXPECT_TRUE(set->outputDisconnect());
  const std::vector<std::string> expected{"hasServerConnection", "outputConnect", "broadcastSurface",
                                          "broadcastSurface", "outputDisconnect"};
  EXPECT_EQ(yes->calls, expected);
  EXPECT_EQ(no->calls, expected);
  // One time stamp per frame, the same for every member; later frames later.
  EXPECT_EQ(yes->times, no->times);
  ASSERT_EQ(yes->times.size(), 2u);
  EXPECT_LE(yes->times[0], yes->times[1]);
  EXPECT_EQ(yes->surfaces, std::vector<uint32_t>(2, IOSurfaceGetID(surface.get())));

  // All members answering NO make the set answer NO.
  RefPtr<IOSurfaceSharingServerOutputSet> noes = adopt(IOSurfaceSharingServerOutputSet::alloc()->init());
  noes->addServerOutput(no);
  EXPECT_FALSE(noes->outputConnect());
}

TEST(ServerOutputSet, MembersAreOutputsOnly) {
  objc::AutoreleasePool pool;
  RefPtr<IOSurfaceSharingServerOutputSet> set = adopt(IOSurfaceSharingServerOutputSet::alloc()->init());
  EXPECT_FALSE(set->addServerOutput(nullptr));
  EXPECT_FALSE(set->addServerOutput(NSSTR("not an output")));
  EXPECT_FALSE(set->addServerOutputWithConnectionID(NSDictionary::dictionary()));
  EXPECT_FALSE(set->addServerOutputWithConnectionID(nullptr));
  EXPECT_EQ(set->serverOutputs()->count(), 0u);
}

TEST(ServerOutputSet, OutputWithClassMatchesTheClassExactly) {
  objc::AutoreleasePool pool;
  RefPtr<IOSurfaceSharingServerOutputSet> set = adopt(IOSurfaceSharingServerOutputSet::alloc()->init());
  RecordingOutput* member = RecordingOutput::answering(true);
  set->addServerOutput(member);
  EXPECT_EQ(set->outputWithClass(RecordingOutput::class_()), member);
  EXPECT_EQ(set->outputWithClass(IOSurfaceSharingServerOutput::class_()), nullptr);
}

TEST(ServerOutputSet, PortChangesReachTheMembersThatTakeThem) {
  objc::AutoreleasePool pool;
  IOSurfaceSharingServerOutputSet* set = IOSurfaceSharingServerOutputSet::serverOutputWithConnectionIDs(
      NSArray::arrayWithObjects({NSNumber::numberWithInt(30300), NSDictionary::dictionary()}));
  ASSERT_EQ(set->serverOutputs()->count(), 1u);
  RecordingOutput* other = RecordingOutput::answering(true);
  set->addServerOutput(other);
  auto* udp = static_cast<IOSurfaceSharingServerOutputNetworkUDP*>(
      set->outputWithClass(IOSurfaceSharingServerOutputNetworkUDP::class_()));
  ASSERT_TRUE(udp);

  set->setServerOutputPortNumber(NSNumber::numberWithInt(30301));
  set->setServerOutputPortName(NSSTR("renamed"));
  EXPECT_EQ(udp->networkSurfaceServer()->serverPortNumber(), 30301);
  EXPECT_EQ(udp->unsignedNetworkPortFromConnectionID(), 30301);
  EXPECT_FALSE(other->connectionID()) << "an output without port setters is left alone";
}

TEST(ServerOutputSet, GoingAwayDisconnectsTheMembers) {
  objc::AutoreleasePool pool;
  RecordingOutput* member = RecordingOutput::answering(true);
  {
    RefPtr<IOSurfaceSharingServerOutputSet> set = adopt(IOSurfaceSharingServerOutputSet::alloc()->init());
    set->addServerOutput(member);
  }
  EXPECT_EQ(member->calls, std::vector<std::string>{"outputDisconnect"});
}

}  // namespace
