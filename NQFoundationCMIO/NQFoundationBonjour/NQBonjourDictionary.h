#pragma once
// The owning holder of a new, empty mutable dictionary (keys and values retained).
#include <CoreFoundation/CFDictionary.h>

namespace NQBonjour {

class OSDictionary {
 public:
  OSDictionary()
      : mDictionary(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                              &kCFTypeDictionaryValueCallBacks)) {}
  ~OSDictionary() {
    if (mDictionary) CFRelease(mDictionary);
  }
  OSDictionary(const OSDictionary&) = delete;
  OSDictionary& operator=(const OSDictionary&) = delete;

  CFMutableDictionaryRef get() const { return mDictionary; }
  // Hands the dictionary to the caller, who releases it.
  CFMutableDictionaryRef release() {
    CFMutableDictionaryRef out = mDictionary;
    mDictionary = nullptr;
    return out;
  }

 private:
  CFMutableDictionaryRef mDictionary;
};

}  // namespace NQBonjour
