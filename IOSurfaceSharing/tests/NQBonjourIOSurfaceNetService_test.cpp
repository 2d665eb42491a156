// The Bonjour publisher: what a reader of this machine finds, and which notification each
// frame posts.
#include "NQBonjourIOSurfaceNetService.h"

#include <CFNetwork/CFNetServices.h>
#include <CoreFoundation/CFNotificationCenter.h>
#include <Foundation/NSString.h>
#include <PollUntil.h>
#include <StandingServices.h>
#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "../../URequirements/tests/MessageCollector.h"
#include "IOSurfaceIPC.h"
#include "NQBonjourIOSurfaceProtocol.h"

namespace {

std::string text(CFStringRef string) {
  char buffer[512] = {};
  if (string) CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8);
  return buffer;
}

// What this process hears of its own two notification names, in order.
struct OwnNotifications {
  OwnNotifications() {
    for (CFStringRef name :
         {BonjourIOSurfaceProtocol_NotificationName0, BonjourIOSurfaceProtocol_NotificationName1})
      CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), this, heard, name, nullptr,
                                      CFNotificationSuspensionBehaviorDeliverImmediately);
  }
  ~OwnNotifications() {
    CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDarwinNotifyCenter(), this);
  }
  static void heard(CFNotificationCenterRef, void* observer, CFNotificationName name, const void*,
                    CFDictionaryRef) {
    auto* self = static_cast<OwnNotifications*>(observer);
    std::lock_guard<std::mutex> guard(self->lock);
    self->numbers.push_back(CFEqual(name, BonjourIOSurfaceProtocol_NotificationName0) ? 0 : 1);
  }
  // Waits until `count` have come; answers them.
  std::vector<int> heardWhenThereAre(size_t count) {
    moxicam::test::pollUntil([&] {
      std::lock_guard<std::mutex> guard(lock);
      return numbers.size() >= count;
    });
    std::lock_guard<std::mutex> guard(lock);
    return numbers;
  }
  std::mutex lock;
  std::vector<int> numbers;
};

// The record a reader resolves for the service name, decoded; null when nothing stands.
RefPtr<const __CFDictionary> resolvedRecord(CFStringRef name, SInt32* port) {
  RefPtr<__CFNetService> service = adopt(CFNetServiceCreate(
      nullptr, BonjourIOSurfaceProtocol_NetServiceDomain, BonjourIOSurfaceProtocol_NetServiceType, name, 0));
  CFStreamError error{};
  if (!CFNetServiceResolveWithTimeout(service.get(), 10, &error)) return nullptr;
  *port = CFNetServiceGetPortNumber(service.get());
  return adopt(CFNetServiceCreateDictionaryWithTXTData(nullptr, CFNetServiceGetTXTData(service.get())));
}

std::string value(CFDictionaryRef record, const char* key) {
  RefPtr<const __CFString> keyString = adopt(CFStringCreateWithCString(nullptr, key, kCFStringEncodingUTF8));
  auto data = static_cast<CFDataRef>(CFDictionaryGetValue(record, keyString.get()));
  return data ? std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), CFDataGetLength(data))
              : "<none>";
}

RefPtr<__IOSurface> newSurface() {
  return adopt(IOSurfaceIPC::globalSurfaceWithSizePixels_surfacePixelFormat(CGSize{1280, 720}, 0x42475241));
}

TEST(NQBonjourIOSurfaceNetService, PublishesOnceBothSurfacesAreKnownThenNotifiesPerFrame) {
  OwnNotifications own;
  MessageCollector console;
  RefPtr<__IOSurface> surfaces[3] = {newSurface(), newSurface(), newSurface()};
  RefPtr<NQBonjourIOSurfaceNetService> publisher = adopt(NQBonjourIOSurfaceNetService::alloc()->init());
  EXPECT_EQ(publisher->servicePortNumber(), 9);
  publisher->setServicePortNumber(30100);

  // The first frame teaches surface 0 and publishes nothing, and so does the same surface
  // again.
  publisher->broadcastSurface(surfaces[0].get());
  publisher->broadcastSurface(surfaces[0].get());
  EXPECT_FALSE(publisher->service());
  EXPECT_EQ(publisher->surface0(), IOSurfaceGetID(surfaces[0].get()));
  EXPECT_EQ(publisher->surface1(), 0u);
  // The second publishes the record naming both; frames then post their surface's name.
  publisher->broadcastSurface(surfaces[1].get());
  ASSERT_TRUE(publisher->service());
  publisher->broadcastSurface(surfaces[0].get());
  EXPECT_EQ(own.heardWhenThereAre(2), (std::vector<int>{1, 0}));

  SInt32 port = 0;
  RefPtr<const __CFDictionary> record = resolvedRecord(publisher->service()->name()->cfString(), &port);
  ASSERT_TRUE(record);
  EXPECT_EQ(port, 30100);
  EXPECT_EQ(value(record.get(), "com.quillfen.frame.id.0"),
            std::to_string(IOSurfaceGetID(surfaces[0].get())));
  EXPECT_EQ(value(record.get(), "com.quillfen.frame.id.1"),
            std::to_string(IOSurfaceGetID(surfaces[1].get())));
  EXPECT_EQ(value(record.get(), "com.quillfen.frame.width"), "1280");
  EXPECT_EQ(value(record.get(), "com.quillfen.frame.height"), "720");
  EXPECT_EQ(value(record.get(), "com.quillfen.frame.rate"), "0.00");
  EXPECT_EQ(value(record.get(), "com.quillfen.time.1"), text(BonjourIOSurfaceProtocol_NotificationName1));
  RefPtr<const __CFString> serviceName = adopt(BonjourIOSurfaceProtocol_CopyNetServiceName());
  EXPECT_EQ(text(publisher->service()->name()->cfString()), text(serviceName.get()));

  // A surface of neither id is reported and posts nothing; the known ones go on.
  console.drain();
  publisher->broadcastSurface(surfaces[2].get());
  const std::vector<std::string> lines = console.drain();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(
      lines[0].find("REQUIREMENT - SRC>>(broadcastSurface==_surface0) || (broadcastSurface==_surface1) in "),
      std::string::npos)
      << lines[0];
  publisher->broadcastSurface(surfaces[1].get());
  EXPECT_EQ(own.heardWhenThereAre(3), (std::vector<int>{1, 0, 1}));

  // Publishing again is refused; unpublishing takes the service away.
  publisher->publishBonjourService(nullptr);
  EXPECT_NE(console.only().find("REQUIREMENT - SRC>>self.service==__null in "), std::string::npos);
  EXPECT_EQ(moxicam::test::standingServices("_qfl_vc_cam._udp.").size(), 1u);
  publisher->unpublishServiceEtc();
  EXPECT_FALSE(publisher->service());
  EXPECT_TRUE(moxicam::test::standingServices("_qfl_vc_cam._udp.").empty());
}

TEST(NQBonjourIOSurfaceNetService, RecordCarriesTheFrameRateWhenSet) {
  RefPtr<__IOSurface> surfaces[2] = {newSurface(), newSurface()};
  RefPtr<NQBonjourIOSurfaceNetService> publisher = adopt(NQBonjourIOSurfaceNetService::alloc()->init());
  publisher->setSurfaceFPS(29.97f);
  publisher->broadcastSurface(surfaces[0].get());
  publisher->broadcastSurface(surfaces[1].get());
  ASSERT_TRUE(publisher->service());
  SInt32 port = 0;
  RefPtr<const __CFDictionary> record = resolvedRecord(publisher->service()->name()->cfString(), &port);
  ASSERT_TRUE(record);
  EXPECT_EQ(port, 9);
  EXPECT_EQ(value(record.get(), "com.quillfen.frame.rate"), "29.97");
}

}  // namespace
