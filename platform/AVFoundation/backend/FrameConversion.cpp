#include "FrameConversion.h"

#include <CoreFoundation/CFDictionary.h>
#include <CoreFoundation/CFNumber.h>

#include <algorithm>
#include <cstring>

namespace AVFoundationBackend {

namespace {

struct BGRA {
  uint8_t b, g, r, a;
};

uint8_t clamp(int value) { return uint8_t(std::clamp(value, 0, 255)); }

// Video-range BT.601, as cameras deliver 4:2:2.
BGRA fromYCbCr(int y, int cb, int cr) {
  const int c = y - 16, d = cb - 128, e = cr - 128;
  return {clamp((298 * c + 516 * d + 128) >> 8), clamp((298 * c - 100 * d - 208 * e + 128) >> 8),
          clamp((298 * c + 409 * e + 128) >> 8), 0xFF};
}

void toYCbCr(const BGRA& p, int& y, int& cb, int& cr) {
  y = ((66 * p.r + 129 * p.g + 25 * p.b + 128) >> 8) + 16;
  cb = ((-38 * p.r - 74 * p.g + 112 * p.b + 128) >> 8) + 128;
  cr = ((112 * p.r - 94 * p.g - 18 * p.b + 128) >> 8) + 128;
}

// One pixel of a locked BGRA or '2vuy' buffer.
BGRA readPixel(const uint8_t* base, size_t rowBytes, OSType format, size_t x, size_t y) {
  const uint8_t* row = base + y * rowBytes;
  if (format == kCVPixelFormatType_32BGRA) {
    BGRA p;
    std::memcpy(&p, row + 4 * x, 4);
    return p;
  }
  if (format == kCVPixelFormatType_32ARGB) {
    const uint8_t* argb = row + 4 * x;
    return {argb[3], argb[2], argb[1], argb[0]};
  }
  const uint8_t* pair = row + 4 * (x / 2);
  return fromYCbCr(pair[(x % 2) ? 3 : 1], pair[0], pair[2]);
}

}  // namespace

bool isConvertiblePixelFormat(OSType format) {
  return format == kCVPixelFormatType_32BGRA || format == kCVPixelFormatType_422YpCbCr8;
}

bool isReadablePixelFormat(OSType format) {
  return isConvertiblePixelFormat(format) || format == kCVPixelFormatType_32ARGB;
}

FramePool::~FramePool() {
  if (mPool) CVPixelBufferPoolRelease(mPool);
}

CVPixelBufferRef FramePool::create(OSType format, uint32_t width, uint32_t height) {
  if (!mPool || format != mFormat || width != mWidth || height != mHeight) {
    if (mPool) CVPixelBufferPoolRelease(mPool);
    mPool = nullptr;
    const RefPtr<__CFDictionary> attributes = adopt(CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
    const int32_t values[3] = {int32_t(format), int32_t(width), int32_t(height)};
    const CFStringRef keys[3] = {kCVPixelBufferPixelFormatTypeKey, kCVPixelBufferWidthKey,
                                 kCVPixelBufferHeightKey};
    for (int i = 0; i < 3; ++i) {
      const RefPtr<const __CFNumber> number = adopt(CFNumberCreate(nullptr, kCFNumberSInt32Type, &values[i]));
      CFDictionarySetValue(attributes.get(), keys[i], number.get());
    }
    const RefPtr<__CFDictionary> surfaceProperties = adopt(CFDictionaryCreateMutable(
        nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks));
    CFDictionarySetValue(attributes.get(), kCVPixelBufferIOSurfacePropertiesKey, surfaceProperties.get());
    if (CVPixelBufferPoolCreate(nullptr, nullptr, attributes.get(), &mPool) != kCVReturnSuccess)
      return nullptr;
    mFormat = format;
    mWidth = width;
    mHeight = height;
  }
  CVPixelBufferRef buffer = nullptr;
  CVPixelBufferPoolCreatePixelBuffer(nullptr, mPool, &buffer);
  return buffer;
}

RefPtr<__CVBuffer> convertFrame(CVPixelBufferRef frame, OSType format, uint32_t width, uint32_t height,
                                FramePool& pool) {
  const OSType sourceFormat = CVPixelBufferGetPixelFormatType(frame);
  const size_t sourceWidth = CVPixelBufferGetWidth(frame), sourceHeight = CVPixelBufferGetHeight(frame);
  if (!format) format = sourceFormat;
  if (!width || !height) {
    width = uint32_t(sourceWidth);
    height = uint32_t(sourceHeight);
  }
  if (format == sourceFormat && width == sourceWidth && height == sourceHeight)
    return RefPtr<__CVBuffer>(frame);
  if (!isConvertiblePixelFormat(format) || !isReadablePixelFormat(sourceFormat) || !sourceWidth ||
      !sourceHeight)
    return nullptr;
  RefPtr<__CVBuffer> converted = adopt(pool.create(format, width, height));
  if (!converted) return nullptr;
  if (CVPixelBufferLockBaseAddress(frame, kCVPixelBufferLock_ReadOnly) != kCVReturnSuccess) return nullptr;
  CVPixelBufferLockBaseAddress(converted.get(), 0);
  const auto* source = static_cast<const uint8_t*>(CVPixelBufferGetBaseAddress(frame));
  const size_t sourceRowBytes = CVPixelBufferGetBytesPerRow(frame);
  auto* destination = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(converted.get()));
  const size_t rowBytes = CVPixelBufferGetBytesPerRow(converted.get());
  auto sample = [&](size_t x, size_t y) {
    return readPixel(source, sourceRowBytes, sourceFormat, x * sourceWidth / width,
                     y * sourceHeight / height);
  };
  for (size_t y = 0; y < height; ++y) {
    uint8_t* row = destination + y * rowBytes;
    if (format == kCVPixelFormatType_32BGRA) {
      for (size_t x = 0; x < width; ++x) {
        const BGRA p = sample(x, y);
        std::memcpy(row + 4 * x, &p, 4);
      }
      continue;
    }
    for (size_t x = 0; x < width; x += 2) {
      int y0, cb0, cr0, y1 = 0, cb1, cr1;
      toYCbCr(sample(x, y), y0, cb0, cr0);
      if (x + 1 < width) {
        toYCbCr(sample(x + 1, y), y1, cb1, cr1);
        cb0 = (cb0 + cb1) / 2;
        cr0 = (cr0 + cr1) / 2;
      } else {
        y1 = y0;
      }
      uint8_t* pair = row + 2 * x;
      pair[0] = clamp(cb0);
      pair[1] = clamp(y0);
      pair[2] = clamp(cr0);
      pair[3] = clamp(y1);
    }
  }
  CVPixelBufferUnlockBaseAddress(converted.get(), 0);
  CVPixelBufferUnlockBaseAddress(frame, kCVPixelBufferLock_ReadOnly);
  return converted;
}

void copyBGR24IntoBGRA(const uint8_t* source, size_t sourceRowBytes, CVPixelBufferRef destination) {
  CVPixelBufferLockBaseAddress(destination, 0);
  auto* base = static_cast<uint8_t*>(CVPixelBufferGetBaseAddress(destination));
  const size_t rowBytes = CVPixelBufferGetBytesPerRow(destination);
  const size_t width = CVPixelBufferGetWidth(destination), height = CVPixelBufferGetHeight(destination);
  for (size_t y = 0; y < height; ++y) {
    const uint8_t* in = source + y * sourceRowBytes;
    uint8_t* out = base + y * rowBytes;
    for (size_t x = 0; x < width; ++x, in += 3, out += 4) {
      out[0] = in[0];
      out[1] = in[1];
      out[2] = in[2];
      out[3] = 0xFF;
    }
  }
  CVPixelBufferUnlockBaseAddress(destination, 0);
}

}  // namespace AVFoundationBackend
