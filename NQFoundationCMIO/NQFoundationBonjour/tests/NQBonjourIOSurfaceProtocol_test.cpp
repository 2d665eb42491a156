#include <CFNetwork/CFNetServices.h>
#include <IOSurface/IOSurface.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <vector>

#include "../../../URequirements/tests/MessageCollector.h"
#include "GlobalSurface.h"
#include "NQBonjourCRC64.h"
#include "NQBonjourIOSurfaceProtocol.h"
#include "PollUntil.h"
#include "TemporaryRoot.h"

namespace {

using moxicam::test::createGlobalSurface;

std::string text(CFStringRef string) {
  if (!string) return "(null)";
  char buffer[512] = {};
  CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8);
  return buffer;
}

std::string bytesOf(CFDataRef data) {
  return std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), size_t(CFDataGetLength(data)));
}

RefPtr<const __CFData> dataOf(const std::string& bytes) {
  return adopt(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()), CFIndex(bytes.size())));
}

// One TXT entry: its length byte and its text.
std::string entry(const std::string& keyValue) { return std::string(1, char(keyValue.size())) + keyValue; }

RefPtr<const __CFDictionary> recordWith(std::initializer_list<std::pair<CFStringRef, std::string>> values) {
  RefPtr<__CFDictionary> record = adopt(
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
  for (const auto& [key, value] : values) CFDictionarySetValue(record.get(), key, dataOf(value).get());
  return record;
}

TEST(CRC64, DigestsKnownBytes) {
  struct Case {
    std::string bytes;
    uint64_t digest;
  } cases[] = {
      {"123456789", 0xCAA717168609F281ULL},
      {std::string(16, '\0'), 0xB98E8816BF632C01ULL},
      {"", 0xFFFFFFFFFFFFFFFFULL},
  };
  for (const auto& c : cases) {
    CRC64_DIGEST digest;
    digest.HashUpdate(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(digest.HashValue(), c.digest) << c.bytes;
  }
}

TEST(MachineID, IsTheDigestOfTheUUIDBytesInUpperCaseHex) {
  EXPECT_EQ(text(adopt(NQAppleCopyMachineIDFromUUIDString(CFSTR("00000000-0000-0000-0000-000000000000"))).get()),
            "B98E8816BF632C01");
  EXPECT_EQ(NQAppleCopyMachineIDFromUUIDString(CFSTR("not a uuid")), nullptr);
  // This machine has an id, and the record carries it.
  ASSERT_NE(BonjourIOSurfaceProtocol_MachineIDValue, nullptr);
  EXPECT_EQ(text(BonjourIOSurfaceProtocol_MachineIDValue).size(), 16u);
}

TEST(NotificationNames, JoinBaseProcessIdentifierAndSurface) {
  struct Case {
    uint64_t processIdentifier;
    int surface;
    const char* name;
  } cases[] = {
      {(uint64_t(501) << 32) | 1234, 0, "com.quillfen.frame.1F5000004D2.0"},
      {(uint64_t(501) << 32) | 1234, 1, "com.quillfen.frame.1F5000004D2.1"},
      {1234, 0, "com.quillfen.frame.000004D2.0"},
      {1234, 1, "com.quillfen.frame.000004D2.1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text(adopt(BonjourIOSurfaceProtocol_CopyNotificationName(c.processIdentifier, c.surface)).get()),
              c.name);
  }
  EXPECT_EQ(text(adopt(BonjourIOSurfaceProtocol_CopyNotificationName(NQAppleGetProcessIdentifier(), 1)).get()),
            text(BonjourIOSurfaceProtocol_NotificationName1));
}

TEST(NotificationNames, OwnNamesAreRecognisedWithoutRegardToCase) {
  std::string lower = text(BonjourIOSurfaceProtocol_NotificationName0);
  for (auto& c : lower) c = char(tolower(c));
  const RefPtr<const __CFString> lowered = adopt(CFStringCreateWithCString(nullptr, lower.c_str(), kCFStringEncodingUTF8));
  EXPECT_TRUE(BonjourIOSurfaceProtocol_IsOurNotification(lowered.get()));
  EXPECT_TRUE(BonjourIOSurfaceProtocol_IsOurNotification(BonjourIOSurfaceProtocol_NotificationName1));
  EXPECT_FALSE(BonjourIOSurfaceProtocol_IsOurNotification(CFSTR("com.quillfen.frame.00000001.0")));
  EXPECT_FALSE(BonjourIOSurfaceProtocol_IsOurNotification(nullptr));
}

TEST(ProcessIdentifier, HoldsUserAndProcessIds) {
  EXPECT_EQ(NQAppleGetProcessIdentifier(), (uint64_t(getuid()) << 32) | uint64_t(getpid()));
  char expected[32];
  snprintf(expected, sizeof expected, "%08llx", static_cast<unsigned long long>(NQAppleGetProcessIdentifier()));
  EXPECT_EQ(text(adopt(NQAppleCopyProcessIdentifierString()).get()), expected);
}

class RecordTest : public ::testing::Test {
 protected:
  moxicam::test::TemporaryRoot mRoot;

  // The entries of keys 1 to 7 that this process writes for the two ids.
  static std::string identityEntries(const std::string& id0, const std::string& id1) {
    std::string bytes = entry("com.quillfen.version=1.000");
    bytes += entry("com.quillfen.sender.id=" + text(BonjourIOSurfaceProtocol_MachineIDValue));
    if (BonjourIOSurfaceProtocol_MachineNameValue)
      bytes += entry("com.quillfen.sender.name=" + text(BonjourIOSurfaceProtocol_MachineNameValue));
    bytes += entry("com.quillfen.time.0=" + text(BonjourIOSurfaceProtocol_NotificationName0));
    bytes += entry("com.quillfen.time.1=" + text(BonjourIOSurfaceProtocol_NotificationName1));
    bytes += entry("com.quillfen.frame.id.0=" + id0);
    bytes += entry("com.quillfen.frame.id.1=" + id1);
    return bytes;
  }
};

TEST_F(RecordTest, WithoutSurfaceZeroTheRecordHoldsKeysOneToSeven) {
  const RefPtr<__CFDictionary> record = adopt(BonjourIOSurfaceProtocol_CopyDictionary(0x7FFFFFF0, 0xFFFFFFFE, 30.0));
  const RefPtr<const __CFData> wire = adopt(CFNetServiceCreateTXTDataWithDictionary(nullptr, record.get()));
  ASSERT_NE(wire, nullptr);
  // Ids print as signed 32-bit numbers.
  EXPECT_EQ(bytesOf(wire.get()), identityEntries("2147483632", "-2"));
}

TEST_F(RecordTest, WithSurfaceZeroTheRecordAddsSizeAndRate) {
  const RefPtr<__IOSurface> surface0 = adopt(createGlobalSurface(1280, 720));
  ASSERT_NE(surface0, nullptr);
  uint32_t id0 = IOSurfaceGetID(surface0.get());
  struct Case {
    double rate;
    const char* written;
  } cases[] = {{29.97, "29.97"}, {30.0, "30.00"}, {0.0, "0.00"}};
  for (const auto& c : cases) {
    const RefPtr<__CFDictionary> record = adopt(BonjourIOSurfaceProtocol_CopyDictionary(id0, 77, c.rate));
    const RefPtr<const __CFData> wire = adopt(CFNetServiceCreateTXTDataWithDictionary(nullptr, record.get()));
    EXPECT_EQ(bytesOf(wire.get()), identityEntries(std::to_string(id0), "77") +
                                       entry("com.quillfen.frame.width=1280") + entry("com.quillfen.frame.height=720") +
                                       entry(std::string("com.quillfen.frame.rate=") + c.written));
  }
}

TEST(IsThisMachine, ComparesSenderIdWithoutRegardToCase) {
  std::string ours = text(BonjourIOSurfaceProtocol_MachineIDValue);
  std::string lower = ours;
  for (auto& c : lower) c = char(tolower(c));
  struct Case {
    std::string senderID;
    bool missing;
    bool same;
  } cases[] = {
      {ours, false, true},
      {lower, false, true},
      {"0123456789ABCDEF", false, false},
      {"", true, false},
      {"\xff\xfe", false, false},
  };
  for (const auto& c : cases) {
    const RefPtr<const __CFDictionary> record =
        c.missing ? recordWith({}) : recordWith({{CFSTR("com.quillfen.sender.id"), c.senderID}});
    EXPECT_EQ(BonjourIOSurfaceProtocol_IsThisMachine(record.get()), c.same) << c.senderID;
  }
  EXPECT_FALSE(BonjourIOSurfaceProtocol_IsThisMachine(nullptr));
  EXPECT_FALSE(BonjourIOSurfaceProtocol_IsThisMachine(reinterpret_cast<CFDictionaryRef>(CFSTR("not a record"))));
}

TEST(TXTDictionary, ReadsLeadingIntegersAndRates) {
  const RefPtr<const __CFDictionary> record = recordWith({{CFSTR("n"), "42"},
                                       {CFSTR("negative"), "-7 frames"},
                                       {CFSTR("words"), "abc"},
                                       {CFSTR("rate"), "29.97"},
                                       {CFSTR("bad"), "\xff"}});
  struct Case {
    CFStringRef key;
    int64_t value;
  } cases[] = {{CFSTR("n"), 42}, {CFSTR("negative"), -7}, {CFSTR("words"), 0}, {CFSTR("missing"), 0}, {CFSTR("bad"), 0}};
  for (const auto& c : cases) EXPECT_EQ(NQBonjour::TXTDictionary::IntegerValueForKey(record.get(), c.key), c.value);
  EXPECT_DOUBLE_EQ(NQBonjour::TXTDictionary::DoubleValueForKey(record.get(), CFSTR("rate")), 29.97);
  EXPECT_DOUBLE_EQ(NQBonjour::TXTDictionary::DoubleValueForKey(record.get(), CFSTR("missing")), 0.0);
}

TEST(ServiceName, IsApplicationConsoleUserAndZero) {
  const RefPtr<const __CFString> name = adopt(BonjourIOSurfaceProtocol_CopyNetServiceName());
  ASSERT_NE(name, nullptr);
  const std::string written = text(name.get());
  if (const RefPtr<const __CFString> user = adopt(NQAppleCopyCurrentConsoleUsernameOrNull())) {
    EXPECT_EQ(written,
              text(adopt(NQAppleCopyBestLocalizedUserFacingProcessNameFromMainBundle()).get()) + " " +
                  text(user.get()) + ".0");
  } else {
    EXPECT_EQ(written, "unknown");
  }
}

// What this process hears of its own notification names, in order.
struct OwnNotifications {
  OwnNotifications() {
    for (CFStringRef name : {BonjourIOSurfaceProtocol_NotificationName0, BonjourIOSurfaceProtocol_NotificationName1})
      CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), this, heard, name, nullptr,
                                      CFNotificationSuspensionBehaviorDeliverImmediately);
  }
  ~OwnNotifications() { CFNotificationCenterRemoveEveryObserver(CFNotificationCenterGetDarwinNotifyCenter(), this); }
  static void heard(CFNotificationCenterRef, void* observer, CFNotificationName name, const void*, CFDictionaryRef) {
    auto* self = static_cast<OwnNotifications*>(observer);
    std::lock_guard<std::mutex> guard(self->lock);
    self->names.push_back(text(name));
  }
  std::vector<std::string> heardSoFar() {
    std::lock_guard<std::mutex> guard(lock);
    return names;
  }
  std::mutex lock;
  std::vector<std::string> names;
};

TEST_F(RecordTest, BroadcastPostsTheNameOfSurfaceZeroOrOneOnly) {
  OwnNotifications own;
  MessageCollector console;
  BonjourIOSurfaceProtocol_BroadcastSurfaceNumber(1);
  for (int other : {2, -1}) {
    console.drain();
    BonjourIOSurfaceProtocol_BroadcastSurfaceNumber(other);
    const std::vector<std::string> lines = console.drain();
    ASSERT_EQ(lines.size(), 1u) << other;
    EXPECT_NE(lines[0].find("REQUIREMENT - SRC>>surfaceNumber==1 in "), std::string::npos) << lines[0];
  }
  BonjourIOSurfaceProtocol_BroadcastSurfaceNumber(0);
  const std::vector<std::string> expected{text(BonjourIOSurfaceProtocol_NotificationName1),
                                          text(BonjourIOSurfaceProtocol_NotificationName0)};
  EXPECT_TRUE(moxicam::test::pollUntil([&] { return own.heardSoFar().size() >= 2; }));
  EXPECT_EQ(own.heardSoFar(), expected);
}

TEST(FreePort, IsARealBoundPort) {
  uint32_t port = 9;
  ASSERT_TRUE(BonjourIOSurfaceProtocol_SocketBindWithPortNumber(&port));
  EXPECT_NE(port, 0u);
  EXPECT_NE(port, 9u);
}

}  // namespace
