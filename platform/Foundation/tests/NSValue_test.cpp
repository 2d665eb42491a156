#include <Foundation/NSBridging.h>
#include <Foundation/NSString.h>
#include <Foundation/NSValue.h>
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

namespace {

TEST(NSNumber, DescribesEachKindAsTheValueItHolds) {
  objc::AutoreleasePool pool;
  const struct {
    NSNumber* number;
    const char* text;
    const char* type;
  } cases[] = {
      {NSNumber::numberWithInt(1), "1", "i"},
      {NSNumber::numberWithInt(-42), "-42", "i"},
      {NSNumber::numberWithBool(true), "1", "c"},
      {NSNumber::numberWithBool(false), "0", "c"},
      {NSNumber::numberWithLongLong(LLONG_MIN), "-9223372036854775808", "q"},
      {NSNumber::numberWithDouble(0.5), "0.5", "d"},
      {NSNumber::numberWithDouble(0.1), "0.1", "d"},
      {NSNumber::numberWithDouble(10.6), "10.6", "d"},
      {NSNumber::numberWithDouble(2.0), "2", "d"},
      {NSNumber::numberWithDouble(1e100), "1e+100", "d"},
      {NSNumber::numberWithFloat(0.1f), "0.1", "f"},
      {NSNumber::numberWithShort(-7), "-7", "s"},
  };
  for (const auto& item : cases) {
    EXPECT_STREQ(item.number->stringValue()->UTF8String(), item.text);
    EXPECT_STREQ(item.number->description()->UTF8String(), item.text);
    EXPECT_STREQ(item.number->objCType(), item.type) << item.text;
  }
}

TEST(NSNumber, ReadsAcrossKindsAsCDoes) {
  objc::AutoreleasePool pool;
  NSNumber* real = NSNumber::numberWithDouble(-2.75);
  EXPECT_EQ(real->intValue(), -2);
  EXPECT_TRUE(real->boolValue());
  EXPECT_DOUBLE_EQ(real->doubleValue(), -2.75);
  EXPECT_TRUE(NSNumber::numberWithDouble(0.25)->boolValue());  // a fraction is not false
  EXPECT_FALSE(NSNumber::numberWithDouble(0.0)->boolValue());
  EXPECT_EQ(NSNumber::numberWithBool(true)->intValue(), 1);
  EXPECT_DOUBLE_EQ(NSNumber::numberWithBool(true)->doubleValue(), 1.0);
  EXPECT_EQ(NSNumber::numberWithInt(300)->charValue(), char(300 & 0xFF));
  EXPECT_EQ(NSNumber::numberWithUnsignedLongLong(ULLONG_MAX)->unsignedLongLongValue(), ULLONG_MAX);
  EXPECT_EQ(NSNumber::numberWithDouble(1e300)->longLongValue(), LLONG_MAX);
  EXPECT_EQ(NSNumber::numberWithDouble(NAN)->intValue(), 0);
  EXPECT_TRUE(NSNumber::numberWithBool(true)->isBoolean());
  EXPECT_FALSE(NSNumber::numberWithInt(1)->isBoolean());
}

TEST(NSNumber, ComparesByValueWhateverTheKind) {
  objc::AutoreleasePool pool;
  NSNumber* one = NSNumber::numberWithInt(1);
  EXPECT_TRUE(one->isEqualToNumber(NSNumber::numberWithDouble(1.0)));
  EXPECT_TRUE(one->isEqualToNumber(NSNumber::numberWithBool(true)));
  EXPECT_EQ(one->compare(NSNumber::numberWithDouble(1.5)), NSOrderedAscending);
  EXPECT_EQ(NSNumber::numberWithLongLong(LLONG_MAX)->compare(NSNumber::numberWithLongLong(LLONG_MAX - 1)),
            NSOrderedDescending);
  EXPECT_EQ(one->compare(nullptr), NSOrderedDescending);
  EXPECT_FALSE(one->isEqualToNumber(nullptr));
}

TEST(NSValue, BoxesRangesPointersAndPlainBytes) {
  objc::AutoreleasePool pool;
  NSValue* range = NSValue::valueWithRange(NSMakeRange(3, 4));
  EXPECT_TRUE(NSEqualRanges(range->rangeValue(), NSMakeRange(3, 4)));
  EXPECT_STREQ(range->objCType(), "{_NSRange=QQ}");
  EXPECT_STREQ(range->description()->UTF8String(), "NSRange: {3, 4}");
  EXPECT_TRUE(range->isEqualToValue(NSValue::valueWithRange(NSMakeRange(3, 4))));
  EXPECT_FALSE(range->isEqualToValue(NSValue::valueWithRange(NSMakeRange(3, 5))));

  int target = 0;
  EXPECT_EQ(NSValue::valueWithPointer(&target)->pointerValue(), &target);

  struct Point {
    double x, y;
  } point{1.5, -2};
  NSValue* boxed = NSValue::valueWithBytes_objCType(&point, "{CGPoint=dd}");
  ASSERT_NE(boxed, nullptr);
  Point back{};
  boxed->getValue(&back);
  EXPECT_EQ(back.x, 1.5);
  EXPECT_EQ(back.y, -2);
  // An unknown type code is refused, so that no value is read past its end.
  EXPECT_EQ(NSValue::valueWithBytes_objCType(&point, "{Broken"), nullptr);
  EXPECT_EQ(NSValue::valueWithBytes_objCType(&point, "?"), nullptr);

  EXPECT_NE(NSDynamicCast<NSValue>(boxed), nullptr);
  EXPECT_EQ(NSDynamicCast<NSNumber>(boxed), nullptr);
  EXPECT_NE(NSDynamicCast<NSValue>(NSNumber::numberWithInt(1)), nullptr);
}

}  // namespace
