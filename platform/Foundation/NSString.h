#pragma once
// NSString is CFString: an NSString* and a CFStringRef point at the same object, so either
// may be cast to the other. The bridged classes are declared here and CoreFoundation derives its
// objects from them (a CFString is an NSMutableString in C++ too, so no object is ever used
// through a class it is not); they add no data and no virtual functions, and every method
// works on the CFString it is. Strings are made by the class methods (autoreleased) or by
// the CFString functions; NSSTR("text") is the constant string literal.
#include <CoreFoundation/CFString.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>

#pragma GCC visibility push(default)

typedef UniChar unichar;

class NSString : public NSObject {
 public:
  static Class class_();

  static NSString* string();
  static NSString* stringWithString(NSString* string);
  // Null for null or malformed UTF-8.
  static NSString* stringWithUTF8String(const char* text);
  static NSString* stringWithFormat(NSString* format, ...);
  static NSString* stringWithFormat_arguments(NSString* format, va_list arguments);

  CFStringRef cfString() const { return reinterpret_cast<CFStringRef>(this); }

  NSUInteger length() const;
  unichar characterAtIndex(NSUInteger index) const;
  // Valid while the current autorelease pool lives (or the string, when it keeps UTF-8 itself).
  const char* UTF8String() const;
  bool isEqualToString(NSString* other) const;
  NSComparisonResult compare(NSString* other) const;
  NSComparisonResult caseInsensitiveCompare(NSString* other) const;
  NSString* description() const { return const_cast<NSString*>(this); }

 protected:
  NSString() = default;
};

class NSMutableString : public NSString {
 public:
  static Class class_();

  static NSMutableString* string();
  static NSMutableString* stringWithCapacity(NSUInteger capacity);

  CFMutableStringRef cfMutableString() const { return reinterpret_cast<CFMutableStringRef>(const_cast<NSMutableString*>(this)); }

  void appendString(NSString* string);
  void appendFormat(NSString* format, ...);
  void setString(NSString* string);

 protected:
  NSMutableString() = default;
};

inline NSString* toNSString(CFStringRef string) { return bridge_cast<NSString*>(string); }

#define NSSTR(text) (toNSString(CFSTR(text)))

#pragma GCC visibility pop
