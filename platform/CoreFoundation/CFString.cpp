// Creating strings and reading them out in an encoding.
#include <CoreFoundation/CFString.h>

#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "backend/CFStringEncodings.h"
#include "backend/CFStringObject.h"

using CFStringText::report;

namespace {

const __CFString* stringOf(CFStringRef string) { return __CFString::from(string); }

CFStringRef createFromBytes(const UInt8* bytes, size_t length, CFStringEncoding encoding, bool honourMark) {
  std::optional<std::u16string> text = CFStringEncodings::decode(bytes, length, encoding, honourMark);
  return text ? CFStringText::create(std::move(*text)) : nullptr;
}

// The characters of a range in the encoding: stops at the first character the encoding
// lacks (unless lossByte stands in) or that would pass maxBytes. Answers the units converted.
CFIndex encodeRange(const std::u16string& characters, CFRange range, CFStringEncoding encoding, UInt8 lossByte,
                    size_t maxBytes, std::string& out) {
  CFIndex end = range.location + range.length;
  CFIndex index = range.location;
  std::string one;
  while (index < end) {
    size_t units;
    char32_t c = CFStringEncodings::characterAt(characters, static_cast<size_t>(index), &units);
    if (index + static_cast<CFIndex>(units) > end) units = 1, c = characters[index];
    one.clear();
    if (!CFStringEncodings::encodeCharacter(c, encoding, one)) {
      if (lossByte == 0) break;
      one.assign(1, static_cast<char>(lossByte));
    }
    if (out.size() + one.size() > maxBytes) break;
    out += one;
    index += static_cast<CFIndex>(units);
  }
  return index - range.location;
}

// Converts the whole string; false when some character has no form in the encoding.
bool encodeAll(const __CFString* string, CFStringEncoding encoding, std::string& out) {
  CFIndex length = static_cast<CFIndex>(string->mCharacters.size());
  return encodeRange(string->mCharacters, CFRangeMake(0, length), encoding, 0, SIZE_MAX, out) == length;
}

}  // namespace

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr, CFStringEncoding encoding) {
  if (!cStr) return nullptr;
  // A C string ends at its first NUL byte, whatever the encoding: nothing past it is promised to
  // exist. (A C string is meant to be in an 8-bit encoding; wider ones decode the bytes up to
  // there, and give nothing when those are not whole characters.)
  return createFromBytes(reinterpret_cast<const UInt8*>(cStr), std::strlen(cStr), encoding, true);
}

CFStringRef CFStringCreateWithCStringNoCopy(CFAllocatorRef alloc, const char* cStr, CFStringEncoding encoding,
                                            CFAllocatorRef contentsDeallocator) {
  CFStringRef string = CFStringCreateWithCString(alloc, cStr, encoding);
  // The string keeps its own copy, so the contents it was given are done with now.
  if (string && contentsDeallocator != kCFAllocatorNull) std::free(const_cast<char*>(cStr));
  return string;
}

CFStringRef CFStringCreateWithBytes(CFAllocatorRef, const UInt8* bytes, CFIndex numBytes, CFStringEncoding encoding,
                                    Boolean isExternalRepresentation) {
  if (numBytes < 0 || (!bytes && numBytes > 0)) return nullptr;
  size_t length = static_cast<size_t>(numBytes);
  static const UInt8 utf8Mark[] = {0xEF, 0xBB, 0xBF};
  if (isExternalRepresentation && encoding == kCFStringEncodingUTF8 && length >= 3 &&
      std::memcmp(bytes, utf8Mark, 3) == 0) {
    bytes += 3;
    length -= 3;
  }
  return createFromBytes(bytes, length, encoding, true);
}

CFStringRef CFStringCreateWithCharacters(CFAllocatorRef, const UniChar* chars, CFIndex numChars) {
  if (numChars < 0 || (!chars && numChars > 0)) return nullptr;
  return CFStringText::create(std::u16string(reinterpret_cast<const char16_t*>(chars), static_cast<size_t>(numChars)));
}

CFStringRef CFStringCreateWithCharactersNoCopy(CFAllocatorRef alloc, const UniChar* chars, CFIndex numChars,
                                               CFAllocatorRef contentsDeallocator) {
  CFStringRef string = CFStringCreateWithCharacters(alloc, chars, numChars);
  if (string && contentsDeallocator != kCFAllocatorNull) std::free(const_cast<UniChar*>(chars));
  return string;
}

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef, ConstStr255Param pStr, CFStringEncoding encoding) {
  if (!pStr) return nullptr;
  return createFromBytes(pStr + 1, pStr[0], encoding, true);
}

CFStringRef CFStringCreateWithSubstring(CFAllocatorRef, CFStringRef str, CFRange range) {
  const __CFString* string = stringOf(str);
  if (!string || !CFStringText::checkRange(string, range, "CFStringCreateWithSubstring")) return nullptr;
  return CFStringText::create(string->mCharacters.substr(static_cast<size_t>(range.location), static_cast<size_t>(range.length)));
}

CFStringRef CFStringCreateCopy(CFAllocatorRef, CFStringRef theString) {
  const __CFString* string = stringOf(theString);
  if (!string) return nullptr;
  if (!string->mMutable) return static_cast<CFStringRef>(CFRetain(string));
  return CFStringText::create(string->mCharacters);
}

CFMutableStringRef CFStringCreateMutable(CFAllocatorRef, CFIndex) {
  // The length limit is only a hint: the string grows as needed rather than dropping text.
  return new __CFString(std::u16string(), true);
}

CFMutableStringRef CFStringCreateMutableCopy(CFAllocatorRef, CFIndex, CFStringRef theString) {
  const __CFString* string = stringOf(theString);
  return new __CFString(string ? string->mCharacters : std::u16string(), true);
}

CFIndex CFStringGetLength(CFStringRef theString) {
  const __CFString* string = stringOf(theString);
  return string ? static_cast<CFIndex>(string->mCharacters.size()) : 0;
}

UniChar CFStringGetCharacterAtIndex(CFStringRef theString, CFIndex idx) {
  const __CFString* string = stringOf(theString);
  if (!string || !CFStringText::checkRange(string, CFRangeMake(idx, 1), "CFStringGetCharacterAtIndex")) return 0;
  return string->mCharacters[static_cast<size_t>(idx)];
}

void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar* buffer) {
  const __CFString* string = stringOf(theString);
  if (!string || !buffer || !CFStringText::checkRange(string, range, "CFStringGetCharacters")) return;
  string->mCharacters.copy(reinterpret_cast<char16_t*>(buffer), static_cast<size_t>(range.length),
                           static_cast<size_t>(range.location));
}

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize, CFStringEncoding encoding) {
  const __CFString* string = stringOf(theString);
  size_t terminator = CFStringEncodings::terminatorSize(encoding);
  if (!buffer || bufferSize <= 0) return false;
  // A failed conversion leaves an empty C string rather than stale bytes.
  if (static_cast<size_t>(bufferSize) >= terminator) std::memset(buffer, 0, terminator);
  if (!string) return false;
  std::string bytes;
  if (!encodeAll(string, encoding, bytes)) return false;
  if (bytes.size() + terminator > static_cast<size_t>(bufferSize)) return false;
  std::memcpy(buffer, bytes.data(), bytes.size());
  std::memset(buffer + bytes.size(), 0, terminator);
  return true;
}

const char* CFStringGetCStringPtr(CFStringRef theString, CFStringEncoding encoding) {
  const __CFString* string = stringOf(theString);
  if (!string || !string->mHasAsciiForm) return nullptr;
  switch (encoding) {
    case kCFStringEncodingASCII:
    case kCFStringEncodingUTF8:
    case kCFStringEncodingMacRoman:
    case kCFStringEncodingISOLatin1:
    case kCFStringEncodingWindowsLatin1: return string->mAsciiForm.c_str();
    default: return nullptr;
  }
}

Boolean CFStringGetPascalString(CFStringRef theString, StringPtr buffer, CFIndex bufferSize,
                                CFStringEncoding encoding) {
  const __CFString* string = stringOf(theString);
  if (!buffer || bufferSize <= 0) return false;
  buffer[0] = 0;
  std::string bytes;
  if (!string || !encodeAll(string, encoding, bytes)) return false;
  if (bytes.size() > 255 || static_cast<CFIndex>(bytes.size()) + 1 > bufferSize) return false;
  buffer[0] = static_cast<unsigned char>(bytes.size());
  std::memcpy(buffer + 1, bytes.data(), bytes.size());
  return true;
}

CFIndex CFStringGetBytes(CFStringRef theString, CFRange range, CFStringEncoding encoding, UInt8 lossByte,
                         Boolean isExternalRepresentation, UInt8* buffer, CFIndex maxBufLen, CFIndex* usedBufLen) {
  if (usedBufLen) *usedBufLen = 0;
  const __CFString* string = stringOf(theString);
  if (!string || !CFStringEncodings::isAvailable(encoding) ||
      !CFStringText::checkRange(string, range, "CFStringGetBytes")) {
    return 0;
  }
  size_t limit = buffer ? static_cast<size_t>(maxBufLen < 0 ? 0 : maxBufLen) : SIZE_MAX;
  std::string bytes = isExternalRepresentation ? CFStringEncodings::byteOrderMark(encoding) : std::string();
  if (bytes.size() > limit) return 0;
  CFIndex converted = encodeRange(string->mCharacters, range, encoding, lossByte, limit, bytes);
  if (buffer) std::memcpy(buffer, bytes.data(), bytes.size());
  if (usedBufLen) *usedBufLen = static_cast<CFIndex>(bytes.size());
  return converted;
}

CFIndex CFStringGetMaximumSizeForEncoding(CFIndex length, CFStringEncoding encoding) {
  if (!CFStringEncodings::isAvailable(encoding) || length < 0) return kCFNotFound;
  CFIndex bytesPerCharacter = 1;
  switch (encoding) {
    case kCFStringEncodingUTF8: bytesPerCharacter = 3; break;
    case kCFStringEncodingUTF16:
    case kCFStringEncodingUTF16BE:
    case kCFStringEncodingUTF16LE: bytesPerCharacter = 2; break;
    case kCFStringEncodingUTF32:
    case kCFStringEncodingUTF32BE:
    case kCFStringEncodingUTF32LE: bytesPerCharacter = 4; break;
    default: break;
  }
  if (length > LONG_MAX / bytesPerCharacter) return kCFNotFound;
  return length * bytesPerCharacter;
}

SInt32 CFStringGetIntValue(CFStringRef str) {
  const __CFString* string = stringOf(str);
  if (!string) return 0;
  const std::u16string& text = string->mCharacters;
  size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t' || text[i] == u'\n' || text[i] == u'\r')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
  long long value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    // Numbers beyond 32 bits settle at the nearest limit instead of wrapping.
    if (value <= static_cast<long long>(INT32_MAX) + 1) value = value * 10 + (text[i] - u'0');
  }
  if (negative) value = -value;
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<SInt32>(value);
}

double CFStringGetDoubleValue(CFStringRef str) {
  const __CFString* string = stringOf(str);
  if (!string) return 0;
  std::string ascii;
  for (char16_t unit : string->mCharacters) {
    if (unit >= 0x80) break;
    ascii.push_back(static_cast<char>(unit));
  }
  size_t start = ascii.find_first_not_of(" \t\r\n");
  if (start == std::string::npos) return 0;
  if (ascii[start] == '+') ++start;
  double value = 0;
  std::from_chars(ascii.data() + start, ascii.data() + ascii.size(), value);
  return value;
}

CFStringEncoding CFStringGetSystemEncoding(void) { return kCFStringEncodingUTF8; }

CFStringEncoding CFStringGetFastestEncoding(CFStringRef theString) {
  const __CFString* string = stringOf(theString);
  if (!string) return kCFStringEncodingASCII;
  for (char16_t unit : string->mCharacters) {
    if (unit >= 0x80) return kCFStringEncodingUnicode;
  }
  return kCFStringEncodingASCII;
}

Boolean CFStringIsEncodingAvailable(CFStringEncoding encoding) { return CFStringEncodings::isAvailable(encoding); }
