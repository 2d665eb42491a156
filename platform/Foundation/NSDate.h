#pragma once
// NSDate is CFDate: an NSDate* and a CFDateRef point at the same object. A date is a number
// of seconds from the reference date, 1 January 2001 00:00:00 GMT.
#include <CoreFoundation/CFDate.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>

#pragma GCC visibility push(default)

class NSString;

typedef double NSTimeInterval;

FOUNDATION_EXPORT const NSTimeInterval NSTimeIntervalSince1970;

class NSDate : public NSObject {
 public:
  static Class class_();

  // Autoreleased.
  static NSDate* date();
  static NSDate* dateWithTimeIntervalSinceNow(NSTimeInterval seconds);
  static NSDate* dateWithTimeIntervalSince1970(NSTimeInterval seconds);
  static NSDate* dateWithTimeIntervalSinceReferenceDate(NSTimeInterval seconds);
  // Dates some thirty centuries away, for "never" and "long ago".
  static NSDate* distantFuture();
  static NSDate* distantPast();
  static NSTimeInterval timeIntervalSinceReferenceDateNow();

  CFDateRef cfDate() const { return reinterpret_cast<CFDateRef>(this); }

  NSTimeInterval timeIntervalSinceReferenceDate() const;
  NSTimeInterval timeIntervalSince1970() const;
  NSTimeInterval timeIntervalSinceNow() const;
  NSTimeInterval timeIntervalSinceDate(const NSDate* other) const;
  NSDate* dateByAddingTimeInterval(NSTimeInterval seconds) const;
  NSComparisonResult compare(const NSDate* other) const;
  bool isEqualToDate(const NSDate* other) const;
  NSDate* earlierDate(NSDate* other) const;
  NSDate* laterDate(NSDate* other) const;
  // "2001-01-01 00:00:00 +0000", in GMT.
  NSString* description() const;

 protected:
  NSDate() = default;
};

#pragma GCC visibility pop
