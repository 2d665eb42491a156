#include "GrabberDeviceNames.h"

namespace NQCMIOGrabber {

namespace {

// Replaces every occurrence, left to right, never looking into what it put in.
void replaceAll(CFMutableStringRef string, CFStringRef target, CFStringRef replacement, CFStringCompareFlags options) {
  const CFIndex replacementLength = CFStringGetLength(replacement);
  CFIndex from = 0;
  CFRange found;
  while (from < CFStringGetLength(string) &&
         CFStringFindWithOptions(string, target, CFRangeMake(from, CFStringGetLength(string) - from), options, &found)) {
    CFStringReplace(string, found, replacement);
    from = found.location + replacementLength;
  }
}

}  // namespace

CFStringRef CopyGrabberDeviceUID(CFStringRef name, CFStringRef prefix, CFStringRef replacement) {
  if (!name) return nullptr;
  CFMutableStringRef uid = CFStringCreateMutableCopy(nullptr, 0, name);
  if (!uid) return nullptr;
  CFStringLowercase(uid, nullptr);
  replaceAll(uid, prefix, replacement, kCFCompareCaseInsensitive);
  replaceAll(uid, CFSTR(" "), CFSTR("."), 0);
  return uid;
}

}  // namespace NQCMIOGrabber
