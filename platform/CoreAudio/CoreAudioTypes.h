#pragma once
// The data types of the audio system: sample formats, buffers, time stamps and channel
// layouts, with the byte layouts that property sizes are checked against.
#include <CoreFoundation/CFBase.h>

#include <cstddef>

typedef UInt32 AudioFormatID;
typedef UInt32 AudioFormatFlags;
typedef UInt32 AudioChannelLabel;
typedef UInt32 AudioChannelLayoutTag;
typedef UInt32 AudioChannelBitmap;
typedef UInt32 AudioChannelFlags;

// Status codes shared by every audio framework.
enum : OSStatus {
  kAudio_UnimplementedError = -4,
  kAudio_FileNotFoundError = -43,
  kAudio_FilePermissionError = -54,
  kAudio_TooManyFilesOpenError = -42,
  kAudio_BadFilePathError = FOUR_CHAR_CODE("!pth"),
  kAudio_ParamError = -50,
  kAudio_MemFullError = -108,
};

struct AudioValueRange {
  Float64 mMinimum;
  Float64 mMaximum;
};

struct AudioValueTranslation {
  void* mInputData;
  UInt32 mInputDataSize;
  void* mOutputData;
  UInt32 mOutputDataSize;
};

struct AudioBuffer {
  UInt32 mNumberChannels;
  UInt32 mDataByteSize;
  void* mData;
};

// A list of mNumberBuffers buffers; lists of more than one buffer are allocated with room
// for the others after the first.
struct AudioBufferList {
  UInt32 mNumberBuffers;
  AudioBuffer mBuffers[1];
};

// The bytes an AudioBufferList of `count` buffers takes.
constexpr size_t AudioBufferListSize(UInt32 count) {
  return offsetof(AudioBufferList, mBuffers) + sizeof(AudioBuffer) * (count ? count : 1);
}

typedef Float32 AudioSampleType;
typedef Float32 AudioUnitSampleType;

enum : AudioFormatID {
  kAudioFormatLinearPCM = FOUR_CHAR_CODE("lpcm"),
};

enum : AudioFormatFlags {
  kAudioFormatFlagIsFloat = 1u << 0,
  kAudioFormatFlagIsBigEndian = 1u << 1,
  kAudioFormatFlagIsSignedInteger = 1u << 2,
  kAudioFormatFlagIsPacked = 1u << 3,
  kAudioFormatFlagIsAlignedHigh = 1u << 4,
  kAudioFormatFlagIsNonInterleaved = 1u << 5,
  kAudioFormatFlagIsNonMixable = 1u << 6,
  kAudioFormatFlagsAreAllClear = 0x80000000u,
  kLinearPCMFormatFlagIsFloat = kAudioFormatFlagIsFloat,
  kLinearPCMFormatFlagIsBigEndian = kAudioFormatFlagIsBigEndian,
  kLinearPCMFormatFlagIsSignedInteger = kAudioFormatFlagIsSignedInteger,
  kLinearPCMFormatFlagIsPacked = kAudioFormatFlagIsPacked,
  kLinearPCMFormatFlagIsNonInterleaved = kAudioFormatFlagIsNonInterleaved,
  kAudioFormatFlagsNativeEndian = 0,
  kAudioFormatFlagsNativeFloatPacked =
      kAudioFormatFlagIsFloat | kAudioFormatFlagsNativeEndian | kAudioFormatFlagIsPacked,
};

struct AudioStreamBasicDescription {
  Float64 mSampleRate;
  AudioFormatID mFormatID;
  AudioFormatFlags mFormatFlags;
  UInt32 mBytesPerPacket;
  UInt32 mFramesPerPacket;
  UInt32 mBytesPerFrame;
  UInt32 mChannelsPerFrame;
  UInt32 mBitsPerChannel;
  UInt32 mReserved;
};

struct AudioStreamRangedDescription {
  AudioStreamBasicDescription mFormat;
  AudioValueRange mSampleRateRange;
};

struct SMPTETime {
  SInt16 mSubframes;
  SInt16 mSubframeDivisor;
  UInt32 mCounter;
  UInt32 mType;
  UInt32 mFlags;
  SInt16 mHours;
  SInt16 mMinutes;
  SInt16 mSeconds;
  SInt16 mFrames;
};

// mRateScalar is the ratio of the actual host ticks per sample frame to the nominal ones:
// below 1.0 for a device whose clock runs fast.
struct AudioTimeStamp {
  Float64 mSampleTime;
  UInt64 mHostTime;
  Float64 mRateScalar;
  UInt64 mWordClockTime;
  SMPTETime mSMPTETime;
  UInt32 mFlags;
  UInt32 mReserved;
};

enum : UInt32 {
  kAudioTimeStampNothingValid = 0,
  kAudioTimeStampSampleTimeValid = 1u << 0,
  kAudioTimeStampHostTimeValid = 1u << 1,
  kAudioTimeStampRateScalarValid = 1u << 2,
  kAudioTimeStampWordClockTimeValid = 1u << 3,
  kAudioTimeStampSMPTETimeValid = 1u << 4,
  kAudioTimeStampSampleHostTimeValid = kAudioTimeStampSampleTimeValid | kAudioTimeStampHostTimeValid,
};

struct AudioChannelDescription {
  AudioChannelLabel mChannelLabel;
  AudioChannelFlags mChannelFlags;
  Float32 mCoordinates[3];
};

// A layout of mNumberChannelDescriptions descriptions; like AudioBufferList, allocated with
// room for the descriptions after the first.
struct AudioChannelLayout {
  AudioChannelLayoutTag mChannelLayoutTag;
  AudioChannelBitmap mChannelBitmap;
  UInt32 mNumberChannelDescriptions;
  AudioChannelDescription mChannelDescriptions[1];
};

// The bytes an AudioChannelLayout of `count` descriptions takes.
constexpr size_t AudioChannelLayoutSize(UInt32 count) {
  return offsetof(AudioChannelLayout, mChannelDescriptions) + sizeof(AudioChannelDescription) * count;
}

enum : AudioChannelLabel {
  kAudioChannelLabel_Unknown = 0xFFFFFFFFu,
  kAudioChannelLabel_Unused = 0,
  kAudioChannelLabel_Left = 1,
  kAudioChannelLabel_Right = 2,
  kAudioChannelLabel_Center = 3,
  kAudioChannelLabel_LFEScreen = 4,
  kAudioChannelLabel_Mono = 42,
};

enum : AudioChannelLayoutTag {
  kAudioChannelLayoutTag_UseChannelDescriptions = 0,
  kAudioChannelLayoutTag_UseChannelBitmap = 1u << 16,
  kAudioChannelLayoutTag_Mono = (100u << 16) | 1,
  kAudioChannelLayoutTag_Stereo = (101u << 16) | 2,
};

enum : AudioChannelFlags {
  kAudioChannelFlags_AllOff = 0,
  kAudioChannelFlags_RectangularCoordinates = 1u << 0,
  kAudioChannelFlags_SphericalCoordinates = 1u << 1,
  kAudioChannelFlags_Meters = 1u << 2,
};

static_assert(sizeof(AudioValueRange) == 16);
static_assert(sizeof(AudioStreamBasicDescription) == 40);
static_assert(sizeof(AudioStreamRangedDescription) == 56);
static_assert(sizeof(AudioBuffer) == 16);
static_assert(sizeof(AudioBufferList) == 24);
static_assert(sizeof(SMPTETime) == 24);
static_assert(sizeof(AudioTimeStamp) == 64);
static_assert(sizeof(AudioChannelDescription) == 20);
static_assert(AudioChannelLayoutSize(2) == 52);
