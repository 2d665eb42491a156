#pragma once
// Paths as strings, and where the platform's standard folders are. A path method of NSString
// is a free function of the NSStringPathExtensions namespace taking the string first
// (NSStringPathExtensions::lastPathComponent(path) for [path lastPathComponent]); null
// strings answer null, as messages to nil do.
#include <Foundation/NSObjCRuntime.h>

#pragma GCC visibility push(default)

class NSString;

typedef NSUInteger NSSearchPathDirectory;
enum : NSUInteger {
  NSLibraryDirectory = 5,
};

typedef NSUInteger NSSearchPathDomainMask;
enum : NSUInteger {
  NSUserDomainMask = 1,
  NSLocalDomainMask = 2,
  NSNetworkDomainMask = 4,
  NSSystemDomainMask = 8,
  NSAllDomainsMask = 0x0ffff,
};

namespace NSStringPathExtensions {

// The part after the last "/", trailing slashes left aside: "/a/b/" gives "b", "/x/.." gives
// "..", "/" gives "/" and "" gives "". Autoreleased.
__attribute__((visibility("default"))) NSString* lastPathComponent(NSString* path);
// The path and the component joined by one "/", repeated and trailing slashes dropped: "a/"
// and "b" give "a/b", "" and "b" give "b". Autoreleased.
__attribute__((visibility("default"))) NSString* stringByAppendingPathComponent(NSString* path,
                                                                                NSString* component);

}  // namespace NSStringPathExtensions

// The user's home folder ($HOME, else the password database). Autoreleased.
FOUNDATION_EXPORT NSString* NSHomeDirectory(void);
// The folder for the process's temporary files ($TMPDIR, else "/tmp"), ending in "/".
// Autoreleased.
FOUNDATION_EXPORT NSString* NSTemporaryDirectory(void);

#pragma GCC visibility pop
