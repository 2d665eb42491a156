#include "backend/FoundationSupport.h"

#include <CoreFoundation/CFError.h>
#include <Foundation/NSError.h>

namespace Foundation {

std::string utf8(CFStringRef string) {
  if (!string) return "";
  if (const char* direct = CFStringGetCStringPtr(string, kCFStringEncodingUTF8)) return direct;
  const CFIndex size =
      CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  std::string text(size_t(size), '\0');
  if (!CFStringGetCString(string, text.data(), size, kCFStringEncodingUTF8)) return "";
  text.resize(text.find('\0'));
  return text;
}

CFStringRef autoreleasedString(const std::string& text) {
  CFStringRef string = CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(text.data()),
                                               CFIndex(text.size()), kCFStringEncodingUTF8, false);
  if (string) CFAutorelease(string);
  return string;
}

NSError* cocoaError(long code, const std::string& text) {
  CFStringRef description = autoreleasedString(text);
  const void* keys[] = {kCFErrorLocalizedDescriptionKey};
  const void* values[] = {description};
  CFErrorRef error = CFErrorCreateWithUserInfoKeysAndValues(nullptr, kCFErrorDomainCocoa, code, keys, values,
                                                            description ? 1 : 0);
  return autoreleased<NSError>(error);
}

}  // namespace Foundation
