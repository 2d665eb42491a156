#include "CorePlugInBundle.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include <CoreFoundation/CFBundle.h>

#include "CFBaseDLL.h"
#include "CoreUnixPath.h"

namespace {

constexpr CFIndex kMaximumPathSize = 2048;

bool isSymbolicLink(const char* path) {
  struct stat info;
  return lstat(path, &info) == 0 && S_ISLNK(info.st_mode);
}

bool isDanglingLink(const char* path) {
  struct stat target;
  return isSymbolicLink(path) && stat(path, &target) != 0;
}

}  // namespace

CFURLRef CopyBuiltInPlugInURLWithExtension(const char* name, CFStringRef extension) {
  if (!name || !extension) return nullptr;
  CFBundleRef mainBundle = CFBundleGetMainBundle();
  if (!mainBundle) return nullptr;
  CFURLRef folder = CFBundleCopyBuiltInPlugInsURL(mainBundle);
  if (!folder) return nullptr;
  CFStringRef fileName = CFStringCreateWithFormat(kCFAllocatorDefault, nullptr, CFSTR("%s.%@"), name, extension);
  CFURLRef plugIn =
      fileName ? CFURLCreateCopyAppendingPathComponent(kCFAllocatorDefault, folder, fileName, true) : nullptr;
  if (fileName) CFRelease(fileName);
  CFRelease(folder);
  if (!plugIn) return nullptr;
  UInt8 path[kMaximumPathSize];
  bool represented = CFURLGetFileSystemRepresentation(plugIn, true, path, sizeof path);
  CFRelease(plugIn);
  if (!represented) return nullptr;
  return CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, path, CFIndex(strlen(reinterpret_cast<char*>(path))),
                                                 true);
}

// A link whose target has gone is replaced on install and removed on removal, and only a link
// is ever removed, never an item that someone put there. Any other item at the destination
// that is not readable and writable counts as absent for install: linking is tried and fails.
bool MakeOrDeleteComponentLink(const char* bundleName, CFStringRef linkName, bool install, SInt32 location) {
  CFURLRef sourceURL = CopyBuiltInPlugInURLWithExtension(bundleName, CFSTR("component"));
  if (!sourceURL || !linkName) {
    if (sourceURL) CFRelease(sourceURL);
    return false;
  }
  CFURLRef destinationURL = CFBaseDLL::URLOfNameInLocation(linkName, location);
  CoreUnixPath source(sourceURL);
  CFRelease(sourceURL);
  if (!destinationURL) return false;
  CoreUnixPath destination(destinationURL);
  CFRelease(destinationURL);
  if (source.IsEmpty() || destination.IsEmpty()) return false;

  std::string link = destination.Path();
  CoreUnixPath::RemoveTrailingSlash(link);
  if (install) {
    if (!CoreUnixPath::FileExistsReadWrite(source)) return false;
    if (isDanglingLink(link.c_str()) && !CoreUnixPath::FileDelete(link.c_str())) return false;
    if (CoreUnixPath::FileExistsReadWrite(link.c_str())) return false;
    return CoreUnixPath::MakeSymbolicLinkFromTo(source, link.c_str());
  }
  if (!isSymbolicLink(link.c_str())) return false;
  return CoreUnixPath::FileDelete(link.c_str());
}

CorePlugInBundle::CorePlugInBundle(CFStringRef linkName, const char* bundleName)
    : mLinkName(linkName), mBundleName(bundleName) {}

CorePlugInBundle::~CorePlugInBundle() { mLoader.Unload(); }

bool CorePlugInBundle::IsInstalled(SInt32) { return false; }

bool CorePlugInBundle::InstallOrRemoveSymbolicLink(bool install, SInt32 location) {
  if (install) {
    if (IsInstalled(location)) return true;
  } else {
    mLoader.Unload();
  }
  return MakeOrDeleteComponentLink(mBundleName, mLinkName, install, location);
}
