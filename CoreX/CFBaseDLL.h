#pragma once
// Finding named items (frameworks, bundles, components) in the fixed places where the system
// keeps them, and a URL's file-system path.
#include <CoreFoundation/CFURL.h>

#include <string>

namespace CFBaseDLL {

enum Location : SInt32 {
  kLocation_MainExecutableFolder = 0,
  kLocation_SystemFrameworks = 1,
  kLocation_LocalFrameworks = 2,
  kLocation_MainBundlePrivateFrameworks = 3,
  kLocation_MainBundleSharedFrameworks = 4,
  kLocation_MainBundleResources = 5,
  kLocation_MainBundleBuiltInPlugIns = 6,
  kLocation_MainBundleSupportFiles = 7,
  kLocation_LocalQuickTimeComponents = 8,
  kLocation_SystemQuickTimeComponents = 9,
  kLocation_UserQuickTimeComponents = 10,
};

// A new URL (+1): the folder of that type in that domain, then the sub-folder when given, then
// the name. Null when the folder does not exist; it is never created.
CFURLRef URLOfNameInFindFolder(CFStringRef name, OSType folderType, SInt16 domain, CFStringRef subFolder = nullptr);
// A new URL (+1) of the name inside a location, or null.
CFURLRef URLOfNameInLocation(CFStringRef name, SInt32 location);

// Assigns the URL's file-system path to path when it has one; answers path's text.
const char* PathFromURL(CFURLRef url, std::string& path);
// A debugging aid that prints nothing in this build.
void print_URL(const char* label, CFURLRef url);

}  // namespace CFBaseDLL
