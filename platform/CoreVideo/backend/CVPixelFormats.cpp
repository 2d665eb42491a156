#include "backend/CVPixelFormats.h"

#include <CoreVideo/CVPixelBuffer.h>

namespace CoreVideo {

namespace {

bool isPairedChroma(OSType format) {
  return format == kCVPixelFormatType_422YpCbCr8 || format == kCVPixelFormatType_422YpCbCr8_yuvs ||
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
