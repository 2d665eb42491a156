#pragma once
// Exceptions. raise() throws an NSException::Raised, a C++ exception that holds a reference
// to the exception object; catch it by reference:
//   try { ... } catch (const NSException::Raised& raised) { raised.exception()->reason(); }
#include <exception>
#include <string>

#include <CoreFoundation/CFDictionary.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSString.h>

#pragma GCC visibility push(default)

class NSDictionary;

FOUNDATION_EXPORT NSString* const NSGenericException;
FOUNDATION_EXPORT NSString* const NSInvalidArgumentException;
FOUNDATION_EXPORT NSString* const NSInternalInconsistencyException;
FOUNDATION_EXPORT NSString* const NSRangeException;

class NSException : public NSObject {
  OBJC_CLASS_DECL(NSException, NSObject)

 public:
  class Raised : public std::exception {
   public:
    explicit Raised(NSException* exception);
    NSException* exception() const { return mException.get(); }
    const char* what() const noexcept override { return mWhat.c_str(); }

   private:
    RefPtr<NSException> mException;
    std::string mWhat;
  };

  // Autoreleased.
  static NSException* exceptionWithName_reason_userInfo(NSString* name, NSString* reason, NSDictionary* userInfo);
  [[noreturn]] static void raise_format(NSString* name, NSString* format, ...);

  NSException* initWithName_reason_userInfo(NSString* name, NSString* reason, NSDictionary* userInfo);
  [[noreturn]] void raise();

  NSString* name() const { return toNSString(mName); }
  NSString* reason() const { return toNSString(mReason); }
  NSDictionary* userInfo() const { return bridge_cast<NSDictionary*>(mUserInfo); }
  // The reason, as the platform describes an exception.
  NSString* description() const;
  const __CFString* copyDescription() const override;

 protected:
  NSException() = default;
  ~NSException() override;

 private:
  CFStringRef mName = nullptr;
  CFStringRef mReason = nullptr;
  CFDictionaryRef mUserInfo = nullptr;
};

#pragma GCC visibility pop
