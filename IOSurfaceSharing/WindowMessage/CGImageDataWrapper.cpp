#include "CGImageDataWrapper.h"

#include <CoreGraphics/CGBitmapContext.h>
#include <objc/RefPtr.h>

#include <cmath>

CGImageDataWrapper::CGImageDataWrapper(size_t rawDataSize)
    : mRawDataSize(rawDataSize), mInterleave(CalculatedCGImageSizeFromRawDataSize(rawDataSize)) {}

CGSize CGImageDataWrapper::CalculatedCGImageSizeFromRawDataSize(size_t rawDataSize) {
  const size_t width = 4 * size_t(std::floor(std::sqrt(float(rawDataSize))));
  if (width == 0) return CGSizeZero;
  const size_t height = 2 * (rawDataSize / width);
  return height == 0 ? CGSizeZero : CGSizeMake(CGFloat(width), CGFloat(height));
}

CGImageRef CGImageDataWrapper::CGImageCreateByInterleavingData(const void* data) const {
  return mInterleave.CGImageCreateByInterleavingData(data, mRawDataSize);
}

bool CGImageDataWrapper::CGImageDeinterleaveDataBytes(CGImageRef image, void* out) const {
  return mInterleave.CGImageDeinterleaveDataBytes(image, out, mRawDataSize);
}

void CGImageDataWrapper::scaleFactors(CGImageRef image, size_t& horizontal, size_t& vertical) const {
  horizontal = vertical = 0;
  if (!image || mInterleave.mPixelsWide == 0 || mInterleave.mPixelsHigh == 0) return;
  horizontal = CGImageGetWidth(image) / mInterleave.mPixelsWide;
  vertical = CGImageGetHeight(image) / mInterleave.mPixelsHigh;
}

bool CGImageDataWrapper::VerifyImageFormat(CGImageRef image) const {
  size_t horizontal, vertical;
  scaleFactors(image, horizontal, vertical);
  return horizontal == vertical && horizontal != 0;
}

CGImageRef CGImageDataWrapper::CopyImageWithDecodingFormat(CGImageRef image) const {
  if (!image) return nullptr;
  size_t horizontal, vertical;
  scaleFactors(image, horizontal, vertical);
  auto space = adopt(CGColorSpaceCreateDeviceRGB());
  if (CGImageInterleaveData::ImageHasRequiredPixelFormat(image) && horizontal == 1 && vertical == 1) {
    if (CGImageInterleaveData::ImageHasRequiredColorspace(image)) return CGImageRetain(image);
    return CGImageCreateCopyWithColorSpace(image, space.get());
  }
  auto bitmap =
      adopt(CGBitmapContextCreate(nullptr, size_t(mInterleave.mPixelsWide), size_t(mInterleave.mPixelsHigh),
                                  8, 0, space.get(), kCGImageAlphaPremultipliedFirst));
  if (!bitmap) return nullptr;
  const CGRect all = CGRectMake(0, 0, mInterleave.mWidth, mInterleave.mHeight);
  CGContextClearRect(bitmap.get(), all);
  CGContextSetAlpha(bitmap.get(), 1.0);
  CGContextSetInterpolationQuality(bitmap.get(), kCGInterpolationNone);
  CGContextSetBlendMode(bitmap.get(), kCGBlendModeCopy);
  CGContextDrawImage(bitmap.get(), all, image);
  return CGBitmapContextCreateImage(bitmap.get());
}
