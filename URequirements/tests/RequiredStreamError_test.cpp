// Stream errors as CFErrors, and the report of a stream error.
#include <CFNetwork/CFNetwork.h>
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFError.h>
#include <CoreFoundation/CFNumber.h>
#include <gtest/gtest.h>

#include "MessageCollector.h"
#include "URequirements.h"

namespace {

std::string text(CFStringRef string) {
  char buffer[1024] = {};
  if (string) CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8);
  return buffer;
}

TEST(RequiredStreamError, MapsEachDomainToItsErrorDomainAndCode) {
  const struct {
    CFIndex domain;
    SInt32 error;
    std::string expectedDomain;
    CFIndex expectedCode;
  } cases[] = {
      {kCFStreamErrorDomainMacOSStatus, -43, text(kCFErrorDomainOSStatus), -43},
      {kCFStreamErrorDomainPOSIX, 61, text(kCFErrorDomainPOSIX), 61},
      {kCFStreamErrorDomainMach, 5, text(kCFErrorDomainMach), 5},
      {kCFStreamErrorDomainNetDB, 8, "kCFErrorDomainCFNetwork", 8},
      {kCFStreamErrorDomainNetServices, -72000, "kCFStreamErrorDomainNetServices", -72000},
      {kCFStreamErrorDomainSOCKS, 3, "kCFStreamErrorDomainSOCKS", 3},
      {kCFStreamErrorDomainSSL, -9806, "kCFStreamErrorDomainSSL", -9806},
      {kCFStreamErrorDomainHTTP, -1, "kCFErrorDomainCFNetwork", 303},
      {kCFStreamErrorDomainHTTP, -2, "kCFErrorDomainCFNetwork", 304},
      {kCFStreamErrorDomainHTTP, -3, "kCFErrorDomainCFNetwork", 305},
      {kCFStreamErrorDomainHTTP, -1000, "kCFErrorDomainCFNetwork", 300},
      {kCFStreamErrorDomainHTTP, -1001, "kCFErrorDomainCFNetwork", 301},
      {kCFStreamErrorDomainHTTP, -1002, "kCFErrorDomainCFNetwork", 301},
      {kCFStreamErrorDomainHTTP, 404, "CFStreamErrorDomain", 404},
      {kCFStreamErrorDomainCustom, 9, "CFStreamErrorDomain", 9},
      {kCFStreamErrorDomainFTP, 550, "CFStreamErrorDomain", 550},
      {0, 7, "CFStreamErrorDomain", 7},
  };
  for (const auto& entry : cases) {
    const CFStreamError streamError{entry.domain, entry.error};
    CFErrorRef error = __CFStreamErrorCopyCFErrorRef(&streamError);
    ASSERT_NE(error, nullptr) << entry.domain << "/" << entry.error;
    EXPECT_EQ(text(CFErrorGetDomain(error)), entry.expectedDomain) << entry.domain << "/" << entry.error;
    EXPECT_EQ(CFErrorGetCode(error), entry.expectedCode) << entry.domain << "/" << entry.error;
    CFDictionaryRef userInfo = CFErrorCopyUserInfo(error);
    const void* failure = userInfo ? CFDictionaryGetValue(userInfo, kCFGetAddrInfoFailureKey) : nullptr;
    EXPECT_EQ(failure != nullptr, entry.domain == kCFStreamErrorDomainNetDB) << entry.domain;
    if (failure) {
      SInt32 value = 0;
      CFNumberGetValue(static_cast<CFNumberRef>(failure), kCFNumberSInt32Type, &value);
      EXPECT_EQ(value, entry.error);
    }
    if (userInfo) CFRelease(userInfo);
    CFRelease(error);
  }
}

TEST(RequiredStreamError, NoErrorGivesNoCFErrorAndNoReport) {
  MessageCollector console;
  const CFStreamError none{0, 0};
  EXPECT_EQ(__CFStreamErrorCopyCFErrorRef(&none), nullptr);
  EXPECT_TRUE(console.drain().empty());

  EXPECT_EQ(__CFStreamErrorCopyCFErrorRef(nullptr), nullptr);
  const std::vector<std::string> messages = console.drain();
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind("REQUIRED_NOT_NULL 0x00000000==NULL : in_error in __CFStreamErrorCopyCFErrorRef", 0), 0u)
      << messages[0];
}

TEST(RequiredStreamError, ReportShowsTheErrorDomainAndCode) {
  MessageCollector console;
  const CFStreamError streamError{kCFStreamErrorDomainHTTP, -2};
  CFErrorRef error = __CFStreamErrorCopyCFErrorRef(&streamError);
  CFStringRef description = CFCopyDescription(error);
  __CFStreamErrorRequiredBody(&streamError, "Fetch", "Feed.cpp", 40, "SRC>>streamError");
  EXPECT_EQ(console.only(), text(description) + " CFStreamError{ .domain=4 .error=-2 } - SRC>>streamError in Fetch:40 (Feed.cpp)");
  CFRelease(description);
  CFRelease(error);
}

}  // namespace
