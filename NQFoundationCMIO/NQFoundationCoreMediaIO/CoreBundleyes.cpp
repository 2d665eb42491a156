#include "CoreBundleyes.h"

#include <CoreFoundation/CFBundle.h>

CoreBundleyes::CoreBundleyes(const CFStringRef* list) : mList(list), mMainIdentifier(nullptr) {
  if (CFBundleRef main = CFBundleGetMainBundle()) mMainIdentifier = CFBundleGetIdentifier(main);
}

bool CoreBundleyes::IsMainMember() const {
  if (!mMainIdentifier || !mList) return false;
  for (const CFStringRef* entry = mList; *entry != kEndOfList; ++entry) {
    if (CFStringCompare(*entry, mMainIdentifier, kCFCompareCaseInsensitive) == kCFCompareEqualTo) return true;
  }
  return false;
}
