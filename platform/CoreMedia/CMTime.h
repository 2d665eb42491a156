#pragma once
// Rational times: value / timescale seconds, with flags for the times that are no number.
#include <CoreFoundation/CFBase.h>
#include <CoreMedia/CMBase.h>

typedef int64_t CMTimeValue;
typedef int32_t CMTimeScale;
typedef int64_t CMTimeEpoch;

#define kCMTimeMaxTimescale 0x7fffffffL

typedef uint32_t CMTimeFlags;
enum : CMTimeFlags {
  kCMTimeFlags_Valid = 1UL << 0,
  kCMTimeFlags_HasBeenRounded = 1UL << 1,
  kCMTimeFlags_PositiveInfinity = 1UL << 2,
  kCMTimeFlags_NegativeInfinity = 1UL << 3,
  kCMTimeFlags_Indefinite = 1UL << 4,
  kCMTimeFlags_ImpliedValueFlagsMask =
      kCMTimeFlags_PositiveInfinity | kCMTimeFlags_NegativeInfinity | kCMTimeFlags_Indefinite,
};

struct CMTime {
  CMTimeValue value;
  CMTimeScale timescale;
  CMTimeFlags flags;
  CMTimeEpoch epoch;
};

typedef uint32_t CMTimeRoundingMethod;
enum : CMTimeRoundingMethod {
  kCMTimeRoundingMethod_RoundHalfAwayFromZero = 1,
  kCMTimeRoundingMethod_RoundTowardZero = 2,
  kCMTimeRoundingMethod_RoundAwayFromZero = 3,
  kCMTimeRoundingMethod_QuickTime = 4,
  kCMTimeRoundingMethod_RoundTowardPositiveInfinity = 5,
  kCMTimeRoundingMethod_RoundTowardNegativeInfinity = 6,
  kCMTimeRoundingMethod_Default = kCMTimeRoundingMethod_RoundHalfAwayFromZero,
};

#define CMTIME_IS_VALID(time) ((Boolean)(((time).flags & kCMTimeFlags_Valid) != 0))
#define CMTIME_IS_INVALID(time) (!CMTIME_IS_VALID(time))
#define CMTIME_IS_POSITIVE_INFINITY(time) \
  ((Boolean)(CMTIME_IS_VALID(time) && (((time).flags & kCMTimeFlags_PositiveInfinity) != 0)))
#define CMTIME_IS_NEGATIVE_INFINITY(time) \
  ((Boolean)(CMTIME_IS_VALID(time) && (((time).flags & kCMTimeFlags_NegativeInfinity) != 0)))
#define CMTIME_IS_INDEFINITE(time) \
  ((Boolean)(CMTIME_IS_VALID(time) && (((time).flags & kCMTimeFlags_Indefinite) != 0)))
#define CMTIME_IS_NUMERIC(time)                                                            \
  ((Boolean)(((time).flags & (kCMTimeFlags_Valid | kCMTimeFlags_ImpliedValueFlagsMask)) == \
             kCMTimeFlags_Valid))
#define CMTIME_HAS_BEEN_ROUNDED(time) \
  ((Boolean)(CMTIME_IS_NUMERIC(time) && (((time).flags & kCMTimeFlags_HasBeenRounded) != 0)))

CF_EXPORT const CMTime kCMTimeInvalid;
CF_EXPORT const CMTime kCMTimeIndefinite;
CF_EXPORT const CMTime kCMTimePositiveInfinity;
CF_EXPORT const CMTime kCMTimeNegativeInfinity;
CF_EXPORT const CMTime kCMTimeZero;

CF_EXPORT CMTime CMTimeMake(int64_t value, int32_t timescale);
CF_EXPORT CMTime CMTimeMakeWithEpoch(int64_t value, int32_t timescale, int64_t epoch);
// The nearest time in the preferred timescale (halved until the value fits).
CF_EXPORT CMTime CMTimeMakeWithSeconds(double seconds, int32_t preferredTimescale);
CF_EXPORT double CMTimeGetSeconds(CMTime time);
CF_EXPORT CMTime CMTimeConvertScale(CMTime time, int32_t newTimescale, CMTimeRoundingMethod method);
// Sums and differences are exact in the least common multiple of the timescales when that
// fits, else rounded to kCMTimeMaxTimescale.
CF_EXPORT CMTime CMTimeAdd(CMTime lhs, CMTime rhs);
CF_EXPORT CMTime CMTimeSubtract(CMTime lhs, CMTime rhs);
CF_EXPORT CMTime CMTimeMultiply(CMTime time, int32_t multiplier);
CF_EXPORT CMTime CMTimeMultiplyByFloat64(CMTime time, double multiplier);
CF_EXPORT CMTime CMTimeMultiplyByRatio(CMTime time, int32_t multiplier, int32_t divisor);
// -1, 0 or 1. Order: negative infinity < numbers < indefinite < positive infinity < invalid.
CF_EXPORT int32_t CMTimeCompare(CMTime time1, CMTime time2);
CF_EXPORT CMTime CMTimeMinimum(CMTime time1, CMTime time2);
CF_EXPORT CMTime CMTimeMaximum(CMTime time1, CMTime time2);
CF_EXPORT CMTime CMTimeAbsoluteValue(CMTime time);

// "{value/timescale = seconds}", or "{INVALID}", "{INDEFINITE}", "{+INFINITY}", "{-INFINITY}".
CF_EXPORT CFStringRef CMTimeCopyDescription(CFAllocatorRef allocator, CMTime time);
CF_EXPORT void CMTimeShow(CMTime time);

#define CMTIME_COMPARE_INLINE(time1, comparator, time2) ((Boolean)(CMTimeCompare(time1, time2) comparator 0))
