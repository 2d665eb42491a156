#include "NQCMIODictionary.h"

#include <CoreFoundation/CFNumber.h>
#include <CoreFoundation/CFString.h>
#include <URequirements.h>

namespace NQCMIO {

OSDictionary::OSDictionary()
    : mDictionary(adopt(
          CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks))) {}

static bool isOfType(CFTypeRef value, CFTypeID type) {
  return value && value != static_cast<CFTypeRef>(kCFNull) && CFGetTypeID(value) == type;
}

bool OSDictionary::CFDictionarySetSInt64Value(CFMutableDictionaryRef dictionary, CFStringRef key, SInt64 value) {
  if (!isOfType(dictionary, CFDictionaryGetTypeID()) || !isOfType(key, CFStringGetTypeID())) return false;
  const RefPtr<const __CFNumber> number = adopt(CFNumberCreate(nullptr, kCFNumberSInt64Type, &value));
  CFNumberRef numberValue = number.get();
  if (!REQUIRED_CFTYPEOF(numberValue, CFNumberGetTypeID())) return false;
  CFDictionarySetValue(dictionary, key, numberValue);
  return true;
}

}  // namespace NQCMIO
