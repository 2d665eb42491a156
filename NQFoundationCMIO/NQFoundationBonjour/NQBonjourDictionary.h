#pragma once
// The owning holder of a new, empty mutable dictionary (keys and values retained).
#include <CoreFoundation/CFDictionary.h>
#include <objc/RefPtr.h>

namespace NQBonjour {

class OSDictionary {
 public:
  OSDictionary()
      : mDictionary(adopt(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                    &kCFTypeDictionaryValueCallBacks))) {}

  CFMutableDictionaryRef get() const { return mDictionary.get(); }
  // Hands the dictionary to the caller, who releases it.
  CFMutableDictionaryRef release() { return mDictionary.leak(); }

 private:
  RefPtr<__CFDictionary> mDictionary;
};

}  // namespace NQBonjour
