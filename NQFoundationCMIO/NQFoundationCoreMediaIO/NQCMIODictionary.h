#pragma once
// An owned mutable dictionary of CF types, for building attribute dictionaries.
#include <CoreFoundation/CFDictionary.h>

#include <objc/RefPtr.h>

namespace NQCMIO {

class OSDictionary {
 public:
  OSDictionary();

  CFMutableDictionaryRef Get() const { return mDictionary.get(); }
  // Sets a 64-bit number under the key; false (silently) for a dictionary or key that is not
  // there or not of its type, false (reported) when the number cannot be made.
  static bool CFDictionarySetSInt64Value(CFMutableDictionaryRef dictionary, CFStringRef key, SInt64 value);

 private:
  const RefPtr<__CFDictionary> mDictionary;
};

}  // namespace NQCMIO
