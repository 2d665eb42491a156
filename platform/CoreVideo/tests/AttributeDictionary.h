#pragma once
// Attribute and property dictionaries, as callers of the pixel buffer functions build them.
#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>

#include <cstdint>

namespace moxicam::test {

// A new (+1) empty dictionary that retains its keys and values.
inline CFMutableDictionaryRef newDictionary() {
  return CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
}

inline void setNumber(CFMutableDictionaryRef dictionary, CFStringRef key, int64_t value) {
  CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt64Type, &value);
  CFDictionarySetValue(dictionary, key, number);
  CFRelease(number);
}

}  // namespace moxicam::test
