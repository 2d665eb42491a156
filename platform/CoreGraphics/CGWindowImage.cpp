#include <CoreFoundation/CFData.h>
#include <CoreFoundation/CFNumber.h>
#include <CoreGraphics/CGWindowImage.h>
#include <cairo.h>
#include <objc/RefPtr.h>

#include <vector>

#include "backend/CGWindowImageX11.h"

namespace {

using CGWindowServer::WindowPixels;

// An image over a copy of the surface's pixels, which are Cairo's premultiplied ARGB32:
// 32-bit little-endian words with alpha first.
CGImageRef imageFromSurface(cairo_surface_t* surface) {
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const size_t stride = size_t(cairo_image_surface_get_stride(surface));
  auto data = adopt(CFDataCreate(nullptr, cairo_image_surface_get_data(surface), CFIndex(stride * size_t(height))));
  auto provider = adopt(CGDataProviderCreateWithCFData(data.get()));
  auto space = adopt(CGColorSpaceCreateDeviceRGB());
  if (!provider || !space) return nullptr;
  return CGImageCreate(size_t(width), size_t(height), 8, 32, stride, space.get(),
                       kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little, provider.get(), nullptr,
                       false, kCGRenderingIntentDefault);
}

}  // namespace

CGImageRef CGWindowListCreateImageFromArray(CGRect screenBounds, CFArrayRef windowArray, CGWindowImageOption) {
  if (!windowArray || CFGetTypeID(windowArray) != CFArrayGetTypeID()) return nullptr;
  CGDisplayServer::KeptConnection kept;
  CGDisplayServer::Connection& connection = *kept;
  if (!connection.isOpen()) return nullptr;
  CGWindowServer::keepWindowsOffScreen();

  std::vector<WindowPixels> windows;
  CGRect covered = CGRectNull;
  for (CFIndex i = 0; i < CFArrayGetCount(windowArray); ++i) {
    auto windowID = CGWindowID(reinterpret_cast<uintptr_t>(CFArrayGetValueAtIndex(windowArray, i)));
    WindowPixels pixels = CGWindowServer::readWindowPixels(connection, windowID);
    if (!pixels.surface) continue;
    covered = CGRectUnion(covered, pixels.bounds);
    windows.push_back(pixels);
  }
  CGRect area = CGRectIntegral(CGRectIsNull(screenBounds) ? covered : screenBounds);
  CGImageRef image = nullptr;
  if (!windows.empty() && !CGRectIsEmpty(area) && area.size.width <= 32768 && area.size.height <= 32768) {
    cairo_surface_t* target =
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(area.size.width), int(area.size.height));
    cairo_t* cr = cairo_create(target);
    for (auto window = windows.rbegin(); window != windows.rend(); ++window) {
      cairo_set_source_surface(cr, window->surface, window->bounds.origin.x - area.origin.x,
                               window->bounds.origin.y - area.origin.y);
      cairo_paint(cr);
    }
    cairo_destroy(cr);
    if (cairo_surface_status(target) == CAIRO_STATUS_SUCCESS) image = imageFromSurface(target);
    cairo_surface_destroy(target);
  }
  for (WindowPixels& window : windows) cairo_surface_destroy(window.surface);
  return image;
}

CGImageRef CGWindowListCreateImage(CGRect screenBounds, CGWindowListOption listOption, CGWindowID windowID,
                                   CGWindowImageOption imageOption) {
  auto list = adopt(CGWindowListCopyWindowInfo(listOption, windowID));
  if (!list) return nullptr;
  std::vector<const void*> ids;
  for (CFIndex i = 0; i < CFArrayGetCount(list.get()); ++i) {
    auto window = static_cast<CFDictionaryRef>(CFArrayGetValueAtIndex(list.get(), i));
    auto number = static_cast<CFNumberRef>(CFDictionaryGetValue(window, kCGWindowNumber));
    auto onScreen = CFDictionaryGetValue(window, kCGWindowIsOnscreen);
    SInt64 id = 0;
    if (number && onScreen == kCFBooleanTrue && CFNumberGetValue(number, kCFNumberSInt64Type, &id)) {
      ids.push_back(reinterpret_cast<const void*>(uintptr_t(id)));
    }
  }
  auto array = adopt(CFArrayCreate(nullptr, ids.data(), CFIndex(ids.size()), nullptr));
  return CGWindowListCreateImageFromArray(screenBounds, array.get(), imageOption);
}
