#include "UCoreCGWindowList.h"

#include <CoreFoundation/CFNumber.h>
#include <objc/RefPtr.h>

namespace {

const void* valueForKey(CFDictionaryRef window, CFStringRef key) {
  if (!window || !key || CFGetTypeID(window) != CFDictionaryGetTypeID()) return nullptr;
  return CFDictionaryGetValue(window, key);
}

bool isOfType(const void* value, CFTypeID type) { return value && CFGetTypeID(value) == type; }

}  // namespace

CFIndex UCoreCGWindowList_EnumWindowsWithOptions(CGWindowListOption options,
                                                 const UCoreCGWindowCallback& callback) {
  auto windowList = adopt(CGWindowListCopyWindowInfo(options, kCGNullWindowID));
  if (!windowList) return 0;
  CFIndex visited = 0;
  CFIndex count = CFArrayGetCount(windowList.get());
  for (CFIndex index = 0; index < count; ++index) {
    ++visited;
    auto window = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(windowList.get(), index));
    if (!callback || !callback(index, window)) break;
  }
  return visited;
}

CFIndex UCoreCGWindowList_FindWindowNameWithOptions(CFStringRef name, CGWindowListOption options,
                                                    const UCoreCGWindowCallback& callback) {
  CFIndex matches = 0;
  UCoreCGWindowList_EnumWindowsWithOptions(options, [&](CFIndex, CFDictionaryRef window) {
    CFStringRef windowName = string_ForKey(window, kCGWindowName, CFSTR(""));
    if (!name || !CFEqual(windowName, name)) return true;
    return callback && callback(matches++, window);
  });
  return matches;
}

UInt64 UCoreCGWindowInfo_GetWindowID(CFDictionaryRef window) {
  return uint64_ForKey(window, kCGWindowNumber, 0);
}

SInt64 UCoreCGWindowInfo_GetWindowLevel(CFDictionaryRef window) {
  return int64_ForKey(window, kCGWindowLayer, 0);
}

CFStringRef UCoreCGWindowInfo_GetWindowOwnerName(CFDictionaryRef window) {
  return string_ForKey(window, kCGWindowOwnerName, CFSTR(""));
}

bool UCoreCGWindowInfo_HasWindowOwnerName(CFDictionaryRef window, CFStringRef name) {
  return hasString_ForKeyWithValue(window, kCGWindowOwnerName, name);
}

bool UCoreCGWindowInfo_HasWindowName(CFDictionaryRef window, CFStringRef name) {
  return hasString_ForKeyWithValue(window, kCGWindowName, name);
}

CGRect UCoreCGWindowInfo_GetWindowBounds(CFDictionaryRef window) {
  const void* bounds = valueForKey(window, kCGWindowBounds);
  CGRect rect = CGRectZero;
  if (!isOfType(bounds, CFDictionaryGetTypeID()) ||
      !CGRectMakeWithDictionaryRepresentation(static_cast<CFDictionaryRef>(bounds), &rect)) {
    return CGRectZero;
  }
  return rect;
}

CFStringRef string_ForKey(CFDictionaryRef window, CFStringRef key, CFStringRef defaultValue) {
  const void* value = valueForKey(window, key);
  return isOfType(value, CFStringGetTypeID()) ? static_cast<CFStringRef>(value) : defaultValue;
}

bool hasString_ForKeyWithValue(CFDictionaryRef window, CFStringRef key, CFStringRef value) {
  if (!value) return false;
  CFStringRef text = string_ForKey(window, key, nullptr);
  return text && CFEqual(text, value);
}

bool boolean_ForKey(CFDictionaryRef window, CFStringRef key) {
  return valueForKey(window, key) == kCFBooleanTrue;
}

SInt64 int64_ForKey(CFDictionaryRef window, CFStringRef key, SInt64 defaultValue) {
  const void* value = valueForKey(window, key);
  if (!isOfType(value, CFNumberGetTypeID())) return defaultValue;
  // A number of another width or a fraction is still read; only its 64-bit integer value counts.
  SInt64 number = 0;
  CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberSInt64Type, &number);
  return number;
}

UInt64 uint64_ForKey(CFDictionaryRef window, CFStringRef key, UInt64 defaultValue) {
  return UInt64(int64_ForKey(window, key, SInt64(defaultValue)));
}
