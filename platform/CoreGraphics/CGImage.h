#pragma once
// Images: pixels read from a data provider in a described layout, and image masks.
#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGDataProvider.h>
#include <CoreGraphics/CGGeometry.h>

typedef struct CGImage* CGImageRef;

typedef uint32_t CGImageAlphaInfo;
typedef uint32_t CGBitmapInfo;
// One set of constants, so that an alpha info and a byte order combine with '|'.
enum : uint32_t {
  kCGImageAlphaNone = 0,
  kCGImageAlphaPremultipliedLast = 1,
  kCGImageAlphaPremultipliedFirst = 2,
  kCGImageAlphaLast = 3,
  kCGImageAlphaFirst = 4,
  kCGImageAlphaNoneSkipLast = 5,
  kCGImageAlphaNoneSkipFirst = 6,
  kCGImageAlphaOnly = 7,
  kCGBitmapAlphaInfoMask = 0x1F,
  kCGBitmapFloatComponents = 1u << 8,
  kCGBitmapByteOrderMask = 0x7000,
  kCGBitmapByteOrderDefault = 0u << 12,
  kCGBitmapByteOrder16Little = 1u << 12,
  kCGBitmapByteOrder32Little = 2u << 12,
  kCGBitmapByteOrder16Big = 3u << 12,
  kCGBitmapByteOrder32Big = 4u << 12,
  kCGBitmapByteOrder16Host = kCGBitmapByteOrder16Little,
  kCGBitmapByteOrder32Host = kCGBitmapByteOrder32Little,
};

CG_EXTERN CFTypeID CGImageGetTypeID(void);
CG_EXTERN CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bitsPerPixel, size_t bytesPerRow, CGColorSpaceRef space,
                                   CGBitmapInfo bitmapInfo, CGDataProviderRef provider,
                                   const CGFloat* decode, bool shouldInterpolate,
                                   CGColorRenderingIntent intent);
// A stencil: where a sample is 0 the fill colour is painted, where it is all ones nothing is.
CG_EXTERN CGImageRef CGImageMaskCreate(size_t width, size_t height, size_t bitsPerComponent,
                                       size_t bitsPerPixel, size_t bytesPerRow,
                                       CGDataProviderRef provider, const CGFloat* decode,
                                       bool shouldInterpolate);
// The same samples read in another colour space of as many components (the caller releases
// it); null for a mask or a space of another number of components.
CG_EXTERN CGImageRef CGImageCreateCopyWithColorSpace(CGImageRef image, CGColorSpaceRef space);
CG_EXTERN CGImageRef CGImageRetain(CGImageRef image);
CG_EXTERN void CGImageRelease(CGImageRef image);
CG_EXTERN bool CGImageIsMask(CGImageRef image);
CG_EXTERN size_t CGImageGetWidth(CGImageRef image);
CG_EXTERN size_t CGImageGetHeight(CGImageRef image);
CG_EXTERN size_t CGImageGetBitsPerComponent(CGImageRef image);
CG_EXTERN size_t CGImageGetBitsPerPixel(CGImageRef image);
CG_EXTERN size_t CGImageGetBytesPerRow(CGImageRef image);
CG_EXTERN CGColorSpaceRef CGImageGetColorSpace(CGImageRef image);
CG_EXTERN CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image);
CG_EXTERN CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image);
CG_EXTERN CGDataProviderRef CGImageGetDataProvider(CGImageRef image);
CG_EXTERN bool CGImageGetShouldInterpolate(CGImageRef image);
