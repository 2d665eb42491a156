#pragma once
// Image buffers whose pixels lie in memory: owned memory, the caller's bytes or an IOSurface.
#include <CoreFoundation/CFDictionary.h>
#include <CoreVideo/CVImageBuffer.h>

typedef CVImageBufferRef CVPixelBufferRef;

// Pixel formats that pixel buffers can hold (one plane each).
enum : OSType {
  kCVPixelFormatType_16BE555 = 0x00000010,
  kCVPixelFormatType_16LE555 = FOUR_CHAR_CODE("L555"),
  kCVPixelFormatType_16LE5551 = FOUR_CHAR_CODE("5551"),
  kCVPixelFormatType_16BE565 = FOUR_CHAR_CODE("B565"),
  kCVPixelFormatType_16LE565 = FOUR_CHAR_CODE("L565"),
  kCVPixelFormatType_24RGB = 0x00000018,
  kCVPixelFormatType_24BGR = FOUR_CHAR_CODE("24BG"),
  kCVPixelFormatType_32ARGB = 0x00000020,
  kCVPixelFormatType_32BGRA = FOUR_CHAR_CODE("BGRA"),
  kCVPixelFormatType_32ABGR = FOUR_CHAR_CODE("ABGR"),
  kCVPixelFormatType_32RGBA = FOUR_CHAR_CODE("RGBA"),
  kCVPixelFormatType_64ARGB = FOUR_CHAR_CODE("b64a"),
  kCVPixelFormatType_48RGB = FOUR_CHAR_CODE("b48r"),
  kCVPixelFormatType_32AlphaGray = FOUR_CHAR_CODE("b32a"),
  kCVPixelFormatType_16Gray = FOUR_CHAR_CODE("b16g"),
  kCVPixelFormatType_422YpCbCr8 = FOUR_CHAR_CODE("2vuy"),
  kCVPixelFormatType_422YpCbCr8_yuvs = FOUR_CHAR_CODE("yuvs"),
  kCVPixelFormatType_422YpCbCr8FullRange = FOUR_CHAR_CODE("yuvf"),
  kCVPixelFormatType_OneComponent8 = FOUR_CHAR_CODE("L008"),
  kCVPixelFormatType_TwoComponent8 = FOUR_CHAR_CODE("2C08"),
};

typedef CVOptionFlags CVPixelBufferLockFlags;
enum : CVPixelBufferLockFlags { kCVPixelBufferLock_ReadOnly = 0x00000001 };

// Attributes of pixel buffers and of the buffers of a pool.
CF_EXPORT const CFStringRef kCVPixelBufferPixelFormatTypeKey;
CF_EXPORT const CFStringRef kCVPixelBufferWidthKey;
CF_EXPORT const CFStringRef kCVPixelBufferHeightKey;
CF_EXPORT const CFStringRef kCVPixelBufferBytesPerRowAlignmentKey;
CF_EXPORT const CFStringRef kCVPixelBufferIOSurfacePropertiesKey;
CF_EXPORT const CFStringRef kCVPixelBufferOpenGLCompatibilityKey;
CF_EXPORT const CFStringRef kCVPixelBufferIOSurfaceOpenGLTextureCompatibilityKey;
CF_EXPORT const CFStringRef kCVPixelBufferIOSurfaceOpenGLFBOCompatibilityKey;
CF_EXPORT const CFStringRef kCVPixelBufferCGImageCompatibilityKey;
CF_EXPORT const CFStringRef kCVPixelBufferCGBitmapContextCompatibilityKey;

CF_EXPORT CFTypeID CVPixelBufferGetTypeID(void);
CF_EXPORT CVPixelBufferRef CVPixelBufferRetain(CVPixelBufferRef texture);
CF_EXPORT void CVPixelBufferRelease(CVPixelBufferRef texture);

typedef void (*CVPixelBufferReleaseBytesCallback)(void* releaseRefCon, const void* baseAddress);

// A buffer with zeroed memory of its own (an IOSurface when the attributes carry
// kCVPixelBufferIOSurfacePropertiesKey).
CF_EXPORT CVReturn CVPixelBufferCreate(CFAllocatorRef allocator, size_t width, size_t height,
                                       OSType pixelFormatType, CFDictionaryRef pixelBufferAttributes,
                                       CVPixelBufferRef* pixelBufferOut);
// A buffer over the caller's bytes; releaseCallback runs when the buffer goes.
CF_EXPORT CVReturn CVPixelBufferCreateWithBytes(CFAllocatorRef allocator, size_t width, size_t height,
                                                OSType pixelFormatType, void* baseAddress, size_t bytesPerRow,
                                                CVPixelBufferReleaseBytesCallback releaseCallback,
                                                void* releaseRefCon, CFDictionaryRef pixelBufferAttributes,
                                                CVPixelBufferRef* pixelBufferOut);

CF_EXPORT CVReturn CVPixelBufferLockBaseAddress(CVPixelBufferRef pixelBuffer,
                                                CVPixelBufferLockFlags lockFlags);
CF_EXPORT CVReturn CVPixelBufferUnlockBaseAddress(CVPixelBufferRef pixelBuffer,
                                                  CVPixelBufferLockFlags unlockFlags);

CF_EXPORT size_t CVPixelBufferGetWidth(CVPixelBufferRef pixelBuffer);
CF_EXPORT size_t CVPixelBufferGetHeight(CVPixelBufferRef pixelBuffer);
CF_EXPORT OSType CVPixelBufferGetPixelFormatType(CVPixelBufferRef pixelBuffer);
CF_EXPORT void* CVPixelBufferGetBaseAddress(CVPixelBufferRef pixelBuffer);
CF_EXPORT size_t CVPixelBufferGetBytesPerRow(CVPixelBufferRef pixelBuffer);
CF_EXPORT size_t CVPixelBufferGetDataSize(CVPixelBufferRef pixelBuffer);
CF_EXPORT Boolean CVPixelBufferIsPlanar(CVPixelBufferRef pixelBuffer);
CF_EXPORT size_t CVPixelBufferGetPlaneCount(CVPixelBufferRef pixelBuffer);
