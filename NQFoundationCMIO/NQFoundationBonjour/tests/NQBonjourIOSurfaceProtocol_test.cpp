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

CFDataRef dataOf(const std::string& bytes) {
  return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()), CFIndex(bytes.size()));
}

// One TXT entry: its length byte and its text.
std::string entry(const std::string& keyValue) { return std::string(1, char(keyValue.size())) + keyValue; }

CFDictionaryRef recordWith(std::initializer_list<std::pair<CFStringRef, std::string>> values) {
  CFMutableDictionaryRef record =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  for (const auto& [key, value] : values) {
    CFDataRef data = dataOf(value);
    CFDictionarySetValue(record, key, data);
    CFRelease(data);
  }
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
  CFStringRef id = NQAppleCopyMachineIDFromUUIDString(CFSTR("00000000-0000-0000-0000-000000000000"));
  EXPECT_EQ(text(id), "B98E8816BF632C01");
  CFRelease(id);
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
    CFStringRef name = BonjourIOSurfaceProtocol_CopyNotificationName(c.processIdentifier, c.surface);
    EXPECT_EQ(text(name), c.name);
    CFRelease(name);
  }
  CFStringRef own = BonjourIOSurfaceProtocol_CopyNotificationName(NQAppleGetProcessIdentifier(), 1);
  EXPECT_EQ(text(own), text(BonjourIOSurfaceProtocol_NotificationName1));
  CFRelease(own);
}

TEST(NotificationNames, OwnNamesAreRecognisedWithoutRegardToCase) {
  std::string lower = text(BonjourIOSurfaceProtocol_NotificationName0);
  for (auto& c : lower) c = char(tolower(c));
  CFStringRef lowered = CFStringCreateWithCString(nullptr, lower.c_str(), kCFStringEncodingUTF8);
  EXPECT_TRUE(BonjourIOSurfaceProtocol_IsOurNotification(lowered));
  EXPECT_TRUE(BonjourIOSurfaceProtocol_IsOurNotification(BonjourIOSurfaceProtocol_NotificationName1));
  EXPECT_FALSE(BonjourIOSurfaceProtocol_IsOurNotification(CFSTR("com.quillfen.frame.00000001.0")));
  EXPECT_FALSE(BonjourIOSurfaceProtocol_IsOurNotification(nullptr));
  CFRelease(lowered);
}

TEST(ProcessIdentifier, HoldsUserAndProcessIds) {
  EXPECT_EQ(NQAppleGetProcessIdentifier(), (uint64_t(getuid()) << 32) | uint64_t(getpid()));
  CFStringRef lowerHex = NQAppleCopyProcessIdentifierString();
  char expected[32];
  snprintf(expected, sizeof expected, "%08llx", static_cast<unsigned long long>(NQAppleGetProcessIdentifier()));
  EXPECT_EQ(text(lowerHex), expected);
  CFRelease(lowerHex);
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
  CFMutableDictionaryRef record = BonjourIOSurfaceProtocol_CopyDictionary(0x7FFFFFF0, 0xFFFFFFFE, 30.0);
  CFDataRef wire = CFNetServiceCreateTXTDataWithDictionary(nullptr, record);
  ASSERT_NE(wire, nullptr);
  // Ids print as signed 32-bit numbers.
  EXPECT_EQ(bytesOf(wire), identityEntries("2147483632", "-2"));
  CFRelease(wire);
  CFRelease(record);
}

TEST_F(RecordTest, WithSurfaceZeroTheRecordAddsSizeAndRate) {
  IOSurfaceRef surface0 = createGlobalSurface(1280, 720);
  ASSERT_NE(surface0, nullptr);
  uint32_t id0 = IOSurfaceGetID(surface0);
  struct Case {
    double rate;
    const char* written;
  } cases[] = {{29.97, "29.97"}, {30.0, "30.00"}, {0.0, "0.00"}};
  for (const auto& c : cases) {
    CFMutableDictionaryRef record = BonjourIOSurfaceProtocol_CopyDictionary(id0, 77, c.rate);
    CFDataRef wire = CFNetServiceCreateTXTDataWithDictionary(nullptr, record);
    EXPECT_EQ(bytesOf(wire), identityEntries(std::to_string(id0), "77") + entry("com.quillfen.frame.width=1280") +
                                 entry("com.quillfen.frame.height=720") +
                                 entry(std::string("com.quillfen.frame.rate=") + c.written));
    CFRelease(wire);
    CFRelease(record);
  }
  CFRelease(surface0);
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
    CFDictionaryRef record = c.missing ? recordWith({}) : recordWith({{CFSTR("com.quillfen.sender.id"), c.senderID}});
    EXPECT_EQ(BonjourIOSurfaceProtocol_IsThisMachine(record), c.same) << c.senderID;
    CFRelease(record);
  }
  EXPECT_FALSE(BonjourIOSurfaceProtocol_IsThisMachine(nullptr));
  EXPECT_FALSE(BonjourIOSurfaceProtocol_IsThisMachine(reinterpret_cast<CFDictionaryRef>(CFSTR("not a record"))));
}

TEST(TXTDictionary, ReadsLeadingIntegersAndRates) {
  CFDictionaryRef record = recordWith({{CFSTR("n"), "42"},
                                       {CFSTR("negative"), "-7 frames"},
                                       {CFSTR("words"), "abc"},
                                       {CFSTR("rate"), "29.97"},
                                       {CFSTR("bad"), "\xff"}});
  struct Case {
    CFStringRef key;
    int64_t value;
  } cases[] = {{CFSTR("n"), 42}, {CFSTR("negative"), -7}, {CFSTR("words"), 0}, {CFSTR("missing"), 0}, {CFSTR("bad"), 0}};
  for (const auto& c : cases) EXPECT_EQ(NQBonjour::TXTDictionary::IntegerValueForKey(record, c.key), c.value);
  EXPECT_DOUBLE_EQ(NQBonjour::TXTDictionary::DoubleValueForKey(record, CFSTR("rate")), 29.97);
  EXPECT_DOUBLE_EQ(NQBonjour::TXTDictionary::DoubleValueForKey(record, CFSTR("missing")), 0.0);
  CFRelease(record);
}

TEST(ServiceName, IsApplicationConsoleUserAndZero) {
  CFStringRef name = BonjourIOSurfaceProtocol_CopyNetServiceName();
  ASSERT_NE(name, nullptr);
  std::string written = text(name);
  CFStringRef user = NQAppleCopyCurrentConsoleUsernameOrNull();
  if (user) {
    CFStringRef application = NQAppleCopyBestLocalizedUserFacingProcessNameFromMainBundle();
    EXPECT_EQ(written, text(application) + " " + text(user) + ".0");
    CFRelease(application);
    CFRelease(user);
  } else {
    EXPECT_EQ(written, "unknown");
  }
  CFRelease(name);
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
