#include "CodeSignature.h"

#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFPropertyList.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>

namespace CodeSignature {

namespace {

constexpr const char* kSwitch = "MOXICAM_CODE_SIGNATURE";

void reportOnce(const std::string& path, const char* problem) {
  static std::once_flag reported;
  std::call_once(reported, [&] {
    std::fprintf(stderr, "Security: %s \"%s\" %s; the program counts as unsigned\n", kSwitch, path.c_str(),
                 problem);
  });
}

}  // namespace

Signature ofRunningProgram() {
  Signature signature;
  const char* path = std::getenv(kSwitch);
  if (!path || !*path) return signature;
  std::ifstream file(path, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  if (!file.good() && !file.eof()) {
    reportOnce(path, "cannot be read");
    return signature;
  }
  RefPtr<const __CFData> data =
      adopt(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(text.data()), CFIndex(text.size())));
  RefPtr<const NSObject> plist = adopt(static_cast<const NSObject*>(
      CFPropertyListCreateWithData(nullptr, data.get(), kCFPropertyListImmutable, nullptr, nullptr)));
  auto dictionary = static_cast<CFDictionaryRef>(static_cast<const void*>(plist.get()));
  if (!dictionary || CFGetTypeID(dictionary) != CFDictionaryGetTypeID()) {
    reportOnce(path, "is no property list dictionary");
    return signature;
  }
  auto identifier = static_cast<CFStringRef>(CFDictionaryGetValue(dictionary, CFSTR("identifier")));
  auto entitlements = static_cast<CFDataRef>(CFDictionaryGetValue(dictionary, CFSTR("entitlements")));
  if (!identifier || CFGetTypeID(identifier) != CFStringGetTypeID()) {
    reportOnce(path, "names no identifier");
    return signature;
  }
  signature.identifier = RefPtr<const __CFString>(identifier);
  if (entitlements && CFGetTypeID(entitlements) == CFDataGetTypeID())
    signature.entitlements = RefPtr<const __CFData>(entitlements);
  return signature;
}

}  // namespace CodeSignature
