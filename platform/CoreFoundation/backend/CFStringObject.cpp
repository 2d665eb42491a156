#include "backend/CFStringObject.h"

#include <cstdio>

#include "backend/CFStringEncodings.h"

__CFString::__CFString(std::u16string characters, bool isMutable)
    : mCharacters(std::move(characters)), mMutable(isMutable) {}

CFTypeID __CFString::typeID() {
  static const CFTypeID id = _CFRuntimeRegisterClass("CFString");
  return id;
}

unsigned long __CFString::cfTypeID() const { return typeID(); }

const __CFString* __CFString::from(CFTypeRef object) {
  if (!object) return nullptr;
  const NSObject* base = static_cast<const NSObject*>(object);
  return base->cfTypeID() == typeID() ? static_cast<const __CFString*>(base) : nullptr;
}

bool __CFString::isEqual(const NSObject* other) const {
  if (other == this) return true;
  const __CFString* string = from(other);
  return string && string->mCharacters == mCharacters;
}

unsigned long __CFString::hash() const {
  // FNV-1a over the UTF-16 units: equal strings hash alike whatever their history.
  unsigned long value = 14695981039346656037UL;
  for (char16_t unit : mCharacters) {
    value = (value ^ unit) * 1099511628211UL;
  }
  return value;
}

const __CFString* __CFString::copyDescription() const {
  if (!mMutable) return static_cast<const __CFString*>(retain());
  return CFStringText::create(mCharacters);
}

void __CFString::keepAsciiForm() {
  if (mMutable) return;
  for (char16_t unit : mCharacters) {
    if (unit >= 0x80) return;
  }
  mAsciiForm.assign(mCharacters.begin(), mCharacters.end());
  mHasAsciiForm = true;
}

CFTypeID CFStringGetTypeID(void) { return __CFString::typeID(); }

namespace CFStringText {

CFStringRef create(std::u16string characters) {
  __CFString* string = new __CFString(std::move(characters));
  string->keepAsciiForm();
  return string;
}

std::string utf8(CFStringRef string) {
  const __CFString* object = __CFString::from(string);
  return object ? CFStringEncodings::toUTF8(object->mCharacters) : std::string();
}

void report(const char* function, const char* problem) { std::fprintf(stderr, "CFString: %s: %s\n", function, problem); }

__CFString* mutableString(CFMutableStringRef string, const char* function) {
  const __CFString* object = __CFString::from(string);
  if (!object) {
    report(function, "not a string");
    return nullptr;
  }
  if (!object->mMutable) {
    report(function, "the string is immutable");
    return nullptr;
  }
  return const_cast<__CFString*>(object);
}

bool checkRange(const __CFString* string, CFRange range, const char* function) {
  CFIndex length = static_cast<CFIndex>(string->mCharacters.size());
  if (range.location < 0 || range.length < 0 || range.location > length || range.length > length - range.location) {
    report(function, "range out of bounds");
    return false;
  }
  return true;
}

}  // namespace CFStringText
