#pragma once
#include <CoreMedia/CMTime.h>

struct CMTimeRange {
  CMTime start;
  CMTime duration;
};

CF_EXPORT const CMTimeRange kCMTimeRangeZero;
CF_EXPORT const CMTimeRange kCMTimeRangeInvalid;

#define CMTIMERANGE_IS_VALID(range)                                                 \
  ((Boolean)(CMTIME_IS_VALID((range).start) && CMTIME_IS_VALID((range).duration) && \
             (range).duration.epoch == 0 && (range).duration.value >= 0))
#define CMTIMERANGE_IS_INVALID(range) (!CMTIMERANGE_IS_VALID(range))

CF_EXPORT CMTimeRange CMTimeRangeMake(CMTime start, CMTime duration);
CF_EXPORT CMTime CMTimeRangeGetEnd(CMTimeRange range);
// Whether start <= time < start + duration.
CF_EXPORT Boolean CMTimeRangeContainsTime(CMTimeRange range, CMTime time);
