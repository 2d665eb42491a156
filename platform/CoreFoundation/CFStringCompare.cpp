// Comparison and search. Non-literal comparison (canonical equivalence) is treated as
// literal: the system's texts are compared as they are stored.
#include <CoreFoundation/CFString.h>

#include "backend/CFStringCase.h"
#include "backend/CFStringObject.h"

namespace {

struct Text {
  const char16_t* characters;
  size_t length;
};

Text textOf(const __CFString* string) { return {string->mCharacters.data(), string->mCharacters.size()}; }

// Orders UTF-16 units as their code points are ordered: surrogates (characters beyond the
// BMP) sort after U+E000..U+FFFF.
unsigned codePointOrder(char16_t c) {
  if (c >= 0xD800 && c < 0xE000) return c + 0x2000u;
  if (c >= 0xE000) return c - 0x800u;
  return c;
}

bool isDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

char16_t comparable(char16_t c, CFStringCompareFlags options) {
  return (options & kCFCompareCaseInsensitive) ? CFStringCase::fold(c) : c;
}

// Compares the digit runs at a[i] and b[j] by value and moves past them.
int compareNumbers(Text a, size_t& i, Text b, size_t& j) {
  while (i + 1 < a.length && a.characters[i] == u'0' && isDigit(a.characters[i + 1])) ++i;
  while (j + 1 < b.length && b.characters[j] == u'0' && isDigit(b.characters[j + 1])) ++j;
  size_t aEnd = i;
  size_t bEnd = j;
  while (aEnd < a.length && isDigit(a.characters[aEnd])) ++aEnd;
  while (bEnd < b.length && isDigit(b.characters[bEnd])) ++bEnd;
  int result = 0;
  if (aEnd - i != bEnd - j) {
    result = aEnd - i < bEnd - j ? -1 : 1;
  } else {
    for (size_t k = 0; k < aEnd - i && result == 0; ++k) {
      if (a.characters[i + k] != b.characters[j + k]) result = a.characters[i + k] < b.characters[j + k] ? -1 : 1;
    }
  }
  i = aEnd;
  j = bEnd;
  return result;
}

CFComparisonResult compareTexts(Text a, Text b, CFStringCompareFlags options) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.length && j < b.length) {
    if ((options & kCFCompareNumerically) && isDigit(a.characters[i]) && isDigit(b.characters[j])) {
      int result = compareNumbers(a, i, b, j);
      if (result != 0) return result;
      continue;
    }
    unsigned ca = codePointOrder(comparable(a.characters[i], options));
    unsigned cb = codePointOrder(comparable(b.characters[j], options));
    if (ca != cb) return ca < cb ? kCFCompareLessThan : kCFCompareGreaterThan;
    ++i;
    ++j;
  }
  if (i < a.length) return kCFCompareGreaterThan;
  if (j < b.length) return kCFCompareLessThan;
  return kCFCompareEqualTo;
}

bool matchesAt(Text haystack, size_t at, Text needle, CFStringCompareFlags options) {
  for (size_t k = 0; k < needle.length; ++k) {
    if (comparable(haystack.characters[at + k], options) != comparable(needle.characters[k], options)) return false;
  }
  return true;
}

}  // namespace

CFComparisonResult CFStringCompareWithOptions(CFStringRef theString1, CFStringRef theString2, CFRange rangeToCompare,
                                              CFStringCompareFlags compareOptions) {
  const __CFString* first = __CFString::from(theString1);
  const __CFString* second = __CFString::from(theString2);
  // A missing string sorts before every string, so sorting never crashes on one.
  if (!first || !second) return first == second ? kCFCompareEqualTo : (first ? kCFCompareGreaterThan : kCFCompareLessThan);
  if (!CFStringText::checkRange(first, rangeToCompare, "CFStringCompareWithOptions")) return kCFCompareLessThan;
  Text a = textOf(first);
  a.characters += rangeToCompare.location;
  a.length = static_cast<size_t>(rangeToCompare.length);
  return compareTexts(a, textOf(second), compareOptions);
}

CFComparisonResult CFStringCompare(CFStringRef theString1, CFStringRef theString2,
                                   CFStringCompareFlags compareOptions) {
  return CFStringCompareWithOptions(theString1, theString2, CFRangeMake(0, CFStringGetLength(theString1)),
                                    compareOptions);
}

Boolean CFStringFindWithOptions(CFStringRef theString, CFStringRef stringToFind, CFRange rangeToSearch,
                                CFStringCompareFlags searchOptions, CFRange* result) {
  const __CFString* string = __CFString::from(theString);
  const __CFString* target = __CFString::from(stringToFind);
  if (!string || !target || !CFStringText::checkRange(string, rangeToSearch, "CFStringFindWithOptions")) return false;
  Text haystack = textOf(string);
  Text needle = textOf(target);
  size_t length = static_cast<size_t>(rangeToSearch.length);
  if (needle.length == 0 || needle.length > length) return false;
  size_t first = static_cast<size_t>(rangeToSearch.location);
  size_t last = first + length - needle.length;
  bool backwards = searchOptions & kCFCompareBackwards;
  bool anchored = searchOptions & kCFCompareAnchored;
  size_t at = backwards ? last : first;
  for (;;) {
    if (matchesAt(haystack, at, needle, searchOptions)) {
      if (result) *result = CFRangeMake(static_cast<CFIndex>(at), static_cast<CFIndex>(needle.length));
      return true;
    }
    if (anchored || at == (backwards ? first : last)) return false;
    at = backwards ? at - 1 : at + 1;
  }
}

CFRange CFStringFind(CFStringRef theString, CFStringRef stringToFind, CFStringCompareFlags compareOptions) {
  CFRange found;
  if (CFStringFindWithOptions(theString, stringToFind, CFRangeMake(0, CFStringGetLength(theString)), compareOptions,
                              &found)) {
    return found;
  }
  return CFRangeMake(kCFNotFound, 0);
}

Boolean CFStringHasPrefix(CFStringRef theString, CFStringRef prefix) {
  return CFStringFindWithOptions(theString, prefix, CFRangeMake(0, CFStringGetLength(theString)), kCFCompareAnchored,
                                 nullptr);
}

Boolean CFStringHasSuffix(CFStringRef theString, CFStringRef suffix) {
  return CFStringFindWithOptions(theString, suffix, CFRangeMake(0, CFStringGetLength(theString)),
                                 kCFCompareAnchored | kCFCompareBackwards, nullptr);
}
