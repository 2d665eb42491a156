#include <CoreFoundation/CFString.h>
#include <CoreMedia/CMTime.h>
#include <CoreMedia/CMTimeRange.h>
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

std::string describe(CMTime time) {
  CFStringRef description = CMTimeCopyDescription(nullptr, time);
  char text[200] = {};
  CFStringGetCString(description, text, sizeof text, kCFStringEncodingUTF8);
  CFRelease(description);
  return text;
}

const CMTime kRounded = {1, 3, kCMTimeFlags_Valid | kCMTimeFlags_HasBeenRounded, 0};

TEST(CMTime, ArithmeticAndDescriptions) {
  struct Case {
    const char* what;
    CMTime result;
    const char* expected;
  } cases[] = {
      {"same timescale", CMTimeAdd(CMTimeMake(1, 30), CMTimeMake(2, 30)), "{3/30 = 0.100}"},
      {"common multiple", CMTimeAdd(CMTimeMake(1, 30), CMTimeMake(1, 25)), "{11/150 = 0.073}"},
      {"difference", CMTimeSubtract(CMTimeMake(1, 2), CMTimeMake(3, 4)), "{-1/4 = -0.250}"},
      {"stream tick", CMTimeAdd(CMTimeMake(123456, 2900), CMTimeMake(5 * 96, 2900)),
       "{123936/2900 = 42.737}"},
      // Timescales whose multiple does not fit are rounded into the largest timescale.
      {"no common timescale", CMTimeAdd(CMTimeMake(1, 1000000007), CMTimeMake(1, 1000000009)),
       "{4/2147483647 = 0.000, rounded}"},
      {"multiply", CMTimeMultiply(CMTimeMake(96, 2900), 10), "{960/2900 = 0.331}"},
      {"multiply by float", CMTimeMultiplyByFloat64(CMTimeMake(10, 3), 0.25), "{3/3 = 1.000, rounded}"},
      {"ratio", CMTimeMultiplyByRatio(CMTimeMake(10, 100), 1, 3), "{3/100 = 0.030, rounded}"},
      {"rounding is carried", CMTimeAdd(kRounded, CMTimeMake(1, 3)), "{2/3 = 0.667, rounded}"},
      {"epoch", CMTimeAdd(CMTimeMakeWithEpoch(1, 10, 2), CMTimeMakeWithEpoch(1, 10, 2)),
       "{2/10 = 0.200, epoch 2}"},
      {"epochs differ", CMTimeAdd(CMTimeMakeWithEpoch(1, 10, 1), CMTimeMake(1, 10)), "{INVALID}"},
      {"invalid operand", CMTimeAdd(kCMTimeInvalid, CMTimeMake(1, 10)), "{INVALID}"},
      {"zero timescale", CMTimeMake(5, 0), "{INVALID}"},
      {"infinity wins", CMTimeAdd(kCMTimePositiveInfinity, CMTimeMake(1, 10)), "{+INFINITY}"},
      {"opposite infinities", CMTimeAdd(kCMTimePositiveInfinity, kCMTimeNegativeInfinity), "{INDEFINITE}"},
      {"minus minus infinity", CMTimeSubtract(CMTimeMake(1, 1), kCMTimeNegativeInfinity), "{+INFINITY}"},
      {"indefinite", CMTimeSubtract(kCMTimeIndefinite, kCMTimeZero), "{INDEFINITE}"},
      {"overflow", CMTimeAdd(CMTimeMake(INT64_MAX, 1), CMTimeMake(1, 1)), "{+INFINITY}"},
      {"negative overflow", CMTimeMultiply(CMTimeMake(INT64_MIN / 2, 1), 3), "{-INFINITY}"},
      {"infinity times negative", CMTimeMultiply(kCMTimePositiveInfinity, -2), "{-INFINITY}"},
      {"seconds", CMTimeMakeWithSeconds(1.5, 600), "{900/600 = 1.500}"},
      {"seconds rounded", CMTimeMakeWithSeconds(0.1, 3), "{0/3 = 0.000, rounded}"},
      {"seconds too large for the timescale", CMTimeMakeWithSeconds(1e12, 1000000000),
       "{7812500000000000000/7812500 = 1000000000000.000}"},
      {"seconds not a number", CMTimeMakeWithSeconds(NAN, 600), "{INVALID}"},
  };
  for (const Case& c : cases) EXPECT_EQ(describe(c.result), c.expected) << c.what;
}

TEST(CMTime, ConvertScaleRoundsAsAsked) {
  struct Case {
    CMTimeValue value;
    CMTimeRoundingMethod method;
    CMTimeValue expected;
  } cases[] = {
      // 5/10 and -5/10 to timescale 4 are 2 and -2 exactly; 7/10 is 2.8; 6/10 is 2.4.
      {5, kCMTimeRoundingMethod_RoundHalfAwayFromZero, 2},
      {7, kCMTimeRoundingMethod_RoundHalfAwayFromZero, 3},
      {6, kCMTimeRoundingMethod_RoundHalfAwayFromZero, 2},
      {-7, kCMTimeRoundingMethod_RoundHalfAwayFromZero, -3},
      {7, kCMTimeRoundingMethod_RoundTowardZero, 2},
      {-7, kCMTimeRoundingMethod_RoundTowardZero, -2},
      {6, kCMTimeRoundingMethod_RoundAwayFromZero, 3},
      {-6, kCMTimeRoundingMethod_RoundAwayFromZero, -3},
      {6, kCMTimeRoundingMethod_RoundTowardPositiveInfinity, 3},
      {-6, kCMTimeRoundingMethod_RoundTowardPositiveInfinity, -2},
      {6, kCMTimeRoundingMethod_RoundTowardNegativeInfinity, 2},
      {-6, kCMTimeRoundingMethod_RoundTowardNegativeInfinity, -3},
      {7, kCMTimeRoundingMethod_QuickTime, 2},
  };
  for (const Case& c : cases) {
    const CMTime converted = CMTimeConvertScale(CMTimeMake(c.value, 10), 4, c.method);
    EXPECT_EQ(converted.value, c.expected) << c.value << "/10 method " << c.method;
    EXPECT_EQ(converted.timescale, 4);
    EXPECT_EQ(CMTIME_HAS_BEEN_ROUNDED(converted), c.value % 5 != 0);
  }
  EXPECT_TRUE(CMTIME_IS_INVALID(CMTimeConvertScale(CMTimeMake(1, 10), 0, kCMTimeRoundingMethod_Default)));
  EXPECT_TRUE(CMTIME_IS_POSITIVE_INFINITY(
      CMTimeConvertScale(kCMTimePositiveInfinity, 10, kCMTimeRoundingMethod_Default)));
}

TEST(CMTime, CompareOrdersEveryKindOfTime) {
  // From smallest to largest; times of one group are equal.
  const std::vector<std::vector<CMTime>> order = {
      {kCMTimeNegativeInfinity},
      {CMTimeMake(-1, 1)},
      {kCMTimeZero, CMTimeMake(0, 600)},
      {CMTimeMake(1, 3), CMTimeMake(1000, 3000)},
      {CMTimeMake(INT64_MAX, 1)},
      {CMTimeMakeWithEpoch(-5, 1, 1)},  // a later epoch is later whatever the value
      {kCMTimeIndefinite},
      {kCMTimePositiveInfinity},
      {kCMTimeInvalid, CMTimeMake(1, 0)},
  };
  for (size_t i = 0; i < order.size(); ++i) {
    for (size_t j = 0; j < order.size(); ++j) {
      for (const CMTime& a : order[i]) {
        for (const CMTime& b : order[j]) {
          const int expected = i < j ? -1 : i > j ? 1 : 0;
          EXPECT_EQ(CMTimeCompare(a, b), expected) << describe(a) << " vs " << describe(b);
        }
      }
    }
  }
  EXPECT_EQ(CMTimeCompare(CMTimeMinimum(kCMTimeInvalid, CMTimeMake(1, 2)), CMTimeMake(1, 2)), 0);
  EXPECT_TRUE(CMTIME_IS_INVALID(CMTimeMaximum(kCMTimeInvalid, CMTimeMake(1, 2))));
  EXPECT_EQ(CMTimeAbsoluteValue(CMTimeMake(-3, 4)).value, 3);
}

TEST(CMTime, SecondsOfEveryKindOfTime) {
  EXPECT_DOUBLE_EQ(CMTimeGetSeconds(CMTimeMake(96, 2900)), 96.0 / 2900);
  EXPECT_TRUE(std::isnan(CMTimeGetSeconds(kCMTimeInvalid)));
  EXPECT_TRUE(std::isnan(CMTimeGetSeconds(kCMTimeIndefinite)));
  EXPECT_EQ(CMTimeGetSeconds(kCMTimePositiveInfinity), INFINITY);
  EXPECT_EQ(CMTimeGetSeconds(kCMTimeNegativeInfinity), -INFINITY);
}

TEST(CMTimeRange, EndAndContainment) {
  const CMTimeRange range = CMTimeRangeMake(CMTimeMake(1, 1), CMTimeMake(2, 1));
  EXPECT_EQ(CMTimeCompare(CMTimeRangeGetEnd(range), CMTimeMake(3, 1)), 0);
  EXPECT_TRUE(CMTimeRangeContainsTime(range, CMTimeMake(1, 1)));
  EXPECT_FALSE(CMTimeRangeContainsTime(range, CMTimeMake(3, 1)));
  EXPECT_FALSE(CMTIMERANGE_IS_VALID(CMTimeRangeMake(CMTimeMake(1, 1), CMTimeMake(-1, 1))));
  EXPECT_TRUE(CMTIME_IS_INVALID(CMTimeRangeGetEnd(kCMTimeRangeInvalid)));
}

}  // namespace
