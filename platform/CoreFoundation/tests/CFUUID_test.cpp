#include <CoreFoundation/CFUUID.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <CoreFoundation/CFString.h>
#include <objc/RefPtr.h>

namespace {

using UUID = RefPtr<const __CFUUID>;

std::string utf8(CFStringRef string) {
  char buffer[128] = {};
  if (!string || !CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8)) return "<null>";
  return buffer;
}

std::string textOf(CFUUIDRef uuid) {
  CFStringRef string = CFUUIDCreateString(nullptr, uuid);
  std::string text = utf8(string);
  if (string) CFRelease(string);
  return text;
}

TEST(CFUUID, TextRoundTripsInUpperCase) {
  UUID parsed = adopt(CFUUIDCreateFromString(nullptr, CFSTR("68753a44-4d6f-1226-9c60-0050e4c00067")));
  ASSERT_TRUE(parsed);
  EXPECT_EQ(textOf(parsed.get()), "68753A44-4D6F-1226-9C60-0050E4C00067");
  CFUUIDBytes bytes = CFUUIDGetUUIDBytes(parsed.get());
  EXPECT_EQ(bytes.byte0, 0x68);
  EXPECT_EQ(bytes.byte15, 0x67);
  UUID again = adopt(CFUUIDCreateFromUUIDBytes(nullptr, bytes));
  EXPECT_TRUE(CFEqual(parsed.get(), again.get()));
  EXPECT_EQ(CFHash(parsed.get()), CFHash(again.get()));
  UUID braced = adopt(CFUUIDCreateFromString(nullptr, CFSTR("{68753A44-4D6F-1226-9C60-0050E4C00067}")));
  EXPECT_TRUE(CFEqual(parsed.get(), braced.get()));
}

TEST(CFUUID, FormatsAsItsCanonicalText) {
  UUID uuid = adopt(CFUUIDCreateFromString(nullptr, CFSTR("ae7592b7-12f0-4793-b5eb-a8218fd395c2")));
  CFStringRef text = CFStringCreateWithFormat(nullptr, nullptr, CFSTR("DEV_%@_2x2"), uuid.get());
  EXPECT_EQ(utf8(text), "DEV_AE7592B7-12F0-4793-B5EB-A8218FD395C2_2x2");
  if (text) CFRelease(text);
}

TEST(CFUUID, RejectsTextThatIsNotAUUID) {
  for (CFStringRef text : {CFSTR(""), CFSTR("68753A44-4D6F-1226-9C60-0050E4C0006"),
                           CFSTR("68753A44-4D6F-1226-9C60-0050E4C000677"), CFSTR("68753A44+4D6F-1226-9C60-0050E4C00067"),
                           CFSTR("G8753A44-4D6F-1226-9C60-0050E4C00067")}) {
    EXPECT_EQ(CFUUIDCreateFromString(nullptr, text), nullptr) << utf8(text);
  }
  EXPECT_EQ(CFUUIDCreateFromString(nullptr, nullptr), nullptr);
}

TEST(CFUUID, RandomUUIDsDifferAndAreVersion4) {
  UUID first = adopt(CFUUIDCreate(nullptr)), second = adopt(CFUUIDCreate(nullptr));
  EXPECT_FALSE(CFEqual(first.get(), second.get()));
  EXPECT_EQ(CFUUIDGetUUIDBytes(first.get()).byte6 >> 4, 4);
  EXPECT_EQ(CFGetTypeID(first.get()), CFUUIDGetTypeID());
}

TEST(CFUUID, ConstantUUIDsAreInternedAndImmortal) {
  CFUUIDRef a = CFUUIDGetConstantUUIDWithBytes(nullptr, 0x30, 0x01, 0x0C, 0x1C, 0x93, 0xBF, 0x11, 0xD8, 0x8B, 0x5B,
                                               0x00, 0x0A, 0x95, 0xAF, 0x9C, 0x6A);
  CFUUIDRef b = CFUUIDGetConstantUUIDWithBytes(nullptr, 0x30, 0x01, 0x0C, 0x1C, 0x93, 0xBF, 0x11, 0xD8, 0x8B, 0x5B,
                                               0x00, 0x0A, 0x95, 0xAF, 0x9C, 0x6A);
  EXPECT_EQ(a, b);
  CFRelease(a);
  CFRelease(a);
  EXPECT_EQ(textOf(a), "30010C1C-93BF-11D8-8B5B-000A95AF9C6A");
  UUID made = adopt(CFUUIDCreateWithBytes(nullptr, 0x30, 0x01, 0x0C, 0x1C, 0x93, 0xBF, 0x11, 0xD8, 0x8B, 0x5B, 0x00,
                                          0x0A, 0x95, 0xAF, 0x9C, 0x6A));
  EXPECT_TRUE(CFEqual(made.get(), a));
  CFStringRef description = CFCopyDescription(a);
  EXPECT_NE(utf8(description).find("> 30010C1C-93BF-11D8-8B5B-000A95AF9C6A"), std::string::npos);
  CFRelease(description);
}

}  // namespace
