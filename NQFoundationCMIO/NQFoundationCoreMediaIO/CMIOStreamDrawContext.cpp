#include "CMIOStreamDrawContext.h"

#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGColor.h>
#include <CoreGraphics/CGColorSpace.h>
#include <URequirements.h>
#include <mach/mach_time.h>

#include <cmath>

#include "NQCMIODictionary.h"

namespace NQCMIO {

CMIOStreamDrawContext::~CMIOStreamDrawContext() {
  // No tick may draw with a pool or block that is going away.
  Destruct();
}

bool CMIOStreamDrawContext::Construct(CGSize size, void* drawBlock) {
  if (!CMIOStreamBase::Construct(size, nullptr)) return false;
  mPixelBufferPool = adopt(CreatePixelBufferPoolWithMaxBufferCount(4));
  if (drawBlock) {
    std::lock_guard<std::mutex> guard(mDrawBlockLock);
    mDrawBlock = *static_cast<const CMIODrawFrameBlock*>(drawBlock);
  }
  return bool(mPixelBufferPool);
}

CFDictionaryRef CMIOStreamDrawContext::CopyPixelBufferProperties() const {
  OSDictionary properties;
  CFMutableDictionaryRef dictionary = properties.Get();
  OSDictionary::CFDictionarySetSInt64Value(dictionary, kCVPixelBufferPixelFormatTypeKey, _pixelFormat);
  OSDictionary::CFDictionarySetSInt64Value(dictionary, kCVPixelBufferWidthKey, _width);
  OSDictionary::CFDictionarySetSInt64Value(dictionary, kCVPixelBufferHeightKey, _height);
  if (!dictionary) return nullptr;
  CFDictionarySetValue(dictionary, kCVPixelBufferCGImageCompatibilityKey, kCFBooleanTrue);
  CFDictionarySetValue(dictionary, kCVPixelBufferCGBitmapContextCompatibilityKey, kCFBooleanTrue);
  return RefPtr(dictionary).leak();
}

CVPixelBufferPoolRef CMIOStreamDrawContext::CreatePixelBufferPoolWithMaxBufferCount(SInt64 count) {
  OSDictionary poolOptions;
  CFMutableDictionaryRef pixelBufferPoolOptions = poolOptions.Get();
  OSDictionary::CFDictionarySetSInt64Value(pixelBufferPoolOptions, kCVPixelBufferPoolMinimumBufferCountKey, count);
  const RefPtr<const __CFDictionary> heldOptions = adopt(CopyPixelBufferProperties());
  CFDictionaryRef options = heldOptions.get();
  CVPixelBufferPoolRef outputPool = nullptr;
  if (REQUIRED_CFTYPEOF(options, CFDictionaryGetTypeID())) {
    if (REQUIRED_CVRETURN(
            CVPixelBufferPoolCreate( kCFAllocatorDefault, pixelBufferPoolOptions, options, &outputPool ))) {
      REQUIRED_CFTYPEOF(outputPool, CVPixelBufferPoolGetTypeID());
    }
  }
  return outputPool;
}

CVPixelBufferRef CMIOStreamDrawContext::NewPixelBufferFromPool() const {
  // The pool under the name that the report gives it.
  const CVPixelBufferPoolRef _pixelBufferPool = mPixelBufferPool.get();
  CVPixelBufferRef pixelBufferRef = nullptr;
  if (REQUIRED_CVRETURN(CVPixelBufferPoolCreatePixelBuffer(kCFAllocatorDefault,_pixelBufferPool,&pixelBufferRef))) {
    REQUIRED_CFTYPEOF(pixelBufferRef, CVPixelBufferGetTypeID());
  }
  return pixelBufferRef;
}

CVPixelBufferRef CMIOStreamDrawContext::NewPixelBuffer() const {
  const RefPtr<const __CFDictionary> heldOptions = adopt(CopyPixelBufferProperties());
  CFDictionaryRef options = heldOptions.get();
  REQUIRED_CFTYPEOF(options, CFDictionaryGetTypeID());
  CVPixelBufferRef pixelBufferRef = nullptr;
  if (REQUIRED_CVRETURN(
          CVPixelBufferCreate(kCFAllocatorDefault, _width, _height, _pixelFormat, options, &pixelBufferRef))) {
    REQUIRED_CFTYPEOF(pixelBufferRef, CVPixelBufferGetTypeID());
  }
  return pixelBufferRef;
}

CVPixelBufferRef CMIOStreamDrawContext::CopyPixelBufferForPresentationTime(CMTime presentationTime) {
  RefPtr<__CVBuffer> pixelBuffer = adopt(NewPixelBufferFromPool());
  CVPixelBufferRef pixelBufferRef = pixelBuffer.get();
  if (!REQUIRED_CFTYPEOF(pixelBufferRef, CVPixelBufferGetTypeID())) return pixelBuffer.leak();

  CVPixelBufferLockBaseAddress(pixelBufferRef, 0);
  void* pxdata = CVPixelBufferGetBaseAddress(pixelBufferRef);
  const RefPtr<CGColorSpace> colorSpace = adopt(pxdata ? CGColorSpaceCreateDeviceRGB() : nullptr);
  CGColorSpaceRef rgbColorSpace = colorSpace.get();
  RefPtr<CGContext> bitmap;
  if (rgbColorSpace) {
    bitmap = adopt(CGBitmapContextCreate(pxdata, size_t(_width), size_t(_height), 8,
                                         CVPixelBufferGetBytesPerRow(pixelBufferRef), rgbColorSpace,
                                         kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Big));
  }
  CGContextRef context = bitmap.get();
  // A buffer that could not be drawn holds whatever an earlier frame left in the pool's
  // memory: it is not delivered.
  const bool drawable = REQUIRED_NOT_NULL(pxdata) && REQUIRED_CFTYPEOF(rgbColorSpace, CGColorSpaceGetTypeID()) &&
                        REQUIRED_CFTYPEOF(context, CGContextGetTypeID());
  if (drawable) {
    DrawFrameSelf(context, CGSizeMake(_width, _height), presentationTime, FirstHostTime());
  }
  bitmap = nullptr;
  CVPixelBufferUnlockBaseAddress(pixelBufferRef, 0);
  return drawable ? pixelBuffer.leak() : nullptr;
}

void CMIOStreamDrawContext::DrawFrameSelf(CGContextRef context, CGSize size, CMTime presentationTime,
                                          UInt64 firstHostTime) {
  CMIODrawFrameBlock block;
  {
    std::lock_guard<std::mutex> guard(mDrawBlockLock);
    block = mDrawBlock;
  }
  if (block) {
    block(context, size, presentationTime, firstHostTime);
  } else {
    DefaultDrawFrame(context, size, presentationTime, firstHostTime);
  }
}

void CMIOStreamDrawContext::ClearFrame(CGContextRef context, const CGRect& rect) const {
  const RefPtr<CGColor> black = adopt(CGColorCreateGenericRGB(0, 0, 0, 1));
  CGContextSetFillColorWithColor(context, black.get());
  CGContextFillRect(context, rect);
}

void CMIOStreamDrawContext::DefaultDrawFrame(CGContextRef context, CGSize size, CMTime, UInt64 firstHostTime) {
  const double elapsed = double(mach_absolute_time() - firstHostTime) / 1000000000.0;
  const double phase = std::floor(elapsed) - elapsed + 1.0;
  const RefPtr<CGColor> white = adopt(CGColorCreateGenericRGB(1, 1, 1, 1));
  CGContextSetFillColorWithColor(context, white.get());
  CGContextFillRect(context, CGRectMake(0, 0, size.width, size.height));
  const RefPtr<CGColor> pink = adopt(CGColorCreateGenericRGB(1.0, 0.0, 0.5, 1));
  CGContextSetFillColorWithColor(context, pink.get());
  CGContextFillRect(context, CGRectMake(phase * size.width, 310.0, 200.0, 200.0));
}

}  // namespace NQCMIO
