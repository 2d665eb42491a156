// Cameras withdrawn and announced again on the resolver's queue while a host's thread asks
// them their properties and drives their streams: every call either reaches a living object
// or is told that the object is gone, and nothing is used after it was freed (the address
// sanitizer build checks that).
#include <CoreMediaIO/CMIOSystemObjects.h>
#include <gtest/gtest.h>

#include <PollUntil.h>
#include <TemporaryRoot.h>

#include <atomic>
#include <thread>

#include "../../../URequirements/tests/MessageCollector.h"
#include "CMIOUDPNetServiceDALHardwarePlugIn.h"
#include "ThisMachineRecord.h"

using namespace std::chrono_literals;

namespace {

CMIOObjectPropertyAddress address(CMIOObjectPropertySelector selector) {
  return {selector, kCMIOObjectPropertyScopeGlobal, kCMIOObjectPropertyElementMain};
}

// What a host asks of a device and its stream, through the plug-in's function table.
void askDeviceAndStream(CMIOHardwarePlugInRef plugIn, CMIOObjectID device) {
  UInt32 used = 0;
  CFStringRef name = nullptr;
  const CMIOObjectPropertyAddress nameAddress = address(kCMIOObjectPropertyName);
  if ((*plugIn)->ObjectGetPropertyData(plugIn, device, &nameAddress, 0, nullptr, sizeof name, &used, &name) == 0)
    (void)adopt(name);
  CMIOStreamID stream = kCMIOObjectUnknown;
  const CMIOObjectPropertyAddress streams = address(kCMIODevicePropertyStreams);
  if ((*plugIn)->ObjectGetPropertyData(plugIn, device, &streams, 0, nullptr, sizeof stream, &used, &stream) != 0)
    return;
  CMSimpleQueueRef queue = nullptr;
  if ((*plugIn)->StreamCopyBufferQueue(plugIn, stream, nullptr, nullptr, &queue) == 0) (void)adopt(queue);
  (*plugIn)->DeviceStartStream(plugIn, device, stream);
  CMFormatDescriptionRef format = nullptr;
  const CMIOObjectPropertyAddress formatAddress = address(kCMIOStreamPropertyFormatDescription);
  if ((*plugIn)->ObjectGetPropertyData(plugIn, stream, &formatAddress, 0, nullptr, sizeof format, &used, &format) == 0)
    (void)adopt(format);
  (*plugIn)->DeviceStopStream(plugIn, device, stream);
}

TEST(CameraWithdrawal, HostCallsRacingWithdrawalsReachLivingObjectsOnly) {
  moxicam::test::TemporaryRoot root;
  MessageCollector console;  // what the calls to withdrawn objects report stays out of the output
  auto* camera = new NQCMIOBonjourUDP::NQCMIOHardwarePlugInInterface(CFUUIDGetConstantUUIDWithBytes(
      nullptr, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99, 0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x03));
  CMIOHardwarePlugInRef plugIn = camera->IUnknown();
  ASSERT_EQ((*plugIn)->InitializeWithObjectID(plugIn, _CMIOSystemAddPlugIn(plugIn)), 0);
  const RefPtr<__CFNetService> service =
      adopt(CFNetServiceCreate(nullptr, CFSTR("local."), CFSTR("_qfl_vc_cam._udp."), CFSTR("Studio stress.0"), 1));
  const RefPtr<const __CFDictionary> record = decodedRecordOfThisMachine();

  // The host's thread: asks every published device, over and over.
  std::atomic<bool> done{false};
  std::atomic<uint64_t> deviceCalls{0};
  std::thread host([&] {
    while (!done) {
      CMIOSystemObject devices[4];
      const UInt32 count = _CMIOSystemGetPublishedObjects(kCMIOObjectSystemObject, kCMIODeviceClassID, 4, devices);
      for (UInt32 i = 0; i < std::min<UInt32>(count, 4); ++i) {
        askDeviceAndStream(plugIn, devices[i].objectID);
        ++deviceCalls;
      }
    }
  });

  // The resolver's queue: the announcement comes and goes; each camera is withdrawn once the
  // host has begun asking it.
  constexpr int kRounds = 1000;
  for (int round = 0; round < kRounds; ++round) {
    camera->DiscoveredService(0, service.get(), record.get());
    ASSERT_EQ(camera->CameraUIDs().size(), 1u);
    const uint64_t before = deviceCalls;
    ASSERT_TRUE(moxicam::test::pollUntil([&] { return deviceCalls > before; }, 10s, 0ms)) << "round " << round;
    camera->DiscoveredService(kCFNetServiceFlagRemove, service.get(), nullptr);
  }
  done = true;
  host.join();
  EXPECT_TRUE(camera->CameraUIDs().empty());
  EXPECT_EQ(_CMIOSystemGetPublishedObjects(kCMIOObjectSystemObject, kCMIODeviceClassID, 0, nullptr), 0u);

  (*plugIn)->Teardown(plugIn);
  _CMIOSystemRemovePlugIn(plugIn);
  (*plugIn)->Release(plugIn);
}

}  // namespace
