#pragma once
// Paths and URLs for the bundle tests: the test bundles lie in tests/bundles beside the
// test program.
#include <climits>
#include <string>

#include <CoreFoundation/CFURL.h>
#include <objc/RefPtr.h>
#include <unistd.h>

namespace bundletest {

inline std::string testBundlesPath() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  std::string program(buffer, length > 0 ? size_t(length) : 0);
  return program.substr(0, program.find_last_of('/')) + "/tests/bundles";
}

inline RefPtr<const __CFURL> urlFor(const std::string& path, bool isFolder = true) {
  return adopt(CFURLCreateFromFileSystemRepresentation(nullptr, reinterpret_cast<const UInt8*>(path.data()),
                                                       CFIndex(path.size()), isFolder));
}

inline std::string pathOf(CFURLRef url) {
  if (!url) return "(null)";
  char buffer[PATH_MAX];
  if (!CFURLGetFileSystemRepresentation(url, true, reinterpret_cast<UInt8*>(buffer), sizeof buffer)) return "(bad)";
  return buffer;
}

// The path of a URL that a Copy function handed out, releasing it.
inline std::string takePath(CFURLRef url) {
  RefPtr<const __CFURL> owned = adopt(url);
  return pathOf(owned.get());
}

}  // namespace bundletest
