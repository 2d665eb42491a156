#pragma once
// A bundle whose executable this object loaded, and unloads again.
#include <CoreFoundation/CFBundle.h>

class I_CFBundleDLL {
 public:
  I_CFBundleDLL() = default;
  I_CFBundleDLL(const I_CFBundleDLL&) = delete;
  I_CFBundleDLL& operator=(const I_CFBundleDLL&) = delete;
  ~I_CFBundleDLL();

  // Makes the bundle of the URL (kept here) and loads its executable; true when loaded.
  bool LoadFromURL(CFURLRef url);
  // Unloads a loaded executable and lets the bundle go; false when nothing was loaded.
  bool Unload();

  bool IsLoaded() const;
  CFBundleRef Bundle() const { return mBundle; }
  // The function of that name in the loaded executable, or null.
  void* FunctionPointerForName(CFStringRef name) const;

 private:
  void releaseBundle();

  CFBundleRef mBundle = nullptr;
};
