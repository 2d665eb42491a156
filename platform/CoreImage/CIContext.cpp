#include <CoreGraphics/CGBitmapContext.h>
#include <CoreGraphics/CGColorSpace.h>
#include <CoreImage/CIContext.h>
#include <CoreImage/CIImage.h>
#include <Foundation/NSString.h>

#include <atomic>
#include <cmath>

#include "CIContextGL.h"

OBJC_CLASS_DEFINE(CIContext)

CIContext::~CIContext() {
  if (mContext) CGContextRelease(mContext);
  if (mGLContext) CGLReleaseContext(mGLContext);
  if (mGLPixelFormat) CGLReleasePixelFormat(mGLPixelFormat);
}

CIContext* CIContext::contextWithCGLContext_pixelFormat_options(CGLContextObj context,
                                                                CGLPixelFormatObj pixelFormat,
                                                                NSDictionary*) {
  if (!context) return nullptr;
  auto* made = new CIContext();
  made->mGLContext = CGLRetainContext(context);
  made->mGLPixelFormat = pixelFormat ? CGLRetainPixelFormat(pixelFormat) : nullptr;
  return static_cast<CIContext*>(made->autorelease());
}

CIContext* CIContext::contextWithCGContext_options(CGContextRef context, NSDictionary*) {
  if (!context) return nullptr;
  auto* made = new CIContext();
  made->mContext = CGContextRetain(context);
  return static_cast<CIContext*>(made->autorelease());
}

void CIContext::drawImage_inRect_fromRect(CIImage* image, CGRect inRect, CGRect fromRect) {
  if (!image) return;
  if (CGRectIsInfinite(fromRect) || !std::isfinite(fromRect.size.width) ||
      !std::isfinite(fromRect.size.height)) {
    static std::atomic<bool> reported{false};
    if (!reported.exchange(true)) {
      NSLog(NSSTR("CIContext: an image without bounds is not drawn from its infinite extent; crop it first"));
    }
    return;
  }
  if (mGLContext) {
    drawImageInCurrentGLFramebuffer(this, image, inRect, fromRect);
    return;
  }
  image->drawInContext(mContext, inRect, fromRect);
}

CGImageRef CIContext::createCGImage_fromRect(CIImage* image, CGRect fromRect) {
  if (!image || CGRectIsInfinite(fromRect) || CGRectIsNull(fromRect) || CGRectIsEmpty(fromRect))
    return nullptr;
  fromRect = CGRectStandardize(fromRect);
  const double width = std::ceil(fromRect.size.width), height = std::ceil(fromRect.size.height);
  if (!(width <= 1 << 15) || !(height <= 1 << 15)) return nullptr;
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef pixels = CGBitmapContextCreate(nullptr, size_t(width), size_t(height), 8, 0, space,
                                              kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
  CGColorSpaceRelease(space);
  if (!pixels) return nullptr;
  image->drawInContext(pixels, CGRectMake(0, 0, width, height),
                       CGRectMake(fromRect.origin.x, fromRect.origin.y, width, height));
  CGImageRef picture = CGBitmapContextCreateImage(pixels);
  CGContextRelease(pixels);
  return picture;
}
