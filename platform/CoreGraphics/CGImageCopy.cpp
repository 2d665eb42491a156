#include "backend/CGObjects.h"

CGImageRef CGImageCreateCopyWithColorSpace(CGImageRef image, CGColorSpaceRef space) {
  // A mask has no colour space to change; the new space must describe the same samples.
  if (!image || image->isMask || !space || !image->space ||
      CGColorSpaceGetNumberOfComponents(space) != CGColorSpaceGetNumberOfComponents(image->space.get()))
    return nullptr;
  return CGImageCreate(image->width, image->height, image->bitsPerComponent, image->bitsPerPixel,
                       image->bytesPerRow, space, image->bitmapInfo, image->provider.get(), nullptr,
                       image->shouldInterpolate, kCGRenderingIntentDefault);
}
