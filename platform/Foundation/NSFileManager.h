#pragma once
// The file system as Foundation sees it. The standard folders map the platform's domains onto
// this machine: the user domain is $HOME/Library, the local domain <root>/Library and the
// system domain <root>/System/Library, <root> being the system root (CoreFoundation's
// CFPlatformRoot.h); there is no network domain.
#include <Foundation/NSObject.h>
#include <Foundation/NSPathUtilities.h>

#pragma GCC visibility push(default)

class NSArray;
class NSString;

class __attribute__((visibility("default"))) NSFileManager : public NSObject {
  OBJC_CLASS_DECL(NSFileManager, NSObject)

 public:
  static NSFileManager* defaultManager();

  // Whether something exists at the path, following symbolic links; NO for null.
  bool fileExistsAtPath(NSString* path) const;
  // The folder URLs of the directory in each domain of the mask, user domain first, then
  // local, then system (autoreleased; empty for a directory this layer does not know).
  NSArray* URLsForDirectory_inDomains(NSSearchPathDirectory directory, NSSearchPathDomainMask domains) const;

 protected:
  NSFileManager() = default;
};

#pragma GCC visibility pop
