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

CF_EXPORT const char* _CFPlatformRootPath(void);
CF_EXPORT const char* _CFPlatformRuntimePath(void);

namespace CFPlatform {
// The root and runtime folders as they stand now (the environment may change between calls).
std::string rootPath();
std::string runtimePath();
// A path of the system as macOS names it ("/System/Library/Frameworks/X.framework/X"),
// under the root.
std::string systemPath(const std::string& macPath);
// The user's home folder ($HOME, else the password database).
std::string homePath();
// Makes a folder and its parents; true when it exists afterwards.
bool makeFolders(const std::string& path);
}  // namespace CFPlatform
