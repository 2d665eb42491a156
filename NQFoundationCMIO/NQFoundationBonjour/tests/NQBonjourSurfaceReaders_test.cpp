#include <CFNetwork/CFNetServices.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "NQBonjourIOSurfaceProtocol.h"
#include "PollUntil.h"
#include "RunLoopUntil.h"
#include "TemporaryRoot.h"

namespace {

using namespace std::chrono_literals;
using moxicam::test::pollUntil;

RefPtr<const __CFDictionary> recordWith(std::initializer_list<std::pair<CFStringRef, std::string>> values) {
  RefPtr<__CFDictionary> record = adopt(
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
  for (const auto& [key, value] : values) {
    const RefPtr<const __CFData> data =
        adopt(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(value.data()), CFIndex(value.size())));
    CFDictionarySetValue(record.get(), key, data.get());
  }
  return record;
}

std::string text(CFStringRef string) {
  char buffer[512] = {};
  if (string) CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8);
  return buffer;
}

void post(const char* name) {
  const RefPtr<const __CFString> string = adopt(CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8));
  CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), string.get(), nullptr, nullptr,
                                       true);
}

struct Received {
  std::mutex lock;
  std::vector<uint32_t> ids;
  void SurfaceReceived(uint32_t id) {
    std::lock_guard<std::mutex> guard(lock);
    ids.push_back(id);
  }
  size_t count() {
    std::lock_guard<std::mutex> guard(lock);
    return ids.size();
  }
};

class ReaderTest : public ::testing::Test {
 protected:
  moxicam::test::TemporaryRoot mRoot;
};

void countCall(CFNotificationCenterRef, void* observer, CFNotificationName, const void*, CFDictionaryRef) {
  ++*static_cast<std::atomic<int>*>(observer);
}

// Posts a name of its own and waits until the notification center has delivered it: every
// name posted before has been delivered then too, as the center delivers in order.
bool everyEarlierPostDelivered() {
  std::atomic<int> calls{0};
  CFNotificationCenterRef center = CFNotificationCenterGetDarwinNotifyCenter();
  CFNotificationCenterAddObserver(center, &calls, countCall, CFSTR("com.example.sentinel"), nullptr,
                                  CFNotificationSuspensionBehaviorDeliverImmediately);
  post("com.example.sentinel");
  const bool delivered = pollUntil([&] { return calls > 0; });
  CFNotificationCenterRemoveEveryObserver(center, &calls);
  return delivered;
}

RefPtr<const __CFDictionary> senderRecord(const std::string& sender, const std::string& id0, const std::string& id1) {
  return recordWith({{CFSTR("com.quillfen.time.0"), sender + ".0"},
                     {CFSTR("com.quillfen.time.1"), sender + ".1"},
                     {CFSTR("com.quillfen.frame.id.0"), id0},
                     {CFSTR("com.quillfen.frame.id.1"), id1}});
}

TEST_F(ReaderTest, ReceiverMapsEachNameToItsSurface) {
  const RefPtr<const __CFDictionary> record = recordWith({{CFSTR("com.quillfen.time.0"), "com.example.sender.0"},
                                       {CFSTR("com.quillfen.time.1"), "com.example.sender.1"},
                                       {CFSTR("com.quillfen.frame.id.0"), "11"},
                                       {CFSTR("com.quillfen.frame.id.1"), "22"},
                                       {CFSTR("com.quillfen.frame.width"), "1280"},
                                       {CFSTR("com.quillfen.frame.height"), "720"},
                                       {CFSTR("com.quillfen.frame.rate"), "0.00"}});
  Received received;
  {
    NQBonjour::SurfaceReceiver receiver;
    ASSERT_TRUE(receiver.SetDictionaryDataFromNetService(record.get()));
    EXPECT_EQ(receiver.FrameWidth(), 1280);
    EXPECT_EQ(receiver.FrameHeight(), 720);
    EXPECT_EQ(receiver.Surface0(), 11u);
    EXPECT_EQ(receiver.Surface1(), 22u);
    ASSERT_TRUE(receiver.StartReceivingWithDelegate(received));
    post("com.example.sender.1");
    ASSERT_TRUE(pollUntil([&] { return received.count() == 1; }));
    // The sender's names compare without regard to case.
    post("COM.EXAMPLE.SENDER.0");
    post("com.example.sender.0");
    ASSERT_TRUE(pollUntil([&] { return received.count() == 2; }));
    EXPECT_EQ(received.ids[0], 22u);
    EXPECT_EQ(received.ids[1], 11u);
  }
  // A receiver that is gone hears nothing more.
  post("com.example.sender.0");
  ASSERT_TRUE(everyEarlierPostDelivered());
  EXPECT_EQ(received.count(), 2u);
}

// What one receiver's owner does with a surface id (a lookup that waits on a stopped sender)
// holds up no other receiver; ids that come meanwhile are not queued up behind it.
TEST_F(ReaderTest, AReceiverHeldUpHoldsUpNoOther) {
  const RefPtr<const __CFDictionary> stuckRecord = senderRecord("com.example.stuck", "31", "32");
  const RefPtr<const __CFDictionary> liveRecord = senderRecord("com.example.live", "41", "42");
  std::mutex gate;
  std::unique_lock<std::mutex> holding(gate);
  std::atomic<int> stuckReports{0};
  std::vector<uint32_t> stuckIDs;
  Received live;
  {
    NQBonjour::SurfaceReceiver stuck, other;
    ASSERT_TRUE(stuck.SetDictionaryDataFromNetService(stuckRecord.get()));
    ASSERT_TRUE(other.SetDictionaryDataFromNetService(liveRecord.get()));
    ASSERT_TRUE(stuck.StartReceiving([&](uint32_t id) {
      stuckIDs.push_back(id);
      ++stuckReports;
      std::lock_guard<std::mutex> wait(gate);
    }));
    ASSERT_TRUE(other.StartReceivingWithDelegate(live));
    post("com.example.stuck.0");
    ASSERT_TRUE(pollUntil([&] { return stuckReports == 1; }));
    for (const char* name : {"com.example.stuck.1", "com.example.stuck.0", "com.example.stuck.1"}) post(name);
    post("com.example.live.1");
    post("com.example.live.0");
    // The other receiver reports while the first is still held (its newest id at least).
    EXPECT_TRUE(pollUntil([&] {
      std::lock_guard<std::mutex> guard(live.lock);
      return !live.ids.empty() && live.ids.back() == 41;
    }));
    holding.unlock();
    // The newest id of those that came while it was held.
    ASSERT_TRUE(pollUntil([&] { return stuckReports == 2; }));
    ASSERT_TRUE(everyEarlierPostDelivered());
    other.StopReceiving();
    stuck.StopReceiving();
    EXPECT_EQ(stuckReports, 2);
  }
  EXPECT_EQ(stuckIDs, (std::vector<uint32_t>{31, 32}));
  ASSERT_FALSE(live.ids.empty());
  EXPECT_EQ(live.ids.back(), 41u);
}

TEST_F(ReaderTest, ReceiverRefusesItsOwnProcessAndIncompleteRecords) {
  NQBonjour::SurfaceReceiver own;
  const RefPtr<const __CFDictionary> ownRecord =
      recordWith({{CFSTR("com.quillfen.time.0"), text(BonjourIOSurfaceProtocol_NotificationName0)},
                  {CFSTR("com.quillfen.time.1"), text(BonjourIOSurfaceProtocol_NotificationName1)},
                  {CFSTR("com.quillfen.frame.id.0"), "11"},
                  {CFSTR("com.quillfen.frame.id.1"), "22"}});
  EXPECT_FALSE(own.SetDictionaryDataFromNetService(ownRecord.get()));
  EXPECT_EQ(own.Surface0(), 0u);

  // Without the second name the first subscription stays, and the record is refused.
  Received received;
  NQBonjour::SurfaceReceiver half;
  const RefPtr<const __CFDictionary> halfRecord = recordWith(
      {{CFSTR("com.quillfen.time.0"), "com.example.half.0"}, {CFSTR("com.quillfen.frame.id.0"), "5"}});
  EXPECT_FALSE(half.SetDictionaryDataFromNetService(halfRecord.get()));
  half.StartReceivingWithDelegate(received);
  post("com.example.half.0");
  ASSERT_TRUE(pollUntil([&] { return received.count() == 1; }));
  EXPECT_EQ(received.ids[0], 5u);
  EXPECT_FALSE(half.SetDictionaryDataFromNetService(nullptr));
}

struct Discovered {
  std::mutex lock;
  std::vector<std::pair<CFOptionFlags, std::string>> events;  // flags, sender id or ""
  std::vector<bool> hadRecord;
  void DiscoveredService(CFOptionFlags flags, CFNetServiceRef, CFDictionaryRef record) {
    std::lock_guard<std::mutex> guard(lock);
    const RefPtr<const __CFString> sender = adopt(
        record ? NQBonjour::TXTDictionary::CopyStringValueForKey(record, BonjourIOSurfaceProtocol_MachineIDKey)
               : nullptr);
    events.push_back({flags, text(sender.get())});
    hadRecord.push_back(record != nullptr);
  }
  size_t count() {
    std::lock_guard<std::mutex> guard(lock);
    return events.size();
  }
};

RefPtr<__CFNetService> publish(CFStringRef name) {
  RefPtr<__CFNetService> service = adopt(CFNetServiceCreate(nullptr, BonjourIOSurfaceProtocol_NetServiceDomain,
                                                            BonjourIOSurfaceProtocol_NetServiceType, name, 30100));
  const RefPtr<__CFDictionary> record = adopt(BonjourIOSurfaceProtocol_CopyDictionary(1, 2, 0.0));
  const RefPtr<const __CFData> txt = adopt(CFNetServiceCreateTXTDataWithDictionary(nullptr, record.get()));
  CFNetServiceSetTXTData(service.get(), txt.get());
  CFStreamError error{};
  EXPECT_TRUE(CFNetServiceRegisterWithOptions(service.get(), 0, &error));
  return service;
}

TEST_F(ReaderTest, ResolverHandsOverRecordsAndDepartures) {
  const RefPtr<__CFNetService> published = publish(CFSTR("Studio alice.0"));
  Discovered discovered;
  NQBonjour::SurfaceResolver resolver;
  ASSERT_TRUE(resolver.StartBrowsing(NQBonjour::sSurfaceDiscoveredCallback_T<Discovered>, &discovered));
  EXPECT_TRUE(resolver.IsBrowsing());
  ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return discovered.count() == 1; }));
  EXPECT_EQ(discovered.events[0].first, 0u);
  EXPECT_EQ(discovered.events[0].second, text(BonjourIOSurfaceProtocol_MachineIDValue));

  CFNetServiceCancel(published.get());
  ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return discovered.count() == 2; }));
  EXPECT_EQ(discovered.events[1].first, CFOptionFlags(kCFNetServiceFlagRemove));
  EXPECT_FALSE(discovered.hadRecord[1]);

  // Stopped from another thread, the browser leaves this thread's run loop: later services
  // reach nobody.
  std::thread([&] { resolver.StopBrowsing(); }).join();
  const RefPtr<__CFNetService> later = publish(CFSTR("Later bob.0"));
  moxicam::test::runLoopUntil([] { return false; }, 200ms);
  EXPECT_EQ(discovered.count(), 2u);
  CFNetServiceCancel(later.get());
}

}  // namespace
