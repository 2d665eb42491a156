#include <CoreFoundation/CFDate.h>
#include <CoreFoundation/CFString.h>
#include <objc/NSObject.h>
#include <Foundation/NSDate.h>
#include <time.h>

#include <cstdio>
#include <functional>

const CFTimeInterval kCFAbsoluteTimeIntervalSince1970 = 978307200.0;

CFAbsoluteTime CFAbsoluteTimeGetCurrent(void) {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return (double(now.tv_sec) - kCFAbsoluteTimeIntervalSince1970) + double(now.tv_nsec) * 1e-9;
}

struct __CFDate : NSDate {
  explicit __CFDate(CFAbsoluteTime time) : mTime(time) {}

  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFDate");
    return id;
  }

  unsigned long cfTypeID() const override { return typeID(); }
  bool isEqual(const NSObject* other) const override {
    return other && other->cfTypeID() == typeID() && static_cast<const __CFDate*>(other)->mTime == mTime;
  }
  unsigned long hash() const override { return std::hash<double>()(mTime); }
  const __CFString* copyDescription() const override {
    char text[96];
    std::snprintf(text, sizeof text, "<CFDate %p>{time = %.6f}", static_cast<const void*>(this), mTime);
    return CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
  }

  const CFAbsoluteTime mTime;
};

CFTypeID CFDateGetTypeID(void) { return __CFDate::typeID(); }

CFDateRef CFDateCreate(CFAllocatorRef, CFAbsoluteTime at) { return new __CFDate(at); }

CFAbsoluteTime CFDateGetAbsoluteTime(CFDateRef theDate) { return theDate ? theDate->mTime : 0.0; }

CFComparisonResult CFDateCompare(CFDateRef theDate, CFDateRef otherDate, void*) {
  CFAbsoluteTime a = CFDateGetAbsoluteTime(theDate), b = CFDateGetAbsoluteTime(otherDate);
  if (a < b) return kCFCompareLessThan;
  if (a > b) return kCFCompareGreaterThan;
  return kCFCompareEqualTo;
}
