#pragma once
// A loader of one named system framework: the name finds the framework in the system domain's
// Frameworks folder; the loaded bundle is unloaded when the loader goes.
#include <CoreFoundation/CFString.h>

#include "CFBaseDLL.h"
#include "I_CFBundleDLL.h"

template <class Loader>
class T_CFBaseDLL : public Loader {
 public:
  explicit T_CFBaseDLL(CFStringRef name = nullptr) { setName(name); }
  ~T_CFBaseDLL() {
    Loader::Unload();
    setName(nullptr);
  }

  // A given name replaces the stored one; true when the framework's executable is loaded.
  bool LoadSystemFramework(CFStringRef name = nullptr) {
    if (name) setName(name);
    if (Loader::IsLoaded()) return true;
    if (!mName) return false;
    CFURLRef url = CFBaseDLL::URLOfNameInLocation(mName, CFBaseDLL::kLocation_SystemFrameworks);
    const bool loaded = Loader::LoadFromURL(url);
    if (url) CFRelease(url);
    return loaded;
  }

  CFStringRef Name() const { return mName; }

 private:
  void setName(CFStringRef name) {
    if (name) CFRetain(name);
    if (mName) CFRelease(mName);
    mName = name;
  }

  CFStringRef mName = nullptr;
};
