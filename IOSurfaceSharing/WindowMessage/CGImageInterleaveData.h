#pragma once
// Bytes carried as the pixels of an image: every byte fills all four bytes of one 32-bit
// pixel, so that whatever keeps the pixels' colour (a window server, a capture of it) keeps
// the byte. Byte k lies in column k mod width of data row k / width; data row 0 is the bottom
// row of the image and the rows go upwards. An image holds fewer bytes than it has pixels.
#include <CoreGraphics/CGGeometry.h>
#include <CoreGraphics/CGImage.h>

#include <cstddef>
#include <cstdint>

class CGImageInterleaveData {
 public:
  explicit CGImageInterleaveData(CGSize size);

  // A new image (the caller releases it): 8 bits per component, 32 bits per pixel, first byte
  // skipped, no alpha, device RGB. Null without data, or without room for `length` bytes.
  CGImageRef CGImageCreateByInterleavingData(const void* data, size_t length) const;
  // Reads `length` bytes back into `out` (zeroed first). False for an image of another pixel
  // format or colour space, one smaller than this size, no room for `length` bytes, or a pixel
  // whose second and third bytes differ (it does not carry a byte).
  bool CGImageDeinterleaveDataBytes(CGImageRef image, void* out, size_t length) const;

  // 8 bits per component and 32 bits per pixel.
  static bool ImageHasRequiredPixelFormat(CGImageRef image);
  // The device RGB colour space.
  static bool ImageHasRequiredColorspace(CGImageRef image);

  double mWidth = 0;
  double mHeight = 0;
  uint64_t mPixelsWide = 0;
  uint64_t mPixelsHigh = 0;
  uint64_t mPixelCount = 0;
};
