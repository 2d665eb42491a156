#pragma once
// A run of indexes (or characters, or bytes): a location and a length.
#include <Foundation/NSObjCRuntime.h>

#pragma GCC visibility push(default)

struct NSRange {
  NSUInteger location;
  NSUInteger length;
};
typedef NSRange* NSRangePointer;

inline NSRange NSMakeRange(NSUInteger location, NSUInteger length) { return NSRange{location, length}; }
inline NSUInteger NSMaxRange(NSRange range) { return range.location + range.length; }
inline bool NSLocationInRange(NSUInteger location, NSRange range) {
  return location >= range.location && location - range.location < range.length;
}
inline bool NSEqualRanges(NSRange a, NSRange b) { return a.location == b.location && a.length == b.length; }

#pragma GCC visibility pop
