#include "CoreCString.h"

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "CoreException.h"
#include "CorePString.h"

[[noreturn]] static void throwNil() { throw CoreException("%s", kCoreExceptionNilPointer); }
[[noreturn]] static void throwInvariant() { throw CoreException("%s", kCoreExceptionInvariantFailed); }

// A capacity that 16 bits can hold, or "Invariant failed".
static unsigned short checkedCapacity(size_t capacity) {
  if (capacity > CoreCString::kMaximumCapacity) throwInvariant();
  return static_cast<unsigned short>(capacity);
}

static size_t pascalLength(const unsigned char* pascal) { return pascal ? pascal[0] : 0; }

CoreCString::CoreCString(unsigned short minimum) { Alloc(minimum ? minimum : 1); }

CoreCString::CoreCString(const char* text, unsigned short minimum) { Alloc(text, minimum); }

CoreCString::CoreCString(const unsigned char* pascal, unsigned short minimum) { Alloc(pascal, minimum); }

CoreCString::CoreCString(const CoreCString& other, unsigned short minimum) { Alloc(other.mText, minimum); }

CoreCString::CoreCString(const std::string& text, unsigned short minimum) { Alloc(text.c_str(), minimum); }

CoreCString::CoreCString(OSType code, unsigned short minimum) {
  Alloc(minimum ? minimum : 1);
  ConstructFourCharCode(code);
}

CoreCString::~CoreCString() { Delete(); }

void CoreCString::requireText() const {
  if (!mText) throwNil();
}

void CoreCString::replace(const char* text) {
  // The text may be this string's own: keep it until it is copied.
  const std::string copy(text ? text : "");
  // A text too long to hold leaves the old one in place.
  checkedCapacity(copy.size() + 1);
  Delete();
  Alloc(copy.c_str());
}

bool CoreCString::Alloc(const char* text, unsigned short minimum) {
  const size_t length = text ? strlen(text) : 0;
  const size_t capacity = std::max<size_t>(length + 1, minimum);
  checkedCapacity(capacity);
  // The source may be this string's own text: keep it until it is copied.
  std::string copy(text ? text : "", length);
  if (!mText || mCapacity < capacity) {
    Delete();
    mText = new char[capacity];
    mCapacity = static_cast<unsigned short>(capacity);
  }
  mText[0] = 0;
  return safe_strcpy(copy.c_str());
}

bool CoreCString::Alloc(const unsigned char* pascal, unsigned short minimum) {
  const std::string text(reinterpret_cast<const char*>(pascal ? pascal + 1 : nullptr), pascalLength(pascal));
  return Alloc(text.c_str(), minimum);
}

bool CoreCString::Alloc(unsigned short minimum) {
  Delete();
  mCapacity = minimum ? minimum : 1;
  mText = new char[mCapacity];
  mText[0] = 0;
  return true;
}

void CoreCString::Delete() {
  delete[] mText;
  mText = nullptr;
  mCapacity = 0;
}

void CoreCString::Empty() {
  if (!mText) {
    Alloc(static_cast<unsigned short>(1));
    return;
  }
  mText[0] = 0;
}

bool CoreCString::safe_strncpy(const char* source, unsigned short count) {
  requireText();
  if (!source) throwNil();
  // Never more than the source holds, nor more than count.
  const size_t wanted = strnlen(source, count);
  const size_t copied = std::min<size_t>(wanted, mCapacity - 1);
  memmove(mText, source, copied);
  mText[copied] = 0;
  return copied == wanted;
}

bool CoreCString::safe_strcpy(const char* source) {
  if (!source) throwNil();
  const size_t length = strlen(source);
  if (length > kMaximumCapacity) throwInvariant();
  return safe_strncpy(source, static_cast<unsigned short>(length));
}

void CoreCString::safe_strcat(const char* source) {
  requireText();
  if (!source) throwNil();
  const size_t length = strlen(mText);
  const size_t room = mCapacity - 1 - length;
  const size_t copied = std::min(strlen(source), room);
  memmove(mText + length, source, copied);
  mText[length + copied] = 0;
}

void CoreCString::append(const char* source, size_t length) {
  requireText();
  const size_t current = strlen(mText);
  const unsigned short capacity = checkedCapacity(current + length + 2);
  // Both parts are copied before the old text goes: the source may lie inside it.
  char* text = new char[capacity];
  memcpy(text, mText, current);
  memcpy(text + current, source, length);
  text[current + length] = 0;
  delete[] mText;
  mText = text;
  mCapacity = capacity;
}

void CoreCString::strcat(const char* source) {
  if (!source) throwNil();
  append(source, strlen(source));
}

CoreCString& CoreCString::operator+=(const char* source) {
  strcat(source);
  return *this;
}

CoreCString& CoreCString::operator+=(const unsigned char* pascal) {
  if (!pascal) throwNil();
  append(reinterpret_cast<const char*>(pascal + 1), pascal[0]);
  return *this;
}

CoreCString& CoreCString::operator+=(const CoreCString& other) {
  other.requireText();
  strcat(other.mText);
  return *this;
}

CoreCString& CoreCString::operator=(const char* text) {
  replace(text);
  return *this;
}

CoreCString& CoreCString::operator=(const unsigned char* pascal) {
  const std::string text(reinterpret_cast<const char*>(pascal ? pascal + 1 : nullptr), pascalLength(pascal));
  replace(text.c_str());
  return *this;
}

CoreCString& CoreCString::operator=(const CoreCString& other) {
  if (this != &other) replace(other.mText);
  return *this;
}

CoreCString& CoreCString::operator=(const CorePString& pascal) {
  replace(pascal.c_str());
  return *this;
}

CoreCString& CoreCString::operator=(CFStringRef string) {
  Delete();
  if (!string) return *this;
  const size_t capacity = size_t(CFStringGetLength(string)) + 1;
  mText = new char[checkedCapacity(capacity)];
  mCapacity = static_cast<unsigned short>(capacity);
  if (!CFStringGetCString(string, mText, CFIndex(capacity), kCFStringEncodingMacRoman)) mText[0] = 0;
  return *this;
}

bool CoreCString::operator==(const char* text) const {
  requireText();
  if (!text) throwNil();
  return ::strcmp(mText, text) == 0;
}

bool CoreCString::operator==(const unsigned char* pascal) const {
  if (!pascal) throwNil();
  const std::string text(reinterpret_cast<const char*>(pascal + 1), pascal[0]);
  return *this == text.c_str();
}

double CoreCString::AsDouble() const {
  requireText();
  double value = 0.0;
  if (sscanf(mText, "%lf", &value) != 1) return 0.0;
  return value;
}

void CoreCString::AssignTo(char* destination) const {
  requireText();
  if (!destination) throwNil();
  memcpy(destination, mText, strlen(mText) + 1);
}

void CoreCString::AssignTo(unsigned char* pascal, unsigned int maximum) const { AssignTo(pascal, maximum, mText); }

void CoreCString::AssignTo(unsigned char* pascal, unsigned int maximum, const char* text) {
  if (!pascal) return;
  if (!text) {
    pascal[0] = 0;
    return;
  }
  // A Pascal string's length is one byte.
  const size_t length = std::min<size_t>({strlen(text), maximum, 255});
  memcpy(pascal + 1, text, length);
  pascal[0] = static_cast<unsigned char>(length);
}

static bool isBlank(char character) { return isspace(static_cast<unsigned char>(character)) != 0; }

void CoreCString::trim_leading_whitespace() {
  requireText();
  size_t start = 0;
  while (mText[start] && isBlank(mText[start])) ++start;
  if (start > 0) memmove(mText, mText + start, strlen(mText + start) + 1);
}

void CoreCString::trim_trailing_whitespace() {
  requireText();
  size_t length = strlen(mText);
  while (length > 0 && isBlank(mText[length - 1])) --length;
  mText[length] = 0;
}

void CoreCString::trim_trailing_and_leading_whitespace() {
  trim_trailing_whitespace();
  trim_leading_whitespace();
}

bool CoreCString::sprintf(char* buffer, unsigned long size, const char* format, ...) {
  if (!buffer || !format) throwNil();
  va_list arguments;
  va_start(arguments, format);
  const int length = vsnprintf(buffer, size, format, arguments);
  va_end(arguments);
  if (length < 0 || static_cast<unsigned long>(length) >= size) throwInvariant();
  return Alloc(buffer);
}

bool CoreCString::printf(const char* format, ...) {
  if (!format) throwNil();
  constexpr size_t kScratchSize = 2050;
  std::string scratch(kScratchSize, '\0');
  va_list arguments;
  va_start(arguments, format);
  const int length = vsnprintf(scratch.data(), kScratchSize, format, arguments);
  va_end(arguments);
  if (length < 0 || length >= 2049) throwInvariant();
  return Alloc(scratch.c_str());
}

bool CoreCString::ConstructFourCharCode(unsigned int code) {
  Delete();
  return printf("0x%08lx '%c%c%c%c'", static_cast<unsigned long>(code), char(code >> 24), char(code >> 16),
                char(code >> 8), char(code)) &&
         mText;
}

const char* CoreCString::HexDigitPairFromByte(const unsigned char* byte, char separator) {
  static const char kDigits[] = "0123456789ABCDEF";
  thread_local char pair[4];
  const unsigned char value = byte ? *byte : 0;
  pair[0] = kDigits[value >> 4];
  pair[1] = kDigits[value & 0x0F];
  pair[2] = 0;
  if (separator != 0) {
    const unsigned char code = static_cast<unsigned char>(separator);
    pair[2] = code < 32 || code > 127 ? ' ' : separator;
    pair[3] = 0;
  }
  return pair;
}

void CoreCString::EncodeHexString(const void* bytes, unsigned int length, unsigned int maximum, char separator) {
  const size_t count = std::min(maximum ? maximum : length, length);
  if (count > 0 && !bytes) throwNil();
  // Copy first: the bytes may be this string's own text.
  const std::string source(static_cast<const char*>(bytes), count);
  Alloc(checkedCapacity(count * 4 + 9));
  for (size_t index = 0; index < count; ++index) {
    safe_strcat(HexDigitPairFromByte(reinterpret_cast<const unsigned char*>(&source[index]), separator));
  }
}

void CoreCString::HexData(const void* bytes, unsigned int length, unsigned int maximum) {
  EncodeHexString(bytes, length, maximum, ' ');
}

void CoreCString::AsHexString() {
  requireText();
  const size_t length = strlen(mText);
  if (length == 0) return;
  EncodeHexString(mText, static_cast<unsigned int>(length), 0, ' ');
}

static int hexValue(char character) {
  if (character >= '0' && character <= '9') return character - '0';
  if (character >= 'a' && character <= 'f') return character - 'a' + 10;
  if (character >= 'A' && character <= 'F') return character - 'A' + 10;
  return -1;
}

const char* CoreCString::DecodeHexString(const char* text) {
  if (!text) throwNil();
  size_t digits = 0;
  for (const char* character = text; *character; ++character) {
    if (hexValue(*character) >= 0) ++digits;
  }
  const std::string source(text);
  Alloc(checkedCapacity(digits / 2 + 9));
  size_t decoded = 0;
  int high = -1;
  for (char character : source) {
    if (decoded == digits / 2) break;
    const int value = hexValue(character);
    if (value < 0) continue;
    if (high < 0) {
      high = value;
      continue;
    }
    mText[decoded++] = static_cast<char>(high << 4 | value);
    mText[decoded] = 0;
    high = -1;
  }
  return mText;
}
