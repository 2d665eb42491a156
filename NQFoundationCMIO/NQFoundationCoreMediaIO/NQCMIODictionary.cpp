#include "NQCMIODictionary.h"

#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>
#include <URequirements.h>

namespace NQCMIO {

OSDictionary::OSDictionary() {
  CFMutableDictionaryRef dictionary =
      CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  if (dictionary) {
    mDictionary = dictionary;
    CFRelease(dictionary);
  }
}

static bool isOfType(CFTypeRef value, CFTypeID type) {
  return value && value != static_cast<CFTypeRef>(kCFNull) && CFGetTypeID(value) == type;
}

bool OSDictionary::CFDictionarySetSInt64Value(CFMutableDictionaryRef dictionary, CFStringRef key, SInt64 value) {
  if (!isOfType(dictionary, CFDictionaryGetTypeID()) || !isOfType(key, CFStringGetTypeID())) return false;
  CFNumberRef numberValue = CFNumberCreate(nullptr, kCFNumberSInt64Type, &value);
  if (!REQUIRED_CFTYPEOF(numberValue, CFNumberGetTypeID())) {
    if (numberValue) CFRelease(numberValue);
    return false;
  }
  CFDictionarySetValue(dictionary, key, numberValue);
  CFRelease(numberValue);
  return true;
}

}  // namespace NQCMIO
