#pragma once
// NSError is CFError: an NSError* and a CFErrorRef point at the same object.
#include <CoreFoundation/CFError.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#pragma GCC visibility push(default)

class NSDictionary;

FOUNDATION_EXPORT NSString* const NSPOSIXErrorDomain;
FOUNDATION_EXPORT NSString* const NSOSStatusErrorDomain;
FOUNDATION_EXPORT NSString* const NSMachErrorDomain;
FOUNDATION_EXPORT NSString* const NSCocoaErrorDomain;
FOUNDATION_EXPORT NSString* const NSLocalizedDescriptionKey;

class NSError : public NSObject {
 public:
  static Class class_();
  // Autoreleased.
  static NSError* errorWithDomain_code_userInfo(NSString* domain, NSInteger code, NSDictionary* userInfo);

  CFErrorRef cfError() const { return reinterpret_cast<CFErrorRef>(const_cast<NSError*>(this)); }

  NSString* domain() const;
  NSInteger code() const;
  // Autoreleased; an empty dictionary when the error has none.
  NSDictionary* userInfo() const;
  NSString* localizedDescription() const;
  NSString* description() const;

 protected:
  NSError() = default;
};

#pragma GCC visibility pop
