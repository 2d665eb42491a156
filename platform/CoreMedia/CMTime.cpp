// Time arithmetic is exact in 128-bit integers; only the final value is rounded into the
// result's timescale.
#include <CoreFoundation/CFString.h>
#include <CoreMedia/CMTime.h>
#include <CoreMedia/CMTimeRange.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>

namespace {

using Wide = __int128;

constexpr CMTime make(CMTimeValue value, CMTimeScale timescale, CMTimeFlags flags, CMTimeEpoch epoch = 0) {
  return CMTime{value, timescale, flags, epoch};
}

Wide absolute(Wide value) { return value < 0 ? -value : value; }

// numerator / denominator (denominator > 0) as an integer, rounded by method.
Wide divideRounded(Wide numerator, Wide denominator, CMTimeRoundingMethod method, bool shrinking,
                   bool& rounded) {
  const Wide quotient = numerator / denominator;
  const Wide remainder = numerator % denominator;
  rounded = remainder != 0;
  if (!rounded) return quotient;
  const int sign = numerator < 0 ? -1 : 1;
  switch (method) {
    case kCMTimeRoundingMethod_RoundTowardZero:
      return quotient;
    case kCMTimeRoundingMethod_RoundAwayFromZero:
      return quotient + sign;
    case kCMTimeRoundingMethod_RoundTowardPositiveInfinity:
      return sign > 0 ? quotient + 1 : quotient;
    case kCMTimeRoundingMethod_RoundTowardNegativeInfinity:
      return sign < 0 ? quotient - 1 : quotient;
    case kCMTimeRoundingMethod_QuickTime:
      // Toward zero when the timescale shrinks, so that a converted time never lies later
      // than the original; to the nearest otherwise.
      if (shrinking) return quotient;
      [[fallthrough]];
    default:
      return 2 * absolute(remainder) >= denominator ? quotient + sign : quotient;
  }
}

// The time numerator / denominator seconds in timescale, or an infinity when it does not fit.
CMTime fit(Wide numerator, Wide denominator, CMTimeScale timescale, CMTimeRoundingMethod method,
           CMTimeFlags carried, CMTimeEpoch epoch, bool shrinking = false) {
  if (denominator < 0) {
    numerator = -numerator;
    denominator = -denominator;
  }
  bool rounded = false;
  const Wide value = divideRounded(numerator * timescale, denominator, method, shrinking, rounded);
  if (value > std::numeric_limits<CMTimeValue>::max()) return kCMTimePositiveInfinity;
  if (value < std::numeric_limits<CMTimeValue>::min()) return kCMTimeNegativeInfinity;
  const CMTimeFlags flags = kCMTimeFlags_Valid | (carried & kCMTimeFlags_HasBeenRounded) |
                            (rounded ? CMTimeFlags(kCMTimeFlags_HasBeenRounded) : CMTimeFlags(0));
  return make(static_cast<CMTimeValue>(value), timescale, flags, epoch);
}

CMTimeScale commonTimescale(CMTimeScale a, CMTimeScale b) {
  if (a == b) return a;
  const int64_t multiple = std::lcm<int64_t>(a, b);
  return multiple <= kCMTimeMaxTimescale ? static_cast<CMTimeScale>(multiple)
                                         : CMTimeScale(kCMTimeMaxTimescale);
}

// Sums of the times that are no number: nullopt-like answer through the flag.
bool nonNumericSum(CMTime lhs, CMTime rhs, CMTime& result) {
  if (CMTIME_IS_INVALID(lhs) || CMTIME_IS_INVALID(rhs)) {
    result = kCMTimeInvalid;
  } else if (CMTIME_IS_INDEFINITE(lhs) || CMTIME_IS_INDEFINITE(rhs)) {
    result = kCMTimeIndefinite;
  } else if ((CMTIME_IS_POSITIVE_INFINITY(lhs) && CMTIME_IS_NEGATIVE_INFINITY(rhs)) ||
             (CMTIME_IS_NEGATIVE_INFINITY(lhs) && CMTIME_IS_POSITIVE_INFINITY(rhs))) {
    result = kCMTimeIndefinite;
  } else if (!CMTIME_IS_NUMERIC(lhs)) {
    result = lhs;
  } else if (!CMTIME_IS_NUMERIC(rhs)) {
    result = rhs;
  } else if (lhs.epoch != rhs.epoch) {
    result = kCMTimeInvalid;
  } else {
    return false;
  }
  return true;
}

CMTime negated(CMTime time) {
  if (CMTIME_IS_POSITIVE_INFINITY(time)) return kCMTimeNegativeInfinity;
  if (CMTIME_IS_NEGATIVE_INFINITY(time)) return kCMTimePositiveInfinity;
  if (!CMTIME_IS_NUMERIC(time)) return time;
  if (time.value == std::numeric_limits<CMTimeValue>::min()) return kCMTimePositiveInfinity;
  time.value = -time.value;
  return time;
}

// Where a time stands in the order of CMTimeCompare, numbers sharing one rank.
int rank(CMTime time) {
  if (CMTIME_IS_INVALID(time)) return 4;
  if (CMTIME_IS_POSITIVE_INFINITY(time)) return 3;
  if (CMTIME_IS_INDEFINITE(time)) return 2;
  if (CMTIME_IS_NEGATIVE_INFINITY(time)) return 0;
  return 1;
}

}  // namespace

const CMTime kCMTimeInvalid = make(0, 0, 0);
const CMTime kCMTimeIndefinite = make(0, 0, kCMTimeFlags_Valid | kCMTimeFlags_Indefinite);
const CMTime kCMTimePositiveInfinity = make(0, 0, kCMTimeFlags_Valid | kCMTimeFlags_PositiveInfinity);
const CMTime kCMTimeNegativeInfinity = make(0, 0, kCMTimeFlags_Valid | kCMTimeFlags_NegativeInfinity);
const CMTime kCMTimeZero = make(0, 1, kCMTimeFlags_Valid);

CMTime CMTimeMake(int64_t value, int32_t timescale) { return CMTimeMakeWithEpoch(value, timescale, 0); }

CMTime CMTimeMakeWithEpoch(int64_t value, int32_t timescale, int64_t epoch) {
  // A time without a positive timescale is no time at all.
  if (timescale <= 0) return kCMTimeInvalid;
  return make(value, timescale, kCMTimeFlags_Valid, epoch);
}

CMTime CMTimeMakeWithSeconds(double seconds, int32_t preferredTimescale) {
  if (std::isnan(seconds) || preferredTimescale <= 0) return kCMTimeInvalid;
  if (std::isinf(seconds)) return seconds > 0 ? kCMTimePositiveInfinity : kCMTimeNegativeInfinity;
  CMTimeScale timescale = preferredTimescale;
  constexpr double limit = 9.2233720368547748e18;  // the largest double below 2^63
  while (std::fabs(seconds * timescale) >= limit && timescale > 1) timescale /= 2;
  const double exact = seconds * timescale;
  if (std::fabs(exact) >= limit) return seconds > 0 ? kCMTimePositiveInfinity : kCMTimeNegativeInfinity;
  const double value = std::round(exact);
  return make(
      static_cast<CMTimeValue>(value), timescale,
      kCMTimeFlags_Valid | (value != exact ? CMTimeFlags(kCMTimeFlags_HasBeenRounded) : CMTimeFlags(0)));
}

double CMTimeGetSeconds(CMTime time) {
  if (CMTIME_IS_POSITIVE_INFINITY(time)) return std::numeric_limits<double>::infinity();
  if (CMTIME_IS_NEGATIVE_INFINITY(time)) return -std::numeric_limits<double>::infinity();
  if (!CMTIME_IS_NUMERIC(time) || time.timescale <= 0) return std::numeric_limits<double>::quiet_NaN();
  return static_cast<double>(time.value) / time.timescale;
}

CMTime CMTimeConvertScale(CMTime time, int32_t newTimescale, CMTimeRoundingMethod method) {
  if (newTimescale <= 0 || CMTIME_IS_INVALID(time)) return kCMTimeInvalid;
  if (!CMTIME_IS_NUMERIC(time)) return time;
  if (time.timescale == newTimescale) return time;
  return fit(time.value, time.timescale, newTimescale, method, time.flags, time.epoch,
             newTimescale < time.timescale);
}

CMTime CMTimeAdd(CMTime lhs, CMTime rhs) {
  CMTime result;
  if (nonNumericSum(lhs, rhs, result)) return result;
  const Wide numerator = Wide(lhs.value) * rhs.timescale + Wide(rhs.value) * lhs.timescale;
  return fit(numerator, Wide(lhs.timescale) * rhs.timescale, commonTimescale(lhs.timescale, rhs.timescale),
             kCMTimeRoundingMethod_Default, lhs.flags | rhs.flags, lhs.epoch);
}

CMTime CMTimeSubtract(CMTime lhs, CMTime rhs) {
  CMTime result;
  if (nonNumericSum(lhs, negated(rhs), result)) return result;
  const Wide numerator = Wide(lhs.value) * rhs.timescale - Wide(rhs.value) * lhs.timescale;
  return fit(numerator, Wide(lhs.timescale) * rhs.timescale, commonTimescale(lhs.timescale, rhs.timescale),
             kCMTimeRoundingMethod_Default, lhs.flags | rhs.flags, lhs.epoch);
}

CMTime CMTimeMultiplyByRatio(CMTime time, int32_t multiplier, int32_t divisor) {
  if (CMTIME_IS_INVALID(time) || divisor == 0) return kCMTimeInvalid;
  if (CMTIME_IS_INDEFINITE(time)) return time;
  if (!CMTIME_IS_NUMERIC(time)) {
    // An infinity times nothing has no value; otherwise the sign of the factor decides.
    if (multiplier == 0) return kCMTimeIndefinite;
    return (multiplier < 0) != (divisor < 0) ? negated(time) : time;
  }
  return fit(Wide(time.value) * multiplier, Wide(time.timescale) * divisor, time.timescale,
             kCMTimeRoundingMethod_Default, time.flags, time.epoch);
}

CMTime CMTimeMultiply(CMTime time, int32_t multiplier) { return CMTimeMultiplyByRatio(time, multiplier, 1); }

CMTime CMTimeMultiplyByFloat64(CMTime time, double multiplier) {
  if (CMTIME_IS_INVALID(time) || std::isnan(multiplier)) return kCMTimeInvalid;
  if (CMTIME_IS_INDEFINITE(time)) return time;
  if (!CMTIME_IS_NUMERIC(time) || std::isinf(multiplier)) {
    if (multiplier == 0 || (CMTIME_IS_NUMERIC(time) && time.value == 0)) return kCMTimeIndefinite;
    const bool negative = (multiplier < 0) != (CMTIME_IS_NEGATIVE_INFINITY(time) || time.value < 0);
    return negative ? kCMTimeNegativeInfinity : kCMTimePositiveInfinity;
  }
  const double exact = static_cast<double>(time.value) * multiplier;
  if (std::fabs(exact) >= 9.2233720368547748e18)
    return exact > 0 ? kCMTimePositiveInfinity : kCMTimeNegativeInfinity;
  const double value = std::round(exact);
  const CMTimeFlags flags = kCMTimeFlags_Valid | (time.flags & kCMTimeFlags_HasBeenRounded) |
                            (value != exact ? CMTimeFlags(kCMTimeFlags_HasBeenRounded) : CMTimeFlags(0));
  return make(static_cast<CMTimeValue>(value), time.timescale, flags, time.epoch);
}

int32_t CMTimeCompare(CMTime time1, CMTime time2) {
  const int rank1 = rank(time1), rank2 = rank(time2);
  if (rank1 != rank2) return rank1 < rank2 ? -1 : 1;
  if (rank1 != 1) return 0;
  if (time1.epoch != time2.epoch) return time1.epoch < time2.epoch ? -1 : 1;
  const Wide left = Wide(time1.value) * time2.timescale;
  const Wide right = Wide(time2.value) * time1.timescale;
  return left < right ? -1 : left > right ? 1 : 0;
}

CMTime CMTimeMinimum(CMTime time1, CMTime time2) {
  // An invalid time is the larger of any two, so the minimum of a pair is valid if either is.
  return CMTimeCompare(time1, time2) <= 0 ? time1 : time2;
}

CMTime CMTimeMaximum(CMTime time1, CMTime time2) {
  if (CMTIME_IS_INVALID(time1) || CMTIME_IS_INVALID(time2)) return kCMTimeInvalid;
  return CMTimeCompare(time1, time2) >= 0 ? time1 : time2;
}

CMTime CMTimeAbsoluteValue(CMTime time) {
  if (CMTIME_IS_NEGATIVE_INFINITY(time)) return kCMTimePositiveInfinity;
  return CMTIME_IS_NUMERIC(time) && time.value < 0 ? negated(time) : time;
}

CFStringRef CMTimeCopyDescription(CFAllocatorRef allocator, CMTime time) {
  if (CMTIME_IS_INVALID(time))
    return CFStringCreateWithCString(allocator, "{INVALID}", kCFStringEncodingUTF8);
  if (CMTIME_IS_INDEFINITE(time))
    return CFStringCreateWithCString(allocator, "{INDEFINITE}", kCFStringEncodingUTF8);
  if (CMTIME_IS_POSITIVE_INFINITY(time))
    return CFStringCreateWithCString(allocator, "{+INFINITY}", kCFStringEncodingUTF8);
  if (CMTIME_IS_NEGATIVE_INFINITY(time))
    return CFStringCreateWithCString(allocator, "{-INFINITY}", kCFStringEncodingUTF8);
  char text[160];
  int length = std::snprintf(text, sizeof text, "{%lld/%d = %.3f", static_cast<long long>(time.value),
                             time.timescale, CMTimeGetSeconds(time));
  if (CMTIME_HAS_BEEN_ROUNDED(time))
    length += std::snprintf(text + length, sizeof text - length, ", rounded");
  if (time.epoch != 0)
    length += std::snprintf(text + length, sizeof text - length, ", epoch %lld",
                            static_cast<long long>(time.epoch));
  std::snprintf(text + length, sizeof text - length, "}");
  return CFStringCreateWithCString(allocator, text, kCFStringEncodingUTF8);
}

void CMTimeShow(CMTime time) {
  CFStringRef description = CMTimeCopyDescription(nullptr, time);
  char text[160] = {};
  CFStringGetCString(description, text, sizeof text, kCFStringEncodingUTF8);
  std::fprintf(stderr, "%s\n", text);
  CFRelease(description);
}

const CMTimeRange kCMTimeRangeZero = {kCMTimeZero, kCMTimeZero};
const CMTimeRange kCMTimeRangeInvalid = {kCMTimeInvalid, kCMTimeInvalid};

CMTimeRange CMTimeRangeMake(CMTime start, CMTime duration) { return CMTimeRange{start, duration}; }

CMTime CMTimeRangeGetEnd(CMTimeRange range) {
  return CMTIMERANGE_IS_VALID(range) ? CMTimeAdd(range.start, range.duration) : kCMTimeInvalid;
}

Boolean CMTimeRangeContainsTime(CMTimeRange range, CMTime time) {
  return CMTIMERANGE_IS_VALID(range) && CMTimeCompare(range.start, time) <= 0 &&
         CMTimeCompare(time, CMTimeRangeGetEnd(range)) < 0;
}
