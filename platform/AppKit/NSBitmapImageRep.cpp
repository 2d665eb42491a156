#include "NSBitmapImageRep.h"

#include <CoreGraphics/CGAffineTransform.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGColorSpace.h>
#include <CoreGraphics/CGContext.h>
#include <CoreGraphics/CGDataProvider.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "NSGraphicsContext.h"

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

}  // namespace

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
  initWithBitmapDataPlanes_pixelsWide_pixelsHigh_bitsPerSample_samplesPerPixel_hasAlpha_isPlanar_colorSpaceName_bitmapFormat_bytesPerRow_bitsPerPixel(
      nullptr, std::max<NSInteger>(width, 0), std::max<NSInteger>(height, 0), 8, 4, true, false,
      NSDeviceRGBColorSpace, 0, 0, 32);
  const auto contextWidth = static_cast<NSInteger>(CGBitmapContextGetWidth(context));
  const auto contextHeight = static_cast<NSInteger>(CGBitmapContextGetHeight(context));
  const size_t contextRowBytes = CGBitmapContextGetBytesPerRow(context);
  const CGBitmapInfo info = CGBitmapContextGetBitmapInfo(context);
  // Rows from the top of the rectangle; what lies outside the context stays transparent.
  for (NSInteger row = 0; row < mHeight; ++row) {
    const NSInteger y = contextHeight - 1 - (bottom + mHeight - 1 - row);
    if (y < 0 || y >= contextHeight) continue;
    for (NSInteger column = 0; column < mWidth; ++column) {
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
        NSInteger samplesPerPixel, bool hasAlpha, bool isPlanar, NSString*, NSBitmapFormat bitmapFormat,
        NSInteger bytesPerRow, NSInteger bitsPerPixel) {
  if (bitsPerPixel == 0) bitsPerPixel = bitsPerSample * samplesPerPixel;
  const NSInteger rowMinimum = (width * bitsPerPixel + 7) / 8;
  if (bytesPerRow == 0) bytesPerRow = rowMinimum;
  if (width < 0 || height < 0 || bitsPerSample != 8 || isPlanar || samplesPerPixel < 1 ||
      samplesPerPixel > 4 || bitsPerPixel < bitsPerSample * samplesPerPixel || bitsPerPixel % 8 != 0 ||
      bytesPerRow < rowMinimum) {
    release();
    return nullptr;
  }
  mWidth = width;
  mHeight = height;
  mSamplesPerPixel = samplesPerPixel;
  mBitsPerPixel = bitsPerPixel;
  mBytesPerRow = bytesPerRow;
  mHasAlpha = hasAlpha;
  mBitmapFormat = bitmapFormat;
  if (planes && planes[0]) {
    mData = planes[0];
  } else {
    mOwned.assign(static_cast<size_t>(bytesPerRow * height), 0);
    mData = mOwned.data();
  }
  return this;
}

CGImageRef NSBitmapImageRep::CGImage() const {
  if (!mData || mWidth == 0 || mHeight == 0) return nullptr;
  const bool gray = mSamplesPerPixel <= 2;
  CGBitmapInfo info;
  if (!mHasAlpha)
    info = mBitsPerPixel > mSamplesPerPixel * 8 ? kCGImageAlphaNoneSkipLast : kCGImageAlphaNone;
  else if (mBitmapFormat & NSAlphaFirstBitmapFormat)
    info = (mBitmapFormat & NSAlphaNonpremultipliedBitmapFormat) ? kCGImageAlphaFirst
                                                                 : kCGImageAlphaPremultipliedFirst;
  else
    info = (mBitmapFormat & NSAlphaNonpremultipliedBitmapFormat) ? kCGImageAlphaLast
                                                                 : kCGImageAlphaPremultipliedLast;
  CGDataProviderRef provider =
      CGDataProviderCreateWithData(nullptr, mData, static_cast<size_t>(mBytesPerRow * mHeight), nullptr);
  CGColorSpaceRef space = gray ? CGColorSpaceCreateDeviceGray() : CGColorSpaceCreateDeviceRGB();
  CGImageRef image = CGImageCreate(static_cast<size_t>(mWidth), static_cast<size_t>(mHeight), 8,
                                   static_cast<size_t>(mBitsPerPixel), static_cast<size_t>(mBytesPerRow),
                                   space, info, provider, nullptr, false, kCGRenderingIntentDefault);
  CGColorSpaceRelease(space);
  CGDataProviderRelease(provider);
  return image ? static_cast<CGImageRef>(const_cast<void*>(objc_autorelease(image))) : nullptr;
}

bool NSBitmapImageRep::drawInRect(NSRect rect) const {
  NSGraphicsContext* graphics = NSGraphicsContext::currentContext();
  CGImageRef image = CGImage();
  if (!graphics || !image) return false;
  CGContextDrawImage(graphics->CGContext(), rect, image);
  return true;
}
