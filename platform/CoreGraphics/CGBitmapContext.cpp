#include "backend/CGContextObject.h"

#include <cstdlib>
#include <cstring>

CGContextRef CGBitmapContextCreateWithData(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                           size_t bytesPerRow, CGColorSpaceRef space, uint32_t bitmapInfo,
                                           CGBitmapContextReleaseDataCallback releaseCallback,
                                           void* releaseInfo) {
  if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX) return nullptr;
  CGImageAlphaInfo alpha = bitmapInfo & kCGBitmapAlphaInfoMask;
  // Contexts do not keep straight (unpremultiplied) alpha.
  if (alpha == kCGImageAlphaFirst || alpha == kCGImageAlphaLast) return nullptr;
  size_t components = space ? space->components() : 0;
  if (!space && alpha != kCGImageAlphaOnly) return nullptr;
  size_t bitsPerPixel = alpha == kCGImageAlphaOnly    ? 8
                        : components == 1              ? 8
                        : alpha == kCGImageAlphaNone ? 24
                                                       : 32;
  if (components == 3 && alpha == kCGImageAlphaNone) return nullptr;
  CGPixelLayout layout = CGPixelLayout::describe(bitsPerComponent, bitsPerPixel, components, bitmapInfo);
  if (!layout.isSupported()) return nullptr;
  size_t leastRowBytes = width * layout.bytesPerPixel;
  if (bytesPerRow == 0) bytesPerRow = leastRowBytes;
  if (bytesPerRow < leastRowBytes) return nullptr;

  auto context = adopt(new CGContext());
  context->width = width;
  context->height = height;
  context->bitsPerComponent = bitsPerComponent;
  context->bitsPerPixel = bitsPerPixel;
  context->bytesPerRow = bytesPerRow;
  context->bitmapInfo = bitmapInfo;
  context->space = RefPtr(space);
  context->layout = layout;
  if (data) {
    context->data = static_cast<uint8_t*>(data);
    context->releaseCallback = releaseCallback;
    context->releaseInfo = releaseInfo;
  } else {
    context->data = static_cast<uint8_t*>(std::calloc(height, bytesPerRow));
    if (!context->data) return nullptr;
    context->ownsData = true;
  }
  if (!context->attach()) {
    // The caller keeps memory it handed in when no context could be made over it.
    context->releaseCallback = nullptr;
    return nullptr;
  }
  return context.leak();
}

CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, uint32_t bitmapInfo) {
  return CGBitmapContextCreateWithData(data, width, height, bitsPerComponent, bytesPerRow, space, bitmapInfo,
                                       nullptr, nullptr);
}

void* CGBitmapContextGetData(CGContextRef c) { return c ? c->data : nullptr; }
size_t CGBitmapContextGetWidth(CGContextRef c) { return c ? c->width : 0; }
size_t CGBitmapContextGetHeight(CGContextRef c) { return c ? c->height : 0; }
size_t CGBitmapContextGetBitsPerComponent(CGContextRef c) { return c ? c->bitsPerComponent : 0; }
size_t CGBitmapContextGetBitsPerPixel(CGContextRef c) { return c ? c->bitsPerPixel : 0; }
size_t CGBitmapContextGetBytesPerRow(CGContextRef c) { return c ? c->bytesPerRow : 0; }
CGColorSpaceRef CGBitmapContextGetColorSpace(CGContextRef c) { return c ? c->space.get() : nullptr; }
CGImageAlphaInfo CGBitmapContextGetAlphaInfo(CGContextRef c) {
  return c ? c->bitmapInfo & kCGBitmapAlphaInfoMask : kCGImageAlphaNone;
}
CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef c) { return c ? c->bitmapInfo : 0; }

CGImageRef CGBitmapContextCreateImage(CGContextRef c) {
  if (!c) return nullptr;
  auto data = adopt(CFDataCreate(nullptr, c->data, CFIndex(c->bytesPerRow * c->height)));
  auto provider = adopt(CGDataProviderCreateWithCFData(data.get()));
  return CGImageCreate(c->width, c->height, c->bitsPerComponent, c->bitsPerPixel, c->bytesPerRow,
                       c->space.get(), c->bitmapInfo, provider.get(), nullptr, true,
                       kCGRenderingIntentDefault);
}
