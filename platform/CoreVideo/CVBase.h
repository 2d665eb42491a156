#pragma once
// Times as the display and video layers pass them around.
#include <CoreFoundation/CFBase.h>

#include <cstdint>

typedef uint64_t CVOptionFlags;

struct CVSMPTETime {
  SInt16 subframes;
  SInt16 subframeDivisor;
  UInt32 counter;
  UInt32 type;
  UInt32 flags;
  SInt16 hours;
  SInt16 minutes;
  SInt16 seconds;
  SInt16 frames;
};

typedef uint32_t CVSMPTETimeType;
enum : CVSMPTETimeType {
  kCVSMPTETimeType24 = 0,
  kCVSMPTETimeType25 = 1,
  kCVSMPTETimeType30Drop = 2,
  kCVSMPTETimeType30 = 3,
  kCVSMPTETimeType2997 = 4,
  kCVSMPTETimeType2997Drop = 5,
  kCVSMPTETimeType60 = 6,
  kCVSMPTETimeType5994 = 7,
};

typedef uint32_t CVSMPTETimeFlags;
enum : CVSMPTETimeFlags {
  kCVSMPTETimeValid = 1 << 0,
  kCVSMPTETimeRunning = 1 << 1,
};

typedef int32_t CVTimeFlags;
enum : CVTimeFlags { kCVTimeIsIndefinite = 1 << 0 };

struct CVTime {
  int64_t timeValue;
  int32_t timeScale;
  int32_t flags;
};

struct CVTimeStamp {
  uint32_t version;
  int32_t videoTimeScale;
  int64_t videoTime;
  uint64_t hostTime;
  double rateScalar;
  int64_t videoRefreshPeriod;
  CVSMPTETime smpteTime;
  uint64_t flags;
  uint64_t reserved;
};

typedef uint64_t CVTimeStampFlags;
enum : CVTimeStampFlags {
  kCVTimeStampVideoTimeValid = 1 << 0,
  kCVTimeStampHostTimeValid = 1 << 1,
  kCVTimeStampSMPTETimeValid = 1 << 2,
  kCVTimeStampVideoRefreshPeriodValid = 1 << 3,
  kCVTimeStampRateScalarValid = 1 << 4,
  kCVTimeStampTopField = 1 << 16,
  kCVTimeStampBottomField = 1 << 17,
  kCVTimeStampVideoHostTimeValid = kCVTimeStampVideoTimeValid | kCVTimeStampHostTimeValid,
  kCVTimeStampIsInterlaced = kCVTimeStampTopField | kCVTimeStampBottomField,
};
