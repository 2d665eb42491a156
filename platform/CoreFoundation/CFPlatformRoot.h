#pragma once
// Where this layer keeps what macOS keeps in fixed system places.
//
// The system root holds the local domain (<root>/Library) and the system domain
// (<root>/System/Library, with the platform frameworks in System/Library/Frameworks).
// MOXICAM_ROOT sets it; without it the root is the folder the platform frameworks were
// built or installed into (the one that holds System/Library/Frameworks/CoreFoundation.framework).
// The runtime folder, <root>/private/var/run/moxicam, holds the registries of the stand-ins
// that span processes (surfaces, services, notifications), one file or socket per entry.
#include <string>

#include <CoreFoundation/CFBase.h>

// The paths as they stand now (the environment may change between calls); each answer stays
// valid on the calling thread until its next call of the same function.
CF_EXPORT const char* _CFPlatformRootPath(void);
CF_EXPORT const char* _CFPlatformRuntimePath(void);
// The user's home folder ($HOME, else the password database).
CF_EXPORT const char* _CFPlatformHomePath(void);
// Makes a folder and its parents; true when it exists afterwards.
CF_EXPORT Boolean _CFPlatformMakeFolders(const char* path);

namespace CFPlatform {
inline std::string rootPath() { return _CFPlatformRootPath(); }
inline std::string runtimePath() { return _CFPlatformRuntimePath(); }
// A path of the system as macOS names it ("/System/Library/Frameworks/X.framework/X"),
// under the root.
inline std::string systemPath(const std::string& macPath) {
  std::string root = rootPath();
  if (root == "/") return macPath;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root + macPath;
}
inline std::string homePath() { return _CFPlatformHomePath(); }
inline bool makeFolders(const std::string& path) { return _CFPlatformMakeFolders(path.c_str()); }
}  // namespace CFPlatform
