#pragma once
// Whether the process's main bundle is one of a list of bundle identifiers (compared without
// regard to case).
#include <CoreFoundation/CFString.h>

class CoreBundleyes {
 public:
  static constexpr CFStringRef kEndOfList = nullptr;

  // `list` ends with kEndOfList and must outlive the object.
  explicit CoreBundleyes(const CFStringRef* list);
  bool IsMainMember() const;

 private:
  const CFStringRef* mList;
  CFStringRef mMainIdentifier;
};
