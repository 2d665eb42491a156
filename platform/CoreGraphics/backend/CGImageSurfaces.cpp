#include "backend/CGImageSurfaces.h"

#include "backend/CGPixelLayout.h"

namespace {
// True when the provider holds every byte that the image's rows reach.
bool providerCoversImage(const CGImage* image) {
  size_t lastRowBytes = (image->width * image->bitsPerPixel + 7) / 8;
  return image->provider && image->provider->bytes &&
         image->provider->size >= (image->height - 1) * image->bytesPerRow + lastRowBytes;
}

CGPixelLayout layoutOf(const CGImage* image) {
  return CGPixelLayout::describe(image->bitsPerComponent, image->bitsPerPixel,
                                 image->space ? image->space->components() : 1, image->bitmapInfo);
}
}  // namespace

cairo_surface_t* CGImageCreateCairoSurface(const CGImage* image) {
  if (!image || image->isMask || !providerCoversImage(image)) return nullptr;
  CGPixelLayout layout = layoutOf(image);
  if (!layout.isSupported() || layout.kind == CGPixelLayout::AlphaOnly) return nullptr;
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(image->width), int(image->height));
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  cairo_surface_flush(surface);
  layout.copyToCairo(image->provider->bytes, image->bytesPerRow, cairo_image_surface_get_data(surface),
                     size_t(cairo_image_surface_get_stride(surface)), image->width, image->height);
  cairo_surface_mark_dirty(surface);
  return surface;
}

cairo_surface_t* CGImageCreateCoverageSurface(const CGImage* image) {
  if (!image || !providerCoversImage(image)) return nullptr;
  CGPixelLayout layout;
  if (!image->isMask) {
    layout = layoutOf(image);
    if (!layout.isSupported()) return nullptr;
  }
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, int(image->width), int(image->height));
  if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(surface);
    return nullptr;
  }
  cairo_surface_flush(surface);
  uint8_t* target = cairo_image_surface_get_data(surface);
  size_t stride = size_t(cairo_image_surface_get_stride(surface));
  const uint8_t* bytes = image->provider->bytes;
  for (size_t y = 0; y < image->height; ++y) {
    const uint8_t* row = bytes + y * image->bytesPerRow;
    uint8_t* out = target + y * stride;
    for (size_t x = 0; x < image->width; ++x) {
      if (image->isMask) {
        uint8_t sample = image->bitsPerComponent == 1 ? ((row[x / 8] >> (7 - x % 8)) & 1) * 255 : row[x];
        out[x] = uint8_t(255 - sample);
      } else if (layout.kind == CGPixelLayout::AlphaOnly) {
        out[x] = row[x];
      } else {
        uint32_t argb = layout.toCairo(row + x * layout.bytesPerPixel);
        uint32_t r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
        out[x] = uint8_t((r * 77 + g * 150 + b * 29 + 128) >> 8);
      }
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}
