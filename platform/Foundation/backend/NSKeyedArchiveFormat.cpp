#include "backend/NSKeyedArchiveFormat.h"

#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>
#include <Foundation/NSString.h>

namespace KeyedArchive {

CFTypeRef createUID(CFIndex index) {
  long long value = index;
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberLongLongType, &value);
  const void* keys[] = {CFSTR("CF$UID")};
  const void* values[] = {number};
  CFDictionaryRef uid = CFDictionaryCreate(nullptr, keys, values, 1, &kCFTypeDictionaryKeyCallBacks,
                                           &kCFTypeDictionaryValueCallBacks);
  CFRelease(number);
  return uid;
}

bool readUID(CFTypeRef value, CFIndex& index) {
  if (!value || CFGetTypeID(value) != CFDictionaryGetTypeID()) return false;
  auto dictionary = static_cast<CFDictionaryRef>(value);
  if (CFDictionaryGetCount(dictionary) != 1) return false;
  CFTypeRef number = CFDictionaryGetValue(dictionary, CFSTR("CF$UID"));
  if (!number || CFGetTypeID(number) != CFNumberGetTypeID() ||
      CFNumberIsFloatType(static_cast<CFNumberRef>(number))) {
    return false;
  }
  long long read = -1;
  CFNumberGetValue(static_cast<CFNumberRef>(number), kCFNumberLongLongType, &read);
  if (read < 0 || read > 0xFFFFFFFFLL) return false;
  index = CFIndex(read);
  return true;
}

CFStringRef createEscapedKey(NSString* key) {
  if (!key) return nullptr;
  if (key->length() > 0 && key->characterAtIndex(0) == '$') {
    CFMutableStringRef escaped = CFStringCreateMutable(nullptr, 0);
    CFStringAppend(escaped, CFSTR("$"));
    CFStringAppend(escaped, key->cfString());
    return escaped;
  }
  return CFStringCreateCopy(nullptr, key->cfString());
}

}  // namespace KeyedArchive
