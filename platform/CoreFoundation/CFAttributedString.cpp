#include <CoreFoundation/CFAttributedString.h>
#include <objc/RefPtr.h>
#include <objc/runtime.h>

#include <algorithm>
#include <vector>

struct __CFAttributedString : NSObject {
  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFAttributedString");
    return id;
  }
  unsigned long cfTypeID() const override { return typeID(); }

  struct Run {
    CFIndex length;
    RefPtr<const __CFDictionary> attributes;
  };

  // Splits the run that holds `at` so that a run starts there; answers that run's index.
  size_t splitAt(CFIndex at) {
    CFIndex start = 0;
    for (size_t i = 0; i < runs.size(); ++i) {
      if (start == at) return i;
      if (at < start + runs[i].length) {
        const Run tail{start + runs[i].length - at, runs[i].attributes};
        runs[i].length = at - start;
        runs.insert(runs.begin() + std::ptrdiff_t(i) + 1, tail);
        return i + 1;
      }
      start += runs[i].length;
    }
    return runs.size();
  }

  RefPtr<const __CFString> string;
  std::vector<Run> runs;
};

namespace {

__CFAttributedString* objectOf(CFAttributedStringRef aStr) {
  return aStr && CFGetTypeID(aStr) == __CFAttributedString::typeID() ? const_cast<__CFAttributedString*>(aStr)
                                                                     : nullptr;
}

RefPtr<const __CFDictionary> emptyDictionary() {
  return adopt(CFDictionaryCreate(nullptr, nullptr, nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                  &kCFTypeDictionaryValueCallBacks));
}

}  // namespace

CFTypeID CFAttributedStringGetTypeID(void) { return __CFAttributedString::typeID(); }

CFAttributedStringRef CFAttributedStringCreate(CFAllocatorRef, CFStringRef str, CFDictionaryRef attributes) {
  if (!str) return nullptr;
  auto* object = new __CFAttributedString();
  object->string = adopt(CFStringCreateCopy(nullptr, str));
  const CFIndex length = CFStringGetLength(str);
  if (length > 0)
    object->runs.push_back(
        {length, attributes ? adopt(CFDictionaryCreateCopy(nullptr, attributes)) : emptyDictionary()});
  return object;
}

CFMutableAttributedStringRef CFAttributedStringCreateMutableCopy(CFAllocatorRef, CFIndex,
                                                                 CFAttributedStringRef aStr) {
  const __CFAttributedString* source = objectOf(aStr);
  if (!source) return nullptr;
  auto* object = new __CFAttributedString();
  object->string = source->string;
  object->runs = source->runs;
  return object;
}

CFStringRef CFAttributedStringGetString(CFAttributedStringRef aStr) {
  const __CFAttributedString* object = objectOf(aStr);
  return object ? object->string.get() : nullptr;
}

CFIndex CFAttributedStringGetLength(CFAttributedStringRef aStr) {
  const __CFAttributedString* object = objectOf(aStr);
  return object ? CFStringGetLength(object->string.get()) : 0;
}

CFDictionaryRef CFAttributedStringGetAttributes(CFAttributedStringRef aStr, CFIndex loc,
                                                CFRange* effectiveRange) {
  const __CFAttributedString* object = objectOf(aStr);
  if (!object || loc < 0) return nullptr;
  CFIndex start = 0;
  for (const auto& run : object->runs) {
    if (loc < start + run.length) {
      if (effectiveRange) *effectiveRange = CFRangeMake(start, run.length);
      return run.attributes.get();
    }
    start += run.length;
  }
  return nullptr;
}

CFTypeRef CFAttributedStringGetAttribute(CFAttributedStringRef aStr, CFIndex loc, CFStringRef attrName,
                                         CFRange* effectiveRange) {
  CFDictionaryRef attributes = CFAttributedStringGetAttributes(aStr, loc, effectiveRange);
  return attributes && attrName ? CFDictionaryGetValue(attributes, attrName) : nullptr;
}

void CFAttributedStringSetAttribute(CFMutableAttributedStringRef aStr, CFRange range, CFStringRef attrName,
                                    CFTypeRef value) {
  __CFAttributedString* object = objectOf(aStr);
  if (!object || !attrName || !value) return;
  const CFIndex length = CFStringGetLength(object->string.get());
  const CFIndex start = std::clamp<CFIndex>(range.location, 0, length);
  const CFIndex end = std::clamp<CFIndex>(range.location + std::max<CFIndex>(range.length, 0), start, length);
  if (start == end) return;
  const size_t first = object->splitAt(start), last = object->splitAt(end);
  for (size_t i = first; i < last; ++i) {
    CFMutableDictionaryRef changed =
        CFDictionaryCreateMutableCopy(nullptr, 0, object->runs[i].attributes.get());
    CFDictionarySetValue(changed, attrName, value);
    object->runs[i].attributes = adopt(static_cast<CFDictionaryRef>(changed));
  }
}
