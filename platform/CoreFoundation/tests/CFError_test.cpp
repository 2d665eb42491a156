#include <CoreFoundation/CFError.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>
#include <objc/RefPtr.h>

namespace {

using Error = RefPtr<__CFError>;

std::string utf8(CFStringRef string) {
  char buffer[512] = {};
  if (!string || !CFStringGetCString(string, buffer, sizeof buffer, kCFStringEncodingUTF8)) return "<null>";
  return buffer;
}

std::string take(CFStringRef string) {
  std::string text = utf8(string);
  if (string) CFRelease(string);
  return text;
}

Error makeError(CFStringRef domain, CFIndex code, std::initializer_list<std::pair<CFStringRef, CFTypeRef>> info) {
  std::vector<const void*> keys, values;
  for (auto& [key, value] : info) {
    keys.push_back(key);
    values.push_back(value);
  }
  return adopt(CFErrorCreateWithUserInfoKeysAndValues(nullptr, domain, code, keys.data(), values.data(),
                                                      static_cast<CFIndex>(keys.size())));
}

TEST(CFError, DescriptionComesFromTheBestInformationAtHand) {
  struct Row {
    const char* name;
    Error error;
    std::string description;
  };
  const Row table[] = {
      {"localized description wins", makeError(CFSTR("MyDomain"), 5, {{kCFErrorLocalizedDescriptionKey, CFSTR("Shown")},
                                                                          {kCFErrorLocalizedFailureReasonKey, CFSTR("Why")}}),
       "Shown"},
      {"failure reason", makeError(CFSTR("MyDomain"), 5, {{kCFErrorLocalizedFailureReasonKey, CFSTR("The disk is full.")}}),
       "The operation couldn\u2019t be completed. The disk is full."},
      {"plain description", makeError(CFSTR("MyDomain"), 5, {{kCFErrorDescriptionKey, CFSTR("bad thing")}}),
       "The operation couldn\u2019t be completed. (MyDomain error 5 - bad thing)"},
      {"nothing but domain and code", makeError(kCFErrorDomainOSStatus, -50, {}),
       "The operation couldn\u2019t be completed. (NSOSStatusErrorDomain error -50.)"},
      {"POSIX codes are described by the system", makeError(kCFErrorDomainPOSIX, ENOENT, {}),
       "The operation couldn\u2019t be completed. No such file or directory"},
  };
  for (const Row& row : table) {
    ASSERT_TRUE(row.error) << row.name;
    EXPECT_EQ(take(CFErrorCopyDescription(row.error.get())), row.description) << row.name;
  }
}

TEST(CFError, KeepsDomainCodeAndACopyOfItsInformation) {
  RefPtr<__CFDictionary> info = adopt(
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
  CFDictionarySetValue(info.get(), kCFErrorLocalizedRecoverySuggestionKey, CFSTR("Try again."));
  Error error = adopt(CFErrorCreate(nullptr, kCFErrorDomainCocoa, 260, info.get()));
  CFDictionarySetValue(info.get(), kCFErrorLocalizedFailureReasonKey, CFSTR("added later"));

  EXPECT_EQ(utf8(CFErrorGetDomain(error.get())), "NSCocoaErrorDomain");
  EXPECT_EQ(CFErrorGetCode(error.get()), 260);
  RefPtr<const __CFDictionary> kept = adopt(CFErrorCopyUserInfo(error.get()));
  EXPECT_EQ(CFDictionaryGetCount(kept.get()), 1);
  EXPECT_EQ(take(CFErrorCopyRecoverySuggestion(error.get())), "Try again.");
  EXPECT_EQ(CFErrorCopyFailureReason(error.get()), nullptr);
  EXPECT_EQ(take(CFErrorCopyFailureReason(makeError(kCFErrorDomainPOSIX, EACCES, {}).get())), "Permission denied");

  Error bare = adopt(CFErrorCreate(nullptr, kCFErrorDomainMach, 4, nullptr));
  RefPtr<const __CFDictionary> empty = adopt(CFErrorCopyUserInfo(bare.get()));
  ASSERT_TRUE(empty);
  EXPECT_EQ(CFDictionaryGetCount(empty.get()), 0);
  EXPECT_EQ(utf8(kCFErrorDomainMach), "NSMachErrorDomain");
}

TEST(CFError, MissingDomainIsRefusedAndDescriptionNamesEverything) {
  EXPECT_EQ(CFErrorCreate(nullptr, nullptr, 1, nullptr), nullptr);
  Error error = makeError(kCFErrorDomainPOSIX, ENOENT, {{kCFErrorFilePathKey, CFSTR("/missing")}});
  std::string description = take(CFCopyDescription(error.get()));
  EXPECT_EQ(description.rfind("Error Domain=NSPOSIXErrorDomain Code=2 \"", 0), 0u) << description;
  EXPECT_NE(description.find("NSFilePath=/missing"), std::string::npos) << description;
  EXPECT_TRUE(CFEqual(error.get(), makeError(kCFErrorDomainPOSIX, ENOENT, {{kCFErrorFilePathKey, CFSTR("/missing")}}).get()));
  EXPECT_FALSE(CFEqual(error.get(), makeError(kCFErrorDomainPOSIX, EACCES, {{kCFErrorFilePathKey, CFSTR("/missing")}}).get()));
}

}  // namespace
