#include "CGImageInterleaveData.h"

#include <CoreGraphics/CGBitmapContext.h>
#include <objc/RefPtr.h>

#include <cstring>

#include "UVideoFrameBuffer_CGImageBuffer.h"

CGImageInterleaveData::CGImageInterleaveData(CGSize size)
    : mWidth(size.width > 0 ? size.width : 0),
      mHeight(size.height > 0 ? size.height : 0),
      mPixelsWide(uint64_t(mWidth)),
      mPixelsHigh(uint64_t(mHeight)),
      mPixelCount(mPixelsWide * mPixelsHigh) {}

CGImageRef CGImageInterleaveData::CGImageCreateByInterleavingData(const void* data, size_t length) const {
  if (!data || length >= mPixelCount) return nullptr;
  auto space = adopt(CGColorSpaceCreateDeviceRGB());
  auto bitmap = adopt(CGBitmapContextCreate(nullptr, size_t(mPixelsWide), size_t(mPixelsHigh), 8, 0,
                                            space.get(), kCGImageAlphaNoneSkipFirst));
  if (!bitmap) return nullptr;
  auto* pixels = static_cast<uint8_t*>(CGBitmapContextGetData(bitmap.get()));
  const size_t rowBytes = CGBitmapContextGetBytesPerRow(bitmap.get());
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (size_t k = 0; k < length; ++k) {
    const size_t column = k % mPixelsWide;
    const size_t storedRow = size_t(mPixelsHigh) - 1 - k / mPixelsWide;
    memset(pixels + storedRow * rowBytes + column * 4, bytes[k], 4);
  }
  return CGBitmapContextCreateImage(bitmap.get());
}

bool CGImageInterleaveData::CGImageDeinterleaveDataBytes(CGImageRef image, void* out, size_t length) const {
  if (!out) return false;
  memset(out, 0, length);
  if (!image || !ImageHasRequiredPixelFormat(image) || !ImageHasRequiredColorspace(image)) return false;
  if (length >= mPixelCount || CGImageGetWidth(image) < mPixelsWide || CGImageGetHeight(image) < mPixelsHigh)
    return false;
  UVideoFrameBuffer::CGImageBuffer buffer;
  if (!buffer.Construct(image)) return false;
  const auto* first = static_cast<const uint8_t*>(buffer.mFrameBufferData);
  auto* bytes = static_cast<uint8_t*>(out);
  size_t k = 0;
  for (uint64_t row = 0; row < mPixelsHigh; ++row) {
    const auto* scanline = static_cast<const uint8_t*>(buffer.CGGetPixelScanline(int(row)));
    if (!scanline) return false;
    for (uint64_t column = 0; column < mPixelsWide; ++column) {
      if (k == length) return true;
      const uint8_t* pixel = scanline + column * 4;
      // The provider may hold fewer bytes than the image's rows claim.
      if (size_t(pixel - first) + 4 > buffer.mFrameBufferDataSizeBytes) return false;
      if (pixel[1] != pixel[2]) return false;
      bytes[k++] = pixel[1];
    }
  }
  return k == length;
}

bool CGImageInterleaveData::ImageHasRequiredPixelFormat(CGImageRef image) {
  return image && CGImageGetBitsPerComponent(image) == 8 && CGImageGetBitsPerPixel(image) == 32;
}

bool CGImageInterleaveData::ImageHasRequiredColorspace(CGImageRef image) {
  CGColorSpaceRef space = image ? CGImageGetColorSpace(image) : nullptr;
  if (!space || CGColorSpaceGetModel(space) != kCGColorSpaceModelRGB) return false;
  // A named space is another space, however this layer draws in it.
  auto name = adopt(CGColorSpaceCopyName(space));
  return !name;
}
