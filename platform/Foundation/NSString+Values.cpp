#include <CoreFoundation/CFArray.h>
#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFPropertyList.h>
#include <Foundation/NSArray.h>
#include <Foundation/NSString+Values.h>
#include <Foundation/NSString.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "backend/FoundationSupport.h"

namespace {

std::string text(NSString* string) { return string ? Foundation::utf8(string->cfString()) : std::string(); }

}  // namespace

namespace NSStringValues {

long long longLongValue(NSString* string) {
  const std::string value = text(string);
  long long number = std::strtoll(value.c_str(), nullptr, 10);
  return number;  // strtoll already clamps at LLONG_MIN and LLONG_MAX
}

int intValue(NSString* string) {
  long long value = longLongValue(string);
  return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : int(value);
}

NSInteger integerValue(NSString* string) { return NSInteger(longLongValue(string)); }

double doubleValue(NSString* string) { return std::strtod(text(string).c_str(), nullptr); }

float floatValue(NSString* string) { return float(doubleValue(string)); }

bool boolValue(NSString* string) {
  const std::string value = text(string);
  size_t i = 0;
  while (i < value.size() && std::isspace(static_cast<unsigned char>(value[i]))) ++i;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) ++i;
  while (i < value.size() && value[i] == '0') ++i;
  return i < value.size() && std::string_view("YyTt123456789").find(value[i]) != std::string_view::npos;
}

bool hasPrefix(NSString* string, NSString* prefix) {
  return string && prefix && CFStringHasPrefix(string->cfString(), prefix->cfString());
}

bool hasSuffix(NSString* string, NSString* suffix) {
  return string && suffix && CFStringHasSuffix(string->cfString(), suffix->cfString());
}

NSComparisonResult compare_options(NSString* string, NSString* other, NSStringCompareOptions options) {
  if (!string) return NSOrderedSame;
  if (!other) return NSOrderedDescending;
  CFStringCompareFlags flags = 0;
  if (options & NSCaseInsensitiveSearch) flags |= kCFCompareCaseInsensitive;
  if (options & NSNumericSearch) flags |= kCFCompareNumerically;
  return CFStringCompare(string->cfString(), other->cfString(), flags);
}

NSRange rangeOfString(NSString* string, NSString* searched) {
  if (!string || !searched || !searched->length()) return NSMakeRange(NSNotFound, 0);
  CFRange found = CFStringFind(string->cfString(), searched->cfString(), 0);
  if (found.location == kCFNotFound) return NSMakeRange(NSNotFound, 0);
  return NSMakeRange(NSUInteger(found.location), NSUInteger(found.length));
}

NSArray* componentsSeparatedByString(NSString* string, NSString* separator) {
  if (!string) return nullptr;
  NSMutableArray* pieces = NSMutableArray::array();
  if (!separator || !separator->length()) {
    pieces->addObject(string);
    return pieces;
  }
  CFIndex start = 0;
  const CFIndex length = CFIndex(string->length());
  CFRange found;
  while (start <= length && CFStringFindWithOptions(string->cfString(), separator->cfString(),
                                                    CFRangeMake(start, length - start), 0, &found)) {
    CFStringRef piece =
        CFStringCreateWithSubstring(nullptr, string->cfString(), CFRangeMake(start, found.location - start));
    pieces->addObject(bridge_cast<NSObject*>(piece));
    CFRelease(piece);
    start = found.location + found.length;
  }
  CFStringRef rest =
      CFStringCreateWithSubstring(nullptr, string->cfString(), CFRangeMake(start, length - start));
  pieces->addObject(bridge_cast<NSObject*>(rest));
  CFRelease(rest);
  return pieces;
}

NSString* stringByReplacingOccurrencesOfString_withString(NSString* string, NSString* target,
                                                          NSString* replacement) {
  if (!string) return nullptr;
  CFMutableStringRef copy = CFStringCreateMutableCopy(nullptr, 0, string->cfString());
  auto* mutableCopy = bridge_cast<NSMutableString*>(copy);
  replaceOccurrencesOfString_withString_options_range(mutableCopy, target, replacement, NSLiteralSearch,
                                                      NSMakeRange(0, string->length()));
  return Foundation::autoreleased<NSString>(copy);
}

NSUInteger replaceOccurrencesOfString_withString_options_range(NSMutableString* string, NSString* target,
                                                               NSString* replacement,
                                                               NSStringCompareOptions options,
                                                               NSRange range) {
  if (!string || !target || !target->length()) return 0;
  if (NSMaxRange(range) > string->length()) {
    std::fprintf(stderr,
                 "replaceOccurrencesOfString:withString:options:range: the range lies outside the string\n");
    return 0;
  }
  CFStringCompareFlags flags = 0;
  if (options & NSCaseInsensitiveSearch) flags |= kCFCompareCaseInsensitive;
  CFStringRef with = replacement ? replacement->cfString() : CFSTR("");
  const CFIndex withLength = CFStringGetLength(with);
  CFIndex start = CFIndex(range.location);
  CFIndex end = CFIndex(NSMaxRange(range));
  NSUInteger replaced = 0;
  CFRange found;
  while (start < end && CFStringFindWithOptions(string->cfString(), target->cfString(),
                                                CFRangeMake(start, end - start), flags, &found)) {
    CFStringReplace(string->cfMutableString(), found, with);
    start = found.location + withLength;
    end += withLength - found.length;
    ++replaced;
  }
  return replaced;
}

NSObject* propertyList(NSString* string) {
  if (!string) return nullptr;
  const std::string xml = text(string);
  CFDataRef data = CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(xml.data()), CFIndex(xml.size()));
  CFStringRef failure = nullptr;
  CFPropertyListRef list = CFPropertyListCreateFromXMLData(nullptr, data, kCFPropertyListImmutable, &failure);
  CFRelease(data);
  if (!list) {
    std::fprintf(stderr, "-[NSString propertyList]: %s\n",
                 failure ? Foundation::utf8(failure).c_str() : "not a property list");
  }
  if (failure) CFRelease(failure);
  return Foundation::autoreleased<NSObject>(list);
}

}  // namespace NSStringValues
