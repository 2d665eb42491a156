#pragma once
// The application's video digitizer bundle, as the tests stand it in: linked as
// "Moxicam.VDIG.component", built in as "Moxicam.VDIG", installed when the link name is
// present, readable and writable in the user's or the system's QuickTime components folder,
// whatever location it is asked about.
#include "CFBaseDLL.h"
#include "CorePlugInBundle.h"
#include "CoreUnixPath.h"

class VDIGPlugInBundle : public CorePlugInBundle {
 public:
  VDIGPlugInBundle() : CorePlugInBundle(CFSTR("Moxicam.VDIG.component"), "Moxicam.VDIG") {}

  bool IsInstalled(SInt32) override {
    return IsPresentIn(CFBaseDLL::kLocation_UserQuickTimeComponents) ||
           IsPresentIn(CFBaseDLL::kLocation_SystemQuickTimeComponents);
  }

 private:
  bool IsPresentIn(SInt32 location) {
    CFURLRef url = CFBaseDLL::URLOfNameInLocation(LinkName(), location);
    if (!url) return false;
    std::string path;
    CFBaseDLL::PathFromURL(url, path);
    CFRelease(url);
    CoreUnixPath::RemoveTrailingSlash(path);
    return !path.empty() && CoreUnixPath::FileExistsReadWrite(path.c_str());
  }
};

inline VDIGPlugInBundle shared_vdig_bundle;
