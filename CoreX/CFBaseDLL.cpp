#include "CFBaseDLL.h"

#include <Carbon/Carbon.h>
#include <CoreFoundation/CFBundle.h>

#include <objc/RefPtr.h>

#include <cstring>

namespace CFBaseDLL {

// A new URL (+1) of the name inside a folder, or null for no folder.
static CFURLRef copyAppending(CFURLRef folder, CFStringRef name, bool isFolder) {
  if (!folder || !name) return nullptr;
  return CFURLCreateCopyAppendingPathComponent(nullptr, folder, name, isFolder);
}

CFURLRef URLOfNameInFindFolder(CFStringRef name, OSType folderType, SInt16 domain, CFStringRef subFolder) {
  FSRef folder;
  if (FSFindFolder(domain, folderType, kDontCreateFolder, &folder) != noErr) return nullptr;
  UInt8 path[1024];
  if (FSRefMakePath(&folder, path, sizeof path) != noErr) return nullptr;
  RefPtr<const __CFURL> url = adopt(CFURLCreateFromFileSystemRepresentation(
      nullptr, path, CFIndex(strlen(reinterpret_cast<const char*>(path))), true));
  if (subFolder) url = adopt(copyAppending(url.get(), subFolder, true));
  return copyAppending(url.get(), name, false);
}

// A new URL (+1) of the main bundle's folder that a location names.
static CFURLRef copyMainBundleFolder(SInt32 location) {
  CFBundleRef mainBundle = CFBundleGetMainBundle();
  if (!mainBundle) return nullptr;
  switch (location) {
    case kLocation_MainExecutableFolder: {
      RefPtr<const __CFURL> executable = adopt(CFBundleCopyExecutableURL(mainBundle));
      return executable ? CFURLCreateCopyDeletingLastPathComponent(nullptr, executable.get()) : nullptr;
    }
    case kLocation_MainBundlePrivateFrameworks: return CFBundleCopyPrivateFrameworksURL(mainBundle);
    case kLocation_MainBundleSharedFrameworks: return CFBundleCopySharedFrameworksURL(mainBundle);
    case kLocation_MainBundleResources: return CFBundleCopyResourcesDirectoryURL(mainBundle);
    case kLocation_MainBundleBuiltInPlugIns: return CFBundleCopyBuiltInPlugInsURL(mainBundle);
    case kLocation_MainBundleSupportFiles: return CFBundleCopySupportFilesDirectoryURL(mainBundle);
    default: return nullptr;
  }
}

CFURLRef URLOfNameInLocation(CFStringRef name, SInt32 location) {
  switch (location) {
    case kLocation_SystemFrameworks: return URLOfNameInFindFolder(name, kFrameworksFolderType, kSystemDomain);
    case kLocation_LocalFrameworks: return URLOfNameInFindFolder(name, kFrameworksFolderType, kLocalDomain);
    case kLocation_LocalQuickTimeComponents:
      return URLOfNameInFindFolder(name, kQuickTimeComponentsFolderType, kLocalDomain);
    case kLocation_SystemQuickTimeComponents:
      return URLOfNameInFindFolder(name, kQuickTimeComponentsFolderType, kSystemDomain);
    case kLocation_UserQuickTimeComponents:
      return URLOfNameInFindFolder(name, kQuickTimeComponentsFolderType, kUserDomain);
    default: {
      RefPtr<const __CFURL> folder = adopt(copyMainBundleFolder(location));
      return copyAppending(folder.get(), name, false);
    }
  }
}

const char* PathFromURL(CFURLRef url, std::string& path) {
  UInt8 buffer[1024];
  if (url && CFURLGetFileSystemRepresentation(url, true, buffer, sizeof buffer)) {
    path = reinterpret_cast<const char*>(buffer);
  }
  return path.c_str();
}

void print_URL(const char*, CFURLRef) {}

}  // namespace CFBaseDLL
