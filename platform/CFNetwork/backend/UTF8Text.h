#pragma once
// The UTF-8 text of a service's names, as dns_sd takes them.
#include <CoreFoundation/CFString.h>

#include <cstring>
#include <string>

namespace CFNetworkPlatform {

// Empty for null, for what is not a string, and for text that cannot be UTF-8.
inline std::string utf8(CFStringRef text) {
  if (!text || CFGetTypeID(text) != CFStringGetTypeID()) return {};
  CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(text), kCFStringEncodingUTF8) + 1;
  std::string buffer(size_t(size), '\0');
  if (!CFStringGetCString(text, buffer.data(), size, kCFStringEncodingUTF8)) return {};
  buffer.resize(strlen(buffer.c_str()));
  return buffer;
}

}  // namespace CFNetworkPlatform
