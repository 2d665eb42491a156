#pragma once
// Pictures of window messages for tests: their pixel bytes, pictures made from bytes, and the
// same picture redrawn at another size or in another layout.
#include <CoreFoundation/CFData.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <objc/RefPtr.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "IOSurfaceMessagePacket.h"

namespace moxicam::test {

struct ImageBytes {
  size_t width = 0, height = 0, rowBytes = 0;
  CGBitmapInfo info = 0;
  std::vector<uint8_t> bytes;

  // The 4 bytes of pixel (x, y), y counted from the bottom row.
  const uint8_t* pixel(size_t x, size_t y) const {
    return bytes.data() + (height - 1 - y) * rowBytes + x * 4;
  }
  uint8_t* pixel(size_t x, size_t y) { return bytes.data() + (height - 1 - y) * rowBytes + x * 4; }
};

inline ImageBytes bytesOf(CGImageRef image) {
  ImageBytes read;
  read.width = CGImageGetWidth(image);
  read.height = CGImageGetHeight(image);
  read.rowBytes = CGImageGetBytesPerRow(image);
  read.info = CGImageGetBitmapInfo(image);
  auto data = adopt(CGDataProviderCopyData(CGImageGetDataProvider(image)));
  if (data)
    read.bytes.assign(CFDataGetBytePtr(data.get()),
                      CFDataGetBytePtr(data.get()) + CFDataGetLength(data.get()));
  return read;
}

// A new image over a copy of the bytes, 32 bits per pixel, in the given space (device RGB when
// none is given).
inline RefPtr<CGImage> imageOf(const ImageBytes& pixels, CGColorSpaceRef space = nullptr) {
  auto data = adopt(CFDataCreate(nullptr, pixels.bytes.data(), CFIndex(pixels.bytes.size())));
  auto provider = adopt(CGDataProviderCreateWithCFData(data.get()));
  RefPtr<CGColorSpace> rgb = space ? RefPtr<CGColorSpace>(space) : adopt(CGColorSpaceCreateDeviceRGB());
  return adopt(CGImageCreate(pixels.width, pixels.height, 8, 32, pixels.rowBytes, rgb.get(), pixels.info,
                             provider.get(), nullptr, false, kCGRenderingIntentDefault));
}

// The image drawn pixel for pixel into a bitmap of that size and layout.
inline RefPtr<CGImage> redrawn(CGImageRef image, size_t width, size_t height, CGBitmapInfo info) {
  auto space = adopt(CGColorSpaceCreateDeviceRGB());
  auto bitmap = adopt(CGBitmapContextCreate(nullptr, width, height, 8, 0, space.get(), info));
  if (!bitmap) return nullptr;
  CGContextSetInterpolationQuality(bitmap.get(), kCGInterpolationNone);
  CGContextSetBlendMode(bitmap.get(), kCGBlendModeCopy);
  CGContextDrawImage(bitmap.get(), CGRectMake(0, 0, CGFloat(width), CGFloat(height)), image);
  return adopt(CGBitmapContextCreateImage(bitmap.get()));
}

// The message's 48 bytes as they travel.
inline std::vector<uint8_t> bytesOf(const tagIOSurfaceMessagePacket& packet) {
  std::vector<uint8_t> bytes(sizeof packet);
  memcpy(bytes.data(), &packet, sizeof packet);
  return bytes;
}

}  // namespace moxicam::test
