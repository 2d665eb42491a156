// Frames are scaled by Cairo into the surfaces' own memory.
#include "backend/CGDisplayStreamPool.h"

#include <cairo.h>

#include <CoreFoundation/CFNumber.h>
#include <IOSurface/IOSurfaceAPI.h>

#include <algorithm>

#include "backend/CGDisplayCapture.h"

namespace CGDisplayServer {

namespace {

void setNumber(CFMutableDictionaryRef properties, CFStringRef key, int64_t value) {
  auto number = adopt(CFNumberCreate(nullptr, kCFNumberSInt64Type, &value));
  CFDictionarySetValue(properties, key, number.get());
}

RefPtr<__IOSurface> newSurface(size_t width, size_t height) {
  auto properties = adopt(CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                    &kCFTypeDictionaryValueCallBacks));
  if (!properties) return nullptr;
  setNumber(properties.get(), kIOSurfaceWidth, int64_t(width));
  setNumber(properties.get(), kIOSurfaceHeight, int64_t(height));
  setNumber(properties.get(), kIOSurfaceBytesPerElement, 4);
  setNumber(properties.get(), kIOSurfaceBytesPerRow, int64_t(width * 4));
  setNumber(properties.get(), kIOSurfacePixelFormat, kPixelFormatBGRA);
  return adopt(IOSurfaceCreate(properties.get()));
}

}  // namespace

RefPtr<__IOSurface> SurfacePool::takeFreeSurface() {
  for (const RefPtr<__IOSurface>& surface : mSurfaces) {
    if (!IOSurfaceIsInUse(surface.get())) return surface;
  }
  if (mSurfaces.size() >= kMaximumSurfaces) return nullptr;
  RefPtr<__IOSurface> surface = newSurface(mWidth, mHeight);
  if (surface) mSurfaces.push_back(surface);
  return surface;
}

void drawScaledIntoSurface(const CapturedPixels& pixels, IOSurfaceRef surface, bool keepAspectRatio) {
  if (IOSurfaceLock(surface, 0, nullptr) != kIOReturnSuccess) return;
  const int width = int(IOSurfaceGetWidth(surface));
  const int height = int(IOSurfaceGetHeight(surface));
  cairo_surface_t* target =
      cairo_image_surface_create_for_data(static_cast<unsigned char*>(IOSurfaceGetBaseAddress(surface)),
                                          CAIRO_FORMAT_ARGB32, width, height, int(IOSurfaceGetBytesPerRow(surface)));
  // The screen's fourth byte is undefined: read as RGB24, every pixel comes out opaque.
  cairo_surface_t* source = cairo_image_surface_create_for_data(
      const_cast<unsigned char*>(pixels.bytes), CAIRO_FORMAT_RGB24, pixels.width, pixels.height, pixels.bytesPerRow);
  cairo_t* cr = cairo_create(target);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_paint(cr);
  double scaleX = double(width) / pixels.width;
  double scaleY = double(height) / pixels.height;
  if (keepAspectRatio) scaleX = scaleY = std::min(scaleX, scaleY);
  cairo_translate(cr, (width - pixels.width * scaleX) / 2, (height - pixels.height * scaleY) / 2);
  cairo_scale(cr, scaleX, scaleY);
  cairo_set_source_surface(cr, source, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
  cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
  cairo_rectangle(cr, 0, 0, pixels.width, pixels.height);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(source);
  cairo_surface_flush(target);
  cairo_surface_destroy(target);
  IOSurfaceUnlock(surface, 0, nullptr);
}

}  // namespace CGDisplayServer
