#include <CoreFoundation/CFPlatformRoot.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSFileManager.h>
#include <Foundation/NSString.h>
#include <Foundation/NSURL.h>
#include <sys/stat.h>

#include <string>

OBJC_CLASS_DEFINE(NSFileManager)

namespace {

// A folder of the system as macOS names it ("/Library"), under the system root.
std::string systemFolder(const std::string& macPath) {
  std::string root = _CFPlatformRootPath();
  while (!root.empty() && root.back() == '/') root.pop_back();
  return root + macPath;
}

std::string libraryFolder(NSSearchPathDomainMask domain) {
  switch (domain) {
    case NSUserDomainMask: {
      std::string home = NSHomeDirectory()->UTF8String();
      while (!home.empty() && home.back() == '/') home.pop_back();
      return home + "/Library";
    }
    case NSLocalDomainMask:
      return systemFolder("/Library");
    case NSSystemDomainMask:
      return systemFolder("/System/Library");
    default:
      return {};
  }
}

}  // namespace

NSFileManager* NSFileManager::defaultManager() {
  static NSFileManager* const manager = [] {
    auto* made = static_cast<NSFileManager*>(NSFileManager::alloc()->init());
    made->makeImmortal();
    return made;
  }();
  return manager;
}

bool NSFileManager::fileExistsAtPath(NSString* path) const {
  if (!path) return false;
  struct stat info;
  return stat(path->UTF8String(), &info) == 0;
}

NSArray* NSFileManager::URLsForDirectory_inDomains(NSSearchPathDirectory directory,
                                                   NSSearchPathDomainMask domains) const {
  NSMutableArray* urls = NSMutableArray::array();
  if (directory != NSLibraryDirectory) return urls;
  for (NSSearchPathDomainMask domain : {NSUserDomainMask, NSLocalDomainMask, NSSystemDomainMask}) {
    if (!(domains & domain)) continue;
    NSString* path = NSString::stringWithUTF8String(libraryFolder(domain).c_str());
    if (NSURL* url = path ? NSURL::fileURLWithPath_isDirectory(path, true) : nullptr) urls->addObject(url);
  }
  return urls;
}
