#pragma once
// A bundle that the application carries in its built-in plug-ins folder and makes visible to
// the system by a symbolic link in a system folder (the QuickTime components folder), or
// loads into its own process.
#include <CoreFoundation/CFString.h>
#include <CoreFoundation/CFURL.h>

#include "I_CFBundleDLL.h"
#include "T_CFBaseDLL.h"

// A new URL (+1) of "<name>.<extension>" inside the main bundle's built-in plug-ins folder,
// as a folder; null when any step fails.
CFURLRef CopyBuiltInPlugInURLWithExtension(const char* name, CFStringRef extension);

// Links (install) or unlinks the built-in "<bundle name>.component" as the link name in the
// location (CFBaseDLL::Location); true when that step was made.
bool MakeOrDeleteComponentLink(const char* bundleName, CFStringRef linkName, bool install, SInt32 location);

class CorePlugInBundle {
 public:
  CorePlugInBundle(CFStringRef linkName, const char* bundleName);
  virtual ~CorePlugInBundle();
  CorePlugInBundle(const CorePlugInBundle&) = delete;
  CorePlugInBundle& operator=(const CorePlugInBundle&) = delete;

  // Whether the bundle's component is already where its host looks for it.
  virtual bool IsInstalled(SInt32 location);

  bool InstallOrRemoveSymbolicLink(bool install, SInt32 location);

  CFStringRef LinkName() const { return mLinkName; }
  const char* BundleName() const { return mBundleName; }
  T_CFBaseDLL<I_CFBundleDLL>& Loader() { return mLoader; }

 private:
  T_CFBaseDLL<I_CFBundleDLL> mLoader;
  CFStringRef mLinkName;
  const char* mBundleName;
};
