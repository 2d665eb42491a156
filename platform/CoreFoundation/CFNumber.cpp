#include <CoreFoundation/CFNumber.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>

#include <CoreFoundation/CFString.h>
#include <Foundation/NSValue.h>

#include "backend/CFCollectionCallBacks.h"

namespace {

// 2^63, the first double above every SInt64.
constexpr double kTwoTo63 = 9223372036854775808.0;

CFNumberType storedType(CFNumberType type) {
  switch (type) {
    case kCFNumberSInt8Type:
    case kCFNumberCharType:
      return kCFNumberSInt8Type;
    case kCFNumberSInt16Type:
    case kCFNumberShortType:
      return kCFNumberSInt16Type;
    case kCFNumberSInt32Type:
    case kCFNumberIntType:
      return kCFNumberSInt32Type;
    case kCFNumberSInt64Type:
    case kCFNumberLongType:
    case kCFNumberLongLongType:
    case kCFNumberCFIndexType:
    case kCFNumberNSIntegerType:
      return kCFNumberSInt64Type;
    case kCFNumberFloat32Type:
    case kCFNumberFloatType:
      return kCFNumberFloat32Type;
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType:
    case kCFNumberCGFloatType:
      return kCFNumberFloat64Type;
    default:
      return 0;
  }
}

const char* numberTypeName(CFNumberType type) {
  switch (type) {
    case kCFNumberSInt8Type: return "kCFNumberSInt8Type";
    case kCFNumberSInt16Type: return "kCFNumberSInt16Type";
    case kCFNumberSInt32Type: return "kCFNumberSInt32Type";
    case kCFNumberSInt64Type: return "kCFNumberSInt64Type";
    case kCFNumberFloat32Type: return "kCFNumberFloat32Type";
    default: return "kCFNumberFloat64Type";
  }
}

bool isFloat(CFNumberType stored) { return stored == kCFNumberFloat32Type || stored == kCFNumberFloat64Type; }

// Orders an integer against a double exactly, without rounding the integer to a double.
CFComparisonResult compareIntegerToReal(int64_t integer, double real) {
  if (std::isnan(real)) return kCFCompareGreaterThan;
  if (real >= kTwoTo63) return kCFCompareLessThan;
  if (real < -kTwoTo63) return kCFCompareGreaterThan;
  int64_t whole = static_cast<int64_t>(std::trunc(real));
  if (integer != whole) return integer < whole ? kCFCompareLessThan : kCFCompareGreaterThan;
  double fraction = real - std::trunc(real);
  if (fraction > 0) return kCFCompareLessThan;
  if (fraction < 0) return kCFCompareGreaterThan;
  return kCFCompareEqualTo;
}

template <class Integer>
bool storeInteger(int64_t value, void* out) {
  Integer clamped;
  bool exact = value >= std::numeric_limits<Integer>::min() && value <= std::numeric_limits<Integer>::max();
  if (exact) {
    clamped = static_cast<Integer>(value);
  } else {
    clamped = value < 0 ? std::numeric_limits<Integer>::min() : std::numeric_limits<Integer>::max();
  }
  std::memcpy(out, &clamped, sizeof clamped);
  return exact;
}

template <class Integer>
bool storeRealAsInteger(double value, void* out) {
  if (std::isnan(value)) {
    Integer zero = 0;
    std::memcpy(out, &zero, sizeof zero);
    return false;
  }
  double whole = std::trunc(value);
  int64_t truncated;
  bool inRange = whole >= -kTwoTo63 && whole < kTwoTo63;
  if (inRange) {
    truncated = static_cast<int64_t>(whole);
  } else {
    truncated = value < 0 ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
  }
  bool exact = storeInteger<Integer>(truncated, out);
  return exact && inRange && whole == value;
}

}  // namespace

struct __CFNumber : NSNumber {
  CFNumberType mType = 0;  // one of the fixed-size types
  int64_t mInteger = 0;
  double mReal = 0;

  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFNumber");
    return id;
  }
  static const char* typeName() { return "CFNumber"; }
  static const __CFNumber* from(CFTypeRef object) {
    auto* number = static_cast<const NSObject*>(object);
    return number && number->cfTypeID() == typeID() ? static_cast<const __CFNumber*>(number) : nullptr;
  }

  bool isReal() const { return isFloat(mType); }

  CFComparisonResult compare(const __CFNumber* other) const {
    if (!isReal() && !other->isReal()) {
      if (mInteger == other->mInteger) return kCFCompareEqualTo;
      return mInteger < other->mInteger ? kCFCompareLessThan : kCFCompareGreaterThan;
    }
    if (!isReal()) return compareIntegerToReal(mInteger, other->mReal);
    if (!other->isReal()) return -compareIntegerToReal(other->mInteger, mReal);
    // NaN sorts below every other value and equals itself, so that sorting stays consistent.
    bool nan = std::isnan(mReal), otherNaN = std::isnan(other->mReal);
    if (nan || otherNaN) return nan == otherNaN ? kCFCompareEqualTo : (nan ? kCFCompareLessThan : kCFCompareGreaterThan);
    if (mReal == other->mReal) return kCFCompareEqualTo;
    return mReal < other->mReal ? kCFCompareLessThan : kCFCompareGreaterThan;
  }

  unsigned long cfTypeID() const override { return typeID(); }

  bool isEqual(const NSObject* other) const override {
    const __CFNumber* number = from(other);
    return number && compare(number) == kCFCompareEqualTo;
  }

  // Equal numbers hash alike whatever their types: 2 and 2.0 are equal.
  unsigned long hash() const override {
    if (!isReal()) return static_cast<unsigned long>(mInteger);
    if (std::trunc(mReal) == mReal && mReal >= -kTwoTo63 && mReal < kTwoTo63) {
      return static_cast<unsigned long>(static_cast<int64_t>(mReal));
    }
    return std::hash<double>()(std::isnan(mReal) ? std::numeric_limits<double>::quiet_NaN() : mReal);
  }

  const __CFString* copyDescription() const override {
    char value[64];
    if (isReal()) {
      std::snprintf(value, sizeof value, "%+.17g", mReal);
    } else {
      std::snprintf(value, sizeof value, "%+lld", static_cast<long long>(mInteger));
    }
    char text[160];
    std::snprintf(text, sizeof text, "<CFNumber %p>{value = %s, type = %s}", static_cast<const void*>(this), value,
                  numberTypeName(mType));
    return CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
  }
};

struct __CFBoolean : NSNumber {
  explicit __CFBoolean(bool value) : mValue(value) { makeImmortal(); }
  const bool mValue;

  static CFTypeID typeID() {
    static const CFTypeID id = _CFRuntimeRegisterClass("CFBoolean");
    return id;
  }
  static const char* typeName() { return "CFBoolean"; }
  unsigned long cfTypeID() const override { return typeID(); }
  unsigned long hash() const override { return mValue ? 1 : 0; }
  const __CFString* copyDescription() const override {
    char text[96];
    std::snprintf(text, sizeof text, "<CFBoolean %p>{value = %s}", static_cast<const void*>(this),
                  mValue ? "true" : "false");
    return CFStringCreateWithCString(nullptr, text, kCFStringEncodingUTF8);
  }
};

// Process lifetime: the truth values stay usable after static destructors have run.
const CFBooleanRef kCFBooleanTrue = new __CFBoolean(true);
const CFBooleanRef kCFBooleanFalse = new __CFBoolean(false);

CFTypeID CFBooleanGetTypeID(void) { return __CFBoolean::typeID(); }

Boolean CFBooleanGetValue(CFBooleanRef boolean) {
  const __CFBoolean* object = CFCollection::checked<__CFBoolean>(boolean, "CFBooleanGetValue");
  return object && object->mValue;
}

CFTypeID CFNumberGetTypeID(void) { return __CFNumber::typeID(); }

CFNumberRef CFNumberCreate(CFAllocatorRef, CFNumberType theType, const void* valuePtr) {
  CFNumberType stored = storedType(theType);
  if (!stored || !valuePtr) {
    CFCollection::report("CFNumberCreate", "%s", valuePtr ? "unknown number type" : "no value");
    return nullptr;
  }
  auto* number = new __CFNumber();
  number->mType = stored;
  switch (theType) {
    case kCFNumberSInt8Type: number->mInteger = *static_cast<const int8_t*>(valuePtr); break;
    case kCFNumberCharType: number->mInteger = *static_cast<const signed char*>(valuePtr); break;
    case kCFNumberSInt16Type: number->mInteger = *static_cast<const int16_t*>(valuePtr); break;
    case kCFNumberShortType: number->mInteger = *static_cast<const short*>(valuePtr); break;
    case kCFNumberSInt32Type: number->mInteger = *static_cast<const int32_t*>(valuePtr); break;
    case kCFNumberIntType: number->mInteger = *static_cast<const int*>(valuePtr); break;
    case kCFNumberSInt64Type: number->mInteger = *static_cast<const int64_t*>(valuePtr); break;
    case kCFNumberLongType: number->mInteger = *static_cast<const long*>(valuePtr); break;
    case kCFNumberLongLongType: number->mInteger = *static_cast<const long long*>(valuePtr); break;
    case kCFNumberCFIndexType:
    case kCFNumberNSIntegerType: number->mInteger = *static_cast<const CFIndex*>(valuePtr); break;
    case kCFNumberFloat32Type:
    case kCFNumberFloatType: number->mReal = *static_cast<const float*>(valuePtr); break;
    default: number->mReal = *static_cast<const double*>(valuePtr); break;
  }
  return number;
}

CFNumberType CFNumberGetType(CFNumberRef number) {
  const __CFNumber* object = CFCollection::checked<__CFNumber>(number, "CFNumberGetType");
  return object ? object->mType : 0;
}

CFIndex CFNumberGetByteSize(CFNumberRef number) {
  const __CFNumber* object = CFCollection::checked<__CFNumber>(number, "CFNumberGetByteSize");
  if (!object) return 0;
  switch (object->mType) {
    case kCFNumberSInt8Type: return 1;
    case kCFNumberSInt16Type: return 2;
    case kCFNumberSInt32Type:
    case kCFNumberFloat32Type: return 4;
    default: return 8;
  }
}

Boolean CFNumberIsFloatType(CFNumberRef number) {
  const __CFNumber* object = CFCollection::checked<__CFNumber>(number, "CFNumberIsFloatType");
  return object && object->isReal();
}

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr) {
  const __CFNumber* object = CFCollection::checked<__CFNumber>(number, "CFNumberGetValue");
  CFNumberType wanted = storedType(theType);
  if (!object || !wanted || !valuePtr) return false;
  if (wanted == kCFNumberFloat32Type || wanted == kCFNumberFloat64Type) {
    double value = object->isReal() ? object->mReal : static_cast<double>(object->mInteger);
    bool exact;
    if (object->isReal()) {
      exact = true;
    } else {
      exact = value < kTwoTo63 && static_cast<int64_t>(value) == object->mInteger;
    }
    if (wanted == kCFNumberFloat32Type) {
      float single = static_cast<float>(value);
      exact = exact && (std::isnan(value) || static_cast<double>(single) == value);
      std::memcpy(valuePtr, &single, sizeof single);
    } else {
      std::memcpy(valuePtr, &value, sizeof value);
    }
    return exact;
  }
  switch (wanted) {
    case kCFNumberSInt8Type:
      return object->isReal() ? storeRealAsInteger<int8_t>(object->mReal, valuePtr)
                              : storeInteger<int8_t>(object->mInteger, valuePtr);
    case kCFNumberSInt16Type:
      return object->isReal() ? storeRealAsInteger<int16_t>(object->mReal, valuePtr)
                              : storeInteger<int16_t>(object->mInteger, valuePtr);
    case kCFNumberSInt32Type:
      return object->isReal() ? storeRealAsInteger<int32_t>(object->mReal, valuePtr)
                              : storeInteger<int32_t>(object->mInteger, valuePtr);
    default:
      return object->isReal() ? storeRealAsInteger<int64_t>(object->mReal, valuePtr)
                              : storeInteger<int64_t>(object->mInteger, valuePtr);
  }
}

CFComparisonResult CFNumberCompare(CFNumberRef number, CFNumberRef otherNumber, void*) {
  const __CFNumber* first = CFCollection::checked<__CFNumber>(number, "CFNumberCompare");
  const __CFNumber* second = CFCollection::checked<__CFNumber>(otherNumber, "CFNumberCompare");
  if (!first || !second) return first ? kCFCompareGreaterThan : (second ? kCFCompareLessThan : kCFCompareEqualTo);
  return first->compare(second);
}
