#include "backend/CGObjects.h"
#include "backend/CGPixelLayout.h"

CFTypeID CGImageGetTypeID(void) { return CGImage::typeID(); }

namespace {

// What images and masks both hold: their samples and how to read them.
CGImage* newImage(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel, size_t bytesPerRow,
                  CGDataProviderRef provider, bool shouldInterpolate) {
  auto* image = new CGImage();
  image->width = width;
  image->height = height;
  image->bitsPerComponent = bitsPerComponent;
  image->bitsPerPixel = bitsPerPixel;
  image->bytesPerRow = bytesPerRow;
  image->shouldInterpolate = shouldInterpolate;
  image->provider = RefPtr(provider);
  return image;
}

}  // namespace

CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel,
                         size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo,
                         CGDataProviderRef provider, const CGFloat*, bool shouldInterpolate,
                         CGColorRenderingIntent) {
  bool alphaOnly = (bitmapInfo & kCGBitmapAlphaInfoMask) == kCGImageAlphaOnly;
  if (!provider || (!space && !alphaOnly) || width == 0 || height == 0 || bitsPerComponent == 0 ||
      bitsPerPixel < bitsPerComponent || bytesPerRow * 8 < width * bitsPerPixel)
    return nullptr;
  CGImage* image = newImage(width, height, bitsPerComponent, bitsPerPixel, bytesPerRow, provider, shouldInterpolate);
  image->bitmapInfo = bitmapInfo;
  image->space = RefPtr(space);
  return image;
}

CGImageRef CGImageMaskCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel,
                             size_t bytesPerRow, CGDataProviderRef provider, const CGFloat*,
                             bool shouldInterpolate) {
  if (!provider || width == 0 || height == 0 || bitsPerPixel != bitsPerComponent ||
      (bitsPerComponent != 1 && bitsPerComponent != 8) || bytesPerRow * 8 < width * bitsPerPixel)
    return nullptr;
  CGImage* image = newImage(width, height, bitsPerComponent, bitsPerPixel, bytesPerRow, provider, shouldInterpolate);
  image->isMask = true;
  return image;
}

CGImageRef CGImageRetain(CGImageRef image) { return cgRetain(image); }
void CGImageRelease(CGImageRef image) { cgRelease(image); }

bool CGImageIsMask(CGImageRef image) { return image && image->isMask; }
size_t CGImageGetWidth(CGImageRef image) { return image ? image->width : 0; }
size_t CGImageGetHeight(CGImageRef image) { return image ? image->height : 0; }
size_t CGImageGetBitsPerComponent(CGImageRef image) { return image ? image->bitsPerComponent : 0; }
size_t CGImageGetBitsPerPixel(CGImageRef image) { return image ? image->bitsPerPixel : 0; }
size_t CGImageGetBytesPerRow(CGImageRef image) { return image ? image->bytesPerRow : 0; }
CGColorSpaceRef CGImageGetColorSpace(CGImageRef image) { return image ? image->space.get() : nullptr; }
CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image) {
  return image ? image->bitmapInfo & kCGBitmapAlphaInfoMask : kCGImageAlphaNone;
}
CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image) { return image ? image->bitmapInfo : 0; }
CGDataProviderRef CGImageGetDataProvider(CGImageRef image) {
  return image ? image->provider.get() : nullptr;
}
bool CGImageGetShouldInterpolate(CGImageRef image) { return image && image->shouldInterpolate; }
