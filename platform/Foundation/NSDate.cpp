#include <Foundation/NSDate.h>
#include <Foundation/NSString.h>

#include <cmath>
#include <cstdio>
#include <ctime>

#include "backend/FoundationSupport.h"
#include "backend/NSViewClass.h"

NS_VIEW_CLASS_DEFINE(NSDate, NSObject)

const NSTimeInterval NSTimeIntervalSince1970 = 978307200.0;

NSDate* NSDate::date() { return dateWithTimeIntervalSinceReferenceDate(CFAbsoluteTimeGetCurrent()); }

NSDate* NSDate::dateWithTimeIntervalSinceNow(NSTimeInterval seconds) {
  return dateWithTimeIntervalSinceReferenceDate(CFAbsoluteTimeGetCurrent() + seconds);
}

NSDate* NSDate::dateWithTimeIntervalSince1970(NSTimeInterval seconds) {
  return dateWithTimeIntervalSinceReferenceDate(seconds - NSTimeIntervalSince1970);
}

NSDate* NSDate::dateWithTimeIntervalSinceReferenceDate(NSTimeInterval seconds) {
  return Foundation::autoreleased<NSDate>(CFDateCreate(nullptr, seconds));
}

NSDate* NSDate::distantFuture() { return dateWithTimeIntervalSinceReferenceDate(63113904000.0); }

NSDate* NSDate::distantPast() { return dateWithTimeIntervalSinceReferenceDate(-63114076800.0); }

NSTimeInterval NSDate::timeIntervalSinceReferenceDateNow() { return CFAbsoluteTimeGetCurrent(); }

NSTimeInterval NSDate::timeIntervalSinceReferenceDate() const { return CFDateGetAbsoluteTime(cfDate()); }

NSTimeInterval NSDate::timeIntervalSince1970() const {
  return timeIntervalSinceReferenceDate() + NSTimeIntervalSince1970;
}

NSTimeInterval NSDate::timeIntervalSinceNow() const {
  return timeIntervalSinceReferenceDate() - CFAbsoluteTimeGetCurrent();
}

NSTimeInterval NSDate::timeIntervalSinceDate(const NSDate* other) const {
  return other ? timeIntervalSinceReferenceDate() - other->timeIntervalSinceReferenceDate() : 0.0;
}

NSDate* NSDate::dateByAddingTimeInterval(NSTimeInterval seconds) const {
  return dateWithTimeIntervalSinceReferenceDate(timeIntervalSinceReferenceDate() + seconds);
}

NSComparisonResult NSDate::compare(const NSDate* other) const {
  if (!other) return NSOrderedDescending;
  NSTimeInterval a = timeIntervalSinceReferenceDate(), b = other->timeIntervalSinceReferenceDate();
  return a < b ? NSOrderedAscending : a > b ? NSOrderedDescending : NSOrderedSame;
}

bool NSDate::isEqualToDate(const NSDate* other) const { return other && compare(other) == NSOrderedSame; }

NSDate* NSDate::earlierDate(NSDate* other) const {
  return other && other->compare(this) == NSOrderedAscending ? other : const_cast<NSDate*>(this);
}

NSDate* NSDate::laterDate(NSDate* other) const {
  return other && other->compare(this) == NSOrderedDescending ? other : const_cast<NSDate*>(this);
}

NSString* NSDate::description() const {
  const double seconds = std::floor(timeIntervalSince1970());
  time_t time = static_cast<time_t>(seconds);
  struct tm parts {};
  char text[64] = "";
  if (gmtime_r(&time, &parts)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S +0000", &parts);
  return NSString::stringWithUTF8String(text);
}
