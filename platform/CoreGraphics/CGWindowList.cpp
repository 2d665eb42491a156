#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGWindow.h>
#include <objc/RefPtr.h>

#include <algorithm>

#include "backend/CGWindowRecord.h"

const CFStringRef kCGWindowNumber = CFSTR("kCGWindowNumber");
const CFStringRef kCGWindowStoreType = CFSTR("kCGWindowStoreType");
const CFStringRef kCGWindowLayer = CFSTR("kCGWindowLayer");
const CFStringRef kCGWindowBounds = CFSTR("kCGWindowBounds");
const CFStringRef kCGWindowSharingState = CFSTR("kCGWindowSharingState");
const CFStringRef kCGWindowAlpha = CFSTR("kCGWindowAlpha");
const CFStringRef kCGWindowOwnerPID = CFSTR("kCGWindowOwnerPID");
const CFStringRef kCGWindowMemoryUsage = CFSTR("kCGWindowMemoryUsage");
const CFStringRef kCGWindowOwnerName = CFSTR("kCGWindowOwnerName");
const CFStringRef kCGWindowName = CFSTR("kCGWindowName");
const CFStringRef kCGWindowIsOnscreen = CFSTR("kCGWindowIsOnscreen");

namespace {

using CGWindowServer::WindowRecord;

void setNumber(CFMutableDictionaryRef dictionary, CFStringRef key, CFNumberType type, const void* value) {
  auto number = adopt(CFNumberCreate(nullptr, type, value));
  if (number) CFDictionarySetValue(dictionary, key, number.get());
}

void setString(CFMutableDictionaryRef dictionary, CFStringRef key, const std::string& text) {
  auto string = adopt(CFStringCreateWithBytes(nullptr, reinterpret_cast<const UInt8*>(text.data()),
                                              CFIndex(text.size()), kCFStringEncodingUTF8, false));
  if (string) CFDictionarySetValue(dictionary, key, string.get());
}

RefPtr<__CFDictionary> newDictionary() {
  return adopt(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                         &kCFTypeDictionaryValueCallBacks));
}

RefPtr<__CFDictionary> windowDictionary(const WindowRecord& window) {
  auto dictionary = newDictionary();
  CFMutableDictionaryRef entry = dictionary.get();
  SInt32 number = SInt32(window.number);
  setNumber(entry, kCGWindowNumber, kCFNumberSInt32Type, &number);
  SInt32 storeType = kCGBackingStoreBuffered;
  setNumber(entry, kCGWindowStoreType, kCFNumberSInt32Type, &storeType);
  SInt32 layer = SInt32(window.layer);
  setNumber(entry, kCGWindowLayer, kCFNumberSInt32Type, &layer);
  auto bounds = adopt(CGRectCreateDictionaryRepresentation(window.bounds));
  if (bounds) CFDictionarySetValue(entry, kCGWindowBounds, bounds.get());
  SInt32 sharingState = SInt32(window.sharingState);
  setNumber(entry, kCGWindowSharingState, kCFNumberSInt32Type, &sharingState);
  setNumber(entry, kCGWindowAlpha, kCFNumberFloat64Type, &window.alpha);
  if (window.ownerPID) {
    SInt32 pid = SInt32(*window.ownerPID);
    setNumber(entry, kCGWindowOwnerPID, kCFNumberSInt32Type, &pid);
  }
  // The server keeps four bytes per pixel of each window.
  SInt64 memoryUsage =
      SInt64(std::max(0.0, window.bounds.size.width) * std::max(0.0, window.bounds.size.height) * 4);
  setNumber(entry, kCGWindowMemoryUsage, kCFNumberSInt64Type, &memoryUsage);
  if (window.ownerName) setString(entry, kCGWindowOwnerName, *window.ownerName);
  if (window.name) setString(entry, kCGWindowName, *window.name);
  CFDictionarySetValue(entry, kCGWindowIsOnscreen, window.onScreen ? kCFBooleanTrue : kCFBooleanFalse);
  return dictionary;
}

// The windows of the list that the option and the relative window select, in list order.
std::vector<WindowRecord> selectWindows(std::vector<WindowRecord> windows, CGWindowListOption option,
                                        CGWindowID relativeToWindow) {
  const bool above = option & kCGWindowListOptionOnScreenAboveWindow;
  const bool below = option & kCGWindowListOptionOnScreenBelowWindow;
  const bool including = option & kCGWindowListOptionIncludingWindow;
  auto relative = std::find_if(windows.begin(), windows.end(),
                               [&](const WindowRecord& window) { return window.number == relativeToWindow; });
  const size_t relativeIndex = size_t(relative - windows.begin());
  const bool hasRelative = relativeToWindow != kCGNullWindowID;

  std::vector<WindowRecord> selected;
  for (size_t index = 0; index < windows.size(); ++index) {
    WindowRecord& window = windows[index];
    bool keep = true;
    if ((above || below) && hasRelative) {
      keep = relative != windows.end() &&
             ((above && index < relativeIndex) || (below && index > relativeIndex) ||
              (including && index == relativeIndex));
    } else if (including) {
      keep = hasRelative && index == relativeIndex;
    }
    if ((option & (kCGWindowListOptionOnScreenOnly | kCGWindowListOptionOnScreenAboveWindow |
                   kCGWindowListOptionOnScreenBelowWindow)) &&
        !window.onScreen) {
      keep = false;
    }
    if ((option & kCGWindowListExcludeDesktopElements) && window.isDesktopElement) keep = false;
    if (keep) selected.push_back(std::move(window));
  }
  return selected;
}

}  // namespace

CFArrayRef CGWindowListCopyWindowInfo(CGWindowListOption option, CGWindowID relativeToWindow) {
  std::vector<WindowRecord> windows;
  if (!CGWindowServer::readX11Windows(windows)) windows = CGWindowServer::readRegisteredWindows();
  auto list = adopt(CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks));
  if (!list) return nullptr;
  for (const WindowRecord& window : selectWindows(std::move(windows), option, relativeToWindow)) {
    auto entry = windowDictionary(window);
    if (entry) CFArrayAppendValue(list.get(), entry.get());
  }
  return list.leak();
}
