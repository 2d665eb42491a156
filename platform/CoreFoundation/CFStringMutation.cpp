// Changing mutable strings. Every function reports and leaves the string alone when handed
// an immutable string, a bad range or text it cannot decode.
#include <CoreFoundation/CFString.h>

#include <cstring>

#include "backend/CFStringCase.h"
#include "backend/CFStringEncodings.h"
#include "backend/CFStringObject.h"

using CFStringText::mutableString;

namespace {

// The characters of another string, copied so that a string may be applied to itself.
bool charactersOf(CFStringRef string, const char* function, std::u16string& out) {
  const __CFString* object = __CFString::from(string);
  if (!object) {
    CFStringText::report(function, "the argument is not a string");
    return false;
  }
  out = object->mCharacters;
  return true;
}

bool isWhitespace(char16_t c) {
  return c == u' ' || (c >= u'\t' && c <= u'\r') || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

}  // namespace

void CFStringAppend(CFMutableStringRef theString, CFStringRef appendedString) {
  __CFString* string = mutableString(theString, "CFStringAppend");
  std::u16string text;
  if (string && charactersOf(appendedString, "CFStringAppend", text)) string->mCharacters += text;
}

void CFStringAppendCString(CFMutableStringRef theString, const char* cStr, CFStringEncoding encoding) {
  __CFString* string = mutableString(theString, "CFStringAppendCString");
  if (!string || !cStr) return;
  std::optional<std::u16string> text =
      CFStringEncodings::decode(reinterpret_cast<const UInt8*>(cStr), std::strlen(cStr), encoding);
  if (!text) {
    CFStringText::report("CFStringAppendCString", "the text is not valid in its encoding");
    return;
  }
  string->mCharacters += *text;
}

void CFStringAppendCharacters(CFMutableStringRef theString, const UniChar* chars, CFIndex numChars) {
  __CFString* string = mutableString(theString, "CFStringAppendCharacters");
  if (!string || numChars <= 0 || !chars) return;
  string->mCharacters.append(reinterpret_cast<const char16_t*>(chars), static_cast<size_t>(numChars));
}

void CFStringInsert(CFMutableStringRef str, CFIndex idx, CFStringRef insertedStr) {
  __CFString* string = mutableString(str, "CFStringInsert");
  std::u16string text;
  if (!string || !CFStringText::checkRange(string, CFRangeMake(idx, 0), "CFStringInsert") ||
      !charactersOf(insertedStr, "CFStringInsert", text)) {
    return;
  }
  string->mCharacters.insert(static_cast<size_t>(idx), text);
}

void CFStringDelete(CFMutableStringRef theString, CFRange range) {
  __CFString* string = mutableString(theString, "CFStringDelete");
  if (!string || !CFStringText::checkRange(string, range, "CFStringDelete")) return;
  string->mCharacters.erase(static_cast<size_t>(range.location), static_cast<size_t>(range.length));
}

void CFStringReplace(CFMutableStringRef theString, CFRange range, CFStringRef replacement) {
  __CFString* string = mutableString(theString, "CFStringReplace");
  std::u16string text;
  if (!string || !CFStringText::checkRange(string, range, "CFStringReplace") ||
      !charactersOf(replacement, "CFStringReplace", text)) {
    return;
  }
  string->mCharacters.replace(static_cast<size_t>(range.location), static_cast<size_t>(range.length), text);
}

void CFStringReplaceAll(CFMutableStringRef theString, CFStringRef replacement) {
  __CFString* string = mutableString(theString, "CFStringReplaceAll");
  std::u16string text;
  if (string && charactersOf(replacement, "CFStringReplaceAll", text)) string->mCharacters = std::move(text);
}

void CFStringTrim(CFMutableStringRef theString, CFStringRef trimString) {
  __CFString* string = mutableString(theString, "CFStringTrim");
  std::u16string trim;
  if (!string || !charactersOf(trimString, "CFStringTrim", trim) || trim.empty()) return;
  std::u16string& text = string->mCharacters;
  size_t start = 0;
  while (text.compare(start, trim.size(), trim) == 0) start += trim.size();
  size_t end = text.size();
  while (end >= start + trim.size() && text.compare(end - trim.size(), trim.size(), trim) == 0) end -= trim.size();
  text = text.substr(start, end - start);
}

void CFStringTrimWhitespace(CFMutableStringRef theString) {
  __CFString* string = mutableString(theString, "CFStringTrimWhitespace");
  if (!string) return;
  std::u16string& text = string->mCharacters;
  size_t start = 0;
  while (start < text.size() && isWhitespace(text[start])) ++start;
  size_t end = text.size();
  while (end > start && isWhitespace(text[end - 1])) --end;
  text = text.substr(start, end - start);
}

void CFStringUppercase(CFMutableStringRef theString, CFLocaleRef) {
  __CFString* string = mutableString(theString, "CFStringUppercase");
  if (!string) return;
  for (char16_t& c : string->mCharacters) c = CFStringCase::upper(c);
}

void CFStringLowercase(CFMutableStringRef theString, CFLocaleRef) {
  __CFString* string = mutableString(theString, "CFStringLowercase");
  if (!string) return;
  for (char16_t& c : string->mCharacters) c = CFStringCase::lower(c);
}
