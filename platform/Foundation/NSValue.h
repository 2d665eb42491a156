#pragma once
// NSNumber is CFNumber (or CFBoolean, for numberWithBool): an NSNumber* and a CFNumberRef
// point at the same object. NSValue, its superclass, also boxes a pointer, a range or any
// plain bytes with their Objective-C type code ("^v", "{_NSRange=QQ}"); those values are
// objects of their own, not CF types.
#include <CoreFoundation/CFNumber.h>
#include <Foundation/NSObjCRuntime.h>
#include <Foundation/NSObject.h>
#include <Foundation/NSRange.h>

#pragma GCC visibility push(default)

class NSString;

class NSValue : public NSObject {
 public:
  static Class class_();

  // Autoreleased. The bytes are copied; objCType names their type.
  static NSValue* valueWithBytes_objCType(const void* bytes, const char* objCType);
  static NSValue* valueWithPointer(const void* pointer);
  static NSValue* valueWithRange(NSRange range);

  // Copies the value into buffer, which must hold the type's size.
  void getValue(void* buffer) const;
  const char* objCType() const;
  const void* pointerValue() const;
  NSRange rangeValue() const;
  bool isEqualToValue(const NSValue* other) const;
  NSString* description() const;

  // The CF type id of the values that are not numbers.
  static CFTypeID concreteValueTypeID();

 protected:
  NSValue() = default;
};

class NSNumber : public NSValue {
 public:
  static Class class_();

  // Autoreleased. numberWithBool answers one of the two immortal truth values.
  static NSNumber* numberWithBool(bool value);
  static NSNumber* numberWithChar(char value);
  static NSNumber* numberWithShort(short value);
  static NSNumber* numberWithUnsignedShort(unsigned short value);
  static NSNumber* numberWithInt(int value);
  static NSNumber* numberWithUnsignedInt(unsigned int value);
  static NSNumber* numberWithLong(long value);
  static NSNumber* numberWithUnsignedLong(unsigned long value);
  static NSNumber* numberWithLongLong(long long value);
  // Values above LLONG_MAX are kept as their 64-bit pattern: unsignedLongLongValue answers
  // them unchanged, the signed readers and the description see them as negative.
  static NSNumber* numberWithUnsignedLongLong(unsigned long long value);
  static NSNumber* numberWithInteger(NSInteger value);
  static NSNumber* numberWithUnsignedInteger(NSUInteger value);
  static NSNumber* numberWithFloat(float value);
  static NSNumber* numberWithDouble(double value);

  CFNumberRef cfNumber() const { return reinterpret_cast<CFNumberRef>(this); }
  bool isBoolean() const;
  bool isFloatingPoint() const;

  // Readers convert as C does: a fraction is cut off, a value out of range wraps or clamps.
  bool boolValue() const;
  char charValue() const;
  short shortValue() const;
  unsigned short unsignedShortValue() const;
  int intValue() const;
  unsigned int unsignedIntValue() const;
  long longValue() const;
  unsigned long unsignedLongValue() const;
  long long longLongValue() const;
  unsigned long long unsignedLongLongValue() const;
  NSInteger integerValue() const;
  NSUInteger unsignedIntegerValue() const;
  float floatValue() const;
  double doubleValue() const;

  // "c" for booleans, else the type the number keeps ("i", "q", "f", "d", "s").
  const char* objCType() const;
  // Numeric order across kinds: 1, 1.0 and YES are equal.
  NSComparisonResult compare(const NSNumber* other) const;
  bool isEqualToNumber(const NSNumber* other) const;
  // Integers in decimal, booleans as 1 or 0, reals in the shortest form that reads back the
  // same value ("0.5", "0.1", "1e+100").
  NSString* stringValue() const;
  NSString* description() const { return stringValue(); }

 protected:
  NSNumber() = default;
};

#pragma GCC visibility pop
