#include "UGrabberAppWindow.h"

#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFString.h>
#include <URequirements.h>
#include <objc/RefPtr.h>

#include <algorithm>

#include "UQuartzWindowInfo.h"
#include "UQuartzWindowSource.h"

const char* const UGrabberAppWindow::sExcludedSet[] = {
    "Spotlight",
    "Notification Center",
    "loginwindow",
    "SystemUIServer",
    "Dock",
    "Window Server",
    "CoreServicesUIAgent",
    "PowerChime",
    "AppSSOAgent",
    "TextInputMenuAgent",
    "SoftwareUpdateNotificationManag",
    "talagent",
    "MobileDeviceUpdater",
    "Music",
    "Keychain Circle Notification",
    "nbagent",
    "NowPlayingTouchUI",
    "EmojiFunctionRowIM",
    "Wi-Fi",
    "AirPlayUIAgent",
    "com.apple.dock.extra",
    "CoreLocationAgent",
    "coreautha",
    "Control Strip",
};
const size_t UGrabberAppWindow::sExcludedSetCount = sizeof sExcludedSet / sizeof sExcludedSet[0];

namespace {

CFSetRef makeAlwaysExcludedSet() {
  std::vector<RefPtr<const __CFString>> names;
  std::vector<const void*> values;
  for (size_t i = 0; i < UGrabberAppWindow::sExcludedSetCount; ++i) {
    names.push_back(adopt(CFStringCreateWithCString(nullptr, UGrabberAppWindow::sExcludedSet[i], kCFStringEncodingUTF8)));
    values.push_back(names.back().get());
  }
  return CFSetCreate(nullptr, values.data(), CFIndex(values.size()), &kCFTypeSetCallBacks);
}

std::string utf8String(CFStringRef string) {
  if (!string) return {};
  const CFIndex size =
      CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  std::string buffer(size_t(size), '\0');
  if (!CFStringGetCString(string, buffer.data(), size, kCFStringEncodingUTF8)) return {};
  buffer.resize(std::char_traits<char>::length(buffer.c_str()));
  return buffer;
}

bool isCandidateOwner(CFDictionaryRef window, CFStringRef owner) {
  if (CFSetContainsValue(UGrabberAppWindow::kAlwaysExcludedSet, owner)) return false;
  if (CFStringHasPrefix(owner, CFSTR("com.apple."))) return false;
  return UQuartzWindowInfo_GetSharingState(window) >= 1;
}

}  // namespace

const CFSetRef UGrabberAppWindow::kAlwaysExcludedSet = makeAlwaysExcludedSet();

UGrabberAppWindow::UGrabberAppWindow() { UpdateWindowOwnerList(); }

UGrabberAppWindow::~UGrabberAppWindow() { std::lock_guard guard(mLock); }

void UGrabberAppWindow::sUpdateWindowOwnerSet(std::vector<std::string>& windowOwners) {
  // Owners in the order the list first shows them, each once.
  auto found = adopt(CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks));
  UQuartzWindowList_EnumWindowsWithOptions(kCGWindowListOptionAll, [&](CFIndex, CFDictionaryRef window) {
    CFStringRef owner = UQuartzWindowInfo_GetWindowOwnerName(window);
    if (CFStringGetLength(owner) == 0 || !isCandidateOwner(window, owner)) return true;
    if (!CFArrayContainsValue(found.get(), CFRangeMake(0, CFArrayGetCount(found.get())), owner)) {
      CFArrayAppendValue(found.get(), owner);
    }
    return true;
  });
  for (CFIndex i = 0; i < CFArrayGetCount(found.get()); ++i) {
    std::string name = utf8String(static_cast<CFStringRef>(CFArrayGetValueAtIndex(found.get(), i)));
    if (std::find(windowOwners.begin(), windowOwners.end(), name) == windowOwners.end()) {
      windowOwners.push_back(std::move(name));
    }
  }
}

void UGrabberAppWindow::UpdateWindowOwnerList() {
  // Walked outside the lock, merged under it.
  std::vector<std::string> found;
  sUpdateWindowOwnerSet(found);
  std::lock_guard guard(mLock);
  for (std::string& name : found) {
    if (std::find(mWindowOwners.begin(), mWindowOwners.end(), name) == mWindowOwners.end()) {
      mWindowOwners.push_back(std::move(name));
    }
  }
}

size_t UGrabberAppWindow::GetNumberOfUniqueWindowOwners() const {
  std::lock_guard guard(mLock);
  return mWindowOwners.size();
}

const char* UGrabberAppWindow::GetWindowOwnerAtIndex(size_t index, std::string& windowOwnerName) const {
  {
    std::lock_guard guard(mLock);
    windowOwnerName = index < mWindowOwners.size() ? mWindowOwners[index] : std::string();
  }
  return windowOwnerName.empty() ? nullptr : windowOwnerName.c_str();
}

CGImageRef UGrabberAppWindow::CopyWindowOwnerImage(size_t index) const {
  std::string ownerName;
  if (!GetWindowOwnerAtIndex(index, ownerName)) return nullptr;
  auto owner = adopt(CFStringCreateWithCString(nullptr, ownerName.c_str(), kCFStringEncodingUTF8));
  if (!owner) return nullptr;

  std::vector<const void*> windowIDList;
  UQuartzWindowList_EnumWindowsWithOptions(kCGWindowListOptionAll, [&](CFIndex, CFDictionaryRef window) {
    if (UQuartzWindowInfo_GetIsOnscreen(window) && UQuartzWindowInfo_HasWindowOwnerName(window, owner.get())) {
      windowIDList.push_back(reinterpret_cast<const void*>(uintptr_t(UQuartzWindowInfo_GetWindowID(window))));
    }
    return windowIDList.size() < kMaxOwnerWindows;
  });
  if (windowIDList.empty()) return nullptr;

  // The ids are the array's values themselves, as the image call reads them.
  CFArrayRef onscreenWindowIDsArray =
      CFArrayCreate(nullptr, windowIDList.data(), CFIndex(windowIDList.size()), nullptr);
  if (!REQUIRED_NOT_NULL(onscreenWindowIDsArray)) return nullptr;
  auto ownedArray = adopt(onscreenWindowIDsArray);
  CGImageRef windowOwnerImage =
      UQuartzWindowSource_CreateImage(CGRectNull, onscreenWindowIDsArray, kCGWindowImageDefault);
  if (!REQUIRED_NOT_NULL(windowOwnerImage)) return nullptr;
  return windowOwnerImage;
}
