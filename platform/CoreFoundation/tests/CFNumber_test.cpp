#include <CoreFoundation/CFNumber.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <CoreFoundation/CFString.h>
#include <objc/RefPtr.h>

namespace {

using Number = RefPtr<const __CFNumber>;

Number makeInteger(int64_t value) { return adopt(CFNumberCreate(nullptr, kCFNumberSInt64Type, &value)); }
Number makeReal(double value) { return adopt(CFNumberCreate(nullptr, kCFNumberFloat64Type, &value)); }

// One stored value read back as one type: what comes out and whether it was exact.
struct Conversion {
  const char* name;
  Number number;
  CFNumberType asked;
  double expected;  // compared after reading into the asked type
  bool exact;
};

double readAs(CFNumberRef number, CFNumberType type, bool& exact) {
  switch (type) {
    case kCFNumberSInt8Type: {
      int8_t value = 0;
      exact = CFNumberGetValue(number, type, &value);
      return value;
    }
    case kCFNumberSInt16Type:
    case kCFNumberShortType: {
      int16_t value = 0;
      exact = CFNumberGetValue(number, type, &value);
      return value;
    }
    case kCFNumberSInt32Type:
    case kCFNumberIntType: {
      int32_t value = 0;
      exact = CFNumberGetValue(number, type, &value);
      return value;
    }
    case kCFNumberFloat32Type:
    case kCFNumberFloatType: {
      float value = 0;
      exact = CFNumberGetValue(number, type, &value);
      return value;
    }
    case kCFNumberFloat64Type:
    case kCFNumberDoubleType: {
      double value = 0;
      exact = CFNumberGetValue(number, type, &value);
      return value;
    }
    default: {
      int64_t value = 0;
      exact = CFNumberGetValue(number, type, &value);
      return static_cast<double>(value);
    }
  }
}

TEST(CFNumber, ConvertsToEveryTypeAndSaysWhenItLosesSomething) {
  const std::vector<Conversion> table = {
      {"int as int", makeInteger(42), kCFNumberIntType, 42, true},
      {"negative int as SInt8", makeInteger(-128), kCFNumberSInt8Type, -128, true},
      {"int above SInt8 clamps", makeInteger(300), kCFNumberSInt8Type, 127, false},
      {"int below SInt16 clamps", makeInteger(-40000), kCFNumberShortType, -32768, false},
      {"int above SInt32 clamps", makeInteger(int64_t{1} << 40), kCFNumberSInt32Type, 2147483647, false},
      {"int as double", makeInteger(7), kCFNumberDoubleType, 7, true},
      {"2^53+1 as double rounds", makeInteger((int64_t{1} << 53) + 1), kCFNumberFloat64Type, 9007199254740992.0,
       false},
      {"2^24+1 as float rounds", makeInteger((int64_t{1} << 24) + 1), kCFNumberFloatType, 16777216.0, false},
      {"2.5 as int truncates", makeReal(2.5), kCFNumberIntType, 2, false},
      {"-2.5 as int truncates toward zero", makeReal(-2.5), kCFNumberIntType, -2, false},
      {"2.0 as int", makeReal(2.0), kCFNumberIntType, 2, true},
      {"1e20 as SInt64 clamps", makeReal(1e20), kCFNumberSInt64Type, 9223372036854775807.0, false},
      {"NaN as int", makeReal(std::nan("")), kCFNumberIntType, 0, false},
      {"0.1 as float rounds", makeReal(0.1), kCFNumberFloatType, 0.1f, false},
      {"0.5 as float", makeReal(0.5), kCFNumberFloat32Type, 0.5, true},
  };
  for (const Conversion& row : table) {
    bool exact = !row.exact;
    double value = readAs(row.number.get(), row.asked, exact);
    EXPECT_EQ(value, row.expected) << row.name;
    EXPECT_EQ(exact, row.exact) << row.name;
  }
}

TEST(CFNumber, KeepsTheFixedSizeTypeItWasMadeFrom) {
  struct Row {
    CFNumberType made;
    CFNumberType kept;
    CFIndex size;
    bool isFloat;
  };
  const Row table[] = {
      {kCFNumberCharType, kCFNumberSInt8Type, 1, false},   {kCFNumberShortType, kCFNumberSInt16Type, 2, false},
      {kCFNumberIntType, kCFNumberSInt32Type, 4, false},   {kCFNumberLongType, kCFNumberSInt64Type, 8, false},
      {kCFNumberCFIndexType, kCFNumberSInt64Type, 8, false}, {kCFNumberFloatType, kCFNumberFloat32Type, 4, true},
      {kCFNumberCGFloatType, kCFNumberFloat64Type, 8, true},
  };
  for (const Row& row : table) {
    alignas(8) unsigned char zero[8] = {};
    Number number = adopt(CFNumberCreate(nullptr, row.made, zero));
    ASSERT_TRUE(number) << row.made;
    EXPECT_EQ(CFNumberGetType(number.get()), row.kept) << row.made;
    EXPECT_EQ(CFNumberGetByteSize(number.get()), row.size) << row.made;
    EXPECT_EQ(CFNumberIsFloatType(number.get()), row.isFloat) << row.made;
  }
  int value = 1;
  EXPECT_EQ(CFNumberCreate(nullptr, 99, &value), nullptr);
}

TEST(CFNumber, ComparesAcrossIntegerAndRealExactly) {
  Number two = makeInteger(2), twoReal = makeReal(2.0), twoAndAHalf = makeReal(2.5);
  Number big = makeInteger((int64_t{1} << 53) + 1), bigReal = makeReal(9007199254740992.0);
  EXPECT_EQ(CFNumberCompare(two.get(), twoReal.get(), nullptr), kCFCompareEqualTo);
  EXPECT_EQ(CFNumberCompare(two.get(), twoAndAHalf.get(), nullptr), kCFCompareLessThan);
  EXPECT_EQ(CFNumberCompare(twoAndAHalf.get(), two.get(), nullptr), kCFCompareGreaterThan);
  // 2^53 + 1 is above the double 2^53, although both round to the same double.
  EXPECT_EQ(CFNumberCompare(big.get(), bigReal.get(), nullptr), kCFCompareGreaterThan);
  EXPECT_TRUE(CFEqual(two.get(), twoReal.get()));
  EXPECT_EQ(CFHash(two.get()), CFHash(twoReal.get()));
  EXPECT_FALSE(CFEqual(two.get(), twoAndAHalf.get()));
  EXPECT_FALSE(CFEqual(two.get(), kCFBooleanTrue));
}

TEST(CFNumber, DescribesValueAndType) {
  Number number = makeInteger(-5);
  CFStringRef description = CFCopyDescription(number.get());
  char text[256];
  ASSERT_TRUE(CFStringGetCString(description, text, sizeof text, kCFStringEncodingUTF8));
  CFRelease(description);
  EXPECT_NE(std::string(text).find("value = -5, type = kCFNumberSInt64Type"), std::string::npos) << text;
  EXPECT_EQ(CFGetTypeID(number.get()), CFNumberGetTypeID());
}

TEST(CFBoolean, AreTwoImmortalValues) {
  EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
  EXPECT_FALSE(CFBooleanGetValue(kCFBooleanFalse));
  EXPECT_EQ(CFGetTypeID(kCFBooleanTrue), CFBooleanGetTypeID());
  EXPECT_NE(CFBooleanGetTypeID(), CFNumberGetTypeID());
  CFRelease(kCFBooleanTrue);
  CFRelease(kCFBooleanTrue);
  EXPECT_TRUE(CFBooleanGetValue(kCFBooleanTrue));
  EXPECT_FALSE(CFEqual(kCFBooleanTrue, kCFBooleanFalse));
  // A number is not a boolean: reading one as such is reported, not trusted.
  Number one = makeInteger(1);
  EXPECT_FALSE(CFBooleanGetValue(reinterpret_cast<CFBooleanRef>(one.get())));
}

}  // namespace
