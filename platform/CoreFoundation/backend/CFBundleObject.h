#pragma once
// The object behind CFBundleRef (and CFPlugInRef, which is the same object).
#include <atomic>
#include <mutex>
#include <string>

#include <CoreFoundation/CFBundle.h>
#include "backend/CFBundleLayout.h"
#include <objc/RefPtr.h>

struct __CFBundle : NSObject {
  __CFBundle(CFBundleLayout layout, CFDictionaryRef info);

  const __CFString* copyDescription() const override;
  unsigned long cfTypeID() const override;

  static CFTypeID typeID();
  // The bundle behind a reference, or null when it is null or not a bundle.
  static __CFBundle* from(CFTypeRef object);

  bool loadExecutable(CFErrorRef* error);
  bool isLoaded() const;
  void unloadExecutable();
  void* symbol(CFStringRef name);

  const CFBundleLayout mLayout;
  const RefPtr<const __CFDictionary> mInfo;
  // Instances made by this bundle's factories that are still alive; while there are any, the
  // code they run must stay mapped.
  std::atomic<long> mLiveInstances{0};
  // Times CFBundleCreate brought the bundle back from no references (guarded by the registry's
  // lock). Each such time is followed by one more dealloc call than the bundle's final one.
  long mRevivals = 0;

 protected:
  // A bundle is unique per folder; the registry of live bundles lets a lookup revive a bundle
  // whose last reference is going away, so dealloc decides under the registry's lock.
  void dealloc() override;

 private:
  mutable std::mutex mLoadLock;
  void* mHandle = nullptr;
};
