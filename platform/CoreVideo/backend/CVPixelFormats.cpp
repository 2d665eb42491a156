#include "backend/CVPixelFormats.h"

#include <CoreVideo/CVPixelBuffer.h>

namespace CoreVideo {

namespace {

// 4:2:2 Y'CbCr of video digitizers, Y0 Cb Y1 Cr with signed chroma; no constant names it.
constexpr OSType k422YpCbCr8_yuv2 = FOUR_CHAR_CODE("yuv2");

bool isPairedChroma(OSType format) {
  return format == kCVPixelFormatType_422YpCbCr8 || format == kCVPixelFormatType_422YpCbCr8_yuvs ||
         format == k422YpCbCr8_yuv2 ||
         format == kCVPixelFormatType_422YpCbCr8FullRange;
}

}  // namespace

size_t bytesPerPixel(OSType pixelFormat) {
  switch (pixelFormat) {
    case kCVPixelFormatType_OneComponent8:
      return 1;
    case kCVPixelFormatType_16BE555:
    case kCVPixelFormatType_16LE555:
    case kCVPixelFormatType_16LE5551:
    case kCVPixelFormatType_16BE565:
    case kCVPixelFormatType_16LE565:
    case kCVPixelFormatType_16Gray:
    case kCVPixelFormatType_TwoComponent8:
    case kCVPixelFormatType_422YpCbCr8:
    case kCVPixelFormatType_422YpCbCr8_yuvs:
    case k422YpCbCr8_yuv2:
    case kCVPixelFormatType_422YpCbCr8FullRange:
      return 2;
    case kCVPixelFormatType_24RGB:
    case kCVPixelFormatType_24BGR:
      return 3;
    case kCVPixelFormatType_32ARGB:
    case kCVPixelFormatType_32BGRA:
    case kCVPixelFormatType_32ABGR:
    case kCVPixelFormatType_32RGBA:
    case kCVPixelFormatType_32AlphaGray:
      return 4;
    case kCVPixelFormatType_48RGB:
      return 6;
    case kCVPixelFormatType_64ARGB:
      return 8;
    default:
      return 0;
  }
}

size_t rowBytes(OSType pixelFormat, size_t width) {
  if (isPairedChroma(pixelFormat)) width += width % 2;
  return width * bytesPerPixel(pixelFormat);
}

}  // namespace CoreVideo
