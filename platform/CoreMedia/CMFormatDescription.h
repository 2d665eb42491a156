#pragma once
// What kind of media a sample holds: its media type, its codec or pixel format, its size.
#include <CoreFoundation/CFDictionary.h>
#include <CoreMedia/CMBase.h>
#include <CoreVideo/CVImageBuffer.h>

typedef const struct opaqueCMFormatDescription* CMFormatDescriptionRef;
typedef CMFormatDescriptionRef CMVideoFormatDescriptionRef;

enum : OSStatus {
  kCMFormatDescriptionError_InvalidParameter = -12710,
  kCMFormatDescriptionError_AllocationFailed = -12711,
  kCMFormatDescriptionError_ValueNotAvailable = -12718,
};

typedef FourCharCode CMMediaType;
enum : CMMediaType {
  kCMMediaType_Video = FOUR_CHAR_CODE("vide"),
  kCMMediaType_Audio = FOUR_CHAR_CODE("soun"),
  kCMMediaType_Muxed = FOUR_CHAR_CODE("muxx"),
  kCMMediaType_Text = FOUR_CHAR_CODE("text"),
  kCMMediaType_TimeCode = FOUR_CHAR_CODE("tmcd"),
  kCMMediaType_Metadata = FOUR_CHAR_CODE("meta"),
};

typedef FourCharCode CMVideoCodecType;
enum : CMVideoCodecType {
  kCMVideoCodecType_422YpCbCr8 = FOUR_CHAR_CODE("2vuy"),
  kCMVideoCodecType_Animation = FOUR_CHAR_CODE("rle "),
  kCMVideoCodecType_JPEG = FOUR_CHAR_CODE("jpeg"),
  kCMVideoCodecType_H264 = FOUR_CHAR_CODE("avc1"),
};

typedef FourCharCode CMPixelFormatType;
enum : CMPixelFormatType {
  kCMPixelFormat_32ARGB = 32,
  kCMPixelFormat_32BGRA = FOUR_CHAR_CODE("BGRA"),
  kCMPixelFormat_24RGB = 24,
  kCMPixelFormat_422YpCbCr8 = FOUR_CHAR_CODE("2vuy"),
  kCMPixelFormat_422YpCbCr8_yuvs = FOUR_CHAR_CODE("yuvs"),
};

struct CMVideoDimensions {
  int32_t width;
  int32_t height;
};

CF_EXPORT CFTypeID CMFormatDescriptionGetTypeID(void);
CF_EXPORT CMMediaType CMFormatDescriptionGetMediaType(CMFormatDescriptionRef desc);
CF_EXPORT FourCharCode CMFormatDescriptionGetMediaSubType(CMFormatDescriptionRef desc);
// The extensions (not retained), null when there are none.
CF_EXPORT CFDictionaryRef CMFormatDescriptionGetExtensions(CMFormatDescriptionRef desc);
CF_EXPORT CFPropertyListRef CMFormatDescriptionGetExtension(CMFormatDescriptionRef desc,
                                                            CFStringRef extensionKey);
CF_EXPORT Boolean CMFormatDescriptionEqual(CMFormatDescriptionRef desc1, CMFormatDescriptionRef desc2);

CF_EXPORT OSStatus CMVideoFormatDescriptionCreate(CFAllocatorRef allocator, CMVideoCodecType codecType,
                                                  int32_t width, int32_t height, CFDictionaryRef extensions,
                                                  CMVideoFormatDescriptionRef* formatDescriptionOut);
// A description of the buffer's pixel format and size.
CF_EXPORT OSStatus
CMVideoFormatDescriptionCreateForImageBuffer(CFAllocatorRef allocator, CVImageBufferRef imageBuffer,
                                             CMVideoFormatDescriptionRef* formatDescriptionOut);
CF_EXPORT CMVideoDimensions CMVideoFormatDescriptionGetDimensions(CMVideoFormatDescriptionRef videoDesc);
CF_EXPORT Boolean CMVideoFormatDescriptionMatchesImageBuffer(CMVideoFormatDescriptionRef desc,
                                                             CVImageBufferRef imageBuffer);

#define CMVideoFormatDescriptionGetCodecType(desc) CMFormatDescriptionGetMediaSubType(desc)
