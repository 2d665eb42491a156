#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "backend/FoundationSupport.h"
#include "backend/NSViewClass.h"

NS_VIEW_CLASS_DEFINE(NSValue, NSObject)
NS_VIEW_CLASS_DEFINE(NSNumber, NSValue)

namespace {

constexpr const char* kRangeType = "{_NSRange=QQ}";
constexpr const char* kPointerType = "^v";

struct TypeLayout {
  size_t size = 0;
  size_t alignment = 1;
};

// Size and alignment of an Objective-C type code: scalars, pointers and structs of them.
// Answers false for codes it does not know, so that no value is read past its end.
bool layoutOf(const char*& type, TypeLayout& layout) {
  auto scalar = [&](size_t size) {
    layout = {size, size};
    ++type;
    return true;
  };
  switch (*type) {
    case 'c':
    case 'C':
    case 'B':
      return scalar(1);
    case 's':
    case 'S':
      return scalar(2);
    case 'i':
    case 'I':
    case 'f':
      return scalar(4);
    case 'l':
    case 'L':
    case 'q':
    case 'Q':
    case 'd':
    case '*':
    case '@':
    case ':':
    case '#':
      return scalar(8);
    case '^': {
      ++type;
      TypeLayout pointee;
      if (!layoutOf(type, pointee)) return false;
      layout = {sizeof(void*), alignof(void*)};
      return true;
    }
    case 'v':
      return scalar(0);
    case '{': {
      const char* equals = std::strchr(type, '=');
      if (!equals) return false;
      type = equals + 1;
      TypeLayout total;
      while (*type && *type != '}') {
        TypeLayout member;
        if (!layoutOf(type, member)) return false;
        total.size = (total.size + member.alignment - 1) / member.alignment * member.alignment + member.size;
        total.alignment = std::max(total.alignment, member.alignment);
      }
      if (*type != '}') return false;
      ++type;
      total.size = (total.size + total.alignment - 1) / total.alignment * total.alignment;
      layout = total;
      return true;
    }
    default:
      return false;
  }
}

// A boxed value that is not a number: its bytes and its type code.
struct ConcreteValue : NSValue {
  ConcreteValue(const void* bytes, size_t size, std::string type)
      : mBytes(static_cast<const char*>(bytes), size), mType(std::move(type)) {}

  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("NSValue");
    return id;
  }
  static const ConcreteValue* from(const NSObject* object) {
    return object && object->cfTypeID() == typeID() ? static_cast<const ConcreteValue*>(object) : nullptr;
  }
  unsigned long cfTypeID() const override { return typeID(); }
  bool isEqual(const NSObject* other) const override {
    const ConcreteValue* value = from(other);
    return value && value->mType == mType && value->mBytes == mBytes;
  }
  unsigned long hash() const override { return std::hash<std::string>()(mBytes); }
  const __CFString* copyDescription() const override {
    std::string text;
    if (mType == kRangeType) {
      NSRange range;
      std::memcpy(&range, mBytes.data(), sizeof range);
      text = "NSRange: {" + std::to_string(range.location) + ", " + std::to_string(range.length) + "}";
    } else {
      static const char digits[] = "0123456789abcdef";
      text = "<";
      for (size_t i = 0; i < mBytes.size(); ++i) {
        if (i > 0 && i % 4 == 0) text += ' ';
        text += digits[static_cast<unsigned char>(mBytes[i]) >> 4];
        text += digits[static_cast<unsigned char>(mBytes[i]) & 15];
      }
      text += ">";
    }
    return CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
  }

  std::string mBytes;
  std::string mType;
};

NSNumber* makeNumber(CFNumberType type, const void* value) {
  return Foundation::autoreleased<NSNumber>(CFNumberCreate(nullptr, type, value));
}

bool isBooleanObject(const NSNumber* number) { return number && number->cfTypeID() == CFBooleanGetTypeID(); }

long long integerOf(const NSNumber* number) {
  if (!number) return 0;
  if (isBooleanObject(number)) return CFBooleanGetValue(reinterpret_cast<CFBooleanRef>(number)) ? 1 : 0;
  if (CFNumberIsFloatType(number->cfNumber())) {
    double real = 0;
    CFNumberGetValue(number->cfNumber(), kCFNumberFloat64Type, &real);
    if (std::isnan(real)) return 0;
    if (real >= 9223372036854775807.0) return INT64_MAX;
    if (real <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<long long>(real);
  }
  long long value = 0;
  CFNumberGetValue(number->cfNumber(), kCFNumberSInt64Type, &value);
  return value;
}

double realOf(const NSNumber* number) {
  if (!number) return 0;
  if (isBooleanObject(number)) return integerOf(number);
  double value = 0;
  CFNumberGetValue(number->cfNumber(), kCFNumberFloat64Type, &value);
  return value;
}

// The shortest %g text that reads back as the same value of the number's own precision.
std::string shortestReal(double value, bool single) {
  char text[64];
  for (int precision = 1; precision <= 17; ++precision) {
    std::snprintf(text, sizeof text, "%.*g", precision, value);
    if (single ? std::strtof(text, nullptr) == static_cast<float>(value)
               : std::strtod(text, nullptr) == value)
      break;
  }
  return text;
}

}  // namespace

CFTypeID NSValue::concreteValueTypeID() { return ConcreteValue::typeID(); }

NSValue* NSValue::valueWithBytes_objCType(const void* bytes, const char* objCType) {
  if (!bytes || !objCType) return nullptr;
  const char* cursor = objCType;
  TypeLayout layout;
  if (!layoutOf(cursor, layout) || *cursor) {
    std::fprintf(stderr, "NSValue: cannot box a value of type \"%s\"\n", objCType);
    return nullptr;
  }
  return Foundation::autoreleased<NSValue>(new ConcreteValue(bytes, layout.size, objCType));
}

NSValue* NSValue::valueWithPointer(const void* pointer) {
  return valueWithBytes_objCType(&pointer, kPointerType);
}

NSValue* NSValue::valueWithRange(NSRange range) { return valueWithBytes_objCType(&range, kRangeType); }

void NSValue::getValue(void* buffer) const {
  if (const ConcreteValue* value = ConcreteValue::from(this)) {
    std::memcpy(buffer, value->mBytes.data(), value->mBytes.size());
    return;
  }
  auto* number = static_cast<const NSNumber*>(this);
  if (number->isFloatingPoint()) {
    double real = realOf(number);
    std::memcpy(buffer, &real, sizeof real);
  } else {
    long long integer = integerOf(number);
    std::memcpy(buffer, &integer, sizeof integer);
  }
}

const char* NSValue::objCType() const {
  if (const ConcreteValue* value = ConcreteValue::from(this)) return value->mType.c_str();
  return static_cast<const NSNumber*>(this)->objCType();
}

const void* NSValue::pointerValue() const {
  const ConcreteValue* value = ConcreteValue::from(this);
  if (!value || value->mBytes.size() != sizeof(void*)) return nullptr;
  const void* pointer;
  std::memcpy(&pointer, value->mBytes.data(), sizeof pointer);
  return pointer;
}

NSRange NSValue::rangeValue() const {
  NSRange range{0, 0};
  const ConcreteValue* value = ConcreteValue::from(this);
  if (value && value->mBytes.size() == sizeof range) std::memcpy(&range, value->mBytes.data(), sizeof range);
  return range;
}

bool NSValue::isEqualToValue(const NSValue* other) const { return other && CFEqual(this, other); }

NSString* NSValue::description() const {
  if (!ConcreteValue::from(this)) return static_cast<const NSNumber*>(this)->stringValue();
  return Foundation::autoreleased<NSString>(CFCopyDescription(this));
}

NSNumber* NSNumber::numberWithBool(bool value) {
  return bridge_cast<NSNumber*>(value ? kCFBooleanTrue : kCFBooleanFalse);
}
NSNumber* NSNumber::numberWithChar(char value) { return makeNumber(kCFNumberCharType, &value); }
NSNumber* NSNumber::numberWithShort(short value) { return makeNumber(kCFNumberShortType, &value); }
NSNumber* NSNumber::numberWithUnsignedShort(unsigned short value) { return numberWithInt(value); }
NSNumber* NSNumber::numberWithInt(int value) { return makeNumber(kCFNumberIntType, &value); }
NSNumber* NSNumber::numberWithUnsignedInt(unsigned int value) { return numberWithLongLong(value); }
NSNumber* NSNumber::numberWithLong(long value) { return makeNumber(kCFNumberLongType, &value); }
NSNumber* NSNumber::numberWithUnsignedLong(unsigned long value) { return numberWithUnsignedLongLong(value); }
NSNumber* NSNumber::numberWithLongLong(long long value) { return makeNumber(kCFNumberLongLongType, &value); }
NSNumber* NSNumber::numberWithUnsignedLongLong(unsigned long long value) {
  long long pattern = static_cast<long long>(value);
  return makeNumber(kCFNumberLongLongType, &pattern);
}
NSNumber* NSNumber::numberWithInteger(NSInteger value) { return numberWithLong(value); }
NSNumber* NSNumber::numberWithUnsignedInteger(NSUInteger value) { return numberWithUnsignedLong(value); }
NSNumber* NSNumber::numberWithFloat(float value) { return makeNumber(kCFNumberFloatType, &value); }
NSNumber* NSNumber::numberWithDouble(double value) { return makeNumber(kCFNumberDoubleType, &value); }

bool NSNumber::isBoolean() const { return isBooleanObject(this); }

bool NSNumber::isFloatingPoint() const { return !isBoolean() && CFNumberIsFloatType(cfNumber()); }

bool NSNumber::boolValue() const { return isFloatingPoint() ? realOf(this) != 0 : integerOf(this) != 0; }
char NSNumber::charValue() const { return static_cast<char>(integerOf(this)); }
short NSNumber::shortValue() const { return static_cast<short>(integerOf(this)); }
unsigned short NSNumber::unsignedShortValue() const { return static_cast<unsigned short>(integerOf(this)); }
int NSNumber::intValue() const { return static_cast<int>(integerOf(this)); }
unsigned int NSNumber::unsignedIntValue() const { return static_cast<unsigned int>(integerOf(this)); }
long NSNumber::longValue() const { return static_cast<long>(integerOf(this)); }
unsigned long NSNumber::unsignedLongValue() const { return static_cast<unsigned long>(integerOf(this)); }
long long NSNumber::longLongValue() const { return integerOf(this); }
unsigned long long NSNumber::unsignedLongLongValue() const {
  return static_cast<unsigned long long>(integerOf(this));
}
NSInteger NSNumber::integerValue() const { return longValue(); }
NSUInteger NSNumber::unsignedIntegerValue() const { return unsignedLongValue(); }
float NSNumber::floatValue() const { return static_cast<float>(realOf(this)); }
double NSNumber::doubleValue() const { return realOf(this); }

const char* NSNumber::objCType() const {
  if (isBoolean()) return "c";
  switch (CFNumberGetType(cfNumber())) {
    case kCFNumberSInt8Type:
      return "c";
    case kCFNumberSInt16Type:
      return "s";
    case kCFNumberSInt32Type:
      return "i";
    case kCFNumberFloat32Type:
      return "f";
    case kCFNumberFloat64Type:
      return "d";
    default:
      return "q";
  }
}

NSComparisonResult NSNumber::compare(const NSNumber* other) const {
  if (!other) return NSOrderedDescending;
  if (!isFloatingPoint() && !other->isFloatingPoint()) {
    long long a = integerOf(this), b = integerOf(other);
    return a < b ? NSOrderedAscending : a > b ? NSOrderedDescending : NSOrderedSame;
  }
  double a = realOf(this), b = realOf(other);
  return a < b ? NSOrderedAscending : a > b ? NSOrderedDescending : NSOrderedSame;
}

bool NSNumber::isEqualToNumber(const NSNumber* other) const {
  return other && compare(other) == NSOrderedSame;
}

NSString* NSNumber::stringValue() const {
  std::string text;
  if (isFloatingPoint()) {
    text = shortestReal(realOf(this), CFNumberGetType(cfNumber()) == kCFNumberFloat32Type);
  } else {
    text = std::to_string(integerOf(this));
  }
  return NSString::stringWithUTF8String(text.c_str());
}
