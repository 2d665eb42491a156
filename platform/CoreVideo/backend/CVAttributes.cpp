#include "backend/CVAttributes.h"

#include <CoreFoundation/CFNumber.h>

namespace CoreVideo {

Found integerAttribute(CFDictionaryRef attributes, CFStringRef key, int64_t& value) {
  const void* object = attributes ? CFDictionaryGetValue(attributes, key) : nullptr;
  if (!object) return Found::missing;
  if (CFGetTypeID(object) != CFNumberGetTypeID()) return Found::invalid;
  CFNumberGetValue(static_cast<CFNumberRef>(object), kCFNumberSInt64Type, &value);
  return Found::number;
}

bool isDictionary(CFTypeRef object) { return object && CFGetTypeID(object) == CFDictionaryGetTypeID(); }

}  // namespace CoreVideo
