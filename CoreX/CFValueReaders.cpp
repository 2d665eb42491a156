#include "CFValueReaders.h"

#include <CoreFoundation/CFString.h>

#include "CFTypeIDCache.h"
#include "TCFString.h"

void CFValueHolder::release() {
  if (mValue && mOwned) CFRelease(mValue);
  mValue = nullptr;
  mOwned = false;
}

namespace CFValueReaders {

// The UTF-8 text of a string that the caller hands over (+1).
static bool textOfCopiedString(CFStringRef copied, std::string& text) {
  if (!copied) return false;
  TCFString string(copied, kCFTypeRef_Owned);
  return string.GetValue(text, kCFStringEncodingUTF8);
}

bool TypeIDDescription(CFTypeID typeID, std::string& text) {
  return textOfCopiedString(CFCopyTypeIDDescription(typeID), text);
}

bool Description(CFTypeRef value, std::string& text) {
  if (!value) return false;
  return textOfCopiedString(CFCopyDescription(value), text);
}

bool ValueAsText(CFTypeRef value, std::string& text) {
  if (!value) return false;
  if (CFGetTypeID(value) == CFTypeIDCache::String()) {
    TCFString string(static_cast<CFStringRef>(value), kCFTypeRef_NotOwned);
    return string.GetValue(text, kCFStringEncodingUTF8);
  }
  return Description(value, text);
}

static bool readNumber(CFNumberRef number, CFNumberType type, void* value) {
  if (!number || CFGetTypeID(number) != CFTypeIDCache::Number()) return false;
  return CFNumberGetValue(number, type, value);
}

bool NumberValue(CFNumberRef number, double& value) { return readNumber(number, kCFNumberDoubleType, &value); }
bool NumberValue(CFNumberRef number, float& value) { return readNumber(number, kCFNumberFloatType, &value); }
bool NumberValue(CFNumberRef number, long& value) { return readNumber(number, kCFNumberLongType, &value); }
bool NumberValue(CFNumberRef number, SInt32& value) { return readNumber(number, kCFNumberSInt32Type, &value); }
bool NumberValue(CFNumberRef number, UInt32& value) { return readNumber(number, kCFNumberSInt32Type, &value); }
bool NumberValue(CFNumberRef number, SInt16& value) { return readNumber(number, kCFNumberSInt16Type, &value); }

template <class T>
static bool numberOfValue(CFTypeRef value, T& number) {
  CFValueHolder holder(value, false);
  return NumberValue(static_cast<CFNumberRef>(holder.Get()), number);
}

bool NumberValue(CFTypeRef value, double& number) { return numberOfValue(value, number); }
bool NumberValue(CFTypeRef value, float& number) { return numberOfValue(value, number); }
bool NumberValue(CFTypeRef value, long& number) { return numberOfValue(value, number); }
bool NumberValue(CFTypeRef value, SInt32& number) { return numberOfValue(value, number); }
bool NumberValue(CFTypeRef value, UInt32& number) { return numberOfValue(value, number); }
bool NumberValue(CFTypeRef value, SInt16& number) { return numberOfValue(value, number); }

}  // namespace CFValueReaders
