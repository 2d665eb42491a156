#include "NQBonjourTXTDictionary.h"

#include <objc/RefPtr.h>

#include <vector>

#include "URequirements.h"

namespace NQBonjour::TXTDictionary {

namespace {

CFStringRef copyText(CFTypeRef value) {
  if (!value || CFGetTypeID(value) != CFDataGetTypeID()) return nullptr;
  auto data = static_cast<CFDataRef>(value);
  return CFStringCreateWithBytes(nullptr, CFDataGetBytePtr(data), CFDataGetLength(data), kCFStringEncodingUTF8,
                                 false);
}

}  // namespace

CFStringRef CopyStringValueForKey(CFDictionaryRef txtDictionary, CFStringRef key) {
  if (!txtDictionary || CFGetTypeID(txtDictionary) != CFDictionaryGetTypeID() || !key) return nullptr;
  return copyText(CFDictionaryGetValue(txtDictionary, key));
}

int64_t IntegerValueForKey(CFDictionaryRef txtDictionary, CFStringRef key) {
  const RefPtr<const __CFString> text = adopt(CopyStringValueForKey(txtDictionary, key));
  return text ? CFStringGetIntValue(text.get()) : 0;
}

double DoubleValueForKey(CFDictionaryRef txtDictionary, CFStringRef key) {
  const RefPtr<const __CFString> text = adopt(CopyStringValueForKey(txtDictionary, key));
  return text ? CFStringGetDoubleValue(text.get()) : 0.0;
}

void CFShow(CFDictionaryRef txtDictionary, CFStringRef) {
  if (!REQUIRED_CFTYPEOF(txtDictionary, CFDictionaryGetTypeID())) return;
  CFIndex count = CFDictionaryGetCount(txtDictionary);
  // clang-format off
  if (!REQUIREMENT(count>0)) return;
  // clang-format on
  std::vector<const void*> keys(static_cast<size_t>(count)), values(static_cast<size_t>(count));
  CFDictionaryGetKeysAndValues(txtDictionary, keys.data(), values.data());
  for (CFIndex i = 0; i < count; ++i) {
    auto stringKey = static_cast<CFStringRef>(keys[size_t(i)]);
    REQUIRED_CFTYPEOF(stringKey, CFStringGetTypeID());
    const RefPtr<const __CFString> text = adopt(copyText(values[size_t(i)]));
    CFStringRef stringValue = text.get();
    REQUIRED_CFTYPEOF(stringValue, CFStringGetTypeID());
  }
}

void CFShow(CFNetServiceRef, CFDictionaryRef txtDictionary, const char*) { CFShow(txtDictionary, nullptr); }

}  // namespace NQBonjour::TXTDictionary
