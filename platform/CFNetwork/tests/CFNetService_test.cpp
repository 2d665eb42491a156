#include <CFNetwork/CFNetServices.h>
#include <CoreFoundation/CFString.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "RunLoopUntil.h"
#include "TemporaryRoot.h"

namespace {

using namespace std::chrono_literals;

std::string bytesOf(CFDataRef data) {
  return std::string(reinterpret_cast<const char*>(CFDataGetBytePtr(data)), size_t(CFDataGetLength(data)));
}

CFDataRef dataOf(const std::string& bytes) {
  return CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(bytes.data()), CFIndex(bytes.size()));
}

TEST(CFNetServiceTXT, DictionaryBecomesRecordInItsOrder) {
  CFMutableDictionaryRef dictionary =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(dictionary, CFSTR("com.quillfen.version"), CFSTR("1.000"));
  CFDataRef raw = dataOf(std::string("\x00\xff", 2));
  CFDictionarySetValue(dictionary, CFSTR("raw"), raw);
  CFDictionarySetValue(dictionary, CFSTR("flag"), kCFNull);
  CFDictionarySetValue(dictionary, CFSTR("name"), CFSTR("caf\u00e9"));
  CFDataRef record = CFNetServiceCreateTXTDataWithDictionary(nullptr, dictionary);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(bytesOf(record), std::string("\x1a" "com.quillfen.version=1.000"
                                         "\x06" "raw=\x00\xff"
                                         "\x04" "flag"
                                         "\x0a" "name=caf\xc3\xa9",
                                         27 + 7 + 5 + 11));

  CFDictionaryRef decoded = CFNetServiceCreateDictionaryWithTXTData(nullptr, record);
  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(CFDictionaryGetCount(decoded), 4);
  auto version = static_cast<CFDataRef>(CFDictionaryGetValue(decoded, CFSTR("com.quillfen.version")));
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(CFGetTypeID(version), CFDataGetTypeID());
  EXPECT_EQ(bytesOf(version), "1.000");
  EXPECT_EQ(CFDictionaryGetValue(decoded, CFSTR("flag")), kCFNull);
  EXPECT_EQ(bytesOf(static_cast<CFDataRef>(CFDictionaryGetValue(decoded, CFSTR("raw")))), std::string("\x00\xff", 2));
  for (CFTypeRef made : {CFTypeRef(decoded), CFTypeRef(record), CFTypeRef(raw), CFTypeRef(dictionary)}) CFRelease(made);
}

TEST(CFNetServiceTXT, RefusesWhatDoesNotFit) {
  CFMutableDictionaryRef dictionary =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFDictionarySetValue(dictionary, CFSTR("a=b"), CFSTR("x"));
  EXPECT_EQ(CFNetServiceCreateTXTDataWithDictionary(nullptr, dictionary), nullptr);
  CFRelease(dictionary);

  // A length byte that runs past the end, and a repeated key whose first value counts.
  CFDataRef broken = dataOf(std::string("\x03" "a=1" "\x07" "b=2", 8));
  EXPECT_EQ(CFNetServiceCreateDictionaryWithTXTData(nullptr, broken), nullptr);
  CFRelease(broken);
}

// A key that comes again, in any case, is the same key: its first entry is the one read, and
// the dictionary survives the trip back to a record and out again.
TEST(CFNetServiceTXT, ARepeatedKeyCountsOnceWhateverItsCase) {
  const struct {
    const char* what;
    std::string record;
    const char* key;
    const char* value;
  } cases[] = {
      {"same case", std::string("\x03" "a=1" "\x03" "a=2", 8), "a", "1"},
      {"other case after", std::string("\x05" "Key=1" "\x05" "key=2", 12), "Key", "1"},
      {"other case before", std::string("\x05" "kEY=1" "\x05" "Key=2" "\x03" "b=3", 16), "kEY", "1"},
      {"bare key then valued", std::string("\x04" "FLAG" "\x06" "flag=1", 12), "FLAG", nullptr},
  };
  for (const auto& c : cases) {
    CFDataRef record = dataOf(c.record);
    CFDictionaryRef decoded = CFNetServiceCreateDictionaryWithTXTData(nullptr, record);
    ASSERT_NE(decoded, nullptr) << c.what;
    CFStringRef key = CFStringCreateWithCString(nullptr, c.key, kCFStringEncodingUTF8);
    CFTypeRef value = CFDictionaryGetValue(decoded, key);
    ASSERT_NE(value, nullptr) << c.what;
    if (c.value) {
      EXPECT_EQ(bytesOf(static_cast<CFDataRef>(value)), c.value) << c.what;
    } else {
      EXPECT_EQ(value, kCFNull) << c.what;
    }
    CFDataRef again = CFNetServiceCreateTXTDataWithDictionary(nullptr, decoded);
    ASSERT_NE(again, nullptr) << c.what;
    CFDictionaryRef decodedAgain = CFNetServiceCreateDictionaryWithTXTData(nullptr, again);
    ASSERT_NE(decodedAgain, nullptr) << c.what;
    EXPECT_TRUE(CFEqual(decoded, decodedAgain)) << c.what;
    for (CFTypeRef made : {CFTypeRef(decodedAgain), CFTypeRef(again), CFTypeRef(key), CFTypeRef(decoded),
                           CFTypeRef(record)})
      CFRelease(made);
  }
}

struct Found {
  std::vector<std::pair<CFOptionFlags, std::string>> events;
  std::vector<CFNetServiceRef> services;
};

void browserCallback(CFNetServiceBrowserRef, CFOptionFlags flags, CFTypeRef domainOrService, CFStreamError* error,
                     void* info) {
  auto* found = static_cast<Found*>(info);
  EXPECT_EQ(error->error, 0);
  auto service = static_cast<CFNetServiceRef>(const_cast<void*>(domainOrService));
  char name[256] = {};
  CFStringGetCString(CFNetServiceGetName(service), name, sizeof name, kCFStringEncodingUTF8);
  found->events.push_back({flags & kCFNetServiceFlagRemove, name});
  found->services.push_back(CFNetServiceCreateCopy(nullptr, service));
}

class CFNetServiceTest : public ::testing::Test {
 protected:
  moxicam::test::TemporaryRoot mRoot;
};

TEST_F(CFNetServiceTest, PublishedServiceIsBrowsedAndResolved) {
  CFNetServiceRef published = CFNetServiceCreate(nullptr, CFSTR("local."), CFSTR("_qfl_test._udp."),
                                                 CFSTR("Studio alice.0"), 30100);
  CFDataRef txt = dataOf(std::string("\x03" "a=1", 4));
  ASSERT_TRUE(CFNetServiceSetTXTData(published, txt));
  CFStreamError error{};
  ASSERT_TRUE(CFNetServiceRegisterWithOptions(published, 0, &error));

  Found found;
  CFNetServiceClientContext context{0, &found, nullptr, nullptr, nullptr};
  CFNetServiceBrowserRef browser = CFNetServiceBrowserCreate(nullptr, browserCallback, &context);
  CFNetServiceBrowserScheduleWithRunLoop(browser, CFRunLoopGetCurrent(), kCFRunLoopCommonModes);
  ASSERT_TRUE(CFNetServiceBrowserSearchForServices(browser, CFSTR("local."), CFSTR("_qfl_test._udp."), &error));
  ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return found.events.size() == 1; }));
  EXPECT_EQ(found.events[0], std::make_pair(CFOptionFlags(0), std::string("Studio alice.0")));

  CFNetServiceRef seen = found.services[0];
  EXPECT_EQ(CFNetServiceGetTXTData(seen), nullptr);
  ASSERT_TRUE(CFNetServiceResolveWithTimeout(seen, 5.0, &error));
  EXPECT_EQ(error.error, 0);
  EXPECT_EQ(CFNetServiceGetPortNumber(seen), 30100);
  EXPECT_EQ(bytesOf(CFNetServiceGetTXTData(seen)), std::string("\x03" "a=1", 4));

  CFNetServiceCancel(published);
  ASSERT_TRUE(moxicam::test::runLoopUntil([&] { return found.events.size() == 2; }));
  EXPECT_EQ(found.events[1], std::make_pair(CFOptionFlags(kCFNetServiceFlagRemove), std::string("Studio alice.0")));

  CFNetServiceBrowserInvalidate(browser);
  CFRelease(browser);
  for (auto service : found.services) CFRelease(service);
  CFRelease(published);
  CFRelease(txt);
}

TEST_F(CFNetServiceTest, ResolveOfAMissingServiceTimesOutOrIsCancelled) {
  CFNetServiceRef missing = CFNetServiceCreate(nullptr, CFSTR("local."), CFSTR("_qfl_test._udp."), CFSTR("Nobody"), -1);
  CFStreamError error{};
  EXPECT_FALSE(CFNetServiceResolveWithTimeout(missing, 0.1, &error));
  EXPECT_EQ(error.domain, kCFStreamErrorDomainNetServices);
  EXPECT_EQ(error.error, kCFNetServicesErrorTimeout);

  std::thread canceller([&] {
    std::this_thread::sleep_for(50ms);
    CFNetServiceCancel(missing);
  });
  EXPECT_FALSE(CFNetServiceResolveWithTimeout(missing, 20.0, &error));
  canceller.join();
  EXPECT_EQ(error.error, kCFNetServicesErrorCancel);
  CFRelease(missing);
}

}  // namespace
