#pragma once
// Foundation's basic types and the console log.
#include <cstdarg>
#include <climits>

#pragma GCC visibility push(default)

#define FOUNDATION_EXPORT extern "C" __attribute__((visibility("default")))

typedef long NSInteger;
typedef unsigned long NSUInteger;
typedef signed char BOOL;
#define YES ((BOOL)1)
#define NO ((BOOL)0)

enum : NSInteger { NSNotFound = LONG_MAX };

typedef NSInteger NSComparisonResult;
enum : NSInteger { NSOrderedAscending = -1, NSOrderedSame = 0, NSOrderedDescending = 1 };

class NSString;

// Writes "YYYY-MM-DD HH:MM:SS.mmm <process>[<pid>:<thread id in hex>] <message>" to standard
// error, with a newline unless the message ends in one, in one write, so that lines from
// several threads never mix. The format takes %@ for objects.
FOUNDATION_EXPORT void NSLog(NSString* format, ...);
FOUNDATION_EXPORT void NSLogv(NSString* format, va_list args);

#pragma GCC visibility pop
