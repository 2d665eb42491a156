#include "UQuartzWindowInfo.h"

#include <CoreFoundation/CFNumber.h>
#include <URequirements.h>
#include <objc/RefPtr.h>

#include "UQuartzWindowSource.h"

namespace NQCMIOGrabber {

namespace {

bool isDictionary(CFDictionaryRef window) { return REQUIRED_CFTYPEOF(window, CFDictionaryGetTypeID()); }

// The value under the key when the window is a dictionary; null when it is not or has none.
CFTypeRef valueForKey(CFDictionaryRef window, CFStringRef key) {
  if (!isDictionary(window)) return nullptr;
  return CFDictionaryGetValue(window, key);
}

}  // namespace

CFStringRef string_ForKey(CFDictionaryRef window, CFStringRef key, CFStringRef defaultValue) {
  CFTypeRef string = valueForKey(window, key);
  if (!string || !REQUIRED_CFTYPEOF(string, CFStringGetTypeID())) return defaultValue;
  return static_cast<CFStringRef>(string);
}

bool hasString_ForKeyWithValue(CFDictionaryRef window, CFStringRef key, CFStringRef value) {
  if (!value) return false;
  CFStringRef string = string_ForKey(window, key, nullptr);
  return string && CFStringCompare(string, value, 0) == kCFCompareEqualTo;
}

bool boolean_ForKey(CFDictionaryRef window, CFStringRef key) {
  CFTypeRef boolean = valueForKey(window, key);
  if (!boolean || !REQUIRED_CFTYPEOF(boolean, CFBooleanGetTypeID())) return false;
  return CFBooleanGetValue(static_cast<CFBooleanRef>(boolean));
}

SInt64 int64_ForKey(CFDictionaryRef window, CFStringRef key, SInt64 defaultValue) {
  CFTypeRef number = valueForKey(window, key);
  if (!number || !REQUIRED_CFTYPEOF(number, CFNumberGetTypeID())) return defaultValue;
  SInt64 value = defaultValue;
  CFNumberGetValue(static_cast<CFNumberRef>(number), kCFNumberSInt64Type, &value);
  return value;
}

UInt64 uint64_ForKey(CFDictionaryRef window, CFStringRef key, UInt64 defaultValue) {
  return UInt64(int64_ForKey(window, key, SInt64(defaultValue)));
}

}  // namespace NQCMIOGrabber

using namespace NQCMIOGrabber;

CFIndex UQuartzWindowList_EnumWindowsWithOptions(CGWindowListOption options, const UQuartzWindowCallback& callback) {
  CFArrayRef windowList = UQuartzWindowSource_CopyWindowList(options);
  if (!REQUIRED_NOT_NULL(windowList)) return 0;
  auto ownedList = adopt(windowList);
  const CFIndex count = CFArrayGetCount(windowList);
  CFIndex visited = 0;
  for (CFIndex index = 0; index < count; ++index) {
    auto windowDictionary = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(windowList, index));
    REQUIRED_CFTYPEOF(windowDictionary, CFDictionaryGetTypeID());
    ++visited;
    if (!callback(index, windowDictionary)) break;
  }
  return visited;
}

CFIndex UQuartzWindowList_FindWindowNameWithOptions(CFStringRef name, CGWindowListOption options,
                                                    const UQuartzWindowCallback& callback) {
  CFIndex matches = 0;
  bool goOn = true;
  UQuartzWindowList_EnumWindowsWithOptions(options, [&](CFIndex, CFDictionaryRef window) {
    if (!UQuartzWindowInfo_HasWindowName(window, name)) return true;
    goOn = callback(matches++, window);
    return goOn;
  });
  return matches;
}

UInt64 UQuartzWindowInfo_GetWindowID(CFDictionaryRef window) { return uint64_ForKey(window, kCGWindowNumber, 0); }
SInt64 UQuartzWindowInfo_GetWindowLevel(CFDictionaryRef window) { return int64_ForKey(window, kCGWindowLayer, 0); }
SInt64 UQuartzWindowInfo_GetWindowOwnerPID(CFDictionaryRef window) {
  return int64_ForKey(window, kCGWindowOwnerPID, 0);
}
SInt64 UQuartzWindowInfo_GetSharingState(CFDictionaryRef window) {
  return int64_ForKey(window, kCGWindowSharingState, 0);
}
bool UQuartzWindowInfo_GetIsOnscreen(CFDictionaryRef window) { return boolean_ForKey(window, kCGWindowIsOnscreen); }
CFStringRef UQuartzWindowInfo_GetWindowName(CFDictionaryRef window) {
  return string_ForKey(window, kCGWindowName, CFSTR(""));
}
CFStringRef UQuartzWindowInfo_GetWindowOwnerName(CFDictionaryRef window) {
  return string_ForKey(window, kCGWindowOwnerName, CFSTR(""));
}
bool UQuartzWindowInfo_HasWindowName(CFDictionaryRef window, CFStringRef name) {
  return hasString_ForKeyWithValue(window, kCGWindowName, name);
}
bool UQuartzWindowInfo_HasWindowOwnerName(CFDictionaryRef window, CFStringRef name) {
  return hasString_ForKeyWithValue(window, kCGWindowOwnerName, name);
}

CGRect UQuartzWindowInfo_GetWindowBounds(CFDictionaryRef window) {
  CGRect bounds = CGRectZero;
  auto windowBoundsDictionary = static_cast<CFDictionaryRef>(valueForKey(window, kCGWindowBounds));
  if (!windowBoundsDictionary || !REQUIRED_CFTYPEOF(windowBoundsDictionary, CFDictionaryGetTypeID())) return bounds;
  if (!REQUIREMENT(CGRectMakeWithDictionaryRepresentation(windowBoundsDictionary, &bounds))) return CGRectZero;
  return bounds;
}
