#pragma once
// What strings answer about the values they hold and the pieces they split into, beside the
// NSString class itself: free functions of the NSStringValues namespace, taking the string
// first (NSStringValues::intValue(text) for [text intValue]). Null strings answer 0, NO or
// null, as messages to nil do.
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSRange.h>

#pragma GCC visibility push(default)

class NSArray;
class NSMutableString;
class NSObject;
class NSString;

typedef NSUInteger NSStringCompareOptions;
enum : NSUInteger {
  NSCaseInsensitiveSearch = 1,
  NSLiteralSearch = 2,
  NSBackwardsSearch = 4,
  NSAnchoredSearch = 8,
  NSNumericSearch = 64,
};

namespace NSStringValues {

// The leading decimal number after optional white space, as strtol reads it (0 when none;
// clamped at the type's limits).
int intValue(NSString* string);
NSInteger integerValue(NSString* string);
long long longLongValue(NSString* string);
double doubleValue(NSString* string);
float floatValue(NSString* string);
// YES for a leading Y, y, T, t or a non-zero digit after optional white space and sign.
bool boolValue(NSString* string);

bool hasPrefix(NSString* string, NSString* prefix);
bool hasSuffix(NSString* string, NSString* suffix);
NSComparisonResult compare_options(NSString* string, NSString* other, NSStringCompareOptions options);
// Ordered as the user's locale sorts words, ignoring case: accents count before case does not
// (ICU collation of the current locale at secondary strength).
NSComparisonResult localizedCaseInsensitiveCompare(NSString* string, NSString* other);
// {NSNotFound, 0} when absent.
NSRange rangeOfString(NSString* string, NSString* searched);

// Autoreleased. The pieces between the separators, empty pieces included: "a;;b" gives
// ("a", "", "b") and a string without the separator gives itself alone.
NSArray* componentsSeparatedByString(NSString* string, NSString* separator);
NSString* stringByReplacingOccurrencesOfString_withString(NSString* string, NSString* target,
                                                          NSString* replacement);
// Replaces within range; answers the number of replacements.
NSUInteger replaceOccurrencesOfString_withString_options_range(NSMutableString* string, NSString* target,
                                                               NSString* replacement,
                                                               NSStringCompareOptions options, NSRange range);
// The property list the string holds as XML text; null (reported) when it holds none.
NSObject* propertyList(NSString* string);

}  // namespace NSStringValues

#pragma GCC visibility pop
