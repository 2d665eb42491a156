#include "NSBitmapImageRep.h"

#include <CoreGraphics/CGAffineTransform.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGDataProvider.h>
#include <Foundation/NSData.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "NSGraphicsContext.h"
#include "backend/PNGCodec.h"

OBJC_CLASS_DEFINE(NSBitmapImageRep)

namespace {

// Reads one pixel of a premultiplied 32-bit CoreGraphics bitmap as R, G, B, A.
void readPixel(const uint8_t* pixel, CGBitmapInfo info, uint8_t rgba[4]) {
  const bool little = (info & kCGBitmapByteOrderMask) == kCGBitmapByteOrder32Little;
  const CGImageAlphaInfo alpha = static_cast<CGImageAlphaInfo>(info & kCGBitmapAlphaInfoMask);
  const bool alphaFirst = alpha == kCGImageAlphaPremultipliedFirst || alpha == kCGImageAlphaFirst ||
                          alpha == kCGImageAlphaNoneSkipFirst;
  uint8_t ordered[4];  // as the layout names them, first to last
  for (int i = 0; i < 4; ++i) ordered[i] = little ? pixel[3 - i] : pixel[i];
  const uint8_t* colour = alphaFirst ? ordered + 1 : ordered;
  const bool hasAlpha =
      alpha != kCGImageAlphaNone && alpha != kCGImageAlphaNoneSkipFirst && alpha != kCGImageAlphaNoneSkipLast;
  rgba[0] = colour[0];
  rgba[1] = colour[1];
  rgba[2] = colour[2];
  rgba[3] = hasAlpha ? (alphaFirst ? ordered[0] : ordered[3]) : 255;
}

// Byte offsets of the samples inside one pixel; -1 for a sample the layout lacks. A gray
// layout has its white at the red, green and blue offsets.
struct SampleOffsets {
  int red = -1, green = -1, blue = -1, alpha = -1;
};

SampleOffsets offsetsOf(NSInteger samples, bool hasAlpha, NSBitmapFormat format, NSInteger bitsPerPixel) {
  const bool alphaFirst = format & NSAlphaFirstBitmapFormat;
  const bool littleWords = (format & NSBitmapFormatThirtyTwoBitLittleEndian) && bitsPerPixel == 32;
  const int colours = hasAlpha ? int(samples) - 1 : int(samples);
  // Positions in the order the format names the samples: alpha, then colours, or the reverse.
  const int firstColour = hasAlpha && alphaFirst ? 1 : 0;
  // A padding byte of a 32-bit pixel without alpha goes where alpha would be.
  const int skipFirst = !hasAlpha && alphaFirst && bitsPerPixel > samples * 8 ? 1 : 0;
  auto place = [&](int position) { return littleWords ? 3 - position : position; };
  SampleOffsets offsets;
  if (colours == 1) {
    offsets.red = offsets.green = offsets.blue = place(firstColour + skipFirst);
  } else {
    offsets.red = place(firstColour + skipFirst);
    offsets.green = place(firstColour + skipFirst + 1);
    offsets.blue = place(firstColour + skipFirst + 2);
  }
  if (hasAlpha) offsets.alpha = place(alphaFirst ? 0 : colours);
  return offsets;
}

CGBitmapInfo byteOrderOf(NSBitmapFormat format, NSInteger bitsPerPixel) {
  if (bitsPerPixel != 32) return kCGBitmapByteOrderDefault;
  return (format & NSBitmapFormatThirtyTwoBitLittleEndian) ? kCGBitmapByteOrder32Little
                                                           : kCGBitmapByteOrder32Big;
}

void releaseRetainedRep(void* info, const void*, size_t) { static_cast<NSBitmapImageRep*>(info)->release(); }

}  // namespace

NSBitmapImageRep* NSBitmapImageRep::imageRepWithData(NSData* data) {
  NSBitmapImageRep* rep = alloc()->initWithData(data);
  return rep ? static_cast<NSBitmapImageRep*>(rep->autorelease()) : nullptr;
}

NSBitmapImageRep* NSBitmapImageRep::initWithData(NSData* data) {
  AppKitBackend::RGBAPixels pixels;
  if (!data || !AppKitBackend::decodePNG(data->bytes(), data->length(), pixels)) {
    release();
    return nullptr;
  }
  if (!initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
          nullptr, NSInteger(pixels.width), NSInteger(pixels.height), 8, 4, true, false,
          NSDeviceRGBColorSpace, 0, 0, 32)) {
    return nullptr;
  }
  for (size_t i = 0; i + 3 < pixels.bytes.size(); i += 4) {
    const unsigned alpha = pixels.bytes[i + 3];
    for (int c = 0; c < 3; ++c) mData[i + c] = uint8_t((pixels.bytes[i + c] * alpha + 127) / 255);
    mData[i + 3] = uint8_t(alpha);
  }
  return this;
}

NSBitmapImageRep* NSBitmapImageRep::initWithCGImage(CGImageRef image) {
  if (!image || CGImageGetWidth(image) == 0 || CGImageGetHeight(image) == 0) {
    release();
    return nullptr;
  }
  const auto width = NSInteger(CGImageGetWidth(image)), height = NSInteger(CGImageGetHeight(image));
  if (!initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
          nullptr, width, height, 8, 4, true, false, NSDeviceRGBColorSpace, 0, 0, 32)) {
    return nullptr;
  }
  if (CGContextRef context = createDrawingContext()) {
    CGContextDrawImage(context, CGRectMake(0, 0, CGFloat(width), CGFloat(height)), image);
    CGContextRelease(context);
  }
  return this;
}

NSBitmapImageRep* NSBitmapImageRep::initWithFocusedViewRect(NSRect rect) {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  CGContextRef context = graphics ? graphics->CGContext() : nullptr;
  const auto* pixels = context ? static_cast<const uint8_t*>(CGBitmapContextGetData(context)) : nullptr;
  if (!pixels || CGBitmapContextGetBitsPerPixel(context) != 32) {
    release();
    return nullptr;
  }
  const CGRect device = CGRectApplyAffineTransform(rect, CGContextGetCTM(context));
  const auto width = static_cast<NSInteger>(std::lround(device.size.width));
  const auto height = static_cast<NSInteger>(std::lround(device.size.height));
  const auto left = static_cast<NSInteger>(std::lround(device.origin.x));
  const auto bottom = static_cast<NSInteger>(std::lround(device.origin.y));
  if (!initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
          nullptr, std::max<NSInteger>(width, 0), std::max<NSInteger>(height, 0), 8, 4, true, false,
          NSDeviceRGBColorSpace, 0, 0, 32)) {
    return nullptr;
  }
  const auto contextWidth = static_cast<NSInteger>(CGBitmapContextGetWidth(context));
  const auto contextHeight = static_cast<NSInteger>(CGBitmapContextGetHeight(context));
  const size_t contextRowBytes = CGBitmapContextGetBytesPerRow(context);
  const CGBitmapInfo info = CGBitmapContextGetBitmapInfo(context);
  // Rows from the top of the rectangle; what lies outside the context stays transparent.
  for (NSInteger row = 0; row < mPixelsHigh; ++row) {
    const NSInteger y = contextHeight - 1 - (bottom + mPixelsHigh - 1 - row);
    if (y < 0 || y >= contextHeight) continue;
    for (NSInteger column = 0; column < mPixelsWide; ++column) {
      const NSInteger x = left + column;
      if (x < 0 || x >= contextWidth) continue;
      readPixel(pixels + y * contextRowBytes + x * 4, info, mData + row * mBytesPerRow + column * 4);
    }
  }
  return this;
}

NSBitmapImageRep* NSBitmapImageRep::
    initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
        unsigned char** planes, NSInteger width, NSInteger height, NSInteger bitsPerSample,
        NSInteger samplesPerPixel, bool hasAlpha, bool isPlanar, NSString* colorSpaceName,
        NSBitmapFormat bitmapFormat, NSInteger bytesPerRow, NSInteger bitsPerPixel) {
  // Sides and sizes beyond these make byte counts that overflow or cannot be allocated.
  constexpr NSInteger kLargestSide = 1 << 20;
  constexpr NSInteger kLargestBitmap = NSInteger(1) << 31;
  const bool countable = width >= 0 && height >= 0 && width <= kLargestSide && height <= kLargestSide &&
                         bitsPerPixel >= 0 && bitsPerPixel <= 64 && bytesPerRow >= 0 &&
                         bytesPerRow <= std::numeric_limits<int32_t>::max();
  if (countable && bitsPerPixel == 0) bitsPerPixel = bitsPerSample * samplesPerPixel;
  const NSInteger rowMinimum = countable ? (width * bitsPerPixel + 7) / 8 : 0;
  if (countable && bytesPerRow == 0) bytesPerRow = rowMinimum;
  if (!countable || bitsPerSample != 8 || isPlanar || samplesPerPixel < 1 || samplesPerPixel > 4 ||
      (hasAlpha && samplesPerPixel < 2) || bitsPerPixel < bitsPerSample * samplesPerPixel ||
      bitsPerPixel % 8 != 0 || bytesPerRow < rowMinimum || bytesPerRow * height > kLargestBitmap) {
    release();
    return nullptr;
  }
  mPixelsWide = width;
  mPixelsHigh = height;
  mSize = NSMakeSize(CGFloat(width), CGFloat(height));
  mSamplesPerPixel = samplesPerPixel;
  mBitsPerPixel = bitsPerPixel;
  mBytesPerRow = bytesPerRow;
  mHasAlpha = hasAlpha;
  mBitmapFormat = bitmapFormat;
  mColorSpaceName = RefPtr<NSString>(colorSpaceName ? colorSpaceName : NSDeviceRGBColorSpace);
  if (planes && planes[0]) {
    mData = planes[0];
  } else {
    mOwned.assign(static_cast<size_t>(bytesPerRow * height), 0);
    mData = mOwned.data();
  }
  return this;
}

void NSBitmapImageRep::straightRGBAAt(NSInteger x, NSInteger y, uint8_t rgba[4]) const {
  const SampleOffsets offsets = offsetsOf(mSamplesPerPixel, mHasAlpha, mBitmapFormat, mBitsPerPixel);
  const uint8_t* pixel = mData + y * mBytesPerRow + x * (mBitsPerPixel / 8);
  rgba[0] = pixel[offsets.red];
  rgba[1] = pixel[offsets.green];
  rgba[2] = pixel[offsets.blue];
  rgba[3] = offsets.alpha >= 0 ? pixel[offsets.alpha] : 255;
  const bool premultiplied = offsets.alpha >= 0 && !(mBitmapFormat & NSAlphaNonpremultipliedBitmapFormat);
  if (premultiplied && rgba[3] != 0 && rgba[3] != 255) {
    for (int c = 0; c < 3; ++c) rgba[c] = uint8_t(std::min(255u, (rgba[c] * 255u + rgba[3] / 2) / rgba[3]));
  }
}

NSColor* NSBitmapImageRep::colorAtX_y(NSInteger x, NSInteger y) const {
  if (!mData || x < 0 || y < 0 || x >= mPixelsWide || y >= mPixelsHigh) return nullptr;
  uint8_t rgba[4];
  straightRGBAAt(x, y, rgba);
  return NSColor::colorWithDeviceRed_green_blue_alpha(rgba[0] / 255.0, rgba[1] / 255.0, rgba[2] / 255.0,
                                                      rgba[3] / 255.0);
}

NSData* NSBitmapImageRep::TIFFRepresentation() const {
  if (!mData || mPixelsWide == 0 || mPixelsHigh == 0) return nullptr;
  AppKitBackend::RGBAPixels pixels;
  pixels.width = size_t(mPixelsWide);
  pixels.height = size_t(mPixelsHigh);
  pixels.bytes.resize(pixels.width * pixels.height * 4);
  for (NSInteger y = 0; y < mPixelsHigh; ++y) {
    for (NSInteger x = 0; x < mPixelsWide; ++x)
      straightRGBAAt(x, y, &pixels.bytes[size_t(y * mPixelsWide + x) * 4]);
  }
  std::vector<uint8_t> encoded = AppKitBackend::encodePNG(pixels);
  if (encoded.empty()) return nullptr;
  return NSData::dataWithBytes_length(encoded.data(), encoded.size());
}

CGContextRef NSBitmapImageRep::createDrawingContext() const {
  if (!mData || mPixelsWide == 0 || mPixelsHigh == 0 ||
      (mBitmapFormat & NSFloatingPointSamplesBitmapFormat)) {
    return nullptr;
  }
  const bool alphaFirst = mBitmapFormat & NSAlphaFirstBitmapFormat;
  CGBitmapInfo info;
  bool gray = false;
  if (mSamplesPerPixel == 4 && mHasAlpha && mBitsPerPixel == 32 &&
      !(mBitmapFormat & NSAlphaNonpremultipliedBitmapFormat)) {
    info = alphaFirst ? kCGImageAlphaPremultipliedFirst : kCGImageAlphaPremultipliedLast;
  } else if (mSamplesPerPixel == 3 && !mHasAlpha && mBitsPerPixel == 32) {
    info = alphaFirst ? kCGImageAlphaNoneSkipFirst : kCGImageAlphaNoneSkipLast;
  } else if (mSamplesPerPixel == 1 && !mHasAlpha && mBitsPerPixel == 8) {
    info = kCGImageAlphaNone;
    gray = true;
  } else {
    return nullptr;
  }
  CGColorSpaceRef space = gray ? CGColorSpaceCreateDeviceGray() : CGColorSpaceCreateDeviceRGB();
  CGContextRef context =
      CGBitmapContextCreate(mData, size_t(mPixelsWide), size_t(mPixelsHigh), 8, size_t(mBytesPerRow), space,
                            info | byteOrderOf(mBitmapFormat, mBitsPerPixel));
  CGColorSpaceRelease(space);
  return context;
}

CGImageRef NSBitmapImageRep::CGImage() const {
  if (!mData || mPixelsWide == 0 || mPixelsHigh == 0) return nullptr;
  const bool gray = mSamplesPerPixel <= 2;
  CGBitmapInfo info;
  if (!mHasAlpha)
    info = mBitsPerPixel > mSamplesPerPixel * 8
               ? ((mBitmapFormat & NSAlphaFirstBitmapFormat) ? kCGImageAlphaNoneSkipFirst
                                                             : kCGImageAlphaNoneSkipLast)
               : kCGImageAlphaNone;
  else if (mBitmapFormat & NSAlphaFirstBitmapFormat)
    info = (mBitmapFormat & NSAlphaNonpremultipliedBitmapFormat) ? kCGImageAlphaFirst
                                                                 : kCGImageAlphaPremultipliedFirst;
  else
    info = (mBitmapFormat & NSAlphaNonpremultipliedBitmapFormat) ? kCGImageAlphaLast
                                                                 : kCGImageAlphaPremultipliedLast;
  // The picture reads the bitmap's own pixels: it keeps the bitmap while it lives.
  retain();
  CGDataProviderRef provider =
      CGDataProviderCreateWithData(const_cast<NSBitmapImageRep*>(this), mData,
                                   static_cast<size_t>(mBytesPerRow * mPixelsHigh), releaseRetainedRep);
  CGColorSpaceRef space = gray ? CGColorSpaceCreateDeviceGray() : CGColorSpaceCreateDeviceRGB();
  CGImageRef image = CGImageCreate(static_cast<size_t>(mPixelsWide), static_cast<size_t>(mPixelsHigh), 8,
                                   static_cast<size_t>(mBitsPerPixel), static_cast<size_t>(mBytesPerRow),
                                   space, info | byteOrderOf(mBitmapFormat, mBitsPerPixel), provider, nullptr,
                                   false, kCGRenderingIntentDefault);
  CGColorSpaceRelease(space);
  CGDataProviderRelease(provider);
  return image ? static_cast<CGImageRef>(const_cast<void*>(objc_autorelease(image))) : nullptr;
}

bool NSBitmapImageRep::drawInRect(NSRect rect) const {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  CGImageRef image = graphics ? CGImage() : nullptr;
  if (!image) return false;
  CGContextDrawImage(graphics->CGContext(), rect, image);
  return true;
}
