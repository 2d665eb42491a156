// The locale-aware comparison of NSString+Values.h, on ICU's collator.
#include <unicode/ucol.h>

#include <memory>
#include <string>
#include <vector>

#include "NSLocale.h"
#include "NSString+Values.h"
#include "NSString.h"

namespace {

struct CollatorCloser {
  void operator()(UCollator* collator) const { ucol_close(collator); }
};

std::vector<UChar> utf16(NSString* string) {
  std::vector<UniChar> units(string ? string->length() : 0);
  if (!units.empty())
    CFStringGetCharacters(string->cfString(), CFRangeMake(0, CFIndex(units.size())), units.data());
  return std::vector<UChar>(units.begin(), units.end());
}

}  // namespace

namespace NSStringValues {

NSComparisonResult localizedCaseInsensitiveCompare(NSString* string, NSString* other) {
  if (!string) return NSOrderedSame;
  if (!other) return NSOrderedDescending;
  // A collator per call follows the locale as it is now; sorting a list of a few hundred texts
  // makes this no bottleneck.
  UErrorCode status = U_ZERO_ERROR;
  std::unique_ptr<UCollator, CollatorCloser> collator(
      ucol_open(NSLocale::currentLocale()->localeIdentifier()->UTF8String(), &status));
  if (U_FAILURE(status) || !collator) return compare_options(string, other, NSCaseInsensitiveSearch);
  ucol_setStrength(collator.get(), UCOL_SECONDARY);
  std::vector<UChar> left = utf16(string);
  std::vector<UChar> right = utf16(other);
  UCollationResult result =
      ucol_strcoll(collator.get(), left.data(), int32_t(left.size()), right.data(), int32_t(right.size()));
  if (result == UCOL_EQUAL) return NSOrderedSame;
  return result == UCOL_LESS ? NSOrderedAscending : NSOrderedDescending;
}

}  // namespace NSStringValues
